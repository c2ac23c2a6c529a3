#pragma once
// Valve models for the simulated instrument: Koren's SPICE equations for triodes and
// pentodes with their published parameter sets. Currents in mA, voltages in V, grid
// voltage negative as the valve sees it.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace ostrino::sim {

struct ValveCurrents {
    double anode = 0.0;   // mA
    double screen = 0.0;  // mA
};

// Koren triode: E1 = Va/Kp * ln(1 + exp(Kp * (1/mu + Vg / sqrt(Kvb + Va^2)))),
// Ia = 2 * E1^Ex / Kg1 for E1 > 0.
struct KorenTriode {
    double mu, ex, kg1, kp, kvb;
};

// Koren pentode: E1 = Vs/Kp * ln(1 + exp(Kp * (1/mu + Vg/Vs))), the anode takes
// 2 * E1^Ex / Kg1 * atan(Va/Kvb) and the screen (Vs/mu + Vg)^Ex / Kg2. What the anode
// cannot collect at low anode voltage lands on the screen, as in the real valve.
struct KorenPentode {
    double mu, ex, kg1, kg2, kp, kvb;
};

double triodeAnodeMa(const KorenTriode& p, double va, double vg);
ValveCurrents pentodeMa(const KorenPentode& p, double va, double vs, double vg);

// Fraction of full cathode emission at heaterFactor = heater voltage / nominal: none
// below 30 %, full from 90 % on, a smooth step in between.
double emission(double heaterFactor);

struct ValveModel {
    std::string name;
    std::string description;
    double nominalHeaterVolts = 6.3;
    // Anode and screen current at anode, screen and grid voltage and heater factor
    // (heater voltage / nominal). A triode's screen current is zero.
    std::function<ValveCurrents(double va, double vs, double vg, double heaterFactor)> currents;
};

// Case-insensitive; nullptr for an unknown name.
const ValveModel* findValve(std::string_view name);
std::vector<std::string> valveNames();

}  // namespace ostrino::sim
