#pragma once
// The main window's life cycle without the widgets: start-up, shut-down, the heater-supply
// switch and the buttons that act on the data.

#include "common/console_state.h"
#include "link/frm_com_model.h"
#include "link/instrument_link.h"
#include "measure/form1_model.h"
#include "measure/meas_run.h"
#include "measure/meas_setup.h"
#include "platform/beeper.h"
#include "platform/clock.h"
#include "platform/dialogs.h"

namespace ostrino {

class Form1Logic {
  public:
    Form1Logic(ConsoleState& state, FrmComModel& com, InstrumentLink& link, Clock& clock,
               Dialogs& dialogs, Beeper& beeper);

    // Start-up in its order: defaults, lists, calibration file, measurement type.
    void Form_Load();
    // Closing: a running loop ends, the port is closed, nothing is sent.
    void Form_Unload();

    // The user ticked or cleared "Ext. heater supply"; nowChecked is the box's new state.
    void chkExtVheat_Click(bool nowChecked);
    void ProcessVheat();
    void cmdClear_Click();
    // True when the graph's x variable allows the distortion analysis; else the message.
    bool cmdDistortion_Click();

    Form1Model model;
    Form1Hooks hooks;
    MeasSetup setup;
    MeasRun run;

  private:
    ConsoleState& state_;
    FrmComModel& com_;
    InstrumentLink& link_;
    Dialogs& dialogs_;
    bool ignoreNextExtVheatClick_ = false;
};

}  // namespace ostrino
