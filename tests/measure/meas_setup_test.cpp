// Measurement types, their defaults and limits, and the entry boxes of the set-up frame.

#include "measure/meas_setup.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/numbers.h"
#include "tests/support/scripted_dialogs.h"

namespace ostrino {
namespace {

using Texts = std::vector<std::string>;
using Numbers = std::vector<double>;

class MeasSetupTest : public ::testing::Test {
  protected:
    MeasSetupTest() {
        for (auto [hook, name] : {std::pair{&Form1Hooks::ClearCurves, "ClearCurves"},
                                  {&Form1Hooks::UpdateGraphFields, "UpdateGraphFields"},
                                  {&Form1Hooks::ReadGraphFields, "ReadGraphFields"},
                                  {&Form1Hooks::CheckGraphFields, "CheckGraphFields"},
                                  {&Form1Hooks::DrawPicture, "DrawPicture"},
                                  {&Form1Hooks::Refresh, "Refresh"}}) {
            hooks.*hook = [this, name = std::string(name)] { calls.push_back(name); };
        }
    }

    void select(int type) {
        model.cboMeasType = type;
        setup.cboMeasType_Click();
        calls.clear();
        dialogs.messages.clear();
    }
    void commit(std::string Form1Model::*box, const std::string& text) {
        model.*box = text;
        setup.ProcessFields();
    }
    Numbers var2() const {
        const auto& v = state.meas.dblVar2Values;
        return {v.begin(), v.begin() + state.meas.intVar2Count};
    }

    ConsoleState state;
    Form1Model model;
    test::ScriptedDialogs dialogs;
    Form1Hooks hooks;
    MeasSetup setup{state, model, dialogs, hooks};
    Texts calls;
};

constexpr double kVmax = 300, kVhMax = 19.5, kHeat = 6.3;

// limits: Var1 start def/min, stop def/max, intervals def; Var2, Const1, Const2 def/min/max;
// delay def. Types 1 and 4 hide Const2 and keep what the type before (0 and 3 here) installed.
// graph: x column, stepping column, x range, x limits, x divisions and default divisions, upper end
// of the y axes.
struct TypeRow {
    const char* name;
    Texts captions;  // Var1, padded Var1, Var2, Const1, Const2 (empty when hidden)
    Numbers limits;
    const char* xName;
    Numbers graph;
};
// clang-format off
const TypeRow kTypes[] = {
    {"I (Vg , Va) with Vs, Vh constant", {"Vg", "   Vg", "Va", "Vs", "Vh"},
     {-10, -50, 0, 0, 10, 200, 2, kVmax, 200, 2, kVmax, kHeat, 0, kVhMax, 0}, "Control Grid (V)", {4, 6, -10, 0, -60, 0, 10, 6, 10}},
    {"I (Vg , Va=Vs) with Vh constant", {"Vg", "   Vg", "Va=Vs", "Vh", ""},
     {-10, -50, 0, 0, 10, 200, 2, kVmax, kHeat, 0, kVhMax, kHeat, 0, kVhMax, 0}, "Control Grid (V)", {4, 6, -10, 0, -60, 0, 10, 6, 10}},
    {"I (Va , Vg) with Vs, Vh constant", {"Va", "  Va", "Vg", "Vs", "Vh"},
     {2, 2, 200, kVmax, 30, -1, -50, 0, 200, 2, kVmax, kHeat, 0, kVhMax, 0}, "Anode Voltage (V)", {6, 4, 0, 200, 0, 400, 4, 4, 200}},
    {"I (Va , Vs) with Vg, Vh constant", {"Va", "  Va", "Vs", "Vg", "Vh"},
     {2, 2, 200, kVmax, 30, 200, 2, kVmax, -10, -50, 0, kHeat, 0, kVhMax, 0}, "Anode Voltage (V)", {6, 5, 0, 200, 0, 400, 4, 4, 200}},
    {"I (Va=Vs , Vg) with Vh constant", {"Va = Vs", "  Va = Vs", "Vg", "Vh", ""},
     {2, 2, 200, kVmax, 10, -1, -50, 0, kHeat, 0, kVhMax, kHeat, 0, kVhMax, 0}, "Anode and Screen (V)", {6, 4, 0, 200, 0, 400, 4, 4, 10}},
    {"I (Vs , Vg) with Va, Vh constant", {"Vs", "  Vs", "Vg", "Va", "Vh"},
     {2, 2, 200, kVmax, 10, -1, -50, 0, 200, 2, kVmax, kHeat, 0, kVhMax, 0}, "Screen (V)", {5, 4, 0, 200, 0, 400, 4, 4, 10}},
    {"I (Vs , Va) with Vg, Vh constant (+Vg mode)", {"+Vg", " +Vg", "Va", "Vg", "Vh"},
     {2, 2, 50, kVmax, 10, 200, 2, kVmax, 0, -50, 0, kHeat, 0, kVhMax, 0}, "Positive Grid (V)", {5, 6, 0, 200, 0, 400, 4, 4, 10}},
    {"I (Va , Vs) with Vg, Vh constant (+Vg mode)", {"Va", "  Va", "+Vg", "Vg", "Vh"},
     {2, 2, 200, kVmax, 30, 10, 2, kVmax, 0, -50, 0, kHeat, 0, kVhMax, 0}, "Anode Voltage (V)", {6, 5, 0, 200, 0, 400, 4, 4, 200}},
    {"I (Vh , Vg) with Va, Vs constant", {"Vh", "  Vh", "Vg", "Va", "Vs"},
     {0, 0, 6.3, kVhMax, 10, -1, -50, 0, 200, 2, kVmax, 200, 2, kVmax, 1}, "Heater (V)", {3, 4, 0, 7, 0, 20, 7, 5, 10}},
    {"I (Vh , Va) with Vg, Vs constant", {"Vh", "  Vh", "Va", "Vg", "Vs"},
     {0, 0, 6.3, kVhMax, 10, 200, 2, kVmax, 0, -50, 0, 200, 2, kVmax, 1}, "Heater (V)", {3, 6, 0, 7, 0, 20, 7, 5, 10}},
    {"I (Vg , Va) with Vs=UL(Va,k), Vh constant", {"Vg", "   Vg", "Va", "k", "Vh"},
     {-10, -50, 0, 0, 10, 200, 2, kVmax, 0.5, 0, 1, kHeat, 0, kVhMax, 0}, "Control Grid (V)", {4, 6, -10, 0, -60, 0, 10, 6, 10}},
    {"I (Va , Vg) with Vs=UL(Va,k), Vh constant", {"Va", "  Va", "Vg", "k", "Vh"},
     {2, 2, 200, kVmax, 30, -1, -50, 0, 0.5, 0, 1, kHeat, 0, kVhMax, 0}, "Anode Voltage (V)", {6, 4, 0, 200, 0, 400, 4, 4, 200}},
    {"I (Va , Vg) with Vs, Vh constant (Schade FB)", {"Va", "  Va", "Vg", "Vs", "SFB"},
     {2, 2, 200, kVmax, 30, -1, -50, 0, 200, 2, kVmax, 0.001, 0.000001, 1, 0}, "Anode Voltage (V)", {6, 4, 0, 200, 0, 400, 4, 4, 200}},
};
// clang-format on

TEST_F(MeasSetupTest, EveryTypeInstallsItsCaptionsLimitsAndGraph) {
    ASSERT_EQ(std::size(kTypes), MeasSetup::measTypeNames().size());
    for (int type = 0; type < MeasSetup::kMeasTypeCount; ++type) {
        const TypeRow& r = kTypes[type];
        SCOPED_TRACE(r.name);
        model.chkMeasLog = true;  // these must give way to the new type
        state.blnCompliance = true;
        state.meas.intVar2Count = 3;
        select(type);

        const MeasSettings& s = state.meas;
        const GraphSettings& g = state.graph;
        EXPECT_STREQ(MeasSetup::measTypeNames()[static_cast<std::size_t>(type)], r.name);
        EXPECT_EQ(Texts({model.lblNameVar1, model.txtNameVar1, model.lblNameVar2,
                         model.lblNameConst1, model.txtConst2Visible ? model.lblNameConst2 : ""}),
                  r.captions);
        EXPECT_EQ(Numbers({s.dblVar1StartDef, s.dblVar1StartMin, s.dblVar1StopDef, s.dblVar1StopMax,
                           double(s.intVar1NintvDef), s.dblVar2Def, s.dblVar2Min, s.dblVar2Max,
                           s.dblConst1Def, s.dblConst1Min, s.dblConst1Max, s.dblConst2Def,
                           s.dblConst2Min, s.dblConst2Max, s.dblDelayDef}),
                  r.limits);
        EXPECT_EQ(Numbers({double(s.intVar1NintvMax), s.dblDelayMin, s.dblDelayMax}),
                  Numbers({100, 0, 300}));
        EXPECT_EQ(var2(), Numbers({r.limits[5]}));

        EXPECT_EQ(g.strXname, r.xName);
        EXPECT_EQ(Numbers({double(g.intXcol), double(setup.steppingColumn()), g.dblXmin, g.dblXmax,
                           g.dblXminLimit, g.dblXmaxLimit, double(g.intXmajor),
                           double(g.intXmajorDefault), g.dblY1max}),
                  r.graph);
        EXPECT_EQ(Numbers({g.dblXminDefault, g.dblXmaxDefault}), Numbers({r.graph[2], r.graph[3]}));
        const double yUpper = r.graph[8];
        EXPECT_EQ(
            Numbers({g.dblY1min, double(g.intY1major), g.dblY1minDefault, g.dblY1maxDefault,
                     double(g.intY1majorDefault), g.dblY2min, g.dblY2max, double(g.intY2major),
                     g.dblY2minDefault, g.dblY2maxDefault, double(g.intY2majorDefault)}),
            Numbers({0, 10, 0, 200, 4, 0, yUpper, 10, 0, 200, 4}));
        EXPECT_FALSE(model.chkMeasLog);
        EXPECT_FALSE(state.blnCompliance);
    }
}

// A hidden second constant installs nothing: it takes the default of the type before.
TEST_F(MeasSetupTest, HiddenSecondConstantKeepsThePreviousTypesDefault) {
    for (const int hidden : {1, 4}) {
        select(12);  // SFB 0.001
        select(hidden);
        EXPECT_FALSE(model.txtConst2Visible);
        EXPECT_EQ(Numbers({state.meas.dblConst2, state.meas.dblConst2Def, state.meas.dblConst2Min,
                           state.meas.dblConst2Max}),
                  Numbers({0.001, 0.001, 0.000001, 1}))
            << hidden;
        EXPECT_EQ(model.txtConst2, "0.001") << hidden;
    }
}

TEST_F(MeasSetupTest, UnknownTypeInstallsNothingButResetsTheSettings) {
    select(2);
    state.meas.dblVar1Start = 50;
    state.meas.intMeasType = 13;
    setup.SelectMeas();
    EXPECT_EQ(model.lblNameVar1, "Va");
    EXPECT_EQ(state.meas.dblVar1Start, 2);
    EXPECT_EQ(model.txtMeasStart, "2");
    EXPECT_EQ(calls, Texts({"ClearCurves", "Refresh", "UpdateGraphFields", "DrawPicture"}));
}

TEST_F(MeasSetupTest, VoltageLimitsFollowHardwareAndHeaterSupply) {
    struct Case {
        int version;
        bool extHeater;
        double vMax, vhMax;
    } cases[] = {{1, false, 300, 19.5}, {2, false, 400, 19.5}, {2, true, 400, 30}};
    for (const Case& c : cases) {
        state.cal.intVersion = c.version;
        state.chkExtVheat = c.extHeater;
        state.dblVheatExt = 30;
        select(8);
        EXPECT_EQ(Numbers({setup.vMax(), setup.vhMax(), state.meas.dblConst1Max,
                           state.meas.dblVar1StopMax}),
                  Numbers({c.vMax, c.vhMax, c.vMax, c.vhMax}));
        EXPECT_EQ(model.txtVheat, "30");
    }

    state.cal.intVersion = 2;
    select(2);
    commit(&Form1Model::txtMeasStop, "400");
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(state.meas.dblVar1Stop, 400);
}

TEST_F(MeasSetupTest, EachLimitHasItsMessageAndCorrection) {
    struct Case {
        std::string Form1Model::*box;
        std::string typed, message, shown;
    } cases[] = {
        {&Form1Model::txtMeasStart, "5", "Var1 Start has to less than Stop value", "-50"},
        {&Form1Model::txtMeasStop, "5", "Var1 Stop value has to be less than 0", "0"},
        {&Form1Model::txtMeasStart, "-60", "Var1 Start value has to be larger than -50", "-50"},
        {&Form1Model::txtMeasNintv, "0", "The number of steps in Var1 has to be larger than one",
         "10"},
        {&Form1Model::txtMeasNintv, "101",
         "The number of intervals in Var1 has to be smaller than 100", "10"},
        {&Form1Model::txtConst1, "1.5", "Const1 has to be larger than 2", "2"},
        {&Form1Model::txtConst1, "301", "Const1 has to be less than 300", "300"},
        {&Form1Model::txtDelay, "-1", "Dealy has to be larger than 0", "0"},
        {&Form1Model::txtDelay, "301", "Delay has to be less than 300", "300"},
        {&Form1Model::txtVheat, "0.5", "Heater voltage has to be at least 1V ", "19.5"},
        {&Form1Model::txtVheat, "41", "Heater voltage must be less than 40V", "19.5"},
        {&Form1Model::txtConst2, "-0.5", "Const2 has to be larger than 0", "0"},
        {&Form1Model::txtConst2, "20", "Const2 has to be less than 19.5", "19.5"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        select(0);
        commit(c.box, c.typed);
        EXPECT_EQ(dialogs.texts(), Texts({c.message}));
        EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Exclamation);
        EXPECT_EQ(model.*c.box, c.shown);
        EXPECT_EQ(calls, Texts({"ReadGraphFields", "Refresh", "CheckGraphFields", "DrawPicture"}));
    }

    state.cal.intVersion = 1;
    select(2);
    model.txtMeasStart = "150";
    commit(&Form1Model::txtMeasStop, "100");
    EXPECT_EQ(dialogs.texts(), Texts({"Var1 Start has to less than Stop value"}));
    EXPECT_EQ(Texts({model.txtMeasStart, model.txtMeasStop}), Texts({"2", "300"}));
    commit(&Form1Model::txtMeasStop, "350");
    EXPECT_EQ(dialogs.texts().back(), "Var1 Stop value has to be less than 300");
    EXPECT_EQ(state.meas.dblVar1Stop, 300);
}

TEST_F(MeasSetupTest, OneViolationPerCheckAndNoneForAHiddenConstant) {
    select(0);
    model.txtConst1 = "500";
    commit(&Form1Model::txtMeasStart, "5");
    EXPECT_EQ(dialogs.texts(), Texts({"Var1 Start has to less than Stop value"}));
    EXPECT_EQ(state.meas.dblConst1, 500);
    setup.CheckMeasFields();
    EXPECT_EQ(dialogs.texts().back(), "Const1 has to be less than 300");

    select(1);
    commit(&Form1Model::txtConst2, "-5");
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(calls, Texts({"ReadGraphFields", "CheckGraphFields", "DrawPicture"}));
}

TEST_F(MeasSetupTest, HeaterConstantCarriesOverToTheNextType) {
    select(0);
    model.txtMeasStart = "5";  // a violation does not stop the heater voltage being kept
    commit(&Form1Model::txtConst2, "12.6");
    select(2);
    EXPECT_EQ(model.txtConst2, "12.6");

    select(1);  // heater as the first constant
    commit(&Form1Model::txtConst1, "5");
    select(12);  // "SFB" and "Vs" are no heater voltages
    commit(&Form1Model::txtConst2, "0.5");
    select(8);
    setup.ProcessFields();
    select(0);
    EXPECT_EQ(model.txtConst2, "5");
}

TEST_F(MeasSetupTest, SteppingText) {
    std::string many;  // 23 values 10 .. 32
    Numbers first21;
    for (int v = 10; v <= 32; ++v) {
        many += (v > 10 ? " " : "") + std::to_string(v);
        if (v <= 30) {
            first21.push_back(v);
        }
    }
    const std::string nonNumeric = "Stepping var contains non-numeric values";
    struct Case {
        int type;
        std::string text;
        Texts messages;
        Numbers values;
        std::string shown;
    } cases[] = {
        {0, "100 abc 200", {nonNumeric}, {100, 200}, "100 200"},
        {2, "-60 -2", {"Stepping var has to be larger than -50"}, {-2}, "-2"},
        {0, "", {}, {200}, "200"},
        {0, "100  150 ", {nonNumeric, nonNumeric}, {100, 150}, "100 150"},
        {0, "x 301", {nonNumeric, "Stepping var has to be smaller than 300"}, {200}, "200"},
        {0, many, {"Only the first 21 stepping values are used"}, first21, many.substr(0, 62)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        select(c.type);
        model.txtVar2 = c.text;
        setup.ProcessVar2String();
        EXPECT_EQ(dialogs.texts(), c.messages);
        EXPECT_EQ(var2(), c.values);
        EXPECT_EQ(model.txtVar2, c.shown);
    }
}

TEST_F(MeasSetupTest, EntriesAreReadAsNumbersOrKeepTheirValues) {
    select(0);
    model.txtDelay = "2.5";
    commit(&Form1Model::txtMeasNintv, "11.5");
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(Numbers({state.meas.dblDelay, double(state.meas.intVar1Nintv)}), Numbers({2, 12}));

    select(0);
    model.txtMeasStart = "abc";
    model.txtMeasNintv = "100000";
    model.txtDelay = "-40000";
    model.txtConst1 = "";
    commit(&Form1Model::txtVheat, "1,5");
    const std::string kept = "; the previous value is kept.";
    const std::string range = "\" is out of range (whole numbers -32768 to 32767)" + kept;
    EXPECT_EQ(dialogs.texts(),
              Texts({"Const1 (Vs): \"\" is not a number" + kept, "Delay: \"-40000" + range,
                     "Intervals: \"100000" + range, "Start: \"abc\" is not a number" + kept,
                     "Heater supply: \"1,5\" is not a number" + kept}));
    EXPECT_EQ(Numbers({state.meas.dblVar1Start, double(state.meas.intVar1Nintv),
                       state.meas.dblDelay, state.meas.dblConst1, state.dblVheatExt}),
              Numbers({-10, 10, 0, 200, 19.5}));
}

}  // namespace
}  // namespace ostrino
