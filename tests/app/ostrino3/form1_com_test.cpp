// The communication window, built offscreen against the in-process simulator.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include "app/ostrino3/command_line.h"
#include "app/ostrino3/console_app.h"
#include "app/ostrino3/form1.h"
#include "link/frm_com.h"
#include "tests/support/fake_clock.h"
#include "tests/support/recording_beeper.h"
#include "tests/support/scoped_work_dir.h"
#include "tests/support/scripted_dialogs.h"

namespace ostrino {
namespace {

template <typename T>
T* child(QWidget* w, const char* name) {
    T* c = w->findChild<T*>(name);
    EXPECT_NE(c, nullptr) << name;
    return c;
}

QString labelText(QWidget* w, const char* name) {
    auto* l = child<QLabel>(w, name);
    return l != nullptr ? l->text() : QString();
}

TEST(FrmCom, ControlsCarryTheirNamesAndCaptions) {
    test::FakeClock clock;
    test::ScriptedDialogs dialogs;
    CommandLine cl;
    cl.simulate = true;
    test::RecordingBeeper beeper;
    ConsoleApp app(cl, clock, dialogs, beeper);
    app.state->cal.intCOMport = 3;
    frmCom w(*app.state, app.com, app.link, nullptr);
    EXPECT_EQ(w.windowTitle(), "Communications");
    EXPECT_TRUE(w.windowFlags() & Qt::WindowStaysOnTopHint);
    auto* cbo = child<QComboBox>(&w, "cboComNumber");
    ASSERT_NE(cbo, nullptr);
    ASSERT_EQ(cbo->count(), 10);
    EXPECT_EQ(cbo->itemText(0), "Com Port 1");
    EXPECT_EQ(cbo->itemText(9), "Com Port 10");
    EXPECT_EQ(cbo->currentIndex(), 2);  // intCOMport - 1
    EXPECT_EQ(child<QPushButton>(&w, "cmdPing")->text(), "ping");
    EXPECT_EQ(child<QPushButton>(&w, "cmdEsc")->text(), "Send esc");
    EXPECT_EQ(child<QPushButton>(&w, "cmdCloseCom")->text(), "Close Comport");
    EXPECT_EQ(child<QCheckBox>(&w, "chkDebug")->text(), "debug");
    EXPECT_FALSE(child<QCheckBox>(&w, "chkDebug")->isChecked());
    EXPECT_EQ(child<QCheckBox>(&w, "chkcorrection")->text(), "Voltage Corr.");
    EXPECT_TRUE(child<QCheckBox>(&w, "chkcorrection")->isChecked());
    for (const char* name : {"lblValueVa", "lblIntegerVs", "lblStringVg", "lblValueVf", "lblStr1",
                             "lblInt8", "lblVal4", "lblActualAverage"}) {
        EXPECT_EQ(labelText(&w, name), "---") << name;
    }
    EXPECT_EQ(labelText(&w, "lblIaRetGainHex"), "--");

    // choosing a port changes the port number for the next opening
    cbo->setCurrentIndex(5);
    EXPECT_EQ(app.state->cal.intCOMport, 6);
    child<QCheckBox>(&w, "chkcorrection")->setChecked(false);
    EXPECT_FALSE(app.com.chkcorrection);
}

// The machine's serial devices beside the port list, read again whenever the window shows.
TEST(FrmCom, SerialDevicesAreListedWhole) {
    test::FakeClock clock;
    test::ScriptedDialogs dialogs;
    CommandLine cl;
    cl.simulate = true;
    test::RecordingBeeper beeper;
    ConsoleApp app(cl, clock, dialogs, beeper);
    std::vector<SerialDeviceInfo> devices;
    frmCom w(*app.state, app.com, app.link, nullptr, nullptr, [&devices] { return devices; });
    auto* list = child<SerialDeviceList>(&w, "lstSerialDevices");
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->lines(), QStringList{"No serial devices found."});
    devices = {{"/dev/ttyS0", "", std::nullopt, std::nullopt},
               {"/dev/ttyUSB0", "FT232R USB UART", 0x0403, 0x6001}};
    w.showOnTop();
    EXPECT_EQ(list->lines(),
              (QStringList{"/dev/ttyS0  -", "/dev/ttyUSB0  FT232R USB UART  USB 0403:6001"}));
    for (const QString& line : list->lines()) {
        EXPECT_LE(list->fontMetrics().horizontalAdvance(line), list->viewport()->width())
            << line.toStdString();
    }
    EXPECT_GE(list->viewport()->height(), 2 * list->fontMetrics().height());
}

TEST(FrmCom, PingFillsEveryFieldOfTheExchange) {
    test::FakeClock clock;
    test::ScriptedDialogs dialogs;
    CommandLine cl;
    cl.simulate = true;
    test::RecordingBeeper beeper;
    ConsoleApp app(cl, clock, dialogs, beeper);
    test::ScopedWorkDir dir;  // start-up writes the calibration file here
    Form1 form(app);
    ASSERT_EQ(dialogs.texts(), std::vector<std::string>{"A new calibration file has been created"});
    dialogs.messages.clear();
    form.cmdDebugCom_Click();
    frmCom* w = form.communicationWindow();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->isVisible());
    child<QPushButton>(w, "cmdPing")->click();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(labelText(w, "lblStringSend"), "500000000000000000");
    EXPECT_EQ(labelText(w, "lblStringEcho"), "500000000000000000");
    EXPECT_EQ(labelText(w, "lblCompliance"), "8F");
    EXPECT_EQ(labelText(w, "lblIaGain"), "08");
    for (int n = 1; n <= 8; ++n) {
        for (const char* prefix : {"lblStr", "lblInt", "lblVal"}) {
            const std::string name = prefix + std::to_string(n);
            EXPECT_NE(labelText(w, name.c_str()), "---") << name;
        }
    }
    EXPECT_NE(labelText(w, "lblIaRetGainDec"), "--");
    EXPECT_NE(labelText(w, "lblActualAverage"), "---");
    EXPECT_FALSE(labelText(w, "lblStat").isEmpty());

    // "Send esc" returns the main window to its ground state.
    app.state->intMeasStat = kHeaterOn;
    child<QPushButton>(w, "cmdEsc")->click();
    EXPECT_EQ(app.state->intMeasStat, kGround);
    child<QPushButton>(w, "cmdCloseCom")->click();
    EXPECT_FALSE(app.link.portOpen());
}

TEST(CommandLineOptions, Parsing) {
    struct Case {
        std::vector<std::string> args;
        bool ok;
        std::string serial;
        bool simulate;
        std::string valve;
        bool ping;
    };
    const Case cases[] = {
        {{}, true, "", false, "", false},
        {{"--serial", "/dev/pts/3", "--ping"}, true, "/dev/pts/3", false, "", true},
        {{"--serial=/dev/ttyUSB1"}, true, "/dev/ttyUSB1", false, "", false},
        {{"--simulate"}, true, "", true, "", false},
        {{"--simulate=EL84", "--ping"}, true, "", true, "EL84", true},
        {{"--serial"}, false, "", false, "", false},
        {{"--simulate="}, false, "", true, "", false},
        {{"--frobnicate"}, false, "", false, "", false},
        {{"--simulate", "--serial", "/dev/pts/1"}, false, "/dev/pts/1", true, "", false},
    };
    for (const auto& c : cases) {
        const CommandLine cl = parseCommandLine(c.args);
        EXPECT_EQ(cl.error.empty(), c.ok) << cl.error;
        if (c.ok) {
            EXPECT_EQ(cl.serialDevice, c.serial);
            EXPECT_EQ(cl.simulate, c.simulate);
            EXPECT_EQ(cl.valve, c.valve);
            EXPECT_EQ(cl.ping, c.ping);
        }
    }
}

}  // namespace
}  // namespace ostrino
