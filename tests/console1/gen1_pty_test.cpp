// The first-generation console's link through the real serial code, against
// ostrino-sim --generation 1 on a pseudo-terminal.

#include <gtest/gtest.h>

#include "console1/gen1_console.h"
#include "platform/qt/qt_clock.h"
#include "platform/qt/qt_serial_port.h"
#include "tests/support/hang_up_pty.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/sim_process.h"

namespace ostrino::gen1 {
namespace {

struct PtyBench {
    explicit PtyBench(const std::string& device)
        : port(device), console(state, port, clock, dialogs) {
        console.Form_Load();
    }
    QtClock clock;
    ostrino::test::ScriptedDialogs dialogs;
    Gen1State state;
    QtSerialPort port;
    Console1 console;
};

TEST(Gen1Pty, HeaterAndAShortSweepThroughThePseudoTerminal) {
    ostrino::test::SimProcess sim(OSTRINO_SIM_PATH, {"--generation", "1", "--line-rate"});
    ASSERT_FALSE(sim.device().empty());
    PtyBench b(sim.device());
    b.state.controls.txtMeasNintv = "2";
    b.state.controls.chkDebug = false;
    b.console.measField_Commit();
    b.console.cmdMeasStart_Click();
    ASSERT_EQ(b.state.intMeasStat, kHeaterOn) << b.dialogs.texts()[0];
    b.console.cmdMeasStart_Click();
    // Only the report that the currents at 0 V read full scale.
    ASSERT_EQ(b.dialogs.messages.size(), 1u);
    EXPECT_NE(b.dialogs.texts()[0].find("at full scale"), std::string::npos);
    const ResultMatrix& r = b.state.result;
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(r(row, ResultMatrix::Curve), 1);
    }
    EXPECT_GT(r(0, ResultMatrix::Ia), 0.5);                           // -10 V
    EXPECT_GT(r(1, ResultMatrix::Ia), r(0, ResultMatrix::Ia) + 5.0);  // -5 V
    b.console.cmdMeasStop_Click();
    EXPECT_EQ(b.state.intMeasStat, kHeaterOff);
    b.console.shutDown();
    EXPECT_FALSE(b.port.isOpen());
}

TEST(Gen1Pty, ASilentInstrumentTimesOutAfterThreeSeconds) {
    ostrino::test::SimProcess sim(OSTRINO_SIM_PATH, {"--generation", "1", "--fault", "silent"});
    ASSERT_FALSE(sim.device().empty());
    PtyBench b(sim.device());
    const double start = b.clock.now();
    b.console.cmdMeasStart_Click();
    const double waited = b.clock.now() - start;
    EXPECT_GE(waited, 2.9);
    EXPECT_LT(waited, 4.0);
    EXPECT_EQ(b.dialogs.texts(),
              (std::vector<std::string>{
                  "Error, Ostrino failed to echo character in reasonable time",
                  "The filament was not turned on due to a communication error with the Ostrino"}));
    EXPECT_EQ(b.state.intMeasStat, kHeaterOff);
}

TEST(Gen1Pty, AHangUpEndsTheExchangeAtOnceWithTheReason) {
    ostrino::test::HangUpPty pty(5);  // echoes five characters of the heater command
    ASSERT_FALSE(pty.device().empty());
    PtyBench b(pty.device());
    const double start = b.clock.now();
    b.console.cmdMeasStart_Click();
    EXPECT_LT(b.clock.now() - start, 1.5);  // not the 3 s echo time-out
    EXPECT_EQ(b.dialogs.texts(),
              (std::vector<std::string>{
                  "Error, Ostrino failed to echo character in reasonable time",
                  "The filament was not turned on due to a communication error with the "
                  "Ostrino.\n\nThe serial port COM1 failed (" +
                      pty.device() + ": the device hung up)."}));
    EXPECT_EQ(b.state.intMeasStat, kHeaterOff);
    EXPECT_FALSE(b.port.isOpen());
}

}  // namespace
}  // namespace ostrino::gen1
