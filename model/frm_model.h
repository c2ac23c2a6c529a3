#pragma once
// The window "Valve model": the model to fit, "Fit", the parameters and errors, the model's
// curves on the graph, its SPICE and model files, and the stage on the model. The widgets
// mirror ModelToolModel; the logic lives in ModelTool.

#include <QComboBox>
#include <QTableWidget>
#include <functional>

#include "model/model_tool.h"
#include "platform/qt/form_window.h"

namespace ostrino {

class frmModel : public FormWindow {
  public:
    // title is the graph's title, which names the measurement; drawPicture redraws the main
    // window's graph. The window is kept when closed, with its model, and its curves leave
    // the graph while it is closed.
    frmModel(const MeasMatrix& curves, const std::string& title, ModelOverlay& overlay,
             Dialogs& dialogs, std::function<void()> drawPicture, QWidget* parent);

    model::ModelTool& logic() { return logic_; }

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    QComboBox* list(const char* name, const char* accessible, const QStringList& items,
                    void (model::ModelTool::*onChoice)(int));
    static QTableWidget* table(const char* name, const char* accessible, const QStringList& heads);
    // Every widget the handlers leave changed: the lists, the check box and the tables.
    void showModel();

    model::ModelTool logic_;
    QComboBox* cboModel_ = nullptr;
    QComboBox* cboSection_ = nullptr;
    QComboBox* cboWeighting_ = nullptr;
    QCheckBox* chkShowOnGraph_ = nullptr;
    QTableWidget* tblParameters_ = nullptr;
    QTableWidget* tblCurves_ = nullptr;
    QTableWidget* tblStage_ = nullptr;
    QLabel* lblModel_ = nullptr;
};

}  // namespace ostrino
