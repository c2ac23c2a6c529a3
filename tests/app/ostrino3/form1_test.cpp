// The main window offscreen: its controls, and a heater-on / sweep / heater-off cycle
// against the simulated instrument.

#include "app/ostrino3/form1.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>

#include "tests/support/assistive_toggle.h"
#include "tests/support/window_rig.h"

namespace ostrino {
namespace {

QStringList items(QComboBox* c) {
    QStringList out;
    for (int i = 0; i < c->count(); ++i) {
        out << c->itemText(i);
    }
    return out;
}

using Window = test::WindowRig;

TEST(Form1Window, ControlsAndLists) {
    Window w;
    EXPECT_EQ(w.form.windowTitle(), "Ostrino (V3.11)");
    EXPECT_EQ(w.child<QWidget>("picScreen")->accessibleName(), "Graph");
    for (const char* frame : {"Measurement Set-Up", "Miscellaneous", "Curve Output"}) {
        bool found = false;
        for (auto* g : w.form.findChildren<QGroupBox*>()) {
            found = found || g->title() == frame;
        }
        EXPECT_TRUE(found) << frame;
    }
    EXPECT_EQ(items(w.child<QComboBox>("cboMeasType")).size(), 13);
    EXPECT_EQ(w.child<QComboBox>("cboMeasType")->itemText(12),
              "I (Va , Vg) with Vs, Vh constant (Schade FB)");
    EXPECT_EQ(items(w.child<QComboBox>("cboIaRange")),
              QStringList({"0 - 200 mA", "0 - 100 mA", "0 -  40 mA", "0 -  20 mA", "0 -  10 mA",
                           "0 -   5 mA", "0 -   2 mA", "0 -   1 mA", "Automatic"}));
    EXPECT_EQ(w.child<QComboBox>("cboIaRange")->currentIndex(), 8);
    EXPECT_EQ(items(w.child<QComboBox>("cboAverage")),
              QStringList({"none", "2X", "4X", "8X", "16X", "32X", "Automatic"}));
    EXPECT_EQ(w.child<QComboBox>("cboAverage")->currentIndex(), 6);
    EXPECT_EQ(w.child<QComboBox>("cboCompliance")->itemText(8), "off !");
    EXPECT_EQ(items(w.child<QComboBox>("cboY1Var")).front(), "  none");
    EXPECT_EQ(items(w.child<QComboBox>("cboY2Scale")).back(), " Copy");
    const std::pair<const char*, const char*> buttons[] = {{"cmdMeasStart", "Heater on !"},
                                                           {"cmdMeasStop", "Abort !"},
                                                           {"cmdOpenSetup", "Open Setup"},
                                                           {"cmdSaveSetup", "Save Setup"},
                                                           {"cmdCalibration", "Cal."},
                                                           {"cmdSave", "Save Data"},
                                                           {"cmdSavePlot", "Save Plot"},
                                                           {"cmdDebugCom", "Debug"},
                                                           {"cmdQT", "Quick Test"},
                                                           {"cmdPinsOn", "pins"},
                                                           {"cmdClear", "Clear"},
                                                           {"cmdDistortion", "Distortion"},
                                                           {"cmdStore", "Store"}};
    for (const auto& [name, text] : buttons) {
        auto* b = w.child<QPushButton>(name);
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(b->text(), text);
    }
}

// An axis showing "none" has its six controls disabled; choosing a quantity enables them.
TEST(Form1Window, AxisControlsFollowTheirQuantity) {
    Window w;
    const auto enabled = [&w](const char* axis) {
        QStringList states;
        for (const char* control :
             {"cbo%1Marker", "cbo%1Line", "cbo%1Scale", "txt%1min", "txt%1max", "txt%1major"}) {
            auto* c = w.form.findChild<QWidget*>(QString(control).arg(axis));
            states << (c == nullptr ? "missing" : c->isEnabled() ? "on" : "off");
        }
        return states.join(" ");
    };
    EXPECT_EQ(enabled("Y1"), "on on on on on on");
    EXPECT_EQ(enabled("Y2"), "off off off off off off");
    auto* y2 = w.child<QComboBox>("cboY2Var");
    y2->setCurrentIndex(2);
    Q_EMIT y2->activated(2);  // "  Is"
    EXPECT_EQ(enabled("Y2"), "on on on on on on");
    auto* y1 = w.child<QComboBox>("cboY1Var");
    y1->setCurrentIndex(0);
    Q_EMIT y1->activated(0);
    EXPECT_EQ(enabled("Y1"), "off off off off off off");
}

TEST(Form1Window, HeaterOnMeasureAndHeaterOff) {
    Window w;
    auto* start = w.child<QPushButton>("cmdMeasStart");
    auto* stop = w.child<QPushButton>("cmdMeasStop");
    w.dialogs.messages.clear();
    start->click();  // ping and the ten-second ramp, on the fake clock
    EXPECT_EQ(start->text(), "Measure Curve");
    EXPECT_EQ(w.app.state->intMeasStat, kHeaterOn);
    start->click();  // the sweep
    const auto& m = w.app.state->dblMeasMatrix;
    for (int i = 0; i <= 10; ++i) {
        EXPECT_EQ(m(i, MeasMatrix::Curve), 1.0) << i;
    }
    EXPECT_EQ(m(11, MeasMatrix::Curve), 0.0);
    EXPECT_GT(m(10, MeasMatrix::Ia), m(0, MeasMatrix::Ia));
    w.child<QPushButton>("cmdStore")->click();
    EXPECT_EQ(m(1010, MeasMatrix::Ia), m(10, MeasMatrix::Ia));
    stop->click();  // heater off
    EXPECT_EQ(w.app.state->intMeasStat, kGround);
    EXPECT_EQ(start->text(), "Heater on!");
    EXPECT_TRUE(w.dialogs.messages.empty());
    EXPECT_EQ(m(10, MeasMatrix::Curve), 1.0);
}

TEST(Form1Window, ClosingDuringTheRampOrTheSweepEndsQuietly) {
    for (bool duringSweep : {false, true}) {
        Window w;
        auto* start = w.child<QPushButton>("cmdMeasStart");
        if (duringSweep) {
            start->click();
        }
        w.dialogs.messages.clear();
        w.clock.at(w.clock.now() + 0.5, [&] { w.form.close(); });
        start->click();
        EXPECT_FALSE(w.app.port->isOpen());
        EXPECT_TRUE(w.dialogs.messages.empty());
        EXPECT_FALSE(w.form.isVisible());
        // The port stays closed.
        EXPECT_EQ(w.app.link.SndString(pingString()).error, LinkError::NotOpen);
        EXPECT_FALSE(w.app.port->isOpen());
    }
}

TEST(Form1Window, CalibrationWindowOpens) {
    Window w;
    w.child<QPushButton>("cmdCalibration")->click();
    ASSERT_NE(w.form.calibrationWindow(), nullptr);
    EXPECT_EQ(w.form.calibrationWindow()->windowTitle(), "Calibration");
}

// The check boxes act on every toggle, not on mouse clicks alone; the window's own refresh
// acts on none of them.
TEST(Form1Window, CheckBoxesFollowEveryToggle) {
    Window w;
    w.dialogs.messages.clear();
    Form1Model& m = w.form.logic().model;
    const std::pair<const char*, bool Form1Model::*> boxes[] = {
        {"chkMeasLog", &Form1Model::chkMeasLog},
        {"chkBeep", &Form1Model::chkBeep},
        {"chkColor", &Form1Model::chkColor},
        {"chkGrid", &Form1Model::chkGrid},
        {"chkKeepPlot", &Form1Model::chkKeepPlot}};
    for (const auto& [name, field] : boxes) {
        const bool before = m.*field;
        test::assistiveToggle(w.child<QCheckBox>(name));
        EXPECT_NE(m.*field, before) << name;
    }
    test::assistiveToggle(w.child<QRadioButton>("optTitleGraph"));
    EXPECT_EQ(m.titlePlacement, 2);

    // "Ext. heater supply" asks first (answered Yes here).
    auto* ext = w.child<QCheckBox>("chkExtVheat");
    test::assistiveToggle(ext);
    EXPECT_EQ(w.dialogs.questions.size(), 1u);
    EXPECT_TRUE(w.app.state->chkExtVheat);
    // A change that comes from the state (an opened setup, say) is only shown.
    w.app.state->chkExtVheat = false;
    w.form.refreshFromModel();
    EXPECT_FALSE(ext->isChecked());
    EXPECT_EQ(w.dialogs.questions.size(), 1u);
    EXPECT_TRUE(w.dialogs.messages.empty());
}

}  // namespace
}  // namespace ostrino
