// The real serial code against ostrino-sim on a pseudo-terminal.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QProcess>
#include <QRegularExpression>
#include <algorithm>
#include <filesystem>
#include <fstream>

#include "link/instrument_link.h"
#include "measure/console_views.h"
#include "measure/ground_state.h"
#include "platform/qt/qt_clock.h"
#include "platform/qt/qt_serial_port.h"
#include "tests/support/hang_up_pty.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/sim_process.h"

namespace ostrino {
namespace {

struct PtyBench {
    explicit PtyBench(const std::string& device)
        : port(device), link(linkSources(state), com, port, clock, dialogs) {
        link.onGroundState = [this] { GotoGroundState(state, link); };
    }
    QtClock clock;
    test::ScriptedDialogs dialogs;
    ConsoleState state;
    FrmComModel com;
    QtSerialPort port;
    InstrumentLink link;
};

TEST(Pty, PingThroughTheRealSerialPort) {
    test::SimProcess sim(OSTRINO_SIM_PATH, {"--supply", "19.47", "--line-rate"});
    ASSERT_FALSE(sim.device().empty());
    PtyBench b(sim.device());
    EXPECT_TRUE(b.link.DoPing()) << (b.dialogs.messages.empty() ? "" : b.dialogs.messages[0].text);
    EXPECT_TRUE(b.dialogs.messages.empty());
    EXPECT_NEAR(b.state.dblVsupply, 19.47, 0.03);
    EXPECT_EQ(b.com.lblStringEcho, pingString());

    // A whole point: heater, then measure.
    ASSERT_TRUE(b.link.SetFilament(6.3).ok());
    auto& m = b.state.dblMeasMatrix;
    m(0, MeasMatrix::Va) = 200.0;
    m(0, MeasMatrix::Vs) = 200.0;
    m(0, MeasMatrix::Vg) = -2.0;
    m(0, MeasMatrix::Vh) = 6.3;
    ASSERT_TRUE(b.link.SndString(b.link.ComposeMeasString(0, "10")).ok());
    std::string result;
    ASSERT_TRUE(b.link.RecString(result).ok());
    EXPECT_EQ(result.size(), 38u);
    EXPECT_TRUE(b.link.DeComposeString(0, result).ok());
    EXPECT_GT(m(0, MeasMatrix::Ia), 0.5);  // a warm valve conducts at -2 V
    EXPECT_NEAR(m(0, MeasMatrix::Va), 200.0, 3.0);
}

TEST(Pty, SilentInstrumentTimesOutInTwoSeconds) {
    test::SimProcess sim(OSTRINO_SIM_PATH, {"--fault", "silent"});
    ASSERT_FALSE(sim.device().empty());
    PtyBench b(sim.device());
    const double t0 = b.clock.now();
    EXPECT_FALSE(b.link.DoPing());
    const double waited = b.clock.now() - t0;
    EXPECT_GE(waited, 1.99);
    EXPECT_LT(waited, 2.5);
    ASSERT_EQ(b.dialogs.messages.size(), 2u);
    EXPECT_EQ(b.dialogs.messages[1].text, kConnectionMessage);
    EXPECT_FALSE(b.link.portOpen());
}

TEST(Pty, AHangUpEndsTheExchangeAtOnceWithTheReason) {
    test::HangUpPty pty(2 * kCommandLength);  // echoes the settings and the ping, then is gone
    ASSERT_FALSE(pty.device().empty());
    PtyBench b(pty.device());
    const double t0 = b.clock.now();
    EXPECT_FALSE(b.link.DoPing());
    EXPECT_LT(b.clock.now() - t0, 2.0);  // not the 10 s a silent instrument is given
    EXPECT_EQ(
        b.dialogs.texts(),
        (std::vector<std::string>{
            "Error, The result string from the Ostrino was interrupted",
            "Fix Connection with Ostrino and Restart Measurement.\n\nThe serial port failed (" +
                pty.device() + ": the device hung up)."}));
    EXPECT_FALSE(b.link.portOpen());
}

TEST(Pty, AWriteToADeviceThatHungUpFailsWithTheReason) {
    test::HangUpPty pty(0);  // gone at once
    ASSERT_FALSE(pty.device().empty());
    QtSerialPort port(pty.device());
    std::string error;
    ASSERT_TRUE(port.open(1, error)) << error;
    for (int waited = 0; waited < 3000 && port.failure().empty(); waited += 50) {
        if (!port.write("0")) {
            break;
        }
        QtClock().sleep(0.05);
    }
    EXPECT_FALSE(port.write("0"));
    EXPECT_EQ(port.failure(), pty.device() + ": the device hung up");
    port.close();
    EXPECT_EQ(port.failure(), "");
}

TEST(Pty, APathThatIsNoSerialDeviceIsRefused) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("ostrino-pty-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    std::ofstream(dir / "regular.txt") << "x";
    const std::string paths[] = {(dir / "regular.txt").string(), dir.string(), "/dev/null"};
    for (const std::string& path : paths) {
        PtyBench b(path);
        EXPECT_FALSE(b.link.DoPing());
        EXPECT_EQ(
            b.dialogs.texts(),
            std::vector<std::string>{
                "Fix Connection with Ostrino and Restart Measurement.\n\nThe serial port could "
                "not be opened (" +
                path + ": not a serial device)."});
    }
    fs::remove_all(dir);
}

TEST(Pty, CommandLinePingPrintsTheSupplyVoltage) {
    test::SimProcess sim(OSTRINO_SIM_PATH, {"--supply", "19.47"});
    ASSERT_FALSE(sim.device().empty());
    QProcess console;
    console.start(OSTRINO_CONSOLE_PATH,
                  {"--serial", QString::fromStdString(sim.device()), "--ping"});
    ASSERT_TRUE(console.waitForFinished(20000));
    EXPECT_EQ(console.exitCode(), 0) << console.readAllStandardError().toStdString();
    const QString out = QString::fromLocal8Bit(console.readAllStandardOutput());
    EXPECT_TRUE(QRegularExpression("^Supply voltage: 19\\.4\\d V\\n$").match(out).hasMatch())
        << out.toStdString();
}

TEST(Pty, CommandLinePingOnAMissingPortExitsOne) {
    QProcess console;
    console.start(OSTRINO_CONSOLE_PATH, {"--serial", "/dev/ostrino-not-there", "--ping"});
    ASSERT_TRUE(console.waitForFinished(20000));
    EXPECT_EQ(console.exitCode(), 1);
    // One message, one line, the connection message and the reason two sentences (a
    // machine with one USB adapter hears about it after them).
    const std::string err = console.readAllStandardError().toStdString();
    EXPECT_EQ(err.rfind("Fix Connection with Ostrino and Restart Measurement. The serial port "
                        "could not be opened (/dev/ostrino-not-there: No such file or "
                        "directory).",
                        0),
              0u)
        << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1);
}

TEST(Pty, APortHeldByAnotherProgramIsBusy) {
    test::HangUpPty pty(0);
    QtSerialPort holder(pty.device());
    std::string error;
    ASSERT_TRUE(holder.open(1, error)) << error;
    PtyBench b(pty.device());
    EXPECT_FALSE(b.link.DoPing());
    EXPECT_EQ(b.port.openFault(), OpenFault::Busy);
    const std::vector<std::string> texts = b.dialogs.texts();
    ASSERT_EQ(texts.size(), 1u);
    const std::string& text = texts[0];
    EXPECT_NE(text.find("(" + pty.device() + ": "), std::string::npos) << text;
    EXPECT_NE(text.find("). Another program holds the port; close that program and try again."),
              std::string::npos)
        << text;
}

// Both consoles print the machine's serial devices, one a line, and exit 0.
TEST(ListPorts, OneDeviceALineOrThatThereAreNone) {
    const QRegularExpression line("^/dev/\\S+  \\S.*$|^COM\\d+  \\S.*$");
    for (const char* program : {OSTRINO_CONSOLE_PATH, OSTRINO_CONSOLE1_PATH}) {
        QProcess console;
        console.start(program, {"--list-ports"});
        ASSERT_TRUE(console.waitForFinished(20000));
        EXPECT_EQ(console.exitCode(), 0) << program;
        const QString out = QString::fromLocal8Bit(console.readAllStandardOutput());
        ASSERT_TRUE(out.endsWith('\n')) << out.toStdString();
        const QStringList lines = out.chopped(1).split('\n');
        if (lines == QStringList{"No serial devices found."}) {
            continue;
        }
        for (const QString& l : lines) {
            EXPECT_TRUE(line.match(l).hasMatch()) << program << ": " << l.toStdString();
        }
    }
}

}  // namespace
}  // namespace ostrino

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
