#include "files/setup_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "common/text_file.h"
#include "tests/support/console_rig.h"
#include "tests/support/fake_clock.h"
#include "tests/support/recording_beeper.h"
#include "tests/support/scoped_work_dir.h"
#include "tests/support/scripted_dialogs.h"

namespace ostrino {
namespace {

struct Console : test::ConsoleRig {
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
    c.state.qt.dblQTTVa1 = 180;
    c.state.qt.chkAppendPentode = true;
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
    EXPECT_DOUBLE_EQ(d.state.qt.dblQTTVa1, 180);
    EXPECT_TRUE(d.state.qt.chkAppendPentode);
    EXPECT_EQ(d.state.dblMeasMatrix(5, 0), 2);
    EXPECT_DOUBLE_EQ(d.state.dblMeasMatrix(5, 6), 500);
    EXPECT_EQ(d.state.dblMeasMatrix(1000, 0), -1);  // no stored curve
    EXPECT_EQ(text(d), saved);                      // the same file again, byte for byte
}

TEST(SetupFile, EmptyTitleAndFilesThatEndAtAMarker) {
    Console c;
    c.logic.model.txtTitle = "";
    c.state.qt.dblQTPVa = 300;
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
        d.state.qt.dblQTPVa = 111;
        d.state.dblMeasMatrix(1000, 0) = 5;
        ASSERT_TRUE(d.file.openFrom(cutPath)) << d.dialogs.texts().front();
        EXPECT_EQ(d.logic.model.txtTitle, "");
        EXPECT_DOUBLE_EQ(d.state.qt.dblQTPVa, cut.quickTest ? 300 : 111);
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

}  // namespace
}  // namespace ostrino
