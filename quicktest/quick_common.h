#pragma once
// What the triode and the pentode quick test share: the entry-field rules, the display rules
// of the differential results, the percent-of-nominal rule, the measurement run and the
// writing of a report.

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "common/calibration.h"
#include "common/console_settings.h"
#include "common/print_writer.h"
#include "link/frm_com_model.h"
#include "link/instrument_link.h"
#include "measure/form1_model.h"
#include "measure/meas_run.h"
#include "platform/beeper.h"
#include "platform/clock.h"
#include "platform/dialogs.h"

namespace ostrino {

inline constexpr const char* kNotMeasured = "- - -";
inline constexpr const char* kAdjustedMessage =
    "Some values have been adjusted to accomodate maximum bias ranges";
inline constexpr const char* kHeaterOffMessage = "Quicktest only possible when heater is on";
inline constexpr const char* kReportFilter = "Ostrino datafile (*.txt)|*.txt";
inline constexpr int kProgressMax = 150;

// The highest anode (and screen) voltage of the hardware version.
double maxAnodeVoltage(int intVersion);

// value rounded by Decimals to n decimals, in the general text form.
std::string decimalsText(double value, int n);

// The percent-of-nominal text; dblProc receives the bar value (0..150).
std::string CalNom(double dblMeas, double dblNom, double& dblProc);
// The bar position for a bar value: whole, within 0..150.
int progressValue(double dblProc);

// One differential result as the window shows it.
struct Differential {
    bool computed = false;  // in range, so that it counts for mu and is compared
    double value = 0.0;     // ohm or mA/V
    std::string text;
    std::string unit;  // empty: the unit label keeps its caption
};
// dV in V over dI in A: at most 1 Mohm, shown in ohm or kohm; "> 1M" beyond.
Differential resistance(double dV, double dIamps);
// dI in mA over dV in V: at most 200 mA/V, shown in mA/V or uA/V; "> 200" beyond.
Differential transconductance(double dImA, double dV);
// A quantity whose points were not all measured (an aborted run).
Differential notMeasured();
// Shows d: its text in value, its unit (when it has one) in unit.
void showDifferential(const Differential& d, std::string& value, std::string& unit);
// The percentage of a result: its value divided by unitDivisor (1000 turns ohm into the
// nominal's kohm) compared with nominal when it was computed, "- - -" when its points were
// not measured, "---" when it is out of range.
std::string comparedText(const Differential& d, double nominal, double unitDivisor);

// One figure of a test as computed, before it is rounded for display: "Ia" (mA), "Ra"
// (ohm), "Gm" (mA/V), "mu", ...; section 2 is the second section of a double triode. A
// figure the test could not compute is left out.
struct QuickTestFigure {
    int section = 1;
    std::string name;
    double value = 0.0;
};
// Adds the figure when d was computed.
void addFigure(std::vector<QuickTestFigure>& figures, int section, const char* name,
               const Differential& d);

// One result as the window shows it, on one line: "Ia: 1.21 mA (97 %)". The unit loses the
// parentheses of its caption ("(kohm)"); the percentage is left out when there is none ("- - -":
// no nominal value, or not measured).
std::string resultLine(const std::string& caption, const std::string& value,
                       const std::string& unit, const std::string* percent);

// ---- entry fields -------------------------------------------------------------------------

// Which settings the fourteen entry fields of a quick-test window edit. Field codes 21..23 are
// the anode group, 31..33 the second anode (triode) or screen (pentode) group, 41..43 the grid
// group, 11..15 the nominal values.
struct QTFieldBinding {
    double QuickTestSettings::*va;
    double QuickTestSettings::*vaProc;
    double QuickTestSettings::*vs;
    double QuickTestSettings::*vsProc;
    double QuickTestSettings::*vg;
    double QuickTestSettings::*vgProc;
    std::array<double QuickTestSettings::*, 5> nominal;
    std::array<double, 5> nominalMax;
    // Names of the fourteen boxes for messages, in field order.
    std::array<const char*, 14> names;
};

// Index 0..13 of a field code in the order Va, Va %, Va step, Vs, Vs %, Vs step, Vg, Vg %,
// Vg step, then the five nominal values; -1 for an unknown code.
int fieldIndex(int code);

class QTFields {
  public:
    QTFields(QuickTestSettings& settings, const CalibrationRecord& cal, Dialogs& dialogs,
             const QTFieldBinding& binding, std::array<std::string*, 14> texts);

    // Swings in volts from the settings, then every entry field, 2 decimals.
    void UpdateFields();
    // Reads, limits and commits the field with this code; one message when a value was
    // adjusted. A text that is not a number is refused with a message and changes nothing.
    void CheckFields(int code);

    // The swings in volts: index 0 anode group, 1 second group, 2 grid.
    std::array<double, 3> steps{};

  private:
    // One group of boxes (voltage, swing in %, swing in V; which = 0, 1, 2) whose sweep
    // v - step .. v + step must stay within lo .. hi.
    void checkGroup(double& v, double& proc, double& step, int which, double x, double lo,
                    double hi, bool& adjusted) const;

    QuickTestSettings& settings_;
    const CalibrationRecord& cal_;
    Dialogs& dialogs_;
    QTFieldBinding binding_;
    std::array<std::string*, 14> texts_;
};

// ---- the run ------------------------------------------------------------------------------

// The parts of the console a quick test works with.
struct QuickTestContext {
    QuickTestSettings& settings;   // set points, nominal values, "Append"
    const CalibrationRecord& cal;  // the voltage limits of the checks
    int& measState;                // MeasState: a test runs only with the heater on
    bool& compliance;              // a compliance report of the sweep, kept across the test
    const double& delay;           // the sweep's delay before each point, in seconds
    Form1Model& form1;             // "Beep"
    MeasRun& run;
    FrmComModel& com;  // "debug"
    InstrumentLink& link;
    Clock& clock;
    Dialogs& dialogs;
    Beeper& beeper;
    // Date and time for the first report line; the local time when empty.
    std::function<std::string()> dateTime;
    // Told after a test has been analysed (the window's owner keeps what was measured last).
    std::function<void()> analysed = {};
};

// One point of a quick test: anode, screen (second anode) and grid voltage.
struct QuickTestPoint {
    double va, vs, vg;
};
// Writes the points into the first rows of the matrix at heater voltage vh, currents cleared,
// and the end marker after them.
void composeQuickTestPoints(MeasMatrix& m, double vh, const QuickTestPoint* points, int count);

enum class RunOutcome {
    Analyse,  // finished or aborted: analyse what was measured
    Fault,    // communication fault: the ground state, no analysis
    Closing,  // the program is ending: nothing more to do
};

// Measures the points composed into the first rows of `points` (a marker of 0 ends them),
// then sends the end command, leaves the measuring state and beeps.
RunOutcome runQuickTestPoints(QuickTestContext& ctx, MeasMatrix& points);

// What the triode and the pentode logic keep and do alike: the context, the entry fields, the
// window's refresh, the start and the course of a run and the switch to the other window.
// Model holds the controls; its fourteen entry texts are named in field order.
template <class Model>
class QuickTestLogic {
  public:
    Model model;
    // The window's part: redraw from the model now.
    std::function<void()> refresh;

    void Form_Load() { UpdateFields(); }
    void UpdateFields() { fields_.UpdateFields(); }
    void CheckFields(int code) { fields_.CheckFields(code); }
    // "Test" can be pressed unless a test or a sweep is measuring: its message box would hold
    // the running measurement at its point until it was closed.
    void TestButtonUpdate() { model.cmdTestEnabled = ctx_.measState != kMeasuring; }

    QuickTestContext& context() { return ctx_; }
    // The points of the test, kept apart from the shared matrix so that the measured family
    // stays on the graph and in every export.
    MeasMatrix& testPoints() { return *points_; }
    const MeasMatrix& testPoints() const { return *points_; }

  protected:
    using Texts = std::array<std::string Model::*, 14>;

    QuickTestLogic(QuickTestContext ctx, const QTFieldBinding& binding, const Texts& texts)
        : ctx_(std::move(ctx)),
          fields_(ctx_.settings, ctx_.cal, ctx_.dialogs, binding, textsOf(model, texts)) {}

    void refreshNow() const {
        if (refresh) {
            refresh();
        }
    }

    // Only with the heater on: the measuring state and the caption "Wait!", then true.
    bool startTest() {
        if (ctx_.measState != kHeaterOn) {
            ctx_.dialogs.message(kHeaterOffMessage);
            return false;
        }
        ctx_.measState = kMeasuring;
        ctx_.run.CommandUpdate();
        TestButtonUpdate();
        model.cmdTestCaption = "Wait!";
        refreshNow();
        return true;
    }

    // Composes the points, measures them, analyses what was measured and restores the caption.
    template <class Compose, class Analyse>
    void measure(Compose compose, Analyse analyse) {
        // A compliance report among the test's points is no remark on the measured curves.
        const bool compliance = ctx_.compliance;
        compose();
        const RunOutcome outcome = runQuickTestPoints(ctx_, *points_);
        ctx_.compliance = compliance;
        if (outcome == RunOutcome::Closing) {
            return;
        }
        if (outcome == RunOutcome::Analyse) {
            analyse();
            if (ctx_.analysed) {
                ctx_.analysed();
            }
        }
        model.cmdTestCaption = "Test";
        TestButtonUpdate();
        refreshNow();
    }

    // The other test: its box stays unticked here, intQTtype names it, show brings its window.
    void switchTo(bool& box, int type, const std::function<void()>& show) {
        box = false;
        ctx_.settings.intQTtype = type;
        refreshNow();
        if (show) {
            show();
        }
    }

    QuickTestContext ctx_;
    QTFields fields_;
    std::unique_ptr<MeasMatrix> points_ = std::make_unique<MeasMatrix>();

  private:
    static std::array<std::string*, 14> textsOf(Model& m, const Texts& texts) {
        std::array<std::string*, 14> out{};
        for (std::size_t i = 0; i < texts.size(); ++i) {
            out[i] = &(m.*texts[i]);
        }
        return out;
    }
};

// True when row `row` of the matrix was measured in this run.
bool rowMeasured(const MeasMatrix& m, int row);

// Local date and time, or the context's own source.
std::string reportDateTime(const QuickTestContext& ctx);

// Writes report to a file chosen in the save dialog; appended when `append`. An existing
// file is only ever replaced whole, so a failed write leaves it as it was.
void writeReport(Dialogs& dialogs, const std::string& report, bool append);
bool writeReportTo(Dialogs& dialogs, const std::string& path, const std::string& report,
                   bool append);

// The [N] rule of the report: the nominal field reads as a number above 0.01.
bool nominalGiven(const std::string& nominalText);

// "Va  : 250 (V)" and its swing, at the report's tab stops.
void reportConditionLine(PrintWriter& w, const char* name, const std::string& value,
                         const std::string& step, const std::string& proc);
// A result line: name, value and unit, then from column 30 the comparison with the nominal
// value (only when a nominal value is given, and never without proc), then the note from
// column 65.
void reportResultLine(PrintWriter& w, const char* name, const std::string& value,
                      const std::string& unit, const std::string* proc, const std::string* nominal,
                      const char* nominalUnit, const char* note);

}  // namespace ostrino
