#include "plot/graph_settings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "measure/console_views.h"
#include "tests/support/scripted_dialogs.h"

namespace ostrino {
namespace {

using Strings = std::vector<std::string>;

TEST(YVariable, SelectsBlockColumnAndUnit) {
    EXPECT_EQ(yVariable(0).blockRow, -1);
    EXPECT_STREQ(yVariable(2).axisName, "Is (ma)");
    EXPECT_EQ(yVariable(4).blockRow, 2000);
    EXPECT_EQ(yVariable(4).column, 2);
    EXPECT_STREQ(yVariable(5).unit, "kohm");
    EXPECT_EQ(yVariable(7).blockRow, 1000);
    EXPECT_EQ(&yVariable(8), &yVariable(0));
}

TEST(GetXmajor, PicksTheFirstStepThatDividesTheSpanIntoAtMostTen) {
    struct Case {
        double xmin, xmax;
        int major;
    };
    // 2.5 .. 9.5 rounds half to even to 2 .. 10.
    const Case cases[] = {{0, 300, 6},  {0, 250, 10}, {0, 120, 6},   {0, 37, 10},
                          {0, 700, 10}, {-10, 0, 10}, {0, 7, 7},     {2.5, 9.5, 8},
                          {5, 5, 10},   {0, 45, 9},   {0, 40000, 10}};
    for (const Case& c : cases) {
        EXPECT_EQ(GraphSettingsLogic::GetXmajor(c.xmin, c.xmax), c.major) << c.xmax;
    }
}

TEST(GetYscale, RoundsTheLargestMeasuredValueUpToANiceEnd) {
    struct Case {
        double largest, ymax;
        int major;
    };
    const Case cases[] = {{0.37, 0.4, 8},   {12, 12.5, 5}, {0, 0.1, 10}, {1.001, 1, 10},
                          {17, 17.5, 7},    {2.6, 3, 6},   {7, 8, 8},    {9, 10, 10},
                          {1000, 1000, 10}, {5e6, 1e6, 10}};
    for (const Case& c : cases) {
        MeasMatrix m;
        m(0, MeasMatrix::Curve) = 1;
        m(0, MeasMatrix::Is) = c.largest;
        m(1, MeasMatrix::Curve) = -2;  // composed, not yet measured
        m(1, MeasMatrix::Is) = 1e4;
        double ymax = -1;
        int major = -1;
        GraphSettingsLogic::GetYscale(m, 0, MeasMatrix::Is, ymax, major);
        EXPECT_DOUBLE_EQ(ymax, c.ymax) << c.largest;
        EXPECT_EQ(major, c.major) << c.largest;
    }
}

class GraphSettingsTest : public ::testing::Test {
  protected:
    GraphSettingsTest() {
        state.meas.intMeasType = 2;  // an anode sweep
        state.meas.dblVar1Start = 2;
        state.meas.dblVar1Stop = 200;
        state.graph.dblXminLimit = 0;
        state.graph.dblXmaxLimit = 400;
        state.graph.intXcol = MeasMatrix::Va;
        state.dblMeasMatrix.markEmpty(MeasMatrix::kActual);
    }

    // One measured curve Ia = 0.5 Va + 1 (largest 101), and a marker in the fit block.
    void measureLine() {
        for (int row = 0; row < 5; ++row) {
            state.dblMeasMatrix(row, MeasMatrix::Curve) = 1;
            state.dblMeasMatrix(row, MeasMatrix::Va) = 50.0 * row;
            state.dblMeasMatrix(row, MeasMatrix::Ia) = 25.0 * row + 1;
        }
        state.dblMeasMatrix(5, MeasMatrix::Curve) = 0;
        state.dblMeasMatrix(MeasMatrix::kFit, MeasMatrix::Curve) = 99;
    }
    double fitMark() const { return state.dblMeasMatrix(MeasMatrix::kFit, MeasMatrix::Curve); }

    ConsoleState state;
    GraphPaneModel model;
    test::ScriptedDialogs dialogs;
    GraphSettingsLogic logic{graphSources(state), model, dialogs};
};

TEST_F(GraphSettingsTest, ReadingKeepsTheValueOfABadBoxAndNamesIt) {
    logic.UpdateGraphFields();
    model.txtXmin = "2.1";
    model.txtXmax = "abc";
    model.txtXmajor = "2.5";   // half to even
    model.txtY1major = "3.5";  // half to even
    model.txtY2major = "40000";
    logic.ReadGraphFields();
    const GraphSettings& g = state.graph;
    EXPECT_EQ(g.dblXmin, 2.1);
    EXPECT_EQ(g.dblXmax, 200);
    EXPECT_EQ(g.intXmajor, 2);
    EXPECT_EQ(g.intY1major, 4);
    EXPECT_EQ(g.intY2major, 4);
    EXPECT_EQ(dialogs.texts(),
              (Strings{"X-max: \"abc\" is not a number; the previous value is kept.",
                       "Y2-major: \"40000\" is out of range (whole numbers -32768 to 32767); "
                       "the previous value is kept."}));
    logic.UpdateGraphFields();
    EXPECT_EQ(model.txtXmin, "2.1");
    EXPECT_EQ(model.txtXmajor, "2");
}

// Faults that the checks cannot meet in one pass go into two runs; each pass reports the
// first remaining fault, so the messages come in the order of the checks.
TEST_F(GraphSettingsTest, ChecksReportOneFaultPerPassInOrder) {
    GraphSettings& g = state.graph;
    g.dblXmin = 250;
    g.dblY1min = g.dblY1max = 7;
    g.dblY2min = 300;
    g.intXmajor = 0;
    g.intY1major = 12;
    g.intY2major = 0;
    model.txtDegree = "25.5";
    logic.CheckGraphFields();
    EXPECT_EQ(g.dblY1min, 7);  // not yet
    for (int pass = 0; pass < 7; ++pass) {
        logic.CheckGraphFields();
    }
    EXPECT_EQ(dialogs.texts(),
              (Strings{"X-min has to less than X-max", "Y1-min has to less than Y1-max",
                       "Y2-min has to less than Y2-max", "Major ticks has to be >=1",
                       "Minor ticks has to be =< 10", "Major ticks has to be >=1",
                       "Degree has to be =< 25"}));
    EXPECT_EQ((std::vector<double>{g.dblXmin, g.dblXmax, g.dblY1min, g.dblY1max, g.dblY2max}),
              (std::vector<double>{0, 200, 0, 200, 200}));
    EXPECT_EQ(model.txtXmajor + model.txtY1major + model.txtY2major + model.txtDegree, "110110");

    dialogs.messages.clear();
    model.cboY1Scale = model.cboY2Scale = 1;  // ends typed by the user
    g.dblXmax = 450;
    g.dblXmin = -0.5;
    g.dblY1max = 1000.5;
    g.dblY1min = -1;
    g.dblY2max = 2000;
    g.dblY2min = -3;
    g.intXmajor = 11;
    g.intY1major = -4;
    g.intY2major = 11;
    model.txtDegree = "26";
    for (int pass = 0; pass < 11; ++pass) {
        logic.CheckGraphFields();
    }
    EXPECT_EQ(dialogs.texts(),
              (Strings{"X-max has to be less than 400", "X-min has to be larger than 0",
                       "Y1-max has to be less than 1000", "Y1-min has to be larger than 0",
                       "Y2-max has to be less than 1000", "Y2-min has to be larger than 0",
                       "Minor ticks has to be =< 10", "Major ticks has to be >=1",
                       "Minor ticks has to be =< 10", "Degree has to be =< 25"}));
    EXPECT_EQ(
        (std::vector<double>{g.dblXmin, g.dblXmax, g.dblY1min, g.dblY1max, g.dblY2min, g.dblY2max}),
        (std::vector<double>{0, 200, 0, 200, 0, 200}));
    EXPECT_EQ(model.txtXmax + model.txtXmajor + model.txtY1major + model.txtY2major, "20010110");

    dialogs.messages.clear();
    for (const char* degree : {"25", "-1", "abc"}) {  // the fit reports these
        model.txtDegree = degree;
        logic.CheckGraphFields();
    }
    EXPECT_TRUE(dialogs.messages.empty());
}

// An automatic upper end above 1000 (dV/dIa of flat pentode curves) is not the user's entry
// and is left alone; typed in on "Manual", or copied from a manual Y1, it is reported.
TEST_F(GraphSettingsTest, AutomaticUpperEndsAreNotReported) {
    struct Case {
        int y1Scale, y2Scale;
        bool reported;
    };
    for (const Case c : {Case{1, 0, false}, Case{0, 3, false}, Case{1, 1, true}, Case{1, 3, true},
                         Case{1, 2, true}}) {
        dialogs.messages.clear();
        model.cboY1Scale = c.y1Scale;
        model.cboY2Scale = c.y2Scale;
        state.graph.dblY2max = 30000;
        logic.CheckGraphFields();
        EXPECT_EQ(dialogs.texts(),
                  c.reported ? Strings{"Y2-max has to be less than 1000"} : Strings{})
            << c.y1Scale << " " << c.y2Scale;
        EXPECT_EQ(state.graph.dblY2max, c.reported ? state.graph.dblY2maxDefault : 30000);
    }
}

TEST_F(GraphSettingsTest, TrackedXAxisFollowsTheSweep) {
    struct Case {
        int type;
        double start, stop, xmin;
        int major;
    };
    const Case cases[] = {{2, 2, 300, 0, 6},   {2, 2.1, 200, 2.1, 10}, {6, 2, 50, 0, 10},
                          {12, 2, 250, 0, 10}, {0, -10, 0, -10, 10},   {8, 1, 7, 1, 6}};
    for (const Case& c : cases) {
        state.meas.intMeasType = c.type;
        state.meas.dblVar1Start = c.start;
        state.meas.dblVar1Stop = c.stop;
        logic.resolveRanges();
        EXPECT_EQ(state.graph.dblXmin, c.xmin) << "type " << c.type;
        EXPECT_EQ(state.graph.dblXmax, c.stop) << "type " << c.type;
        EXPECT_EQ(state.graph.intXmajor, c.major) << "type " << c.type;
    }
    EXPECT_EQ(model.txtXmin, "1");

    model.cboXScale = 1;  // Manual
    state.graph.dblXmin = 33;
    logic.resolveRanges();
    EXPECT_EQ(state.graph.dblXmin, 33);
}

TEST_F(GraphSettingsTest, TrackedYAxesFollowTheirCurrentRanges) {
    struct Case {
        int range;
        double ymax;
        int major;
    };
    const Case cases[] = {{0, 200, 10}, {1, 100, 10}, {2, 40, 8}, {3, 20, 8}, {4, 10, 10},
                          {5, 5, 5},    {6, 2, 8},    {7, 1, 10}, {8, 1, 10}};  // 8 keeps the end
    model.cboY1Scale = model.cboY2Scale = 2;
    state.cboIsRange = 5;
    for (const Case& c : cases) {
        state.cboIaRange = c.range;
        state.graph.dblY1min = 0.5;
        logic.resolveRanges();
        EXPECT_EQ(state.graph.dblY1min, 0);
        EXPECT_EQ(state.graph.dblY1max, c.ymax) << "range " << c.range;
        EXPECT_EQ(state.graph.intY1major, c.major) << "range " << c.range;
        EXPECT_EQ(state.graph.dblY2max, 5);
    }
    EXPECT_EQ(model.txtY1max, "1");
}

TEST_F(GraphSettingsTest, UnitsControlsAndCopyFollowTheSameRedraw) {
    measureLine();
    model.cboY2Var = 6;
    model.cboY2Scale = 3;   // Copy
    logic.resolveRanges();  // Y1 Auto
    EXPECT_EQ(model.lblY2Unit, "mA");
    EXPECT_TRUE(model.y2ControlsEnabled);
    EXPECT_EQ(state.graph.dblY2max, 125);
    EXPECT_EQ(state.graph.intY2major, 5);

    model.cboY1Var = 0;
    model.cboY1Scale = 2;
    state.cboIaRange = 2;
    state.graph.dblY1min = state.graph.dblY2min = 3;
    logic.resolveRanges();
    EXPECT_EQ(model.lblY1Unit, "");
    EXPECT_FALSE(model.y1ControlsEnabled);
    EXPECT_EQ(state.graph.dblY2min, 0);
    EXPECT_EQ(model.txtY2max, "40");
    EXPECT_EQ(state.graph.intY2major, 8);
}

TEST_F(GraphSettingsTest, FitRunsOnlyForAFitAxisOutsideAMeasurement) {
    struct Case {
        bool measured;
        int y1Var, y2Var, measStat;
        bool fits;
    };
    const Case cases[] = {{true, 3, 0, kHeaterOn, true},   {true, 1, 4, kGround, true},
                          {true, 1, 5, kHeaterOn, true},   {true, 2, 7, kHeaterOn, false},
                          {true, 3, 0, kMeasuring, false}, {false, 3, 4, kHeaterOn, false}};
    for (const Case& c : cases) {
        measureLine();
        if (!c.measured) {
            state.dblMeasMatrix.markEmpty(MeasMatrix::kActual);
        }
        model.cboY1Var = c.y1Var;
        model.cboY2Var = c.y2Var;
        state.intMeasStat = c.measStat;
        logic.resolveRanges();
        EXPECT_EQ(fitMark(), c.fits ? 1 : 99) << c.y1Var << c.y2Var << c.measStat;
    }
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(GraphSettingsTest, FitUsesTheXRangeBeforeTheRedraw) {
    measureLine();
    model.cboY1Var = 4;
    model.txtDegree = "1";
    state.graph.dblXmin = -100;
    logic.resolveRanges();
    EXPECT_EQ(state.dblMeasMatrix(2000, MeasMatrix::Va), -100);
    EXPECT_NEAR(state.dblMeasMatrix(2000, 1), -49, 1e-9);
    EXPECT_EQ(state.graph.dblXmin, 0);  // tracked afterwards
}

// The degree is the integer value of the box (2.5 fits at 2); what has none, or a negative
// one, is reported once per entry and leaves no fit behind.
TEST_F(GraphSettingsTest, BadDegreeIsReportedOncePerEntryAndNothingIsFitted) {
    measureLine();
    model.cboY1Var = 3;
    for (const char* degree : {"-1", "-1", "2.5", "x", "3", "-1"}) {
        model.txtDegree = degree;
        state.dblMeasMatrix(MeasMatrix::kFit, MeasMatrix::Curve) = 99;
        EXPECT_NO_THROW(logic.resolveRanges());
        const bool fits = std::string(degree) == "3" || std::string(degree) == "2.5";
        EXPECT_EQ(fitMark(), fits ? 1 : -1) << degree;
    }
    const std::string invalid =
        "Degree: -1 is an invalid property value! Use 0<= Degree <= 25; no fit is drawn.";
    EXPECT_EQ(dialogs.texts(),
              (Strings{invalid, "Degree: \"x\" is not a number; no fit is drawn.", invalid}));
}

}  // namespace
}  // namespace ostrino
