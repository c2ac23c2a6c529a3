// The first-generation graph on a recording surface.

#include "console1/gen1_plot.h"

#include <gtest/gtest.h>

#include <cmath>

#include "tests/console1/gen1_rig.h"
#include "tests/support/recording_canvas.h"

namespace ostrino::gen1 {
namespace {

using Kind = ostrino::test::RecordingCanvas::Kind;

TEST(Gen1Plot, ScaleClampsAndRoundsHalfToEven) {
    EXPECT_EQ(Gen1Plotter::intScale(0, 0, 200), 0);
    EXPECT_EQ(Gen1Plotter::intScale(-5, 0, 200), 0);
    EXPECT_EQ(Gen1Plotter::intScale(200, 0, 200), 1000);
    EXPECT_EQ(Gen1Plotter::intScale(1e9, 0, 200), 1000);
    EXPECT_EQ(Gen1Plotter::intScale(-5, -10, 0), 500);
    EXPECT_EQ(Gen1Plotter::intScale(0.0025, 0, 10), 0);  // 0.25 rounds down
    EXPECT_EQ(Gen1Plotter::intScale(0.0125, 0, 10), 1);  // 1.25
    EXPECT_EQ(Gen1Plotter::intScale(0.0075, 0, 10), 1);  // 0.75
    EXPECT_EQ(Gen1Plotter::intScale(0.025, 0, 1), 25);
}

TEST(Gen1Plot, ColourTableOfTenRepeats) {
    EXPECT_EQ(Gen1Plotter::curveColour(1), kBlack);
    EXPECT_EQ(Gen1Plotter::curveColour(2), (Rgb{255, 0, 0}));
    EXPECT_EQ(Gen1Plotter::curveColour(4), (Rgb{0, 0, 255}));
    EXPECT_EQ(Gen1Plotter::curveColour(5), (Rgb{0, 255, 255}));
    EXPECT_EQ(Gen1Plotter::curveColour(7), (Rgb{255, 255, 0}));
    EXPECT_EQ(Gen1Plotter::curveColour(10), (Rgb{0, 0, 255}));
    EXPECT_EQ(Gen1Plotter::curveColour(11), kBlack);
}

struct PlotRig {
    PlotRig() : plotter(rig.state, canvas) {}
    // A measured run of two curves of three points, at 50, 100 and 150 V.
    void measuredRun(ResultMatrix& m, double scale) {
        for (int r = 0; r < 6; ++r) {
            m(r, ResultMatrix::Curve) = 1 + r / 3;
            m(r, ResultMatrix::Va) = 50.0 + 50.0 * (r % 3);
            m(r, ResultMatrix::Ia) = scale * (r % 3);
            m(r, ResultMatrix::Is) = scale * 0.5 * (r % 3);
        }
    }
    std::vector<ostrino::test::RecordingCanvas::Op> linesIn(LineStyle style) const {
        std::vector<ostrino::test::RecordingCanvas::Op> out;
        for (const auto& op : canvas.lines()) {
            // Curve segments lie inside the plot, away from the frame and the key.
            if (op.style == style && op.y1 < 1000 && op.x1 > 0 && op.x2 > 0 && op.y2 < 1000 &&
                op.x1 != op.x2) {
                out.push_back(op);
            }
        }
        return out;
    }
    test::Gen1Rig rig;
    ostrino::test::RecordingCanvas canvas;
    Gen1Plotter plotter;
};

TEST(Gen1Plot, LogoKeyAxesAndLegend) {
    PlotRig p;
    p.rig.console.cboMeasType_Click(2);
    p.plotter.DrawPicture();
    const auto logo = p.canvas.textsEqual("Ostrino V1.0");
    ASSERT_EQ(logo.size(), 1u);
    EXPECT_EQ(logo[0].x1, 640);
    EXPECT_EQ(logo[0].y1, 1130);
    EXPECT_EQ(logo[0].font, "Comic Sans Ms");
    EXPECT_EQ(logo[0].pointSize, 12);
    EXPECT_EQ(logo[0].colour, (Rgb{0, 0, 255}));
    const auto ia = p.canvas.textsEqual("Ia");
    const auto is = p.canvas.textsEqual("Is");
    ASSERT_EQ(ia.size(), 1u);
    ASSERT_EQ(is.size(), 1u);
    EXPECT_EQ(ia[0].x1, 150);
    EXPECT_EQ(ia[0].y1, 1100);
    EXPECT_EQ(is[0].x1, 350);
    EXPECT_EQ(is[0].y1, 1100);
    bool iaSample = false, isSample = false;
    for (const auto& op : p.canvas.lines()) {
        iaSample |= op.x1 == 200 && op.y1 == 1070 && op.x2 == 300 && op.y2 == 1070 &&
                    op.style == LineStyle::Solid;
        isSample |= op.x1 == 400 && op.y1 == 1070 && op.x2 == 500 && op.y2 == 1070 &&
                    op.style == LineStyle::Dash;
    }
    EXPECT_TRUE(iaSample);
    EXPECT_TRUE(isSample);
    EXPECT_EQ(p.canvas.textsEqual("Anode Voltage (V)").size(), 1u);
    EXPECT_EQ(p.canvas.textsEqual("Current (mA)").size(), 1u);
    // x 0..200 in 4 divisions, y 0..10 in 4.
    EXPECT_EQ(p.canvas.textsEqual(" 150 ").size(), 1u);
    EXPECT_EQ(p.canvas.textsEqual(" 7.5 ").size(), 1u);
    // Major ticks 15 long, minor ticks 7: x has 4 x 5 divisions, y 4 x 4.
    int xMinor = 0, yMinor = 0;
    for (const auto& op : p.canvas.lines()) {
        xMinor += op.y1 == -7 && op.y2 == 0 ? 1 : 0;
        yMinor += op.x1 == -7 && op.x2 == 0 ? 1 : 0;
    }
    EXPECT_EQ(xMinor, 4 * 4);
    EXPECT_EQ(yMinor, 4 * 3);
}

TEST(Gen1Plot, AxisNumbersHaveAtMostFourSignificantDigits) {
    PlotRig p;
    p.rig.console.cboMeasType_Click(2);  // an anode sweep: x up to 400 V
    GraphSettings& g = p.rig.state.graph;
    g.dblXmin = 0, g.dblXmax = 20, g.intXmajor = 3;
    g.dblYmin = -1, g.dblYmax = 0.5, g.intYmajor = 3;
    p.plotter.DrawPicture();
    struct Case {
        const char* text;
        double x, y;
    };
    const Case cases[] = {
        {" 0 ", -15, -20},
        {" 6.667 ", 1000.0 / 3 - 15, -20},
        {" 13.33 ", 2000.0 / 3 - 15, -20},
        {" 20 ", 985, -20},
        {"-1 ", -100, 30},
        {"-.5 ", -100, 980.0 / 3 + 30},
        {" 0 ", -100, 1960.0 / 3 + 30},
        {" .5 ", -100, 1010},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        bool found = false;
        for (const auto& op : p.canvas.textsEqual(c.text)) {
            found |= std::abs(op.x1 - c.x) < 1e-9 && std::abs(op.y1 - c.y) < 1e-9;
        }
        EXPECT_TRUE(found);
    }
}

TEST(Gen1Plot, CurvesFollowTheCheckBoxes) {
    PlotRig p;
    p.rig.console.cboMeasType_Click(2);
    p.measuredRun(p.rig.state.result, 4.0);
    p.plotter.DrawPicture();
    // Two curves of two segments each, Ia solid and Is dashed, in the curve colours.
    const auto solid = p.linesIn(LineStyle::Solid);
    const auto dashed = p.linesIn(LineStyle::Dash);
    ASSERT_EQ(solid.size(), 4u);
    ASSERT_EQ(dashed.size(), 4u);
    EXPECT_EQ(solid[0].colour, kBlack);
    EXPECT_EQ(solid[2].colour, (Rgb{255, 0, 0}));
    // Va 100 V, Ia 4 mA on 0..200 V and 0..10 mA.
    EXPECT_EQ(solid[0].x2, 500);
    EXPECT_EQ(solid[0].y2, 400);
    EXPECT_EQ(dashed[0].y2, 200);
    EXPECT_EQ(p.canvas.circles().size(), 12u);  // markers for both currents

    p.rig.state.controls.chkIs = false;
    p.rig.state.controls.chkMarker = false;
    p.plotter.DrawPicture();
    EXPECT_EQ(p.linesIn(LineStyle::Solid).size(), 4u);
    EXPECT_TRUE(p.linesIn(LineStyle::Dash).empty());
    EXPECT_TRUE(p.canvas.circles().empty());

    p.rig.state.controls.chkIa = false;
    p.plotter.DrawPicture();
    EXPECT_TRUE(p.linesIn(LineStyle::Solid).empty());

    // Points not measured yet are not drawn.
    p.rig.state.controls.chkIa = true;
    p.rig.state.result(1, ResultMatrix::Curve) = -1;
    p.rig.state.result(2, ResultMatrix::Curve) = -1;
    p.plotter.DrawPicture();
    EXPECT_TRUE(p.linesIn(LineStyle::Solid).empty());
}

TEST(Gen1Plot, FullScalePointsCarryATriangleAndTheKeyExplainsIt) {
    PlotRig p;
    p.rig.console.cboMeasType_Click(2);
    p.measuredRun(p.rig.state.result, 4.0);
    p.rig.state.controls.chkMarker = false;
    p.plotter.DrawPicture();
    EXPECT_TRUE(p.canvas.textsEqual("full scale").empty());
    const auto plain = p.canvas.lines().size();

    // The second curve's last point (150 V, Ia 8 mA, Is 4 mA): Ia read full scale.
    p.rig.state.result.fullScale[5] = ResultMatrix::kIaFullScale;
    p.plotter.DrawPicture();
    EXPECT_EQ(p.canvas.textsEqual("full scale").size(), 1u);
    // Three sides around the point (750, 800) in the curve's colour, three for the key.
    ASSERT_EQ(p.canvas.lines().size(), plain + 6);
    int around = 0;
    for (const auto& op : p.canvas.lines()) {
        if (std::abs(op.x1 - 750) < 30 && std::abs(op.y1 - 800) < 30 &&
            std::abs(op.x2 - 750) < 30 && std::abs(op.y2 - 800) < 30) {
            ++around;
            EXPECT_EQ(op.colour, (Rgb{255, 0, 0}));
        }
    }
    EXPECT_EQ(around, 3);

    // Not drawn while the anode current is not shown.
    p.rig.state.controls.chkIa = false;
    p.plotter.DrawPicture();
    EXPECT_TRUE(p.canvas.textsEqual("full scale").empty());
}

TEST(Gen1Plot, RecallShowsTheStoredCurvesBesideTheNewOnes) {
    PlotRig p;
    p.rig.console.cboMeasType_Click(2);
    p.measuredRun(p.rig.state.result, 4.0);
    p.rig.console.cmdStore_Click();
    p.measuredRun(p.rig.state.result, 2.0);  // a new run
    p.rig.console.cmdRecall_Click();
    EXPECT_EQ(p.rig.state.controls.cmdRecallCaption, "Dismiss");
    p.plotter.DrawPicture();
    // Stored points are marked with crosses, the new ones with circles.
    EXPECT_EQ(p.canvas.circles().size(), 12u);
    EXPECT_EQ(p.linesIn(LineStyle::Solid).size(), 4u + 12u * 2u);
    p.rig.state.controls.chkMarker = false;
    p.plotter.DrawPicture();
    const auto stored = p.linesIn(LineStyle::Dot);
    const auto fresh = p.linesIn(LineStyle::Solid);
    ASSERT_EQ(stored.size(), 4u);
    ASSERT_EQ(fresh.size(), 4u);
    EXPECT_EQ(stored[0].y2, 400);  // the stored run's 4 mA
    EXPECT_EQ(fresh[0].y2, 200);   // the new run's 2 mA
    EXPECT_EQ(p.linesIn(LineStyle::DashDot).size(), 4u);
    EXPECT_EQ(p.canvas.textsEqual("Stored").size(), 1u);
    EXPECT_EQ(p.plotter.intIascaleS(1), 400);
    EXPECT_EQ(p.plotter.intIascale(1), 200);
    EXPECT_EQ(p.plotter.intIsscaleS(1), 200);
    EXPECT_EQ(p.plotter.intXscaleS(2), 750);  // 150 V on 0..200 V

    p.rig.console.cmdRecall_Click();  // "Dismiss"
    p.plotter.DrawPicture();
    EXPECT_TRUE(p.linesIn(LineStyle::Dot).empty());
    EXPECT_EQ(p.rig.state.controls.cmdRecallCaption, "Recall");
}

}  // namespace
}  // namespace ostrino::gen1
