#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "distortion/numerics.h"

namespace ostrino {
namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;

// The definition summed term by term, in long double: the reference for every length.
std::vector<Complex> naiveDft(const std::vector<Complex>& a) {
    const std::size_t n = a.size();
    std::vector<long double> cosines(n), sines(n);
    for (std::size_t p = 0; p < n; ++p) {
        const long double angle = -2.0L * std::numbers::pi_v<long double> *
                                  static_cast<long double>(p) / static_cast<long double>(n);
        cosines[p] = std::cos(angle);
        sines[p] = std::sin(angle);
    }
    std::vector<Complex> f(n);
    for (std::size_t j = 0; j < n; ++j) {
        long double re = 0, im = 0;
        for (std::size_t k = 0; k < n; ++k) {
            const std::size_t p = (j * k) % n;
            re += a[k].re * cosines[p] - a[k].im * sines[p];
            im += a[k].re * sines[p] + a[k].im * cosines[p];
        }
        f[j] = {static_cast<double>(re), static_cast<double>(im)};
    }
    return f;
}

void expectSpectraEqual(const std::vector<Complex>& got, const std::vector<Complex>& want,
                        double tolerance) {
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t j = 0; j < got.size(); ++j) {
        EXPECT_NEAR(got[j].re, want[j].re, tolerance) << "bin " << j;
        EXPECT_NEAR(got[j].im, want[j].im, tolerance) << "bin " << j;
    }
}

TEST(RealFFT, SineOnAnOffsetGivesTheDcAndOneHarmonic) {
    std::vector<double> a(16);
    for (std::size_t i = 0; i < 16; ++i) {
        a[i] = 1 + std::sin(kTwoPi * static_cast<double>(i) / 16);
    }
    const std::vector<Complex> f = RealFFT(a);
    ASSERT_EQ(f.size(), 16u);
    EXPECT_NEAR(ComplexAbs(f[0]), 16, 1e-12);
    EXPECT_NEAR(ComplexAbs(f[1]), 8, 1e-12);
    EXPECT_NEAR(ComplexAbs(f[15]), 8, 1e-12);
    for (std::size_t k = 2; k < 15; ++k) {
        EXPECT_NEAR(ComplexAbs(f[k]), 0, 1e-12) << k;
    }
    EXPECT_NEAR(2.0 / 16 * ComplexAbs(f[1]), 1.0, 1e-13);  // the amplitude of the fundamental
}

TEST(RealFFT, CosineWithPhaseLandsInItsBinWithThatPhase) {
    // A cos(2 pi m i / n + phi) = A/2 (e^(i theta) + e^(-i theta)): with the e^(-2 pi i jk/n)
    // kernel, bin m holds n A / 2 e^(i phi) and bin n - m its conjugate.
    struct Case {
        std::size_t n, m;
    };
    const Case cases[] = {{8, 1},  {8, 3},  {16, 2}, {16, 5}, {12, 4},   {7, 2},
                          {15, 4}, {30, 7}, {37, 5}, {74, 9}, {100, 13}, {18, 1}};
    const double amplitude = 1.75, phase = 0.6;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "n = " << c.n << ", m = " << c.m);
        std::vector<double> a(c.n);
        for (std::size_t i = 0; i < c.n; ++i) {
            a[i] =
                amplitude *
                std::cos(kTwoPi * static_cast<double>(c.m * i) / static_cast<double>(c.n) + phase);
        }
        std::vector<Complex> want(c.n);
        const double half = amplitude * static_cast<double>(c.n) / 2;
        want[c.m] = {half * std::cos(phase), half * std::sin(phase)};
        want[c.n - c.m] = Conj(want[c.m]);
        expectSpectraEqual(RealFFT(a), want, 1e-11 * static_cast<double>(c.n));
    }
}

TEST(RealFFT, MatchesTheDefinitionForEveryShortLength) {
    std::mt19937 rng(12345);
    std::uniform_real_distribution<double> dist(-1, 1);
    for (std::size_t n = 1; n <= 70; ++n) {
        SCOPED_TRACE(testing::Message() << "n = " << n);
        std::vector<double> a(n);
        std::vector<Complex> z(n);
        for (std::size_t i = 0; i < n; ++i) {
            a[i] = dist(rng);
            z[i] = {a[i], 0};
        }
        expectSpectraEqual(RealFFT(a), naiveDft(z), 1e-12 * static_cast<double>(n));
    }
    EXPECT_TRUE(RealFFT(std::vector<double>{}).empty());
}

TEST(ComplexFFT, MatchesTheDefinitionForAssortedLengths) {
    // Powers of the small radices, mixed radices, small primes (summed directly), large primes
    // (through the convolution), a large prime factor inside a composite length, and a product
    // of two large primes.
    std::mt19937 rng(777);
    std::uniform_real_distribution<double> dist(-1, 1);
    for (std::size_t n : {1,  2,  3,  4,   5,   6,   8,   9,   16,  25,  27,   32,  60,
                          64, 81, 97, 101, 106, 128, 210, 243, 343, 625, 1024, 2021}) {
        SCOPED_TRACE(testing::Message() << "n = " << n);
        std::vector<Complex> a(n);
        for (Complex& v : a) {
            v = {dist(rng), dist(rng)};
        }
        const std::vector<Complex> want = naiveDft(a);
        ComplexFFT(a);
        expectSpectraEqual(a, want, 1e-13 * static_cast<double>(n) + 1e-13);
    }
}

}  // namespace
}  // namespace ostrino
