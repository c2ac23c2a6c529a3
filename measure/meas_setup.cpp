#include "measure/meas_setup.h"

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <utility>

#include "common/meas_matrix.h"
#include "common/numbers.h"
#include "common/setting_checks.h"
#include "common/stepping_values.h"
#include "platform/entry_box.h"

namespace ostrino {

namespace {

// A default or limit: a plain number, or one of the values that depend on the hardware, the
// heater supply or the last heater voltage typed, resolved when the type is selected.
struct Bound {
    enum Kind { Fixed, Vmax, VhMax, HeaterSave };
    Kind kind = Fixed;
    double value = 0.0;
};
constexpr Bound fixed(double v) {
    return {Bound::Fixed, v};
}
constexpr Bound kVmax{Bound::Vmax};
constexpr Bound kVhMax{Bound::VhMax};
constexpr Bound kHeaterSave{Bound::HeaterSave};

struct Setting {
    Bound def, min, max;
};

// Var1: start default / minimum, stop default / maximum, default number of intervals.
struct Sweep {
    Bound startDef, startMin, stopDef, stopMax;
    int intervals;
};

struct GraphDefaults {
    const char* xName;
    int xCol;
    int steppingCol;
    double xMin, xMax;            // current range and its defaults
    double xLimitMin, xLimitMax;  // the permitted range, whatever the hardware
    int xMajor, xMajorDefault;
    double yUpper;  // upper end of both y axes
};

struct MeasType {
    const char* var1;
    const char* var2;
    const char* const1;
    const char* const2;  // nullptr: the second constant is hidden
    Sweep sweep;
    Setting var2Setting, const1Setting, const2Setting;
    double delay;
    GraphDefaults graph;
};

using C = MeasMatrix::Column;

constexpr Sweep kGridSweep{fixed(-10), fixed(-50), fixed(0), fixed(0), 10};
constexpr Sweep kPlateSweep30{fixed(2), fixed(2), fixed(200), kVmax, 30};
constexpr Sweep kPlateSweep10{fixed(2), fixed(2), fixed(200), kVmax, 10};
constexpr Sweep kPositiveGridSweep{fixed(2), fixed(2), fixed(50), kVmax, 10};
constexpr Sweep kHeaterSweep{fixed(0), fixed(0), fixed(6.3), kVhMax, 10};

constexpr Setting plate(double def) {
    return {fixed(def), fixed(2), kVmax};
}
constexpr Setting grid(double def) {
    return {fixed(def), fixed(-50), fixed(0)};
}
constexpr Setting kHeater{kHeaterSave, fixed(0), kVhMax};
constexpr Setting kFactorK{fixed(0.5), fixed(0), fixed(1)};
constexpr Setting kFactorSfb{fixed(0.001), fixed(0.000001), fixed(1)};
// A hidden second constant installs nothing: its caption, default and limits stay those of
// the type selected before (the sweep does not use it; a setup file records it as it is).
constexpr Setting kUnused{fixed(0), fixed(0), fixed(0)};

constexpr GraphDefaults graphOf(const char* xName, int xCol, int steppingCol, double yUpper) {
    return {xName, xCol, steppingCol, 0, 200, 0, 400, 4, 4, yUpper};
}
constexpr GraphDefaults gridGraph() {
    return {"Control Grid (V)", C::Vg, C::Va, -10, 0, -60, 0, 10, 6, 10};
}
constexpr GraphDefaults heaterGraph(int steppingCol) {
    return {"Heater (V)", C::Vh, steppingCol, 0, 7, 0, 20, 7, 5, 10};
}

constexpr std::array<MeasType, MeasSetup::kMeasTypeCount> kTypes{{
    {"Vg", "Va", "Vs", "Vh", kGridSweep, plate(200), plate(200), kHeater, 0, gridGraph()},
    {"Vg", "Va=Vs", "Vh", nullptr, kGridSweep, plate(200), kHeater, kUnused, 0, gridGraph()},
    {"Va", "Vg", "Vs", "Vh", kPlateSweep30, grid(-1), plate(200), kHeater, 0,
     graphOf("Anode Voltage (V)", C::Va, C::Vg, 200)},
    {"Va", "Vs", "Vg", "Vh", kPlateSweep30, plate(200), grid(-10), kHeater, 0,
     graphOf("Anode Voltage (V)", C::Va, C::Vs, 200)},
    {"Va = Vs", "Vg", "Vh", nullptr, kPlateSweep10, grid(-1), kHeater, kUnused, 0,
     graphOf("Anode and Screen (V)", C::Va, C::Vg, 10)},
    {"Vs", "Vg", "Va", "Vh", kPlateSweep10, grid(-1), plate(200), kHeater, 0,
     graphOf("Screen (V)", C::Vs, C::Vg, 10)},
    {"+Vg", "Va", "Vg", "Vh", kPositiveGridSweep, plate(200), grid(0), kHeater, 0,
     graphOf("Positive Grid (V)", C::Vs, C::Va, 10)},
    {"Va", "+Vg", "Vg", "Vh", kPlateSweep30, plate(10), grid(0), kHeater, 0,
     graphOf("Anode Voltage (V)", C::Va, C::Vs, 200)},
    {"Vh", "Vg", "Va", "Vs", kHeaterSweep, grid(-1), plate(200), plate(200), 1, heaterGraph(C::Vg)},
    {"Vh", "Va", "Vg", "Vs", kHeaterSweep, plate(200), grid(0), plate(200), 1, heaterGraph(C::Va)},
    {"Vg", "Va", "k", "Vh", kGridSweep, plate(200), kFactorK, kHeater, 0, gridGraph()},
    {"Va", "Vg", "k", "Vh", kPlateSweep30, grid(-1), kFactorK, kHeater, 0,
     graphOf("Anode Voltage (V)", C::Va, C::Vg, 200)},
    {"Va", "Vg", "Vs", "SFB", kPlateSweep30, grid(-1), plate(200), kFactorSfb, 0,
     graphOf("Anode Voltage (V)", C::Va, C::Vg, 200)},
}};

// The Var1 caption as it stands, right-aligned, in the name box.
std::string paddedName(std::string_view caption) {
    if (caption == "Vg") {
        return "   Vg";
    }
    if (caption == "+Vg") {
        return " +Vg";
    }
    return "  " + std::string(caption);  // "Va", "Vs", "Vh", "Va = Vs"
}

}  // namespace

MeasSetup::MeasSetup(ConsoleState& state, Form1Model& model, Dialogs& dialogs, Form1Hooks& hooks)
    : state_(state), model_(model), dialogs_(dialogs), hooks_(hooks) {}

const std::array<const char*, MeasSetup::kMeasTypeCount>& MeasSetup::measTypeNames() {
    static constexpr std::array<const char*, kMeasTypeCount> kNames{
        "I (Vg , Va) with Vs, Vh constant",
        "I (Vg , Va=Vs) with Vh constant",
        "I (Va , Vg) with Vs, Vh constant",
        "I (Va , Vs) with Vg, Vh constant",
        "I (Va=Vs , Vg) with Vh constant",
        "I (Vs , Vg) with Va, Vh constant",
        "I (Vs , Va) with Vg, Vh constant (+Vg mode)",
        "I (Va , Vs) with Vg, Vh constant (+Vg mode)",
        "I (Vh , Vg) with Va, Vs constant",
        "I (Vh , Va) with Vg, Vs constant",
        "I (Vg , Va) with Vs=UL(Va,k), Vh constant",
        "I (Va , Vg) with Vs=UL(Va,k), Vh constant",
        "I (Va , Vg) with Vs, Vh constant (Schade FB)",
    };
    return kNames;
}

double MeasSetup::vMax() const {
    return state_.cal.maxAnodeVoltage();
}

double MeasSetup::vhMax() const {
    return state_.maxHeaterVoltage();
}

void MeasSetup::SelectMeas() {
    const double vmax = vMax();
    const double vhmax = vhMax();
    const auto resolve = [&](const Bound& b) {
        switch (b.kind) {
            case Bound::Vmax:
                return vmax;
            case Bound::VhMax:
                return vhmax;
            case Bound::HeaterSave:
                return state_.meas.dblHeaterSave;
            case Bound::Fixed:
                break;
        }
        return b.value;
    };

    Form1Hooks::call(hooks_.ClearCurves);

    auto& s = state_.meas;
    if (s.intMeasType >= 0 && s.intMeasType < kMeasTypeCount) {
        const MeasType& t = kTypes[static_cast<std::size_t>(s.intMeasType)];

        model_.lblNameVar1 = t.var1;
        model_.txtNameVar1 = paddedName(t.var1);
        model_.lblNameVar2 = t.var2;
        model_.lblNameConst1 = t.const1;
        if (t.const2 != nullptr) {
            model_.lblNameConst2 = t.const2;
        }
        model_.txtConst2Visible = t.const2 != nullptr;
        model_.chkMeasLog = false;

        s.dblVar1StartDef = resolve(t.sweep.startDef);
        s.dblVar1StartMin = resolve(t.sweep.startMin);
        s.dblVar1StopDef = resolve(t.sweep.stopDef);
        s.dblVar1StopMax = resolve(t.sweep.stopMax);
        s.intVar1NintvDef = t.sweep.intervals;
        s.intVar1NintvMax = 100;
        s.dblVar2Def = resolve(t.var2Setting.def);
        s.dblVar2Min = resolve(t.var2Setting.min);
        s.dblVar2Max = resolve(t.var2Setting.max);
        s.dblConst1Def = resolve(t.const1Setting.def);
        s.dblConst1Min = resolve(t.const1Setting.min);
        s.dblConst1Max = resolve(t.const1Setting.max);
        if (t.const2 != nullptr) {
            s.dblConst2Def = resolve(t.const2Setting.def);
            s.dblConst2Min = resolve(t.const2Setting.min);
            s.dblConst2Max = resolve(t.const2Setting.max);
        }
        s.dblDelayDef = t.delay;
        s.dblDelayMin = 0.0;
        s.dblDelayMax = 300.0;

        auto& g = state_.graph;
        g.strXname = t.graph.xName;
        g.intXcol = t.graph.xCol;
        steppingColumn_ = t.graph.steppingCol;
        g.dblXmin = g.dblXminDefault = t.graph.xMin;
        g.dblXmax = g.dblXmaxDefault = t.graph.xMax;
        g.dblXminLimit = t.graph.xLimitMin;
        g.dblXmaxLimit = t.graph.xLimitMax;
        g.intXmajor = t.graph.xMajor;
        g.intXmajorDefault = t.graph.xMajorDefault;
        g.dblY1min = g.dblY2min = 0.0;
        g.dblY1max = g.dblY2max = t.graph.yUpper;
        g.intY1major = g.intY2major = 10;
        g.dblY1minDefault = g.dblY2minDefault = 0.0;
        g.dblY1maxDefault = g.dblY2maxDefault = 200.0;
        g.intY1majorDefault = g.intY2majorDefault = 4;
        state_.blnCompliance = false;
    }

    s.dblVar1Start = s.dblVar1StartDef;
    s.dblVar1Stop = s.dblVar1StopDef;
    s.intVar1Nintv = s.intVar1NintvDef;
    s.dblVar2Values[0] = s.dblVar2Def;
    s.intVar2Count = 1;
    s.dblConst1 = s.dblConst1Def;
    s.dblConst2 = s.dblConst2Def;
    s.dblDelay = s.dblDelayDef;

    UpdateMeasFields();
    Form1Hooks::call(hooks_.UpdateGraphFields);
    Form1Hooks::call(hooks_.DrawPicture);
}

void MeasSetup::UpdateMeasFields() {
    const auto& s = state_.meas;
    model_.txtMeasStart = numberText(s.dblVar1Start);
    model_.txtMeasStop = numberText(s.dblVar1Stop);
    model_.txtMeasNintv = numberText(s.intVar1Nintv);
    model_.txtConst1 = numberText(s.dblConst1);
    model_.txtConst2 = numberText(s.dblConst2);
    model_.txtDelay = numberText(s.dblDelay);
    model_.txtVheat = numberText(state_.dblVheatExt);

    // A count restored from elsewhere never reads past the array.
    const int count = std::clamp(s.intVar2Count, 0, MeasSettings::kMaxVar2);
    std::string var2;
    for (int i = 0; i < count; ++i) {
        if (i > 0) {
            var2 += ' ';
        }
        var2 += numberText(s.dblVar2Values[static_cast<std::size_t>(i)]);
    }
    model_.txtVar2 = var2;

    Form1Hooks::call(hooks_.Refresh);
}

void MeasSetup::ProcessVar2String() {
    auto& s = state_.meas;
    s.strVar2 = model_.txtVar2;
    readSteppingValues(s.strVar2, s.dblVar2Min, s.dblVar2Max, s.dblVar2Def, s.dblVar2Values,
                       s.intVar2Count, [this](const std::string& m) { dialogs_.message(m); });
    UpdateMeasFields();
}

void MeasSetup::ProcessFields() {
    auto& s = state_.meas;
    const std::string const1 = "Const1 (" + model_.lblNameConst1 + ")";
    const std::string const2 = "Const2 (" + model_.lblNameConst2 + ")";

    if (auto v = readNumberBox(model_.txtConst1, const1, dialogs_)) {
        s.dblConst1 = *v;
    }
    if (auto v = readNumberBox(model_.txtConst2, const2, dialogs_)) {
        s.dblConst2 = *v;
    }
    if (auto v = readIntegerBox(model_.txtDelay, "Delay", dialogs_)) {
        s.dblDelay = *v;
    }
    if (auto v = readIntegerBox(model_.txtMeasNintv, "Intervals", dialogs_)) {
        s.intVar1Nintv = *v;
    }
    if (auto v = readNumberBox(model_.txtMeasStart, "Start", dialogs_)) {
        s.dblVar1Start = *v;
    }
    if (auto v = readNumberBox(model_.txtMeasStop, "Stop", dialogs_)) {
        s.dblVar1Stop = *v;
    }
    if (auto v = readNumberBox(model_.txtVheat, "Heater supply", dialogs_)) {
        state_.dblVheatExt = *v;
    }

    Form1Hooks::call(hooks_.ReadGraphFields);
    CheckMeasFields();
    Form1Hooks::call(hooks_.CheckGraphFields);
    Form1Hooks::call(hooks_.DrawPicture);
}

void MeasSetup::CheckMeasFields() {
    if (const auto fault = correctFirstMeasFault()) {
        dialogs_.message(fault->message, MessageIcon::Exclamation);
        UpdateMeasFields();
    }
    rememberHeaterConstant();
}

std::optional<LimitFault> MeasSetup::correctFirstMeasFault() {
    using S = CheckedSetting;
    auto& s = state_.meas;
    const auto fault = [](std::string message, std::vector<CheckedSetting> settings) {
        return std::optional<LimitFault>{LimitFault{std::move(message), std::move(settings)}};
    };
    if (auto c = correctVar1(s.dblVar1Start, s.dblVar1Stop, s.intVar1Nintv, s.dblVar1StartMin,
                             s.dblVar1StopMax, s.intVar1NintvDef, s.intVar1NintvMax)) {
        switch (c->fault) {
            case SettingFault::Var1Order:
                return fault(std::move(c->message), {S::Var1Start, S::Var1Stop});
            case SettingFault::Var1Stop:
                return fault(std::move(c->message), {S::Var1Stop});
            case SettingFault::Var1Start:
                return fault(std::move(c->message), {S::Var1Start});
            default:
                return fault(std::move(c->message), {S::Var1Nintv});
        }
    }
    if (auto c = correctWithin(s.dblConst1, s.dblConst1Min, s.dblConst1Max, "Const1", "Const1")) {
        return fault(std::move(c->message), {S::Const1});
    }
    if (auto c = correctWithin(s.dblDelay, s.dblDelayMin, s.dblDelayMax, "Dealy", "Delay")) {
        return fault(std::move(c->message), {S::Delay});
    }
    if (auto heater = correctHeaterSupply()) {
        return heater;
    }
    if (model_.txtConst2Visible) {
        if (auto c =
                correctWithin(s.dblConst2, s.dblConst2Min, s.dblConst2Max, "Const2", "Const2")) {
            return fault(std::move(c->message), {S::Const2});
        }
    }
    return std::nullopt;
}

std::optional<LimitFault> MeasSetup::correctHeaterSupply() {
    if (state_.dblVheatExt < 1) {
        state_.dblVheatExt = 19.5;
        return LimitFault{"Heater voltage has to be at least 1V ", {CheckedSetting::VheatExt}};
    }
    if (state_.dblVheatExt > 40) {
        state_.dblVheatExt = 19.5;
        return LimitFault{"Heater voltage must be less than 40V", {CheckedSetting::VheatExt}};
    }
    return std::nullopt;
}

void MeasSetup::rememberHeaterConstant() {
    auto& s = state_.meas;
    if (model_.lblNameConst1 == "Vh") {
        s.dblHeaterSave = s.dblConst1;
    } else if (model_.txtConst2Visible && model_.lblNameConst2 == "Vh") {
        s.dblHeaterSave = s.dblConst2;
    }
}

void MeasSetup::cboMeasType_Click() {
    state_.meas.intMeasType = model_.cboMeasType;
    SelectMeas();
}

}  // namespace ostrino
