#include <gtest/gtest.h>

#include <filesystem>

#include "common/text_file.h"
#include "measure/console_views.h"
#include "measure/form1_setup.h"
#include "plot/graph_settings.h"
#include "tests/support/console_rig.h"
#include "tests/support/fake_clock.h"
#include "tests/support/recording_beeper.h"
#include "tests/support/scoped_work_dir.h"
#include "tests/support/scripted_dialogs.h"

namespace ostrino {
namespace {

struct Console : test::ConsoleRig {
    Console() {
        logic.hooks.CorrectGraphFault = [this] { return graph.correctFirstGraphFault(); };
    }
    GraphSettingsLogic graph{graphSources(state), logic.model, dialogs};
    SetupFile file{state, logic, dialogs};
};

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> out;
    LineReader r(text);
    while (auto l = r.nextLine()) {
        out.push_back(*l);
    }
    return out;
}

std::string text(Console& c) {
    std::string error;
    const auto t = setupFileText(c.state, c.logic.model, error);
    EXPECT_TRUE(t.has_value()) << error;
    return t.value_or("");
}

TEST(SetupFileText, LineLayout) {
    Console c;
    c.state.meas.dblVar1Start = 250.0;
    c.state.meas.dblVar2Values = {-2.5, -5, -7.5};
    c.state.meas.intVar2Count = 3;
    c.state.meas.dblDelay = 0.0004;
    auto& m = c.state.dblMeasMatrix;
    m(0, 0) = 1;
    m(0, 1) = 12.345;
    m(0, 2) = 0.678;
    m(0, 3) = 6.3;
    m(0, 4) = -2;
    m(0, 5) = 250;
    m(0, 6) = 250;
    m(1, 0) = 0;
    const std::string t = text(c);
    const auto lines = splitLines(t);
    EXPECT_EQ(t.substr(0, 47), " 19500        external heater voltage (*1000)\r\n");
    EXPECT_EQ(lines[11], " 250000       Variable 1 Start (*1000)");
    EXPECT_EQ(lines[17], " 0            Delay (*1000)");
    EXPECT_EQ(lines[18], " 3            number of stepping variables");
    EXPECT_EQ(lines[19], "-2500         stepping variable:   1 ");
    EXPECT_EQ(lines[21], "-7500         stepping variable:   3 ");
    EXPECT_EQ(lines[22], " 8            Ia Range");
    // the third title option carries the label of the second
    EXPECT_EQ(lines[57], " 0            title top flag");
    EXPECT_EQ(lines[58], "Title");
    EXPECT_EQ(lines[64], " 0            pinning position  0 ");
    EXPECT_EQ(lines[105], " 0             0 means this is not yet the end of file");
    // no stored curve: count 1 and the row that marks the block empty
    const std::size_t stored = t.find("number of points in stored curve");
    ASSERT_NE(stored, std::string::npos);
    EXPECT_EQ(t.substr(stored - 14, 14), " 1            ");
    EXPECT_NE(t.find("number of points in stored curve\r\n-1   0   0   0   0   0   0 \r\n"),
              std::string::npos);
    EXPECT_NE(t.find("\r\n 1   12345   678   6300  -2000   250000   250000 \r\n"),
              std::string::npos);
    const std::string endLine = "-1             -1 means this is the end of file\r\n";
    EXPECT_EQ(t.substr(t.size() - endLine.size()), endLine);
}

// The Pmax box is read as the graph reads it, so whatever the graph draws can be saved.
TEST(SetupFileText, PmaxAsTheGraphReadsIt) {
    const std::pair<const char*, const char*> cases[] = {{"2.75", " 2750         Pmax "},
                                                         {"15 W", " 15000        Pmax "},
                                                         {"", " 0            Pmax "}};
    for (const auto& [box, line] : cases) {
        Console c;
        c.logic.model.txtPmax = box;
        EXPECT_NE(text(c).find(std::string("\r\n") + line + "\r\n"), std::string::npos) << box;
    }
}

TEST(SetupFile, RoundTrip) {
    Console c;
    c.logic.model.cboMeasType = 2;
    c.logic.setup.cboMeasType_Click();
    auto& s = c.state.meas;
    s.dblVar1Start = 10;
    s.dblVar1Stop = 250;
    s.intVar1Nintv = 24;
    s.dblVar2Values = {-1, -2.5, -4};
    s.intVar2Count = 3;
    s.dblConst1 = 150;
    s.dblConst2 = 12.6;
    s.dblDelay = 2;
    c.logic.model.chkMeasLog = true;
    c.state.cboIaRange = 3;
    c.state.cboAverage = 2;
    c.logic.model.chkBeep = true;
    c.logic.model.cboY2Var = 2;
    c.logic.model.cboY1Marker = 3;
    c.logic.model.txtTitle = "  ECC82, \"matched\" pair, 1957";
    c.logic.model.titlePlacement = 2;
    c.logic.model.txtPmax = "2.75";
    c.state.graph.dblY1max = 12.5;
    c.state.intPins[4] = 7;
    c.state.quickTest.dblQTTVa1 = 180;
    c.state.quickTest.chkAppendPentode = true;
    auto& m = c.state.dblMeasMatrix;
    for (int r = 0; r < 6; ++r) {
        m(r, 0) = 1 + r / 3;
        m(r, 1) = 0.5 * r;
        m(r, 6) = 100.0 * r;
    }
    m(6, 0) = 0;
    const std::string saved = text(c);
    const std::string path = (std::filesystem::current_path() / "a.oss").string();
    ASSERT_TRUE(c.file.saveTo(path));

    Console d;  // a fresh console opens it
    d.state.meas.dblVar2Values[5] = 99;
    ASSERT_TRUE(d.file.openFrom(path));
    EXPECT_TRUE(d.dialogs.messages.empty()) << d.dialogs.messages[0].text;
    EXPECT_EQ(d.state.meas.intMeasType, 2);
    EXPECT_EQ(d.state.meas.intVar2Count, 3);
    EXPECT_DOUBLE_EQ(d.state.meas.dblVar2Values[1], -2.5);
    EXPECT_DOUBLE_EQ(d.state.meas.dblVar2Values[5], 99);  // beyond the count: untouched
    EXPECT_EQ(d.logic.model.txtTitle, "  ECC82, \"matched\" pair, 1957");
    EXPECT_EQ(d.logic.model.txtPmax, "2.75");
    EXPECT_EQ(d.logic.model.titlePlacement, 2);
    EXPECT_EQ(d.state.intPins[4], 7);
    EXPECT_DOUBLE_EQ(d.state.quickTest.dblQTTVa1, 180);
    EXPECT_TRUE(d.state.quickTest.chkAppendPentode);
    EXPECT_EQ(d.state.dblMeasMatrix(5, 0), 2);
    EXPECT_DOUBLE_EQ(d.state.dblMeasMatrix(5, 6), 500);
    EXPECT_EQ(d.state.dblMeasMatrix(1000, 0), -1);  // no stored curve
    EXPECT_EQ(text(d), saved);                      // the same file again, byte for byte
}

TEST(SetupFile, EmptyTitleAndFilesThatEndAtAMarker) {
    Console c;
    c.logic.model.txtTitle = "";
    c.state.quickTest.dblQTPVa = 300;
    c.state.dblMeasMatrix(1000, 0) = 1;
    c.state.dblMeasMatrix(1001, 0) = 0;
    const std::string full = text(c);
    const auto lines = splitLines(full);
    std::size_t titleLine = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].find("title top flag") != std::string::npos) {
            titleLine = i + 1;
        }
    }
    EXPECT_EQ(lines.at(titleLine), "");
    const auto cutPath = (std::filesystem::current_path() / "cut.oss").string();

    // Cut at each marker: what comes before is loaded, what follows stays as it was.
    const char* markers[] = {" 0 means this is not yet the end of file",
                             " 0 means this is not yet end of file"};
    struct Cut {
        std::size_t markerLine;
        bool quickTest, stored;
    };
    std::vector<Cut> cuts;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].find(markers[0]) != std::string::npos ||
            lines[i].find(markers[1]) != std::string::npos) {
            cuts.push_back({i, cuts.size() >= 1, cuts.size() >= 2});
        }
    }
    ASSERT_EQ(cuts.size(), 3u);
    for (const Cut& cut : cuts) {
        std::string cutText;
        for (std::size_t i = 0; i < cut.markerLine; ++i) {
            cutText += lines[i] + "\r\n";
        }
        cutText += "-1            end\r\n";
        std::string error;
        ASSERT_TRUE(writeFileAtomically(cutPath, cutText, error)) << error;
        Console d;
        d.logic.model.txtTitle = "old";
        d.state.quickTest.dblQTPVa = 111;
        d.state.dblMeasMatrix(1000, 0) = 5;
        ASSERT_TRUE(d.file.openFrom(cutPath)) << d.dialogs.texts().front();
        EXPECT_EQ(d.logic.model.txtTitle, "");
        EXPECT_DOUBLE_EQ(d.state.quickTest.dblQTPVa, cut.quickTest ? 300 : 111);
        EXPECT_EQ(d.state.dblMeasMatrix(1000, 0), cut.stored ? 1 : 5);
    }
}

// A full sweep (1000 points) has no end row of its own: its count runs on into the stored
// block, and the file still opens and gives back every point.
TEST(SetupFile, FullBlocksRunOnAndReadBack) {
    Console c;
    auto& m = c.state.dblMeasMatrix;
    for (int row = 0; row < 1000; ++row) {
        m(row, MeasMatrix::Curve) = 1 + row / 100;
        m(row, MeasMatrix::Ia) = row * 0.01;
    }
    for (int row = 1000; row < 1003; ++row) {  // three stored points, then their end row
        m(row, MeasMatrix::Curve) = 1;
        m(row, MeasMatrix::Ia) = 42;
    }
    m(1003, MeasMatrix::Curve) = 0;
    const auto lines = splitLines(text(c));
    std::size_t actualCount = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].find("number of points in actual curve") != std::string::npos) {
            actualCount = i;
        }
    }
    ASSERT_NE(actualCount, 0u);
    EXPECT_EQ(lines[actualCount].substr(0, 6), " 1004 ");  // 1000 + 3 stored + their end row
    EXPECT_EQ(lines.size(), actualCount + 1 + 1004 + 1);

    const auto path = (std::filesystem::current_path() / "full.oss").string();
    std::string error;
    ASSERT_TRUE(writeFileAtomically(path, text(c), error)) << error;
    Console d;
    ASSERT_TRUE(d.file.openFrom(path)) << d.dialogs.texts().front();
    for (int row : {0, 999, 1000, 1002, 1003}) {
        EXPECT_EQ(d.state.dblMeasMatrix(row, MeasMatrix::Curve), m(row, MeasMatrix::Curve)) << row;
        EXPECT_NEAR(d.state.dblMeasMatrix(row, MeasMatrix::Ia), m(row, MeasMatrix::Ia), 1e-9)
            << row;
    }
}

// A list written as -1 had nothing selected: the list keeps its selection and the rest of
// the file applies. Title options are selected by 1 only; none selected is kept as such.
TEST(SetupFile, UnselectedListsAndTitleOptions) {
    Console c;
    c.logic.model.cboY2Var = 2;
    c.logic.model.titlePlacement = 1;
    auto lines = splitLines(text(c));
    const auto lineOf = [&lines](const std::string& label) {
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (lines[i].find(label) != std::string::npos) {
                return i;
            }
        }
        ADD_FAILURE() << label;
        return std::size_t{0};
    };
    const std::size_t y2Var = lineOf("Y2 axis variable");
    lines[y2Var].replace(0, 3, "-1 ");
    const std::size_t titles = lineOf("title off flag");
    lines[titles].replace(0, 3, " 0 ");
    lines[titles + 1].replace(0, 3, "-1 ");
    lines[titles + 2].replace(0, 3, " 7 ");
    std::string changed;
    for (const auto& l : lines) {
        changed += l + "\r\n";
    }
    const auto path = (std::filesystem::current_path() / "lists.oss").string();
    std::string error;
    ASSERT_TRUE(writeFileAtomically(path, changed, error)) << error;
    Console d;
    d.logic.model.cboY2Var = 5;
    ASSERT_TRUE(d.file.openFrom(path)) << d.dialogs.texts().front();
    EXPECT_EQ(d.logic.model.cboY2Var, 5);
    EXPECT_EQ(d.logic.model.titlePlacement, kNoTitleOption);
    const auto again = splitLines(text(d));
    EXPECT_EQ(again[titles].substr(0, 3), " 0 ");
    EXPECT_EQ(again[titles + 1].substr(0, 3), " 0 ");
    EXPECT_EQ(again[titles + 2].substr(0, 3), " 0 ");
}

TEST(SetupFile, DamagedFilesChangeNothing) {
    Console c;
    const auto lines = splitLines(text(c));
    auto withLine = [&](std::size_t index, const std::string& replacement) {
        std::string out;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            out += (i == index ? replacement : lines[i]) + "\r\n";
        }
        return out;
    };
    std::string firstLines;
    for (std::size_t i = 0; i < 30; ++i) {
        firstLines += lines[i] + "\r\n";
    }
    const std::size_t storedCount = [&] {
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (lines[i].find("stored curve") != std::string::npos) {
                return i;
            }
        }
        return std::size_t{0};
    }();
    struct Case {
        std::string content;
        std::string lineWord;
    };
    const Case cases[] = {
        {firstLines, "line 31"},  // ends before the first marker
        {withLine(11, " abc          Variable 1 Start"), "line 12"},  // text for a number
        {withLine(10, " 13           measurement type"), "line 11"},  // no such type
        {withLine(18, " 22           number of stepping"), "line 19"},
        {withLine(storedCount, " 5            number of points in stored curve"), "line"},
        // numbers no console writes: too large for a setting
        {withLine(19, " 1E+20        stepping variable:   1 "),
         "line 20: a stepping value 1E+20 is "
         "too large to be a setting"},
        {withLine(17, " 1E+20        Delay (*1000)"), "line 18: the delay 1E+20 is too large"},
        {withLine(storedCount + 1, " 1 2 3 4 5 6 3E+9"),
         "curve point value 3000000000 is too large"},
        // Values that could not be written back as 32-bit whole numbers.
        {withLine(11, " 3000000000   Variable 1 Start"), "line 12"},
        {withLine(storedCount,
                  " 1            number of points in stored curve\r\n"
                  " 1   24551   15581   6300  -4000   199103   24927249130 "),
         "line " + std::to_string(storedCount + 2)},
        {"", "line 1"},
    };
    const auto badPath = (std::filesystem::current_path() / "bad.oss").string();
    for (const Case& k : cases) {
        std::string error;
        ASSERT_TRUE(writeFileAtomically(badPath, k.content, error));
        Console d;
        d.logic.model.txtTitle = "keep me";
        d.state.meas.dblVar1Stop = -3;
        EXPECT_FALSE(d.file.openFrom(badPath));
        ASSERT_EQ(d.dialogs.messages.size(), 1u);
        const std::string& msg = d.dialogs.messages[0].text;
        EXPECT_NE(msg.find("bad.oss"), std::string::npos) << msg;
        EXPECT_NE(msg.find(k.lineWord), std::string::npos) << msg;
        EXPECT_EQ(d.logic.model.txtTitle, "keep me");
        EXPECT_DOUBLE_EQ(d.state.meas.dblVar1Stop, -3);
    }
}

// The file's line with this label replaced by value (the label stays).
std::string withValue(const std::string& file, const std::string& label, const std::string& value) {
    std::string out;
    for (const std::string& line : splitLines(file)) {
        out += (line.find(label) != std::string::npos ? value + line.substr(14) : line) + "\r\n";
    }
    return out;
}

// A setup file is input like a typed entry: each value outside its limit (of the type, the
// hardware version and the heater supply) gets the typed message and correction.
TEST(SetupFile, ValuesOutsideTheirLimitsAreCorrectedAsTypedOnes) {
    struct Case {
        const char* label;
        const char* value;  // 14 columns, as the file has it
        int version;
        const char* message;  // nullptr: accepted
        double (*setting)(const Console&);
        double expected;
    };
    const auto vheat = [](const Console& c) { return c.state.dblVheatExt; };
    const auto stop = [](const Console& c) { return c.state.meas.dblVar1Stop; };
    const auto nintv = [](const Console& c) { return double(c.state.meas.intVar1Nintv); };
    const auto const1 = [](const Console& c) { return c.state.meas.dblConst1; };
    const auto const2 = [](const Console& c) { return c.state.meas.dblConst2; };
    const auto delay = [](const Console& c) { return c.state.meas.dblDelay; };
    const auto step1 = [](const Console& c) { return c.state.meas.dblVar2Values[0]; };
    const auto xmajor = [](const Console& c) { return double(c.state.graph.intXmajor); };
    const auto y1min = [](const Console& c) { return c.state.graph.dblY1min; };
    const Case cases[] = {
        {"external heater voltage", " 60000        ", 1, "Heater voltage must be less than 40V",
         vheat, 19.5},
        {"Variable 1 Stop", " 5000         ", 1, "Var1 Stop value has to be less than 0", stop, 0},
        {"number of intervals", "-5            ", 1,
         "The number of steps in Var1 has to be larger than one", nintv, 10},
        {"Constant 1", " 450000       ", 1, "Const1 has to be less than 300", const1, 300},
        {"Constant 1", " 350000       ", 2, nullptr, const1, 350},  // 400 V hardware
        {"Constant 2", " 30000        ", 1, "Const2 has to be less than 19.5", const2, 19.5},
        {"Delay", " 400000       ", 1, "Delay has to be less than 300", delay, 300},
        {"stepping variable:   1", " 450000       ", 1, "Stepping var has to be smaller than 300",
         step1, 200},
        {"number of X-ticks", " 11           ", 1, "Minor ticks has to be =< 10", xmajor, 10},
        {"Y1min", "-5000         ", 1, "Y1-min has to be larger than 0", y1min, 0},
    };
    Console c;
    const std::string saved = text(c);
    const auto path = (std::filesystem::current_path() / "limits.oss").string();
    for (const Case& k : cases) {
        std::string error;
        ASSERT_TRUE(writeFileAtomically(path, withValue(saved, k.label, k.value), error));
        Console d;
        d.state.cal.intVersion = k.version;
        d.logic.setup.SelectMeas();
        EXPECT_TRUE(d.file.openFrom(path)) << k.label;
        if (k.message == nullptr) {
            EXPECT_TRUE(d.dialogs.messages.empty()) << d.dialogs.messages[0].text;
        } else {
            ASSERT_EQ(d.dialogs.texts(), std::vector<std::string>{k.message}) << k.label;
            EXPECT_EQ(d.dialogs.messages[0].icon, MessageIcon::Exclamation);
        }
        EXPECT_DOUBLE_EQ(k.setting(d), k.expected) << k.label;
    }
}

// For the command line a setup holding such values is refused as a whole: one message per
// value with the file and its line, in the order of the file.
TEST(SetupFile, RefusedWithTheLineOfEveryValueOutsideItsLimit) {
    Console c;
    std::string file = text(c);
    // The external supply is checked before the heater limit that follows from it.
    file = withValue(file, "external heater voltage", " 60000        ");
    file = withValue(file, "external heater flag", " 1            ");
    file = withValue(file, "Constant 2", " 30000        ");        // heater above 19.5
    file = withValue(file, "Variable 1 Start", " 5000         ");  // start above stop
    file = withValue(file, "number of Y1-ticks", " 0            ");
    file = withValue(file, "stepping variable:   1", " 1000         ");  // below 2 V
    const auto path = (std::filesystem::current_path() / "refused.oss").string();
    std::string error;
    ASSERT_TRUE(writeFileAtomically(path, file, error));

    Console d;
    EXPECT_FALSE(d.file.openFrom(path, SetupFile::OutOfLimits::Refuse));
    const std::string at = "The setup file " + path + ", ";
    EXPECT_EQ(d.dialogs.texts(),
              (std::vector<std::string>{
                  at + "line 1: Heater voltage must be less than 40V",
                  at + "lines 12 and 13: Var1 Start has to less than Stop value",
                  at + "line 17: Const2 has to be less than 19.5",
                  at + "line 20: Stepping var has to be larger than 2",
                  at + "line 46: Major ticks has to be >=1",
                  "The setup file " + path +
                      " holds values outside their limits; nothing has been measured.",
              }));

    // The same file unchanged opens without a word.
    ASSERT_TRUE(writeFileAtomically(path, text(c), error));
    Console e;
    EXPECT_TRUE(e.file.openFrom(path, SetupFile::OutOfLimits::Refuse));
    EXPECT_TRUE(e.dialogs.messages.empty());
}

// A heater sweep on a 30 V external supply tracks the x axis to 27 V, beyond the axis limit
// of 20 V: that range is the graph's own, and the file opens without a word.
TEST(SetupFile, TrackedXRangeIsTheGraphsOwn) {
    Console c;
    c.dialogs.answers = {true};
    c.logic.chkExtVheat_Click(true);
    c.state.dblVheatExt = 30;
    c.logic.model.cboMeasType = 8;
    c.logic.setup.cboMeasType_Click();
    c.state.meas.dblVar1Stop = 27;
    c.graph.resolveRanges();
    ASSERT_DOUBLE_EQ(c.state.graph.dblXmax, 27);
    const auto path = (std::filesystem::current_path() / "heater.oss").string();
    std::string error;
    ASSERT_TRUE(writeFileAtomically(path, text(c), error));

    Console d;
    EXPECT_TRUE(d.file.openFrom(path, SetupFile::OutOfLimits::Refuse));
    EXPECT_TRUE(d.dialogs.messages.empty()) << d.dialogs.messages[0].text;
    EXPECT_DOUBLE_EQ(d.state.meas.dblVar1Stop, 27);

    // On "Manual" the same range is the user's and is held to the limit.
    d.logic.model.cboXScale = 1;
    d.state.graph.dblXmax = 27;
    ASSERT_TRUE(writeFileAtomically(path, text(d), error));
    Console e;
    EXPECT_FALSE(e.file.openFrom(path, SetupFile::OutOfLimits::Refuse));
    EXPECT_NE(e.dialogs.texts().front().find("line 42: X-max has to be less than 20"),
              std::string::npos)
        << e.dialogs.texts().front();
}

}  // namespace
}  // namespace ostrino
