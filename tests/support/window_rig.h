#pragma once
// The whole main window on the built-in simulated instrument, offscreen, in a fresh folder,
// with a fake clock and scripted dialogs.

#include <gtest/gtest.h>

#include <QPushButton>
#include <QWidget>
#include <string>

#include "app/ostrino3/console_app.h"
#include "app/ostrino3/form1.h"
#include "tests/support/fake_clock.h"
#include "tests/support/recording_beeper.h"
#include "tests/support/scoped_work_dir.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/widgets.h"

namespace ostrino::test {

struct WindowRig {
    WindowRig() : app(simulated(), clock, dialogs, beeper), form(app) {}
    static CommandLine simulated() {
        CommandLine c;
        c.simulate = true;
        return c;
    }
    // A control of a window by its name; a missing one fails the test.
    template <typename T>
    T* child(QWidget* parent, const char* name) {
        return test::child<T>(parent, name);
    }
    template <typename T>
    T* child(const char* name) {
        return test::child<T>(&form, name);
    }

    ScopedWorkDir dir;
    FakeClock clock;
    ScriptedDialogs dialogs;
    RecordingBeeper beeper;
    ConsoleApp app;
    Form1 form;
};

// Measures an anode family (grid from -10 V to 0 V, the anode swept as the measurement type
// does by default) on the simulated instrument and saves it with its setup.
inline void measureAndSave(WindowRig& w, const std::string& path) {
    Form1Logic& logic = w.form.logic();
    logic.model.cboMeasType = 2;  // "I (Va , Vg) with Vs, Vh constant"
    logic.setup.cboMeasType_Click();
    logic.model.txtVar2 = "-10 -7.5 -5 -2.5 0";
    logic.setup.ProcessVar2String();
    logic.setup.ProcessFields();
    w.form.refreshFromModel();
    auto* start = w.child<QPushButton>("cmdMeasStart");
    start->click();  // heater on
    start->click();  // the sweep
    w.dialogs.fileNames.push_back(path);
    w.child<QPushButton>("cmdSaveSetup")->click();
}

}  // namespace ostrino::test
