#include "model/stage_analysis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace ostrino::model {
namespace {

// A Koren pentode with a sharp cut-off (large kp) and its knee at a microvolt (tiny kvb)
// draws Ia = c * (Vs/mu + Vg)^ex, c = 1000 * pi / kg1 mA, whatever the anode voltage. With
// u = Vs/mu + Vgrid and the grid at Vgrid + v sin(t), the anode voltage on a load R is
// Vsupply - R c (u + v sin t)^ex:
//   ex = 1: a copy of the sine, gain R c, no harmonics;
//   ex = 2: Vsupply - R c (u^2 + v^2/2) - 2 R c u v sin t + R c v^2/2 cos 2t, so the gain
//           is 2 R c u and the second harmonic is v / (4 u) of the fundamental, nothing else.
TEST(Stage, PowerLawValvesGiveTheirWorkedOutHarmonics) {
    constexpr double kC = 0.1;  // mA / V^ex
    const double kg1 = 1000.0 * std::numbers::pi / kC;
    StageSettings s;
    s.supplyVolts = 300.0;
    s.loadKohm = 10.0;
    s.screenVolts = 200.0;  // Vs/mu = 20 V
    s.gridVolts = -10.0;    // u = 10 V
    s.signalPeakVolts = 2.0;
    struct Case {
        double ex;
        double iaQuiescent, gain, secondPercent;
    };
    const Case cases[] = {
        {1.0, 1.0, 1.0, 0.0},    // Ia = 0.1 * 10; gain 10 * 0.1
        {2.0, 10.0, 20.0, 5.0},  // Ia = 0.1 * 100; gain 2 * 10 * 0.1 * 10; 2 / 40
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ex);
        const std::vector<double> p{10.0, c.ex, kg1, 1e9, 1e5, 1e-6};
        const StageResult r = analyzeStage(ModelKind::KorenPentode, p, s);
        ASSERT_TRUE(r.ok) << r.message;
        EXPECT_NEAR(r.iaQuiescentMa, c.iaQuiescent, 1e-6);
        EXPECT_NEAR(r.vaQuiescentVolts, 300.0 - 10.0 * c.iaQuiescent, 1e-5);
        EXPECT_NEAR(r.gain, c.gain, 1e-6);
        EXPECT_NEAR(r.distortionPercent[2], c.secondPercent, 1e-6);
        EXPECT_NEAR(r.totalDistortionPercent, c.secondPercent, 1e-6);
        for (int k = 3; k <= kStageHarmonics; ++k) {
            EXPECT_LT(r.distortionPercent[static_cast<std::size_t>(k)], 1e-7) << k;
        }
        if (c.secondPercent > 0.0) {
            EXPECT_NEAR(r.levelDbc[2], 20.0 * std::log10(c.secondPercent / 100.0), 1e-6);
        } else {
            EXPECT_LT(r.levelDbc[2], -150.0);
        }
        // The grid's positive peak pulls the anode down.
        EXPECT_NEAR(r.vaMinVolts, 300.0 - 10.0 * kC * std::pow(12.0, c.ex), 1e-5);
        EXPECT_NEAR(r.vaMaxVolts, 300.0 - 10.0 * kC * std::pow(8.0, c.ex), 1e-5);
    }
}

TEST(Stage, SettingsOutsideTheModelGetAMessage) {
    const std::vector<double> ecc83{100.0, 1.4, 1060.0, 600.0, 300.0};
    const std::vector<double> dempwolf{2.242e-3, 3.4, 103.2, 1.26};
    struct Case {
        ModelKind kind;
        std::vector<double> p;
        StageSettings s;
        const char* message;
    };
    const std::vector<Case> cases{
        {ModelKind::KorenTriode, ecc83, {300, 0, -1, 0.5, 0}, "load resistance"},
        {ModelKind::KorenTriode, ecc83, {300, 100, -1, 0, 0}, "signal peak"},
        {ModelKind::KorenTriode, ecc83, {std::nan(""), 100, -1, 0.5, 0}, "not a number"},
        {ModelKind::KorenTriode, {}, {300, 100, -1, 0.5, 0}, "fit it first"},
        // At +5 V on the grid Dempwolf's valve conducts at 0 V on the anode, more than the
        // 100 kohm load can ever pass.
        {ModelKind::DempwolfTriode, dempwolf, {300, 100, 4, 1, 0}, "does not meet"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        const StageResult r = analyzeStage(c.kind, c.p, c.s);
        EXPECT_FALSE(r.ok);
        EXPECT_NE(r.message.find(c.message), std::string::npos) << r.message;
    }
}

}  // namespace
}  // namespace ostrino::model
