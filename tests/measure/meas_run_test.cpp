#include "measure/meas_run.h"

#include <gtest/gtest.h>

#include <cmath>

#include "tests/support/sweep_rig.h"

namespace ostrino {
namespace {

using Rig = test::SweepRig;

// The 18-character commands of a stretch of wire (a result answers every "10").
std::vector<std::string> commands(const std::string& wire) {
    std::vector<std::string> out;
    for (std::size_t i = 0; i + 18 <= wire.size(); i += 18) {
        out.push_back(wire.substr(i, 18));
    }
    return out;
}

TEST(Matrix, TypeZeroDefaults) {
    Rig r;
    r.run.ComposeMatrix();
    for (int i = 0; i < 11; ++i) {
        EXPECT_EQ(r.curve(i), -1);
        EXPECT_DOUBLE_EQ(r.state.dblMeasMatrix(i, MeasMatrix::Vg), -10.0 + i);
        EXPECT_DOUBLE_EQ(r.state.dblMeasMatrix(i, MeasMatrix::Va), 200.0);
        EXPECT_DOUBLE_EQ(r.state.dblMeasMatrix(i, MeasMatrix::Vs), 200.0);
        EXPECT_DOUBLE_EQ(r.state.dblMeasMatrix(i, MeasMatrix::Vh), 6.3);
    }
    EXPECT_EQ(r.curve(11), 0);
}

TEST(Matrix, LogSpacing) {
    Rig r;
    r.selectType(2);  // Va from 2 to 200 in 30 intervals
    r.model.chkMeasLog = true;
    r.run.ComposeMatrix();
    const auto& m = r.state.dblMeasMatrix;
    EXPECT_DOUBLE_EQ(m(0, MeasMatrix::Va), 2.0);
    EXPECT_NEAR(m(30, MeasMatrix::Va), 200.0, 1e-9);
    EXPECT_NEAR(m(1, MeasMatrix::Va), 2.0 + std::exp(std::log(199.0) / 30) - 1.0, 1e-12);
    EXPECT_LT(m(1, MeasMatrix::Va) - m(0, MeasMatrix::Va),
              m(30, MeasMatrix::Va) - m(29, MeasMatrix::Va));
}

TEST(Matrix, UltralinearAndSchadeFormulas) {
    Rig r;
    r.selectType(10);
    r.state.meas.dblVar2Values = {100, 200, 300};
    r.state.meas.intVar2Count = 3;
    r.state.meas.dblConst1 = 0.5;
    r.run.ComposeMatrix();
    const auto& m = r.state.dblMeasMatrix;
    EXPECT_DOUBLE_EQ(m(0, MeasMatrix::Va), 100.0);
    EXPECT_DOUBLE_EQ(m(0, MeasMatrix::Vs), 200.0);
    EXPECT_DOUBLE_EQ(m(22, MeasMatrix::Va), 300.0);
    EXPECT_DOUBLE_EQ(m(22, MeasMatrix::Vs), 300.0);

    Rig s;
    s.selectType(12);
    s.state.meas.dblVar1Start = 200.0;
    s.state.meas.dblVar1Stop = 300.0;
    s.state.meas.dblVar2Values[0] = -10.0;
    s.state.meas.dblConst2 = 0.1;
    s.run.ComposeMatrix();
    EXPECT_DOUBLE_EQ(s.state.dblMeasMatrix(0, MeasMatrix::Vg), 0.0);  // 11 V, clipped
    ASSERT_EQ(s.dialogs.messages.size(), 1u);
    EXPECT_EQ(s.dialogs.messages[0].text,
              "The maximum grid voltage was clipped to 0V, reduce feedback.");
}

TEST(Matrix, AtMostAThousandPoints) {
    Rig r;
    r.state.meas.intVar2Count = 21;
    for (int k = 0; k < 21; ++k) {
        r.state.meas.dblVar2Values[static_cast<std::size_t>(k)] = 100.0 + k;
    }
    r.state.meas.intVar1Nintv = 100;
    r.run.ComposeMatrix();
    EXPECT_EQ(r.curve(999), -10);  // 9 whole curves of 101 points, the 10th cut at 91
    EXPECT_EQ(r.curve(1000), -1);  // the stored block is not touched

    r.heaterOnAt19V();
    const std::size_t mark = r.port.wire().size();
    r.state.intMeasStat = kMeasuring;
    r.run.DoMeasurement();
    EXPECT_EQ(r.curve(999), 10);
    EXPECT_EQ(r.state.intMeasStat, kHeaterOn);
    const auto cmds = commands(r.wireSince(mark));
    ASSERT_FALSE(cmds.empty());
    EXPECT_EQ(cmds.back(), endSweepString());
}

// The electrode voltages each type puts on the valve, written out once more from the
// table of roles, so that a column mixed up anywhere between the settings and the wire shows.
struct Electrodes {
    double vh, vg, vs, va;
};
Electrodes expectedElectrodes(int type, double x1, double x2, const MeasSettings& s, double vamax) {
    const double c1 = s.dblConst1, c2 = s.dblConst2;
    switch (type) {
        case 0:
            return {c2, x1, c1, x2};
        case 1:
            return {c1, x1, x2, x2};
        case 2:
            return {c2, x2, c1, x1};
        case 3:
            return {c2, c1, x2, x1};
        case 4:
            return {c1, x2, x1, x1};
        case 5:
            return {c2, x2, x1, c1};
        case 6:
            return {c2, c1, x1, x2};
        case 7:
            return {c2, c1, x2, x1};
        case 8:
            return {x1, x2, c2, c1};
        case 9:
            return {x1, c1, c2, x2};
        case 10:
            return {c2, x1, x2 + (1 - c1) * (vamax - x2), x2};
        case 11:
            return {c2, x2, x1 + (1 - c1) * (s.dblVar1Stop - x1), x1};
        default:
            return {s.dblHeaterSave, std::min(0.0, x2 + c2 * (x1 - x2)), c1, x1};
    }
}

TEST(Sweep, EveryTypePutsItsRolesOnTheRightElectrodes) {
    for (int type = 0; type <= 12; ++type) {
        Rig r;
        r.selectType(type);
        auto& s = r.state.meas;
        // Two curves of three points, each value distinct so that a swap shows.
        const bool gridStep = s.dblVar2Min < 0;
        s.dblVar2Values = {gridStep ? -3.0 : 150.0, gridStep ? -1.5 : 250.0};
        s.intVar2Count = 2;
        s.intVar1Nintv = 2;
        if (type == 8 || type == 9) {
            s.dblVar1Start = 2.0;  // heater sweep 2 .. 6.3 V
        }
        if (type == 3 || type == 6 || type == 7 || type == 9) {
            s.dblConst1 = -4.0;  // a grid constant
        }
        if (type == 10 || type == 11) {
            s.dblConst1 = 0.4;
        }
        if (type == 12) {
            s.dblConst2 = 0.005;  // the grid stays below 0 V
        }
        r.run.ComposeMatrix();
        const MeasMatrix composed = r.state.dblMeasMatrix;
        struct Seen {
            double vh, vg, vs, va;
        };
        std::vector<Seen> seen;
        const auto& inst = r.port.instrument();
        r.hooks.DrawPicture = [&] {
            seen.push_back(
                {inst.heaterVolts(), inst.gridVolts(), inst.screenVolts(), inst.anodeVolts()});
        };
        r.heaterOnAt19V();
        seen.clear();
        r.state.intMeasStat = kMeasuring;
        r.run.DoMeasurement();
        ASSERT_EQ(seen.size(), 6u) << "type " << type;
        ASSERT_TRUE(r.dialogs.messages.empty()) << "type " << type;
        const double vamax = std::max({0.0, s.dblVar2Values[0], s.dblVar2Values[1]});
        const auto& m = composed;
        for (int i = 0; i < 6; ++i) {
            const double x1 = s.dblVar1Start + (i % 3) * (s.dblVar1Stop - s.dblVar1Start) / 2;
            const double x2 = s.dblVar2Values[static_cast<std::size_t>(i / 3)];
            const Electrodes e = expectedElectrodes(type, x1, x2, s, vamax);
            const std::string where =
                "type " + std::to_string(type) + " point " + std::to_string(i);
            EXPECT_NEAR(m(i, MeasMatrix::Vh), e.vh, 1e-9) << where;
            EXPECT_NEAR(m(i, MeasMatrix::Vg), e.vg, 1e-9) << where;
            EXPECT_NEAR(m(i, MeasMatrix::Vs), e.vs, 1e-9) << where;
            EXPECT_NEAR(m(i, MeasMatrix::Va), e.va, 1e-9) << where;
            // What the instrument applied, within its converters' steps.
            const auto& v = seen[static_cast<std::size_t>(i)];
            EXPECT_NEAR(v.vh, e.vh, 0.25) << where;
            EXPECT_NEAR(v.vg, e.vg, 0.06) << where;
            EXPECT_NEAR(v.vs, e.vs, 1.0) << where;
            EXPECT_NEAR(v.va, e.va, 1.0) << where;
        }
    }
}

TEST(Heater, RampSendsTenStepsToTheFirstPointsHeaterVoltage) {
    struct Case {
        int type;
        double expectedTarget;
    };
    // Heater sweeps ramp to the start of Var1; the others to the heater constant.
    for (const Case c : {Case{0, 6.3}, Case{8, 0.0}, Case{9, 0.0}, Case{1, 6.3}, Case{12, 6.3}}) {
        Rig r;
        r.selectType(c.type);
        if (c.type == 8 || c.type == 9) {
            r.state.meas.dblVar1Start = 4.0;
        }
        const double target = c.type == 8 || c.type == 9 ? 4.0 : c.expectedTarget;
        const double t0 = r.clock.now();
        r.heaterOnAt19V();
        EXPECT_NEAR(r.clock.now() - t0, 10.0, 0.2);
        EXPECT_EQ(r.state.intMeasStat, kHeaterOn);
        EXPECT_EQ(r.state.progressBar1, 100);
        const auto cmds = commands(r.port.wire());
        ASSERT_EQ(cmds.size(), 10u);
        for (int step = 1; step <= 10; ++step) {
            EXPECT_EQ(cmds[static_cast<std::size_t>(step - 1)],
                      heaterString(heaterCode(step * 10 * target / 100.0, 19.0)))
                << "type " << c.type << " step " << step;
        }
    }
}

TEST(Heater, SwitchingOffSendsZeroAndKeepsTheCurves) {
    Rig r;
    r.heaterOnAt19V();
    r.state.intMeasStat = kMeasuring;
    r.run.DoMeasurement();
    ASSERT_EQ(r.curve(10), 1);
    const std::size_t mark = r.port.wire().size();
    r.run.cmdMeasStop_Click();  // state 4: heater off
    EXPECT_EQ(r.state.intMeasStat, kGround);
    EXPECT_EQ(r.wireSince(mark), heaterString(0));
    EXPECT_EQ(r.curve(10), 1);  // the measured points are still there
    EXPECT_EQ(r.curve(11), 0);
    EXPECT_EQ(r.model.cmdMeasStartCaption, "Heater on!");
}

TEST(Sweep, TypeZeroOnTheWireAndInTheMatrix) {
    Rig r;
    r.model.chkBeep = true;
    r.heaterOnAt19V();
    const std::size_t mark = r.port.wire().size();
    const int drawsBefore = r.draws;
    r.run.cmdMeasStart_Click();  // state 4: measure
    const auto cmds = commands(r.wireSince(mark));
    ASSERT_EQ(cmds.size(), 13u);  // settings, 11 points, end of sweep
    EXPECT_EQ(cmds[0], "00000000008F400808");
    EXPECT_EQ(cmds[1], "10027F027F00CD0070");   // Va 200, Vs 200, Vg -10, Vh 6.3 on 19 V
    EXPECT_EQ(cmds[11], "10027F027F00000070");  // Vg 0
    EXPECT_EQ(cmds[12], endSweepString());
    for (int i = 0; i <= 10; ++i) {
        EXPECT_EQ(r.curve(i), 1);
    }
    EXPECT_EQ(r.curve(11), 0);
    // A warm ECC82 at 200 V conducts more the less negative the grid.
    const auto& m = r.state.dblMeasMatrix;
    EXPECT_LT(m(2, MeasMatrix::Ia), m(10, MeasMatrix::Ia));
    EXPECT_GT(m(10, MeasMatrix::Ia), 5.0);
    EXPECT_EQ(r.draws - drawsBefore, 11);  // once per point
    EXPECT_EQ(r.state.intMeasStat, kHeaterOn);
    EXPECT_EQ(r.model.cmdMeasStartCaption, "Measure Curve");
    ASSERT_EQ(r.beeper.beeps.size(), 2u);
    EXPECT_EQ(r.beeper.beeps[0].hz, 2000);
    EXPECT_EQ(r.beeper.beeps[0].ms, 150);
    EXPECT_TRUE(r.dialogs.messages.empty());
}

TEST(Sweep, DelayPreconditionsEveryPointAndZeroSendsNoApplyString) {
    for (double delay : {0.0, 2.0}) {
        Rig r;
        r.state.meas.dblDelay = delay;
        r.heaterOnAt19V();
        const std::size_t mark = r.port.wire().size();
        const double t0 = r.clock.now();
        r.state.intMeasStat = kMeasuring;
        r.run.DoMeasurement();
        int apply = 0;
        for (const auto& c : commands(r.wireSince(mark))) {
            apply += c.rfind("20", 0) == 0 ? 1 : 0;
        }
        EXPECT_EQ(apply, delay > 0 ? 11 : 0);
        EXPECT_GE(r.clock.now() - t0, 11 * delay);
    }
}

TEST(Sweep, AbortDuringADelay) {
    Rig r;
    r.state.meas.dblDelay = 5.0;
    r.model.chkBeep = true;
    r.heaterOnAt19V();
    const std::size_t mark = r.port.wire().size();
    const double abortAt = r.clock.now() + 2.5;
    double abortedAt = 0.0;
    r.clock.at(abortAt, [&] {
        r.run.cmdMeasStop_Click();
        abortedAt = r.clock.now();
    });
    double waitEnded = 0.0;
    r.hooks.DrawPicture = [&] { waitEnded = r.clock.now(); };
    r.state.intMeasStat = kMeasuring;
    r.run.DoMeasurement();
    EXPECT_LT(abortedAt - abortAt, 0.11);
    // The point in its delay is still measured, then the sweep ends.
    EXPECT_LT(waitEnded - abortedAt, 0.2);
    const auto cmds = commands(r.wireSince(mark));
    ASSERT_GE(cmds.size(), 3u);
    EXPECT_EQ(cmds.back(), endSweepString());
    EXPECT_EQ(r.state.intMeasStat, kHeaterOn);
    EXPECT_TRUE(r.beeper.beeps.empty());
    EXPECT_EQ(r.curve(0), 1);
    EXPECT_EQ(r.curve(1), -1);
}

TEST(Sweep, FaultMidSweepKeepsStoredAndMeasuredPoints) {
    sim::SimOptions o;
    o.fault = sim::FaultKind::Silent;
    o.faultAfterCommands = 10 + 1 + 4;  // ramp, settings, four points
    o.faultPosition = 1;
    Rig r(o);
    auto& m = r.state.dblMeasMatrix;
    m(1000, MeasMatrix::Curve) = 1.0;  // a stored curve
    m(1000, MeasMatrix::Ia) = 3.5;
    m(1001, MeasMatrix::Curve) = 0.0;
    r.heaterOnAt19V();
    r.state.intMeasStat = kMeasuring;
    r.run.DoMeasurement();
    EXPECT_EQ(r.state.intMeasStat, kGround);
    EXPECT_FALSE(r.link.portOpen());
    ASSERT_EQ(r.dialogs.messages.size(), 2u);
    EXPECT_EQ(r.dialogs.messages[1].text, kConnectionMessage);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(r.curve(i), 1);
    }
    EXPECT_EQ(r.curve(4), 0);
    EXPECT_EQ(r.curve(1000), 1);
    EXPECT_DOUBLE_EQ(m(1000, MeasMatrix::Ia), 3.5);
    EXPECT_EQ(r.curve(2000), -1);
    EXPECT_EQ(r.model.cmdMeasStartCaption, "Heater on!");
}

TEST(Sweep, InterruptedResultDoesNotCountAsMeasured) {
    sim::SimOptions o;
    o.fault = sim::FaultKind::TruncatedResult;
    o.faultAfterCommands = 10 + 1 + 2;
    o.faultPosition = 20;
    Rig r(o);
    r.heaterOnAt19V();
    r.state.intMeasStat = kMeasuring;
    r.run.DoMeasurement();
    EXPECT_EQ(r.curve(1), 1);
    EXPECT_EQ(r.curve(2), 0);  // the broken point ends the kept data
    EXPECT_EQ(r.state.intMeasStat, kGround);
}

TEST(Run, ButtonStateTable) {
    Rig r;
    struct Step {
        int state;
        bool start;  // else stop
        int expected;
    };
    // Clicks with no long operation behind them.
    for (const Step s : {Step{1, true, 2}, Step{1, false, 3}, Step{2, true, 2}, Step{3, false, 3},
                         Step{5, true, 5}, Step{5, false, 4}, Step{0, false, 0}}) {
        r.state.intMeasStat = s.state;
        if (s.start) {
            r.run.cmdMeasStart_Click();
        } else {
            r.run.cmdMeasStop_Click();
        }
        EXPECT_EQ(r.state.intMeasStat, s.expected) << s.state << (s.start ? " start" : " stop");
    }
    r.state.intMeasStat = kMeasuring;
    r.run.CommandUpdate();
    EXPECT_EQ(r.model.cmdMeasStartCaption, "In Progress ...");
    EXPECT_FALSE(r.model.cmdMeasStartEnabled);
    EXPECT_FALSE(r.model.cmdMeasStartVisible);
    EXPECT_TRUE(r.model.lblInProgressVisible);
    r.state.intMeasStat = 9;
    r.run.CommandUpdate();
    EXPECT_EQ(r.model.cmdMeasStartCaption, "In Progress ...");  // unknown states change nothing
}

TEST(Run, HeaterOnPingsThenRampsAndCanBeCutShort) {
    Rig r;
    r.clock.at(3.5, [&] { r.run.cmdMeasStart_Click(); });  // "Heating ..." pressed again
    r.run.cmdMeasStart_Click();
    EXPECT_EQ(r.state.intMeasStat, kHeaterOn);
    EXPECT_LT(r.clock.now(), 5.0);
    EXPECT_NEAR(r.state.dblVsupply, 19.47, 0.03);
    const auto cmds = commands(r.port.wire());
    // settings + ping (+ its result), three steps, then the full heater voltage at once
    EXPECT_EQ(cmds.front(), settingsString(8, 8, 6, 0));
    EXPECT_EQ(r.port.wire().substr(r.port.wire().size() - 18),
              heaterString(heaterCode(6.3, r.state.dblVsupply)));
}

TEST(Run, ClosingTheWindowMidSweepEndsItQuietly) {
    sim::SimOptions o;
    o.lineRate = true;  // about 77 ms a point
    Rig r(o);
    r.heaterOnAt19V();
    r.clock.at(r.clock.now() + 0.3, [&] { r.run.shutDown(); });
    r.state.intMeasStat = kMeasuring;
    r.run.DoMeasurement();
    const std::string wire = r.port.wire();
    EXPECT_FALSE(r.link.portOpen());
    EXPECT_TRUE(r.dialogs.messages.empty());
    EXPECT_NE(wire.substr(wire.size() - 18), endSweepString());
    // Nothing reopens the port.
    EXPECT_EQ(r.link.SndString(pingString()).error, LinkError::NotOpen);
    EXPECT_EQ(r.port.wire(), wire);
}

}  // namespace
}  // namespace ostrino
