#pragma once
// The parts of the running first-generation console, wired together once: the state,
// the serial port (real or simulated) and the window's logic.

#include <memory>

#include "app/ostrino1/gen1_command_line.h"
#include "console1/gen1_console.h"
#include "console1/gen1_state.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/serial_port.h"

namespace ostrino::gen1 {

struct Gen1App {
    Gen1App(const CommandLine& cl, Clock& clock, Dialogs& dialogs);

    Gen1State state;
    std::unique_ptr<SerialPort> port;
    Console1 console;
};

}  // namespace ostrino::gen1
