#include "console1/gen1_setup.h"

#include <algorithm>
#include <optional>
#include <string>

#include "common/numbers.h"
#include "common/setting_checks.h"
#include "common/stepping_values.h"
#include "platform/entry_box.h"

namespace ostrino::gen1 {

namespace {

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

}  // namespace

const std::array<const char*, kMeasTypes>& measTypeNames() {
    return kTypeNames;
}

Gen1Setup::Gen1Setup(Gen1State& state, Dialogs& dialogs, Gen1Hooks& hooks, Gen1GraphSettings& graph)
    : state_(state), c_(state.controls), dialogs_(dialogs), hooks_(hooks), graph_(graph) {}

void Gen1Setup::cboMeasType_Click(int index) {
    if (index < 0 || index >= kMeasTypes) {
        return;
    }
    c_.cboMeasType = index;
    state_.meas.intMeasType = index;
    SelectMeas();
}

void Gen1Setup::SelectMeas() {
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

    graph_.installDefaults(type);
    UpdateMeasFields();
    graph_.UpdateGraphFields();
    Gen1Hooks::call(hooks_.Refresh);
    Gen1Hooks::call(hooks_.DrawPicture);
}

void Gen1Setup::UpdateMeasFields() {
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

void Gen1Setup::measField_Commit() {
    readMeasFields();
    CheckMeasFields();
    Gen1Hooks::call(hooks_.Refresh);
}

void Gen1Setup::txtVar2_Commit() {
    // The other boxes are read first, so that showing the stepping values cannot
    // overwrite anything typed there.
    readMeasFields();
    ProcessVar2String();
    CheckMeasFields();
    Gen1Hooks::call(hooks_.Refresh);
}

void Gen1Setup::readMeasFields() {
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

void Gen1Setup::ProcessVar2String() {
    MeasSettings& s = state_.meas;
    const std::string text = c_.txtVar2;
    readSteppingValues(text, s.dblVar2Min, s.dblVar2Max, s.dblVar2Def, s.dblVar2Values,
                       s.intVar2Count, [this](const std::string& m) { dialogs_.message(m); });
    UpdateMeasFields();
}

void Gen1Setup::CheckMeasFields() {
    MeasSettings& s = state_.meas;
    std::optional<SettingCorrection> c =
        correctVar1(s.dblVar1Start, s.dblVar1Stop, s.intVar1Nintv, s.dblVar1StartMin,
                    s.dblVar1StopMax, s.intVar1NintvDef, s.intVar1NintvMax);
    if (!c) {
        c = correctWithin(s.dblConst1, s.dblConst1Min, s.dblConst1Max, "Const1", "Const1");
    }
    if (!c && s.const2Used) {
        c = correctWithin(s.dblConst2, s.dblConst2Min, s.dblConst2Max, "Const2", "Const2");
    }
    if (!c) {
        c = correctWithin(s.dblDelay, s.dblDelayMin, s.dblDelayMax, "Dealy", "Delay");
    }
    if (c) {
        dialogs_.message(c->message);
    }
    UpdateMeasFields();
}

}  // namespace ostrino::gen1
