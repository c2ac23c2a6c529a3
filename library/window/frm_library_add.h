#pragma once
// "Add to library": what to store (the sweep or a quick test), the valve type, the label
// and a note.

#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <functional>
#include <string>
#include <vector>

namespace ostrino {

struct LibraryAddModel {
    std::vector<std::string> measurements;  // what can be stored, "Sweep: 42 points"
    int measurement = 0;                    // the one chosen
    std::vector<std::string> types;         // the types of the library, to choose from
    std::string type;
    std::string label;
    std::string note;
};

class frmLibraryAdd : public QDialog {
  public:
    // proposeLabel gives the label of the next valve of a type; the label follows the type
    // while it still holds the label proposed.
    frmLibraryAdd(LibraryAddModel model,
                  std::function<std::string(const std::string& type)> proposeLabel,
                  QWidget* parent = nullptr);

    // What was chosen and typed (after "Add").
    const LibraryAddModel& model() const { return model_; }

  private:
    void accept() override;

    LibraryAddModel model_;
    std::function<std::string(const std::string&)> proposeLabel_;
    std::string proposed_;
    QComboBox* cboMeasurement_ = nullptr;
    QComboBox* cboValveType_ = nullptr;
    QLineEdit* txtLabel_ = nullptr;
    QLineEdit* txtNote_ = nullptr;
};

}  // namespace ostrino
