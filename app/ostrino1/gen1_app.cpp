#include "app/ostrino1/gen1_app.h"

#include "platform/qt/qt_serial_port.h"
#include "sim/instrument_gen1.h"
#include "sim/sim_serial_port.h"

namespace ostrino::gen1 {

namespace {

std::unique_ptr<SerialPort> makePort(const CommandLine& cl, Clock& clock) {
    if (cl.simulate) {
        return std::make_unique<sim::SimSerialPort>(
            std::make_unique<sim::InstrumentGen1>(sim::realisticOptions(cl.valve, 0.05)), clock);
    }
    return std::make_unique<QtSerialPort>(cl.serialDevice);
}

}  // namespace

Gen1App::Gen1App(const CommandLine& cl, Clock& clock, Dialogs& dialogs)
    : port(makePort(cl, clock)), console(state, *port, clock, dialogs) {}

}  // namespace ostrino::gen1
