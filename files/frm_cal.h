#pragma once
// The calibration window "Calibration": ten sliders that trim the calibration factors,
// the hardware version and saving to the calibration file. Shown modeless.

#include <QLabel>
#include <QRadioButton>
#include <QSlider>
#include <QWidget>
#include <array>
#include <functional>

#include "common/calibration.h"
#include "files/frm_cal_model.h"
#include "platform/dialogs.h"

namespace ostrino {

class frmCal : public QWidget {
  public:
    // versionChanged runs after a version is selected (the main window re-selects its
    // measurement type). Building the window is its load.
    frmCal(CalibrationRecord& cal, Dialogs& dialogs, std::function<void()> versionChanged,
           QWidget* parent = nullptr);

    // Writes the model into the widgets.
    void refreshFromModel();

  private:
    void cmdSave_Click();

    CalibrationRecord& cal_;
    Dialogs& dialogs_;
    FrmCalModel model_;

    std::array<QSlider*, 10> slrCalVal_{};
    std::array<QLabel*, 10> lblCalVal_{};
    std::array<QRadioButton*, 2> optVersion_{};
};

}  // namespace ostrino
