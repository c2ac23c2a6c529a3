#include "distortion/numerics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

namespace ostrino {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// ---- complex values and utilities -------------------------------------------------------------

TEST(ComplexAbs, MagnitudesIncludingExtremeParts) {
    struct Case {
        Complex z;
        double expected;
    };
    const Case cases[] = {
        {{3, 4}, 5},
        {{0, 0}, 0},
        {{-5, 0}, 5},
        {{0, -2}, 2},
        {{-6, 8}, 10},
        // re^2 would overflow or underflow; the scaled form must not.
        {{3e200, 4e200}, 5e200},
        {{3e-200, -4e-200}, 5e-200},
        {{kInf, 1}, kInf},
        {{-kInf, kInf}, kInf},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.z.re << " " << c.z.im);
        const double r = ComplexAbs(c.z);
        if (std::isinf(c.expected)) {
            EXPECT_EQ(r, c.expected);
        } else {
            EXPECT_NEAR(r, c.expected, 1e-15 * c.expected);  // relative: the parts span 1e400
        }
    }
    EXPECT_TRUE(std::isnan(ComplexAbs({kNaN, 1})));
}

TEST(ArcCos, AgreesWithTheLibraryAndHandlesTheEnds) {
    for (double x = -1.0; x <= 1.0; x += 0.125) {
        EXPECT_NEAR(ArcCos(x), std::acos(x), 1e-14) << x;
    }
    EXPECT_NEAR(ArcCos(-1.0), std::numbers::pi, 1e-15);
    EXPECT_NEAR(ArcCos(1.0), 0.0, 1e-15);
    EXPECT_NEAR(ArcCos(0.0), std::numbers::pi / 2, 1e-15);
    // Rounding just outside the domain lands on the nearer end.
    EXPECT_NEAR(ArcCos(1.0 + 1e-15), 0.0, 1e-15);
    EXPECT_NEAR(ArcCos(-1.0 - 1e-15), std::numbers::pi, 1e-15);
    EXPECT_TRUE(std::isnan(ArcCos(kNaN)));
}

TEST(MapPeriodic, FoldsIntoTheIntervalAndCountsPeriods) {
    struct Case {
        double x, a, b, expectedX, expectedPeriods;
    };
    const Case cases[] = {
        {1.5, 0, 2, 1.5, 0},   {7.5, 0, 2, 1.5, 3}, {-0.5, 0, 2, 1.5, -1},
        {-4.5, 0, 2, 1.5, -3}, {12, 10, 11, 10, 2}, {3.25, -1, 1, -0.75, 2},
        {0, 0, 2, 0, 0},       {2, 0, 2, 0, 1},  // b itself folds onto a (one period)
        {5, 3, 3, 5, 0},                         // empty interval: left alone
        {5, 4, 3, 5, 0},                         // reversed interval: left alone
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << " in [" << c.a << ", " << c.b << "]");
        const PeriodicMapping r = MapPeriodic(c.x, c.a, c.b);
        EXPECT_NEAR(r.x, c.expectedX, 1e-12);
        EXPECT_EQ(r.periods, c.expectedPeriods);
    }
    // Magnitudes where a period is below the resolution of x still end, inside the interval.
    const PeriodicMapping huge = MapPeriodic(1e200, 0, 0.3);
    EXPECT_GE(huge.x, 0.0);
    EXPECT_LE(huge.x, 0.3);
    EXPECT_TRUE(std::isnan(MapPeriodic(kNaN, 0, 1).x));
}

// ---- sorting and the tridiagonal solver --------------------------------------------------------

TEST(SortPoints, AscendingDescendingAndMixedOrders) {
    struct Case {
        std::vector<double> x, y, expectedX, expectedY;
    };
    const Case cases[] = {
        {{1, 2, 3}, {10, 20, 30}, {1, 2, 3}, {10, 20, 30}},
        {{3, 2, 1}, {30, 20, 10}, {1, 2, 3}, {10, 20, 30}},
        {{2, 3, 1, 4}, {20, 30, 10, 40}, {1, 2, 3, 4}, {10, 20, 30, 40}},
        // equal nodes keep their given order
        {{2, 1, 2, 0}, {21, 10, 22, 0}, {0, 1, 2, 2}, {0, 10, 21, 22}},
        {{5}, {50}, {5}, {50}},
        {{}, {}, {}, {}},
    };
    for (Case c : cases) {
        SortPoints(c.x, c.y);
        EXPECT_EQ(c.x, c.expectedX);
        EXPECT_EQ(c.y, c.expectedY);
    }
}

TEST(SolveTridiagonal, RecoversAChosenSolution) {
    const std::vector<double> sub{0, 1, -2, 0.5, 3};
    const std::vector<double> diag{4, 5, 6, 4, 7};
    const std::vector<double> super{1, 2, 1, -1, 0};
    const std::vector<double> v{1, -2, 3, 0.5, -1};
    std::vector<double> rhs(5);
    for (std::size_t i = 0; i < 5; ++i) {
        rhs[i] =
            diag[i] * v[i] + (i > 0 ? sub[i] * v[i - 1] : 0) + (i < 4 ? super[i] * v[i + 1] : 0);
    }
    const std::vector<double> solved = SolveTridiagonal(sub, diag, super, rhs);
    ASSERT_EQ(solved.size(), 5u);
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_NEAR(solved[i], v[i], 1e-13);
    }
}

TEST(SolveTridiagonal, RefusesZeroPivotsAndMismatchedSizes) {
    // The first row is all zero, and a later pivot vanishes after elimination.
    EXPECT_TRUE(SolveTridiagonal(std::vector<double>{0, 1}, std::vector<double>{0, 1},
                                 std::vector<double>{1, 0}, std::vector<double>{1, 1})
                    .empty());
    EXPECT_TRUE(SolveTridiagonal(std::vector<double>{0, 1}, std::vector<double>{1, 1},
                                 std::vector<double>{1, 0}, std::vector<double>{1, 2})
                    .empty());
    EXPECT_TRUE(SolveTridiagonal(std::vector<double>{0}, std::vector<double>{1, 1},
                                 std::vector<double>{1, 0}, std::vector<double>{1, 2})
                    .empty());
}

// ---- piecewise-linear interpolant --------------------------------------------------------------

TEST(LinearSpline, InterpolatesAndExtrapolatesWithTheEndSlopes) {
    SplineInterpolant s;
    ASSERT_TRUE(BuildLinearSpline(std::vector<double>{0, 1, 3}, std::vector<double>{0, 2, 4}, s));
    EXPECT_FALSE(s.periodic);
    EXPECT_EQ(s.n, 3);
    EXPECT_EQ(s.k, 3);
    struct Case {
        double x, expected;
    };
    const Case cases[] = {{0.5, 1}, {4, 5}, {-1, -2}, {0, 0}, {1, 2}, {3, 4}, {2, 3}, {1.5, 2.5}};
    for (const Case& c : cases) {
        EXPECT_DOUBLE_EQ(SplineValue(s, c.x), c.expected) << c.x;
    }
}

TEST(LinearSpline, OrderOfTheGivenPointsDoesNotMatter) {
    const std::vector<double> x{0, 1, 3, 6};
    const std::vector<double> y{0, 2, 4, -1};
    SplineInterpolant ascending, descending, shuffled;
    ASSERT_TRUE(BuildLinearSpline(x, y, ascending));
    ASSERT_TRUE(BuildLinearSpline(std::vector<double>{6, 3, 1, 0}, std::vector<double>{-1, 4, 2, 0},
                                  descending));
    ASSERT_TRUE(BuildLinearSpline(std::vector<double>{3, 0, 6, 1}, std::vector<double>{4, 0, -1, 2},
                                  shuffled));
    EXPECT_EQ(descending.x, ascending.x);
    EXPECT_EQ(descending.c, ascending.c);
    EXPECT_EQ(shuffled.c, ascending.c);
}

TEST(LinearSpline, RepeatedNodesAreMergedIntoTheirMean) {
    // A curve that measured two currents at 100 V: the segment ends at their mean, and no
    // division by a zero-width segment happens.
    SplineInterpolant s;
    ASSERT_TRUE(BuildLinearSpline(std::vector<double>{50, 100, 100, 150},
                                  std::vector<double>{1, 2, 4, 5}, s));
    EXPECT_EQ(s.n, 3);
    EXPECT_DOUBLE_EQ(SplineValue(s, 100), 3);
    EXPECT_DOUBLE_EQ(SplineValue(s, 75), 2);
    EXPECT_DOUBLE_EQ(SplineValue(s, 125), 4);
    for (double c : s.c) {
        EXPECT_TRUE(std::isfinite(c));
    }
}

TEST(LinearSpline, RefusesDataThatCannotMakeAnInterpolant) {
    SplineInterpolant s;
    ASSERT_TRUE(BuildLinearSpline(std::vector<double>{0, 1}, std::vector<double>{7, 8}, s));
    const SplineInterpolant before = s;
    const struct {
        std::vector<double> x, y;
    } cases[] = {
        {{}, {}},
        {{1}, {1}},
        {{2, 2, 2}, {1, 2, 3}},     // one distinct node
        {{0, 1, 2}, {1, 2}},        // sizes differ
        {{0, kNaN, 2}, {1, 2, 3}},  // a node that is no number
        {{0, kInf}, {1, 2}},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(BuildLinearSpline(c.x, c.y, s));
        EXPECT_EQ(s.c, before.c);  // the output is left as it was
    }
}

TEST(SplineValue, MalformedInterpolantGivesNaNAndPeriodicMapsIntoTheRange) {
    EXPECT_TRUE(std::isnan(SplineValue(SplineInterpolant{}, 1.0)));
    SplineInterpolant truncated;
    truncated.n = 5;
    truncated.x = {0, 1};
    truncated.c = {0, 0, 0, 0};
    EXPECT_TRUE(std::isnan(SplineValue(truncated, 0.5)));

    SplineInterpolant s;
    ASSERT_TRUE(BuildLinearSpline(std::vector<double>{0, 1, 2}, std::vector<double>{0, 1, 0}, s));
    s.periodic = true;
    EXPECT_DOUBLE_EQ(SplineValue(s, 2.5), 0.5);   // 0.5 on the first ramp
    EXPECT_DOUBLE_EQ(SplineValue(s, -0.5), 0.5);  // 1.5 on the second ramp
    EXPECT_DOUBLE_EQ(SplineValue(s, 7.25), 0.75);
}

// ---- cubic and Hermite splines ----------------------------------------------------------------

struct Cubic {
    double a, b, c, d;  // a + b x + c x^2 + d x^3
    double value(double x) const { return a + x * (b + x * (c + x * d)); }
    double first(double x) const { return b + x * (2 * c + 3 * d * x); }
    double second(double x) const { return 2 * c + 6 * d * x; }
};

void expectFollows(const PackedSpline& s, const Cubic& p, double from, double to) {
    for (double x = from; x <= to; x += 0.0625) {
        const SplineDerivatives r = SplineDiff(s, x);
        EXPECT_NEAR(r.value, p.value(x), 1e-10) << x;
        EXPECT_NEAR(r.first, p.first(x), 1e-9) << x;
        EXPECT_NEAR(r.second, p.second(x), 1e-8) << x;
    }
}

TEST(CubicSpline, ReproducesACubicFromExactEndConditions) {
    const Cubic p{-1, 1, -2, 0.75};
    const std::vector<double> x{-2, -1.25, 0, 0.5, 2, 3.5};  // uneven spacing
    std::vector<double> y;
    for (double v : x) {
        y.push_back(p.value(v));
    }
    PackedSpline firstEnds, secondEnds, mixedEnds;
    ASSERT_TRUE(BuildCubicSpline(x, y, kFirstDerivativeEnd, p.first(-2), kFirstDerivativeEnd,
                                 p.first(3.5), firstEnds));
    ASSERT_TRUE(BuildCubicSpline(x, y, kSecondDerivativeEnd, p.second(-2), kSecondDerivativeEnd,
                                 p.second(3.5), secondEnds));
    ASSERT_TRUE(BuildCubicSpline(x, y, kSecondDerivativeEnd, p.second(-2), kFirstDerivativeEnd,
                                 p.first(3.5), mixedEnds));
    for (const PackedSpline* s : {&firstEnds, &secondEnds, &mixedEnds}) {
        expectFollows(*s, p, -3, 4.5);  // beyond the nodes too
    }
}

TEST(CubicSpline, ParabolicEndsReproduceAQuadraticAndTwoNodesAStraightLine) {
    const Cubic q{2, -1, 0.5, 0};
    const std::vector<double> x{0, 1, 1.5, 4, 4.25};
    std::vector<double> y;
    for (double v : x) {
        y.push_back(q.value(v));
    }
    PackedSpline s;
    ASSERT_TRUE(BuildCubicSpline(x, y, kParabolicEnd, 0, kParabolicEnd, 0, s));
    expectFollows(s, q, -1, 5);

    PackedSpline line;
    ASSERT_TRUE(BuildCubicSpline(std::vector<double>{1, 3}, std::vector<double>{2, 6},
                                 kParabolicEnd, 0, kParabolicEnd, 0, line));
    expectFollows(line, Cubic{0, 2, 0, 0}, 0, 4);
}

TEST(CubicSpline, NaturalSplineThroughAHat) {
    // Through (0,0), (1,1), (2,0) with zero end curvature, the moment equation
    // M0 + 4 M1 + M2 = 6 (y0 - 2 y1 + y2) gives M1 = -3; on [0, 1] the spline is
    // s(x) = M1 x^3 / 6 + (1 - M1 / 6) x.
    PackedSpline s;
    ASSERT_TRUE(BuildCubicSpline(std::vector<double>{2, 0, 1}, std::vector<double>{0, 0, 1},
                                 kSecondDerivativeEnd, 0, kSecondDerivativeEnd, 0, s));
    EXPECT_NEAR(SplineDiff(s, 1).second, -3, 1e-12);
    EXPECT_NEAR(SplineDiff(s, 0.5).value, -3 * 0.125 / 6 + 1.5 * 0.5, 1e-12);
    EXPECT_NEAR(SplineDiff(s, 1.5).value, SplineDiff(s, 0.5).value, 1e-12);  // symmetric
    EXPECT_NEAR(SplineDiff(s, 0).second, 0, 1e-12);
    EXPECT_NEAR(SplineDiff(s, 2).second, 0, 1e-12);
}

TEST(CubicSpline, RefusesBadInputAndMalformedSplinesGiveNaN) {
    PackedSpline s{1, 2, 3};
    EXPECT_FALSE(BuildCubicSpline(std::vector<double>{0, 1, 2}, std::vector<double>{0, 1, 2}, 3, 0,
                                  kParabolicEnd, 0, s));
    EXPECT_FALSE(BuildCubicSpline(std::vector<double>{1, 1}, std::vector<double>{0, 1},
                                  kParabolicEnd, 0, kParabolicEnd, 0, s));
    EXPECT_EQ(s, (PackedSpline{1, 2, 3}));

    const PackedSpline malformed[] = {{},
                                      {1, kCubicSplineCode, 2},
                                      {10, kCubicSplineCode, 2, 0, 1, 0, 0, 0},  // too short
                                      {9, 7, 2, 0, 1, 0, 0, 0, 0},
                                      {9, kCubicSplineCode, 1e30, 0, 1, 0, 0, 0, 0}};
    for (const PackedSpline& m : malformed) {
        EXPECT_TRUE(std::isnan(SplineDiff(m, 0.5).value));
    }
}

TEST(HermiteSpline, ReproducesACubicFromValuesAndSlopesInAnyOrder) {
    const Cubic p{0.5, -3, 1, 2};
    const std::vector<double> x{3, -1, 0.25, 2, 1};
    std::vector<double> y, d;
    for (double v : x) {
        y.push_back(p.value(v));
        d.push_back(p.first(v));
    }
    PackedSpline s;
    ASSERT_TRUE(BuildHermiteSpline(x, y, d, s));
    expectFollows(s, p, -2, 4);
    EXPECT_FALSE(BuildHermiteSpline(x, y, std::vector<double>{1, 2}, s));
}

}  // namespace
}  // namespace ostrino
