#include "model/model_fit.h"

#include <gtest/gtest.h>

#include <cmath>

#include "tests/model/family.h"

namespace ostrino::model {
namespace {

using test::FamilyRecipe;
using test::makeFamily;

// Largest difference between two models over the points, in mA.
double largestDifference(ModelKind kind, const std::vector<double>& a, const std::vector<double>& b,
                         const PointSet& points) {
    double d = 0.0;
    for (const MeasuredPoint& p : points) {
        const ModelCurrents x = modelCurrents(kind, a, p.va, p.vs, p.vg);
        const ModelCurrents y = modelCurrents(kind, b, p.va, p.vs, p.vg);
        d = std::max({d, std::abs(x.anode - y.anode), std::abs(x.screen - y.screen)});
    }
    return d;
}

// With kp this large, E1 = Vs/mu + Vg exactly; with ex = 1 and kg1 = 2000 the space current
// is E1 mA. mu 10, kg2 1000, kvb 10 at Vs 100 V, Vg -5 V: E1 = 5, the screen's own current
// 5 mA, and the anode takes 5 * atan(Va/10) of the 5 * pi/2 it can collect.
TEST(Pentode, TheScreenTakesTheCurrentTheAnodeLeaves) {
    const std::vector<double> p{10.0, 1.0, 2000.0, 1000.0, 1e4, 10.0};
    struct Case {
        double va, anode, screen;
    };
    const std::vector<Case> cases{
        {0.0, 0.0, 12.853982},       // 5 + 5 * pi/2: the screen takes it all
        {10.0, 3.926991, 8.926991},  // the knee: pi/4 each way
        {1e6, 7.853932, 5.00005},    // Koren's own screen current, and 5 * 10 / 1e6 more
    };
    for (const Case& c : cases) {
        const ModelCurrents i = modelCurrents(ModelKind::KorenPentode, p, c.va, 100.0, -5.0);
        EXPECT_NEAR(i.anode, c.anode, 1e-6) << c.va;
        EXPECT_NEAR(i.screen, c.screen, 1e-6) << c.va;
    }
}

TEST(Fit, RecoversTheParametersOfAFamilyMadeByTheModel) {
    struct Case {
        const char* name;
        ModelKind kind;
        std::vector<double> truth;
        FamilyRecipe recipe;
        Weighting weighting;
        std::vector<double> tolerance;  // relative, per parameter; kvb only shapes the corner
    };
    const std::vector<double> ecc83{100.0, 1.4, 1060.0, 600.0, 300.0};
    const std::vector<double> koren{0.01, 0.01, 0.03, 0.05, 0.3};
    const FamilyRecipe smallSignal{{0, -0.5, -1, -1.5, -2, -2.5, -3}};
    const std::vector<Case> cases{
        {"ECC83", ModelKind::KorenTriode, ecc83, smallSignal, Weighting::Absolute, koren},
        {"ECC83, relative", ModelKind::KorenTriode, ecc83, smallSignal, Weighting::Relative, koren},
        {"300B",
         ModelKind::KorenTriode,
         {3.95, 1.4, 1550.0, 65.0, 300.0},
         {{-45, -50, -55, -60, -65, -70}},
         Weighting::Absolute,
         koren},
        {"Dempwolf 12AX7",
         ModelKind::DempwolfTriode,
         {2.242e-3, 3.4, 103.2, 1.26},
         smallSignal,
         Weighting::Absolute,
         {0.01, 0.02, 0.01, 0.01}},
        {"EL84",
         ModelKind::KorenPentode,
         {19.0, 1.35, 692.0, 2720.0, 200.0, 12.0},
         {{0, -2, -4, -6, -8, -10, -12, -14, -16, -18}, 2.0, 300.0, 50, 250.0},
         Weighting::Absolute,
         {0.01, 0.01, 0.03, 0.03, 0.05, 0.05}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const PointSet points = makeFamily(c.kind, c.truth, c.recipe);
        const FitResult fit = fitModel(c.kind, points, {c.weighting, RobustLoss::Cauchy});
        ASSERT_TRUE(fit.ok) << fit.message;
        ASSERT_EQ(fit.parameters.size(), c.truth.size());
        for (std::size_t k = 0; k < c.truth.size(); ++k) {
            EXPECT_NEAR(fit.parameters[k], c.truth[k], c.tolerance[k] * c.truth[k])
                << modelInfo(c.kind).parameters[k].key;
        }
        // 0.1 % noise and the instrument's steps: the errors stay at that level.
        EXPECT_LT(fit.errors.rmsPercent, 0.1);
        EXPECT_LT(largestDifference(c.kind, fit.parameters, c.truth, points),
                  0.005 * fit.errors.largestCurrentMa);
        EXPECT_EQ(fit.errors.curves.size(), c.recipe.grids.size());
    }
}

TEST(Fit, OneWildPointDoesNotPullTheRobustFit) {
    const std::vector<double> ecc82{21.5, 1.3, 1180.0, 84.0, 300.0};
    PointSet points = makeFamily(ModelKind::KorenTriode, ecc82, {{0, -2, -4, -6, -8, -10, -12}});
    constexpr std::size_t kWild = 80;  // 181 V, -4 V: 12.6 mA read as 42.6 mA
    points[kWild].ia += 30.0;

    const FitResult robust = fitModel(ModelKind::KorenTriode, points);
    ASSERT_TRUE(robust.ok) << robust.message;
    EXPECT_NEAR(robust.parameters[0], 21.5, 0.003 * 21.5);
    EXPECT_NEAR(robust.parameters[1], 1.3, 0.003 * 1.3);
    EXPECT_EQ(robust.errors.worst.index, kWild);
    EXPECT_NEAR(robust.errors.worst.errorMa, -30.0, 0.3);
    EXPECT_EQ(robust.errors.worst.curve, 3);
    // The one error dominates: over all 217 points, and over the 31 of its curve.
    EXPECT_NEAR(robust.errors.rmsMa, 30.0 / std::sqrt(217.0), 0.01);
    EXPECT_NEAR(robust.errors.rmsPercent,
                100.0 * robust.errors.rmsMa / robust.errors.largestCurrentMa, 1e-9);
    ASSERT_EQ(robust.errors.curves.size(), 7u);
    for (const CurveError& c : robust.errors.curves) {
        EXPECT_EQ(c.points, 31);
        if (c.curve == 3) {
            EXPECT_NEAR(c.rmsMa, 30.0 / std::sqrt(31.0), 0.01);
            EXPECT_NEAR(c.vg, test::quantiseGrid(-4.0), 1e-12);
        } else {
            EXPECT_LT(c.worstMa, 0.3) << c.curve;
        }
    }

    // The same point in a plain least-squares fit: it does pull.
    const FitResult plain = fitModel(ModelKind::KorenTriode, points, {{}, RobustLoss::None});
    ASSERT_TRUE(plain.ok) << plain.message;
    EXPECT_GT(std::abs(plain.parameters[0] - 21.5), 0.02 * 21.5);
}

TEST(Fit, AFamilyThatCannotBeFittedGetsAMessage) {
    const std::vector<double> ecc82{21.5, 1.3, 1180.0, 84.0, 300.0};
    const PointSet good = makeFamily(ModelKind::KorenTriode, ecc82, {{0, -2, -4}});
    auto edited = [&](auto change) {
        PointSet p = good;
        change(p);
        return p;
    };
    struct Case {
        const char* name;
        ModelKind kind;
        PointSet points;
        const char* message;
    };
    const std::vector<Case> cases{
        {"no points", ModelKind::KorenTriode, {}, "No measured points"},
        {"too few", ModelKind::KorenTriode, PointSet(good.begin(), good.begin() + 14),
         "at least 15 are needed"},
        {"one curve", ModelKind::KorenTriode, PointSet(good.begin(), good.begin() + 31),
         "Only one curve"},
        {"one grid voltage", ModelKind::KorenTriode, edited([](PointSet& p) {
             for (MeasuredPoint& x : p) {
                 x.vg = -2.0;
             }
         }),
         "same grid voltage"},
        {"no current", ModelKind::KorenTriode, edited([](PointSet& p) {
             for (MeasuredPoint& x : p) {
                 x.ia = 0.0;
             }
         }),
         "No anode current"},
        {"cut off nearly everywhere", ModelKind::KorenTriode, edited([](PointSet& p) {
             for (std::size_t k = 3; k < p.size(); ++k) {
                 p[k].ia = 0.0;
             }
         }),
         "cut off"},
        {"not a number", ModelKind::KorenTriode,
         edited([](PointSet& p) { p[40].ia = std::nan(""); }), "not a number"},
        {"pentode without screen current", ModelKind::KorenPentode, good, "No screen current"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const FitResult fit = fitModel(c.kind, c.points);
        EXPECT_FALSE(fit.ok);
        EXPECT_NE(fit.message.find(c.message), std::string::npos) << fit.message;
        EXPECT_TRUE(fit.parameters.empty());
    }
}

TEST(Points, TheSweepEndsAtTheFirstUnmeasuredRowAndSectionsSwapSupplies) {
    MeasMatrix m;
    const double rows[][7] = {
        // curve, Ia, Is, Vh, Vg, Vs, Va
        {1, 1.5, 2.5, 6.3, -1, 150, 100},
        {1, 3.0, 4.0, 6.3, -1, 250, 200},
        {2, 0.5, 0.7, 6.3, -2, 150, 100},
        {-2, 0, 0, 6.3, -2, 250, 200},  // composed, never measured (an aborted sweep)
        {3, 9.0, 9.0, 6.3, -3, 150, 100},
    };
    for (int r = 0; r < 5; ++r) {
        for (int c = 0; c < MeasMatrix::kCols; ++c) {
            m(r, c) = rows[r][c];
        }
    }
    const PointSet all = readSweep(m);
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[2].curve, 2);
    EXPECT_DOUBLE_EQ(all[1].va, 200.0);
    EXPECT_DOUBLE_EQ(all[1].is, 4.0);

    const PointSet second = triodeSection(all, TriodeSection::Second);
    EXPECT_DOUBLE_EQ(second[1].va, 250.0);
    EXPECT_DOUBLE_EQ(second[1].ia, 4.0);
    EXPECT_DOUBLE_EQ(second[1].vg, -1.0);
    const PointSet first = triodeSection(all, TriodeSection::First);
    EXPECT_DOUBLE_EQ(first[1].va, 200.0);
    EXPECT_DOUBLE_EQ(first[1].ia, 3.0);
}

}  // namespace
}  // namespace ostrino::model
