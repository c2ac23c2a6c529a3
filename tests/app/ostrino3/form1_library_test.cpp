// The valve library from the main window: "Add to library", the "Library" window's filter,
// "Show on graph", "Open" and "Delete", and a library file that cannot be used.

#include <gtest/gtest.h>

#include <QPushButton>
#include <filesystem>
#include <fstream>
#include <set>

#include "app/ostrino3/form1.h"
#include "library/library.h"
#include "tests/support/fake_clock.h"
#include "tests/support/recording_beeper.h"
#include "tests/support/scoped_work_dir.h"
#include "tests/support/scripted_dialogs.h"

namespace ostrino {
namespace {

// The main window on the simulated instrument, with a library file in its own folder.
struct LibraryRig {
    LibraryRig() : app(commandLine(), clock, dialogs, beeper), form(app) {
        dialogs.messages.clear();  // the new calibration file
    }
    static CommandLine commandLine() {
        CommandLine c;
        c.simulate = true;
        c.libraryFile = "valves.sqlite";  // in the rig's folder
        return c;
    }
    void sweep() {
        auto* start = form.findChild<QPushButton*>("cmdMeasStart");
        start->click();  // heater on
        start->click();  // the sweep
    }
    MeasMatrix& matrix() { return app.state->dblMeasMatrix; }

    test::ScopedWorkDir dir;
    test::FakeClock clock;
    test::ScriptedDialogs dialogs;
    test::RecordingBeeper beeper;
    ConsoleApp app;
    Form1 form;
};

TEST(LibraryFromTheWindow, AddShowOnGraphOpenAndDelete) {
    LibraryRig r;
    EXPECT_FALSE(r.form.libraryAddModel());  // nothing measured yet: said so
    EXPECT_EQ(r.dialogs.messages.size(), 1u);
    r.dialogs.messages.clear();
    r.sweep();
    const MeasMatrix measured = r.matrix();
    auto measurements = r.form.measurementsToStore();
    ASSERT_EQ(measurements.size(), 1u);
    EXPECT_EQ(measurements[0].points.size(), 11u);
    ASSERT_TRUE(r.form.addToLibrary(measurements[0], "ECC82", "ECC82 #7", "box A"));
    // The next valve: the last type, its label counted up.
    const auto next = r.form.libraryAddModel();
    ASSERT_TRUE(next);
    EXPECT_EQ(next->type, "ECC82");
    EXPECT_EQ(next->label, "ECC82 #8");
    EXPECT_EQ(r.form.nextLibraryLabel("EL84"), "EL84 #1");

    // Other settings, no curves: "Open" brings the setup back with its curves.
    const double stop = r.app.state->meas.dblVar1Stop;
    r.app.state->meas.dblVar1Stop = stop - 2;
    r.form.logic().cmdClear_Click();
    ASSERT_EQ(r.matrix()(0, MeasMatrix::Curve), -1.0);

    LibraryWindowLogic& w = r.form.libraryWindow()->logic();
    ASSERT_TRUE(w.refresh());
    ASSERT_EQ(w.model.rows.size(), 1u);
    EXPECT_EQ(w.model.rows[0].label, "ECC82 #7");
    w.select({w.model.rows[0].id});
    w.cmdShowOnGraph_Click();
    for (int i = 0; i <= 10; ++i) {
        EXPECT_EQ(r.matrix().cells[static_cast<std::size_t>(MeasMatrix::kStored + i)],
                  measured.cells[static_cast<std::size_t>(i)])
            << i;
    }
    EXPECT_EQ(r.matrix()(MeasMatrix::kStored + 11, MeasMatrix::Curve), 0.0);
    EXPECT_EQ(r.form.logic().model.cboY2Var, 6);  // "  stored Ia" beside the sweep

    w.cmdOpen_Click();
    EXPECT_EQ(r.app.state->meas.dblVar1Stop, stop);
    // The setup file keeps thousandths.
    EXPECT_NEAR(r.matrix()(10, MeasMatrix::Ia), measured(10, MeasMatrix::Ia), 0.0005);
    for (const auto& m : r.dialogs.texts()) {
        ADD_FAILURE() << m;
    }

    r.dialogs.answers = {false, true};
    w.cmdDelete_Click();  // "No": kept
    EXPECT_EQ(w.model.rows.size(), 1u);
    w.cmdDelete_Click();
    EXPECT_EQ(r.dialogs.questions.size(), 2u);
    EXPECT_TRUE(w.model.rows.empty());
}

TEST(LibraryFromTheWindow, Filter) {
    LibraryRig r;
    library::Library* lib = r.form.libraryAccess().get();
    ASSERT_NE(lib, nullptr);
    const struct {
        const char* type;
        const char* label;
        const char* when;
    } records[] = {{"ECC83", "ECC83 #1", "2024-05-01 10:00"},
                   {"ECC83", "box B 2", "2024-05-02 23:59"},
                   {"EL84", "EL84 #1", "2024-06-01 08:00"}};
    for (const auto& rec : records) {
        library::LibraryRecord record;
        record.valveType = rec.type;
        record.label = rec.label;
        record.when = *library::parseDateTime(rec.when);
        ASSERT_TRUE(lib->add(record));
    }
    LibraryWindowLogic& w = r.form.libraryWindow()->logic();
    struct Case {
        const char *type, *label, *from, *to;
        std::set<std::string> shown;
    };
    const Case cases[] = {
        {"", "", "", "", {"ECC83 #1", "box B 2", "EL84 #1"}},
        {"ecc83", "", "", "", {"ECC83 #1", "box B 2"}},
        {"", "#1", "", "", {"ECC83 #1", "EL84 #1"}},
        {"", "", "2024-05-02", "", {"box B 2", "EL84 #1"}},
        {"", "", "", "2024-05-02", {"ECC83 #1", "box B 2"}},  // the whole last day
        {"", "", "2024-05-01 12:00", "2024-05-31", {"box B 2"}},
        {"EL84", "box", "", "", {}},
    };
    for (const Case& c : cases) {
        w.model.cboType = c.type;
        w.model.txtLabel = c.label;
        w.model.txtFrom = c.from;
        w.model.txtTo = c.to;
        ASSERT_TRUE(w.refresh());
        std::set<std::string> shown;
        for (const auto& row : w.model.rows) {
            shown.insert(row.label);
        }
        EXPECT_EQ(shown, c.shown) << c.type << "|" << c.label << "|" << c.from << "|" << c.to;
    }
    EXPECT_EQ(w.model.types, (std::vector<std::string>{"ECC83", "EL84"}));
    // A date that cannot be read: one message, the table as it was.
    w.model.txtFrom = "1st of May";
    EXPECT_FALSE(w.refresh());
    ASSERT_EQ(r.dialogs.messages.size(), 1u);
    EXPECT_NE(r.dialogs.messages[0].text.find("\"1st of May\""), std::string::npos);
}

// A library file that is no database: one message that says so and what has become of the
// measurement; the curves stay, the file stays as it was.
TEST(LibraryFromTheWindow, UnusableLibraryKeepsTheMeasurement) {
    LibraryRig r;
    { std::ofstream("valves.sqlite") << "a list of valves, typed by hand\n"; }
    r.sweep();
    const auto measurements = r.form.measurementsToStore();
    ASSERT_EQ(measurements.size(), 1u);
    EXPECT_FALSE(r.form.addToLibrary(measurements[0], "ECC82", "ECC82 #1", ""));
    ASSERT_EQ(r.dialogs.messages.size(), 1u);
    const std::string& text = r.dialogs.messages[0].text;
    EXPECT_NE(text.find("has not been stored"), std::string::npos) << text;
    EXPECT_NE(text.find("not a valve library"), std::string::npos) << text;
    EXPECT_NE(text.find("Its curves stay in the console"), std::string::npos) << text;
    EXPECT_EQ(r.matrix()(10, MeasMatrix::Curve), 1.0);
    std::ifstream in("valves.sqlite");
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line, "a list of valves, typed by hand");
    // The window does not open on it; its one message says why.
    r.form.mnuLibrary_Click();
    EXPECT_EQ(r.dialogs.messages.size(), 2u);
    EXPECT_FALSE(r.form.libraryWindow()->isVisible());
}

}  // namespace
}  // namespace ostrino
