#pragma once
// The logic of the first-generation console's window, as the window and the tests see it:
// one object that holds the parts (set-up and checks, graph settings, the link, heater and
// sweep) and answers the window's handlers; Store / Recall and saving are its own.

#include <string>
#include <string_view>

#include "console1/gen1_graph_settings.h"
#include "console1/gen1_hooks.h"
#include "console1/gen1_link.h"
#include "console1/gen1_setup.h"
#include "console1/gen1_state.h"
#include "console1/gen1_sweep.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/serial_port.h"

namespace ostrino::gen1 {

inline constexpr const char* kDataFilter = "Ostrino datafile (*.osd)|*.osd";

class Console1 : public Gen1Hooks {
  public:
    Console1(Gen1State& state, SerialPort& port, Clock& clock, Dialogs& dialogs);

    // Start-up: the first measurement type, heater off, graph drawn.
    void Form_Load();

    // Measurement set-up.
    void cboMeasType_Click(int index) { setup_.cboMeasType_Click(index); }
    void SelectMeas() { setup_.SelectMeas(); }
    void UpdateMeasFields() { setup_.UpdateMeasFields(); }
    void measField_Commit() { setup_.measField_Commit(); }
    void txtVar2_Commit() { setup_.txtVar2_Commit(); }
    void ProcessVar2String() { setup_.ProcessVar2String(); }
    void CheckMeasFields() { setup_.CheckMeasFields(); }

    // Graph settings.
    using GraphBox = Gen1GraphSettings::GraphBox;
    void graphField_Commit(GraphBox box) { graph_.graphField_Commit(box); }
    void UpdateGraphFields() { graph_.UpdateGraphFields(); }
    void checkXminmax() { graph_.checkXminmax(); }
    void checkYminmax() { graph_.checkYminmax(); }
    void checkXticks() { graph_.checkXticks(); }
    void checkYticks() { graph_.checkYticks(); }
    void cmdPreset_Click(int n) { graph_.cmdPreset_Click(n); }

    // The heater and the sweep.
    int ComposeMatrix() { return sweep_.ComposeMatrix(); }
    std::string ComposeMeasString(int row, std::string_view strCommand) const {
        return sweep_.ComposeMeasString(row, strCommand);
    }
    bool highGrid() const { return sweep_.highGrid(); }
    LinkResult SetRelais() { return sweep_.SetRelais(); }
    void DoMeasurement() { sweep_.DoMeasurement(); }
    std::string fullScaleReport() const { return sweep_.fullScaleReport(); }
    bool TurnOnFilament() { return sweep_.TurnOnFilament(); }
    bool TurnOffFilament() { return sweep_.TurnOffFilament(); }
    double heaterVoltage() const { return sweep_.heaterVoltage(); }
    void cmdMeasStart_Click() { sweep_.cmdMeasStart_Click(); }
    void cmdMeasStop_Click() { sweep_.cmdMeasStop_Click(); }

    // Store / Recall and the data file.
    void cmdStore_Click();
    void cmdRecall_Click();
    void cmdSave_Click();
    // Without the dialog; false after a message.
    bool saveDataTo(const std::string& path);

    // The link.
    LinkResult SndString(std::string_view strCommandString) {
        return link_.SndString(strCommandString);
    }
    LinkResult RecString(std::string& strResultString) { return link_.RecString(strResultString); }
    void SndEsc() { link_.SndEsc(); }
    LinkResult DeComposeString(int i, std::string_view strResultString) {
        return link_.DeComposeString(state_.result, i, strResultString);
    }
    void cmdCloseCom_Click() { link_.cmdCloseCom_Click(); }

    // The window is closing: the port is closed, a running sweep ends at its next pause
    // and nothing more is sent.
    void shutDown() { link_.shutDown(); }
    bool closing() const { return link_.closing(); }

  private:
    Gen1State& state_;
    Dialogs& dialogs_;
    Gen1GraphSettings graph_;
    Gen1Setup setup_;
    Gen1Link link_;
    Gen1Sweep sweep_;
};

}  // namespace ostrino::gen1
