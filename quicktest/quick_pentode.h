#pragma once
// The pentode quick test: the centre point and one pair of points around it for each of
// grid, anode and screen. Anode and screen current, Ra, Rs, Gma, Gms, the cross
// transconductances Gm1 and Gm2, mu1 and mu2.

#include <functional>
#include <string>
#include <vector>

#include "quicktest/quick_common.h"

namespace ostrino {

// The controls of the pentode window that the logic reads or writes.
struct QTpentodeModel {
    std::string txtVa, txtVaProc, txtVaStep;
    std::string txtVs, txtVsProc, txtVsStep;
    std::string txtVg, txtVgProc, txtVgStep;
    std::string txtIaNom, txtIsNom, txtRaNom, txtGmNom, txtMuNom;
    std::string txtTitle;
    std::string cmdTestCaption = "Test";
    bool cmdTestEnabled = true;
    bool chkTriode = false;
    bool chkPentode = true;

    std::string lblVa = kNotMeasured, lblVs = kNotMeasured;
    std::string lblIa = kNotMeasured, lblIs = kNotMeasured;
    std::string lblIaProc = kNotMeasured, lblIsProc = kNotMeasured;
    int ProgressBar1 = 0, ProgressBar2 = 0;

    std::string lblIaVg = kNotMeasured, lblIaVgmA = "(mA/V)", lblGmProc = kNotMeasured;
    std::string lblVaIa = kNotMeasured, lblVaIaohm = "(ohm)", lblRaProc = kNotMeasured;
    std::string lblMu1 = kNotMeasured, lblMuProc = kNotMeasured;
    std::string lblIaVs = kNotMeasured, lblIaVsmA = "(mA/V)";
    std::string lblIsVg = kNotMeasured, lblIsVgmA = "(mA/V)";
    std::string lblVsIs = kNotMeasured, lblVsIsohm = "(ohm)";
    std::string lblMu2 = kNotMeasured;
    std::string lblIsVa = kNotMeasured, lblIsVamA = "(mA/V)";

    // The figures of the last analysis, unrounded.
    std::vector<QuickTestFigure> figures;
};

class QTpentode : public QuickTestLogic<QTpentodeModel> {
  public:
    explicit QTpentode(QuickTestContext ctx);

    // The window's part: show the triode window instead.
    std::function<void()> showTriode;

    void cmdTest_Click();
    void cmdReport_Click() { ReportPentode(); }
    void chkTriode_Click();

    void ComposeQTPMatrix();
    void DoQTPMeasurement();
    void AnalyzeQTPMatrix();
    void ReportPentode();
    // The report as written to the file.
    std::string reportText() const;
    // The results the window shows, one line each: "Ia: 1.21 mA (97 %)".
    std::vector<std::string> resultLines() const;

    double dblVaStep() const { return fields_.steps[0]; }
    double dblVsStep() const { return fields_.steps[1]; }
    double dblVgStep() const { return fields_.steps[2]; }
};

}  // namespace ostrino
