#pragma once
// The triode quick test: five points around an operating point, shared by both sections of a
// double triode (section 1 on the anode supply, section 2 on the screen supply, one grid).
// Currents, Ra, Gm and mu of each section, compared with the nominal values.

#include <functional>
#include <string>
#include <vector>

#include "quicktest/quick_common.h"

namespace ostrino {

// The controls of the triode window that the logic reads or writes.
struct QTtriodeModel {
    std::string txtVa1, txtVa1Proc, txtVa1Step;
    std::string txtVa2, txtVa2Proc, txtVa2Step;
    std::string txtVg, txtVgProc, txtVgStep;
    std::string txtIa1Nom, txtIa2Nom, txtRaNom, txtGmNom, txtMuNom;
    std::string txtTitle;
    std::string cmdTestCaption = "Test";
    bool cmdTestEnabled = true;
    bool chkPentode = false;
    bool chkTriode = true;

    std::string lblVa1 = kNotMeasured, lblVa2 = kNotMeasured;
    std::string lblIa1 = kNotMeasured, lblIa2 = kNotMeasured;
    std::string lblIa1Proc = kNotMeasured, lblIa2Proc = kNotMeasured;
    int ProgressBar1 = 0, ProgressBar2 = 0;

    std::string lblVa1Ia1 = kNotMeasured, lblVa1Ia1ohm = "(kohm)", lblRa1Proc = kNotMeasured;
    std::string lblIa1Vg = kNotMeasured, lblIa1VgmA = "(mA/V)", lblGm1Proc = kNotMeasured;
    std::string lblMu1 = kNotMeasured, lblMu1Proc = kNotMeasured;
    std::string lblVa2Ia2 = kNotMeasured, lblVa2Ia2ohm = "(kohm)", lblRa2Proc = kNotMeasured;
    std::string lblIa2Vg = kNotMeasured, lblIa2VgmA = "(mA/V)", lblGm2Proc = kNotMeasured;
    std::string lblMu2 = kNotMeasured, lblMu2Proc = kNotMeasured;

    // The figures of the last analysis, unrounded.
    std::vector<QuickTestFigure> figures;
};

class QTtriode : public QuickTestLogic<QTtriodeModel> {
  public:
    explicit QTtriode(QuickTestContext ctx);

    // The window's part: show the pentode window instead.
    std::function<void()> showPentode;

    void cmdTest_Click();
    void cmdReport_Click() { ReportTriode(); }
    void chkPentode_Click();

    void ComposeQTTMatrix();
    void DoQTTMeasurement();
    void AnalyzeQTTMatrix();
    void ReportTriode();
    // The report as written to the file.
    std::string reportText() const;
    // The results the window shows, one line each: "Section 1 Ia: 1.21 mA (97 %)".
    std::vector<std::string> resultLines() const;

    double dblVa1Step() const { return fields_.steps[0]; }
    double dblVa2Step() const { return fields_.steps[1]; }
    double dblVgStep() const { return fields_.steps[2]; }
};

}  // namespace ostrino
