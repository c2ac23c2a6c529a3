// The two quick-test windows offscreen: their controls, a test against the simulated
// instrument, switching between them, and their fields after a setup is opened.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <vector>

#include "app/ostrino3/form1.h"
#include "sim/sim_serial_port.h"
#include "tests/support/assistive_toggle.h"
#include "tests/support/widgets.h"
#include "tests/support/window_rig.h"

namespace ostrino {
namespace {

struct Console : test::WindowRig {
    Console() { dialogs.messages.clear(); }
    void heaterOn() {
        child<QPushButton>(&form, "cmdMeasStart")->click();
        ASSERT_EQ(app.state->intMeasStat, kHeaterOn);
    }
};

QStringList frameTitles(QWidget* w) {
    QStringList out;
    for (auto* g : w->findChildren<QGroupBox*>()) {
        out << g->title();
    }
    return out;
}

TEST(QuickTestWindows, TriodeTestAgainstTheSimulator) {
    Console c;
    c.form.cmdQT_Click();
    QWidget* w = c.form.triodeQuickTestWindow();
    c.child<QPushButton>(w, "cmdTest")->click();  // heater off
    ASSERT_EQ(c.dialogs.messages.size(), 1u);
    EXPECT_EQ(c.dialogs.messages[0].text, "Quicktest only possible when heater is on");
    c.dialogs.messages.clear();
    c.heaterOn();
    c.child<QPushButton>(w, "cmdTest")->click();
    EXPECT_TRUE(c.dialogs.messages.empty());
    EXPECT_EQ(c.app.state->intMeasStat, kHeaterOn);
    EXPECT_EQ(c.child<QPushButton>(w, "cmdTest")->text(), "Test");
    EXPECT_NE(test::shownText(w, "lblIa1"), "- - -");
    EXPECT_NE(test::shownText(w, "lblMu2"), "- - -");
    EXPECT_EQ(c.child<QPushButton>(&c.form, "cmdMeasStart")->text(), "Measure Curve");
}

// Closing the main window in the middle of a test (here in a point's 5-second delay) ends
// the run: the port is closed, nothing more is sent, no message, and "Test" again only says
// why it cannot start.
TEST(QuickTestWindows, ClosingTheMainWindowDuringATestEndsItQuietly) {
    Console c;
    c.app.state->meas.dblDelay = 5;
    c.form.cmdQT_Click();
    QWidget* w = c.form.triodeQuickTestWindow();
    c.heaterOn();
    c.clock.at(c.clock.now() + 0.5, [&] { c.form.close(); });
    c.child<QPushButton>(w, "cmdTest")->click();
    EXPECT_FALSE(c.app.port->isOpen());
    EXPECT_TRUE(c.dialogs.messages.empty());
    EXPECT_FALSE(c.form.isVisible());
    EXPECT_EQ(c.app.link.SndString(pingString()).error, LinkError::NotOpen);
    EXPECT_FALSE(c.app.port->isOpen());
}

TEST(QuickTestWindows, SwitchingBetweenTriodeAndPentode) {
    Console c;
    c.form.cmdQT_Click();
    QWidget* triode = c.form.triodeQuickTestWindow();
    c.child<QCheckBox>(triode, "chkPentode")->click();
    QWidget* pentode = c.form.pentodeQuickTestWindow();
    EXPECT_FALSE(triode->isVisible());
    EXPECT_TRUE(pentode->isVisible());
    EXPECT_FALSE(c.child<QCheckBox>(triode, "chkPentode")->isChecked());
    EXPECT_EQ(c.app.state->quickTest.intQTtype, 2);
    EXPECT_EQ(pentode->windowTitle(), "Quick Test pentode");
    EXPECT_TRUE(c.child<QCheckBox>(pentode, "chkPentode")->isChecked());

    pentode->hide();
    c.form.cmdQT_Click();  // the main window's button now opens the pentode test
    EXPECT_TRUE(pentode->isVisible());
    EXPECT_FALSE(triode->isVisible());

    c.child<QCheckBox>(pentode, "chkTriode")->click();
    EXPECT_TRUE(triode->isVisible());
    EXPECT_FALSE(pentode->isVisible());
    EXPECT_EQ(c.app.state->quickTest.intQTtype, 1);
    EXPECT_FALSE(c.child<QCheckBox>(pentode, "chkTriode")->isChecked());
}

TEST(QuickTestWindows, PentodeControlsAndTest) {
    Console c;
    c.app.state->quickTest.intQTtype = 2;
    c.form.cmdQT_Click();
    QWidget* w = c.form.pentodeQuickTestWindow();
    ASSERT_TRUE(w->isVisible());
    EXPECT_EQ(w->objectName(), "frmQTpentode");
    EXPECT_EQ(frameTitles(w), QStringList({"Settings", "Currents", "Derivatives"}));
    for (const char* box : {"txtVa", "txtVaProc", "txtVaStep", "txtVs", "txtVsProc", "txtVsStep",
                            "txtVg", "txtVgProc", "txtVgStep", "txtIaNom", "txtIsNom", "txtRaNom",
                            "txtGmNom", "txtMuNom", "txtTitle"}) {
        c.child<QLineEdit>(w, box);
    }
    for (const char* unit : {"lblVaIaohm", "lblVsIsohm"}) {
        EXPECT_EQ(test::shownText(w, unit), "(ohm)") << unit;
    }
    for (const char* unit : {"lblIaVgmA", "lblIaVsmA", "lblIsVgmA", "lblIsVamA"}) {
        EXPECT_EQ(test::shownText(w, unit), "(mA/V)") << unit;
    }
    for (const char* label : {"lblVa", "lblVs", "lblIa", "lblIs", "lblIaProc", "lblIsProc",
                              "lblIaVg", "lblGmProc", "lblVaIa", "lblRaProc", "lblMu1", "lblMuProc",
                              "lblIaVs", "lblIsVg", "lblVsIs", "lblMu2", "lblIsVa"}) {
        EXPECT_EQ(test::shownText(w, label), "- - -") << label;
    }
    c.heaterOn();
    c.child<QPushButton>(w, "cmdTest")->click();
    EXPECT_TRUE(c.dialogs.messages.empty());
    EXPECT_NE(test::shownText(w, "lblIa"), "- - -");
    EXPECT_EQ(c.child<QPushButton>(w, "cmdTest")->text(), "Test");
}

TEST(QuickTestWindows, OpeningASetupRefreshesTheFields) {
    Console c;
    c.form.cmdQT_Click();
    QWidget* triode = c.form.triodeQuickTestWindow();
    QWidget* pentode = c.form.pentodeQuickTestWindow();
    c.app.state->quickTest.dblQTTVa1 = 180;
    c.app.state->quickTest.dblQTPVs = 120;
    c.app.state->quickTest.chkAppendPentode = true;
    c.dialogs.fileNames = {"qt.oss", "qt.oss"};
    c.child<QPushButton>(&c.form, "cmdSaveSetup")->click();
    test::typeInto(triode, "txtVa1", "100");
    test::typeInto(pentode, "txtVs", "200");
    c.app.state->quickTest.chkAppendPentode = false;
    EXPECT_EQ(test::shownText(triode, "txtVa1"), "100");
    c.child<QPushButton>(&c.form, "cmdOpenSetup")->click();
    EXPECT_EQ(test::shownText(triode, "txtVa1"), "180");
    EXPECT_EQ(test::shownText(triode, "txtVa1Step"), "18");
    EXPECT_EQ(test::shownText(pentode, "txtVs"), "120");
    EXPECT_TRUE(c.child<QCheckBox>(pentode, "chkAppend")->isChecked());
}

// While a test or a sweep measures, "Test" cannot be pressed in either window: the message
// box it would raise holds the measurement at its point until it is closed.
TEST(QuickTestWindows, TestIsDisabledWhileMeasuring) {
    Console c;
    c.app.state->meas.dblDelay = 1;  // a second per point, to look in the middle of a run
    c.form.cmdQT_Click();
    auto* test = c.child<QPushButton>(c.form.triodeQuickTestWindow(), "cmdTest");
    auto* other = c.child<QPushButton>(c.form.pentodeQuickTestWindow(), "cmdTest");
    c.heaterOn();
    std::vector<bool> enabled;
    const auto look = [&](double after) {
        c.clock.at(c.clock.now() + after, [&] {
            enabled = {test->isEnabled(), other->isEnabled()};
        });
    };
    look(0.5);
    test->click();
    EXPECT_EQ(enabled, std::vector<bool>({false, false}));
    EXPECT_TRUE(test->isEnabled());
    EXPECT_TRUE(other->isEnabled());

    // A sweep: a click before its first point is drawn does nothing, and from then on the
    // buttons are disabled.
    c.clock.at(c.clock.now() + 0.5, [&] { test->click(); });
    look(1.5);
    auto* port = dynamic_cast<sim::SimSerialPort*>(c.app.port.get());
    ASSERT_NE(port, nullptr);
    const std::size_t mark = port->wire().size();
    c.child<QPushButton>(&c.form, "cmdMeasStart")->click();
    EXPECT_EQ(enabled, std::vector<bool>({false, false}));
    EXPECT_TRUE(test->isEnabled());
    EXPECT_TRUE(c.dialogs.messages.empty());
    EXPECT_EQ(c.app.state->intMeasStat, kHeaterOn);
    // The sweep's 11 points, each with its pre-conditioning, and nothing of a test.
    EXPECT_EQ(port->wire().size() - mark, (1 + 22 + 1) * 18u);
}

// The check boxes act on every toggle, not on mouse clicks alone.
TEST(QuickTestWindows, CheckBoxesFollowEveryToggle) {
    Console c;
    c.form.cmdQT_Click();
    QWidget* triode = c.form.triodeQuickTestWindow();
    QWidget* pentode = c.form.pentodeQuickTestWindow();
    test::assistiveToggle(c.child<QCheckBox>(triode, "chkAppend"));
    EXPECT_TRUE(c.app.state->quickTest.chkAppendTriode);
    test::assistiveToggle(c.child<QCheckBox>(triode, "chkPentode"));
    EXPECT_TRUE(pentode->isVisible());
    EXPECT_EQ(c.app.state->quickTest.intQTtype, 2);
    test::assistiveToggle(c.child<QCheckBox>(pentode, "chkAppend"));
    EXPECT_TRUE(c.app.state->quickTest.chkAppendPentode);
    test::assistiveToggle(c.child<QCheckBox>(pentode, "chkTriode"));
    EXPECT_TRUE(triode->isVisible());
    EXPECT_EQ(c.app.state->quickTest.intQTtype, 1);
    // "triode" marks the triode window: taking its tick away gives it back.
    auto* self = c.child<QCheckBox>(triode, "chkTriode");
    self->setChecked(false);
    EXPECT_TRUE(self->isChecked());
}

}  // namespace
}  // namespace ostrino
