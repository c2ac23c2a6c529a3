#pragma once
// The sweep: the set-point matrix, the heater ramp, the point-by-point measurement and the
// run state behind the two buttons.
//
// The long operations are loops that sleep in short steps and pump window events, so
// "Abort !" can run in between; buttons reach a running loop only through intMeasStat.

#include "common/console_state.h"
#include "link/frm_com_model.h"
#include "link/instrument_link.h"
#include "measure/form1_model.h"
#include "platform/beeper.h"
#include "platform/clock.h"
#include "platform/dialogs.h"

namespace ostrino {

// The voltages of one point of the matrix for a measurement type.
struct PointVoltages {
    double vh = 0.0, vg = 0.0, vs = 0.0, va = 0.0;
    bool gridClipped = false;  // the grid formula of type 12 came out above 0 V
};
PointVoltages pointVoltages(const MeasSettings& s, double x1, double x2, double vaMax);
// Var1 at step j of the sweep, linear or logarithmic.
double var1Value(const MeasSettings& s, int j, bool logSpacing);

class MeasRun {
  public:
    MeasRun(ConsoleState& state, Form1Model& model, FrmComModel& com, InstrumentLink& link,
            Clock& clock, Dialogs& dialogs, Beeper& beeper, Form1Hooks& hooks);

    void ComposeMatrix();
    // The heater voltage of the first point of the present settings; the matrix is not touched.
    double heaterTarget() const;
    void ClearCurves();
    void GotoGroundState();
    void CommandUpdate();
    void DoHeater();
    void DoMeasurement();
    void cmdMeasStart_Click();
    void cmdMeasStop_Click();

    // Communication faults that have ended a heater ramp, a switch-off or a sweep so far.
    int faults() const { return faults_; }

    // The window is closing: a running loop ends at its next yield, nothing more is sent.
    void shutDown();
    bool shuttingDown() const { return closing_; }

  private:
    // Sleeps in short steps with the window live, up to `seconds` and while keepWaiting().
    template <typename Pred>
    void waitYielding(double seconds, double step, Pred keepWaiting);
    void reportFault();

    ConsoleState& state_;
    Form1Model& model_;
    FrmComModel& com_;
    InstrumentLink& link_;
    Clock& clock_;
    Dialogs& dialogs_;
    Beeper& beeper_;
    Form1Hooks& hooks_;
    bool closing_ = false;
    int faults_ = 0;
};

}  // namespace ostrino
