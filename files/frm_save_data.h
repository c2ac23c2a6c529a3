#pragma once
// The window "Save Data": one quantity (Option1), "Add Text", and the list, block and
// measurement-matrix exports. Shown modeless; every opening starts with "Ia" and text.

#include <QCheckBox>
#include <QRadioButton>
#include <QWidget>
#include <array>

#include "common/sweep_captions.h"
#include "files/data_export.h"
#include "platform/dialogs.h"

namespace ostrino {

class frmSaveData : public QWidget {
  public:
    frmSaveData(const ExportSources& sources, const SweepCaptions& captions, Dialogs& dialogs,
                QWidget* parent = nullptr);

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void reset();
    // The first selected choice of 0..5, else 6.
    int chosenOption() const;

    DataExport export_;
    std::array<QRadioButton*, kExportQuantities> Option1_{};
    QCheckBox* chkAddText_ = nullptr;
};

}  // namespace ostrino
