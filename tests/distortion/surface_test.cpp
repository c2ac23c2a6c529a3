#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "distortion/numerics.h"

namespace ostrino {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Quadratic in each variable: the parabolically terminated splines along rows and columns
// reproduce it exactly, so the bicubic surface must equal it everywhere, extrapolation included.
struct Biquadratic {
    static double value(double x, double y) {
        return 1 + 2 * x - 3 * y + 0.5 * x * y + 0.25 * x * x - y * y + 0.1 * x * x * y * y;
    }
    static double dx(double x, double y) { return 2 + 0.5 * y + 0.5 * x + 0.2 * x * y * y; }
    static double dy(double x, double y) { return -3 + 0.5 * x - 2 * y + 0.2 * x * x * y; }
    static double dxy(double x, double y) { return 0.5 + 0.4 * x * y; }
};

// f[i * n + j] = g(x[j], y[i])
template <typename G>
std::vector<double> sampled(const std::vector<double>& x, const std::vector<double>& y, G g) {
    std::vector<double> f;
    for (double yi : y) {
        for (double xj : x) {
            f.push_back(g(xj, yi));
        }
    }
    return f;
}

const std::vector<double> kX{-2, -0.5, 0, 1.5, 3, 4};
const std::vector<double> kY{-1, 0.25, 1, 2.5};

TEST(BicubicSurface, ReproducesABiquadraticWithItsDerivatives) {
    SurfaceInterpolant s;
    ASSERT_TRUE(BuildBicubicSurface(kX, kY, sampled(kX, kY, Biquadratic::value), s));
    EXPECT_EQ(s.k, 3);
    for (double x = -3; x <= 5; x += 0.25) {
        for (double y = -2; y <= 3.5; y += 0.25) {
            SCOPED_TRACE(testing::Message() << "(" << x << ", " << y << ")");
            const SurfaceDerivatives r = SurfaceDiff(s, x, y);
            EXPECT_NEAR(r.value, Biquadratic::value(x, y), 1e-10);
            EXPECT_NEAR(SurfaceValue(s, x, y), r.value, 0.0);
            EXPECT_NEAR(r.dx, Biquadratic::dx(x, y), 1e-9);
            EXPECT_NEAR(r.dy, Biquadratic::dy(x, y), 1e-9);
            EXPECT_NEAR(r.dxy, Biquadratic::dxy(x, y), 1e-9);
        }
    }
}

TEST(BicubicSurface, TwoByTwoGridReproducesABilinearFunction) {
    // With two nodes per axis the parabolic end conditions coincide; the line must be taken.
    const auto g = [](double x, double y) { return 0.5 - 1.5 * x + 2 * y + 0.75 * x * y; };
    const std::vector<double> x{0, 2}, y{-4, -1};
    SurfaceInterpolant s;
    ASSERT_TRUE(BuildBicubicSurface(x, y, sampled(x, y, g), s));
    for (double px = -1; px <= 3; px += 0.25) {
        for (double py = -6; py <= 0; py += 0.5) {
            EXPECT_NEAR(SurfaceValue(s, px, py), g(px, py), 1e-11) << px << ", " << py;
        }
    }
}

TEST(BicubicSurface, AxesInAnyOrderGiveTheSameSurface) {
    SurfaceInterpolant sorted, unsorted;
    ASSERT_TRUE(BuildBicubicSurface(kX, kY, sampled(kX, kY, Biquadratic::value), sorted));
    const std::vector<double> x{4, 3, 1.5, 0, -0.5, -2};  // descending
    const std::vector<double> y{1, -1, 2.5, 0.25};        // shuffled
    ASSERT_TRUE(BuildBicubicSurface(x, y, sampled(x, y, Biquadratic::value), unsorted));
    EXPECT_EQ(unsorted.c, sorted.c);
}

TEST(BicubicSurface, LayoutOfTheArray) {
    SurfaceInterpolant s;
    ASSERT_TRUE(BuildBicubicSurface(kX, kY, sampled(kX, kY, Biquadratic::value), s));
    const std::size_t n = kX.size(), m = kY.size();
    ASSERT_EQ(s.c.size(), 4 + n + m + 4 * n * m);
    EXPECT_EQ(s.c[0], static_cast<double>(s.c.size()));
    EXPECT_EQ(s.c[1], kBicubicSurfaceCode);
    EXPECT_EQ(s.c[2], static_cast<double>(n));
    EXPECT_EQ(s.c[3], static_cast<double>(m));
    EXPECT_EQ(std::vector<double>(s.c.begin() + 4, s.c.begin() + 4 + n), kX);
    EXPECT_EQ(std::vector<double>(s.c.begin() + 4 + n, s.c.begin() + 4 + n + m), kY);
    const std::size_t base = 4 + n + m;
    const std::size_t i = 2, j = 3;  // the node (x = 1.5, y = 1)
    EXPECT_DOUBLE_EQ(s.c[base + i * n + j], Biquadratic::value(1.5, 1));
    EXPECT_NEAR(s.c[base + n * m + i * n + j], Biquadratic::dx(1.5, 1), 1e-12);
    EXPECT_NEAR(s.c[base + 2 * n * m + i * n + j], Biquadratic::dy(1.5, 1), 1e-12);
    EXPECT_NEAR(s.c[base + 3 * n * m + i * n + j], Biquadratic::dxy(1.5, 1), 1e-12);
}

TEST(BicubicSurface, RepeatedNodesAreMergedIntoTheirMean) {
    // Two curves measured at the same grid voltage and a repeated anode voltage: the readings at
    // a repeated node straddle the true value, so the merged surface is the function again.
    const std::vector<double> x{-2, -0.5, 0, 0, 1.5, 3, 4};
    const std::vector<double> y{-1, 0.25, 1, 1, 2.5};
    std::vector<double> f = sampled(x, y, Biquadratic::value);
    for (std::size_t j = 0; j < x.size(); ++j) {
        f[2 * x.size() + j] += 0.5;
        f[3 * x.size() + j] -= 0.5;
    }
    for (std::size_t i = 0; i < y.size(); ++i) {
        f[i * x.size() + 2] += 0.25;
        f[i * x.size() + 3] -= 0.25;
    }
    SurfaceInterpolant s;
    ASSERT_TRUE(BuildBicubicSurface(x, y, f, s));
    EXPECT_EQ(s.c[2], 6);
    EXPECT_EQ(s.c[3], 4);
    for (double px = -2; px <= 4; px += 0.5) {
        for (double py = -1; py <= 2.5; py += 0.5) {
            EXPECT_NEAR(SurfaceValue(s, px, py), Biquadratic::value(px, py), 1e-10);
        }
    }
}

TEST(BicubicSurface, RefusesGridsThatCannotMakeASurface) {
    SurfaceInterpolant s;
    ASSERT_TRUE(BuildBicubicSurface(kX, kY, sampled(kX, kY, Biquadratic::value), s));
    const std::vector<double> before = s.c;
    const struct {
        std::vector<double> x, y, f;
    } cases[] = {
        {{0}, {0, 1}, {1, 2}},              // one x node
        {{0, 1}, {3, 3}, {1, 2, 3, 4}},     // y nodes all equal
        {{0, 1}, {0, 1}, {1, 2, 3}},        // f does not fill the grid
        {{0, kNaN}, {0, 1}, {1, 2, 3, 4}},  // a node that is no number
        {{}, {}, {}},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(BuildBicubicSurface(c.x, c.y, c.f, s));
        EXPECT_EQ(s.c, before);
    }
}

TEST(SurfaceValue, BilinearSurfacesAndMalformedArrays) {
    const auto g = [](double x, double y) { return 1 + 2 * x + 3 * y + 4 * x * y; };
    // Bilinear: head, nodes x = {0, 2}, y = {1, 3}, then the values row by row.
    SurfaceInterpolant bilinear;
    bilinear.c = {12, kBilinearSurfaceCode, 2, 2, 0, 2, 1, 3, g(0, 1), g(2, 1), g(0, 3), g(2, 3)};
    for (double x = -1; x <= 3; x += 0.5) {
        for (double y = 0; y <= 4; y += 0.5) {
            const SurfaceDerivatives r = SurfaceDiff(bilinear, x, y);
            EXPECT_NEAR(r.value, g(x, y), 1e-12);
            EXPECT_NEAR(r.dx, 2 + 4 * y, 1e-12);
            EXPECT_NEAR(r.dy, 3 + 4 * x, 1e-12);
            EXPECT_NEAR(r.dxy, 4, 1e-12);
        }
    }

    const std::vector<double> malformed[] = {
        {},
        {12, 5, 2, 2, 0, 2, 1, 3, 1, 1, 1, 1},                    // unknown type code
        {12, kBilinearSurfaceCode, 2, 2, 0, 2, 1, 3, 1, 1, 1},    // shorter than its head says
        {11, kBilinearSurfaceCode, 1, 2, 0, 1, 3, 1, 1, 1, 1},    // one x node
        {12, kBicubicSurfaceCode, 2, 2, 0, 2, 1, 3, 1, 1, 1, 1},  // derivative blocks missing
        {12, kBilinearSurfaceCode, 1e300, 2, 0, 2, 1, 3, 1, 1, 1, 1},
    };
    for (const std::vector<double>& c : malformed) {
        EXPECT_TRUE(std::isnan(SurfaceValue(SurfaceInterpolant{c, 3}, 1, 2)));
    }
}

}  // namespace
}  // namespace ostrino
