#include "plot/plotter.h"

#include <gtest/gtest.h>

#include <limits>

#include "measure/console_views.h"
#include "tests/support/recording_canvas.h"
#include "tests/support/scripted_dialogs.h"

namespace ostrino {
namespace {

using Kind = test::RecordingCanvas::Kind;
using Op = test::RecordingCanvas::Op;

constexpr Rgb kRed{255, 0, 0};
constexpr Rgb kGreen{0, 255, 0};
constexpr Rgb kBlue{0, 0, 255};

// An anode sweep with manual ranges: x 0..200 V, Y1 Ia 0..200 mA in 4 divisions, no Y2.
struct Rig {
    Rig() {
        state.blnLoaded = true;
        state.graph.intXcol = MeasMatrix::Va;
        model.cboXScale = model.cboY1Scale = model.cboY2Scale = 1;
        state.graph.dblXmin = 0, state.graph.dblXmax = 200, state.graph.intXmajor = 4;
        state.graph.dblY1min = 0, state.graph.dblY1max = 200, state.graph.intY1major = 4;
        state.graph.dblY2min = 0, state.graph.dblY2max = 20, state.graph.intY2major = 4;
        for (int block : {MeasMatrix::kActual, MeasMatrix::kStored, MeasMatrix::kFit}) {
            state.dblMeasMatrix.markEmpty(block);
        }
    }
    // Measured rows (curve, Va, Ia, Is) from row 0, then the end mark.
    void measured(std::initializer_list<std::array<double, 4>> points) {
        int row = 0;
        for (const auto& p : points) {
            const int cols[] = {MeasMatrix::Curve, MeasMatrix::Va, MeasMatrix::Ia, MeasMatrix::Is};
            for (int k = 0; k < 4; ++k) {
                state.dblMeasMatrix(row, cols[k]) = p[static_cast<std::size_t>(k)];
            }
            ++row;
        }
        state.dblMeasMatrix(row, MeasMatrix::Curve) = 0;
    }

    ConsoleState state;
    // The two parts of the main window's model that the graph reads.
    struct : SweepCaptions, GraphPaneModel {
    } model;
    test::ScriptedDialogs dialogs;
    GraphSettingsLogic graph{graphSources(state), model, dialogs};
    test::RecordingCanvas canvas;
    Plotter plotter{model, graph, canvas};
};

TEST(IntScale, ClampsToTheFrameAndRoundsHalfToEven) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        double v, lo, hi;
        int expected;
    } cases[] = {{0, 0, 200, 0},   {200, 0, 200, 1000}, {1e9, 0, 200, 1000}, {-5, 0, 200, 0},
                 {0.1, 0, 200, 0}, {0.3, 0, 200, 2},    {-7.5, -10, 0, 250}, {nan, 0, 200, 0}};
    for (const Case& c : cases) {
        EXPECT_EQ(Plotter::intScale(c.v, c.lo, c.hi), c.expected) << c.v << " on " << c.lo;
    }
}

TEST(CurveColours, BlueGreenRedTableOfTwentyRepeats) {
    const Rgb expected[] = {kBlack, kRed, kGreen, kBlue, {0, 255, 255}, {255, 0, 255}};
    for (int n = 1; n <= 6; ++n) {
        EXPECT_EQ(Plotter::curveColour(n), expected[n - 1]) << n;
        EXPECT_EQ(Plotter::curveColour(n + 20), expected[n - 1]) << n + 20;
    }
}

TEST(DrawPicture, AxisNumbersAndTicks) {
    Rig r;
    r.plotter.DrawPicture();
    const double numberY[] = {30, 275, 520, 765, 1010};
    const char* numbers[] = {" 0", " 50", " 100", " 150", " 200"};
    for (int i = 0; i <= 4; ++i) {
        EXPECT_TRUE(r.canvas.hasText(numbers[i], -100, numberY[i])) << numbers[i];
        EXPECT_TRUE(r.canvas.hasLine(-5, 250.0 * i, 0, 250.0 * i)) << i;
    }
    EXPECT_TRUE(r.canvas.hasText("Ia (mA)", -110, 1110));
    EXPECT_TRUE(r.canvas.textsEqual("none").empty());  // no right axis

    r.state.graph.dblXmin = -10, r.state.graph.dblXmax = 0, r.state.graph.intXmajor = 10;
    r.plotter.DrawPicture();
    EXPECT_TRUE(r.canvas.hasText("-10", -15, -20));  // no blank before a minus
    EXPECT_TRUE(r.canvas.hasText("-7", 285, -20));
    EXPECT_TRUE(r.canvas.hasText(" 0", 985, -20));
}

TEST(DrawPicture, AxisNumbersOfRangesThatDoNotDivideEvenly) {
    const struct {
        double lo, hi;
        int major;
        std::vector<std::string> texts;
    } cases[] = {
        {0, 10, 6, {" 0", " 1.667", " 3.333", " 5", " 6.667", " 8.333", " 10"}},
        {-10, 0, 3, {"-10", "-6.667", "-3.333", " 0"}},
        {-2.8, 1.4, 3, {"-2.8", "-1.4", " 0", " 1.4"}},  // not "-4.44089209850063E-16"
        {0, 1000, 7, {" 0", " 142.9", " 285.7", " 428.6", " 571.4", " 714.3", " 857.1", " 1000"}},
    };
    for (const auto& c : cases) {
        Rig r;
        r.state.graph.dblXmin = r.state.graph.dblY1min = c.lo;
        r.state.graph.dblXmax = r.state.graph.dblY1max = c.hi;
        r.state.graph.intXmajor = r.state.graph.intY1major = c.major;
        r.plotter.DrawPicture();
        for (int i = 0; i <= c.major; ++i) {
            const std::string& text = c.texts[static_cast<std::size_t>(i)];
            EXPECT_TRUE(r.canvas.hasText(text, 1000.0 / c.major * i - 15, -20)) << text;
            EXPECT_TRUE(r.canvas.hasText(text, -100, 980.0 / c.major * i + 30)) << text;
        }
    }
}

TEST(DrawPicture, LogoComplianceAndTitleRestoreTheFont) {
    Rig r;
    r.model.titlePlacement = 2;
    r.model.txtTitle = "EL84";
    r.state.blnCompliance = true;
    r.plotter.DrawPicture();
    const auto t = r.canvas.texts();
    ASSERT_GE(t.size(), 4u);
    EXPECT_EQ(t[0].text, "Ostrino V3.11");
    EXPECT_EQ(t[0].colour, kBlue);
    EXPECT_EQ(t[0].font, "Comic Sans Ms");
    EXPECT_TRUE(r.canvas.hasText("Compliance Error", -100, -100));
    EXPECT_EQ(t[1].colour, kRed);
    EXPECT_EQ(t[1].font, "MS Sans Serif");
    EXPECT_TRUE(r.canvas.hasText("EL84", 45, 960));
    EXPECT_TRUE(t[2].bold);
    EXPECT_EQ(t[3].pointSize, 8.25);  // the axis name, back in the usual font
    EXPECT_FALSE(t[3].bold);
    EXPECT_EQ(t[3].colour, kBlack);
}

TEST(DrawPicture, ClearsUnlessKeepPlotAndWaitsForTheLoad) {
    Rig r;
    r.state.blnLoaded = false;
    r.plotter.DrawPicture();
    EXPECT_EQ(r.canvas.clears, 0);
    EXPECT_TRUE(r.canvas.ops.empty());

    r.state.blnLoaded = true;
    r.plotter.DrawPicture();
    const std::size_t first = r.canvas.ops.size();
    r.model.chkKeepPlot = true;
    r.model.cboY1Var = 2;
    r.plotter.DrawPicture();
    EXPECT_EQ(r.canvas.clears, 1);
    EXPECT_EQ(r.canvas.ops.size(), 2 * first - 1);
    EXPECT_EQ(r.canvas.textsEqual("Ia (mA)").size(), 1u);
    EXPECT_EQ(r.canvas.textsEqual("Is (ma)").size(), 1u);
}

// A one-point curve (black) and a two-point curve (red) with each marker and line style.
TEST(DrawCurve, MarkersAndLines) {
    struct Case {
        int marker, line;
        int circles;
        Rgb fill;
        int markerLines;  // lines of the two red markers
        LineStyle style;  // of the red segment, if any
    } cases[] = {
        {0, 0, 0, kWhite, 0, LineStyle::Solid}, {1, 1, 2, kWhite, 0, LineStyle::Solid},
        {2, 0, 2, kBlack, 0, LineStyle::Solid}, {3, 2, 0, kWhite, 8, LineStyle::Dot},
        {4, 3, 0, kWhite, 4, LineStyle::Dash},  {0, 4, 0, kWhite, 0, LineStyle::DashDot},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "marker " << c.marker << " line " << c.line);
        Rig r;
        r.measured({{1, 0, 0, 0}, {2, 50, 0, 0}, {2, 100, 100, 0}});
        r.model.cboY1Marker = c.marker;
        r.model.cboY1Line = c.line;
        r.plotter.DrawPicture();
        const auto circles = r.canvas.of(Kind::Circle, kRed);
        ASSERT_EQ(static_cast<int>(circles.size()), c.circles);
        for (const Op& o : circles) {
            EXPECT_EQ(o.radius, 7);
            EXPECT_EQ(o.fill, c.fill);
        }
        const auto lines = r.canvas.of(Kind::Line, kRed);
        const bool segment = c.line != 0;
        ASSERT_EQ(static_cast<int>(lines.size()), c.markerLines + (segment ? 1 : 0));
        if (segment) {  // after both markers, so the line lies on top
            EXPECT_EQ(lines.back().style, c.style);
            EXPECT_TRUE(r.canvas.hasLine(250, 0, 500, 500));
        }
        EXPECT_EQ(r.canvas.of(Kind::Circle, kBlack).size(),
                  c.marker == 1 || c.marker == 2 ? 1u : 0u);
    }
}

TEST(DrawPicture, LegendListsCurvesOfMoreThanOnePoint) {
    Rig r;
    r.model.lblNameConst1 = "Vs";
    r.model.lblNameVar2 = "Vg";
    r.state.meas.dblConst1 = 250.004;
    r.state.meas.dblVar2Values = {-1.125, -2, -3};
    r.measured({{1, 0, 1, 0}, {1, 50, 2, 0}, {2, 0, 1, 0}, {3, 0, 1, 0}, {3, 9, 1, 0}});
    r.plotter.DrawPicture();
    EXPECT_TRUE(r.canvas.hasText("Vs =", 1175, 1000));
    EXPECT_TRUE(r.canvas.hasText(" 250", 1175, 930));
    EXPECT_TRUE(r.canvas.hasText("Vg", 1175, 830));
    EXPECT_TRUE(r.canvas.hasText("-1.12", 1175, 760));  // two decimals, ties to even
    EXPECT_TRUE(r.canvas.textsEqual("-2").empty());
    ASSERT_TRUE(r.canvas.hasText("-3", 1175, 640));
    EXPECT_EQ(r.canvas.textsEqual("-3")[0].colour, kGreen);

    r.model.txtConst2Visible = false;
    r.plotter.DrawPicture();
    EXPECT_TRUE(r.canvas.textsEqual("Vs =").empty());
}

TEST(Overlays, PmaxHyperbola) {
    Rig r;
    r.plotter.DrawPicture();  // "0"
    EXPECT_TRUE(r.canvas.textsEqual("Pmax (W):").empty());
    EXPECT_TRUE(r.canvas.of(Kind::Line, kRed).empty());

    r.model.txtPmax = "15";  // 15000 mW enters the plot at 15000 / 200 = 75 V
    r.plotter.DrawPicture();
    const auto segments = r.canvas.of(Kind::Line, kRed);
    ASSERT_FALSE(segments.empty());
    EXPECT_EQ(segments[0].x1, 375);
    EXPECT_EQ(segments[0].y1, 1000);
    EXPECT_EQ(segments.back().x2, 1000);
    EXPECT_EQ(segments.back().y2, 373);  // 74.6 mA at 201 V
    EXPECT_TRUE(r.canvas.hasText("Pmax (W):", 1150, 180));
    EXPECT_TRUE(r.canvas.hasText("15", 1150, 120));

    r.state.graph.intXcol = MeasMatrix::Vg;  // only over an anode or screen voltage
    r.plotter.DrawPicture();
    EXPECT_TRUE(r.canvas.textsEqual("Pmax (W):").empty());
}

TEST(Overlays, LoadLineWhileTheDistortionWindowIsOpen) {
    Rig r;
    r.model.chkGrid = false;
    r.state.dist = {false, 200, 2, 50, 150, false};  // Ia = (200 - Va) / 2
    r.plotter.DrawPicture();
    EXPECT_TRUE(r.canvas.textsEqual("Rload (k):").empty());

    r.state.dist.visible = true;
    r.plotter.DrawPicture();
    // 100 segments from 0 V in steps of 2 V; the 51 that start in the swing are black.
    const auto green = r.canvas.of(Kind::Line, kGreen);
    EXPECT_EQ(green.size(), 49u);
    EXPECT_TRUE(r.canvas.hasLine(0, 500, 10, 495));
    EXPECT_TRUE(r.canvas.hasText(" 2", 1150, -20));

    r.state.dist.blnError = true;
    r.state.dist.dblDistVsupply = 150;  // 0 mA from 150 V on: a gap
    r.plotter.DrawPicture();
    EXPECT_EQ(r.canvas.of(Kind::Line, kGreen).size(), 75u);
}

TEST(Cursor, PressPlacesAndRemovesTheReadOut) {
    Rig r;
    r.model.cboY2Var = 2;
    r.measured({{1, 0, 0, 0}, {1, 100, 100, 4}, {1, 200, 100, 20}});
    // The commit runs with the new place and the read-out state from before the press.
    std::vector<std::pair<int, bool>> commits;
    r.plotter.ProcessFields = [&] { commits.emplace_back(r.model.intCursorX, r.state.blnCursor); };
    r.plotter.mousePress(249.6, 600.2);
    ASSERT_EQ(commits.size(), 1u);
    EXPECT_EQ(commits[0], std::make_pair(250, false));
    EXPECT_TRUE(r.state.blnCursor);
    // At 50 V: Y1 50 mA (250) is nearer to 600 than Y2 2 mA of 20 (100).
    EXPECT_TRUE(r.canvas.hasText("X=  50  Y1= 50", 950, -125));
    const Op dot = r.canvas.circles().back();
    EXPECT_EQ(dot.radius, 8);
    EXPECT_EQ(dot.x1, 250);
    EXPECT_EQ(dot.y1, 250);
    EXPECT_EQ(dot.fill, kRed);
    const Op line = r.canvas.lines().back();
    EXPECT_EQ(line.style, LineStyle::Dot);
    EXPECT_EQ(line.colour, kGreen);

    // At 60 V: Y2 2.4 mA (120) is nearer to 40 than Y1 60 mA (300).
    r.plotter.mousePress(300, 40);
    EXPECT_TRUE(r.canvas.hasText("X=  60  Y2= 2.4", 950, -125));

    r.plotter.mousePress(500, 1050);
    EXPECT_FALSE(r.state.blnCursor);
    EXPECT_EQ(commits.size(), 3u);
    for (const Op& c : r.canvas.circles()) {
        EXPECT_NE(c.radius, 8);
    }
}

TEST(Colour, OffDrawsEverythingBlackButTheComplianceWarning) {
    Rig r;
    r.model.chkColor = false;
    r.model.txtPmax = "10";
    r.model.cboY1Marker = 2;
    r.state.blnCompliance = true;
    r.state.dist = {true, 200, 2, 50, 150, false};
    r.measured({{1, 0, 0, 0}, {1, 100, 100, 0}, {2, 0, 10, 0}, {2, 100, 150, 0}});
    r.state.blnCursor = true;
    r.model.intCursorX = r.model.intCursorY = 400;
    r.plotter.DrawPicture();
    ASSERT_EQ(r.canvas.circles().back().radius, 8);  // the read-out is there
    for (const Op& op : r.canvas.ops) {
        const bool warning = op.text == "Compliance Error";
        if (op.kind != Kind::Clear) {
            EXPECT_EQ(op.colour, warning ? kRed : kBlack) << op.text;
            EXPECT_TRUE(op.kind != Kind::Circle || op.fill == kBlack);
        }
    }
}

// The valve-model window's curves: in the colours of the measured curves they follow, dashed
// (dash-dot over dashed measured curves), only on an axis that shows Ia or Is, and only
// where the model gives the column.
TEST(DrawPicture, ModelCurvesOverTheMeasuredOnes) {
    const double none = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        const char* what;
        bool visible;
        int y1Var, y1Line;
        std::size_t blackLines, redLines;
        LineStyle style;
    } cases[] = {
        {"Ia, solid", true, 1, 1, 2, 1, LineStyle::Dash},
        {"Ia, dashed", true, 1, 3, 2, 1, LineStyle::DashDot},
        {"Is: the second curve has none", true, 2, 0, 2, 0, LineStyle::Dash},
        {"Ia fit: no model", true, 3, 0, 0, 0, LineStyle::Dash},
        {"window closed", false, 1, 0, 0, 0, LineStyle::Dash},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Rig r;
        r.model.cboY1Var = c.y1Var;
        r.model.cboY1Line = c.y1Line;
        ModelOverlay& m = r.state.modelOverlay;
        m.visible = c.visible;
        // Rows: curve, Ia, Is, Vh, Vg, Vs, Va.
        m.curves = {
            {1, {{1, 0, 0, 0, 0, 0, 0}, {1, 100, 50, 0, 0, 0, 100}, {1, 200, 100, 0, 0, 0, 200}}},
            {2, {{2, 0, none, 0, 0, 0, 0}, {2, 100, none, 0, 0, 0, 200}}}};
        r.plotter.DrawPicture();
        const auto dashed = [&](Rgb colour) {
            std::size_t n = 0;
            for (const Op& o : r.canvas.of(Kind::Line, colour)) {
                n += o.style == c.style ? 1 : 0;
            }
            return n;
        };
        EXPECT_EQ(dashed(kBlack), c.blackLines);
        EXPECT_EQ(dashed(kRed), c.redLines);
        EXPECT_EQ(r.canvas.textsEqual("- - model").size(), c.blackLines > 0 ? 1u : 0u);
        if (c.blackLines > 0 && c.y1Var == 1) {
            EXPECT_TRUE(r.canvas.hasLine(500, 500, 1000, 1000));  // (100 V, 100 mA)-(200, 200)
        }
    }
}

}  // namespace
}  // namespace ostrino
