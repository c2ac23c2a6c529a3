#include "sim/sim_serial_port.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/fake_clock.h"

namespace ostrino::sim {
namespace {

using test::FakeClock;

const std::string kPing = "50" + std::string(16, '0');

// Sends a command the way the console does: one character, then wait for its echo.
std::string sendEchoed(SerialPort& port, const std::string& cmd, double timeout = 2.0) {
    std::string echo;
    for (char c : cmd) {
        port.write(std::string_view(&c, 1));
        char e;
        if (!port.waitForChar(timeout) || !port.readChar(e)) {
            break;
        }
        echo += e;
    }
    return echo;
}

std::string receive(SerialPort& port, int n, double timeout = 10.0) {
    std::string out;
    char c;
    while (static_cast<int>(out.size()) < n && port.waitForChar(timeout) && port.readChar(c)) {
        out += c;
    }
    return out;
}

TEST(SimSerialPort, EighteenEchoesTakeEighteenCharacterTimesAtLineRate) {
    FakeClock clock(100.0);
    SimOptions o;
    o.lineRate = true;
    o.measureTime = 0.25;
    SimSerialPort port(o, clock);
    std::string error;
    port.open(1, error);
    EXPECT_EQ(sendEchoed(port, kPing), kPing);
    EXPECT_NEAR(clock.now() - 100.0, 18.0 / 960.0, 1e-6);
    EXPECT_EQ(port.charsWaiting(), 0);

    const std::string result = receive(port, 38);
    EXPECT_EQ(result.size(), 38u);
    // From the last command character: the measuring time, then 37 more characters.
    const double lastSent = 100.0 + 17.0 / 960.0;
    EXPECT_NEAR(clock.now() - lastSent, 0.25 + 37.0 / 960.0, 1e-6);
    EXPECT_EQ(port.wire(), kPing);
}

TEST(SimSerialPort, WaitingForASilentInstrumentSleepsTheTimeOut) {
    FakeClock clock;
    SimOptions o;
    o.fault = FaultKind::Silent;
    o.faultPosition = 5;
    SimSerialPort port(o, clock);
    std::string error;
    port.open(1, error);
    EXPECT_EQ(sendEchoed(port, kPing), "5000");
    EXPECT_NEAR(clock.now(), 2.0, 1e-9);
    char c = 'x';
    EXPECT_FALSE(port.readChar(c));
    EXPECT_EQ(c, 'x');
    EXPECT_FALSE(port.waitForChar(0.5));
    EXPECT_NEAR(clock.now(), 2.5, 1e-9);
}

TEST(SimSerialPort, OutputDueLaterThanTheTimeOutIsNotWaitedFor) {
    FakeClock clock;
    SimOptions o;
    o.measureTime = 3.0;
    SimSerialPort port(o, clock);
    std::string error;
    port.open(1, error);
    sendEchoed(port, kPing);
    EXPECT_FALSE(port.waitForChar(2.0));
    EXPECT_NEAR(clock.now(), 2.0, 1e-9);
    EXPECT_TRUE(port.waitForChar(2.0));
    EXPECT_NEAR(clock.now(), 3.0, 1e-6);
    EXPECT_EQ(port.charsWaiting(), 38);
}

TEST(SimSerialPort, ClosingDropsPendingOutputAndAClosedPortIgnoresWrites) {
    FakeClock clock;
    SimSerialPort port(SimOptions{}, clock);
    std::string error;
    EXPECT_FALSE(port.isOpen());
    EXPECT_TRUE(port.open(7, error));
    EXPECT_EQ(port.deviceName(7), "simulated Ostrino");
    // Without line rate the exchange costs no time at all.
    EXPECT_EQ(sendEchoed(port, kPing), kPing);
    EXPECT_EQ(port.charsWaiting(), 38);
    EXPECT_EQ(clock.now(), 0.0);
    port.close();
    EXPECT_EQ(port.charsWaiting(), 0);
    port.write("5");
    EXPECT_TRUE(port.open(1, error));
    EXPECT_EQ(port.openCount(), 2);
    EXPECT_EQ(port.charsWaiting(), 0);
    EXPECT_EQ(port.instrument().commandsReceived(), 1);
    EXPECT_EQ(sendEchoed(port, kPing), kPing);
    EXPECT_EQ(receive(port, 38).size(), 38u);
}

TEST(FakeClock, RunsScheduledActionsWhenPumpedAtTheirTime) {
    FakeClock clock;
    std::string log;
    clock.at(2.5, [&] { log += "b"; });
    clock.at(1.0, [&] {
        log += "a";
        clock.at(1.0, [&] { log += "c"; });  // scheduled for now: runs in the same pump
    });
    clock.pumpEvents();
    EXPECT_EQ(log, "");
    clock.sleep(1.0);
    EXPECT_EQ(log, "");  // sleeping does not process events
    clock.pumpEvents();
    EXPECT_EQ(log, "ac");
    clock.advance(2.0);
    clock.pumpEvents();
    EXPECT_EQ(log, "acb");
    EXPECT_EQ(clock.pendingActions(), 0u);
    EXPECT_EQ(clock.pumps(), 3);
    clock.setPumpStep(0.25);
    clock.pumpEvents();
    EXPECT_DOUBLE_EQ(clock.now(), 3.25);
    EXPECT_DOUBLE_EQ(clock.totalSlept(), 1.0);
}

}  // namespace
}  // namespace ostrino::sim
