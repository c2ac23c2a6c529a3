// The pentode quick test without its window: screen-group limits, the seven set points, the
// run against the simulated pentode, the eight differentials and the report.

#include "quicktest/quick_pentode.h"

#include <gtest/gtest.h>

#include "sim/valve_models.h"
#include "tests/quicktest/quick_rig.h"

namespace ostrino {
namespace {

using Rig = test::QuickTestRig;
using test::labelNumber;

TEST(PentodeFields, ScreenGroupIsLimitedLikeTheAnode) {
    struct Case {
        const char* what;
        int version;
        int code;
        const char* text;
        double vs, vsProc, vsStep;
        bool warning;
    };
    const Case cases[] = {
        {"395 V with 10 % on 400 V hardware", 2, 31, "395", 395, 5.0 / 395.0 * 100, 5, true},
        {"395 V on 300 V hardware", 1, 31, "395", 300, 0, 0, true},
        {"1 V", 2, 31, "1", 2, 0, 0, true},
        {"swing in volts", 1, 33, "50", 250, 20, 50, false},
        {"swing of 60 %", 1, 32, "60", 250, 20, 50, true},
    };
    for (const Case& c : cases) {
        Rig r;
        r.state.cal.intVersion = c.version;
        std::string* boxes[] = {&r.pentode.model.txtVs, &r.pentode.model.txtVsProc,
                                &r.pentode.model.txtVsStep};
        *boxes[c.code - 31] = c.text;
        r.pentode.CheckFields(c.code);
        EXPECT_DOUBLE_EQ(r.state.quickTest.dblQTPVs, c.vs) << c.what;
        EXPECT_NEAR(r.state.quickTest.dblQTPVsProc, c.vsProc, 1e-9) << c.what;
        EXPECT_NEAR(r.pentode.dblVsStep(), c.vsStep, 1e-9) << c.what;
        EXPECT_EQ(r.dialogs.messages.size(), c.warning ? 1u : 0u) << c.what;
        // The anode and the triode settings are left alone.
        EXPECT_EQ(r.state.quickTest.dblQTPVa, 250.0) << c.what;
        EXPECT_EQ(r.state.quickTest.dblQTTVa2, 250.0) << c.what;
    }
    Rig r;
    r.state.cal.intVersion = 2;
    r.pentode.model.txtVs = "395";
    r.pentode.CheckFields(31);
    EXPECT_EQ(r.pentode.model.txtVsProc, "1.27");
    EXPECT_EQ(r.pentode.model.txtVsStep, "5");
}

TEST(PentodeFields, NominalValuesAndTheirOwnMembers) {
    Rig r;
    auto& p = r.pentode.model;
    // Each box commits on its own; a commit rewrites every box from the settings.
    const std::pair<std::string*, const char*> entries[] = {{&p.txtIaNom, "48"},
                                                            {&p.txtIsNom, "400"},
                                                            {&p.txtRaNom, "38"},
                                                            {&p.txtGmNom, "11.3"},
                                                            {&p.txtMuNom, "19"}};
    for (int code = 11; code <= 15; ++code) {
        const auto& [box, text] = entries[code - 11];
        *box = text;
        r.pentode.CheckFields(code);
    }
    const QuickTestSettings& q = r.state.quickTest;
    EXPECT_EQ(q.dblQTPIaNom, 48);
    EXPECT_EQ(q.dblQTPIsNom, 300);
    EXPECT_EQ(q.dblQTPRaNom, 38);
    EXPECT_EQ(q.dblQTPGmNom, 11.3);
    EXPECT_EQ(q.dblQTPMuNom, 19);
    EXPECT_EQ(q.dblQTTIa1Nom, 0);  // the triode's are not touched
    EXPECT_EQ(r.dialogs.messages.size(), 1u);
    EXPECT_EQ(p.txtIsNom, "300");
}

TEST(PentodeMatrix, SevenPointsAroundTheCentre) {
    Rig r;
    QuickTestSettings& q = r.state.quickTest;
    q.dblQTPVa = 200;
    q.dblQTPVaProc = 10;  // 20 V
    q.dblQTPVs = 150;
    q.dblQTPVsProc = 20;  // 30 V
    q.dblQTPVg = -6;
    q.dblQTPVgProc = 50;  // 3 V
    r.pentode.ComposeQTPMatrix();
    const double expected[7][3] = {{200, 150, -9}, {200, 150, -6}, {200, 150, -3}, {180, 150, -6},
                                   {220, 150, -6}, {200, 120, -6}, {200, 180, -6}};
    test::expectComposed(r.pentode.testPoints(), expected, 6.3);
}

TEST(PentodeRun, MeasuresAPentode) {
    sim::SimOptions options;
    options.valve = "EL84";
    Rig r(options);
    r.heaterOn();
    QuickTestSettings& q = r.state.quickTest;
    q.dblQTPVg = -7.3;
    q.dblQTPIaNom = 48;
    q.dblQTPIsNom = 5.5;
    const std::size_t mark = r.port.wire().size();
    r.pentode.cmdTest_Click();
    EXPECT_EQ(r.state.intMeasStat, kHeaterOn);
    EXPECT_TRUE(r.dialogs.messages.empty());
    EXPECT_EQ(r.codesSince(mark),
              (std::vector<std::string>{"00", "10", "10", "10", "10", "10", "10", "10", "30"}));
    EXPECT_EQ(r.pentode.model.cmdTestCaption, "Test");

    const sim::ValveModel* valve = sim::findValve("EL84");
    ASSERT_NE(valve, nullptr);
    const auto cur = [&](double va, double vs, double vg) {
        return valve->currents(va, vs, vg, 1.0);
    };
    const auto& p = r.pentode.model;
    const double ia = cur(250, 250, -7.3).anode;
    const double is = cur(250, 250, -7.3).screen;
    EXPECT_NEAR(labelNumber(p.lblIa), ia, 0.05 * ia);
    EXPECT_NEAR(labelNumber(p.lblIs), is, 0.05 * is + 0.1);
    EXPECT_NEAR(labelNumber(p.lblIaProc), ia / 48 * 100, 5.0);
    EXPECT_NEAR(p.ProgressBar1, ia / 48 * 100, 5.0);
    // The measured voltages, a little below the set point at 48 mA.
    EXPECT_NEAR(labelNumber(p.lblVa), 250, 3.0);
    EXPECT_NEAR(labelNumber(p.lblVs), 250, 3.0);
    const double dVg = 0.73;
    const double gma =
        (cur(250, 250, -7.3 + dVg).anode - cur(250, 250, -7.3 - dVg).anode) / (2 * dVg);
    EXPECT_EQ(p.lblIaVgmA, "(mA/V)");
    EXPECT_NEAR(labelNumber(p.lblIaVg), gma, 0.1 * gma);
    const double gms =
        (cur(250, 250, -7.3 + dVg).screen - cur(250, 250, -7.3 - dVg).screen) / (2 * dVg);
    EXPECT_NEAR(labelNumber(p.lblIsVg) / (p.lblIsVgmA == "(uA/V)" ? 1000.0 : 1.0), gms, 0.15 * gms);
}

using Point = test::MeasuredPoint;
using test::fill;

TEST(PentodeAnalysis, EightDifferentials) {
    Rig r;
    QuickTestSettings& q = r.state.quickTest;
    q.dblQTPIaNom = 40;
    q.dblQTPRaNom = 40;
    q.dblQTPGmNom = 10;
    q.dblQTPMuNom = 400;
    // Gma 10 mA/V, Gms 1 mA/V (grid 2 V); Ra 50 V / 1.25 mA = 40 kohm, Gm2 0.1 mA / 50 V;
    // Rs 60 V / 6 mA = 10 kohm, Gm1 3 mA / 60 V.
    const Point points[7] = {
        {250, 30, 250, 4.0, -8},      {250, 40, 250, 5.0, -7},      {250, 50, 250, 6.0, -6},
        {225, 39.375, 250, 4.95, -7}, {275, 40.625, 250, 5.05, -7}, {250, 38.5, 220, 2.0, -7},
        {250, 41.5, 280, 8.0, -7},
    };
    fill(r, points);
    r.pentode.AnalyzeQTPMatrix();
    const auto& p = r.pentode.model;
    EXPECT_EQ(p.lblIa, "40");
    EXPECT_EQ(p.lblIs, "5");
    EXPECT_EQ(p.lblIaProc, "100");
    EXPECT_EQ(p.ProgressBar1, 100);
    EXPECT_EQ(p.lblIsProc, "- - -");
    EXPECT_EQ(p.lblIaVg, "10");
    EXPECT_EQ(p.lblIaVgmA, "(mA/V)");
    EXPECT_EQ(p.lblGmProc, "100");
    EXPECT_EQ(p.lblVaIa, "40");
    EXPECT_EQ(p.lblVaIaohm, "(kohm)");
    EXPECT_EQ(p.lblRaProc, "100");
    EXPECT_EQ(p.lblMu1, "400");
    EXPECT_EQ(p.lblMuProc, "100");
    EXPECT_EQ(p.lblIaVs, "50");
    EXPECT_EQ(p.lblIaVsmA, "(uA/V)");
    EXPECT_EQ(p.lblIsVg, "1");
    EXPECT_EQ(p.lblIsVgmA, "(mA/V)");
    EXPECT_EQ(p.lblVsIs, "10");
    EXPECT_EQ(p.lblVsIsohm, "(kohm)");
    EXPECT_EQ(p.lblMu2, "10");
    EXPECT_EQ(p.lblIsVa, "2");
    EXPECT_EQ(p.lblIsVamA, "(uA/V)");
}

TEST(PentodeAnalysis, ATriodeInThePentodeTest) {
    Rig r;
    // No screen current anywhere.
    const Point points[7] = {
        {250, 8, 250, 0, -11},  {250, 10, 250, 0, -10}, {250, 12, 250, 0, -9},
        {225, 9, 250, 0, -10},  {275, 11, 250, 0, -10}, {250, 10, 225, 0, -10},
        {250, 10, 275, 0, -10},
    };
    fill(r, points);
    r.pentode.AnalyzeQTPMatrix();
    const auto& p = r.pentode.model;
    EXPECT_EQ(p.lblVsIs, "> 1M");
    EXPECT_EQ(p.lblVsIsohm, "(ohm)");  // keeps its caption
    EXPECT_EQ(p.lblIsVg, "0");
    EXPECT_EQ(p.lblIsVgmA, "(uA/V)");
    EXPECT_EQ(p.lblIsVa, "0");
    EXPECT_EQ(p.lblIsVamA, "(uA/V)");
    EXPECT_EQ(p.lblMu2, "N.A.");
    EXPECT_EQ(p.lblIaVs, "0");  // the anode does not see the screen
    EXPECT_EQ(p.lblVaIa, "25");
    EXPECT_EQ(p.lblMu1, "50");
}

TEST(PentodeAnalysis, Mu1NeedsBothRaAndGma) {
    struct Case {
        double ia3, ia4, ia0, ia2;
        const char* ra;
        const char* gma;
    };
    const Case cases[] = {
        {10, 10, 8, 12, "> 1M", "2"},       // Ra out of range, Gma shown
        {9, 11, -300, 300, "25", "> 200"},  // Gma out of range, Ra shown
    };
    for (const Case& c : cases) {
        Rig r;
        r.state.quickTest.dblQTPRaNom = 25;
        r.state.quickTest.dblQTPGmNom = 2;
        r.state.quickTest.dblQTPMuNom = 50;
        const Point points[7] = {
            {250, c.ia0, 250, 1, -11}, {250, 10, 250, 1, -10},    {250, c.ia2, 250, 1, -9},
            {225, c.ia3, 250, 1, -10}, {275, c.ia4, 250, 1, -10}, {250, 10, 225, 0, -10},
            {250, 10, 275, 2, -10},
        };
        fill(r, points);
        r.pentode.AnalyzeQTPMatrix();
        const auto& p = r.pentode.model;
        EXPECT_EQ(p.lblVaIa, c.ra);
        EXPECT_EQ(p.lblIaVg, c.gma);
        EXPECT_EQ(p.lblMu1, "N.A.");
        EXPECT_EQ(p.lblMuProc, "---");
        EXPECT_EQ(p.lblRaProc == "---", std::string(c.ra) == "> 1M");
        EXPECT_EQ(p.lblGmProc == "---", std::string(c.gma) == "> 200");
    }
}

// Ra is compared in kohm: Ra / 1000 against the nominal value, down to the last bit.
TEST(PentodeAnalysis, RaPercentageOfTheNominalInKohm) {
    struct Case {
        double va3, va4, ia3, ia4;  // the anode pair
        double nominal;
        const char* ra;
        const char* proc;
    };
    const Case cases[] = {
        {225.0, 275.0, 39.375, 40.625, 50.0, "40", "80"},
        {126.0, 154.0, 5.0, 15.0, 3.2, "2.8", "87"},  // 2.8 / 3.2 lies just below 87.5
        {171.0, 209.0, 5.0, 15.0, 1.6, "3.8", "237"},
    };
    for (const Case& c : cases) {
        Rig r;
        r.state.quickTest.dblQTPRaNom = c.nominal;
        const Point points[7] = {
            {250, 8, 250, 1, -11},       {250, 10, 250, 1, -10},      {250, 12, 250, 1, -9},
            {c.va3, c.ia3, 250, 1, -10}, {c.va4, c.ia4, 250, 1, -10}, {250, 10, 225, 0.5, -10},
            {250, 10, 275, 1.5, -10},
        };
        fill(r, points);
        r.pentode.AnalyzeQTPMatrix();
        EXPECT_EQ(r.pentode.model.lblVaIa, c.ra) << c.va3;
        EXPECT_EQ(r.pentode.model.lblVaIaohm, "(kohm)") << c.va3;
        EXPECT_EQ(r.pentode.model.lblRaProc, c.proc) << c.va3;
    }
}

TEST(PentodeRun, AbortShowsOnlyWhatWasMeasured) {
    sim::SimOptions options;
    options.valve = "EL84";
    Rig r(options);
    r.heaterOn();
    int measureCommands = 0;
    // Abort while the fourth point is measured: the grid pair and the centre are done.
    r.port.instrument().setCommandListener([&](const std::string& command) {
        if (command.substr(0, 2) == "10" && ++measureCommands == 4) {
            r.logic.run.cmdMeasStop_Click();
        }
    });
    r.pentode.cmdTest_Click();
    EXPECT_EQ(r.state.intMeasStat, kHeaterOn);
    const auto& p = r.pentode.model;
    EXPECT_NE(p.lblIaVg, "- - -");
    EXPECT_NE(p.lblIsVg, "- - -");
    for (const std::string* label : {&p.lblVaIa, &p.lblIsVa, &p.lblVsIs, &p.lblIaVs}) {
        EXPECT_EQ(*label, "- - -");
    }
    EXPECT_EQ(p.lblRaProc, "- - -");
    EXPECT_EQ(p.lblMu1, "N.A.");
    EXPECT_EQ(p.lblMu2, "N.A.");
}

TEST(PentodeReport, Layout) {
    Rig r;
    auto& p = r.pentode.model;
    p.txtTitle = "EL84";
    p.txtGmNom = "11.3";
    p.lblIaVg = "10.5";
    p.lblIaVgmA = "(mA/V)";
    p.lblGmProc = "93";
    p.lblIsVg = "900";
    p.lblIsVgmA = "(uA/V)";
    // The nominal fields are set, yet Gms has no percentage in the report.
    p.txtIsNom = "5.5";
    p.lblIs = "5.4";
    p.lblIsProc = "98";
    const std::vector<std::string> l = test::reportLines(r.pentode.reportText());
    ASSERT_EQ(l.size(), 23u);
    EXPECT_EQ(l[0], "08-12-2026 09:30:00  Ostrino3, GUI  V3.11  Pentode Quick Test");
    EXPECT_EQ(l[2], "EL84");
    EXPECT_EQ(l[4], "Test conditions:");
    EXPECT_EQ(l[5], "Va  : 250 (V)" + std::string(16, ' ') + "Swing +/- 25 V (10%)");
    EXPECT_EQ(l[6], "Vs  : 250 (V)" + std::string(16, ' ') + "Swing +/- 25 V (10%)");
    EXPECT_EQ(l[7], "Vg  : -10 (V)" + std::string(16, ' ') + "Swing +/- 1 V (10%)");
    EXPECT_EQ(l[9], "Test results:");
    EXPECT_EQ(l[10], "Ia  : - - - (mA)" + std::string(48, ' ') + " ");
    EXPECT_EQ(l[11], "Gma : 10.5 (mA/V)" + std::string(12, ' ') + "93 % of nominal 11.3 (mA/V)" +
                         std::string(8, ' ') + "Gma = dIa/dVg");
    EXPECT_EQ(l[12], "Ra  : - - - (ohm)" + std::string(47, ' ') + "Ra  = dVa/dIa");
    EXPECT_EQ(l[13], "mu1 : - - - (-)" + std::string(49, ' ') + "mu1 = Gma*Ra");
    EXPECT_EQ(l[14], "Gm1 : - - - (mA/V)" + std::string(46, ' ') + "Gm1 = dIa/dVs");
    EXPECT_EQ(l[15], " ");
    EXPECT_EQ(l[16], "Is  : 5.4 (mA)" + std::string(15, ' ') + "98 % of nominal 5.5 (mA)" +
                         std::string(11, ' ') + " ");
    EXPECT_EQ(l[17], "Gms : 900 (uA/V)" + std::string(48, ' ') + "Gma = dIs/dVg");
    EXPECT_EQ(l[18], "Rs  : - - - (ohm)" + std::string(47, ' ') + "Rs  = dVs/dIs");
    EXPECT_EQ(l[19], "mu2 : - - - (-)" + std::string(49, ' ') + "mu2 = Gms*Rs");
    EXPECT_EQ(l[20], "Gm2 : - - - (mA/V)" + std::string(46, ' ') + "Gm2 = dIs/dVa");
    EXPECT_EQ(l[21], " ");
    EXPECT_EQ(l[22], " ");
}

TEST(PentodeWindows, SwitchingToTheTriode) {
    Rig r;
    r.state.quickTest.intQTtype = 2;
    int shown = 0;
    r.pentode.showTriode = [&] { ++shown; };
    r.pentode.model.chkTriode = true;
    r.pentode.chkTriode_Click();
    EXPECT_EQ(shown, 1);
    EXPECT_FALSE(r.pentode.model.chkTriode);
    EXPECT_EQ(r.state.quickTest.intQTtype, 1);
}

TEST(PentodeRun, OnlyWithTheHeaterOn) {
    Rig r;
    r.pentode.cmdTest_Click();
    EXPECT_EQ(r.state.intMeasStat, kGround);
    ASSERT_EQ(r.dialogs.messages.size(), 1u);
    EXPECT_EQ(r.dialogs.messages[0].text, "Quicktest only possible when heater is on");
}

}  // namespace
}  // namespace ostrino
