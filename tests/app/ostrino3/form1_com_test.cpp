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
#include "tests/support/widgets.h"

namespace ostrino {
namespace {

using test::child;

QString labelText(QWidget* w, const char* name) {
    return test::shownText(w, name);
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
