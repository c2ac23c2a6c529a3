#pragma once
// The plot-export window "Save Plot": "Save" under the graph title's name, "Save As ..."
// through the file dialog. Created on first use; a successful save hides and unloads it.

#include <QLabel>
#include <QWidget>
#include <string>

#include "platform/canvas.h"
#include "platform/dialogs.h"
#include "plot/frm_save_plot_model.h"

namespace ostrino {

class frmSavePlot : public QWidget {
  public:
    // Building the window is its load: the default name comes from txtTitle. The window
    // deletes itself when closed.
    frmSavePlot(Canvas& canvas, Dialogs& dialogs, const std::string& txtTitle,
                QWidget* parent = nullptr);

    const FrmSavePlotModel& model() const { return model_; }

  private:
    void afterSave(bool saved);

    FrmSavePlotModel model_;
    QLabel* lblFileName_ = nullptr;
};

}  // namespace ostrino
