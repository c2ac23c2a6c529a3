#include "console1/gen1_console.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "common/numbers.h"
#include "common/stepping_values.h"
#include "common/text_file.h"
#include "console1/gen1_data_file.h"
#include "console1/gen1_protocol.h"
#include "platform/entry_box.h"
#include "platform/serial_exchange.h"

namespace ostrino::gen1 {

namespace {

constexpr double kPumpStep = 0.015;  // a short pause between event pumps

struct TypeTable {
    const char* var1;
    double startDef, startMin, stopDef, stopMax;
    const char* var2;
    double var2Def, var2Min, var2Max;
    const char* const1;
    double c1Def, c1Min, c1Max;
    const char* const2;  // nullptr: not used
    double c2Def, c2Min, c2Max;
    double delayDef;
};

constexpr std::array<TypeTable, kMeasTypes> kTypes{{
    {"Vgs", -10, -60, 0, 0, "Va", 200, 20, 400, "Vs", 200, 20, 400, "Vf", 6.3, 0, 19, 0},
    {"Vgs", -10, -60, 0, 0, "Va=Vs", 200, 20, 400, "Vf", 6.3, 0, 19, nullptr, 0, 0, 0, 0},
    {"Va", 20, 20, 200, 400, "Vgs", -1, -60, 0, "Vs", 200, 20, 400, "Vf", 6.3, 0, 19, 0},
    {"Va = Vs", 20, 20, 200, 400, "Vgs", -1, -60, 0, "Vf", 6.3, 0, 19, nullptr, 0, 0, 0, 0},
    {"Vf", 0, 0, 6.3, 19, "Vgs", -1, -60, 0, "Va", 200, 20, 400, "Vs", 200, 20, 400, 15},
}};

constexpr std::array<const char*, kMeasTypes> kTypeNames{
    "I (Vgs)  step Va,  Vf constant", "I (Vgs)  step Va=Vs,  Vf constant",
    "I (Va) step Vgs, Vs, Vf constant", "I (Va=Vs) step Vgs, Vf constant",
    "I (Vf) step Vgs, Va, Vs constant"};

std::string shown(double v, int decimals) {
    return numberText(Decimals(v, decimals).value_or(v));
}

// "a", "a and b", "a, b and c".
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

// Short, so that the "Communication" frame keeps its width; the tool tip explains.
std::string fullScaleLabel(bool ia, bool is) {
    if (ia && is) {
        return "Ia, Is at full scale";
    }
    if (ia || is) {
        return std::string(ia ? "Ia" : "Is") + " at full scale";
    }
    return {};
}

}  // namespace

const std::array<const char*, kMeasTypes>& measTypeNames() {
    return kTypeNames;
}

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

Console1::Console1(Gen1State& state, SerialPort& port, Clock& clock, Dialogs& dialogs)
    : state_(state),
      c_(state.controls),
      clock_(clock),
      dialogs_(dialogs),
      exchange_(port, clock, kLinkProfile) {}

void Console1::Form_Load() {
    state_.intMeasStat = kHeaterOff;
    c_.cboMeasType = 0;
    state_.meas.intMeasType = 0;
    SelectMeas();
    state_.graph.strXname = "Control Grid (V)";
    state_.graph.strYname = "Current (mA)";
    setMeasuringControls();
    call(Refresh);
    call(DrawPicture);
}

// ---------------------------------------------------------------- measurement set-up

void Console1::cboMeasType_Click(int index) {
    if (index < 0 || index >= kMeasTypes) {
        return;
    }
    c_.cboMeasType = index;
    state_.meas.intMeasType = index;
    SelectMeas();
}

void Console1::SelectMeas() {
    MeasSettings& s = state_.meas;
    const int type = std::clamp(s.intMeasType, 0, kMeasTypes - 1);
    s.intMeasType = type;
    const TypeTable& t = kTypes[static_cast<std::size_t>(type)];

    c_.lblNameVar1 = t.var1;
    c_.lblNameVar2 = t.var2;
    c_.lblNameConst1 = t.const1;
    c_.lblNameConst2 = t.const2 != nullptr ? t.const2 : "";
    c_.const2Visible = t.const2 != nullptr;
    s.const2Used = t.const2 != nullptr;

    s.dblVar1StartDef = t.startDef;
    s.dblVar1StartMin = t.startMin;
    s.dblVar1StopDef = t.stopDef;
    s.dblVar1StopMax = t.stopMax;
    s.intVar1NintvDef = 10;
    s.intVar1NintvMax = 50;
    s.dblVar2Def = t.var2Def;
    s.dblVar2Min = t.var2Min;
    s.dblVar2Max = t.var2Max;
    s.dblConst1Def = t.c1Def;
    s.dblConst1Min = t.c1Min;
    s.dblConst1Max = t.c1Max;
    s.dblConst2Def = t.c2Def;
    s.dblConst2Min = t.c2Min;
    s.dblConst2Max = t.c2Max;
    s.dblDelayDef = t.delayDef;
    s.dblDelayMin = 0.0;
    s.dblDelayMax = 60.0;

    s.dblVar1Start = s.dblVar1StartDef;
    s.dblVar1Stop = s.dblVar1StopDef;
    s.intVar1Nintv = s.intVar1NintvDef;
    s.dblVar2Values.fill(0.0);
    s.dblVar2Values[0] = s.dblVar2Def;
    s.intVar2Count = 1;
    s.dblConst1 = s.dblConst1Def;
    s.dblConst2 = s.dblConst2Def;
    s.dblDelay = s.dblDelayDef;

    installGraphDefaults();
    UpdateMeasFields();
    UpdateGraphFields();
    call(Refresh);
    call(DrawPicture);
}

void Console1::installGraphDefaults() {
    GraphSettings& g = state_.graph;
    const int type = state_.meas.intMeasType;
    if (type <= 1) {
        g.strXname = "Control Grid (V)";
        g.dblXminDef = -10, g.dblXmaxDef = 0, g.dblXminLimit = -60, g.dblXmaxLimit = 0;
        g.intXmajorDef = 10, g.intXminorDef = 1, g.intYmajorDef = 6, g.intYminorDef = 1;
        g.intXcol = ResultMatrix::Vg, g.intStepCol = ResultMatrix::Va;
    } else if (type <= 3) {
        g.strXname = type == 2 ? "Anode Voltage (V)" : "Anode and Screen Grid (V)";
        g.dblXminDef = 0, g.dblXmaxDef = 200, g.dblXminLimit = 0, g.dblXmaxLimit = 400;
        g.intXmajorDef = 4, g.intXminorDef = 5, g.intYmajorDef = 4, g.intYminorDef = 4;
        g.intXcol = ResultMatrix::Va, g.intStepCol = ResultMatrix::Vg;
    } else {
        g.strXname = "Fillament (V)";
        g.dblXminDef = 0, g.dblXmaxDef = 7, g.dblXminLimit = 0, g.dblXmaxLimit = 20;
        g.intXmajorDef = 7, g.intXminorDef = 1, g.intYmajorDef = 5, g.intYminorDef = 5;
        g.intXcol = ResultMatrix::Vf, g.intStepCol = ResultMatrix::Vg;
    }
    g.dblYminDef = 0, g.dblYmaxDef = 10, g.dblYminLimit = 0, g.dblYmaxLimit = 200;
    g.dblXmin = g.dblXminDef, g.dblXmax = g.dblXmaxDef;
    g.intXmajor = g.intXmajorDef, g.intXminor = g.intXminorDef;
    g.dblYmin = g.dblYminDef, g.dblYmax = g.dblYmaxDef;
    g.intYmajor = g.intYmajorDef, g.intYminor = g.intYminorDef;
}

void Console1::UpdateMeasFields() {
    const MeasSettings& s = state_.meas;
    c_.txtMeasStart = numberText(s.dblVar1Start);
    c_.txtMeasStop = numberText(s.dblVar1Stop);
    c_.txtMeasNintv = std::to_string(s.intVar1Nintv);
    c_.txtConst1 = numberText(s.dblConst1);
    c_.txtConst2 = s.const2Used ? numberText(s.dblConst2) : "";
    c_.txtDelay = numberText(s.dblDelay);
    std::string var2;
    for (int k = 0; k < s.intVar2Count; ++k) {
        if (k > 0) {
            var2 += ' ';
        }
        var2 += numberText(s.dblVar2Values[static_cast<std::size_t>(k)]);
    }
    c_.txtVar2 = var2;
}

void Console1::measField_Commit() {
    readMeasFields();
    CheckMeasFields();
    call(Refresh);
}

void Console1::txtVar2_Commit() {
    // The other boxes are read first, so that showing the stepping values cannot
    // overwrite anything typed there.
    readMeasFields();
    ProcessVar2String();
    CheckMeasFields();
    call(Refresh);
}

void Console1::readMeasFields() {
    MeasSettings& s = state_.meas;
    if (auto v = readNumberBox(c_.txtMeasStart, "Start", dialogs_)) {
        s.dblVar1Start = *v;
    }
    if (auto v = readNumberBox(c_.txtMeasStop, "Stop", dialogs_)) {
        s.dblVar1Stop = *v;
    }
    if (auto v = readIntegerBox(c_.txtMeasNintv, "Intervals", dialogs_)) {
        s.intVar1Nintv = *v;
    }
    if (auto v = readNumberBox(c_.txtConst1, "Const1 (" + c_.lblNameConst1 + ")", dialogs_)) {
        s.dblConst1 = *v;
    }
    if (s.const2Used) {
        if (auto v = readNumberBox(c_.txtConst2, "Const2 (" + c_.lblNameConst2 + ")", dialogs_)) {
            s.dblConst2 = *v;
        }
    }
    // Whole seconds, rounded half to even.
    if (auto v = readIntegerBox(c_.txtDelay, "Delay", dialogs_)) {
        s.dblDelay = *v;
    }
}

void Console1::ProcessVar2String() {
    MeasSettings& s = state_.meas;
    const std::string text = c_.txtVar2;
    readSteppingValues(text, s.dblVar2Min, s.dblVar2Max, s.dblVar2Def, s.dblVar2Values,
                       s.intVar2Count, [this](const std::string& m) { dialogs_.message(m); });
    UpdateMeasFields();
}

void Console1::CheckMeasFields() {
    MeasSettings& s = state_.meas;
    auto report = [this](const std::string& text) { dialogs_.message(text); };
    if (s.dblVar1Start >= s.dblVar1Stop) {
        report("Var1 Start has to less than Stop value");
        s.dblVar1Start = s.dblVar1StartMin;
        s.dblVar1Stop = s.dblVar1StopMax;
    } else if (s.dblVar1Stop > s.dblVar1StopMax) {
        report("Var1 Stop value has to be less than " + numberText(s.dblVar1StopMax));
        s.dblVar1Stop = s.dblVar1StopMax;
    } else if (s.dblVar1Start < s.dblVar1StartMin) {
        report("Var1 Start value has to be larger than " + numberText(s.dblVar1StartMin));
        s.dblVar1Start = s.dblVar1StartMin;
    } else if (s.intVar1Nintv <= 0) {
        report("The number of steps in Var1 has to be larger than one");
        s.intVar1Nintv = s.intVar1NintvDef;
    } else if (s.intVar1Nintv > s.intVar1NintvMax) {
        report("The number of intervals in Var1 has to be smaller than " +
               std::to_string(s.intVar1NintvMax));
        s.intVar1Nintv = s.intVar1NintvDef;
    } else if (s.dblConst1 < s.dblConst1Min) {
        report("Const1 has to be larger than " + numberText(s.dblConst1Min));
        s.dblConst1 = s.dblConst1Min;
    } else if (s.dblConst1 > s.dblConst1Max) {
        report("Const1 has to be less than " + numberText(s.dblConst1Max));
        s.dblConst1 = s.dblConst1Max;
    } else if (s.const2Used && s.dblConst2 < s.dblConst2Min) {
        report("Const2 has to be larger than " + numberText(s.dblConst2Min));
        s.dblConst2 = s.dblConst2Min;
    } else if (s.const2Used && s.dblConst2 > s.dblConst2Max) {
        report("Const2 has to be less than " + numberText(s.dblConst2Max));
        s.dblConst2 = s.dblConst2Max;
    } else if (s.dblDelay < s.dblDelayMin) {
        report("Dealy has to be larger than " + numberText(s.dblDelayMin));
        s.dblDelay = s.dblDelayMin;
    } else if (s.dblDelay > s.dblDelayMax) {
        report("Delay has to be less than " + numberText(s.dblDelayMax));
        s.dblDelay = s.dblDelayMax;
    }
    UpdateMeasFields();
}

// ---------------------------------------------------------------- graph settings

void Console1::UpdateGraphFields() {
    const GraphSettings& g = state_.graph;
    c_.txtXmin = numberText(g.dblXmin);
    c_.txtXmax = numberText(g.dblXmax);
    c_.txtXmajor = std::to_string(g.intXmajor);
    c_.txtXminor = std::to_string(g.intXminor);
    c_.txtYmin = numberText(g.dblYmin);
    c_.txtYmax = numberText(g.dblYmax);
    c_.txtYmajor = std::to_string(g.intYmajor);
    c_.txtYminor = std::to_string(g.intYminor);
}

void Console1::readGraphFields() {
    GraphSettings& g = state_.graph;
    if (auto v = readNumberBox(c_.txtXmin, "X min", dialogs_)) {
        g.dblXmin = *v;
    }
    if (auto v = readNumberBox(c_.txtXmax, "X max", dialogs_)) {
        g.dblXmax = *v;
    }
    if (auto v = readIntegerBox(c_.txtXmajor, "X major ticks", dialogs_)) {
        g.intXmajor = *v;
    }
    if (auto v = readIntegerBox(c_.txtXminor, "X minor ticks", dialogs_)) {
        g.intXminor = *v;
    }
    if (auto v = readNumberBox(c_.txtYmin, "Y min", dialogs_)) {
        g.dblYmin = *v;
    }
    if (auto v = readNumberBox(c_.txtYmax, "Y max", dialogs_)) {
        g.dblYmax = *v;
    }
    if (auto v = readIntegerBox(c_.txtYmajor, "Y major ticks", dialogs_)) {
        g.intYmajor = *v;
    }
    if (auto v = readIntegerBox(c_.txtYminor, "Y minor ticks", dialogs_)) {
        g.intYminor = *v;
    }
}

void Console1::graphField_Commit(GraphBox box) {
    readGraphFields();
    switch (box) {
        case GraphBox::Xrange:
            checkXminmax();
            break;
        case GraphBox::Xticks:
            checkXticks();
            break;
        case GraphBox::Yrange:
            checkYminmax();
            break;
        case GraphBox::Yticks:
            checkYticks();
            break;
    }
    UpdateGraphFields();
    call(Refresh);
    call(DrawPicture);
}

namespace {

// One fault reported and corrected per check. A correction that still leaves the
// range empty (a maximum set back below the minimum) restores both ends, so the graph
// never has an empty axis.
void checkRange(double& lo, double& hi, double loDef, double hiDef, double loLimit, double hiLimit,
                const char* name, Dialogs& dialogs) {
    const std::string n = name;
    if (lo >= hi) {
        dialogs.message(n + "min has to less than " + n + "max");
        lo = loDef;
        hi = hiDef;
    } else if (hi > hiLimit) {
        dialogs.message(n + "max has to be less than " + numberText(hiLimit));
        hi = hiDef;
    } else if (lo < loLimit) {
        dialogs.message(n + "min has to be larger than " + numberText(loLimit));
        lo = loDef;
    }
    if (lo >= hi) {
        lo = loDef;
        hi = hiDef;
    }
}

void checkTicks(int& major, int& minor, Dialogs& dialogs) {
    if (major < 1) {
        dialogs.message("Major ticks has to be >=1");
        major = 1;
    } else if (major > 10) {
        dialogs.message("Minor ticks has to be =< 10");
        major = 10;
    }
    if (minor < 1) {
        dialogs.message("Minor ticks has to be >=1");
        minor = 1;
    } else if (minor > 10) {
        dialogs.message("Minor ticks has to be =<10");
        minor = 10;
    }
}

}  // namespace

void Console1::checkXminmax() {
    GraphSettings& g = state_.graph;
    checkRange(g.dblXmin, g.dblXmax, g.dblXminDef, g.dblXmaxDef, g.dblXminLimit, g.dblXmaxLimit,
               "X", dialogs_);
    UpdateGraphFields();
}

void Console1::checkYminmax() {
    GraphSettings& g = state_.graph;
    checkRange(g.dblYmin, g.dblYmax, g.dblYminDef, g.dblYmaxDef, g.dblYminLimit, g.dblYmaxLimit,
               "Y", dialogs_);
    UpdateGraphFields();
}

void Console1::checkXticks() {
    checkTicks(state_.graph.intXmajor, state_.graph.intXminor, dialogs_);
    UpdateGraphFields();
}

void Console1::checkYticks() {
    checkTicks(state_.graph.intYmajor, state_.graph.intYminor, dialogs_);
    UpdateGraphFields();
}

void Console1::cmdPreset_Click(int n) {
    GraphSettings& g = state_.graph;
    switch (n) {
        case 1:
            g.dblXmin = 0, g.dblXmax = 400, g.intXmajor = 4, g.intXminor = 4;
            g.dblYmin = 0, g.dblYmax = 200, g.intYmajor = 4, g.intYminor = 4;
            break;
        case 2:
            g.dblXmin = 0, g.dblXmax = 200, g.intXmajor = 4, g.intXminor = 4;
            g.dblYmin = 0, g.dblYmax = 10, g.intYmajor = 5, g.intYminor = 2;
            break;
        case 3:
            g.dblXmin = 0, g.dblXmax = 200, g.intXmajor = 4, g.intXminor = 4;
            g.dblYmin = 0, g.dblYmax = 1, g.intYmajor = 5, g.intYminor = 2;
            break;
        default:
            return;  // "-60 V / 200 mA", "-20 V / 10 mA", "-10 V / 1 mA" do nothing
    }
    checkXticks();
    checkYticks();
    checkXminmax();
    checkYminmax();
    UpdateGraphFields();
    call(Refresh);
    call(DrawPicture);
}

// ---------------------------------------------------------------- the sweep

int Console1::ComposeMatrix() {
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

std::string Console1::ComposeMeasString(int row, std::string_view strCommand) const {
    const ResultMatrix& m = state_.result;
    return pointString(strCommand, m.at(row, ResultMatrix::Va), m.at(row, ResultMatrix::Vs),
                       m.at(row, ResultMatrix::Vg), m.at(row, ResultMatrix::Vf),
                       gridResistor(blnHighGrid_));
}

LinkResult Console1::SetRelais() {
    const ResultMatrix& m = state_.result;
    blnHighGrid_ = false;
    for (int row = 0; std::fabs(m.at(row, ResultMatrix::Curve)) >= 1.0; ++row) {
        if (m(row, ResultMatrix::Vg) < kHighGridBelow) {
            blnHighGrid_ = true;
        }
    }
    relayAnodeAlt_ = c_.chkIa20mA;
    relayScreenAlt_ = c_.chkIs5mA;
    const int relay = relayByte(relayAnodeAlt_, relayScreenAlt_, blnHighGrid_);
    const LinkResult r = SndString(relayString(relay));
    if (!r) {
        reportLinkFault(
            "The range relais may not have been set properly due to a communication problem "
            "with the Ostrino");
    }
    return r;
}

template <typename Pred>
void Console1::waitYielding(double seconds, Pred keepWaiting) {
    ostrino::waitYielding(clock_, seconds, kPumpStep, [&] { return !closing_ && keepWaiting(); });
}

void Console1::DoMeasurement() {
    ResultMatrix& m = state_.result;
    auto measuring = [this] { return state_.intMeasStat == kMeasuring; };
    running_ = true;
    heaterOffPending_ = false;
    struct Finished {
        bool& running;
        ~Finished() { running = false; }
    } finished{running_};
    ComposeMatrix();
    call(DrawPicture);
    // The run's fault: the first exchange that failed (already shown to the user).
    bool blnFault = !SetRelais();
    if (!blnFault) {
        waitYielding(kRelaySettleTime, measuring);
    }
    for (int i = 0; i < ResultMatrix::kMaxPoints && m(i, ResultMatrix::Curve) != 0.0; ++i) {
        if (blnFault || closing_ || !measuring()) {
            break;
        }
        const double delay = std::trunc(state_.meas.dblDelay);
        if (delay > 0.0) {
            blnFault = !SndString(ComposeMeasString(i, "20"));
            if (!blnFault) {
                waitYielding(delay, measuring);
            }
            // A point whose pre-conditioning was cut short is not measured.
            if (!measuring()) {
                break;
            }
        }
        if (closing_) {
            return;
        }
        if (blnFault) {
            break;
        }
        blnFault = !SndString(ComposeMeasString(i, "10"));
        if (!blnFault && c_.chkDebug) {
            waitYielding(kDebugPause, [] { return true; });
        }
        if (closing_) {
            return;
        }
        std::string result;
        blnFault = !RecString(result);
        if (!blnFault) {
            blnFault = !DeComposeString(i, result);
        }
        if (!blnFault) {
            m(i, ResultMatrix::Curve) = std::fabs(m(i, ResultMatrix::Curve));
        }
        call(DrawPicture);
        clock_.pumpEvents();
    }
    if (closing_) {
        return;
    }
    if (blnFault) {
        reportLinkFault(
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
        call(Refresh);
    }
    // Said once, when the run is over, rather than at every point.
    const std::string report = fullScaleReport();
    if (!report.empty() && !closing_) {
        dialogs_.message(report);
    }
}

std::string Console1::fullScaleReport() const {
    const ResultMatrix& m = state_.result;
    const MeasSettings& s = state_.meas;
    struct Hit {
        const char* name;
        int column;
        bool wide;  // the range the relays were set to for the run
        const char* range;
        std::vector<int> curves;  // ordinals, in run order
    };
    std::vector<Hit> hits{{"Ia", ResultMatrix::Ia, relayAnodeAlt_, "\"Ia > 20 mA\"", {}},
                          {"Is", ResultMatrix::Is, relayScreenAlt_, "\"Is > 5 mA\"", {}}};
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

double Console1::heaterVoltage() const {
    const MeasSettings& s = state_.meas;
    return pointVoltages(s, s.dblVar1Start, s.dblVar2Values[0]).vf;
}

bool Console1::TurnOnFilament() {
    if (!SndString(heaterString(heaterVoltage()))) {
        reportLinkFault(
            "The filament was not turned on due to a communication error with the Ostrino");
        return false;
    }
    return true;
}

bool Console1::TurnOffFilament() {
    if (!SndString(heaterString(0.0))) {
        reportLinkFault(
            "The filament was not turned off due to a communication error with the Ostrino");
        return false;
    }
    return true;
}

void Console1::setMeasuringControls() {
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

void Console1::cmdMeasStart_Click() {
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
            call(Refresh);
            break;
        case kHeaterOn:
            state_.intMeasStat = kMeasuring;
            setMeasuringControls();
            call(Refresh);
            DoMeasurement();
            break;
        default:
            break;
    }
}

void Console1::cmdMeasStop_Click() {
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
    if (closing_) {
        return;
    }
    setMeasuringControls();
    call(Refresh);
}

void Console1::cmdStore_Click() {
    state_.stored = state_.result;
}

void Console1::cmdRecall_Click() {
    c_.showStored = !c_.showStored;
    c_.cmdRecallCaption = c_.showStored ? "Dismiss" : "Recall";
    call(Refresh);
    call(DrawPicture);
}

void Console1::cmdSave_Click() {
    const std::string name = dialogs_.chooseFile(saveFileRequest(kDataFilter, "Save Data"));
    if (!name.empty()) {
        saveDataTo(name);
    }
}

bool Console1::saveDataTo(const std::string& path) {
    std::string reason;
    if (!writeFileAtomically(path, dataFileText(state_.result), reason)) {
        dialogs_.message("The file " + path + " cannot be written (" + reason + ").");
        return false;
    }
    return true;
}

// ---------------------------------------------------------------- the link

LinkResult Console1::told(LinkResult r) {
    if (!r && !closing_ && !r.message.empty()) {
        dialogs_.message(r.message);
    }
    return r;
}

void Console1::reportLinkFault(const std::string& message) {
    const std::string problem = exchange_.takePortProblem();
    if (!closing_) {
        dialogs_.message(withPortReason(message, problem));
    }
}

LinkResult Console1::SndString(std::string_view strCommandString) {
    if (LinkResult r = exchange_.ready(c_.cboComNumber + 1); !r) {
        return r;  // told with the operation's message, as its reason
    }
    const bool debug = c_.chkDebug;
    if (debug) {
        c_.com.lblStringSend.clear();
        c_.com.lblStringEcho.clear();
        call(RefreshCom);
    }
    EchoWatch watch;
    if (debug) {
        watch.sending = [this](char sent) { c_.com.lblStringSend += sent; };
        watch.echoed = [this](char echo) {
            c_.com.lblStringEcho += echo;
            call(RefreshCom);
        };
    }
    return told(exchange_.send(strCommandString, watch));
}

LinkResult Console1::RecString(std::string& strResultString) {
    return told(exchange_.receive(strResultString));
}

void Console1::SndEsc() {
    if (closing_) {
        return;
    }
    const int number = c_.cboComNumber + 1;
    if (const LinkResult r = exchange_.open(number); !r) {
        exchange_.takePortProblem();  // told here, not with a later operation
        dialogs_.message("Error, the serial port COM" + std::to_string(number) +
                         " could not be opened (" + r.reason + ").");
        return;
    }
    exchange_.sendEsc();
    // After a fault the next exchange still drops what the instrument sent late.
}

LinkResult Console1::DeComposeString(int i, std::string_view strResultString) {
    const DecodedResult r = decodeResult(strResultString, relayAnodeAlt_, relayScreenAlt_);
    ComLabels& com = c_.com;
    com.lblStat = std::string(1, r.statusChar);
    for (std::size_t n = 0; n < static_cast<std::size_t>(kResultFields); ++n) {
        com.lblStr[n] = r.text[n];
        com.lblInt[n] = std::to_string(r.count[n]);
        com.lblVal[n] = shown(r.value[n], n < 4 ? 3 : 1);
    }
    com.lblFullScale = r.valid ? fullScaleLabel(r.iaFullScale, r.isFullScale) : "";
    call(RefreshCom);
    if (!r.valid) {
        exchange_.noteFault();
        return told(LinkResult::fault(
            LinkError::Unreadable,
            "Error, Ostrino sent a result that cannot be read (" + r.problem + ")"));
    }
    if (i >= 0 && i < ResultMatrix::kRows) {
        state_.result(i, ResultMatrix::Ia) = r.ia;
        state_.result(i, ResultMatrix::Is) = r.is;
        state_.result.fullScale[static_cast<std::size_t>(i)] =
            static_cast<unsigned char>((r.iaFullScale ? ResultMatrix::kIaFullScale : 0u) |
                                       (r.isFullScale ? ResultMatrix::kIsFullScale : 0u));
    }
    return {};
}

void Console1::cmdCloseCom_Click() {
    exchange_.close();
}

void Console1::shutDown() {
    closing_ = true;
    exchange_.shutDown();
}

}  // namespace ostrino::gen1
