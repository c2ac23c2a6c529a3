#pragma once
// The main window's logic, loaded in a fresh folder, against the simulated instrument on
// a fake clock. The start-up message about the new calibration file is cleared.

#include "link/instrument_link.h"
#include "measure/console_views.h"
#include "measure/form1_logic.h"
#include "sim/sim_serial_port.h"
#include "tests/support/fake_clock.h"
#include "tests/support/recording_beeper.h"
#include "tests/support/scoped_work_dir.h"
#include "tests/support/scripted_dialogs.h"

namespace ostrino::test {

struct ConsoleRig {
    explicit ConsoleRig(sim::SimOptions options = {})
        : port(options, clock), link(linkSources(state), com, port, clock, dialogs) {
        logic.Form_Load();
        dialogs.messages.clear();
    }
    ScopedWorkDir dir;
    FakeClock clock;
    ScriptedDialogs dialogs;
    RecordingBeeper beeper;
    ConsoleState state;
    FrmComModel com;
    sim::SimSerialPort port;
    InstrumentLink link;
    Form1Logic logic{state, com, link, clock, dialogs, beeper};
};

}  // namespace ostrino::test
