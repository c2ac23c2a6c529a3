// The triode quick test without its window: entry rules, set points, the run against the
// simulated double triode, the analysis and the report.

#include "quicktest/quick_triode.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "sim/valve_models.h"
#include "tests/quicktest/quick_rig.h"
#include "tests/support/scoped_work_dir.h"

namespace ostrino {
namespace {

using Rig = test::QuickTestRig;
using test::labelNumber;

// ---- entry fields -------------------------------------------------------------------------

struct FieldCase {
    const char* what;
    int version;
    std::vector<std::pair<int, const char*>> entries;  // code and text, in order
    double va1, va1Proc, va1Step;
    double vg, vgProc, vgStep;
    int warnings;
};

TEST(TriodeFields, LimitsAndSwingRules) {
    const FieldCase cases[] = {
        {"300 V with 10 % on 300 V hardware", 1, {{21, "300"}}, 300, 0, 0, -10, 10, 1, 1},
        {"the same on 400 V hardware", 2, {{21, "300"}}, 300, 10, 30, -10, 10, 1, 0},
        {"above the hardware", 2, {{21, "450"}}, 400, 0, 0, -10, 10, 1, 1},
        {"5 V with 100 %", 1, {{21, "5"}, {22, "100"}}, 5, 60, 3, -10, 10, 1, 1},
        {"below 2 V", 1, {{21, "1"}}, 2, 0, 0, -10, 10, 1, 1},
        {"swing in volts", 1, {{23, "50"}}, 250, 20, 50, -10, 10, 1, 0},
        {"negative swing", 1, {{23, "-5"}}, 250, 0, 0, -10, 10, 1, 1},
        {"percentage above 100", 1, {{22, "150"}}, 250, 20, 50, -10, 10, 1, 1},
        {"grid -48 V with 10 %", 1, {{41, "-48"}}, 250, 10, 25, -48, 2.0 / 48.0 * 100, 2, 1},
        {"grid +5 V", 1, {{41, "+5"}}, 250, 10, 25, 0, 10, 0, 1},
        {"grid below -50 V", 1, {{41, "-60"}}, 250, 10, 25, -50, 0, 0, 1},
        {"grid swing in volts", 1, {{43, "2.5"}}, 250, 10, 25, -10, 25, 2.5, 0},
        {"grid swing up to 0 V", 1, {{42, "100"}}, 250, 10, 25, -10, 100, 10, 0},
        {"grid swing beyond 0 V", 1, {{43, "15"}}, 250, 10, 25, -10, 100, 10, 1},
        {"grid at 0 V keeps its percentage", 1, {{41, "0"}, {43, "3"}}, 250, 10, 25, 0, 10, 0, 1},
    };
    for (const FieldCase& c : cases) {
        Rig r;
        r.state.cal.intVersion = c.version;
        auto& m = r.triode.model;
        for (const auto& [code, text] : c.entries) {
            std::string* box = code == 21   ? &m.txtVa1
                               : code == 22 ? &m.txtVa1Proc
                               : code == 23 ? &m.txtVa1Step
                               : code == 41 ? &m.txtVg
                               : code == 42 ? &m.txtVgProc
                                            : &m.txtVgStep;
            *box = text;
            r.triode.CheckFields(code);
        }
        const QuickTestSettings& q = r.state.quickTest;
        EXPECT_DOUBLE_EQ(q.dblQTTVa1, c.va1) << c.what;
        EXPECT_NEAR(q.dblQTTVa1Proc, c.va1Proc, 1e-9) << c.what;
        EXPECT_NEAR(r.triode.dblVa1Step(), c.va1Step, 1e-9) << c.what;
        EXPECT_DOUBLE_EQ(q.dblQTTVg, c.vg) << c.what;
        EXPECT_NEAR(q.dblQTTVgProc, c.vgProc, 1e-9) << c.what;
        EXPECT_NEAR(r.triode.dblVgStep(), c.vgStep, 1e-9) << c.what;
        // Section 2 is left alone.
        EXPECT_EQ(q.dblQTTVa2, 250.0) << c.what;
        EXPECT_EQ(r.dialogs.messages.size(), static_cast<std::size_t>(c.warnings)) << c.what;
        for (const auto& shown : r.dialogs.messages) {
            EXPECT_EQ(shown.text,
                      "Some values have been adjusted to accomodate maximum bias ranges")
                << c.what;
            EXPECT_EQ(shown.icon, MessageIcon::Exclamation);
        }
    }
}

TEST(TriodeFields, FieldsShowTwoDecimals) {
    Rig r;
    auto& m = r.triode.model;
    EXPECT_EQ(m.txtVa1, "250");
    EXPECT_EQ(m.txtVa1Proc, "10");
    EXPECT_EQ(m.txtVa1Step, "25");
    EXPECT_EQ(m.txtVg, "-10");
    EXPECT_EQ(m.txtVgStep, "1");
    EXPECT_EQ(m.txtMuNom, "0");
    m.txtVg = "-48";
    r.triode.CheckFields(41);
    EXPECT_EQ(m.txtVgProc, "4.17");
    EXPECT_EQ(m.txtVgStep, "2");
    m.txtVa2 = "123.456";
    r.triode.CheckFields(31);
    EXPECT_EQ(m.txtVa2, "123.46");
    EXPECT_EQ(m.txtVa2Step, "12.35");
    EXPECT_DOUBLE_EQ(r.state.quickTest.dblQTTVa2, 123.456);  // only the display is rounded
}

TEST(TriodeFields, NominalValues) {
    struct Case {
        int code;
        const char* text;
        double QuickTestSettings::*member;
        double expected;
        bool warning;
    };
    const Case cases[] = {
        {11, "12.5", &QuickTestSettings::dblQTTIa1Nom, 12.5, false},
        {11, "301", &QuickTestSettings::dblQTTIa1Nom, 300, true},
        {12, "-3", &QuickTestSettings::dblQTTIa2Nom, 0, true},
        {12, "300", &QuickTestSettings::dblQTTIa2Nom, 300, false},
        {13, "1000.5", &QuickTestSettings::dblQTTRaNom, 1000, true},
        {14, "150", &QuickTestSettings::dblQTTGmNom, 100, true},
        {14, "2.2", &QuickTestSettings::dblQTTGmNom, 2.2, false},
        {15, "2000", &QuickTestSettings::dblQTTMuNom, 1000, true},
        {15, "0", &QuickTestSettings::dblQTTMuNom, 0, true},  // confirming 0 warns
    };
    for (const Case& c : cases) {
        Rig r;
        auto& m = r.triode.model;
        std::string* boxes[] = {&m.txtIa1Nom, &m.txtIa2Nom, &m.txtRaNom, &m.txtGmNom, &m.txtMuNom};
        *boxes[c.code - 11] = c.text;
        r.triode.CheckFields(c.code);
        EXPECT_DOUBLE_EQ(r.state.quickTest.*c.member, c.expected) << c.text;
        EXPECT_EQ(r.dialogs.messages.size(), c.warning ? 1u : 0u) << c.text;
    }
    // Each confirmation of a 0 warns again.
    Rig r;
    r.triode.CheckFields(13);
    r.triode.CheckFields(13);
    EXPECT_EQ(r.dialogs.messages.size(), 2u);
}

TEST(TriodeFields, TextThatIsNoNumberKeepsTheValue) {
    for (const char* text : {"abc", "", "12,5", "1e", "--3"}) {
        Rig r;
        r.triode.model.txtVa1 = text;
        r.triode.CheckFields(21);
        EXPECT_EQ(r.state.quickTest.dblQTTVa1, 250.0) << text;
        EXPECT_EQ(r.triode.model.txtVa1, "250") << text;
        ASSERT_EQ(r.dialogs.messages.size(), 1u) << text;
        EXPECT_NE(r.dialogs.messages[0].text.find("not a number"), std::string::npos);
    }
}

// ---- set points ---------------------------------------------------------------------------

TEST(TriodeMatrix, FivePointsAroundTheCentre) {
    Rig r;
    QuickTestSettings& q = r.state.quickTest;
    q.dblQTTVa1 = 200;
    q.dblQTTVa1Proc = 20;  // 40 V
    q.dblQTTVa2 = 100;
    q.dblQTTVa2Proc = 5;  // 5 V
    q.dblQTTVg = -8;
    q.dblQTTVgProc = 25;            // 2 V
    r.state.meas.dblConst2 = 12.6;  // the heater voltage of a sweep of type 0
    r.triode.testPoints()(7, MeasMatrix::Curve) = 3.0;
    r.triode.ComposeQTTMatrix();
    const double expected[5][3] = {
        {160, 95, -8}, {200, 100, -10}, {200, 100, -8}, {200, 100, -6}, {240, 105, -8}};
    test::expectComposed(r.triode.testPoints(), expected, 12.6);
}

// ---- the run ------------------------------------------------------------------------------

TEST(TriodeRun, OnlyWithTheHeaterOn) {
    for (int st : {kGround, kHeating, kHeatingCut, kSwitchingOff, kMeasuring}) {
        Rig r;
        r.state.intMeasStat = st;
        const std::size_t mark = r.port.wire().size();
        r.triode.cmdTest_Click();
        EXPECT_EQ(r.state.intMeasStat, st);
        EXPECT_EQ(r.port.wire().size(), mark);
        ASSERT_EQ(r.dialogs.messages.size(), 1u);
        EXPECT_EQ(r.dialogs.messages[0].text, "Quicktest only possible when heater is on");
        EXPECT_EQ(r.triode.model.lblIa1, "- - -");
    }
}

TEST(TriodeRun, MeasuresBothSectionsOfADoubleTriode) {
    Rig r;
    r.heaterOn();
    r.state.quickTest.dblQTTIa1Nom = 10;
    r.state.quickTest.dblQTTVa2 = 200;  // section 2 at another anode voltage
    std::vector<std::string> captions;
    r.triode.refresh = [&] { captions.push_back(r.triode.model.cmdTestCaption); };
    const std::size_t mark = r.port.wire().size();
    r.triode.cmdTest_Click();

    EXPECT_EQ(r.state.intMeasStat, kHeaterOn);
    EXPECT_TRUE(r.dialogs.messages.empty());
    EXPECT_EQ(r.codesSince(mark),
              (std::vector<std::string>{"00", "10", "10", "10", "10", "10", "30"}));
    ASSERT_FALSE(captions.empty());
    EXPECT_EQ(captions.front(), "Wait!");
    EXPECT_EQ(r.triode.model.cmdTestCaption, "Test");
    for (int row = 0; row < 5; ++row) {
        EXPECT_EQ(r.curve(row), 1) << row;
    }
    EXPECT_TRUE(r.beeper.beeps.empty());

    // Against the valve model the simulator measures, at the set points.
    const sim::ValveModel* valve = sim::findValve("ECC82");
    ASSERT_NE(valve, nullptr);
    const auto ia = [&](double va, double vg) { return valve->currents(va, 0, vg, 1.0).anode; };
    const auto& t = r.triode.model;
    EXPECT_NEAR(labelNumber(t.lblVa1), 250.0, 1.0);
    EXPECT_NEAR(labelNumber(t.lblVa2), 200.0, 1.0);
    EXPECT_NEAR(labelNumber(t.lblIa1), ia(250, -10), 0.05 * ia(250, -10));
    EXPECT_NEAR(labelNumber(t.lblIa2), ia(200, -10), 0.05 * ia(200, -10));
    EXPECT_NEAR(labelNumber(t.lblIa1Proc), ia(250, -10) / 10 * 100, 0.05 * ia(250, -10) * 10);
    EXPECT_EQ(t.lblIa2Proc, "- - -");  // no nominal value
    EXPECT_EQ(t.ProgressBar2, 0);

    const double ra1 = 50.0 / (ia(275, -10) - ia(225, -10));  // kohm
    const double gm1 = (ia(250, -9) - ia(250, -11)) / 2.0;    // mA/V
    EXPECT_EQ(t.lblVa1Ia1ohm, "(kohm)");
    EXPECT_NEAR(labelNumber(t.lblVa1Ia1), ra1, 0.1 * ra1);
    EXPECT_EQ(t.lblIa1VgmA, "(mA/V)");
    EXPECT_NEAR(labelNumber(t.lblIa1Vg), gm1, 0.1 * gm1);
    EXPECT_NEAR(labelNumber(t.lblMu1), ra1 * gm1, 0.15 * ra1 * gm1);
    EXPECT_EQ(t.lblRa1Proc, "- - -");
    const double ra2 = 40.0 / (ia(220, -10) - ia(180, -10));
    EXPECT_NEAR(labelNumber(t.lblVa2Ia2), ra2, 0.1 * ra2);
}

TEST(TriodeRun, DelayAndDebugPauses) {
    Rig r;
    r.heaterOn();
    r.state.meas.dblDelay = 2.7;  // whole seconds count
    r.com.chkDebug = true;
    const std::size_t mark = r.port.wire().size();
    const double start = r.clock.now();
    r.triode.cmdTest_Click();
    EXPECT_EQ(r.codesSince(mark), (std::vector<std::string>{"00", "20", "10", "20", "10", "20",
                                                            "10", "20", "10", "20", "10", "30"}));
    // Five times 2 s of pre-conditioning and 3 s of debug pause.
    EXPECT_GE(r.clock.now() - start, 25.0);
    EXPECT_LT(r.clock.now() - start, 27.0);
    EXPECT_EQ(r.state.intMeasStat, kHeaterOn);
}

TEST(TriodeRun, BeepsWhenAsked) {
    Rig r;
    r.heaterOn();
    r.logic.model.chkBeep = true;
    r.triode.cmdTest_Click();
    ASSERT_EQ(r.beeper.beeps.size(), 2u);
    for (const auto& b : r.beeper.beeps) {
        EXPECT_EQ(b.hz, 2000);
        EXPECT_EQ(b.ms, 150);
    }
}

TEST(TriodeRun, AbortKeepsTheHeaterOnAndShowsOnlyWhatWasMeasured) {
    Rig r;
    r.heaterOn();
    r.logic.model.chkBeep = true;
    int measureCommands = 0;
    // Abort is pressed while the third point (the centre) is being measured.
    r.port.instrument().setCommandListener([&](const std::string& command) {
        if (command.substr(0, 2) == "10" && ++measureCommands == 3) {
            r.logic.run.cmdMeasStop_Click();
        }
    });
    const std::size_t mark = r.port.wire().size();
    r.triode.cmdTest_Click();
    EXPECT_EQ(r.state.intMeasStat, kHeaterOn);
    EXPECT_EQ(r.codesSince(mark), (std::vector<std::string>{"00", "10", "10", "10", "30"}));
    EXPECT_EQ(r.curve(2), 1);
    EXPECT_EQ(r.curve(3), -1);
    EXPECT_TRUE(r.beeper.beeps.empty());
    EXPECT_TRUE(r.dialogs.messages.empty());
    const auto& t = r.triode.model;
    EXPECT_EQ(t.cmdTestCaption, "Test");
    EXPECT_GT(labelNumber(t.lblIa1), 0.0);  // the centre was measured
    EXPECT_EQ(t.lblVa1Ia1, "- - -");        // rows 0 and 4 were not both measured
    EXPECT_EQ(t.lblIa1Vg, "- - -");
    EXPECT_EQ(t.lblMu1, "N.A.");
    EXPECT_EQ(t.lblVa1Ia1ohm, "(kohm)");
}

TEST(TriodeRun, CommunicationFaultEndsInTheGroundState) {
    // Count the commands of a good heater-on and test, then break the link in the middle of
    // a second test.
    int commandsOfOneRun = 0;
    {
        Rig r;
        r.heaterOn();
        r.triode.cmdTest_Click();
        commandsOfOneRun = r.port.instrument().commandsReceived();
    }
    sim::SimOptions options;
    options.fault = sim::FaultKind::Silent;
    options.faultAfterCommands = commandsOfOneRun + 3;  // the second test's third command
    Rig r(options);
    r.heaterOn();
    r.triode.cmdTest_Click();
    const QTtriodeModel before = r.triode.model;
    ASSERT_NE(before.lblIa1, "- - -");
    r.triode.cmdTest_Click();
    EXPECT_EQ(r.state.intMeasStat, kGround);
    EXPECT_FALSE(r.link.portOpen());
    ASSERT_FALSE(r.dialogs.messages.empty());
    EXPECT_EQ(r.dialogs.messages.back().text,
              "Fix Connection with Ostrino and Restart Measurement");
    EXPECT_EQ(r.triode.model.cmdTestCaption, "Test");
    // No analysis: the previous results stay.
    EXPECT_EQ(r.triode.model.lblIa1, before.lblIa1);
    EXPECT_EQ(r.triode.model.lblVa1Ia1, before.lblVa1Ia1);
    EXPECT_EQ(r.triode.model.lblMu2, before.lblMu2);
}

// ---- the analysis -------------------------------------------------------------------------

using Point = test::MeasuredPoint;
using test::fill;

TEST(TriodeAnalysis, ResultsUnitsAndPercentages) {
    Rig r;
    QuickTestSettings& q = r.state.quickTest;
    q.dblQTTIa1Nom = 10;
    q.dblQTTIa2Nom = 1;
    q.dblQTTRaNom = 8;
    q.dblQTTGmNom = 2;
    q.dblQTTMuNom = 20;
    // Section 1: Ra = 50 V / 5 mA = 10 kohm, Gm = 4 mA / 2 V = 2 mA/V, mu = 20.
    // Section 2: Ra = 50 V / 50/850 A = 850 ohm, Gm = 1 mA / 2 V = 0.5 mA/V; 12 mA against 1.
    const double dI2 = 50.0 / 850.0 * 1000.0;
    const Point points[5] = {
        {225.0, 10.0, 125.0, 12.0, -10.0},       {250.04, 10.5, 150.0, 11.5, -11.0},
        {250.04, 12.5, 149.96, 12.0, -10.0},     {250.04, 14.5, 150.0, 12.5, -9.0},
        {275.0, 15.0, 175.0, 12.0 + dI2, -10.0},
    };
    fill(r, points);
    r.triode.AnalyzeQTTMatrix();
    const auto& t = r.triode.model;
    EXPECT_EQ(t.lblVa1, "250");
    EXPECT_EQ(t.lblVa2, "150");
    EXPECT_EQ(t.lblIa1, "12.5");
    EXPECT_EQ(t.lblIa2, "12");
    EXPECT_EQ(t.lblIa1Proc, "125");
    EXPECT_EQ(t.ProgressBar1, 125);
    EXPECT_EQ(t.lblIa2Proc, ">>>");
    EXPECT_EQ(t.ProgressBar2, 150);

    EXPECT_EQ(t.lblVa1Ia1, "10");
    EXPECT_EQ(t.lblVa1Ia1ohm, "(kohm)");
    EXPECT_EQ(t.lblRa1Proc, "125");
    EXPECT_EQ(t.lblIa1Vg, "2");
    EXPECT_EQ(t.lblIa1VgmA, "(mA/V)");
    EXPECT_EQ(t.lblGm1Proc, "100");
    EXPECT_EQ(t.lblMu1, "20");
    EXPECT_EQ(t.lblMu1Proc, "100");

    EXPECT_EQ(t.lblVa2Ia2, "850");
    EXPECT_EQ(t.lblVa2Ia2ohm, "(ohm)");
    EXPECT_EQ(t.lblRa2Proc, "11");  // 0.85 kohm of 8
    EXPECT_EQ(t.lblIa2Vg, "500");
    EXPECT_EQ(t.lblIa2VgmA, "(uA/V)");
    EXPECT_EQ(t.lblGm2Proc, "25");
    EXPECT_EQ(t.lblMu2, "0");  // 0.5 mA/V x 0.85 kohm
    EXPECT_EQ(t.lblMu2Proc, "2");

    // The same results on one line each, as the command line prints them.
    const std::vector<std::string> lines = {
        "Va section 1: 250 V",           "Va section 2: 150 V",
        "Section 1 Ia: 12.5 mA (125 %)", "Section 2 Ia: 12 mA (>>> %)",
        "Section 1 Ra: 10 kohm (125 %)", "Section 2 Ra: 850 ohm (11 %)",
        "Section 1 Gm: 2 mA/V (100 %)",  "Section 2 Gm: 500 uA/V (25 %)",
        "Section 1 mu: 20 (100 %)",      "Section 2 mu: 0 (2 %)",
    };
    EXPECT_EQ(r.triode.resultLines(), lines);
    // The figures unrounded, in mA, ohm and mA/V.
    struct Figure {
        int section;
        const char* name;
        double value;
    };
    const Figure figures[] = {{1, "Ia", 12.5}, {2, "Ia", 12.0}, {1, "Ra", 10000.0},
                              {1, "Gm", 2.0},  {1, "mu", 20.0}, {2, "Ra", 850.0},
                              {2, "Gm", 0.5},  {2, "mu", 0.425}};
    ASSERT_EQ(t.figures.size(), std::size(figures));
    for (std::size_t i = 0; i < t.figures.size(); ++i) {
        EXPECT_EQ(t.figures[i].section, figures[i].section) << i;
        EXPECT_EQ(t.figures[i].name, figures[i].name) << i;
        EXPECT_NEAR(t.figures[i].value, figures[i].value, 1e-9) << i;
    }

    // Without nominal values there is no percentage to show.
    q = QuickTestSettings{};
    q.dblQTTIa1Nom = 0;
    r.triode.AnalyzeQTTMatrix();
    EXPECT_EQ(r.triode.resultLines()[2], "Section 1 Ia: 12.5 mA");
}

TEST(TriodeAnalysis, OutOfRangeDifferentials) {
    Rig r;
    r.state.quickTest.dblQTTRaNom = 8;
    r.state.quickTest.dblQTTGmNom = 2;
    // Section 1: equal currents at rows 0 and 4; section 2: 500 mA over 2 V of grid.
    const Point points[5] = {
        {225.0, 10.0, 225.0, 10.0, -10.0},  {250.0, 9.0, 250.0, 0.0, -11.0},
        {250.0, 10.0, 250.0, 250.0, -10.0}, {250.0, 11.0, 250.0, 500.0, -9.0},
        {275.0, 10.0, 275.0, 15.0, -10.0},
    };
    fill(r, points);
    r.triode.AnalyzeQTTMatrix();
    const auto& t = r.triode.model;
    EXPECT_EQ(t.lblVa1Ia1, "> 1M");
    EXPECT_EQ(t.lblRa1Proc, "---");
    EXPECT_EQ(t.lblVa1Ia1ohm, "(kohm)");  // keeps its caption
    EXPECT_EQ(t.lblIa1Vg, "1");           // Gm is still shown
    EXPECT_EQ(t.lblGm1Proc, "50");
    EXPECT_EQ(t.lblMu1, "N.A.");
    EXPECT_EQ(t.lblMu1Proc, "---");
    EXPECT_EQ(t.lblIa2Vg, "> 200");
    EXPECT_EQ(t.lblGm2Proc, "---");
    EXPECT_EQ(t.lblIa2VgmA, "(mA/V)");
    EXPECT_EQ(t.lblVa2Ia2, "10");
    EXPECT_EQ(t.lblMu2, "N.A.");
}

// Ra is compared in kohm: Ra / 1000 against the nominal value. Where the percentage lies on a
// half, the last bit of that quotient picks the neighbour.
TEST(TriodeAnalysis, RaPercentageOfTheNominalInKohm) {
    struct Case {
        double va0, va4, ia0, ia4;  // rows 0 and 4
        double nominal;
        const char* ra;
        const char* proc;
    };
    const Case cases[] = {
        {225.0, 275.0, 10.0, 15.0, 8.0, "10", "125"},
        {126.0, 154.0, 5.0, 15.0, 3.2, "2.8", "87"},   // 2.8 / 3.2 lies just below 87.5
        {171.0, 209.0, 5.0, 15.0, 1.6, "3.8", "237"},  // and 3.8 / 1.6 below 237.5
        {126.0, 154.0, 5.0, 15.0, 0.0, "2.8", "- - -"},
    };
    for (const Case& c : cases) {
        Rig r;
        r.state.quickTest.dblQTTRaNom = c.nominal;
        const double vaMid = (c.va0 + c.va4) / 2.0;
        const double iaMid = (c.ia0 + c.ia4) / 2.0;
        // Section 2 sees the same points on the screen supply.
        const Point points[5] = {
            {c.va0, c.ia0, c.va0, c.ia0, -10.0}, {vaMid, iaMid - 1.0, vaMid, iaMid - 1.0, -11.0},
            {vaMid, iaMid, vaMid, iaMid, -10.0}, {vaMid, iaMid + 1.0, vaMid, iaMid + 1.0, -9.0},
            {c.va4, c.ia4, c.va4, c.ia4, -10.0},
        };
        fill(r, points);
        r.triode.AnalyzeQTTMatrix();
        const auto& t = r.triode.model;
        EXPECT_EQ(t.lblVa1Ia1, c.ra) << c.va0 << " " << c.nominal;
        EXPECT_EQ(t.lblVa1Ia1ohm, "(kohm)") << c.va0 << " " << c.nominal;
        EXPECT_EQ(t.lblRa1Proc, c.proc) << c.va0 << " " << c.nominal;
        EXPECT_EQ(t.lblVa2Ia2, c.ra) << c.va0 << " " << c.nominal;
        EXPECT_EQ(t.lblRa2Proc, c.proc) << c.va0 << " " << c.nominal;
    }
}

// ---- report -------------------------------------------------------------------------------

TEST(TriodeReport, Layout) {
    Rig r;
    auto& t = r.triode.model;
    t.txtTitle = "ECC82 no. 3";
    t.txtIa1Nom = "10";
    t.lblIa1 = "12.5";
    t.lblIa1Proc = "125";
    t.lblVa1Ia1 = "7.7";
    t.lblVa1Ia1ohm = "(kohm)";
    t.lblRa1Proc = "99";
    t.txtRaNom = "7.7";
    const std::vector<std::string> l = test::reportLines(r.triode.reportText());
    ASSERT_EQ(l.size(), 30u);
    EXPECT_EQ(l[0], "08-12-2026 09:30:00  Ostrino3, GUI  V3.11  Triode Quick Test");
    EXPECT_EQ(l[1], " ");
    EXPECT_EQ(l[2], "ECC82 no. 3");
    EXPECT_EQ(l[4], "SECTION 1");
    EXPECT_EQ(l[6], "Test conditions:");
    EXPECT_EQ(l[7], "Va  : 250 (V)                Swing +/- 25 V (10%)");
    EXPECT_EQ(l[8], "Vg  : -10 (V)                Swing +/- 1 V (10%)");
    EXPECT_EQ(l[10], "Test results:");
    // Columns 30 and 65: "125 % ..." starts at 30, the note at 65.
    EXPECT_EQ(l[11], "Ia  : 12.5 (mA)" + std::string(14, ' ') + "125 % of nominal 10 (mA)" +
                         std::string(11, ' ') + " ");
    EXPECT_EQ(l[12], "Ra  : 7.7 (kohm)" + std::string(13, ' ') + "99 % of nominal 7.7 (kohm)" +
                         std::string(9, ' ') + "Ra = dVa/dIa");
    // No nominal Gm or mu: straight from column 30 to column 65.
    EXPECT_EQ(l[13], "Gm  : - - - (mA/V)" + std::string(46, ' ') + "Gm = dIa/dVg");
    EXPECT_EQ(l[14], "mu  : - - - (-)" + std::string(49, ' ') + "mu = Gm*Ra");
    EXPECT_EQ(l[17], "SECTION 2");
    EXPECT_EQ(l[20], "Va  : 250 (V)                Swing +/- 25 V (10%)");
    EXPECT_EQ(l[24], "Ia  : - - - (mA)" + std::string(48, ' ') + " ");
    // Ra of section 2 is compared with the same nominal value; its percentage is "- - -".
    EXPECT_EQ(l[25], "Ra  : - - - (kohm)" + std::string(11, ' ') + "- - - % of nominal 7.7 (kohm)" +
                         std::string(6, ' ') + "Ra = dVa/dIa");
    EXPECT_EQ(l[28], " ");
    EXPECT_EQ(l[29], " ");
}

TEST(TriodeReport, WrittenAndAppended) {
    test::ScopedWorkDir dir;
    Rig r;
    r.dialogs.fileNames = {"report.txt", "report.txt"};
    r.triode.cmdReport_Click();
    r.state.quickTest.chkAppendTriode = true;
    r.triode.cmdReport_Click();
    std::ifstream in("report.txt", std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    const std::string one = r.triode.reportText();
    EXPECT_EQ(s.str(), one + one);
}

TEST(TriodeWindows, SwitchingToThePentode) {
    Rig r;
    int shown = 0;
    r.triode.showPentode = [&] { ++shown; };
    r.triode.model.chkPentode = true;
    r.triode.chkPentode_Click();
    EXPECT_EQ(shown, 1);
    EXPECT_FALSE(r.triode.model.chkPentode);
    EXPECT_EQ(r.state.quickTest.intQTtype, 2);
}

}  // namespace
}  // namespace ostrino
