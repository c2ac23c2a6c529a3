#include "quicktest/quick_pentode.h"

#include <cmath>
#include <utility>

namespace ostrino {

namespace {

const QTFieldBinding kPentodeFields{
    &QuickTestSettings::dblQTPVa,
    &QuickTestSettings::dblQTPVaProc,
    &QuickTestSettings::dblQTPVs,
    &QuickTestSettings::dblQTPVsProc,
    &QuickTestSettings::dblQTPVg,
    &QuickTestSettings::dblQTPVgProc,
    {&QuickTestSettings::dblQTPIaNom, &QuickTestSettings::dblQTPIsNom,
     &QuickTestSettings::dblQTPRaNom, &QuickTestSettings::dblQTPGmNom,
     &QuickTestSettings::dblQTPMuNom},
    {300.0, 300.0, 1000.0, 100.0, 1000.0},
    {"Va", "Va swing (%)", "Va swing (V)", "Vs", "Vs swing (%)", "Vs swing (V)", "Vg",
     "Vg swing (%)", "Vg swing (V)", "Nominal Ia", "Nominal Is", "Nominal Ra", "Nominal Gm",
     "Nominal mu"},
};

constexpr int kPoints = 7;

}  // namespace

QTpentode::QTpentode(QuickTestContext ctx)
    : QuickTestLogic(
          std::move(ctx), kPentodeFields,
          {&QTpentodeModel::txtVa, &QTpentodeModel::txtVaProc, &QTpentodeModel::txtVaStep,
           &QTpentodeModel::txtVs, &QTpentodeModel::txtVsProc, &QTpentodeModel::txtVsStep,
           &QTpentodeModel::txtVg, &QTpentodeModel::txtVgProc, &QTpentodeModel::txtVgStep,
           &QTpentodeModel::txtIaNom, &QTpentodeModel::txtIsNom, &QTpentodeModel::txtRaNom,
           &QTpentodeModel::txtGmNom, &QTpentodeModel::txtMuNom}) {}

void QTpentode::cmdTest_Click() {
    if (startTest()) {
        DoQTPMeasurement();
    }
}

void QTpentode::chkTriode_Click() {
    switchTo(model.chkTriode, 1, showTriode);
}

void QTpentode::ComposeQTPMatrix() {
    const QuickTestSettings& q = ctx_.settings;
    auto& m = testPoints();
    const double vh = ctx_.run.heaterTarget();
    const double dVa = q.dblQTPVa * q.dblQTPVaProc / 100.0;
    const double dVs = q.dblQTPVs * q.dblQTPVsProc / 100.0;
    const double dVg = std::fabs(q.dblQTPVg * q.dblQTPVgProc / 100.0);
    const double va = q.dblQTPVa;
    const double vs = q.dblQTPVs;
    const double vg = q.dblQTPVg;
    const QuickTestPoint points[kPoints] = {
        {va, vs, vg - dVg}, {va, vs, vg},       {va, vs, vg + dVg}, {va - dVa, vs, vg},
        {va + dVa, vs, vg}, {va, vs - dVs, vg}, {va, vs + dVs, vg},
    };
    composeQuickTestPoints(m, vh, points, kPoints);
}

void QTpentode::DoQTPMeasurement() {
    measure([this] { ComposeQTPMatrix(); }, [this] { AnalyzeQTPMatrix(); });
}

void QTpentode::AnalyzeQTPMatrix() {
    const auto& m = testPoints();
    const QuickTestSettings& q = ctx_.settings;
    QTpentodeModel& p = model;
    const auto measured = [&m](int a, int b) { return rowMeasured(m, a) && rowMeasured(m, b); };
    const auto at = [&m](int row, int col) { return m(row, col); };
    constexpr int Ia = MeasMatrix::Ia, Is = MeasMatrix::Is, Va = MeasMatrix::Va,
                  Vs = MeasMatrix::Vs, Vg = MeasMatrix::Vg;

    double bar = 0.0;
    p.figures.clear();
    if (rowMeasured(m, 1)) {
        p.figures.push_back({1, "Ia", at(1, Ia)});
        p.figures.push_back({1, "Is", at(1, Is)});
        p.lblIa = decimalsText(at(1, Ia), 2);
        p.lblIs = decimalsText(at(1, Is), 2);
        p.lblVa = decimalsText(at(1, Va), 1);
        p.lblVs = decimalsText(at(1, Vs), 1);
        p.lblIaProc = CalNom(at(1, Ia), q.dblQTPIaNom, bar);
        p.ProgressBar1 = progressValue(bar);
        p.lblIsProc = CalNom(at(1, Is), q.dblQTPIsNom, bar);
        p.ProgressBar2 = progressValue(bar);
    } else {
        for (std::string* label :
             {&p.lblIa, &p.lblIs, &p.lblVa, &p.lblVs, &p.lblIaProc, &p.lblIsProc}) {
            *label = kNotMeasured;
        }
        p.ProgressBar1 = 0;
        p.ProgressBar2 = 0;
    }

    // Anode pair: rows 3 and 4; screen pair: rows 5 and 6; grid pair: rows 0 and 2.
    const Differential ra =
        measured(3, 4) ? resistance(at(4, Va) - at(3, Va), (at(4, Ia) - at(3, Ia)) / 1000.0)
                       : notMeasured();
    showDifferential(ra, p.lblVaIa, p.lblVaIaohm);
    p.lblRaProc = comparedText(ra, q.dblQTPRaNom, 1000.0);

    const Differential gm1 = measured(5, 6)
                                 ? transconductance(at(6, Ia) - at(5, Ia), at(6, Vs) - at(5, Vs))
                                 : notMeasured();
    showDifferential(gm1, p.lblIaVs, p.lblIaVsmA);

    const Differential gma = measured(0, 2)
                                 ? transconductance(at(2, Ia) - at(0, Ia), at(2, Vg) - at(0, Vg))
                                 : notMeasured();
    showDifferential(gma, p.lblIaVg, p.lblIaVgmA);
    p.lblGmProc = comparedText(gma, q.dblQTPGmNom, 1.0);

    const Differential gm2 = measured(3, 4)
                                 ? transconductance(at(4, Is) - at(3, Is), at(4, Va) - at(3, Va))
                                 : notMeasured();
    showDifferential(gm2, p.lblIsVa, p.lblIsVamA);

    const Differential rs =
        measured(5, 6) ? resistance(at(6, Vs) - at(5, Vs), (at(6, Is) - at(5, Is)) / 1000.0)
                       : notMeasured();
    showDifferential(rs, p.lblVsIs, p.lblVsIsohm);

    const Differential gms = measured(0, 2)
                                 ? transconductance(at(2, Is) - at(0, Is), at(2, Vg) - at(0, Vg))
                                 : notMeasured();
    showDifferential(gms, p.lblIsVg, p.lblIsVgmA);

    if (ra.computed && gma.computed) {
        const double mu1 = gma.value * ra.value / 1000.0;
        p.lblMu1 = decimalsText(mu1, 0);
        p.lblMuProc = CalNom(mu1, q.dblQTPMuNom, bar);
    } else {
        p.lblMu1 = "N.A.";
        p.lblMuProc = "---";
    }
    p.lblMu2 =
        rs.computed && gms.computed ? decimalsText(gms.value * rs.value / 1000.0, 0) : "N.A.";

    addFigure(p.figures, 1, "Ra", ra);
    addFigure(p.figures, 1, "Gm", gma);
    if (ra.computed && gma.computed) {
        p.figures.push_back({1, "mu", gma.value * ra.value / 1000.0});
    }
    addFigure(p.figures, 1, "Rs", rs);
    addFigure(p.figures, 1, "Gm1", gm1);
    addFigure(p.figures, 1, "Gm2", gm2);
    addFigure(p.figures, 1, "Gms", gms);
    if (rs.computed && gms.computed) {
        p.figures.push_back({1, "mu2", gms.value * rs.value / 1000.0});
    }
}

std::vector<std::string> QTpentode::resultLines() const {
    const QTpentodeModel& p = model;
    return {
        resultLine("Va", p.lblVa, "V", nullptr),
        resultLine("Vs", p.lblVs, "V", nullptr),
        resultLine("Ia", p.lblIa, "mA", &p.lblIaProc),
        resultLine("Is", p.lblIs, "mA", &p.lblIsProc),
        resultLine("Gma", p.lblIaVg, p.lblIaVgmA, &p.lblGmProc),
        resultLine("Ra", p.lblVaIa, p.lblVaIaohm, &p.lblRaProc),
        resultLine("mu1", p.lblMu1, "", &p.lblMuProc),
        resultLine("Gm1", p.lblIaVs, p.lblIaVsmA, nullptr),
        resultLine("Gms", p.lblIsVg, p.lblIsVgmA, nullptr),
        resultLine("Rs", p.lblVsIs, p.lblVsIsohm, nullptr),
        resultLine("mu2", p.lblMu2, "", nullptr),
        resultLine("Gm2", p.lblIsVa, p.lblIsVamA, nullptr),
    };
}

std::string QTpentode::reportText() const {
    const QTpentodeModel& p = model;
    PrintWriter w;
    w.str(reportDateTime(ctx_)).str("  Ostrino3, GUI  V3.11  Pentode Quick Test").endLine();
    w.str(" ").endLine();
    w.str(p.txtTitle).endLine();
    w.str(" ").endLine();
    w.str("Test conditions:").endLine();
    reportConditionLine(w, "Va  : ", p.txtVa, p.txtVaStep, p.txtVaProc);
    reportConditionLine(w, "Vs  : ", p.txtVs, p.txtVsStep, p.txtVsProc);
    reportConditionLine(w, "Vg  : ", p.txtVg, p.txtVgStep, p.txtVgProc);
    w.str(" ").endLine();
    w.str("Test results:").endLine();
    reportResultLine(w, "Ia  : ", p.lblIa, " (mA)", &p.lblIaProc, &p.txtIaNom, " (mA)", " ");
    reportResultLine(w, "Gma : ", p.lblIaVg, " " + p.lblIaVgmA, &p.lblGmProc, &p.txtGmNom,
                     " (mA/V)", "Gma = dIa/dVg");
    reportResultLine(w, "Ra  : ", p.lblVaIa, " " + p.lblVaIaohm, &p.lblRaProc, &p.txtRaNom,
                     " (kohm)", "Ra  = dVa/dIa");
    reportResultLine(w, "mu1 : ", p.lblMu1, " (-)", &p.lblMuProc, &p.txtMuNom, " (-)",
                     "mu1 = Gma*Ra");
    reportResultLine(w, "Gm1 : ", p.lblIaVs, " " + p.lblIaVsmA, nullptr, nullptr, "",
                     "Gm1 = dIa/dVs");
    w.str(" ").endLine();
    reportResultLine(w, "Is  : ", p.lblIs, " (mA)", &p.lblIsProc, &p.txtIsNom, " (mA)", " ");
    reportResultLine(w, "Gms : ", p.lblIsVg, " " + p.lblIsVgmA, nullptr, nullptr, "",
                     "Gma = dIs/dVg");
    reportResultLine(w, "Rs  : ", p.lblVsIs, " " + p.lblVsIsohm, nullptr, nullptr, "",
                     "Rs  = dVs/dIs");
    reportResultLine(w, "mu2 : ", p.lblMu2, " (-)", nullptr, nullptr, "", "mu2 = Gms*Rs");
    reportResultLine(w, "Gm2 : ", p.lblIsVa, " " + p.lblIsVamA, nullptr, nullptr, "",
                     "Gm2 = dIs/dVa");
    w.str(" ").endLine();
    w.str(" ").endLine();
    return w.text();
}

void QTpentode::ReportPentode() {
    writeReport(ctx_.dialogs, reportText(), ctx_.settings.chkAppendPentode);
}

}  // namespace ostrino
