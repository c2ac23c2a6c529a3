#include "app/ostrino3/console_app.h"

#include "measure/console_views.h"
#include "measure/ground_state.h"
#include "platform/qt/qt_serial_port.h"
#include "sim/sim_serial_port.h"

namespace ostrino {

namespace {

std::unique_ptr<SerialPort> makePort(const CommandLine& cl, Clock& clock) {
    if (cl.simulate) {
        return std::make_unique<sim::SimSerialPort>(sim::realisticOptions(cl.valve, 0.02), clock);
    }
    return std::make_unique<QtSerialPort>(cl.serialDevice);
}

}  // namespace

ConsoleApp::ConsoleApp(const CommandLine& cl, Clock& clockIn, Dialogs& dialogsIn, Beeper& beeperIn)
    : clock(clockIn),
      dialogs(dialogsIn),
      beeper(beeperIn),
      port(makePort(cl, clockIn)),
      link(linkSources(*state), com, *port, clockIn, dialogsIn),
      libraryFile(cl.libraryFile) {
    link.onGroundState = [this] { GotoGroundState(*state, link); };
}

QuickTestContext quickTestContext(ConsoleApp& app, Form1Logic& logic) {
    ConsoleState& s = *app.state;
    return QuickTestContext{
        s.quickTest, s.cal,   s.intMeasStat, s.blnCompliance, s.meas.dblDelay, logic.model,
        logic.run,   app.com, app.link,      app.clock,       app.dialogs,     app.beeper,
        {}};
}

}  // namespace ostrino
