#include "measure/form1_logic.h"

#include "common/numbers.h"
#include "files/calibration_file.h"

namespace ostrino {

Form1Logic::Form1Logic(ConsoleState& state, FrmComModel& com, InstrumentLink& link, Clock& clock,
                       Dialogs& dialogs, Beeper& beeper)
    : setup(state, model, dialogs, hooks),
      run(state, model, com, link, clock, dialogs, beeper, hooks),
      state_(state),
      com_(com),
      link_(link),
      dialogs_(dialogs) {
    hooks.ClearCurves = [this] { run.ClearCurves(); };
    hooks.UpdateGraphFields = [this] { UpdateGraphFields(); };
    hooks.ReadGraphFields = [this] { ReadGraphFields(); };
    link_.onGroundState = [this] { run.GotoGroundState(); };
}

void Form1Logic::Form_Load() {
    // Graph defaults into the graph boxes; nothing is drawn until loading is done.
    state_.graph = GraphSettings{};
    Form1Hooks::call(hooks.UpdateGraphFields);
    state_.blnLoaded = false;

    state_.dblVheatExt = 19.5;
    state_.chkExtVheat = false;
    model.txtVheatVisible = false;
    ignoreNextExtVheatClick_ = false;

    // Lists and their defaults; selecting the first measurement type installs it.
    state_.cboIaRange = 8;
    state_.cboIsRange = 8;
    state_.cboAverage = 6;
    state_.cboCompliance = 0;
    model.cboMeasType = 0;
    setup.cboMeasType_Click();

    com_.lblStringSend.clear();
    com_.lblStringEcho.clear();

    state_.graph.strXname = "Control Grid (V)";
    auto& m = state_.dblMeasMatrix;
    m.markEmpty(MeasMatrix::kActual);
    m.markEmpty(MeasMatrix::kStored);
    m.markEmpty(MeasMatrix::kFit);

    state_.meas.dblHeaterSave = 6.3;
    state_.blnLoaded = true;
    state_.blnCompliance = false;
    state_.blnCursor = false;

    state_.cal.intCOMport = 1;
    state_.cal.strCalibrationFile = "Ostrino_3p11.cal";
    state_.cal.intVersion = 1;
    ProcessCalFile(state_.cal, state_.cal.strCalibrationFile, dialogs_);

    // Again, so that the limits follow the hardware version just loaded.
    setup.SelectMeas();
    com_.cboComNumber = state_.cal.intCOMport - 1;
    com_.refreshNow();
    state_.dblVsupply = 19.0;
    Form1Hooks::call(hooks.DrawPicture);
}

void Form1Logic::Form_Unload() {
    run.shutDown();
    link_.closePort();
}

void Form1Logic::chkExtVheat_Click(bool nowChecked) {
    if (ignoreNextExtVheatClick_) {
        ignoreNextExtVheatClick_ = false;
        return;
    }
    auto putBack = [&] {
        // Putting the box back raises a click of its own, which the flag swallows.
        ignoreNextExtVheatClick_ = true;
        state_.chkExtVheat = !nowChecked;
        chkExtVheat_Click(!nowChecked);
        Form1Hooks::call(hooks.Refresh);
    };
    if (state_.intMeasStat != kGround) {
        dialogs_.message("switch of heater first!");
        putBack();
        return;
    }
    if (!dialogs_.askYesNo("Changing the heater supply source will force a restart of the GUI. "
                           "Do you want to continue?")) {
        putBack();
        return;
    }
    state_.chkExtVheat = nowChecked;
    model.txtVheatVisible = nowChecked;
    setup.SelectMeas();
}

void Form1Logic::ProcessVheat() {
    if (parseNumber(model.txtVheat) == state_.dblVheatExt) {
        return;  // nothing changed: no restart to ask about
    }
    if (dialogs_.askYesNo("changing the external heater supply voltage will force a restart of "
                          "the GUI. Do you want to continue?")) {
        setup.ProcessFields();
        setup.SelectMeas();
    } else {
        model.txtVheat = numberText(state_.dblVheatExt);
        Form1Hooks::call(hooks.Refresh);
    }
}

void Form1Logic::UpdateGraphFields() {
    const GraphSettings& g = state_.graph;
    model.txtXmin = numberText(g.dblXmin);
    model.txtXmax = numberText(g.dblXmax);
    model.txtXmajor = std::to_string(g.intXmajor);
    model.txtY1min = numberText(g.dblY1min);
    model.txtY1max = numberText(g.dblY1max);
    model.txtY1major = std::to_string(g.intY1major);
    model.txtY2min = numberText(g.dblY2min);
    model.txtY2max = numberText(g.dblY2max);
    model.txtY2major = std::to_string(g.intY2major);
}

void Form1Logic::ReadGraphFields() {
    GraphSettings& g = state_.graph;
    auto readDouble = [](const std::string& text, double& target) {
        if (const auto v = parseNumber(text)) {
            target = *v;
        }
    };
    auto readInteger = [](const std::string& text, int& target) {
        if (const auto v = parseNumber(text)) {
            if (const auto i = toInteger(*v)) {
                target = *i;
            }
        }
    };
    readDouble(model.txtXmin, g.dblXmin);
    readDouble(model.txtXmax, g.dblXmax);
    readInteger(model.txtXmajor, g.intXmajor);
    readDouble(model.txtY1min, g.dblY1min);
    readDouble(model.txtY1max, g.dblY1max);
    readInteger(model.txtY1major, g.intY1major);
    readDouble(model.txtY2min, g.dblY2min);
    readDouble(model.txtY2max, g.dblY2max);
    readInteger(model.txtY2major, g.intY2major);
}

void Form1Logic::cmdClear_Click() {
    state_.dblMeasMatrix.markEmpty(MeasMatrix::kActual);
    Form1Hooks::call(hooks.DrawPicture);
}

bool Form1Logic::cmdDistortion_Click() {
    if (state_.graph.intXcol == MeasMatrix::Va || state_.graph.intXcol == MeasMatrix::Vs) {
        return true;
    }
    dialogs_.message("The x-axis variable must be Va or Vs");
    return false;
}

}  // namespace ostrino
