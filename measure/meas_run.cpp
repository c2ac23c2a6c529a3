#include "measure/meas_run.h"

#include <algorithm>
#include <cmath>

#include "measure/ground_state.h"

namespace ostrino {

namespace {

constexpr double kHeaterStep = 1.0;  // one tenth of the heater ramp
constexpr double kPumpStep = 0.015;  // a short pause between event pumps
constexpr double kDelayStep = 0.1;   // pre-conditioning wait step
constexpr double kDebugPause = 3.0;  // "debug": pause before reading a result
constexpr int kBeepHz = 2000;
constexpr int kBeepMs = 150;

}  // namespace

double var1Value(const MeasSettings& s, int j, bool logSpacing) {
    const double n = s.intVar1Nintv;
    if (!logSpacing) {
        return s.dblVar1Start + j * (s.dblVar1Stop - s.dblVar1Start) / n;
    }
    // Closer together near the start, still ending exactly at the stop value.
    return s.dblVar1Start + std::exp(j * std::log(s.dblVar1Stop - s.dblVar1Start + 1.0) / n) - 1.0;
}

PointVoltages pointVoltages(const MeasSettings& s, double x1, double x2, double vaMax) {
    const double c1 = s.dblConst1;
    const double c2 = s.dblConst2;
    PointVoltages p;
    switch (s.intMeasType) {
        case 0:
            p = {c2, x1, c1, x2};
            break;
        case 1:
            p = {c1, x1, x2, x2};
            break;
        case 2:
            p = {c2, x2, c1, x1};
            break;
        case 3:
            p = {c2, c1, x2, x1};
            break;
        case 4:
            p = {c1, x2, x1, x1};
            break;
        case 5:
            p = {c2, x2, x1, c1};
            break;
        case 6:
            p = {c2, c1, x1, x2};
            break;
        case 7:
            p = {c2, c1, x2, x1};
            break;
        case 8:
            p = {x1, x2, c2, c1};
            break;
        case 9:
            p = {x1, c1, c2, x2};
            break;
        case 10:
            // The screen lies between the anode (k = 1) and the highest anode voltage (k = 0).
            p = {c2, x1, x2 + (1.0 - c1) * (vaMax - x2), x2};
            break;
        case 11:
            p = {c2, x2, x1 + (1.0 - c1) * (s.dblVar1Stop - x1), x1};
            break;
        case 12: {
            // Schade feedback: a fraction of the anode-to-grid difference added to the grid.
            double g = x2 + c2 * (x1 - x2);
            if (g > 0.0) {
                g = 0.0;
                p.gridClipped = true;
            }
            p.vh = s.dblHeaterSave;
            p.vg = g;
            p.vs = c1;
            p.va = x1;
            break;
        }
        default:
            break;
    }
    return p;
}

MeasRun::MeasRun(ConsoleState& state, Form1Model& model, FrmComModel& com, InstrumentLink& link,
                 Clock& clock, Dialogs& dialogs, Beeper& beeper, Form1Hooks& hooks)
    : state_(state),
      model_(model),
      com_(com),
      link_(link),
      clock_(clock),
      dialogs_(dialogs),
      beeper_(beeper),
      hooks_(hooks) {}

void MeasRun::ComposeMatrix() {
    const MeasSettings& s = state_.meas;
    auto& m = state_.dblMeasMatrix;
    for (int r = 0; r < MeasMatrix::kBlockRows; ++r) {
        m(r, MeasMatrix::Curve) = 0.0;
    }
    double vaMax = 0.0;
    if (s.intMeasType == 10) {
        for (int k = 0; k < s.intVar2Count; ++k) {
            vaMax = std::max(vaMax, s.dblVar2Values[static_cast<std::size_t>(k)]);
        }
    }
    bool clipped = false;
    int p = 0;
    for (int k = 0; k < s.intVar2Count; ++k) {
        const double x2 = s.dblVar2Values[static_cast<std::size_t>(k)];
        for (int j = 0; j <= s.intVar1Nintv; ++j) {
            if (p >= MeasMatrix::kBlockRows) {
                continue;  // more than 1000 points: the rest are dropped
            }
            const PointVoltages v = pointVoltages(s, var1Value(s, j, model_.chkMeasLog), x2, vaMax);
            clipped = clipped || v.gridClipped;
            m(p, MeasMatrix::Curve) = -(k + 1);
            m(p, MeasMatrix::Vh) = v.vh;
            m(p, MeasMatrix::Vg) = v.vg;
            m(p, MeasMatrix::Vs) = v.vs;
            m(p, MeasMatrix::Va) = v.va;
            ++p;
        }
    }
    if (s.intMeasType == 12 && clipped) {
        dialogs_.message("The maximum grid voltage was clipped to 0V, reduce feedback.");
    }
}

double MeasRun::heaterTarget() const {
    const MeasSettings& s = state_.meas;
    if (s.intVar2Count < 1) {
        return 0.0;
    }
    double vaMax = 0.0;
    for (int k = 0; k < s.intVar2Count; ++k) {
        vaMax = std::max(vaMax, s.dblVar2Values[static_cast<std::size_t>(k)]);
    }
    return pointVoltages(s, var1Value(s, 0, model_.chkMeasLog), s.dblVar2Values[0], vaMax).vh;
}

void MeasRun::ClearCurves() {
    state_.dblMeasMatrix.markEmpty(MeasMatrix::kActual);
    state_.dblMeasMatrix.markEmpty(MeasMatrix::kFit);
    state_.blnCompliance = false;
    state_.blnCursor = false;
}

void MeasRun::GotoGroundState() {
    ostrino::GotoGroundState(state_, link_);
    CommandUpdate();
}

void MeasRun::CommandUpdate() {
    struct Row {
        const char* caption;
        bool enabled;
        bool visible;
    };
    static constexpr Row kRows[] = {
        {"Heater on!", true, true},      {"Heating ...", true, true},
        {"Heater 100% ...", true, true}, {"Heater off ...", true, true},
        {"Measure Curve", true, true},   {"In Progress ...", false, false},
    };
    const int st = state_.intMeasStat;
    if (st < 0 || st > 5) {
        return;
    }
    const Row& row = kRows[st];
    model_.cmdMeasStartCaption = row.caption;
    model_.cmdMeasStartEnabled = row.enabled;
    model_.cmdMeasStartVisible = row.visible;
    model_.lblInProgressVisible = st == kMeasuring;
    Form1Hooks::call(hooks_.Refresh);
}

template <typename Pred>
void MeasRun::waitYielding(double seconds, double step, Pred keepWaiting) {
    ostrino::waitYielding(clock_, seconds, step, [&] { return !closing_ && keepWaiting(); });
}

void MeasRun::reportFault() {
    ++faults_;
    link_.reportConnectionFault();
    GotoGroundState();
}

void MeasRun::DoHeater() {
    const double target = heaterTarget();
    bool blnFault = false;  // the heater could not be set
    auto heating = [this] {
        const int st = state_.intMeasStat;
        return st == kHeating || st == kHeatingCut || st == kSwitchingOff;
    };
    while (heating() && !blnFault && !closing_) {
        waitYielding(kHeaterStep, kPumpStep, [this] { return state_.intMeasStat == kHeating; });
        if (closing_) {
            return;
        }
        switch (state_.intMeasStat) {
            case kHeating:
                state_.progressBar1 += 10;
                if (state_.progressBar1 >= 100) {
                    state_.progressBar1 = 100;
                    state_.intMeasStat = kHeaterOn;
                }
                break;
            case kHeatingCut:
                state_.progressBar1 = 100;
                state_.intMeasStat = kHeaterOn;
                break;
            case kSwitchingOff:
                state_.progressBar1 = 0;
                state_.intMeasStat = kGround;
                break;
            default:
                break;
        }
        CommandUpdate();
        blnFault = !link_.SetFilament(state_.progressBar1 * target / 100.0);
    }
    if (blnFault && !closing_) {
        reportFault();
    }
}

void MeasRun::DoMeasurement() {
    auto& m = state_.dblMeasMatrix;
    state_.blnCompliance = false;
    ClearCurves();
    ComposeMatrix();
    // The run's fault: the first exchange that failed (already shown to the user).
    bool blnFault = !link_.SndSettings();
    auto measuring = [this] { return state_.intMeasStat == kMeasuring; };

    for (int i = 0; i < MeasMatrix::kBlockRows && std::lround(m(i, MeasMatrix::Curve)) != 0; ++i) {
        if (blnFault) {
            break;
        }
        if (!measuring()) {
            break;  // aborted
        }
        clock_.pumpEvents();
        if (closing_) {
            return;
        }
        const double delay = std::trunc(state_.meas.dblDelay);
        if (delay > 0.0) {
            blnFault = !link_.SndString(link_.ComposeMeasString(i, "20"));
            waitYielding(delay, kDelayStep, measuring);
            if (closing_) {
                return;
            }
        }
        if (blnFault) {
            continue;
        }
        blnFault = !link_.SndString(link_.ComposeMeasString(i, "10"));
        if (com_.chkDebug) {
            waitYielding(kDebugPause, kDelayStep, measuring);
            if (closing_) {
                return;
            }
        }
        if (blnFault) {
            continue;
        }
        std::string result;
        blnFault = !link_.RecString(result);
        if (!blnFault) {
            m(i, MeasMatrix::Curve) = std::fabs(m(i, MeasMatrix::Curve));
        }
        // A broken read still shows what arrived in the debug window, but the point stays
        // unmeasured so that it ends the data that is kept.
        const double curve = m(i, MeasMatrix::Curve);
        const bool decoded = link_.DeComposeString(i, result, blnFault).ok();
        blnFault = blnFault || !decoded;
        m(i, MeasMatrix::Curve) = blnFault ? -std::fabs(curve) : curve;
        Form1Hooks::call(hooks_.DrawPicture);
    }

    if (!blnFault) {
        blnFault = !link_.SndString(endSweepString());
    }
    if (blnFault) {
        reportFault();
        return;
    }
    if (measuring()) {
        cmdMeasStop_Click();
        if (model_.chkBeep) {
            beeper_.beep(kBeepHz, kBeepMs);
            clock_.sleep(kPumpStep);
            beeper_.beep(kBeepHz, kBeepMs);
        }
    }
}

void MeasRun::cmdMeasStart_Click() {
    switch (state_.intMeasStat) {
        case kGround:
            state_.intMeasStat = kHeating;
            link_.DoPing();
            CommandUpdate();
            DoHeater();
            break;
        case kHeating:
            state_.intMeasStat = kHeatingCut;
            CommandUpdate();
            break;
        case kHeaterOn:
            state_.intMeasStat = kMeasuring;
            DoMeasurement();
            CommandUpdate();
            break;
        default:
            break;
    }
}

void MeasRun::cmdMeasStop_Click() {
    switch (state_.intMeasStat) {
        case kHeating:
            state_.intMeasStat = kSwitchingOff;
            CommandUpdate();
            break;
        case kHeaterOn:
            state_.intMeasStat = kSwitchingOff;
            DoHeater();
            CommandUpdate();
            break;
        case kMeasuring:
            state_.intMeasStat = kHeaterOn;
            CommandUpdate();
            break;
        default:
            break;
    }
}

void MeasRun::shutDown() {
    closing_ = true;
    link_.shutDown();
}

}  // namespace ostrino
