#include "sim/valve_models.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <numbers>

namespace ostrino::sim {

namespace {

// ln(1 + exp(x)) without overflow for large x.
double softplus(double x) {
    return x > 30.0 ? x : std::log1p(std::exp(x));
}

// Koren's (pwr(E1, Ex) + pwrs(E1, Ex)): twice E1^Ex for E1 > 0, zero otherwise.
double korenPower(double e1, double ex) {
    return e1 > 0.0 ? 2.0 * std::pow(e1, ex) : 0.0;
}

// Published Koren parameter sets. The pentode's Kg1 and Kg2 are matched to the
// data-sheet operating point 250 V / 250 V / -7.3 V: 48 mA anode, 5.5 mA screen.
constexpr KorenTriode kEcc83{100.0, 1.4, 1060.0, 600.0, 300.0};
constexpr KorenTriode kEcc82{21.5, 1.3, 1180.0, 84.0, 300.0};
constexpr KorenTriode k300B{3.95, 1.4, 1550.0, 65.0, 300.0};
constexpr KorenPentode kEl84{19.0, 1.35, 692.0, 2720.0, 200.0, 12.0};

ValveCurrents scaled(ValveCurrents c, double heaterFactor) {
    const double e = emission(heaterFactor);
    return {c.anode * e, c.screen * e};
}

std::vector<ValveModel> buildValves() {
    std::vector<ValveModel> v;
    v.push_back({"ECC83", "high-mu small-signal triode (one section; no screen current)", 6.3,
                 [](double va, double, double vg, double h) {
                     return scaled({triodeAnodeMa(kEcc83, va, vg), 0.0}, h);
                 }});
    v.push_back(
        {"ECC82",
         "medium-mu double triode (section 1 on the anode supply, section 2 on the "
         "screen supply, common grid)",
         6.3, [](double va, double vs, double vg, double h) {
             return scaled({triodeAnodeMa(kEcc82, va, vg), triodeAnodeMa(kEcc82, vs, vg)}, h);
         }});
    v.push_back({"300B", "directly heated power triode (no screen current)", 5.0,
                 [](double va, double, double vg, double h) {
                     return scaled({triodeAnodeMa(k300B, va, vg), 0.0}, h);
                 }});
    v.push_back({"EL84", "output pentode with screen current", 6.3,
                 [](double va, double vs, double vg, double h) {
                     return scaled(pentodeMa(kEl84, va, vs, vg), h);
                 }});
    return v;
}

const std::vector<ValveModel>& valves() {
    static const std::vector<ValveModel> all = buildValves();
    return all;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) ==
                      std::toupper(static_cast<unsigned char>(y));
           });
}

}  // namespace

double triodeAnodeMa(const KorenTriode& p, double va, double vg) {
    if (va <= 0.0) {
        return 0.0;
    }
    const double e1 = va / p.kp * softplus(p.kp * (1.0 / p.mu + vg / std::sqrt(p.kvb + va * va)));
    return korenPower(e1, p.ex) / p.kg1 * 1000.0;
}

ValveCurrents pentodeMa(const KorenPentode& p, double va, double vs, double vg) {
    if (vs <= 0.0) {
        return {};
    }
    const double e1 = vs / p.kp * softplus(p.kp * (1.0 / p.mu + vg / vs));
    const double space = korenPower(e1, p.ex) / p.kg1 * 1000.0;
    const double collected = std::atan(std::max(va, 0.0) / p.kvb);
    const double screenOwn = korenPower(vs / p.mu + vg, p.ex) / 2.0 / p.kg2 * 1000.0;
    return {space * collected, screenOwn + space * (std::numbers::pi / 2.0 - collected)};
}

double emission(double heaterFactor) {
    constexpr double kNone = 0.3;
    constexpr double kFull = 0.9;
    const double s = std::clamp((heaterFactor - kNone) / (kFull - kNone), 0.0, 1.0);
    return s * s * (3.0 - 2.0 * s);
}

const ValveModel* findValve(std::string_view name) {
    for (const ValveModel& v : valves()) {
        if (equalsIgnoringCase(v.name, name)) {
            return &v;
        }
    }
    return nullptr;
}

std::vector<std::string> valveNames() {
    std::vector<std::string> names;
    for (const ValveModel& v : valves()) {
        names.push_back(v.name);
    }
    return names;
}

}  // namespace ostrino::sim
