#pragma once
// A single-ended amplifier stage computed on a valve model: the load line solved exactly on
// the model at every sample of one period of a sine on the grid, then the quiescent point,
// the gain and the harmonics of the anode voltage.

#include <array>
#include <span>
#include <string>

#include "model/valve_model.h"

namespace ostrino::model {

struct StageSettings {
    double supplyVolts = 300.0;    // at the top of the load resistance
    double loadKohm = 1.5;         // anode load
    double gridVolts = -4.0;       // grid bias
    double signalPeakVolts = 1.0;  // peak of the sine on the grid
    double screenVolts = 0.0;      // pentodes: the screen's fixed voltage; 0 takes the supply
};

// Samples of the sine over one period.
constexpr int kStageSamples = 1024;
constexpr int kStageHarmonics = 5;
// Levels of harmonics too small to tell from rounding noise are shown at this floor.
constexpr double kLevelFloorDbc = -200.0;

struct StageResult {
    bool ok = false;
    std::string message;  // why the stage cannot be computed (when not ok)

    double iaQuiescentMa = 0.0;
    double vaQuiescentVolts = 0.0;
    double valveDissipationMw = 0.0;  // at the quiescent point
    double supplyPowerMw = 0.0;       // at the quiescent point
    double vaAverageVolts = 0.0;      // under drive
    double iaAverageMa = 0.0;         // under drive
    double gain = 0.0;                // fundamental amplitude / signal peak

    // Index k is harmonic k (1 the fundamental); index 0 is unused.
    std::array<double, kStageHarmonics + 1> amplitudeVolts{};
    std::array<double, kStageHarmonics + 1> powerMw{};
    // Harmonics 2 to 5 relative to the fundamental.
    std::array<double, kStageHarmonics + 1> distortionPercent{};
    std::array<double, kStageHarmonics + 1> levelDbc{};
    double totalDistortionPercent = 0.0;  // harmonics 2 to 5
    double totalPowerMw = 0.0;            // harmonics 1 to 5

    // Anode voltage at the most positive and at the most negative grid voltage.
    double vaMinVolts = 0.0;
    double vaMaxVolts = 0.0;
};

StageResult analyzeStage(ModelKind kind, std::span<const double> parameters,
                         const StageSettings& settings);

}  // namespace ostrino::model
