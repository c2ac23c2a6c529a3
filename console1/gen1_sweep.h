#pragma once
// The heater and the sweep of the first-generation console. Long operations sleep in short
// steps and pump window events, so "Abort !" can run in between; the buttons reach a
// running sweep only through intMeasStat.

#include <string>
#include <string_view>

#include "console1/gen1_hooks.h"
#include "console1/gen1_link.h"
#include "console1/gen1_state.h"
#include "platform/clock.h"
#include "platform/dialogs.h"

namespace ostrino::gen1 {

inline constexpr double kDebugPause = 3.0;
inline constexpr double kRelaySettleTime = 1.0;

// The voltages of one point.
struct PointVoltages {
    double vf = 0.0, vg = 0.0, vs = 0.0, va = 0.0;
};
PointVoltages pointVoltages(const MeasSettings& s, double var1, double var2);
// Var1 at step k of n, linear or crowded towards the start.
double var1Value(const MeasSettings& s, int k, bool logSpacing);

class Gen1Sweep {
  public:
    Gen1Sweep(Gen1State& state, Gen1Link& link, Clock& clock, Dialogs& dialogs, Gen1Hooks& hooks);

    // Returns the number of points composed (at most 200).
    int ComposeMatrix();
    std::string ComposeMeasString(int row, std::string_view strCommand) const;
    bool highGrid() const { return blnHighGrid_; }
    LinkResult SetRelais();
    void DoMeasurement();
    // What to tell the user after a run in which a current read as the converter's full
    // scale: which curves, and the wider range that would measure them. Empty when none.
    std::string fullScaleReport() const;
    bool TurnOnFilament();
    bool TurnOffFilament();
    // The heater voltage of the run's first point: the constant heater voltage, or the
    // start of a heater sweep.
    double heaterVoltage() const;

    void cmdMeasStart_Click();
    void cmdMeasStop_Click();
    void setMeasuringControls();

  private:
    template <typename Pred>
    void waitYielding(double seconds, Pred keepWaiting);

    Gen1State& state_;
    Controls& c_;
    Gen1Link& link_;
    Clock& clock_;
    Dialogs& dialogs_;
    Gen1Hooks& hooks_;
    bool blnHighGrid_ = false;
    bool running_ = false;           // DoMeasurement has not returned yet
    bool heaterOffPending_ = false;  // "Abort !" pressed again while an aborted point finished
};

}  // namespace ostrino::gen1
