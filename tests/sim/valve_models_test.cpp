#include "sim/valve_models.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace ostrino::sim {
namespace {

ValveCurrents at(const char* valve, double va, double vs, double vg, double heater = 1.0) {
    const ValveModel* v = findValve(valve);
    EXPECT_NE(v, nullptr) << valve;
    return v ? v->currents(va, vs, vg, heater) : ValveCurrents{};
}

TEST(ValveModels, NamesAreFoundWhateverTheCase) {
    const auto names = valveNames();
    for (const char* n : {"ECC83", "ECC82", "300B", "EL84"}) {
        EXPECT_NE(std::find(names.begin(), names.end(), n), names.end()) << n;
    }
    ASSERT_NE(findValve("el84"), nullptr);
    EXPECT_EQ(findValve("el84")->name, "EL84");
    EXPECT_EQ(findValve("ecc8"), nullptr);
    EXPECT_EQ(findValve(""), nullptr);
    EXPECT_DOUBLE_EQ(findValve("300b")->nominalHeaterVolts, 5.0);
    EXPECT_DOUBLE_EQ(findValve("ECC83")->nominalHeaterVolts, 6.3);
}

// Data-sheet operating points.
TEST(ValveModels, ReferencePointsWithinAQuarter) {
    struct Case {
        const char* valve;
        double va, vs, vg, ia, is;
    };
    const Case cases[] = {
        {"ECC83", 250, 0, -2, 1.2, 0},          //
        {"ECC82", 250, 0, -8.5, 10.5, 0},       //
        {"ECC82", 100, 0, 0, 11.8, 0},          //
        {"ECC82", 250, 250, -8.5, 10.5, 10.5},  // section 2 on the screen supply
        {"300B", 300, 0, -61, 60, 0},           //
        {"EL84", 250, 250, -7.3, 48, 5.5},      //
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.valve << " " << c.va << "/" << c.vs << "/" << c.vg);
        const ValveCurrents i = at(c.valve, c.va, c.vs, c.vg);
        EXPECT_NEAR(i.anode, c.ia, 0.25 * c.ia);
        EXPECT_NEAR(i.screen, c.is, 0.25 * c.is);
    }
}

TEST(ValveModels, GridCutsTheValveOff) {
    // ECC82 at 200 V: cut off near -12 V, EL84 at 250 V screen near -15 V.
    EXPECT_LT(at("ECC82", 200, 0, -12).anode, 0.1 * at("ECC82", 200, 0, 0).anode);
    EXPECT_LT(at("ECC82", 200, 0, -16).anode, 0.2);
    EXPECT_LT(at("EL84", 250, 250, -15).anode, 1.0);
    EXPECT_GT(at("ECC82", 200, 0, -8).anode, 1.0);
}

TEST(ValveModels, CurrentsRiseWithAnodeAndGridVoltage) {
    for (const std::string& name : valveNames()) {
        SCOPED_TRACE(name);
        const ValveModel& v = *findValve(name);
        for (double vg : {-20.0, -8.0, -2.0, 0.0}) {
            double last = -1.0;
            for (double va = 0; va <= 400; va += 10) {
                const double ia = v.currents(va, 250, vg, 1.0).anode;
                EXPECT_GE(ia, last) << "Va " << va << " Vg " << vg;
                last = ia;
            }
        }
        for (double va : {50.0, 150.0, 300.0}) {
            ValveCurrents last{-1.0, -1.0};
            for (double vg = -80; vg <= 0; vg += 0.5) {
                const ValveCurrents i = v.currents(va, 250, vg, 1.0);
                EXPECT_GE(i.anode, last.anode) << "Va " << va << " Vg " << vg;
                EXPECT_GE(i.screen, last.screen) << "Va " << va << " Vg " << vg;
                last = i;
            }
        }
    }
}

TEST(ValveModels, TriodesHaveNoScreenCurrentAndNothingFlowsWithoutVoltage) {
    EXPECT_EQ(at("ECC83", 250, 250, 0).screen, 0.0);
    EXPECT_EQ(at("300B", 250, 250, 0).screen, 0.0);
    EXPECT_EQ(at("ECC82", 0, 0, 0).anode, 0.0);
    EXPECT_EQ(at("ECC82", -5, -5, 0).screen, 0.0);
    EXPECT_EQ(at("EL84", 250, 0, 0).anode, 0.0);
}

TEST(ValveModels, PentodeScreenTakesTheCurrentAtLowAnodeVoltage) {
    const ValveCurrents low = at("EL84", 10, 250, -7.3);
    const ValveCurrents high = at("EL84", 250, 250, -7.3);
    EXPECT_GT(low.screen, 3 * high.screen);
    EXPECT_LT(low.anode, high.anode);
    // The cathode current hardly depends on the anode voltage.
    EXPECT_NEAR(low.anode + low.screen, high.anode + high.screen, 0.1 * (high.anode + high.screen));
}

TEST(ValveModels, EmissionFollowsTheHeater) {
    EXPECT_EQ(emission(0.0), 0.0);
    EXPECT_EQ(emission(0.3), 0.0);
    EXPECT_EQ(emission(0.9), 1.0);
    EXPECT_EQ(emission(1.2), 1.0);
    double last = 0.0;
    for (double h = 0.3; h <= 0.9; h += 0.05) {
        EXPECT_GE(emission(h), last);
        last = emission(h);
    }
    EXPECT_NEAR(emission(0.6), 0.5, 1e-12);
    EXPECT_EQ(at("EL84", 250, 250, 0, 0.0).anode, 0.0);
    EXPECT_EQ(at("EL84", 250, 250, 0, 0.0).screen, 0.0);
    EXPECT_NEAR(at("ECC82", 200, 0, -4, 0.6).anode, 0.5 * at("ECC82", 200, 0, -4).anode, 1e-9);
}

}  // namespace
}  // namespace ostrino::sim
