#pragma once
// Published valve models that can be fitted to a measured family: each with its parameters,
// their bounds, and the anode (and screen) current from the electrode voltages.
//
// Voltages in V against the cathode (grid negative as the valve sees it), currents in mA.

#include <optional>
#include <span>
#include <string_view>

namespace ostrino::model {

enum class ModelKind { KorenTriode, KorenPentode, DempwolfTriode };

struct ParameterInfo {
    std::string_view key;  // as written in model files and SPICE .param lines
    double lower;          // bounds of the fit
    double upper;
};

struct ModelInfo {
    ModelKind kind;
    std::string_view name;       // "koren-triode": the name in model files
    std::string_view shortName;  // "triode": the name on the command line
    std::string_view title;      // "Koren triode": the name people read
    bool pentode;                // the model has a screen grid and a screen current
    std::span<const ParameterInfo> parameters;
};

const ModelInfo& modelInfo(ModelKind kind);
std::span<const ModelInfo> allModels();
// By name or short name, ignoring case; nullopt for an unknown name.
std::optional<ModelKind> findModel(std::string_view name);

struct ModelCurrents {
    double anode = 0.0;   // mA
    double screen = 0.0;  // mA (always 0 for a triode)
};

// The currents of the model with the given parameters (in the order of modelInfo's list) at
// anode voltage va, screen voltage vs (pentodes only) and grid voltage vg.
ModelCurrents modelCurrents(ModelKind kind, std::span<const double> parameters, double va,
                            double vs, double vg);

}  // namespace ostrino::model
