#include "quicktest/quick_triode.h"

#include <cmath>
#include <utility>

namespace ostrino {

namespace {

const QTFieldBinding kTriodeFields{
    &QuickTestSettings::dblQTTVa1,
    &QuickTestSettings::dblQTTVa1Proc,
    &QuickTestSettings::dblQTTVa2,
    &QuickTestSettings::dblQTTVa2Proc,
    &QuickTestSettings::dblQTTVg,
    &QuickTestSettings::dblQTTVgProc,
    {&QuickTestSettings::dblQTTIa1Nom, &QuickTestSettings::dblQTTIa2Nom,
     &QuickTestSettings::dblQTTRaNom, &QuickTestSettings::dblQTTGmNom,
     &QuickTestSettings::dblQTTMuNom},
    {300.0, 300.0, 1000.0, 100.0, 1000.0},
    {"Va section 1", "Va section 1 swing (%)", "Va section 1 swing (V)", "Va section 2",
     "Va section 2 swing (%)", "Va section 2 swing (V)", "Vg", "Vg swing (%)", "Vg swing (V)",
     "Nominal Ia section 1", "Nominal Ia section 2", "Nominal Ra", "Nominal Gm", "Nominal mu"},
};

constexpr int kPoints = 5;

// The result labels of one section.
struct SectionLabels {
    std::string& ra;
    std::string& raUnit;
    std::string& raProc;
    std::string& gm;
    std::string& gmUnit;
    std::string& gmProc;
    std::string& mu;
    std::string& muProc;
};

// Ra from rows 0 and 4, Gm from rows 1 and 3, of the current column iCol against the
// voltage column vCol.
void analyzeSection(const MeasMatrix& m, int iCol, int vCol, const QuickTestSettings& q,
                    SectionLabels out, std::vector<QuickTestFigure>& figures, int section) {
    const Differential ra =
        rowMeasured(m, 0) && rowMeasured(m, 4)
            ? resistance(m(4, vCol) - m(0, vCol), (m(4, iCol) - m(0, iCol)) / 1000.0)
            : notMeasured();
    showDifferential(ra, out.ra, out.raUnit);
    out.raProc = comparedText(ra, q.dblQTTRaNom, 1000.0);
    addFigure(figures, section, "Ra", ra);

    const Differential gm =
        rowMeasured(m, 1) && rowMeasured(m, 3)
            ? transconductance(m(3, iCol) - m(1, iCol), m(3, MeasMatrix::Vg) - m(1, MeasMatrix::Vg))
            : notMeasured();
    showDifferential(gm, out.gm, out.gmUnit);
    out.gmProc = comparedText(gm, q.dblQTTGmNom, 1.0);
    addFigure(figures, section, "Gm", gm);

    if (ra.computed && gm.computed) {
        const double mu = gm.value * ra.value / 1000.0;
        out.mu = decimalsText(mu, 0);
        double bar = 0.0;
        out.muProc = CalNom(mu, q.dblQTTMuNom, bar);
        figures.push_back({section, "mu", mu});
    } else {
        out.mu = "N.A.";
        out.muProc = "---";
    }
}

}  // namespace

QTtriode::QTtriode(QuickTestContext ctx)
    : QuickTestLogic(
          std::move(ctx), kTriodeFields,
          {&QTtriodeModel::txtVa1, &QTtriodeModel::txtVa1Proc, &QTtriodeModel::txtVa1Step,
           &QTtriodeModel::txtVa2, &QTtriodeModel::txtVa2Proc, &QTtriodeModel::txtVa2Step,
           &QTtriodeModel::txtVg, &QTtriodeModel::txtVgProc, &QTtriodeModel::txtVgStep,
           &QTtriodeModel::txtIa1Nom, &QTtriodeModel::txtIa2Nom, &QTtriodeModel::txtRaNom,
           &QTtriodeModel::txtGmNom, &QTtriodeModel::txtMuNom}) {}

void QTtriode::cmdTest_Click() {
    if (startTest()) {
        DoQTTMeasurement();
    }
}

void QTtriode::chkPentode_Click() {
    switchTo(model.chkPentode, 2, showPentode);
}

void QTtriode::ComposeQTTMatrix() {
    const QuickTestSettings& q = ctx_.settings;
    auto& m = testPoints();
    const double vh = ctx_.run.heaterTarget();
    const double dVa1 = q.dblQTTVa1 * q.dblQTTVa1Proc / 100.0;
    const double dVa2 = q.dblQTTVa2 * q.dblQTTVa2Proc / 100.0;
    const double dVg = std::fabs(q.dblQTTVg * q.dblQTTVgProc / 100.0);
    const QuickTestPoint points[kPoints] = {
        {q.dblQTTVa1 - dVa1, q.dblQTTVa2 - dVa2, q.dblQTTVg},
        {q.dblQTTVa1, q.dblQTTVa2, q.dblQTTVg - dVg},
        {q.dblQTTVa1, q.dblQTTVa2, q.dblQTTVg},
        {q.dblQTTVa1, q.dblQTTVa2, q.dblQTTVg + dVg},
        {q.dblQTTVa1 + dVa1, q.dblQTTVa2 + dVa2, q.dblQTTVg},
    };
    composeQuickTestPoints(m, vh, points, kPoints);
}

void QTtriode::DoQTTMeasurement() {
    measure([this] { ComposeQTTMatrix(); }, [this] { AnalyzeQTTMatrix(); });
}

void QTtriode::AnalyzeQTTMatrix() {
    const auto& m = testPoints();
    const QuickTestSettings& q = ctx_.settings;
    double bar = 0.0;
    model.figures.clear();
    if (rowMeasured(m, 2)) {
        model.figures.push_back({1, "Ia", m(2, MeasMatrix::Ia)});
        model.figures.push_back({2, "Ia", m(2, MeasMatrix::Is)});
        model.lblIa1 = decimalsText(m(2, MeasMatrix::Ia), 2);
        model.lblIa2 = decimalsText(m(2, MeasMatrix::Is), 2);
        model.lblVa1 = decimalsText(m(2, MeasMatrix::Va), 1);
        model.lblVa2 = decimalsText(m(2, MeasMatrix::Vs), 1);
        model.lblIa1Proc = CalNom(m(2, MeasMatrix::Ia), q.dblQTTIa1Nom, bar);
        model.ProgressBar1 = progressValue(bar);
        model.lblIa2Proc = CalNom(m(2, MeasMatrix::Is), q.dblQTTIa2Nom, bar);
        model.ProgressBar2 = progressValue(bar);
    } else {
        for (std::string* label : {&model.lblIa1, &model.lblIa2, &model.lblVa1, &model.lblVa2,
                                   &model.lblIa1Proc, &model.lblIa2Proc}) {
            *label = kNotMeasured;
        }
        model.ProgressBar1 = 0;
        model.ProgressBar2 = 0;
    }
    analyzeSection(m, MeasMatrix::Ia, MeasMatrix::Va, q,
                   {model.lblVa1Ia1, model.lblVa1Ia1ohm, model.lblRa1Proc, model.lblIa1Vg,
                    model.lblIa1VgmA, model.lblGm1Proc, model.lblMu1, model.lblMu1Proc},
                   model.figures, 1);
    analyzeSection(m, MeasMatrix::Is, MeasMatrix::Vs, q,
                   {model.lblVa2Ia2, model.lblVa2Ia2ohm, model.lblRa2Proc, model.lblIa2Vg,
                    model.lblIa2VgmA, model.lblGm2Proc, model.lblMu2, model.lblMu2Proc},
                   model.figures, 2);
}

std::string QTtriode::reportText() const {
    const QTtriodeModel& t = model;
    PrintWriter w;
    w.str(reportDateTime(ctx_)).str("  Ostrino3, GUI  V3.11  Triode Quick Test").endLine();
    w.str(" ").endLine();
    w.str(t.txtTitle).endLine();
    w.str(" ").endLine();
    struct Section {
        const char* heading;
        const std::string &va, &vaStep, &vaProc, &ia, &iaProc, &iaNom, &ra, &raUnit, &raProc, &gm,
            &gmUnit, &gmProc, &mu, &muProc;
    };
    const Section sections[2] = {
        {"SECTION 1", t.txtVa1, t.txtVa1Step, t.txtVa1Proc, t.lblIa1, t.lblIa1Proc, t.txtIa1Nom,
         t.lblVa1Ia1, t.lblVa1Ia1ohm, t.lblRa1Proc, t.lblIa1Vg, t.lblIa1VgmA, t.lblGm1Proc,
         t.lblMu1, t.lblMu1Proc},
        {"SECTION 2", t.txtVa2, t.txtVa2Step, t.txtVa2Proc, t.lblIa2, t.lblIa2Proc, t.txtIa2Nom,
         t.lblVa2Ia2, t.lblVa2Ia2ohm, t.lblRa2Proc, t.lblIa2Vg, t.lblIa2VgmA, t.lblGm2Proc,
         t.lblMu2, t.lblMu2Proc},
    };
    for (const Section& s : sections) {
        w.str(s.heading).endLine();
        w.str(" ").endLine();
        w.str("Test conditions:").endLine();
        reportConditionLine(w, "Va  : ", s.va, s.vaStep, s.vaProc);
        reportConditionLine(w, "Vg  : ", t.txtVg, t.txtVgStep, t.txtVgProc);
        w.str(" ").endLine();
        w.str("Test results:").endLine();
        reportResultLine(w, "Ia  : ", s.ia, " (mA)", &s.iaProc, &s.iaNom, " (mA)", " ");
        reportResultLine(w, "Ra  : ", s.ra, " " + s.raUnit, &s.raProc, &t.txtRaNom, " (kohm)",
                         "Ra = dVa/dIa");
        reportResultLine(w, "Gm  : ", s.gm, " " + s.gmUnit, &s.gmProc, &t.txtGmNom, " (mA/V)",
                         "Gm = dIa/dVg");
        reportResultLine(w, "mu  : ", s.mu, " (-)", &s.muProc, &t.txtMuNom, " (-)", "mu = Gm*Ra");
        w.str(" ").endLine();
        w.str(" ").endLine();
    }
    return w.text();
}

std::vector<std::string> QTtriode::resultLines() const {
    const QTtriodeModel& t = model;
    return {
        resultLine("Va section 1", t.lblVa1, "V", nullptr),
        resultLine("Va section 2", t.lblVa2, "V", nullptr),
        resultLine("Section 1 Ia", t.lblIa1, "mA", &t.lblIa1Proc),
        resultLine("Section 2 Ia", t.lblIa2, "mA", &t.lblIa2Proc),
        resultLine("Section 1 Ra", t.lblVa1Ia1, t.lblVa1Ia1ohm, &t.lblRa1Proc),
        resultLine("Section 2 Ra", t.lblVa2Ia2, t.lblVa2Ia2ohm, &t.lblRa2Proc),
        resultLine("Section 1 Gm", t.lblIa1Vg, t.lblIa1VgmA, &t.lblGm1Proc),
        resultLine("Section 2 Gm", t.lblIa2Vg, t.lblIa2VgmA, &t.lblGm2Proc),
        resultLine("Section 1 mu", t.lblMu1, "", &t.lblMu1Proc),
        resultLine("Section 2 mu", t.lblMu2, "", &t.lblMu2Proc),
    };
}

void QTtriode::ReportTriode() {
    writeReport(ctx_.dialogs, reportText(), ctx_.settings.chkAppendTriode);
}

}  // namespace ostrino
