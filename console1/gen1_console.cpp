#include "console1/gen1_console.h"

#include "common/text_file.h"
#include "console1/gen1_data_file.h"

namespace ostrino::gen1 {

Console1::Console1(Gen1State& state, SerialPort& port, Clock& clock, Dialogs& dialogs)
    : state_(state),
      dialogs_(dialogs),
      graph_(state, dialogs, *this),
      setup_(state, dialogs, *this, graph_),
      link_(state.controls, port, clock, dialogs, *this),
      sweep_(state, link_, clock, dialogs, *this) {}

void Console1::Form_Load() {
    state_.intMeasStat = kHeaterOff;
    state_.controls.cboMeasType = 0;
    state_.meas.intMeasType = 0;
    setup_.SelectMeas();
    state_.graph.strXname = "Control Grid (V)";
    state_.graph.strYname = "Current (mA)";
    sweep_.setMeasuringControls();
    call(Refresh);
    call(DrawPicture);
}

void Console1::cmdStore_Click() {
    state_.stored = state_.result;
}

void Console1::cmdRecall_Click() {
    Controls& c = state_.controls;
    c.showStored = !c.showStored;
    c.cmdRecallCaption = c.showStored ? "Dismiss" : "Recall";
    call(Refresh);
    call(DrawPicture);
}

void Console1::cmdSave_Click() {
    const std::string name = dialogs_.chooseFile(saveFileRequest(kDataFilter, "Save Data"));
    if (!name.empty()) {
        saveDataTo(name);
    }
}

bool Console1::saveDataTo(const std::string& path) {
    std::string reason;
    if (!writeFileAtomically(path, dataFileText(state_.result), reason)) {
        dialogs_.message("The file " + path + " cannot be written (" + reason + ").");
        return false;
    }
    return true;
}

}  // namespace ostrino::gen1
