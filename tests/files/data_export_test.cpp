#include "files/data_export.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "measure/console_views.h"
#include "tests/support/scoped_work_dir.h"
#include "tests/support/scripted_dialogs.h"

namespace ostrino {
namespace {

using Row = std::array<double, MeasMatrix::kCols>;  // curve, Ia, Is, Vh, Vg, Vs, Va

// Writes rows into a block and ends its data with a 0 curve number.
void fill(MeasMatrix& m, int firstRow, std::initializer_list<Row> rows) {
    for (const Row& row : rows) {
        m.cells.at(static_cast<std::size_t>(firstRow++)) = row;
    }
    m(firstRow, MeasMatrix::Curve) = 0;
}

// Va swept over 100, 200, 300 V at Vg = -2 and -4 V; nothing stored yet.
std::unique_ptr<ConsoleState> vaSweep() {
    auto s = std::make_unique<ConsoleState>();
    s->graph.intXcol = MeasMatrix::Va;
    s->meas.dblVar2Values = {-2, -4};
    s->dblMeasMatrix.markEmpty(MeasMatrix::kStored);
    fill(s->dblMeasMatrix, 0,
         {{1, 1.234, 0, 6.3, -2, 0, 100},
          {1, 5.678, 0, 6.3, -2, 0, 200},
          {1, 10.5, 0, 6.3, -2, 0, 300},
          {2, .25, 0, 6.3, -4, 0, 100},
          {2, 2.125, 0, 6.3, -4, 0, 200},
          {2, 6.75, 0, 6.3, -4, 0, 300}});
    return s;
}

SweepCaptions vaModel() {
    SweepCaptions model;
    model.lblNameVar1 = "Va";
    model.lblNameVar2 = "Vg";
    return model;
}

std::string contents(const std::string& path) {
    std::ostringstream s;
    s << std::ifstream(path, std::ios::binary).rdbuf();
    return s.str();
}

const std::string kMatrixHeader =
    "Point    Curve     Ia (mA)        Is (mA)       Vg (V)          Va (V)         Vs (V)"
    "         Vf (V)\r\n";

TEST(DataExport, ListAndBlockMatchTheReferenceLayouts) {
    const auto s = vaSweep();
    EXPECT_EQ(listText(exportSources(*s), vaModel(), 0, true),
              " Va (V)        Ia (mA)\r\n \r\n"
              " Vg = -2  V\r\n 100           1.234 \r\n 200           5.678 \r\n"
              " 300           10.5 \r\n \r\n"
              " Vg = -4  V\r\n 100           .25 \r\n 200           2.125 \r\n"
              " 300           6.75 \r\n \r\n");
    EXPECT_EQ(blockText(exportSources(*s), vaModel(), 0, true),
              " Va (V)        Ia (mA)\r\n"
              "               Vg = -2  V     Vg = -4  V \r\n"
              " 100           1.234          .25  \r\n"
              " 200           5.678          2.125  \r\n"
              " 300           10.5           6.75  \r\n");
}

TEST(DataExport, EachQuantityIsRoundedAndWrittenInTheFileForm) {
    struct Case {
        int option, row, column;
        std::string title;
        double value;
        std::string item;
    };
    const Case cases[] = {
        {0, 0, 1, "Ia (mA)", 0.5, " .5 "},
        {1, 0, 2, "Is (mA)", -0.25, "-.25 "},
        {2, 2000, 1, "Ia fit (mA)", 12, " 12 "},
        {3, 2000, 2, "dIa/dV (mA/V)", 1.23456, " 1.235 "},
        {4, 2000, 3, "dV/dIa (V/mA)", 1e8, " 100000000 "},  // a flat fit: too large to round
        {5, 1000, 1, "Ia stored (mA)", 0.0625, " .062 "},   // ties go to the even neighbour
        {6, 1000, 2, "Is stored (mA)", 1, " 1 "},
    };
    for (const Case& c : cases) {
        auto s = std::make_unique<ConsoleState>();
        s->graph.intXcol = MeasMatrix::Vg;
        fill(s->dblMeasMatrix, c.row, {{1, 0, 0, 0, 1e9, 0, 0}});  // 1e9: too large as well
        s->dblMeasMatrix(c.row, c.column) = c.value;
        EXPECT_EQ(listText(exportSources(*s), SweepCaptions{}, c.option, false),
                  " 1000000000   " + c.item + "\r\n \r\n")
            << c.option;
        EXPECT_EQ(listText(exportSources(*s), SweepCaptions{}, c.option, true)
                      .value()
                      .rfind(" Vg (V)        " + c.title + "\r\n", 0),
                  0u)
            << c.option;
    }
}

TEST(DataExport, StoredCurvesExistOnlyAfterStore) {
    const auto s = vaSweep();
    s->dblMeasMatrix(MeasMatrix::kFit, 1) = 7;
    for (int option : {5, 6, -1, 7}) {  // any index beyond 0..5 means "Is stored"
        EXPECT_EQ(listText(exportSources(*s), vaModel(), option, true), std::nullopt) << option;
        EXPECT_EQ(blockText(exportSources(*s), vaModel(), option, true), std::nullopt) << option;
    }
    s->dblMeasMatrix(MeasMatrix::kStored + 7, MeasMatrix::Curve) = 5;
    Store(s->dblMeasMatrix);  // the whole block, past its end mark too; the fits stay
    EXPECT_TRUE(std::equal(s->dblMeasMatrix.cells.begin(), s->dblMeasMatrix.cells.begin() + 1000,
                           s->dblMeasMatrix.cells.begin() + MeasMatrix::kStored));
    EXPECT_EQ(s->dblMeasMatrix(MeasMatrix::kFit, 1), 7);
    EXPECT_EQ(listText(exportSources(*s), vaModel(), 6, true).value().substr(0, 36),
              " Va (V)        Is stored (mA)\r\n \r\n V");
}

TEST(DataExport, CurvesAreCountedByTheirRoundedNumbers) {
    struct Case {
        std::vector<double> curveNumbers;
        int curves, points;
    };
    const Case cases[] = {
        {{-1}, 0, 0},           {{0.4, 1}, 0, 0},           {{1, 1, 1, 2, 2, 2}, 2, 3},
        {{1, 1, -2, -2}, 1, 2},  // composed points not yet measured end the data
        {{1.4, 0.6, 1}, 1, 3},  {{1, 1, 1, 2, 3, 3}, 3, 2},  // unequal: the last one counts
    };
    for (const Case& c : cases) {
        auto s = std::make_unique<ConsoleState>();
        int r = MeasMatrix::kStored;
        for (double n : c.curveNumbers) {
            s->dblMeasMatrix(r++, MeasMatrix::Curve) = n;
        }
        const CurveCount count = countCurves(s->dblMeasMatrix, MeasMatrix::kStored);
        EXPECT_EQ(count.curves, c.curves) << c.curveNumbers.size();
        EXPECT_EQ(count.points, c.points) << c.curveNumbers.size();
    }

    // Data running up to the last row of the matrix ends there.
    auto full = std::make_unique<ConsoleState>();
    for (auto& row : full->dblMeasMatrix.cells) {
        row[MeasMatrix::Curve] = 1;
    }
    EXPECT_EQ(countCurves(full->dblMeasMatrix, MeasMatrix::kFit).points, 1001);
    const std::string matrix = measMatrixText(full->dblMeasMatrix);
    EXPECT_EQ(std::count(matrix.begin(), matrix.end(), '\n'), 1 + MeasMatrix::kRows);
}

TEST(DataExport, BlockColumnsFollowTheCurvesAndAWideSweptValueWraps) {
    auto s = std::make_unique<ConsoleState>();
    s->graph.intXcol = MeasMatrix::Vg;
    s->meas.dblVar2Values = {100, 150, 200};
    fill(s->dblMeasMatrix, 0,
         {{1, -1, 0, 0, -5, 0, 0}, {2, -2, 0, 0, -5, 0, 0}, {3, -3, 0, 0, -5, 0, 0}});
    // Labels from columns 16, 31 and 46; the values' signs in columns 15, 30 and 45.
    EXPECT_EQ(blockText(exportSources(*s), SweepCaptions{}, 0, true),
              " Vg (V)        Ia (mA)\r\n"
              "               Va =  100  V   Va =  150  V   Va =  200  V \r\n"
              "-5            -1             -2             -3  \r\n");

    // A swept value printed 13 characters wide ends the line before the first value.
    fill(s->dblMeasMatrix, 0, {{1, 1, 0, 0, 1000000.25, 0, 0}, {1, 1, 0, 0, 10000000.25, 0, 0}});
    EXPECT_EQ(blockText(exportSources(*s), SweepCaptions{}, 0, false),
              " 1000000.25    1  \r\n 10000000.25   \r\n               1  \r\n");
}

TEST(DataExport, MatrixLinesNumberPointsAndCurvesInFileOrder) {
    auto s = std::make_unique<ConsoleState>();
    fill(s->dblMeasMatrix, 0,
         {{1, 1.23, .45, 6.3, -2, 100, 100}, {1, 5.68, 1.2, 6.3, -2, 200, 200}});
    EXPECT_EQ(measMatrixText(s->dblMeasMatrix),
              kMatrixHeader +
                  "1        1          1.23           .45           -2              100          "
                  "  100            6.3 \r\n"
                  "2        1          5.68           1.2           -2              200          "
                  "  200            6.3 \r\n");

    // Stored curve numbers 3 and 7: the second curve is curve 2, from the row that changed.
    fill(s->dblMeasMatrix, 0,
         {{3, 1, 0, 0, 0, 0, 0}, {3, 2, 0, 0, 0, 0, 0}, {7, 3, 0, 0, 0, 0, 0}});
    const std::string text = measMatrixText(s->dblMeasMatrix);
    EXPECT_EQ(text.substr(text.rfind("\r\n", text.size() - 3) + 2, 22), "1        2          3 ");

    fill(s->dblMeasMatrix, 0, {});
    EXPECT_EQ(measMatrixText(s->dblMeasMatrix), kMatrixHeader);
}

TEST(DataExport, FileDialogMessagesAndFailedWrites) {
    test::ScopedWorkDir dir;
    auto s = vaSweep();
    const SweepCaptions model = vaModel();
    test::ScriptedDialogs dialogs;
    DataExport exporter(exportSources(*s), model, dialogs);

    exporter.SaveDataList(0, true);  // cancelled
    ASSERT_EQ(dialogs.fileRequests.size(), 1u);
    const FileDialogRequest& request = dialogs.fileRequests[0];
    EXPECT_EQ(request.filter, "Ostrino datafile (*.osd)|*.osd");
    EXPECT_TRUE(request.save && request.promptOverwrite && request.startFolder.empty());
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(std::filesystem::is_empty("."));

    // No stored curves: a message, and an existing file of the name stays as it was.
    std::ofstream("old.osd", std::ios::binary) << "old";
    dialogs.fileNames = {"old.osd"};
    exporter.SaveDataBlock(5, true);
    ASSERT_EQ(dialogs.texts(), std::vector<std::string>{kNoDataMessage});
    EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(contents("old.osd"), "old");

    // The temporary file's name is too long although the target's is not.
    const std::string longName(250, 'x');
    std::ofstream(longName, std::ios::binary) << "old";
    dialogs.messages.clear();
    EXPECT_FALSE(exporter.saveListTo(longName, 0, true));
    EXPECT_FALSE(exporter.saveMeasMXTo("missing/x.osd"));
    EXPECT_EQ(dialogs.texts(),
              (std::vector<std::string>{
                  "The file " + longName + " cannot be written (File name too long).",
                  "The file missing/x.osd cannot be written (No such file or directory)."}));
    EXPECT_EQ(contents(longName), "old");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator("."), {}), 2);  // no leftovers
}

}  // namespace
}  // namespace ostrino
