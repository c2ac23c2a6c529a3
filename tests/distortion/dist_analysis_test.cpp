#include "distortion/dist_analysis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "common/console_state.h"
#include "common/numbers.h"
#include "common/text_file.h"
#include "tests/support/scoped_work_dir.h"
#include "tests/support/scripted_dialogs.h"

namespace ostrino {
namespace {

using test::ScopedWorkDir;
using test::ScriptedDialogs;

// Anode current in mA of a valve model at (Va, Vg).
using ValveModel = std::function<double(double va, double vg)>;

// A triode after the three-halves law: mu 20, about 10 mA at 250 V / -8 V.
double triode(double va, double vg) {
    const double drive = vg + va / 20.0;
    return drive > 0 ? 0.2 * std::pow(drive, 1.5) : 0.0;
}

// Parallel, equally spaced straight lines: gm 2 mA/V, ra 10 kohm.
double linearValve(double va, double vg) {
    return 20.0 + 2.0 * vg + va / 10.0;
}

struct Rig {
    Rig() {
        state.dblMeasMatrix.markEmpty(MeasMatrix::kActual);
        analysis.Form_Load();
    }

    // One curve per grid voltage, the anode voltage swept from vaFrom to vaTo in vaStep.
    void measure(const ValveModel& valve, const std::vector<double>& grids, double vaFrom,
                 double vaTo, double vaStep) {
        int row = 0;
        int curve = 1;
        for (double vg : grids) {
            for (double va = vaFrom; va <= vaTo + 1e-9; va += vaStep) {
                put(row++, curve, va, vg, valve(va, vg));
            }
            ++curve;
        }
        state.dblMeasMatrix(row, MeasMatrix::Curve) = 0;
    }
    void put(int row, int curve, double va, double vg, double ia) {
        MeasMatrix& m = state.dblMeasMatrix;
        m(row, MeasMatrix::Curve) = curve;
        m(row, MeasMatrix::Va) = va;
        m(row, MeasMatrix::Vg) = vg;
        m(row, MeasMatrix::Ia) = ia;
    }
    // Types the four settings and leaves the box.
    void set(double vsupply, double rload, double vgrid, double vsign) {
        analysis.model.txtVsupply = numberText(vsupply);
        analysis.model.txtRload = numberText(rload);
        analysis.model.txtVgrid = numberText(vgrid);
        analysis.model.txtVsign = numberText(vsign);
        analysis.ReadFields();
    }
    // Every result label of the window.
    std::vector<std::string> results() const {
        const DistModel& m = analysis.model;
        std::vector<std::string> r = {m.lblIaDC,      m.lblVaDC,         m.lblPtubeDC,
                                      m.lblPsupplyDC, m.lblVaAV,         m.lblIaAV,
                                      m.lblGain,      m.lblFftDistTotal, m.lblFftPwrTotal};
        for (int k = 0; k < DistModel::kHarmonics; ++k) {
            r.push_back(m.lblFftAmpl[k]);
            r.push_back(m.lblFftPwr[k]);
            if (k > 0) {
                r.push_back(m.lblFftDist[k]);
                r.push_back(m.lblFftdB[k]);
            }
        }
        return r;
    }
    static double value(const std::string& label) {
        const std::optional<double> v = parseNumber(label);
        EXPECT_TRUE(v.has_value()) << "'" << label << "' is not a number";
        return v.value_or(NAN);
    }

    ScopedWorkDir dir;
    ConsoleState state;
    ScriptedDialogs dialogs;
    int draws = 0;
    int fronts = 0;
    DistAnalysis analysis{
        state.dblMeasMatrix, state.dist, dialogs, {[this] { ++draws; }, [this] { ++fronts; }, {}}};
};

const std::vector<double> kGrids = {-8, -7, -6, -5, -4, -3, -2, -1, 0};

TEST(DistAnalysis, LoadSetsTheDefaultsAndPublishesTheLoadLine) {
    Rig rig;
    const DistModel& m = rig.analysis.model;
    EXPECT_EQ(m.txtVsupply, "300");
    EXPECT_EQ(m.txtRload, "1.5");
    EXPECT_EQ(m.txtVgrid, "-4");
    EXPECT_EQ(m.txtVsign, "1");
    EXPECT_EQ(m.lblGain, "- - -");
    EXPECT_EQ(rig.state.dist.dblDistVsupply, 300);
    EXPECT_EQ(rig.state.dist.dblDistRload, 1.5);
}

TEST(DistAnalysis, OnlyTheFirstSettingOutsideItsLimitsIsReportedAndSetToTheLimit) {
    struct Case {
        double vsupply, rload, vgrid, vsign;
        std::string message;
        std::string vsupplyText, rloadText, vgridText, vsignText;
    };
    const Case cases[] = {
        {1500, 1.5, -4, 1, "Vsupply has to less than 1000", "1000", "1.5", "-4", "1"},
        {10, 1.5, -4, 1, "Vsupply has to larger than 20", "20", "1.5", "-4", "1"},
        {300, 20000, -4, 1, "Rload has to less than 10000", "300", "10000", "-4", "1"},
        {300, 0, -4, 1, "Rload has to larger than 0.001", "300", "0.001", "-4", "1"},
        {300, 1.5, 2, 1, "Vgrid has to less than 0", "300", "1.5", "0", "1"},
        {300, 1.5, -2000, 1, "Vgrid has to larger than -1000", "300", "1.5", "-1000", "1"},
        {300, 1.5, -4, 200, "Vsign has to less than 100", "300", "1.5", "-4", "100"},
        {300, 1.5, -4, 0, "Vsign has to larger than 0.01", "300", "1.5", "-4", "0.01"},
        // Two faults: the supply is handled first, the load keeps its typed value for now.
        {1500, 0, -4, 1, "Vsupply has to less than 1000", "1000", "0", "-4", "1"},
    };
    for (const Case& c : cases) {
        Rig rig;
        rig.set(c.vsupply, c.rload, c.vgrid, c.vsign);
        ASSERT_EQ(rig.dialogs.texts(), std::vector<std::string>{c.message}) << c.message;
        const DistModel& m = rig.analysis.model;
        EXPECT_EQ(m.txtVsupply, c.vsupplyText) << c.message;
        EXPECT_EQ(m.txtRload, c.rloadText) << c.message;
        EXPECT_EQ(m.txtVgrid, c.vgridText) << c.message;
        EXPECT_EQ(m.txtVsign, c.vsignText) << c.message;
    }
}

TEST(DistAnalysis, SettingsWithinTheirLimitsKeepTheTextAsTyped) {
    struct Case {
        std::string vsupply, rload, vgrid, vsign;
        double vsupplyValue, rloadValue, vgridValue, vsignValue;
    };
    const Case cases[] = {
        {"250.0", "2.20", "-3.50", "0.50", 250, 2.2, -3.5, 0.5},
        {"1e2", "+10", "-0", ".25", 100, 10, 0, 0.25},
        {" 300 ", "1.5", "-4", "1", 300, 1.5, -4, 1},
    };
    for (const Case& c : cases) {
        Rig rig;
        DistModel& m = rig.analysis.model;
        m.txtVsupply = c.vsupply;
        m.txtRload = c.rload;
        m.txtVgrid = c.vgrid;
        m.txtVsign = c.vsign;
        rig.analysis.ReadFields();
        EXPECT_TRUE(rig.dialogs.messages.empty()) << c.vsupply;
        EXPECT_EQ(m.txtVsupply, c.vsupply);
        EXPECT_EQ(m.txtRload, c.rload);
        EXPECT_EQ(m.txtVgrid, c.vgrid);
        EXPECT_EQ(m.txtVsign, c.vsign);
        EXPECT_EQ(rig.analysis.dblDistVsupply(), c.vsupplyValue);
        EXPECT_EQ(rig.analysis.dblDistRload(), c.rloadValue);
        EXPECT_EQ(rig.analysis.dblDistVgrid(), c.vgridValue);
        EXPECT_EQ(rig.analysis.dblDistVsign(), c.vsignValue);
        EXPECT_EQ(rig.state.dist.dblDistRload, c.rloadValue);
    }
}

TEST(DistAnalysis, ACorrectedSettingRefillsEveryBox) {
    Rig rig;
    DistModel& m = rig.analysis.model;
    m.txtVsupply = "250.0";
    m.txtRload = "2.20";
    m.txtVsign = "150";
    rig.analysis.ReadFields();
    EXPECT_EQ(rig.dialogs.texts(), std::vector<std::string>{"Vsign has to less than 100"});
    EXPECT_EQ(m.txtVsupply, "250");
    EXPECT_EQ(m.txtRload, "2.2");
    EXPECT_EQ(m.txtVsign, "100");
}

TEST(DistAnalysis, ABoxWithoutANumberKeepsItsValue) {
    Rig rig;
    rig.analysis.model.txtRload = "2k2";
    rig.analysis.model.txtVsupply = "250";
    rig.analysis.ReadFields();
    ASSERT_EQ(rig.dialogs.messages.size(), 1u);
    EXPECT_NE(rig.dialogs.messages[0].text.find("2k2"), std::string::npos);
    EXPECT_EQ(rig.analysis.dblDistRload(), 1.5);
    EXPECT_EQ(rig.analysis.model.txtRload, "1.5");
    EXPECT_EQ(rig.analysis.dblDistVsupply(), 250);
    EXPECT_EQ(rig.state.dist.dblDistVsupply, 250);
}

TEST(DistAnalysis, TooLittleDataOrASignalOutsideTheFamilyClearsTheResults) {
    struct Case {
        const char* what;
        std::vector<double> grids;
        double vaStep;
        double vsupply, rload, vgrid, vsign;
        std::string message;
    };
    const Case cases[] = {
        {"two curves",
         {-4, -2},
         10,
         300,
         10,
         -3,
         1,
         "At least 3 curves with each 5 points required"},
        {"four points", kGrids, 100, 300, 10, -4, 1,
         "At least 3 curves with each 5 points required"},
        {"below",
         {-6, -5, -4, -3, -2, -1, 0},
         10,
         300,
         10,
         -4,
         3,
         "Signal amplitude below minimum measured Vg"},
        {"above", kGrids, 10, 300, 10, -1, 2, "Signal amplitude above maximum measured Vg"},
        {"right side", kGrids, 10, 1000, 0.01, -4, 1,
         "Vgrid outside measurement plane, right-side. Decrease Vsupl or Vsign; or increase "
         "Rload"},
    };
    for (const Case& c : cases) {
        Rig rig;
        rig.measure(triode, c.grids, 0, 300, c.vaStep);
        rig.set(c.vsupply, c.rload, c.vgrid, c.vsign);
        ASSERT_TRUE(rig.dialogs.messages.empty()) << c.what;
        rig.analysis.cmdAnalyze_Click();
        EXPECT_EQ(rig.dialogs.texts(), std::vector<std::string>{c.message}) << c.what;
        EXPECT_TRUE(rig.analysis.blnError()) << c.what;
        for (const std::string& r : rig.results()) {
            EXPECT_EQ(r, "- - -   ") << c.what;
        }
        // The graph still redraws (the load line without the swing) and the window comes
        // to the front.
        EXPECT_EQ(rig.draws, 1) << c.what;
        EXPECT_EQ(rig.fronts, 1) << c.what;
        EXPECT_FALSE(fileExists("curves.txt")) << c.what;
    }
}

TEST(DistAnalysis, ALoadLineThatLeavesThePlaneOnTheLeftIsReported) {
    Rig rig;
    // The family starts at 50 V, where the triode already conducts at 0 V on the grid.
    rig.measure(triode, kGrids, 50, 300, 10);
    rig.set(50, 10, -1, 1);
    rig.analysis.cmdAnalyze_Click();
    EXPECT_EQ(rig.dialogs.texts(),
              std::vector<std::string>{"Vgrid outside measurement plane, left-side. Increase "
                                       "Vsupl; or decrease Vsig or Rload"});
    EXPECT_TRUE(rig.analysis.blnError());
}

TEST(DistAnalysis, ATriodeStageHasGainBelowMuAndMostlySecondHarmonic) {
    Rig rig;
    rig.measure(triode, kGrids, 0, 400, 10);
    rig.set(300, 10, -4, 2);
    rig.analysis.cmdAnalyze_Click();
    ASSERT_TRUE(rig.dialogs.messages.empty()) << rig.dialogs.texts()[0];
    ASSERT_FALSE(rig.analysis.blnError());
    EXPECT_EQ(rig.analysis.intDistCurves(), 9);
    EXPECT_EQ(rig.analysis.intDistPoints(), 41);
    EXPECT_EQ(rig.analysis.dblDistVaLow(), 0);
    EXPECT_EQ(rig.analysis.dblDistVaHigh(), 400);

    const DistModel& m = rig.analysis.model;
    // The quiescent point lies on the load line and on the characteristic.
    const double ia = Rig::value(m.lblIaDC);
    const double va = Rig::value(m.lblVaDC);
    EXPECT_NEAR(va, 300 - ia * 10, 0.01);
    EXPECT_NEAR(ia, triode(va, -4), 0.05);
    const double gain = Rig::value(m.lblGain);
    EXPECT_GT(gain, 5);
    EXPECT_LT(gain, 20);
    const double d2 = Rig::value(m.lblFftDist[1]);
    const double d3 = Rig::value(m.lblFftDist[2]);
    EXPECT_GT(d2, 0.5);
    EXPECT_GT(d2, 3 * d3);
    EXPECT_LT(Rig::value(m.lblFftdB[1]), -10);
    // Total distortion is the root of the summed squares.
    double sum = 0;
    for (int k = 1; k < DistModel::kHarmonics; ++k) {
        sum += std::pow(Rig::value(m.lblFftDist[k]), 2);
    }
    EXPECT_NEAR(Rig::value(m.lblFftDistTotal), std::sqrt(sum), 0.002);
    EXPECT_NEAR(Rig::value(m.lblFftAmpl[0]), gain * 2, 0.02);

    // The swing the graph marks: the positive grid peak pulls the anode lowest.
    const double vaMin = rig.analysis.dblDistVaMin();
    const double vaMax = rig.analysis.dblDistVaMax();
    EXPECT_LT(vaMin, va);
    EXPECT_GT(vaMax, va);
    EXPECT_NEAR(vaMax - vaMin, 2 * Rig::value(m.lblFftAmpl[0]), 0.15 * (vaMax - vaMin));
    EXPECT_EQ(rig.state.dist.dblDistVaMin, vaMin);
    EXPECT_FALSE(rig.state.dist.blnError);
    EXPECT_EQ(rig.draws, 1);
}

TEST(DistAnalysis, ALinearValveHasNoHarmonics) {
    Rig rig;
    rig.measure(linearValve, kGrids, 0, 400, 10);
    rig.set(300, 10, -4, 1);
    rig.analysis.cmdAnalyze_Click();
    ASSERT_TRUE(rig.dialogs.messages.empty());
    const DistModel& m = rig.analysis.model;
    // gm (ra || Rload) = 2 mA/V x 5 kohm.
    EXPECT_NEAR(Rig::value(m.lblGain), 10, 0.01);
    // What remains is the bisection's tolerance of 1 uA.
    EXPECT_LT(Rig::value(m.lblFftDistTotal), 0.05);
    for (int k = 1; k < DistModel::kHarmonics; ++k) {
        if (m.lblFftdB[k] != "< 100") {
            EXPECT_LT(Rig::value(m.lblFftdB[k]), -65) << k;
        }
    }
}

TEST(DistAnalysis, PowersFromOneWattOnAreShownInWatts) {
    // Pentode-like flat curves: the current depends on the grid only, so the quiescent
    // point is exact. Ia = 1 mA/V x (Vg + 20).
    const ValveModel flat = [](double, double vg) { return vg + 20; };
    const std::vector<double> grids = {-18, -16, -14, -12, -10, -8, -6};
    struct Case {
        double vsupply, rload, vgrid;
        std::string tube, tubeUnit, supply, supplyUnit;
    };
    const Case cases[] = {
        // 10 mA, 250 V: 2500 mW in the valve, 3000 mW from the supply.
        {300, 5, -10, "2.5", "W", "3", "W"},
        // 4 mA, 200 V: 800 mW in the valve, 1200 mW from the supply.
        {300, 25, -16, "800", "mW", "1.2", "W"},
    };
    for (const Case& c : cases) {
        Rig rig;
        rig.measure(flat, grids, 0, 400, 10);
        rig.set(c.vsupply, c.rload, c.vgrid, 1);
        rig.analysis.cmdAnalyze_Click();
        ASSERT_TRUE(rig.dialogs.messages.empty()) << c.tube;
        const DistModel& m = rig.analysis.model;
        EXPECT_EQ(m.lblPtubeDC, c.tube);
        EXPECT_EQ(m.lblPtubeDCUnit, c.tubeUnit);
        EXPECT_EQ(m.lblPsupplyDC, c.supply);
        EXPECT_EQ(m.lblPsupplyDCUnit, c.supplyUnit);
    }
}

TEST(DistAnalysis, AStageWhoseCurrentFollowsTheGridLinearlyShowsExactResults) {
    // Flat curves, Ia = gm (Vg + 20): the transfer characteristic is a straight line, so the
    // anode voltage is Vsupply - Rload gm (Vgrid + 20 + Vsign sin) and every result is known.
    struct Case {
        double gm, vaTo, vaStep, vsupply, rload, vgrid, vsign;
        std::string iaDC, vaDC, tube, tubeUnit, supply, supplyUnit, vaAV, iaAV, gain, ampl1, pwr1,
            total, totalUnit;
        double vaMin, vaMax;
    };
    // clang-format off
    const Case cases[] = {
        // 10 mA at 249.4 V; the anode swings 5.06 V either way, 2.53 mW of signal power.
        {1, 400, 10, 300, 5.06, -10, 1,
         "10", "249.4", "2.49", "W", "3", "W", "249.4", "10", "5.06", "5.06", "2.53", "2.5", "mW",
         244.34, 254.46},
        // 4 mA at 200 V; 50 V either way.
        {1, 400, 10, 300, 25, -16, 2,
         "4", "200", "800", "mW", "1.2", "W", "200", "4", "25", "50", "50", "50", "mW",
         150, 250},
        // 10 mA at 400 V; 360 V either way, 1080 mW of signal power.
        {2, 1000, 25, 1000, 60, -15, 3,
         "10", "400", "4", "W", "10", "W", "400", "10", "120", "360", "1080", "1.08", "W",
         40, 760},
    };
    // clang-format on
    const std::vector<double> grids = {-18, -16, -14, -12, -10, -8, -6};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "Rload " << c.rload);
        Rig rig;
        const double gm = c.gm;
        rig.measure([gm](double, double vg) { return gm * (vg + 20); }, grids, 0, c.vaTo, c.vaStep);
        rig.set(c.vsupply, c.rload, c.vgrid, c.vsign);
        rig.analysis.cmdAnalyze_Click();
        ASSERT_TRUE(rig.dialogs.messages.empty()) << rig.dialogs.texts()[0];
        const DistModel& m = rig.analysis.model;
        EXPECT_EQ(m.lblIaDC, c.iaDC);
        EXPECT_EQ(m.lblVaDC, c.vaDC);
        EXPECT_EQ(m.lblPtubeDC, c.tube);
        EXPECT_EQ(m.lblPtubeDCUnit, c.tubeUnit);
        EXPECT_EQ(m.lblPsupplyDC, c.supply);
        EXPECT_EQ(m.lblPsupplyDCUnit, c.supplyUnit);
        EXPECT_EQ(m.lblVaAV, c.vaAV);
        EXPECT_EQ(m.lblIaAV, c.iaAV);
        EXPECT_EQ(m.lblGain, c.gain);
        EXPECT_EQ(m.lblFftAmpl[0], c.ampl1);
        EXPECT_EQ(m.lblFftPwr[0], c.pwr1);
        for (int k = 1; k < DistModel::kHarmonics; ++k) {
            EXPECT_EQ(m.lblFftAmpl[k], "0") << k;
            EXPECT_EQ(m.lblFftPwr[k], "0") << k;
            EXPECT_EQ(m.lblFftDist[k], "0") << k;
            EXPECT_EQ(m.lblFftdB[k], "< 100") << k;
        }
        EXPECT_EQ(m.lblFftDistTotal, "0");
        EXPECT_EQ(m.lblFftPwrTotal, c.total);
        EXPECT_EQ(m.lblFftPwrTotalUnit, c.totalUnit);
        // The positive grid peak draws the most current and pulls the anode lowest.
        EXPECT_NEAR(rig.analysis.dblDistVaMin(), c.vaMin, 1e-6);
        EXPECT_NEAR(rig.analysis.dblDistVaMax(), c.vaMax, 1e-6);
    }
}

TEST(DistAnalysis, ASquareLawStageHasOnlyASecondHarmonicOfTheExpectedLevel) {
    // Ia = a (Vg + 20)^2 with c = Vgrid + 20: the current is a (c^2 + s^2 / 2) + 2 a c s sin
    // - a s^2 / 2 cos 2wt, so A1 = 2 a c s R, A2 = a s^2 R / 2 and A2 / A1 = s / (4 c).
    // With a = 0.1, c = 10, s = 2, R = 5: A1 = 20 V, A2 = 1 V, 5 %, -26.02 dBc.
    Rig rig;
    rig.measure([](double, double vg) { return 0.1 * (vg + 20) * (vg + 20); },
                {-18, -16, -14, -12, -10, -8, -6, -4, -2}, 0, 400, 10);
    rig.set(300, 5, -10, 2);
    rig.analysis.cmdAnalyze_Click();
    ASSERT_TRUE(rig.dialogs.messages.empty()) << rig.dialogs.texts()[0];
    const DistModel& m = rig.analysis.model;
    // The transfer characteristic is a polygon through 51 points of the parabola: a few
    // thousandths of a volt off.
    EXPECT_NEAR(Rig::value(m.lblFftAmpl[0]), 20, 0.011);
    EXPECT_NEAR(Rig::value(m.lblFftAmpl[1]), 1, 0.011);
    EXPECT_NEAR(Rig::value(m.lblGain), 10, 0.011);
    EXPECT_NEAR(Rig::value(m.lblFftDist[1]), 5, 0.01);
    EXPECT_EQ(m.lblFftdB[1], "-26");
    EXPECT_NEAR(Rig::value(m.lblFftDistTotal), 5, 0.01);
    for (int k = 2; k < DistModel::kHarmonics; ++k) {
        EXPECT_NEAR(Rig::value(m.lblFftDist[k]), 0, 0.01) << k;
    }
    // The average current rises under drive by a s^2 / 2 = 0.2 mA.
    EXPECT_NEAR(Rig::value(m.lblVaAV), 300 - 5 * 10.2, 0.011);
    EXPECT_NEAR(Rig::value(m.lblIaAV), 10.2, 0.011);
    EXPECT_NEAR(Rig::value(m.lblIaDC), 10, 0.011);
    // P = A^2 / (2 Rload): 40 mW in the fundamental, 0.1 mW in the second harmonic.
    EXPECT_NEAR(Rig::value(m.lblFftPwr[0]), 40, 0.05);
    EXPECT_NEAR(Rig::value(m.lblFftPwr[1]), 0.1, 0.011);
    EXPECT_NEAR(Rig::value(m.lblFftPwrTotal), 40.1, 0.051);
}

TEST(DistAnalysis, ALoadLineThatNeverMeetsTheSurfaceStopsTheBisection) {
    // Currents below zero at the negative signal peak (an offset in the measurement): the
    // difference stays negative all the way up to the supply voltage.
    Rig rig;
    rig.measure([](double, double vg) { return vg + 5; }, {-8, -7, -6, -5, -4}, 0, 400, 10);
    rig.set(300, 10, -6, 1);
    rig.analysis.cmdAnalyze_Click();
    EXPECT_EQ(rig.dialogs.texts(),
              std::vector<std::string>{
                  "Maximum number of itterations exceeded, please save problem and report."});
    EXPECT_TRUE(rig.analysis.blnError());
    for (const std::string& r : rig.results()) {
        EXPECT_EQ(r, "- - -   ");
    }
    // The surface was dumped before the bisection; the graph still redraws.
    EXPECT_TRUE(fileExists("curves.txt"));
    EXPECT_EQ(rig.draws, 1);
    EXPECT_EQ(rig.fronts, 1);
}

TEST(DistAnalysis, EachCurveIsReadFromItsOwnRows) {
    // The middle curve stops at 300 V while the last one runs to 400 V: it must not borrow
    // points of the next curve to make up the count.
    Rig rig;
    int row = 0;
    const double grids[] = {-6, -4, -2};
    const double ends[] = {400, 300, 400};
    for (int c = 0; c < 3; ++c) {
        for (double va = 0; va <= ends[c]; va += 10) {
            rig.put(row++, c + 1, va, grids[c], triode(va, grids[c]));
        }
    }
    rig.state.dblMeasMatrix(row, MeasMatrix::Curve) = 0;
    rig.set(300, 20, -4, 1);
    rig.analysis.cmdAnalyze_Click();
    ASSERT_TRUE(rig.dialogs.messages.empty()) << rig.dialogs.texts()[0];
    EXPECT_EQ(rig.analysis.dblDistVaHigh(), 300);
    EXPECT_EQ(rig.analysis.dblDistVgMin(), -6);
    EXPECT_EQ(rig.analysis.dblDistVgMax(), -2);
    EXPECT_NEAR(rig.analysis.SurfaceIa(200, -4), triode(200, -4), 0.05);
}

TEST(DistAnalysis, AFamilyWithoutAnAnodeRangeOrGridStepsGivesAMessage) {
    struct Case {
        const char* what;
        std::function<void(Rig&)> fill;
    };
    const Case cases[] = {
        {"screen sweep at a fixed anode voltage",
         [](Rig& r) {
             int row = 0;
             for (int c = 0; c < 3; ++c) {
                 for (int p = 0; p < 10; ++p) {
                     r.put(row++, c + 1, 250, -2.0 * c, 5.0 + p);
                 }
             }
             r.state.dblMeasMatrix(row, MeasMatrix::Curve) = 0;
         }},
        {"curves stepped by something else than the grid",
         [](Rig& r) {
             r.measure(triode, {-4, -4, -4}, 0, 300, 10);
         }},
    };
    for (const Case& c : cases) {
        Rig rig;
        c.fill(rig);
        rig.analysis.cmdAnalyze_Click();
        EXPECT_EQ(rig.dialogs.messages.size(), 1u) << c.what;
        EXPECT_TRUE(rig.analysis.blnError()) << c.what;
        EXPECT_EQ(rig.analysis.model.lblGain, "- - -   ") << c.what;
    }
}

TEST(DistAnalysis, TheSurfaceIsDumpedForLookingIntoAnAnalysis) {
    Rig rig;
    rig.measure(linearValve, kGrids, 0, 400, 10);
    rig.set(300, 10, -4, 1);
    rig.analysis.cmdAnalyze_Click();
    std::string error;
    const std::optional<std::string> dump = readWholeFile("curves.txt", error);
    ASSERT_TRUE(dump.has_value()) << error;
    LineReader lines(*dump);
    EXPECT_EQ(lines.lineCount(), 17u * 42u);
    // Print zones of 14 columns; the surface extends the straight lines beyond the family.
    EXPECT_EQ(*lines.nextLine(), "Vg = " + std::string(9, ' ') + "-16 ");
    EXPECT_EQ(*lines.nextLine(), " 0 " + std::string(11, ' ') + "-12 ");
    const std::string third = *lines.nextLine();
    EXPECT_EQ(third.substr(0, 14), " 10 " + std::string(10, ' '));
    EXPECT_NEAR(parseNumber(third.substr(14)).value_or(0), -11, 1e-9);
    EXPECT_EQ(dump->substr(0, 20), "Vg = " + std::string(9, ' ') + "-16 \r\n");
}

}  // namespace
}  // namespace ostrino
