#pragma once
// The parts of the running console, wired together once: the lasting state, the serial
// port (real or simulated), the clock, the dialogs and the instrument link.

#include <memory>
#include <string>

#include "app/ostrino3/command_line.h"
#include "common/console_state.h"
#include "link/frm_com_model.h"
#include "link/instrument_link.h"
#include "measure/form1_logic.h"
#include "platform/beeper.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/serial_port.h"
#include "quicktest/quick_common.h"

namespace ostrino {

struct ConsoleApp {
    ConsoleApp(const CommandLine& cl, Clock& clock, Dialogs& dialogs, Beeper& beeper);

    Clock& clock;
    Dialogs& dialogs;
    Beeper& beeper;

    std::unique_ptr<ConsoleState> state = std::make_unique<ConsoleState>();
    FrmComModel com;
    std::unique_ptr<SerialPort> port;
    InstrumentLink link;
    // The valve library file the command line names (empty: the default one).
    std::string libraryFile;
};

// What a quick test works with: the console's state and link, the main window's logic.
QuickTestContext quickTestContext(ConsoleApp& app, Form1Logic& logic);

}  // namespace ostrino
