#include "model/valve_model.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "model/equations.h"

namespace ostrino::model {

namespace {

// Bounds wide enough for every receiving valve and small power valve; they keep the fit away
// from values where the equations lose their meaning (ex below 1 would give an infinite slope
// at cut-off in a simulator).
constexpr std::array<ParameterInfo, 5> kKorenTriode{{
    {"mu", 0.5, 500.0},
    {"ex", 1.0, 3.0},
    {"kg1", 1.0, 1e6},
    {"kp", 0.1, 1e5},
    {"kvb", 0.01, 1e6},
}};

constexpr std::array<ParameterInfo, 6> kKorenPentode{{
    {"mu", 0.5, 500.0},
    {"ex", 1.0, 3.0},
    {"kg1", 1.0, 1e6},
    {"kg2", 1.0, 1e7},
    {"kp", 0.1, 1e5},
    {"kvb", 0.01, 1e4},
}};

constexpr std::array<ParameterInfo, 4> kDempwolfTriode{{
    {"G", 1e-9, 1.0},
    {"C", 1e-3, 1e3},
    {"mu", 0.5, 500.0},
    {"gamma", 1.0, 3.0},
}};

constexpr std::array<ModelInfo, 3> kModels{{
    {ModelKind::KorenTriode, "koren-triode", "triode", "Koren triode", false, kKorenTriode},
    {ModelKind::KorenPentode, "koren-pentode", "pentode", "Koren pentode", true, kKorenPentode},
    {ModelKind::DempwolfTriode, "dempwolf-triode", "dempwolf", "Dempwolf triode", false,
     kDempwolfTriode},
}};

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

template <typename Eq>
ModelCurrents currentsOf(std::span<const double> p, double va, double vs, double vg) {
    if (p.size() != static_cast<std::size_t>(Eq::kParameters)) {
        return {};
    }
    return {Eq::anode(p.data(), va, vs, vg), Eq::screen(p.data(), va, vs, vg)};
}

}  // namespace

const ModelInfo& modelInfo(ModelKind kind) {
    for (const ModelInfo& m : kModels) {
        if (m.kind == kind) {
            return m;
        }
    }
    return kModels[0];
}

std::span<const ModelInfo> allModels() {
    return kModels;
}

std::optional<ModelKind> findModel(std::string_view name) {
    for (const ModelInfo& m : kModels) {
        if (equalsIgnoringCase(m.name, name) || equalsIgnoringCase(m.shortName, name)) {
            return m.kind;
        }
    }
    return std::nullopt;
}

ModelCurrents modelCurrents(ModelKind kind, std::span<const double> parameters, double va,
                            double vs, double vg) {
    switch (kind) {
        case ModelKind::KorenTriode:
            return currentsOf<equations::KorenTriode>(parameters, va, vs, vg);
        case ModelKind::KorenPentode:
            return currentsOf<equations::KorenPentode>(parameters, va, vs, vg);
        case ModelKind::DempwolfTriode:
            return currentsOf<equations::DempwolfTriode>(parameters, va, vs, vg);
    }
    return {};
}

}  // namespace ostrino::model
