#pragma once
// Measured families made from a known model, read as the instrument reads them: voltages on
// the steps of its converters, currents on the steps of the automatically chosen range, and a
// little noise before the reading.

#include <algorithm>
#include <array>
#include <cmath>
#include <random>
#include <vector>

#include "model/measured_points.h"
#include "model/valve_model.h"

namespace ostrino::test {

// The instrument's current step for a reading of ma: the sense resistor (17.8 ohm) on the
// 10-bit converter (5 V), at the highest gain that keeps the count below 1000.
inline double quantiseCurrent(double ma) {
    constexpr std::array<double, 8> kGain{1, 2, 5, 10, 20, 50, 100, 200};
    if (ma <= 0.0) {
        return 0.0;
    }
    for (auto g = kGain.rbegin(); g != kGain.rend(); ++g) {
        const double countsPerMa = 17.8e-3 * *g * 1024.0 / 5.0;
        if (ma * countsPerMa < 1000.0 || g + 1 == kGain.rend()) {
            return std::min(std::round(ma * countsPerMa), 1023.0) / countsPerMa;
        }
    }
    return ma;
}

// Anode and screen voltages read back through the 6.8k / 470k divider; grid volts from
// the 10-bit converter's 50 V full scale.
inline double quantiseAnode(double v) {
    constexpr double kCountsPerVolt = 6800.0 / 476800.0 * 1024.0 / 5.0;
    return std::round(v * kCountsPerVolt) / kCountsPerVolt;
}
inline double quantiseGrid(double v) {
    return std::round(v * 1023.0 / 50.0) * 50.0 / 1023.0;
}

struct FamilyRecipe {
    std::vector<double> grids;  // one curve per grid voltage
    double vaFrom = 2.0;        // anode sweep
    double vaTo = 300.0;
    int pointsPerCurve = 31;
    double screen = 0.0;   // screen voltage (pentodes)
    double noise = 0.001;  // relative noise of the currents
    unsigned seed = 1;
};

// Anode characteristics (Va swept, one curve per grid voltage) of the model.
inline model::PointSet makeFamily(model::ModelKind kind, const std::vector<double>& parameters,
                                  const FamilyRecipe& recipe) {
    std::mt19937 rng(recipe.seed);
    std::normal_distribution<double> gauss(0.0, 1.0);
    model::PointSet points;
    for (std::size_t c = 0; c < recipe.grids.size(); ++c) {
        for (int k = 0; k < recipe.pointsPerCurve; ++k) {
            model::MeasuredPoint p;
            p.curve = static_cast<int>(c) + 1;
            p.va = quantiseAnode(recipe.vaFrom +
                                 k * (recipe.vaTo - recipe.vaFrom) / (recipe.pointsPerCurve - 1));
            p.vs = quantiseAnode(recipe.screen);
            p.vg = quantiseGrid(recipe.grids[c]);
            const model::ModelCurrents i = model::modelCurrents(kind, parameters, p.va, p.vs, p.vg);
            p.ia = quantiseCurrent(i.anode * (1.0 + recipe.noise * gauss(rng)));
            p.is = quantiseCurrent(i.screen * (1.0 + recipe.noise * gauss(rng)));
            points.push_back(p);
        }
    }
    return points;
}

}  // namespace ostrino::test
