// The rules both quick tests share: percent of nominal, the display of differential
// results, the anode limit of the hardware, the report file, what a run leaves alone.

#include "quicktest/quick_common.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "common/text_file.h"
#include "files/data_export.h"
#include "sim/instrument.h"
#include "tests/quicktest/quick_rig.h"
#include "tests/support/scoped_work_dir.h"
#include "tests/support/scripted_dialogs.h"

namespace ostrino {
namespace {

TEST(QuickTestRules, PercentOfNominal) {
    struct Case {
        double meas, nominal;
        const char* text;
        int bar;
    };
    const Case cases[] = {
        {50.0, 100.0, "50", 50},    {190.0, 100.0, "190", 150},   // bar full from 150 %
        {150.0, 100.0, "150", 150}, {1200.0, 100.0, ">>>", 150},  // beyond 999 %
        {999.0, 100.0, "999", 150}, {999.6, 100.0, ">>>", 150},
        {12.5, 100.0, "12", 12},                             // ties to the even neighbour
        {13.5, 100.0, "14", 14},    {5.0, 0.0, "- - -", 0},  // no nominal value given
        {5.0, 0.005, "- - -", 0},   {1.0, 0.01, ">>>", 150},
        {-10.0, 100.0, "-10", 0},  // a negative current leaves the bar empty
    };
    for (const Case& c : cases) {
        double proc = -1.0;
        const std::string text = CalNom(c.meas, c.nominal, proc);
        EXPECT_EQ(text, c.text) << c.meas << " of " << c.nominal;
        EXPECT_EQ(progressValue(proc), c.bar) << c.meas << " of " << c.nominal;
    }
}

TEST(QuickTestRules, ResistanceDisplay) {
    struct Case {
        double dV, dIamps;
        const char* text;
        const char* unit;  // "" leaves the unit label alone
        bool computed;
    };
    const Case cases[] = {
        {50.0, 50.0 / 850.0, "850", "(ohm)", true},
        {50.0, 50.0 / 8500.0, "8.5", "(kohm)", true},
        {50.0, 50.0 / 999.4, "999", "(ohm)", true},
        {50.0, 0.05, "1", "(kohm)", true},
        {500000.0, 0.5, "1000", "(kohm)", true},  // exactly 1 Mohm is still shown
        {500001.0, 0.5, "> 1M", "", false},       // just beyond
        {50.0, 0.0, "> 1M", "", false},           // equal currents
        {-50.0, 0.005, "-10", "(kohm)", true},    // falling current
        {0.0, 0.0, "N.A.", "", false},            // no swing, no change: 0 / 0
        {0.0, 0.003, "N.A.", "", false},          // no swing: no difference quotient
    };
    for (const Case& c : cases) {
        const Differential d = resistance(c.dV, c.dIamps);
        EXPECT_EQ(d.text, c.text) << c.dV << " / " << c.dIamps;
        EXPECT_EQ(d.unit, c.unit) << c.dV << " / " << c.dIamps;
        EXPECT_EQ(d.computed, c.computed) << c.dV << " / " << c.dIamps;
    }
}

TEST(QuickTestRules, TransconductanceDisplay) {
    struct Case {
        double dImA, dV;
        const char* text;
        const char* unit;
        bool computed;
    };
    const Case cases[] = {
        {1.0, 2.0, "500", "(uA/V)", true},
        {5.0, 2.0, "2.5", "(mA/V)", true},
        {2.0, 2.0, "1", "(mA/V)", true},
        {400.0, 2.0, "200", "(mA/V)", true},
        {401.0, 2.0, "> 200", "", false},
        {0.0, 2.0, "0", "(uA/V)", true},  // no current change at all
        {0.0, 0.0, "N.A.", "", false},
    };
    for (const Case& c : cases) {
        const Differential d = transconductance(c.dImA, c.dV);
        EXPECT_EQ(d.text, c.text) << c.dImA << " / " << c.dV;
        EXPECT_EQ(d.unit, c.unit) << c.dImA << " / " << c.dV;
        EXPECT_EQ(d.computed, c.computed) << c.dImA << " / " << c.dV;
    }
    EXPECT_EQ(notMeasured().text, "- - -");
    EXPECT_FALSE(notMeasured().computed);
}

TEST(QuickTestRules, MaximumAnodeVoltageFollowsTheHardware) {
    EXPECT_EQ(maxAnodeVoltage(1), 300.0);
    for (int version : {0, 2, 3, -1}) {
        EXPECT_EQ(maxAnodeVoltage(version), 400.0) << version;
    }
}

TEST(QuickTestRules, FieldCodes) {
    const int codes[] = {21, 22, 23, 31, 32, 33, 41, 42, 43, 11, 12, 13, 14, 15};
    for (int i = 0; i < 14; ++i) {
        EXPECT_EQ(fieldIndex(codes[i]), i) << codes[i];
    }
    for (int bad : {0, 10, 16, 20, 24, 34, 44, 51}) {
        EXPECT_EQ(fieldIndex(bad), -1) << bad;
    }
}

TEST(QuickTestRules, NominalGivenInTheReport) {
    EXPECT_TRUE(nominalGiven("10"));
    EXPECT_TRUE(nominalGiven("0.02"));
    EXPECT_FALSE(nominalGiven("0.01"));
    EXPECT_FALSE(nominalGiven("0"));
    EXPECT_FALSE(nominalGiven(""));
    EXPECT_FALSE(nominalGiven("abc"));
}

std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(QuickTestReportFile, ReplacedOrAppended) {
    test::ScopedWorkDir dir;
    test::ScriptedDialogs dialogs;
    writeReport(dialogs, "first\r\n", false);  // the dialog is cancelled
    ASSERT_EQ(dialogs.fileRequests.size(), 1u);
    EXPECT_EQ(dialogs.fileRequests[0].filter, "Ostrino datafile (*.txt)|*.txt");
    EXPECT_TRUE(dialogs.fileRequests[0].save);
    EXPECT_TRUE(dialogs.fileRequests[0].promptOverwrite);
    EXPECT_TRUE(dialogs.fileRequests[0].startFolder.empty());
    EXPECT_FALSE(fileExists("r.txt"));

    dialogs.fileNames = {"r.txt", "r.txt", "r.txt", "new.txt"};
    writeReport(dialogs, "first\r\n", false);
    writeReport(dialogs, "second\r\n", true);
    EXPECT_EQ(fileText("r.txt"), "first\r\nsecond\r\n");
    writeReport(dialogs, "third\r\n", false);
    EXPECT_EQ(fileText("r.txt"), "third\r\n");
    writeReport(dialogs, "alone\r\n", true);  // appending to no file starts it
    EXPECT_EQ(fileText("new.txt"), "alone\r\n");
    EXPECT_TRUE(dialogs.messages.empty());
    // Only a file that is to be replaced is confirmed first.
    const bool prompted[] = {true, true, false, true, false};
    ASSERT_EQ(dialogs.fileRequests.size(), std::size(prompted));
    for (std::size_t i = 0; i < std::size(prompted); ++i) {
        EXPECT_EQ(dialogs.fileRequests[i].promptOverwrite, prompted[i]) << i;
    }
}

TEST(QuickTestReportFile, AFailedWriteLeavesTheFileAlone) {
    test::ScopedWorkDir dir;
    test::ScriptedDialogs dialogs;
    EXPECT_FALSE(writeReportTo(dialogs, "missing-folder/r.txt", "x\r\n", false));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_NE(dialogs.messages[0].text.find("missing-folder/r.txt"), std::string::npos);
}

TEST(QuickTestReportFile, AnUnreadableFileIsNotReplacedWhenAppending) {
    test::ScopedWorkDir dir;
    test::ScriptedDialogs dialogs;
    // Something of that name that cannot be read as a report (here a folder, which no rights
    // make readable) is reported and left where it is.
    std::filesystem::create_directory("report.txt");
    std::ofstream("report.txt/inside.txt", std::ios::binary) << "old\r\n";
    EXPECT_FALSE(writeReportTo(dialogs, "report.txt", "new\r\n", true));
    EXPECT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(std::filesystem::is_directory("report.txt"));
    EXPECT_EQ(fileText("report.txt/inside.txt"), "old\r\n");
}

// ---- the run ------------------------------------------------------------------------------

// A quick test after a sweep, however it ends, leaves the measured family in the shared
// matrix (and so on the graph and in every export) as the sweep left it.
TEST(QuickTestRun, TheMeasuredFamilyStays) {
    enum class End { Done, Abort, Fault };
    struct Case {
        const char* what;
        bool pentode;
        End end;
        int stateAfter;
    };
    const Case cases[] = {
        {"triode", false, End::Done, kHeaterOn},
        {"triode aborted", false, End::Abort, kHeaterOn},
        {"triode, link lost", false, End::Fault, kGround},
        {"pentode", true, End::Done, kHeaterOn},
    };
    for (const Case& c : cases) {
        test::QuickTestRig r;
        r.heaterOn();
        r.logic.run.cmdMeasStart_Click();  // the sweep of type 0: 11 points
        ASSERT_EQ(r.state.dblMeasMatrix(10, MeasMatrix::Curve), 1.0) << c.what;
        r.state.blnCompliance = true;
        const MeasMatrix family = r.state.dblMeasMatrix;
        if (c.end == End::Abort) {
            r.port.instrument().setCommandListener([&r](const std::string& command) {
                if (command.substr(0, 2) == "10") {
                    r.logic.run.cmdMeasStop_Click();
                }
            });
        } else if (c.end == End::Fault) {
            sim::SimOptions silent;
            silent.fault = sim::FaultKind::Silent;
            silent.faultAfterCommands = 3;  // the settings and two points
            r.port.replaceInstrument(std::make_unique<sim::Instrument>(silent));
        }
        if (c.pentode) {
            r.pentode.cmdTest_Click();
        } else {
            r.triode.cmdTest_Click();
        }
        EXPECT_EQ(r.state.intMeasStat, c.stateAfter) << c.what;
        EXPECT_TRUE(r.state.dblMeasMatrix.cells == family.cells) << c.what;
        EXPECT_EQ(measMatrixText(r.state.dblMeasMatrix), measMatrixText(family)) << c.what;
        EXPECT_TRUE(r.state.blnCompliance) << c.what;
        // The test measured its own points.
        const MeasMatrix& points = c.pentode ? r.pentode.testPoints() : r.triode.testPoints();
        EXPECT_EQ(points(0, MeasMatrix::Curve), 1.0) << c.what;
    }
}

// "Test" cannot be pressed while a test runs, in either window: its message box would hold
// the instrument at the point being measured.
TEST(QuickTestRun, TestIsDisabledWhileATestRuns) {
    test::QuickTestRig r;
    r.heaterOn();
    std::vector<bool> enabled;
    r.triode.refresh = [&] { enabled.push_back(r.triode.model.cmdTestEnabled); };
    r.port.instrument().setCommandListener([&](const std::string& command) {
        if (command.substr(0, 2) == "10") {
            r.pentode.TestButtonUpdate();
            enabled.push_back(r.pentode.model.cmdTestEnabled);
        }
    });
    r.triode.cmdTest_Click();
    EXPECT_EQ(enabled, std::vector<bool>({false, false, false, false, false, false, true}));
    EXPECT_TRUE(r.triode.model.cmdTestEnabled);
    r.pentode.TestButtonUpdate();
    EXPECT_TRUE(r.pentode.model.cmdTestEnabled);
}

}  // namespace
}  // namespace ostrino
