#include "console1/gen1_sweep.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "common/numbers.h"
#include "console1/gen1_protocol.h"

namespace ostrino::gen1 {

namespace {

constexpr double kPumpStep = 0.015;  // a short pause between event pumps

std::string shown(double v, int decimals) {
    return numberText(Decimals(v, decimals).value_or(v));
}

std::string joinedList(const std::vector<std::string>& items) {
    std::string out;
    for (std::size_t k = 0; k < items.size(); ++k) {
        if (k > 0) {
            out += k + 1 == items.size() ? " and " : ", ";
        }
        out += items[k];
    }
    return out;
}

}  // namespace

PointVoltages pointVoltages(const MeasSettings& s, double var1, double var2) {
    const double c1 = s.dblConst1;
    const double c2 = s.dblConst2;
    switch (s.intMeasType) {
        case 0:
            return {c2, var1, c1, var2};
        case 1:
            return {c1, var1, var2, var2};
        case 2:
            return {c2, var2, c1, var1};
        case 3:
            return {c1, var2, var1, var1};
        case 4:
            return {var1, var2, c2, c1};
        default:
            return {};
    }
}

double var1Value(const MeasSettings& s, int k, bool logSpacing) {
    const double n = s.intVar1Nintv;
    const double span = s.dblVar1Stop - s.dblVar1Start;
    if (!logSpacing) {
        return s.dblVar1Start + k * span / n;
    }
    // Crowded towards the start, ending exactly at the stop value.
    return s.dblVar1Start + std::exp(k * std::log(span + 1.0) / n) - 1.0;
}

Gen1Sweep::Gen1Sweep(Gen1State& state, Gen1Link& link, Clock& clock, Dialogs& dialogs,
                     Gen1Hooks& hooks)
    : state_(state),
      c_(state.controls),
      link_(link),
      clock_(clock),
      dialogs_(dialogs),
      hooks_(hooks) {}

int Gen1Sweep::ComposeMatrix() {
    const MeasSettings& s = state_.meas;
    ResultMatrix& m = state_.result;
    m.clear();
    const int wanted = s.intVar2Count * (s.intVar1Nintv + 1);
    int row = 0;
    for (int j = 0; j < s.intVar2Count && row < ResultMatrix::kMaxPoints; ++j) {
        const double var2 = s.dblVar2Values[static_cast<std::size_t>(j)];
        for (int k = 0; k <= s.intVar1Nintv && row < ResultMatrix::kMaxPoints; ++k, ++row) {
            const PointVoltages p = pointVoltages(s, var1Value(s, k, c_.chkMeasLog), var2);
            m(row, ResultMatrix::Curve) = -(j + 1);
            m(row, ResultMatrix::Vf) = p.vf;
            m(row, ResultMatrix::Vg) = p.vg;
            m(row, ResultMatrix::Vs) = p.vs;
            m(row, ResultMatrix::Va) = p.va;
        }
    }
    if (wanted > row) {
        // The result matrix holds 200 points; say so rather than drop curves unseen.
        dialogs_.message("The sweep has " + std::to_string(wanted) + " points; only the first " +
                         std::to_string(row) + " are measured.");
    }
    return row;
}

std::string Gen1Sweep::ComposeMeasString(int row, std::string_view strCommand) const {
    const ResultMatrix& m = state_.result;
    return pointString(strCommand, m.at(row, ResultMatrix::Va), m.at(row, ResultMatrix::Vs),
                       m.at(row, ResultMatrix::Vg), m.at(row, ResultMatrix::Vf),
                       gridResistor(blnHighGrid_));
}

LinkResult Gen1Sweep::SetRelais() {
    const ResultMatrix& m = state_.result;
    blnHighGrid_ = false;
    for (int row = 0; std::fabs(m.at(row, ResultMatrix::Curve)) >= 1.0; ++row) {
        if (m(row, ResultMatrix::Vg) < kHighGridBelow) {
            blnHighGrid_ = true;
        }
    }
    link_.setRanges(c_.chkIa20mA, c_.chkIs5mA);
    const int relay = relayByte(link_.anodeAlt(), link_.screenAlt(), blnHighGrid_);
    const LinkResult r = link_.SndString(relayString(relay));
    if (!r) {
        link_.reportLinkFault(
            "The range relais may not have been set properly due to a communication problem "
            "with the Ostrino");
    }
    return r;
}

template <typename Pred>
void Gen1Sweep::waitYielding(double seconds, Pred keepWaiting) {
    ostrino::waitYielding(clock_, seconds, kPumpStep,
                          [&] { return !link_.closing() && keepWaiting(); });
}

void Gen1Sweep::DoMeasurement() {
    ResultMatrix& m = state_.result;
    auto measuring = [this] { return state_.intMeasStat == kMeasuring; };
    running_ = true;
    heaterOffPending_ = false;
    struct Finished {
        bool& running;
        ~Finished() { running = false; }
    } finished{running_};
    ComposeMatrix();
    Gen1Hooks::call(hooks_.DrawPicture);
    // The run's fault: the first exchange that failed (already shown to the user).
    bool blnFault = !SetRelais();
    if (!blnFault) {
        waitYielding(kRelaySettleTime, measuring);
    }
    for (int i = 0; i < ResultMatrix::kMaxPoints && m(i, ResultMatrix::Curve) != 0.0; ++i) {
        if (blnFault || link_.closing() || !measuring()) {
            break;
        }
        const double delay = std::trunc(state_.meas.dblDelay);
        if (delay > 0.0) {
            blnFault = !link_.SndString(ComposeMeasString(i, "20"));
            if (!blnFault) {
                waitYielding(delay, measuring);
            }
            // A point whose pre-conditioning was cut short is not measured.
            if (!measuring()) {
                break;
            }
        }
        if (link_.closing()) {
            return;
        }
        if (blnFault) {
            break;
        }
        blnFault = !link_.SndString(ComposeMeasString(i, "10"));
        if (!blnFault && c_.chkDebug) {
            waitYielding(kDebugPause, [] { return true; });
        }
        if (link_.closing()) {
            return;
        }
        std::string result;
        blnFault = !link_.RecString(result);
        if (!blnFault) {
            blnFault = !link_.DeComposeString(state_.result, i, result);
        }
        if (!blnFault) {
            m(i, ResultMatrix::Curve) = std::fabs(m(i, ResultMatrix::Curve));
        }
        Gen1Hooks::call(hooks_.DrawPicture);
        clock_.pumpEvents();
    }
    if (link_.closing()) {
        return;
    }
    if (blnFault) {
        link_.reportLinkFault(
            "The measurement was aborted due to a communication problem with the Ostrino");
    }
    running_ = false;
    if (state_.intMeasStat == kMeasuring) {
        cmdMeasStop_Click();
    } else if (heaterOffPending_) {
        heaterOffPending_ = false;
        cmdMeasStop_Click();  // "Abort !" pressed again while the point finished
    } else {
        setMeasuringControls();
        Gen1Hooks::call(hooks_.Refresh);
    }
    // Said once, when the run is over, rather than at every point.
    const std::string report = fullScaleReport();
    if (!report.empty() && !link_.closing()) {
        dialogs_.message(report);
    }
}

std::string Gen1Sweep::fullScaleReport() const {
    const ResultMatrix& m = state_.result;
    const MeasSettings& s = state_.meas;
    struct Hit {
        const char* name;
        int column;
        bool wide;  // the range the relays were set to for the run
        const char* range;
        std::vector<int> curves;  // ordinals, in run order
    };
    std::vector<Hit> hits{{"Ia", ResultMatrix::Ia, link_.anodeAlt(), "\"Ia > 20 mA\"", {}},
                          {"Is", ResultMatrix::Is, link_.screenAlt(), "\"Is > 5 mA\"", {}}};
    for (Hit& h : hits) {
        for (int row = 0; row < ResultMatrix::kRows && m(row, ResultMatrix::Curve) >= 1.0; ++row) {
            const int curve = static_cast<int>(roundHalfEven(m(row, ResultMatrix::Curve)));
            if (m.atFullScale(row, h.column) &&
                std::find(h.curves.begin(), h.curves.end(), curve) == h.curves.end()) {
                h.curves.push_back(curve);
            }
        }
    }
    std::erase_if(hits, [](const Hit& h) { return h.curves.empty(); });
    if (hits.empty()) {
        return {};
    }
    // Curves are named by their stepping value, rounded as the legend shows it.
    auto onCurves = [&](const std::vector<int>& curves) {
        std::vector<std::string> values;
        for (int curve : curves) {
            values.push_back(curve <= s.intVar2Count
                                 ? shown(s.dblVar2Values[static_cast<std::size_t>(curve - 1)], 2)
                                 : "curve " + std::to_string(curve));
        }
        return std::string(" on the curve") + (values.size() > 1 ? "s " : " ") + c_.lblNameVar2 +
               " = " + joinedList(values);
    };
    std::string text;
    if (hits.size() == 2 && hits[0].curves == hits[1].curves && hits[0].wide == hits[1].wide) {
        text = "Ia and Is were at full scale" + onCurves(hits[0].curves);
        if (hits[0].wide) {
            text += std::string(" even in the ranges ") + hits[0].range + " and " + hits[1].range;
        }
    } else {
        for (const Hit& h : hits) {
            text += text.empty() ? std::string(h.name) + " was at full scale"
                                 : ", " + std::string(h.name);
            text += onCurves(h.curves);
            if (h.wide) {
                text += std::string(" even in the range ") + h.range;
            }
        }
    }
    text +=
        ". The points marked with a triangle in the graph are beyond the converter's range and "
        "are not measurements.";
    std::vector<std::string> wider;
    for (const Hit& h : hits) {
        if (!h.wide) {
            wider.emplace_back(h.range);
        }
    }
    if (!wider.empty()) {
        text += std::string(" The wider range") + (wider.size() > 1 ? "s " : " ") +
                joinedList(wider) + " would measure them.";
    }
    return text;
}

double Gen1Sweep::heaterVoltage() const {
    const MeasSettings& s = state_.meas;
    return pointVoltages(s, s.dblVar1Start, s.dblVar2Values[0]).vf;
}

bool Gen1Sweep::TurnOnFilament() {
    if (!link_.SndString(heaterString(heaterVoltage()))) {
        link_.reportLinkFault(
            "The filament was not turned on due to a communication error with the Ostrino");
        return false;
    }
    return true;
}

bool Gen1Sweep::TurnOffFilament() {
    if (!link_.SndString(heaterString(0.0))) {
        link_.reportLinkFault(
            "The filament was not turned off due to a communication error with the Ostrino");
        return false;
    }
    return true;
}

void Gen1Sweep::setMeasuringControls() {
    switch (state_.intMeasStat) {
        case kHeaterOff:
            c_.cmdMeasStartCaption = "Turn on Filament";
            c_.cmdMeasStartEnabled = true;
            c_.lblMeasuringVisible = false;
            break;
        case kHeaterOn:
            c_.cmdMeasStartCaption = "Measure Curve";
            // An aborted run finishes its point first.
            c_.cmdMeasStartEnabled = !running_;
            c_.lblMeasuringVisible = false;
            break;
        default:
            c_.cmdMeasStartCaption = "In Progress";
            c_.cmdMeasStartEnabled = false;
            c_.lblMeasuringVisible = true;
            break;
    }
}

void Gen1Sweep::cmdMeasStart_Click() {
    if (running_) {
        return;  // an aborted run is still finishing its point
    }
    switch (state_.intMeasStat) {
        case kHeaterOff:
            // A heater that could not be switched on leaves the console off.
            if (TurnOnFilament()) {
                state_.intMeasStat = kHeaterOn;
            }
            setMeasuringControls();
            Gen1Hooks::call(hooks_.Refresh);
            break;
        case kHeaterOn:
            state_.intMeasStat = kMeasuring;
            setMeasuringControls();
            Gen1Hooks::call(hooks_.Refresh);
            DoMeasurement();
            break;
        default:
            break;
    }
}

void Gen1Sweep::cmdMeasStop_Click() {
    switch (state_.intMeasStat) {
        case kMeasuring:
            state_.intMeasStat = kHeaterOn;
            break;
        case kHeaterOn:
            if (running_) {
                // The aborted run is still exchanging its point; a heater command now
                // would cut into it (and the point would switch the heater on again).
                // The press is kept and carried out as soon as the point is done.
                heaterOffPending_ = true;
                return;
            }
            // A heater that may still be on keeps the console in the heater-on state, so
            // that "Abort !" can try again.
            if (TurnOffFilament()) {
                state_.intMeasStat = kHeaterOff;
            }
            break;
        default:
            break;
    }
    if (link_.closing()) {
        return;
    }
    setMeasuringControls();
    Gen1Hooks::call(hooks_.Refresh);
}

}  // namespace ostrino::gen1
