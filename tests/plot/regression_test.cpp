#include "plot/regression.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

namespace ostrino {
namespace {

struct Point {
    double x, y;
};

RegressionObject fitted(int degree, const std::vector<Point>& points) {
    RegressionObject reg;
    reg.Degree(degree);
    for (const Point& p : points) {
        reg.XYAdd(p.x, p.y);
    }
    return reg;
}

TEST(RegressionObject, RecoversAKnownCubicExactly) {
    const auto p = [](double x) { return 3.0 - 2.0 * x + 0.5 * x * x * x; };
    std::vector<Point> points;
    for (double x = -2.0; x <= 3.0; x += 0.5) {
        points.push_back({x, p(x)});
    }
    RegressionObject reg = fitted(3, points);
    EXPECT_EQ(reg.XYCount(), 11);
    EXPECT_NEAR(reg.Coeff(0), 3.0, 1e-10);
    EXPECT_NEAR(reg.Coeff(1), -2.0, 1e-10);
    EXPECT_NEAR(reg.Coeff(2), 0.0, 1e-10);
    EXPECT_NEAR(reg.Coeff(3), 0.5, 1e-10);
    EXPECT_EQ(reg.Coeff(-3), reg.Coeff(3));  // the sign of the exponent is ignored
    EXPECT_EQ(reg.Coeff(5), 0.0);            // beyond the degree
    EXPECT_NEAR(reg.RegVal(1.7), p(1.7), 1e-10);
    EXPECT_NEAR(reg.RegVal(-5.0), p(-5.0), 1e-8);  // extrapolated
}

TEST(RegressionObject, StraightLineMatchesTheClosedFormLeastSquares) {
    const std::vector<Point> points{{0, 1.1}, {1, 2.9}, {2, 5.2}, {3, 6.8}, {4, 9.3}, {7, 14.6}};
    double sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (const Point& p : points) {
        sx += p.x;
        sy += p.y;
        sxx += p.x * p.x;
        sxy += p.x * p.y;
    }
    const double n = static_cast<double>(points.size());
    const double slope = (n * sxy - sx * sy) / (n * sxx - sx * sx);
    const double intercept = (sy - slope * sx) / n;

    RegressionObject line = fitted(1, points);
    EXPECT_NEAR(line.Coeff(1), slope, 1e-12);
    EXPECT_NEAR(line.Coeff(0), intercept, 1e-12);

    RegressionObject mean = fitted(0, points);
    EXPECT_NEAR(mean.Coeff(0), sy / n, 1e-12);
    EXPECT_NEAR(mean.RegVal(100.0), sy / n, 1e-12);
}

TEST(RegressionObject, DegreeOutsideZeroToTwentyFiveIsError6000) {
    RegressionObject reg;
    EXPECT_EQ(reg.Degree(), 2);  // after construction
    reg.Degree(0);
    reg.Degree(25);
    for (int bad : {26, 30, -1}) {
        try {
            reg.Degree(bad);
            ADD_FAILURE() << bad << " accepted";
        } catch (const RegressionError& e) {
            EXPECT_EQ(e.what(),
                      std::to_string(bad) + " is an invalid property value! Use 0<= Degree <= 25");
            EXPECT_EQ(e.number(), 6000);
            EXPECT_STREQ(e.source(), "RegressionObject");
        }
        EXPECT_EQ(reg.Degree(), 25);
    }
}

TEST(RegressionObject, FewOrDegeneratePointsStillGiveFiniteCoefficients) {
    struct Case {
        const char* what;
        int degree;
        std::vector<Point> points;
        double c0, c1, c2;
    };
    const Case cases[] = {
        {"single point", 3, {{4, 7.5}}, 7.5, 0, 0},
        {"three points, degree 5", 5, {{-1, 2}, {0, 1}, {2, 5}}, 1, 0, 1},
        {"collinear", 2, {{1, 3}, {2, 5}, {4, 9}}, 1, 2, 0},
        {"one x only", 1, {{1, 2}, {1, 4}}, 3, 0, 0},
        {"x^2 overflows", 2, {{1e200, 1}, {-1e200, 3}, {0, 2}}, 2, 0, 0},
        {"no points", 3, {}, 0, 0, 0},
    };
    for (const Case& c : cases) {
        RegressionObject reg = fitted(c.degree, c.points);
        EXPECT_NEAR(reg.Coeff(0), c.c0, 1e-12) << c.what;
        EXPECT_NEAR(reg.Coeff(1), c.c1, 1e-12) << c.what;
        EXPECT_NEAR(reg.Coeff(2), c.c2, 1e-12) << c.what;
        EXPECT_EQ(reg.Coeff(3), 0.0) << c.what;
        EXPECT_NEAR(reg.RegVal(0.5), c.c0 + 0.5 * c.c1 + 0.25 * c.c2, 1e-12) << c.what;
    }
}

TEST(RegressionObject, AddingAPointSolvesAgainAndInitKeepsTheDegree) {
    RegressionObject reg = fitted(1, {{0, 0}, {1, 1}});
    EXPECT_NEAR(reg.Coeff(1), 1.0, 1e-12);
    reg.XYAdd(2, 4);
    EXPECT_NEAR(reg.Coeff(1), 2.0, 1e-12);
    reg.Init();
    reg.XYAdd(0, 5);
    reg.XYAdd(1, 3);
    EXPECT_NEAR(reg.Coeff(1), -2.0, 1e-12);  // still degree 1
}

// Measured curves from row 0: `points` rows per curve, x in the anode column.
void addCurves(MeasMatrix& m, int curves, int points, double (*ia)(int curve, double x)) {
    int row = 0;
    for (int c = 1; c <= curves; ++c) {
        for (int i = 0; i < points; ++i, ++row) {
            const double x = 10.0 * i;
            m(row, MeasMatrix::Curve) = c;
            m(row, MeasMatrix::Va) = x;
            m(row, MeasMatrix::Ia) = ia(c, x);
        }
    }
    m(row, MeasMatrix::Curve) = 0;
}

TEST(FitCurves, WritesHundredSamplesPerCurveOverThePlotRange) {
    auto m = std::make_unique<MeasMatrix>();
    addCurves(*m, 4, 6, [](int c, double x) { return c + 0.01 * c * x * x; });
    FitCurves(*m, 0, MeasMatrix::Va, 2, -20.0, 180.0);

    for (int c = 1; c <= 4; ++c) {
        for (int k : {0, 99}) {
            const int row = 2000 + (c - 1) * 100 + k;
            const double x = -20.0 + 2.0 * k;  // dx = 200 / 100
            EXPECT_EQ((*m)(row, MeasMatrix::Curve), c);
            EXPECT_NEAR((*m)(row, MeasMatrix::Va), x, 1e-9);
            const double slope = 0.02 * c * x;
            EXPECT_NEAR((*m)(row, 1), c + 0.01 * c * x * x, 1e-8);
            EXPECT_NEAR((*m)(row, 2), slope, 1e-9);
            EXPECT_NEAR((*m)(row, 3), 1.0 / (slope + 1e-8), 1e-9);
        }
    }
    EXPECT_EQ((*m)(2400, MeasMatrix::Curve), -1.0);
}

TEST(FitCurves, SinglePointCurveIsFlat) {
    auto m = std::make_unique<MeasMatrix>();
    addCurves(*m, 1, 1, [](int, double) { return 4.2; });
    FitCurves(*m, 0, MeasMatrix::Va, 3, 0.0, 100.0);
    for (int row : {2000, 2099}) {
        EXPECT_EQ((*m)(row, 1), 4.2);
        EXPECT_EQ((*m)(row, 2), 0.0);
        EXPECT_DOUBLE_EQ((*m)(row, 3), 1e8);
    }
    EXPECT_EQ((*m)(2100, MeasMatrix::Curve), -1.0);
}

TEST(FitCurves, OnlyTheFirstTenCurvesFitTheBlock) {
    auto m = std::make_unique<MeasMatrix>();
    addCurves(*m, 12, 5, [](int c, double x) { return c * x; });
    FitCurves(*m, 0, MeasMatrix::Va, 2, 0.0, 40.0);
    EXPECT_EQ((*m)(2999, MeasMatrix::Curve), 10.0);
    EXPECT_NEAR((*m)(2999, 2), 10.0, 1e-9);
    EXPECT_EQ((*m)(3000, MeasMatrix::Curve), -1.0);
}

TEST(FitCurves, StaysInsideTheMeasuredBlockAndWritesNothingForABadDegree) {
    auto m = std::make_unique<MeasMatrix>();
    // A full measured block of one curve, with a stored curve right behind it.
    for (int row = 0; row < 1000; ++row) {
        (*m)(row, MeasMatrix::Curve) = 1;
        (*m)(row, MeasMatrix::Va) = row;
        (*m)(row, MeasMatrix::Ia) = 2.0 * row;
    }
    (*m)(1000, MeasMatrix::Curve) = 1;
    (*m)(1000, MeasMatrix::Ia) = 1e6;
    FitCurves(*m, 0, MeasMatrix::Va, 1, 0.0, 100.0);
    EXPECT_NEAR((*m)(2000, 2), 2.0, 1e-9);
    EXPECT_EQ((*m)(2100, MeasMatrix::Curve), -1.0);

    (*m)(2000, 2) = 0;
    EXPECT_THROW(FitCurves(*m, 0, MeasMatrix::Va, -1, 0.0, 100.0), RegressionError);
    EXPECT_EQ((*m)(2000, 2), 0.0);
}

}  // namespace
}  // namespace ostrino
