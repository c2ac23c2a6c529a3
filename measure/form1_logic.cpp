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

    // Quick-test defaults.
    state_.quickTest = QuickTestSettings{};

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

void Form1Logic::cmdClear_Click() {
    // The fits, their derivatives and the compliance notice go with the sweep they came
    // from; the stored copy stays.
    state_.dblMeasMatrix.markEmpty(MeasMatrix::kActual);
    state_.dblMeasMatrix.markEmpty(MeasMatrix::kFit);
    state_.blnCompliance = false;
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
