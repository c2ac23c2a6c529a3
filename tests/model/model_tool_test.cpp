// The logic of the window "Valve model": a fit into table rows, the families it refuses, the
// model's curves for the graph and the stage on the model.

#include "model/model_tool.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "tests/model/family.h"
#include "tests/support/scripted_dialogs.h"

namespace ostrino::model {
namespace {

const std::vector<double> kEcc82{21.5, 1.3, 1180.0, 84.0, 300.0};
const std::vector<double> kEl84{19.0, 1.35, 692.0, 2720.0, 200.0, 12.0};
const std::vector<double> kDempwolf{2.242e-3, 3.4, 103.2, 1.26};

// The points into the current sweep's rows, as the sweep leaves them.
MeasMatrix matrixOf(const PointSet& points) {
    MeasMatrix m;
    int row = 0;
    for (const MeasuredPoint& p : points) {
        m(row, MeasMatrix::Curve) = p.curve;
        m(row, MeasMatrix::Va) = p.va;
        m(row, MeasMatrix::Vs) = p.vs;
        m(row, MeasMatrix::Vg) = p.vg;
        m(row, MeasMatrix::Ia) = p.ia;
        m(row, MeasMatrix::Is) = p.is;
        ++row;
    }
    return m;
}

struct Rig {
    explicit Rig(const PointSet& points) : curves(matrixOf(points)) { tool.setWindowVisible(true); }
    MeasMatrix curves;
    std::string title = "ECC82";
    ModelOverlay overlay;
    test::ScriptedDialogs dialogs;
    int redraws = 0;
    ModelTool tool{curves, title, overlay, dialogs, {[this] { ++redraws; }, {}}};
};

std::vector<std::string> captions(const std::vector<TableRow>& rows) {
    std::vector<std::string> c;
    for (const TableRow& r : rows) {
        c.push_back(r.caption);
    }
    return c;
}

TEST(ModelTool, FitFillsTheTables) {
    const std::vector<std::string> errors = {"RMS error", "RMS error (% of largest current)",
                                             "Worst point"};
    struct Case {
        int list;  // in the model list
        PointSet family;
        std::vector<std::string> parameters;
    } cases[] = {
        {0,
         test::makeFamily(ModelKind::KorenTriode, kEcc82, {{0, -2, -4, -6, -8}}),
         {"mu", "ex", "kg1", "kp", "kvb"}},
        {1,
         test::makeFamily(ModelKind::KorenPentode, kEl84,
                          {{0, -4, -8, -12, -16}, 2.0, 300.0, 40, 250.0}),
         {"mu", "ex", "kg1", "kg2", "kp", "kvb"}},
        {2,
         test::makeFamily(ModelKind::DempwolfTriode, kDempwolf, {{0, -1, -2, -3}}),
         {"G", "C", "mu", "gamma"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.list);
        Rig r(c.family);
        r.tool.cboModel_Click(c.list);
        EXPECT_EQ(r.tool.model.sectionEnabled, c.list != 1);
        r.tool.cmdFit_Click();
        EXPECT_TRUE(r.dialogs.messages.empty());
        ASSERT_TRUE(r.tool.model.haveModel);
        std::vector<std::string> expected = c.parameters;
        expected.insert(expected.end(), errors.begin(), errors.end());
        EXPECT_EQ(captions(r.tool.model.parameterRows), expected);
        // A generated family fits to well under a percent of its largest current.
        EXPECT_LT(r.tool.record()->rmsPercent, 1.0);
        EXPECT_NE(r.tool.model.parameterRows.back().value.find(" mA at Va "), std::string::npos);
        const std::size_t curves = c.family.back().curve;
        ASSERT_EQ(r.tool.model.curveRows.size(), curves);
        EXPECT_EQ(r.tool.model.curveRows.back()[0], std::to_string(curves));
    }
}

// A model goes into the library only with the sweep it was fitted to.
TEST(ModelTool, KnowsWhichSweepItWasFittedTo) {
    Rig r(test::makeFamily(ModelKind::KorenTriode, kEcc82, {{0, -2, -4, -6, -8}}));
    EXPECT_FALSE(r.tool.fittedTo(r.curves));  // nothing fitted yet
    r.tool.cmdFit_Click();
    ASSERT_TRUE(r.tool.record());
    EXPECT_TRUE(r.tool.fittedTo(r.curves));
    MeasMatrix remeasured = r.curves;
    remeasured(3, MeasMatrix::Ia) += 0.001;  // one current of a new sweep differs
    EXPECT_FALSE(r.tool.fittedTo(remeasured));
    MeasMatrix shorter = r.curves;
    shorter(10, MeasMatrix::Curve) = 0;  // a sweep that ends earlier
    EXPECT_FALSE(r.tool.fittedTo(shorter));
}

TEST(ModelTool, FamiliesThatCannotBeFittedGetAMessage) {
    PointSet oneCurve = test::makeFamily(ModelKind::KorenTriode, kEcc82, {{-2}});
    PointSet cutOff = test::makeFamily(ModelKind::KorenTriode, kEcc82, {{-40, -45}});
    PointSet triode = test::makeFamily(ModelKind::KorenTriode, kEcc82, {{0, -2, -4}});
    struct Case {
        const char* what;
        int list;
        PointSet family;
        const char* message;
    } cases[] = {
        {"nothing measured", 0, {}, "No measured points"},
        {"one curve", 2, oneCurve, "Only one curve"},
        {"no current", 0, cutOff, "No anode current"},
        {"a pentode without screen current", 1, triode, "No screen current"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Rig r(triode);
        r.tool.cmdFit_Click();  // a model is shown, and goes with the refused fit
        r.tool.chkShowOnGraph_Click(true);
        ASSERT_TRUE(r.overlay.visible);
        r.curves = matrixOf(c.family);
        r.tool.cboModel_Click(c.list);
        r.tool.cmdFit_Click();
        ASSERT_EQ(r.dialogs.messages.size(), 1u);
        EXPECT_NE(r.dialogs.messages[0].text.find(c.message), std::string::npos)
            << r.dialogs.messages[0].text;
        EXPECT_FALSE(r.tool.model.haveModel);
        EXPECT_TRUE(r.tool.model.parameterRows.empty());
        EXPECT_TRUE(r.tool.model.curveRows.empty());
        EXPECT_FALSE(r.overlay.visible);
        EXPECT_TRUE(r.overlay.curves.empty());
    }
}

TEST(ModelTool, CurvesOnTheGraphFollowTheMeasuredOnes) {
    // Section 1 of a double triode on the anode supply, section 2 (a weaker one) on the
    // screen supply.
    PointSet family = test::makeFamily(ModelKind::KorenTriode, kEcc82, {{0, -2, -4, -6}});
    const PointSet second = test::makeFamily(ModelKind::KorenTriode,
                                             {20.0, 1.3, 1400.0, 84.0, 300.0}, {{0, -2, -4, -6}});
    for (std::size_t k = 0; k < family.size(); ++k) {
        family[k].vs = second[k].va;
        family[k].is = second[k].ia;
    }
    struct Case {
        int section;
        int current, other;  // matrix columns
    } cases[] = {{0, MeasMatrix::Ia, MeasMatrix::Is}, {1, MeasMatrix::Is, MeasMatrix::Ia}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.section);
        Rig r(family);
        r.tool.cboSection_Click(c.section);
        r.tool.cmdFit_Click();
        r.tool.chkShowOnGraph_Click(true);
        ASSERT_TRUE(r.overlay.visible);
        ASSERT_EQ(r.overlay.curves.size(), 4u);
        for (std::size_t n = 0; n < r.overlay.curves.size(); ++n) {
            const ModelOverlay::Curve& curve = r.overlay.curves[n];
            EXPECT_EQ(curve.colour, static_cast<int>(n) + 1);
            ASSERT_EQ(curve.rows.size(), 4u * 30u + 1u);  // 31 points, four steps apart
            // At every measured point the model is within the noise of the measurement.
            for (std::size_t p = 0; p < 31; ++p) {
                const MeasuredPoint& m = family[n * 31 + p];
                const ModelOverlay::Row& row = curve.rows[4 * p];
                EXPECT_DOUBLE_EQ(row[MeasMatrix::Va], m.va);
                const double measured = c.section == 0 ? m.ia : m.is;
                EXPECT_NEAR(row[static_cast<std::size_t>(c.current)], measured,
                            0.01 + 0.005 * measured);
                EXPECT_TRUE(std::isnan(row[static_cast<std::size_t>(c.other)]));
            }
        }
        const int redraws = r.redraws;
        r.tool.setWindowVisible(false);  // the window is closed
        EXPECT_FALSE(r.overlay.visible);
        EXPECT_EQ(r.redraws, redraws + 1);
    }
}

double leadingNumber(const std::string& text) {
    return std::stod(text);
}

TEST(ModelTool, StageOnTheModel) {
    Rig r(test::makeFamily(ModelKind::KorenTriode, kEcc82, {{0, -2, -4, -6, -8, -10}}));
    r.tool.cmdAnalyze_Click();  // no model yet
    ASSERT_EQ(r.dialogs.messages.size(), 1u);
    EXPECT_NE(r.dialogs.messages[0].text.find("no model yet"), std::string::npos);
    r.tool.cmdFit_Click();

    struct Case {
        std::array<std::string, 4> settings;
        const char* message;  // nullptr: analysed
    } cases[] = {
        {{"250", "10", "-4", "1"}, nullptr},
        {{"300", "22", "-2", "0.5"}, nullptr},
        {{"abc", "10", "-4", "1"}, "Vsupply"},
        {{"2000", "10", "-4", "1"}, "Vsupply has to lie between 20 and 1000 V."},
        {{"250", "10", "1", "1"}, "Vgrid has to lie between -1000 and 0 V."},
        {{"250", "10", "-4", "0"}, "Vsign has to lie between 0.01 and 100 V."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.settings[0] + "," + c.settings[1] + "," + c.settings[2]);
        r.dialogs.messages.clear();
        ModelToolModel& m = r.tool.model;
        m.txtVsupply = c.settings[0];
        m.txtRload = c.settings[1];
        m.txtVgrid = c.settings[2];
        m.txtVsign = c.settings[3];
        r.tool.cmdAnalyze_Click();
        if (c.message != nullptr) {
            ASSERT_EQ(r.dialogs.messages.size(), 1u);
            EXPECT_NE(r.dialogs.messages[0].text.find(c.message), std::string::npos)
                << r.dialogs.messages[0].text;
            EXPECT_TRUE(m.stageRows.empty());
            continue;
        }
        EXPECT_TRUE(r.dialogs.messages.empty());
        EXPECT_EQ(captions(m.stageRows),
                  (std::vector<std::string>{"Ia (quiescent)", "Va (quiescent)", "Gain",
                                            "2nd harmonic", "3rd harmonic", "4th harmonic",
                                            "5th harmonic", "Total distortion"}));
        // The quiescent point lies on the load line.
        const double ia = leadingNumber(m.stageRows[0].value);
        const double va = leadingNumber(m.stageRows[1].value);
        EXPECT_NEAR(va, std::stod(c.settings[0]) - ia * std::stod(c.settings[1]), 0.02);
        EXPECT_GT(leadingNumber(m.stageRows[2].value), 1.0);
        for (const TableRow& row : m.stageRows) {
            EXPECT_EQ(row.value.find("nan"), std::string::npos) << row.caption;
        }
    }
}

}  // namespace
}  // namespace ostrino::model
