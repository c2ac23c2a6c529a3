// The window of Ostrino_1p2, offscreen, on the built-in simulated instrument.

#include "app/ostrino1/gen1_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "tests/support/assistive_toggle.h"
#include "tests/support/fake_clock.h"
#include "tests/support/scripted_dialogs.h"

namespace ostrino::gen1 {
namespace {

struct WindowRig {
    WindowRig() : app(simulated(), clock, dialogs), form(app) { form.show(); }
    static CommandLine simulated() {
        CommandLine c;
        c.simulate = true;
        return c;
    }
    template <typename T>
    T* child(const char* name) {
        T* w = form.findChild<T*>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QString text(const char* button) { return child<QPushButton>(button)->text(); }

    ostrino::test::FakeClock clock;
    ostrino::test::ScriptedDialogs dialogs;
    Gen1App app;
    Form1 form;
};

TEST(Gen1Window, FramesControlsCaptionsAndLists) {
    WindowRig w;
    EXPECT_EQ(w.form.windowTitle(), "Ostrino (V1.1)");
    QStringList frames;
    for (auto* box : w.form.findChildren<QGroupBox*>()) {
        frames << box->title();
    }
    EXPECT_TRUE(frames.contains("Measurement Set-Up"));
    EXPECT_TRUE(frames.contains("Curve Output"));
    EXPECT_TRUE(frames.contains("Communication"));

    const std::pair<const char*, const char*> buttons[] = {
        {"cmdMeasStart", "Turn on Filament"},
        {"cmdMeasStop", "Abort !"},
        {"cmdPreset1", "400 V / 200 mA"},
        {"cmdPreset2", "200 V / 10 mA"},
        {"cmdPreset3", "200 V / 1 mA"},
        {"cmdPreset4", "-60 V / 200 mA"},
        {"cmdPreset5", "-20 V / 10 mA"},
        {"cmdPreset6", "-10 V / 1 mA"},
        {"cmdStore", "Store"},
        {"cmdRecall", "Recall"},
        {"cmdSave", "Save Data"},
        {"cmdEsc", "esc"},
        {"cmdCloseCom", "Close"},
    };
    for (const auto& [name, caption] : buttons) {
        if (auto* b = w.child<QPushButton>(name)) {
            EXPECT_EQ(b->text(), caption) << name;
        }
    }
    const std::pair<const char*, const char*> checks[] = {
        {"chkIa", "I anode"}, {"chkIs", "I screen"}, {"chkMarker", "Markers"},
        {"chkGrid", "Grid"},  {"chkDebug", "debug"}, {"chkMeasLog", "log"},
    };
    for (const auto& [name, caption] : checks) {
        if (auto* c = w.child<QCheckBox>(name)) {
            EXPECT_EQ(c->text(), caption) << name;
        }
    }
    w.child<QCheckBox>("chkIa20mA");
    w.child<QCheckBox>("chkIs5mA");
    for (const char* name : {"txtMeasStart", "txtMeasStop", "txtMeasNintv", "txtConst1",
                             "txtConst2", "txtDelay", "txtVar2", "txtXmin", "txtXmax", "txtXmajor",
                             "txtXminor", "txtYmin", "txtYmax", "txtYmajor", "txtYminor"}) {
        w.child<QLineEdit>(name);
    }
    for (int n = 1; n <= 8; ++n) {
        for (const char* kind : {"lblStr%1", "lblInt%1", "lblVal%1"}) {
            w.child<QLabel>(QString(kind).arg(n).toUtf8().constData());
        }
    }
    w.child<QLabel>("lblStat");
    EXPECT_EQ(w.child<QWidget>("picScreen")->accessibleName(), "Graph");

    auto items = [](QComboBox* c) {
        QStringList l;
        for (int i = 0; i < c->count(); ++i) {
            l << c->itemText(i);
        }
        return l;
    };
    EXPECT_EQ(items(w.child<QComboBox>("cboMeasType")),
              (QStringList{"I (Vgs)  step Va,  Vf constant", "I (Vgs)  step Va=Vs,  Vf constant",
                           "I (Va) step Vgs, Vs, Vf constant", "I (Va=Vs) step Vgs, Vf constant",
                           "I (Vf) step Vgs, Va, Vs constant"}));
    EXPECT_EQ(items(w.child<QComboBox>("cboComNumber")),
              (QStringList{"COM1", "COM2", "COM3", "COM4"}));
    EXPECT_EQ(w.child<QLabel>("lblNameVar2")->text(), "Va");
    EXPECT_FALSE(w.child<QLabel>("lblMeasuring")->isVisible());
    // Beside the port list: the machine's serial devices, or that there are none.
    if (auto* devices = w.child<ostrino::SerialDeviceList>("lstSerialDevices")) {
        const QStringList lines = devices->lines();
        ASSERT_FALSE(lines.isEmpty());
        if (lines != QStringList{"No serial devices found."}) {
            for (const QString& l : lines) {
                EXPECT_TRUE(l.startsWith("/dev/")) << l.toStdString();
            }
        }
    }
}

TEST(Gen1Window, NothingIsSqueezedBelowItsSize) {
    WindowRig w;
    QApplication::processEvents();
    for (QWidget* widget : w.form.findChildren<QWidget*>()) {
        if (!widget->isVisible() || widget->objectName().isEmpty()) {
            continue;
        }
        if (qobject_cast<QPushButton*>(widget) || qobject_cast<QCheckBox*>(widget) ||
            qobject_cast<QComboBox*>(widget)) {
            EXPECT_GE(widget->width(), widget->minimumSizeHint().width())
                << widget->objectName().toStdString();
        }
    }
    EXPECT_GE(w.form.findChild<QWidget*>("picScreen")->width(), 320);
}

TEST(Gen1Window, TypeChoiceUpdatesCaptionsAndHidesTheUnusedConstant) {
    WindowRig w;
    auto* type = w.child<QComboBox>("cboMeasType");
    type->setCurrentIndex(3);
    Q_EMIT type->activated(3);
    EXPECT_EQ(w.child<QLabel>("lblNameVar1")->text(), "Va = Vs");
    EXPECT_EQ(w.child<QLabel>("lblNameConst1")->text(), "Vf");
    EXPECT_FALSE(w.child<QLineEdit>("txtConst2")->isVisible());
    EXPECT_EQ(w.child<QLineEdit>("txtMeasStop")->text(), "200");

    auto* stop = w.child<QLineEdit>("txtMeasStop");
    stop->setText("450");
    Q_EMIT stop->editingFinished();
    EXPECT_EQ(w.dialogs.texts(),
              std::vector<std::string>{"Var1 Stop value has to be less than 400"});
    EXPECT_EQ(stop->text(), "400");
}

TEST(Gen1Window, HeaterMeasureAbortCycleThroughTheButtons) {
    WindowRig w;
    auto* start = w.child<QPushButton>("cmdMeasStart");
    auto* abort = w.child<QPushButton>("cmdMeasStop");
    start->click();
    ASSERT_TRUE(w.dialogs.messages.empty()) << w.dialogs.texts()[0];
    EXPECT_EQ(start->text(), "Measure Curve");

    // During the run the button reads "In Progress", is disabled and "Measuring!" shows;
    // "Abort !" pressed then stops the run after the current point.
    bool sawRunning = false;
    w.clock.at(w.clock.now() + 1.2, [&] {
        sawRunning = start->text() == "In Progress" && !start->isEnabled() &&
                     w.form.findChild<QLabel*>("lblMeasuring")->isVisible();
        abort->click();
    });
    start->click();
    EXPECT_TRUE(sawRunning);
    EXPECT_TRUE(w.dialogs.messages.empty());
    EXPECT_EQ(start->text(), "Measure Curve");
    EXPECT_TRUE(start->isEnabled());
    EXPECT_FALSE(w.form.findChild<QLabel*>("lblMeasuring")->isVisible());
    int measured = 0;
    for (const auto& row : w.app.state.result.cells) {
        measured += row[ResultMatrix::Curve] >= 1 ? 1 : 0;
    }
    EXPECT_GE(measured, 1);
    EXPECT_LT(measured, 11);
    EXPECT_NE(w.child<QLabel>("lblStr1")->text(), "---");  // the last result is shown

    abort->click();  // the heater goes off
    EXPECT_EQ(start->text(), "Turn on Filament");
    EXPECT_EQ(w.app.state.intMeasStat, kHeaterOff);
}

TEST(Gen1Window, FullScaleIsShownInTheCommunicationFrame) {
    WindowRig w;
    auto* label = w.child<QLabel>("lblFullScale");
    EXPECT_TRUE(label->text().isEmpty());
    const int width = w.form.minimumSizeHint().width();
    w.child<QPushButton>("cmdMeasStart")->click();
    w.child<QPushButton>("cmdMeasStart")->click();  // the default sweep ends at 0 V, full scale
    EXPECT_EQ(label->text(), "Ia, Is at full scale");
    EXPECT_TRUE(label->isVisible());
    QApplication::processEvents();
    EXPECT_LE(w.form.minimumSizeHint().width(), width);  // the window does not widen
    EXPECT_EQ(w.dialogs.messages.size(), 1u);
}

TEST(Gen1Window, RecallAfterStoreReadsDismiss) {
    WindowRig w;
    w.child<QPushButton>("cmdStore")->click();
    auto* recall = w.child<QPushButton>("cmdRecall");
    recall->click();
    EXPECT_EQ(recall->text(), "Dismiss");
    recall->click();
    EXPECT_EQ(recall->text(), "Recall");
}

TEST(Gen1Window, ClosingClosesThePort) {
    WindowRig w;
    w.child<QPushButton>("cmdMeasStart")->click();
    ASSERT_TRUE(w.app.port->isOpen());
    w.form.close();
    EXPECT_FALSE(w.app.port->isOpen());
    EXPECT_TRUE(w.app.console.closing());
}

// The check boxes act on every toggle, not on mouse clicks alone.
TEST(Gen1Window, CheckBoxesFollowEveryToggle) {
    WindowRig w;
    Controls& c = w.app.state.controls;
    const std::pair<const char*, bool Controls::*> boxes[] = {
        {"chkMeasLog", &Controls::chkMeasLog}, {"chkIa20mA", &Controls::chkIa20mA},
        {"chkIs5mA", &Controls::chkIs5mA},     {"chkIa", &Controls::chkIa},
        {"chkIs", &Controls::chkIs},           {"chkMarker", &Controls::chkMarker},
        {"chkGrid", &Controls::chkGrid},       {"chkDebug", &Controls::chkDebug}};
    for (const auto& [name, field] : boxes) {
        const bool before = c.*field;
        ostrino::test::assistiveToggle(w.child<QCheckBox>(name));
        EXPECT_NE(c.*field, before) << name;
    }
}

}  // namespace
}  // namespace ostrino::gen1
