// The first-generation console's logic: set-up and its checks, graph settings, the sweep
// over the simulated instrument, aborting, faults, Store / Recall and the data file.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "common/numbers.h"
#include "console1/gen1_data_file.h"
#include "console1/gen1_protocol.h"
#include "sim/instrument_gen1.h"
#include "tests/console1/gen1_rig.h"
#include "tests/support/missing_port.h"
#include "tests/support/scoped_work_dir.h"

namespace ostrino::gen1 {
namespace {

using test::Gen1Rig;

// ------------------------------------------------------------------ set-up

TEST(Gen1Setup, EachTypeInstallsItsCaptionsDefaultsAndGraph) {
    struct Case {
        int type;
        const char *var1, *var2, *const1, *const2;
        const char *start, *stop, *var2Text, *c1, *c2, *delay;
        const char* xname;
        const char *xmin, *xmax, *xmajor, *xminor, *ymajor, *yminor;
        int xcol;
    };
    const Case cases[] = {
        {0, "Vgs", "Va", "Vs", "Vf", "-10", "0", "200", "200", "6.3", "0", "Control Grid (V)",
         "-10", "0", "10", "1", "6", "1", ResultMatrix::Vg},
        {1, "Vgs", "Va=Vs", "Vf", "", "-10", "0", "200", "6.3", "", "0", "Control Grid (V)", "-10",
         "0", "10", "1", "6", "1", ResultMatrix::Vg},
        {2, "Va", "Vgs", "Vs", "Vf", "20", "200", "-1", "200", "6.3", "0", "Anode Voltage (V)", "0",
         "200", "4", "5", "4", "4", ResultMatrix::Va},
        {3, "Va = Vs", "Vgs", "Vf", "", "20", "200", "-1", "6.3", "", "0",
         "Anode and Screen Grid (V)", "0", "200", "4", "5", "4", "4", ResultMatrix::Va},
        {4, "Vf", "Vgs", "Va", "Vs", "0", "6.3", "-1", "200", "200", "15", "Fillament (V)", "0",
         "7", "7", "1", "5", "5", ResultMatrix::Vf},
    };
    Gen1Rig rig;
    const Controls& c = rig.state.controls;
    for (const auto& k : cases) {
        // Settings made before are replaced by the defaults.
        rig.state.meas.dblVar1Start = 123;
        rig.state.meas.intVar2Count = 3;
        rig.console.cboMeasType_Click(k.type);
        SCOPED_TRACE(k.type);
        EXPECT_EQ(c.lblNameVar1, k.var1);
        EXPECT_EQ(c.lblNameVar2, k.var2);
        EXPECT_EQ(c.lblNameConst1, k.const1);
        EXPECT_EQ(c.const2Visible, std::string(k.const2) != "");
        if (c.const2Visible) {
            EXPECT_EQ(c.lblNameConst2, k.const2);
        }
        EXPECT_EQ(c.txtMeasStart, k.start);
        EXPECT_EQ(c.txtMeasStop, k.stop);
        EXPECT_EQ(c.txtMeasNintv, "10");
        EXPECT_EQ(c.txtVar2, k.var2Text);
        EXPECT_EQ(c.txtConst1, k.c1);
        EXPECT_EQ(c.txtConst2, k.c2);
        EXPECT_EQ(c.txtDelay, k.delay);
        EXPECT_EQ(rig.state.graph.strXname, k.xname);
        EXPECT_EQ(rig.state.graph.strYname, "Current (mA)");
        EXPECT_EQ(c.txtXmin, k.xmin);
        EXPECT_EQ(c.txtXmax, k.xmax);
        EXPECT_EQ(c.txtXmajor, k.xmajor);
        EXPECT_EQ(c.txtXminor, k.xminor);
        EXPECT_EQ(c.txtYmin, "0");
        EXPECT_EQ(c.txtYmax, "10");
        EXPECT_EQ(c.txtYmajor, k.ymajor);
        EXPECT_EQ(c.txtYminor, k.yminor);
        EXPECT_EQ(rig.state.graph.intXcol, k.xcol);
    }
    EXPECT_TRUE(rig.dialogs.messages.empty());
}

TEST(Gen1Setup, CheckMeasFieldsReportsAndCorrectsTheFirstViolation) {
    struct Case {
        int type;
        std::string Controls::*box;
        const char* typed;
        const char* message;  // empty: none
        std::string Controls::*shows;
        const char* corrected;
    };
    using C = Controls;
    const Case cases[] = {
        {0, &C::txtMeasStart, "5", "Var1 Start has to less than Stop value", &C::txtMeasStart,
         "-60"},
        {2, &C::txtMeasStop, "450", "Var1 Stop value has to be less than 400", &C::txtMeasStop,
         "400"},
        {0, &C::txtMeasStart, "-70", "Var1 Start value has to be larger than -60", &C::txtMeasStart,
         "-60"},
        {0, &C::txtMeasNintv, "0", "The number of steps in Var1 has to be larger than one",
         &C::txtMeasNintv, "10"},
        {0, &C::txtMeasNintv, "51", "The number of intervals in Var1 has to be smaller than 50",
         &C::txtMeasNintv, "10"},
        {0, &C::txtConst1, "10", "Const1 has to be larger than 20", &C::txtConst1, "20"},
        {0, &C::txtConst1, "500", "Const1 has to be less than 400", &C::txtConst1, "400"},
        {0, &C::txtConst2, "-1", "Const2 has to be larger than 0", &C::txtConst2, "0"},
        {0, &C::txtConst2, "25", "Const2 has to be less than 19", &C::txtConst2, "19"},
        {4, &C::txtDelay, "-1", "Dealy has to be larger than 0", &C::txtDelay, "0"},
        {4, &C::txtDelay, "61", "Delay has to be less than 60", &C::txtDelay, "60"},
        {4, &C::txtDelay, "2.5", "", &C::txtDelay, "2"},  // whole seconds, half to even
        {1, &C::txtConst2, "99", "", &C::txtConst2, ""},  // not used by this type
        {0, &C::txtMeasStart, "abc", "Start: \"abc\" is not a number; the previous value is kept.",
         &C::txtMeasStart, "-10"},
    };
    for (const auto& k : cases) {
        Gen1Rig rig;
        rig.console.cboMeasType_Click(k.type);
        rig.state.controls.*k.box = k.typed;
        rig.console.measField_Commit();
        SCOPED_TRACE(std::string(k.typed) + " / type " + std::to_string(k.type));
        if (std::string(k.message).empty()) {
            EXPECT_TRUE(rig.dialogs.messages.empty());
        } else {
            ASSERT_EQ(rig.dialogs.texts().size(), 1u);
            EXPECT_EQ(rig.dialogs.texts()[0], k.message);
            EXPECT_EQ(rig.dialogs.messages[0].icon, MessageIcon::Exclamation);
        }
        EXPECT_EQ(rig.state.controls.*k.shows, k.corrected);
    }
}

TEST(Gen1Setup, OneViolationPerCommit) {
    Gen1Rig rig;
    rig.state.controls.txtMeasNintv = "0";
    rig.state.controls.txtConst1 = "1000";
    rig.console.measField_Commit();
    EXPECT_EQ(rig.dialogs.texts(),
              std::vector<std::string>{"The number of steps in Var1 has to be larger than one"});
    rig.console.measField_Commit();
    EXPECT_EQ(rig.dialogs.texts().back(), "Const1 has to be less than 400");
    EXPECT_EQ(rig.state.meas.dblConst1, 400.0);
}

TEST(Gen1Setup, SteppingValues) {
    struct Case {
        int type;
        const char* typed;
        std::vector<std::string> messages;
        const char* shows;
        int count;
    };
    const Case cases[] = {
        {0, "100 abc 200", {"Stepping var contains non-numeric values"}, "100 200", 2},
        {2, "-70 -2", {"Stepping var has to be larger than -60"}, "-2", 1},
        {0, "500 150", {"Stepping var has to be smaller than 400"}, "150", 1},
        {0, "", {}, "200", 1},
        {0, "100  200", {"Stepping var contains non-numeric values"}, "100 200", 2},
        {2,
         "0 -1 -2 -3 -4 -5 -6 -7 -8 -9 -10 -11",
         {"Only the first 11 stepping values are used"},
         "0 -1 -2 -3 -4 -5 -6 -7 -8 -9 -10",
         11},
    };
    for (const auto& k : cases) {
        Gen1Rig rig;
        rig.console.cboMeasType_Click(k.type);
        rig.state.controls.txtVar2 = k.typed;
        rig.console.txtVar2_Commit();
        SCOPED_TRACE(k.typed);
        EXPECT_EQ(rig.dialogs.texts(), k.messages);
        EXPECT_EQ(rig.state.controls.txtVar2, k.shows);
        EXPECT_EQ(rig.state.meas.intVar2Count, k.count);
    }
}

// ------------------------------------------------------------------ graph settings

TEST(Gen1Graph, RangeAndTickChecks) {
    using Box = Console1::GraphBox;
    using C = Controls;
    struct Case {
        std::string C::*box;
        const char* typed;
        Box commit;
        const char* message;
        std::string C::*shows;
        const char* corrected;
    };
    const Case cases[] = {
        {&C::txtXmin, "5", Box::Xrange, "Xmin has to less than Xmax", &C::txtXmin, "-10"},
        {&C::txtXmax, "10", Box::Xrange, "Xmax has to be less than 0", &C::txtXmax, "0"},
        {&C::txtXmin, "-70", Box::Xrange, "Xmin has to be larger than -60", &C::txtXmin, "-10"},
        {&C::txtYmin, "20", Box::Yrange, "Ymin has to less than Ymax", &C::txtYmin, "0"},
        {&C::txtYmax, "250", Box::Yrange, "Ymax has to be less than 200", &C::txtYmax, "10"},
        {&C::txtYmin, "-1", Box::Yrange, "Ymin has to be larger than 0", &C::txtYmin, "0"},
        {&C::txtXmajor, "0", Box::Xticks, "Major ticks has to be >=1", &C::txtXmajor, "1"},
        {&C::txtXmajor, "11", Box::Xticks, "Minor ticks has to be =< 10", &C::txtXmajor, "10"},
        {&C::txtXminor, "0", Box::Xticks, "Minor ticks has to be >=1", &C::txtXminor, "1"},
        {&C::txtXminor, "12", Box::Xticks, "Minor ticks has to be =<10", &C::txtXminor, "10"},
        {&C::txtYmajor, "0", Box::Yticks, "Major ticks has to be >=1", &C::txtYmajor, "1"},
        {&C::txtYminor, "11", Box::Yticks, "Minor ticks has to be =<10", &C::txtYminor, "10"},
    };
    for (const auto& k : cases) {
        Gen1Rig rig;  // a grid sweep: x -60..0, y 0..200
        rig.state.controls.*k.box = k.typed;
        rig.console.graphField_Commit(k.commit);
        SCOPED_TRACE(k.typed);
        EXPECT_EQ(rig.dialogs.texts(), std::vector<std::string>{k.message});
        EXPECT_EQ(rig.state.controls.*k.shows, k.corrected);
        EXPECT_GE(rig.draws, 1);
    }
}

TEST(Gen1Graph, PresetsSetBothAxes) {
    struct Case {
        int preset;
        double xmax, ymax;
        int xmajor, xminor, ymajor, yminor;
    };
    const Case cases[] = {
        {1, 400, 200, 4, 4, 4, 4}, {2, 200, 10, 4, 4, 5, 2}, {3, 200, 1, 4, 4, 5, 2}};
    for (const auto& k : cases) {
        Gen1Rig rig;
        rig.console.cboMeasType_Click(2);  // an anode sweep: x up to 400
        rig.console.cmdPreset_Click(k.preset);
        const GraphSettings& g = rig.state.graph;
        EXPECT_EQ(g.dblXmin, 0);
        EXPECT_EQ(g.dblXmax, k.xmax);
        EXPECT_EQ(g.intXmajor, k.xmajor);
        EXPECT_EQ(g.intXminor, k.xminor);
        EXPECT_EQ(g.dblYmin, 0);
        EXPECT_EQ(g.dblYmax, k.ymax);
        EXPECT_EQ(g.intYmajor, k.ymajor);
        EXPECT_EQ(g.intYminor, k.yminor);
        EXPECT_TRUE(rig.dialogs.messages.empty());
        EXPECT_EQ(rig.state.controls.txtXmax, numberText(k.xmax));
    }
    // The last three do nothing.
    Gen1Rig rig;
    const GraphSettings before = rig.state.graph;
    for (int n = 4; n <= 6; ++n) {
        rig.console.cmdPreset_Click(n);
    }
    EXPECT_EQ(rig.state.graph.dblXmin, before.dblXmin);
    EXPECT_EQ(rig.state.graph.dblXmax, before.dblXmax);
    EXPECT_EQ(rig.state.graph.dblYmax, before.dblYmax);
    EXPECT_EQ(rig.draws, 0);
}

TEST(Gen1Graph, AnodePresetOnAGridSweepLeavesAUsableAxis) {
    Gen1Rig rig;  // x limits -60..0
    rig.console.cmdPreset_Click(1);
    EXPECT_EQ(rig.dialogs.texts(), std::vector<std::string>{"Xmax has to be less than 0"});
    // Not 0 to 0: the whole default range comes back.
    EXPECT_EQ(rig.state.graph.dblXmin, -10);
    EXPECT_EQ(rig.state.graph.dblXmax, 0);
    EXPECT_EQ(rig.state.graph.dblYmax, 200);
}

// ------------------------------------------------------------------ the sweep

TEST(Gen1Sweep, LinearAndLogarithmicPoints) {
    MeasSettings s;
    s.dblVar1Start = 0;
    s.dblVar1Stop = 99;
    s.intVar1Nintv = 2;
    EXPECT_NEAR(var1Value(s, 0, true), 0, 1e-9);
    EXPECT_NEAR(var1Value(s, 1, true), 9, 1e-9);
    EXPECT_NEAR(var1Value(s, 2, true), 99, 1e-9);
    EXPECT_NEAR(var1Value(s, 1, false), 49.5, 1e-12);

    Gen1Rig rig;
    rig.console.cboMeasType_Click(2);  // Va swept, Vgs stepped
    MeasSettings& m = rig.state.meas;
    m.dblVar1Start = 0;
    m.dblVar1Stop = 99;
    m.intVar1Nintv = 2;
    rig.state.controls.chkMeasLog = true;
    EXPECT_EQ(rig.console.ComposeMatrix(), 3);
    const ResultMatrix& r = rig.state.result;
    EXPECT_NEAR(r(0, ResultMatrix::Va), 0, 1e-9);
    EXPECT_NEAR(r(1, ResultMatrix::Va), 9, 1e-9);
    EXPECT_NEAR(r(2, ResultMatrix::Va), 99, 1e-9);
    EXPECT_EQ(r(3, ResultMatrix::Curve), 0);
}

TEST(Gen1Sweep, ComposedRowsCarryTheirCurveAndVoltages) {
    Gen1Rig rig;
    rig.console.cboMeasType_Click(3);  // Va = Vs swept, Vgs stepped, Vf constant
    rig.state.controls.txtVar2 = "-1 -2 -3";
    rig.console.txtVar2_Commit();
    EXPECT_EQ(rig.console.ComposeMatrix(), 33);
    const ResultMatrix& r = rig.state.result;
    for (int row = 0; row < 33; ++row) {
        const int curve = row / 11 + 1;
        EXPECT_EQ(r(row, ResultMatrix::Curve), -curve);
        EXPECT_DOUBLE_EQ(r(row, ResultMatrix::Va), 20 + 18 * (row % 11));
        EXPECT_DOUBLE_EQ(r(row, ResultMatrix::Vs), r(row, ResultMatrix::Va));
        EXPECT_EQ(r(row, ResultMatrix::Vg), -curve);
        EXPECT_EQ(r(row, ResultMatrix::Vf), 6.3);
    }
    EXPECT_EQ(r(33, ResultMatrix::Curve), 0);
}

TEST(Gen1Sweep, MoreThan200PointsAreCutWithAMessage) {
    Gen1Rig rig;
    rig.console.cboMeasType_Click(2);
    rig.state.controls.txtVar2 = "0 -1 -2 -3 -4 -5 -6 -7 -8 -9 -10";
    rig.state.controls.txtMeasNintv = "50";
    rig.console.txtVar2_Commit();
    ASSERT_TRUE(rig.dialogs.messages.empty());
    EXPECT_EQ(rig.console.ComposeMatrix(), 200);
    EXPECT_EQ(
        rig.dialogs.texts(),
        std::vector<std::string>{"The sweep has 561 points; only the first 200 are measured."});
    EXPECT_EQ(rig.state.result(199, ResultMatrix::Curve), -4);
    EXPECT_EQ(rig.state.result(200, ResultMatrix::Curve), 0);
}

// The currents the simulated instrument's valve draws at a point, found independently of
// the console: a fresh instrument is told the same relays and point.
double expectedMa(const sim::SimOptions& options, const std::string& relay,
                  const std::string& point, bool screen) {
    sim::InstrumentGen1 inst(options);
    for (const std::string& cmd : {relay, point}) {
        for (char ch : cmd) {
            inst.receive(ch, 0.0);
        }
    }
    return screen ? inst.screenMa() : inst.anodeMa();
}

TEST(Gen1Sweep, HeaterOnThenAFullSweepMeasuresTheValve) {
    Gen1Rig rig;
    rig.heaterOn();
    EXPECT_EQ(rig.commands, std::vector<std::string>{"40000000000000006A"});
    EXPECT_EQ(rig.state.intMeasStat, kHeaterOn);
    EXPECT_EQ(rig.state.controls.cmdMeasStartCaption, "Measure Curve");

    const double start = rig.clock.now();
    rig.measure();
    // Towards 0 V both currents go past their ranges, which is said once at the end.
    ASSERT_EQ(rig.dialogs.messages.size(), 1u);
    EXPECT_EQ(
        rig.dialogs.texts()[0].rfind("Ia and Is were at full scale on the curve Va = 200.", 0), 0u);
    // The relays settle for a second before the first point.
    EXPECT_GE(rig.clock.now() - start, 1.0);
    const auto relays = rig.commandsOf("00");
    ASSERT_EQ(relays, std::vector<std::string>{"000000000000000034"});
    const auto points = rig.commandsOf("10");
    ASSERT_EQ(points.size(), 11u);
    EXPECT_TRUE(rig.commandsOf("20").empty());
    EXPECT_EQ(rig.measuredPoints(), 11);

    const ResultMatrix& r = rig.state.result;
    for (int row = 0; row < 11; ++row) {
        SCOPED_TRACE(row);
        const auto k = static_cast<std::size_t>(row);
        EXPECT_EQ(points[k],
                  pointString("10", 200, 200, -10 + row, 6.3, kGridRLow));  // Va, Vs, Vg, Vf
        // One converter count is 0.023 mA on the anode and 0.005 mA on the screen range;
        // beyond 19.95 mA and 4.44 mA the converters are at full scale.
        const double ia = expectedMa({}, relays[0], points[k], false);
        EXPECT_NEAR(r(row, ResultMatrix::Ia), std::min(ia, 19.9505), 0.03);
        const double is = expectedMa({}, relays[0], points[k], true);
        EXPECT_NEAR(r(row, ResultMatrix::Is), std::min(is, 4.4383), 0.006);
        EXPECT_EQ(r(row, ResultMatrix::Curve), 1);
    }
    // A triode conducts more as the grid goes up towards 0 V.
    EXPECT_GT(r(0, ResultMatrix::Ia), 0.5);
    EXPECT_LT(r(0, ResultMatrix::Ia), r(3, ResultMatrix::Ia));
    EXPECT_LT(r(3, ResultMatrix::Ia), r(6, ResultMatrix::Ia));

    EXPECT_EQ(rig.state.intMeasStat, kHeaterOn);
    EXPECT_EQ(rig.state.controls.cmdMeasStartCaption, "Measure Curve");
    EXPECT_TRUE(rig.state.controls.cmdMeasStartEnabled);
    EXPECT_FALSE(rig.state.controls.lblMeasuringVisible);
    // The graph grows with every point.
    EXPECT_GE(rig.draws, 11);
    // The fields of the last result are shown.
    EXPECT_EQ(rig.state.controls.com.lblStat, "3");  // both currents over-range at 0 V
    EXPECT_EQ(rig.state.controls.com.lblStr[1].size(), 4u);
}

TEST(Gen1Sweep, AlternativeRangesSwitchTheRelaysAndTheDecoding) {
    Gen1Rig rig;
    rig.console.cboMeasType_Click(2);  // an anode sweep at -1 V: up to some 25 mA
    rig.state.controls.chkIa20mA = true;
    rig.state.controls.chkIs5mA = true;
    rig.state.controls.txtMeasStop = "400";
    rig.console.measField_Commit();
    rig.heaterOn();
    rig.measure();
    const auto relays = rig.commandsOf("00");
    ASSERT_EQ(relays, std::vector<std::string>{"000000000000000037"});
    const auto points = rig.commandsOf("10");
    ASSERT_EQ(points.size(), 11u);
    const double last = rig.state.result(10, ResultMatrix::Ia);
    EXPECT_GT(last, 20.0);  // beyond the normal range, measured in the wide one
    EXPECT_NEAR(last, expectedMa({}, relays[0], points[10], false), 0.4);
}

TEST(Gen1Sweep, RangeBoxTickedDuringARunDoesNotRescaleItsPoints) {
    struct Case {
        bool anodeAlt, screenAlt;  // what the relays are set to at the start
        const char* relay;
        double iaFull, isFull;    // the converters' full scale in mA
        double iaCount, isCount;  // one converter count in mA
    };
    const Case cases[] = {{false, false, "000000000000000034", 19.9505, 4.4383, 0.03, 0.006},
                          {true, true, "000000000000000037", 267.3, 48.82, 0.4, 0.07}};
    for (const auto& k : cases) {
        SCOPED_TRACE(k.relay);
        sim::SimOptions options;
        options.measureTime = 0.5;  // each point takes half a second
        Gen1Rig rig(options);
        rig.state.controls.chkIa20mA = k.anodeAlt;
        rig.state.controls.chkIs5mA = k.screenAlt;
        rig.heaterOn();
        const double t0 = rig.clock.now();
        // Relays settle 0..1 s, then a point every 0.5 s: both boxes flip after point 3.
        rig.clock.at(t0 + 2.8, [&] {
            rig.state.controls.chkIa20mA = !k.anodeAlt;
            rig.state.controls.chkIs5mA = !k.screenAlt;
        });
        rig.measure();
        // Nothing but the full-scale report of the normal ranges.
        ASSERT_EQ(rig.dialogs.messages.size(), k.anodeAlt ? 0u : 1u);
        ASSERT_EQ(rig.commandsOf("00"), std::vector<std::string>{k.relay});
        const auto points = rig.commandsOf("10");
        ASSERT_EQ(points.size(), 11u);
        for (std::size_t row = 0; row < points.size(); ++row) {
            SCOPED_TRACE(row);
            const int r = static_cast<int>(row);
            const double ia = expectedMa(options, k.relay, points[row], false);
            const double is = expectedMa(options, k.relay, points[row], true);
            EXPECT_NEAR(rig.state.result(r, ResultMatrix::Ia), std::min(ia, k.iaFull), k.iaCount);
            EXPECT_NEAR(rig.state.result(r, ResultMatrix::Is), std::min(is, k.isFull), k.isCount);
        }
    }
}

TEST(Gen1Sweep, GridSweepToMinus20UsesTheHighGridResistorForEveryPoint) {
    Gen1Rig rig;
    rig.state.controls.txtMeasStart = "-20";
    rig.console.measField_Commit();
    rig.heaterOn();
    rig.measure();
    ASSERT_EQ(rig.dialogs.messages.size(), 1u);  // the currents at 0 V read full scale
    EXPECT_NE(rig.dialogs.texts()[0].find("at full scale"), std::string::npos);
    EXPECT_TRUE(rig.console.highGrid());
    EXPECT_EQ(rig.commandsOf("00"), std::vector<std::string>{"000000000000000030"});
    const auto points = rig.commandsOf("10");
    ASSERT_EQ(points.size(), 11u);
    for (std::size_t k = 0; k < points.size(); ++k) {
        const double vg = -20 + 2.0 * static_cast<double>(k);
        // Also the points above -15 V (-14 V ... 0 V) use R = 14601.
        EXPECT_EQ(points[k].substr(10, 4), hexField(gridCode(vg, 14601.0))) << vg;
    }
    EXPECT_EQ(points.back().substr(10, 4), "03B1");  // 0 V on the high range
    // The simulated instrument, told the high range, applied the grid voltages asked for.
    EXPECT_NEAR(rig.port.instrument().gridVolts(), 0.0, 0.1);

    // A sweep that stays above -15 V keeps the low range.
    Gen1Rig low;
    low.heaterOn();
    low.measure();
    EXPECT_FALSE(low.console.highGrid());
    EXPECT_EQ(low.commandsOf("00"), std::vector<std::string>{"000000000000000034"});
    EXPECT_EQ(low.commandsOf("10").back().substr(10, 4), "030E");
}

TEST(Gen1Sweep, SteppedGridBelowMinus15AlsoSelectsTheHighRange) {
    Gen1Rig rig;
    rig.console.cboMeasType_Click(2);
    rig.state.controls.txtVar2 = "-1 -20";
    rig.state.controls.txtMeasNintv = "1";
    rig.console.txtVar2_Commit();
    rig.heaterOn();
    rig.measure();
    EXPECT_EQ(rig.commandsOf("00"), std::vector<std::string>{"000000000000000030"});
    const auto points = rig.commandsOf("10");
    ASSERT_EQ(points.size(), 4u);
    EXPECT_EQ(points[0].substr(10, 4), hexField(gridCode(-1, kGridRHigh)));
    EXPECT_NEAR(rig.port.instrument().gridVolts(), -20.0, 0.1);
}

TEST(Gen1Sweep, DelaySendsThePointFirstAndWaits) {
    Gen1Rig rig;
    rig.console.cboMeasType_Click(4);  // heater sweep, 15 s per point
    rig.state.controls.txtMeasNintv = "2";
    rig.console.measField_Commit();
    rig.heaterOn();
    // The heater starts at the sweep's first point.
    EXPECT_EQ(rig.commands.back(), "400000000000000000");
    const double start = rig.clock.now();
    rig.measure();
    const auto set = rig.commandsOf("20");
    const auto measure = rig.commandsOf("10");
    ASSERT_EQ(set.size(), 3u);
    ASSERT_EQ(measure.size(), 3u);
    for (std::size_t k = 0; k < 3; ++k) {
        EXPECT_EQ(set[k].substr(2), measure[k].substr(2));
    }
    EXPECT_EQ(measure[2].substr(14, 4), hexField(heaterCode(6.3)));
    EXPECT_GE(rig.clock.now() - start, 1.0 + 3 * 15.0);
    EXPECT_LT(rig.clock.now() - start, 1.0 + 3 * 15.0 + 1.0);
    // No emission at 0 V, plenty at the nominal 6.3 V.
    EXPECT_LT(rig.state.result(0, ResultMatrix::Ia), 0.05);
    EXPECT_GT(rig.state.result(2, ResultMatrix::Ia), 0.5);
}

TEST(Gen1Sweep, AbortDuringTheDelayDropsThatPoint) {
    Gen1Rig rig;
    rig.console.cboMeasType_Click(4);  // 15 s before each point
    rig.heaterOn();
    // Relays 0..1 s; point 1 from 1 s to 16 s, point 2 waits from 16 s.
    rig.clock.at(rig.clock.now() + 20.0, [&] { rig.console.cmdMeasStop_Click(); });
    rig.measure();
    EXPECT_EQ(rig.commandsOf("20").size(), 2u);
    // Measured without its full pre-conditioning it would be a wrong point.
    EXPECT_EQ(rig.commandsOf("10").size(), 1u);
    EXPECT_EQ(rig.measuredPoints(), 1);
    EXPECT_EQ(rig.state.intMeasStat, kHeaterOn);
    EXPECT_TRUE(rig.state.controls.cmdMeasStartEnabled);
}

TEST(Gen1Sweep, AbortStopsAfterTheCurrentPointAndAgainSwitchesTheHeaterOff) {
    Gen1Rig rig;
    rig.state.controls.chkDebug = true;  // a 3 s pause after each measure command
    rig.heaterOn();
    // Relays settle 0..1 s; point 1 pauses 1..4 s, point 2 from 4 s: abort during it.
    const double t0 = rig.clock.now();
    bool finishing = false;
    rig.clock.at(t0 + 5.5, [&] {
        rig.console.cmdMeasStop_Click();
        // The point goes on; the start button waits for it.
        const Controls& c = rig.state.controls;
        finishing = c.cmdMeasStartCaption == "Measure Curve" && !c.cmdMeasStartEnabled;
    });
    // Pressed again before the point is done: no new run starts, and the heater command
    // waits until the point's exchange is over.
    rig.clock.at(t0 + 5.6, [&] {
        rig.console.cmdMeasStart_Click();
        rig.console.cmdMeasStop_Click();
        EXPECT_EQ(rig.commandsOf("40").size(), 1u) << "a heater command cut into the point";
    });
    rig.measure();
    EXPECT_TRUE(rig.dialogs.messages.empty());
    EXPECT_TRUE(finishing);
    EXPECT_EQ(rig.commandsOf("10").size(), 2u);
    EXPECT_EQ(rig.measuredPoints(), 2);
    EXPECT_EQ(rig.state.result(2, ResultMatrix::Curve), -1);  // composed, not measured
    // The debug view showed the last exchange.
    EXPECT_EQ(rig.state.controls.com.lblStringSend, rig.commands.back());
    EXPECT_EQ(rig.commands.back(), "400000000000000000");
    EXPECT_EQ(rig.commandsOf("10").back(), rig.commands[rig.commands.size() - 2]);
    EXPECT_EQ(rig.state.intMeasStat, kHeaterOff);
    EXPECT_EQ(rig.state.controls.cmdMeasStartCaption, "Turn on Filament");
    EXPECT_TRUE(rig.state.controls.cmdMeasStartEnabled);
}

TEST(Gen1Sweep, AbortOnceStopsAfterTheCurrentPointAndKeepsTheHeaterOn) {
    Gen1Rig rig;
    rig.state.controls.chkDebug = true;
    rig.heaterOn();
    const double t0 = rig.clock.now();
    rig.clock.at(t0 + 5.5, [&] { rig.console.cmdMeasStop_Click(); });
    rig.measure();
    EXPECT_EQ(rig.measuredPoints(), 2);
    EXPECT_EQ(rig.state.intMeasStat, kHeaterOn);
    EXPECT_EQ(rig.state.controls.cmdMeasStartCaption, "Measure Curve");
    EXPECT_EQ(rig.commandsOf("40").size(), 1u);  // the heater stays on
    rig.console.cmdMeasStop_Click();
    EXPECT_EQ(rig.commands.back(), "400000000000000000");
    EXPECT_EQ(rig.state.intMeasStat, kHeaterOff);
}

TEST(Gen1Sweep, ClosingTheWindowDuringARunSendsNothingMore) {
    Gen1Rig rig;
    rig.heaterOn();
    rig.clock.at(rig.clock.now() + 0.5, [&] { rig.console.shutDown(); });
    rig.measure();
    EXPECT_TRUE(rig.dialogs.messages.empty());
    EXPECT_FALSE(rig.port.isOpen());
    EXPECT_TRUE(rig.commandsOf("10").empty());
    EXPECT_EQ(rig.commandsOf("40").size(), 1u);  // no heater command on closing
    const std::size_t wire = rig.port.wire().size();
    rig.console.cmdMeasStart_Click();
    rig.console.cmdMeasStop_Click();
    rig.console.SndEsc();
    EXPECT_EQ(rig.port.wire().size(), wire);
}

// ------------------------------------------------------------------ faults

TEST(Gen1Faults, TransportFaultsShowTheirMessageOnce) {
    struct Case {
        const char* what;
        sim::FaultKind kind;
        int after;     // commands answered normally first
        int position;  // character of the fault
        std::vector<std::string> messages;
        double secondsAtLeast;  // the time-out that ran
        int state;
    };
    const std::string notOn =
        "The filament was not turned on due to a communication error with the Ostrino";
    const std::string aborted =
        "The measurement was aborted due to a communication problem with the Ostrino";
    const std::string relais =
        "The range relais may not have been set properly due to a communication problem with "
        "the Ostrino";
    const Case cases[] = {
        {"wrong echo on the heater command",
         sim::FaultKind::WrongEcho,
         0,
         4,
         {"Error, Ostrino echoed the wrong character", notOn},
         0.0,
         kHeaterOff},
        {"silent on the heater command",
         sim::FaultKind::Silent,
         0,
         1,
         {"Error, Ostrino failed to echo character in reasonable time", notOn},
         3.0,
         kHeaterOff},
        {"relay command not echoed",
         sim::FaultKind::Silent,
         1,
         7,
         {"Error, Ostrino failed to echo character in reasonable time", relais, aborted},
         3.0,
         kHeaterOn},
        {"result cut after 20 characters",
         sim::FaultKind::TruncatedResult,
         4,
         20,
         {"Error, The result string from the Ostrino was interrupted", aborted},
         30.0,
         kHeaterOn},
        {"garbled result",
         sim::FaultKind::BadGainIndex,
         2,
         1,
         {"Error, Ostrino sent a result that cannot be read (field 2 \"0X28\" is not "
          "hexadecimal)",
          aborted},
         0.0,
         kHeaterOn},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.what);
        sim::SimOptions options;
        options.fault = k.kind;
        options.faultAfterCommands = k.after;
        options.faultPosition = k.position;
        Gen1Rig rig(options);
        const double start = rig.clock.now();
        rig.heaterOn();
        if (rig.state.intMeasStat == kHeaterOn) {
            rig.measure();
        }
        EXPECT_EQ(rig.dialogs.texts(), k.messages);
        EXPECT_GE(rig.clock.now() - start, k.secondsAtLeast);
        EXPECT_LT(rig.clock.now() - start, k.secondsAtLeast + 2.5);
        EXPECT_EQ(rig.state.intMeasStat, k.state);
        EXPECT_EQ(rig.measuredPoints(), k.kind == sim::FaultKind::TruncatedResult ? 2 : 0);
    }
}

TEST(Gen1Faults, WrongEchoLeavesTheRestOfTheCommandUnsentAndTheNextStartsWithEsc) {
    sim::SimOptions options;
    options.fault = sim::FaultKind::WrongEcho;
    options.faultPosition = 4;
    Gen1Rig rig(options);
    rig.heaterOn();
    EXPECT_EQ(rig.port.wire(), "4000");
    rig.port.instrument().setCommandListener(nullptr);
    rig.heaterOn();
    // The esc character drops what the instrument holds of the broken command.
    EXPECT_EQ(rig.port.wire().substr(4, 1), std::string(1, kEscChar));
    EXPECT_EQ(rig.port.wire().substr(5), "4000");
}

TEST(Gen1Faults, ALateResultIsDroppedAfterAFaultEvenWhenEscWasPressed) {
    sim::SimOptions options;
    options.measureTime = 40.0;  // beyond the 30 s a result character may take
    Gen1Rig rig(options);
    rig.heaterOn();
    rig.measure();
    ASSERT_EQ(rig.dialogs.texts(),
              (std::vector<std::string>{
                  "Error, The result string from the Ostrino was interrupted",
                  "The measurement was aborted due to a communication problem with the Ostrino"}));
    ASSERT_EQ(rig.state.intMeasStat, kHeaterOn);
    rig.clock.advance(15.0);  // the result arrives after all
    ASSERT_EQ(rig.port.charsWaiting(), kResultLength);

    rig.console.SndEsc();
    rig.console.cmdMeasStop_Click();  // the heater off: its echoes are not the stale result
    EXPECT_EQ(rig.dialogs.messages.size(), 2u) << rig.dialogs.texts().back();
    EXPECT_EQ(rig.commands.back(), "400000000000000000");
    EXPECT_EQ(rig.state.intMeasStat, kHeaterOff);
    EXPECT_EQ(rig.port.charsWaiting(), 0);
}

TEST(Gen1Faults, APortThatCannotBeOpenedIsReported) {
    ostrino::test::FakeClock clock;
    ostrino::test::ScriptedDialogs dialogs;
    Gen1State state;
    ostrino::test::MissingPort port;
    Console1 console(state, port, clock, dialogs);
    console.Form_Load();
    state.controls.cboComNumber = 2;
    console.cmdMeasStart_Click();
    EXPECT_EQ(port.opened, 3);
    // One message: the operation's, and the reason as a sentence of its own.
    EXPECT_EQ(dialogs.texts(),
              std::vector<std::string>{
                  "The filament was not turned on due to a communication error with the "
                  "Ostrino.\n\nThe serial port COM3 could not be opened (/dev/ttyUSB2: No such "
                  "file or directory)."});
    EXPECT_EQ(state.intMeasStat, kHeaterOff);
    EXPECT_EQ(port.writes, 0);
    EXPECT_LT(clock.now(), 0.1);  // no time-out was waited for
}

TEST(Gen1Faults, APortThatCannotBeOpenedSaysWhatToDo) {
    ostrino::test::FakeClock clock;
    ostrino::test::ScriptedDialogs dialogs;
    Gen1State state;
    ostrino::test::MissingPort port;
    port.devices = {{"/dev/ttyUSB1", "CP2102 USB to UART Bridge Controller", 0x10c4, 0xea60}};
    Console1 console(state, port, clock, dialogs);
    console.Form_Load();
    console.cmdMeasStart_Click();  // COM1 is not there, but the adapter is COM2
    port.fault = ostrino::OpenFault::Busy;
    port.reason = "Device or resource busy";
    console.SndEsc();
    EXPECT_EQ(dialogs.texts(),
              (std::vector<std::string>{
                  "The filament was not turned on due to a communication error with the "
                  "Ostrino.\n\nThe serial port COM1 could not be opened (/dev/ttyUSB0: No such "
                  "file or directory). The only USB serial adapter here is /dev/ttyUSB1 (CP2102 "
                  "USB to UART Bridge Controller, USB 10c4:ea60): choose port 2.",
                  "Error, the serial port COM1 could not be opened (/dev/ttyUSB0: Device or "
                  "resource busy).\n\nAnother program holds the port; close that program and "
                  "try again."}));
}

// ------------------------------------------------------------------ the link buttons

TEST(Gen1Link, EscIsTheApostropheWithoutEchoCheckAndCloseClosesThePort) {
    Gen1Rig rig;
    rig.console.SndEsc();
    EXPECT_TRUE(rig.port.isOpen());
    EXPECT_EQ(rig.port.wire(), "'");
    EXPECT_TRUE(rig.dialogs.messages.empty());
    rig.console.cmdCloseCom_Click();
    EXPECT_FALSE(rig.port.isOpen());
    rig.heaterOn();  // opens it again
    EXPECT_TRUE(rig.port.isOpen());
    EXPECT_EQ(rig.port.openCount(), 2);
}

// ------------------------------------------------------------------ full scale

// A grid sweep of an ECC82 on Va = 100 V and 250 V with the screen supply at 200 V: the
// anode current goes past the normal range (19.95 mA) only on the 250 V curve, the
// screen current past its 4.44 mA on both.
Gen1Rig& fullScaleSweep(Gen1Rig& rig, bool anodeAlt, bool screenAlt) {
    rig.state.controls.txtVar2 = "100 250";
    rig.console.txtVar2_Commit();
    rig.state.controls.chkIa20mA = anodeAlt;
    rig.state.controls.chkIs5mA = screenAlt;
    rig.heaterOn();
    rig.measure();
    return rig;
}

const std::string kNotMeasurements =
    ". The points marked with a triangle in the graph are beyond the converter's range and are "
    "not measurements.";

TEST(Gen1FullScale, ASweepSaysOnceWhichCurvesReadFullScale) {
    struct Case {
        bool anodeAlt, screenAlt;
        std::vector<std::string> messages;
    };
    const Case cases[] = {
        {false,
         false,
         {"Ia was at full scale on the curve Va = 250, Is on the curves Va = 100 and 250" +
          kNotMeasurements +
          " The wider ranges \"Ia > 20 mA\" and \"Is > 5 mA\" would measure them."}},
        {true,
         false,
         {"Is was at full scale on the curves Va = 100 and 250" + kNotMeasurements +
          " The wider range \"Is > 5 mA\" would measure them."}},
        {false,
         true,
         {"Ia was at full scale on the curve Va = 250" + kNotMeasurements +
          " The wider range \"Ia > 20 mA\" would measure them."}},
        {true, true, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.anodeAlt) + std::to_string(c.screenAlt));
        Gen1Rig rig;
        fullScaleSweep(rig, c.anodeAlt, c.screenAlt);
        ASSERT_EQ(rig.measuredPoints(), 22);
        EXPECT_EQ(rig.dialogs.texts(), c.messages);
        // The flagged points are exactly those that read as the converters' full scale.
        const ResultMatrix& r = rig.state.result;
        for (int row = 0; row < 22; ++row) {
            SCOPED_TRACE(row);
            EXPECT_EQ(r.atFullScale(row, ResultMatrix::Ia),
                      !c.anodeAlt && r(row, ResultMatrix::Ia) > 19.94);
            EXPECT_EQ(r.atFullScale(row, ResultMatrix::Is),
                      !c.screenAlt && r(row, ResultMatrix::Is) > 4.43);
        }
    }

    // The last point (0 V) is shown in the "Communication" frame; the next sweep says it again.
    Gen1Rig rig;
    fullScaleSweep(rig, false, false);
    EXPECT_EQ(rig.state.controls.com.lblFullScale, "Ia, Is at full scale");
    rig.measure();
    EXPECT_EQ(rig.dialogs.messages.size(), 2u);
}

// ------------------------------------------------------------------ store, recall, save

TEST(Gen1Store, StoreCopiesTheRunAndRecallToggles) {
    Gen1Rig rig;
    rig.heaterOn();
    rig.measure();
    rig.console.cmdStore_Click();
    EXPECT_EQ(rig.state.stored.cells, rig.state.result.cells);
    const double storedIa = rig.state.stored(10, ResultMatrix::Ia);

    rig.state.controls.txtVar2 = "100";
    rig.console.txtVar2_Commit();
    rig.measure();
    EXPECT_EQ(rig.state.stored(10, ResultMatrix::Ia), storedIa);  // untouched by the new run
    EXPECT_LT(rig.state.result(10, ResultMatrix::Ia), storedIa);

    rig.draws = 0;
    rig.console.cmdRecall_Click();
    EXPECT_TRUE(rig.state.controls.showStored);
    EXPECT_EQ(rig.state.controls.cmdRecallCaption, "Dismiss");
    EXPECT_EQ(rig.draws, 1);
    rig.console.cmdRecall_Click();
    EXPECT_FALSE(rig.state.controls.showStored);
    EXPECT_EQ(rig.state.controls.cmdRecallCaption, "Recall");
}

// Two curves of two points, the second curve's second point not measured.
ResultMatrix sample() {
    ResultMatrix m;
    const double rows[][7] = {
        {1, 1.234, 0.45, 6.3, -2, 100, 100},
        {1, 5.678, 1.2, 6.3, -2, 200, 200},
        {2, 0.5, -0.25, 6.3, -4, 100, 100},
        {-2, 0, 0, 6.3, -4, 200, 200},
    };
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 7; ++c) {
            m(r, c) = rows[r][c];
        }
    }
    return m;
}

const std::string kHeader =
    "Point    Curve     Ia (mA)        Is (mA)       Vg (V)          Va (V)         Vs (V)    "
    "     Vf (V)\r\n";

TEST(Gen1Save, DataFileLayoutByteForByte) {
    const std::string expected =
        kHeader +
        "1        1          1.23           .45           -2              100            100     "
        "       6.3 \r\n"
        "2        1          5.68           1.2           -2              200            200     "
        "       6.3 \r\n"
        "1        2          .5            -.25           -4              100            100     "
        "       6.3 \r\n";
    EXPECT_EQ(dataFileText(sample()), expected);
    EXPECT_EQ(dataFileText(ResultMatrix{}), kHeader);

    // A full matrix ends at row 200.
    ResultMatrix full;
    for (int r = 0; r < 200; ++r) {
        full(r, ResultMatrix::Curve) = 1 + r / 100;
    }
    const std::string text = dataFileText(full);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 201);
    EXPECT_NE(text.find("\r\n100      2 "), std::string::npos);
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(Gen1FullScale, DataFileKeepsItsLayout) {
    ostrino::test::ScopedWorkDir dir;
    Gen1Rig rig;
    fullScaleSweep(rig, false, false);
    ASSERT_TRUE(rig.console.saveDataTo("run.osd"));
    const std::string text = readFile("run.osd");
    // The last point (0 V on the 250 V curve) read both converters' full scale and is written
    // as any other: tab stops 1, 10, 20, 35, 50, 65, 80 and 95, a blank in place of a sign.
    const std::string last =
        "11       2          19.95          4.44           0              250            "
        "200            6.3 \r\n";
    ASSERT_GE(text.size(), last.size());
    EXPECT_EQ(text.substr(text.size() - last.size()), last);
    EXPECT_EQ(text.rfind(kHeader, 0), 0u);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1 + 22);
}

TEST(Gen1Save, SaveDataAsksForAFileAndWritesItWhole) {
    ostrino::test::ScopedWorkDir dir;
    Gen1Rig rig;
    rig.state.result = sample();

    rig.console.cmdSave_Click();  // cancelled: nothing
    ASSERT_EQ(rig.dialogs.fileRequests.size(), 1u);
    EXPECT_EQ(rig.dialogs.fileRequests[0].filter, "Ostrino datafile (*.osd)|*.osd");
    EXPECT_TRUE(rig.dialogs.fileRequests[0].save);
    EXPECT_TRUE(rig.dialogs.fileRequests[0].promptOverwrite);
    EXPECT_TRUE(std::filesystem::is_empty("."));

    rig.dialogs.fileNames.push_back("run.osd");
    rig.console.cmdSave_Click();
    EXPECT_EQ(readFile("run.osd"), dataFileText(sample()));
    EXPECT_TRUE(rig.dialogs.messages.empty());

    // A folder that does not exist: a message, and nothing written anywhere.
    rig.dialogs.fileNames.push_back("missing/run.osd");
    rig.console.cmdSave_Click();
    ASSERT_EQ(rig.dialogs.messages.size(), 1u);
    EXPECT_NE(rig.dialogs.texts()[0].find("The file missing/run.osd cannot be written"),
              std::string::npos);
    EXPECT_FALSE(std::filesystem::exists("missing"));
}

}  // namespace
}  // namespace ostrino::gen1
