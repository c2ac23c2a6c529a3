#include "console1/gen1_app.h"

#include "platform/qt/qt_serial_port.h"
#include "sim/sim_serial_port_gen1.h"

namespace ostrino::gen1 {

namespace {

std::unique_ptr<SerialPort> makePort(const CommandLine& cl, Clock& clock) {
    if (cl.simulate) {
        sim::SimOptions options;
        if (!cl.valve.empty()) {
            options.valve = cl.valve;
        }
        // Like the real thing on the wire: 9600 baud and a short measurement.
        options.lineRate = true;
        options.measureTime = 0.05;
        return std::make_unique<sim::SimSerialPortGen1>(options, clock);
    }
    return std::make_unique<QtSerialPort>(cl.serialDevice);
}

}  // namespace

Gen1App::Gen1App(const CommandLine& cl, Clock& clock, Dialogs& dialogs)
    : port(makePort(cl, clock)), console(state, *port, clock, dialogs) {}

}  // namespace ostrino::gen1
