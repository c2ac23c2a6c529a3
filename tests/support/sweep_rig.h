#pragma once
// The measurement engine (settings and sweep) against the simulated instrument on a fake
// clock, without a window.

#include <cmath>
#include <string>

#include "link/instrument_link.h"
#include "measure/console_views.h"
#include "measure/meas_run.h"
#include "measure/meas_setup.h"
#include "sim/sim_serial_port.h"
#include "tests/support/fake_clock.h"
#include "tests/support/recording_beeper.h"
#include "tests/support/scripted_dialogs.h"

namespace ostrino::test {

// The measurement engine against the simulated instrument on a fake clock.
struct SweepRig {
    explicit SweepRig(sim::SimOptions options = {})
        : port(options, clock),
          link(linkSources(state), com, port, clock, dialogs),
          setup(state, model, dialogs, hooks),
          run(state, model, com, link, clock, dialogs, beeper, hooks) {
        hooks.ClearCurves = [this] { run.ClearCurves(); };
        hooks.DrawPicture = [this] { ++draws; };
        link.onGroundState = [this] { run.GotoGroundState(); };
        for (int block : {MeasMatrix::kActual, MeasMatrix::kStored, MeasMatrix::kFit}) {
            state.dblMeasMatrix.markEmpty(block);
        }
        setup.cboMeasType_Click();
    }

    void selectType(int type) {
        model.cboMeasType = type;
        setup.cboMeasType_Click();
    }
    // Heater on without the ping, so that the supply stays at 19 V for exact strings.
    void heaterOnAt19V() {
        state.dblVsupply = 19.0;
        state.intMeasStat = kHeating;
        run.DoHeater();
    }
    std::string wireSince(std::size_t mark) const { return port.wire().substr(mark); }
    int curve(int row) const {
        return static_cast<int>(std::lround(state.dblMeasMatrix(row, MeasMatrix::Curve)));
    }

    FakeClock clock;
    ScriptedDialogs dialogs;
    RecordingBeeper beeper;
    ConsoleState state;
    FrmComModel com;
    Form1Model model;
    Form1Hooks hooks;
    sim::SimSerialPort port;
    InstrumentLink link;
    MeasSetup setup;
    MeasRun run;
    int draws = 0;
};

}  // namespace ostrino::test
