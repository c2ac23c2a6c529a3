#include "quicktest/quick_common.h"

#include <cmath>
#include <ctime>

#include "common/numbers.h"
#include "common/text_file.h"
#include "platform/entry_box.h"

namespace ostrino {

namespace {

constexpr double kMinAnode = 2.0;
constexpr double kMinGrid = -50.0;
constexpr double kDelayStep = 0.1;   // pre-conditioning wait step
constexpr double kDebugPause = 3.0;  // "debug": pause before reading a result
constexpr double kBeepGap = 0.015;
constexpr int kBeepHz = 2000;
constexpr int kBeepMs = 150;
constexpr double kMaxResistance = 1.0e6;        // ohm
constexpr double kMaxTransconductance = 200.0;  // mA/V

}  // namespace

double maxAnodeVoltage(int intVersion) {
    return intVersion == 1 ? 300.0 : 400.0;
}

std::string decimalsText(double value, int n) {
    const std::optional<double> rounded = Decimals(value, n);
    return numberText(rounded ? *rounded : value);
}

std::string CalNom(double dblMeas, double dblNom, double& dblProc) {
    if (!(dblNom >= 0.01)) {
        dblProc = 0.0;
        return kNotMeasured;
    }
    const double percent = dblMeas / dblNom * 100.0;
    dblProc = percent >= kProgressMax ? kProgressMax : percent;
    return percent > 999.0 ? ">>>" : decimalsText(percent, 0);
}

int progressValue(double dblProc) {
    // A negative current gives a negative percentage: the bar stays empty.
    if (!(dblProc > 0.0)) {
        return 0;
    }
    if (dblProc >= kProgressMax) {
        return kProgressMax;
    }
    return static_cast<int>(roundHalfEven(dblProc));
}

namespace {

// How a difference quotient is limited and shown: at most max in magnitude (overText beyond);
// from `large` up divided by largeDiv with 2 decimals, below it times smallMul with none.
struct QuotientForm {
    double max;
    const char* overText;
    double large;
    double largeDiv;
    const char* largeUnit;
    double smallMul;
    const char* smallUnit;
};

// num / den for a voltage swing dV (one of the two); "N.A." when there is no swing.
Differential quotient(double num, double den, double dV, const QuotientForm& f) {
    Differential d;
    if (dV == 0.0) {
        // No swing: there is no difference quotient to take.
        d.text = "N.A.";
        return d;
    }
    if (!(std::fabs(den * f.max) >= std::fabs(num))) {
        d.text = f.overText;
        return d;
    }
    d.computed = true;
    d.value = num / den;
    if (std::fabs(d.value) >= f.large) {
        d.text = decimalsText(d.value / f.largeDiv, 2);
        d.unit = f.largeUnit;
    } else {
        d.text = decimalsText(d.value * f.smallMul, 0);
        d.unit = f.smallUnit;
    }
    return d;
}

}  // namespace

Differential resistance(double dV, double dIamps) {
    return quotient(dV, dIamps, dV,
                    {kMaxResistance, "> 1M", 1000.0, 1000.0, "(kohm)", 1.0, "(ohm)"});
}

Differential transconductance(double dImA, double dV) {
    return quotient(dImA, dV, dV,
                    {kMaxTransconductance, "> 200", 1.0, 1.0, "(mA/V)", 1000.0, "(uA/V)"});
}

Differential notMeasured() {
    Differential d;
    d.text = kNotMeasured;
    return d;
}

void showDifferential(const Differential& d, std::string& value, std::string& unit) {
    value = d.text;
    if (!d.unit.empty()) {
        unit = d.unit;
    }
}

std::string comparedText(const Differential& d, double nominal, double unitDivisor) {
    if (d.computed) {
        double bar = 0.0;
        // Divided, not multiplied by the reciprocal: 2800 * 0.001 is not 2800 / 1000, and the
        // last bit decides a percentage that lies on a half.
        return CalNom(d.value / unitDivisor, nominal, bar);
    }
    return d.text == kNotMeasured ? kNotMeasured : "---";
}

void addFigure(std::vector<QuickTestFigure>& figures, int section, const char* name,
               const Differential& d) {
    if (d.computed) {
        figures.push_back({section, name, d.value});
    }
}

std::string resultLine(const std::string& caption, const std::string& value,
                       const std::string& unit, const std::string* percent) {
    std::string shownUnit;
    for (const char c : unit) {
        if (c != '(' && c != ')') {
            shownUnit += c;
        }
    }
    std::string line = caption + ": " + value;
    if (!shownUnit.empty() && shownUnit != "-") {
        line += " " + shownUnit;
    }
    if (percent != nullptr && *percent != kNotMeasured) {
        line += " (" + *percent + " %)";
    }
    return line;
}

// ---- entry fields -------------------------------------------------------------------------

int fieldIndex(int code) {
    switch (code) {
        case 21:
        case 22:
        case 23:
            return code - 21;
        case 31:
        case 32:
        case 33:
            return code - 31 + 3;
        case 41:
        case 42:
        case 43:
            return code - 41 + 6;
        case 11:
        case 12:
        case 13:
        case 14:
        case 15:
            return code - 11 + 9;
        default:
            return -1;
    }
}

QTFields::QTFields(QuickTestSettings& settings, const CalibrationRecord& cal, Dialogs& dialogs,
                   const QTFieldBinding& binding, std::array<std::string*, 14> texts)
    : settings_(settings), cal_(cal), dialogs_(dialogs), binding_(binding), texts_(texts) {}

void QTFields::UpdateFields() {
    steps[0] = settings_.*binding_.va / 100.0 * (settings_.*binding_.vaProc);
    steps[1] = settings_.*binding_.vs / 100.0 * (settings_.*binding_.vsProc);
    steps[2] = std::fabs(settings_.*binding_.vg / 100.0 * (settings_.*binding_.vgProc));
    const std::array<double, 14> values{settings_.*binding_.va,
                                        settings_.*binding_.vaProc,
                                        steps[0],
                                        settings_.*binding_.vs,
                                        settings_.*binding_.vsProc,
                                        steps[1],
                                        settings_.*binding_.vg,
                                        settings_.*binding_.vgProc,
                                        steps[2],
                                        settings_.*binding_.nominal[0],
                                        settings_.*binding_.nominal[1],
                                        settings_.*binding_.nominal[2],
                                        settings_.*binding_.nominal[3],
                                        settings_.*binding_.nominal[4]};
    for (std::size_t i = 0; i < values.size(); ++i) {
        *texts_[i] = decimalsText(values[i], 2);
    }
}

void QTFields::checkGroup(double& v, double& proc, double& step, int which, double x, double lo,
                          double hi, bool& adjusted) const {
    // A swing in volts as a percentage of the voltage's size; at 0 V the percentage stays.
    const auto percentOf = [&v, &proc](double s) {
        return v != 0.0 ? std::fabs(s / v * 100.0) : proc;
    };
    const auto clamp = [&adjusted](double& value, double low, double high) {
        if (!(value >= low)) {
            value = low;
            adjusted = true;
        }
        if (value > high) {
            value = high;
            adjusted = true;
        }
    };
    switch (which) {
        case 0:
            v = x;
            clamp(v, lo, hi);
            step = std::fabs(v / 100.0 * proc);
            break;
        case 1:
            proc = x;
            clamp(proc, 0.0, 100.0);
            step = std::fabs(v / 100.0 * proc);
            break;
        default:
            step = x;
            if (!(step >= 0.0)) {
                step = 0.0;
                adjusted = true;
            }
            proc = percentOf(step);
            break;
    }
    // The swing must keep both ends of the sweep within the range. A voltage that came from
    // a setup file outside the range gives no swing at all.
    if (v + step > hi) {
        step = std::max(0.0, hi - v);
        proc = percentOf(step);
        adjusted = true;
    }
    if (!(v - step >= lo)) {
        step = std::max(0.0, v - lo);
        proc = percentOf(step);
        adjusted = true;
    }
}

void QTFields::CheckFields(int code) {
    const int index = fieldIndex(code);
    if (index < 0) {
        return;
    }
    const auto i = static_cast<std::size_t>(index);
    const std::optional<double> x = readNumberBox(*texts_[i], binding_.names[i], dialogs_);
    if (!x) {
        UpdateFields();  // the box shows the value that is kept
        return;
    }
    bool adjusted = false;
    const double vMax = maxAnodeVoltage(cal_.intVersion);
    if (index < 3) {
        checkGroup(settings_.*binding_.va, settings_.*binding_.vaProc, steps[0], index, *x,
                   kMinAnode, vMax, adjusted);
    } else if (index < 6) {
        checkGroup(settings_.*binding_.vs, settings_.*binding_.vsProc, steps[1], index - 3, *x,
                   kMinAnode, vMax, adjusted);
    } else if (index < 9) {
        checkGroup(settings_.*binding_.vg, settings_.*binding_.vgProc, steps[2], index - 6, *x,
                   kMinGrid, 0.0, adjusted);
    } else {
        const std::size_t k = i - 9;
        double& nominal = settings_.*binding_.nominal[k];
        nominal = *x;
        // Confirming a 0 counts as an adjustment too.
        if (!(nominal > 0.0)) {
            nominal = 0.0;
            adjusted = true;
        }
        if (nominal > binding_.nominalMax[k]) {
            nominal = binding_.nominalMax[k];
            adjusted = true;
        }
    }
    UpdateFields();
    if (adjusted) {
        dialogs_.message(kAdjustedMessage);
    }
}

// ---- the run ------------------------------------------------------------------------------

bool rowMeasured(const MeasMatrix& m, int row) {
    return m(row, MeasMatrix::Curve) > 0.0;
}

void composeQuickTestPoints(MeasMatrix& m, double vh, const QuickTestPoint* points, int count) {
    for (int r = 0; r < count; ++r) {
        const QuickTestPoint& p = points[r];
        m(r, MeasMatrix::Curve) = -1.0;
        m(r, MeasMatrix::Ia) = 0.0;
        m(r, MeasMatrix::Is) = 0.0;
        m(r, MeasMatrix::Vh) = vh;
        m(r, MeasMatrix::Vg) = p.vg;
        m(r, MeasMatrix::Vs) = p.vs;
        m(r, MeasMatrix::Va) = p.va;
    }
    m(count, MeasMatrix::Curve) = 0.0;
}

RunOutcome runQuickTestPoints(QuickTestContext& ctx, MeasMatrix& points) {
    auto& m = points;
    // The run's fault: the first exchange that failed (already shown to the user).
    bool blnFault = false;
    const auto measuring = [&ctx] { return ctx.measState == kMeasuring; };
    // Sleeps in short steps with the windows live, until `seconds` have passed or the
    // run is no longer measuring.
    const auto wait = [&](double seconds) {
        const double deadline = ctx.clock.now() + seconds;
        while (measuring() && !ctx.run.shuttingDown()) {
            const double remaining = deadline - ctx.clock.now();
            if (remaining <= 0.0) {
                break;
            }
            ctx.clock.sleep(std::min(kDelayStep, remaining));
            ctx.clock.pumpEvents();
        }
    };

    blnFault = !ctx.link.SndSettings();
    for (int i = 0; i < MeasMatrix::kBlockRows && std::lround(m(i, MeasMatrix::Curve)) != 0; ++i) {
        if (blnFault || !measuring()) {
            break;
        }
        ctx.clock.pumpEvents();
        if (ctx.run.shuttingDown()) {
            return RunOutcome::Closing;
        }
        const double delay = std::trunc(ctx.delay);
        if (delay > 0.0) {
            blnFault = !ctx.link.SndString(ctx.link.ComposeMeasString(m, i, "20"));
            wait(delay);
        }
        if (blnFault || ctx.run.shuttingDown()) {
            continue;
        }
        blnFault = !ctx.link.SndString(ctx.link.ComposeMeasString(m, i, "10"));
        if (ctx.com.chkDebug) {
            wait(kDebugPause);
        }
        if (blnFault || ctx.run.shuttingDown()) {
            continue;
        }
        std::string result;
        blnFault = !ctx.link.RecString(result);
        const double curve = std::fabs(m(i, MeasMatrix::Curve));
        const bool decoded = ctx.link.DeComposeString(m, i, result, blnFault).ok();
        blnFault = blnFault || !decoded;
        // A broken read leaves the point unmeasured.
        m(i, MeasMatrix::Curve) = blnFault ? -curve : curve;
    }
    if (ctx.run.shuttingDown()) {
        return RunOutcome::Closing;
    }
    if (!blnFault) {
        blnFault = !ctx.link.SndString(endSweepString());
    }
    if (blnFault) {
        ctx.link.reportConnectionFault();
        ctx.run.GotoGroundState();
        return RunOutcome::Fault;
    }
    if (measuring()) {
        ctx.run.cmdMeasStop_Click();
        if (ctx.form1.chkBeep) {
            ctx.beeper.beep(kBeepHz, kBeepMs);
            ctx.clock.sleep(kBeepGap);
            ctx.beeper.beep(kBeepHz, kBeepMs);
        }
    }
    return RunOutcome::Analyse;
}

std::string reportDateTime(const QuickTestContext& ctx) {
    if (ctx.dateTime) {
        return ctx.dateTime();
    }
    const std::time_t t = std::time(nullptr);
    std::tm local{};
    localtime_r(&t, &local);
    char buf[32];
    const std::size_t n = std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S", &local);
    return std::string(buf, n);
}

bool nominalGiven(const std::string& nominalText) {
    const std::optional<double> v = parseNumber(nominalText);
    return v && *v > 0.01;
}

void reportConditionLine(PrintWriter& w, const char* name, const std::string& value,
                         const std::string& step, const std::string& proc) {
    w.str(name).str(value).str(" (V)").tab(30).str("Swing +/- ").str(step).str(" V").str(" (");
    w.str(proc).str("%)").endLine();
}

void reportResultLine(PrintWriter& w, const char* name, const std::string& value,
                      const std::string& unit, const std::string* proc, const std::string* nominal,
                      const char* nominalUnit, const char* note) {
    w.str(name).str(value).str(unit).tab(30);
    if (proc != nullptr && nominal != nullptr && nominalGiven(*nominal)) {
        w.str(*proc).str(" % of nominal ").str(*nominal).str(nominalUnit);
    }
    w.tab(65).str(note).endLine();
}

void writeReport(Dialogs& dialogs, const std::string& report, bool append) {
    FileDialogRequest request = saveFileRequest(kReportFilter, "Report");
    // A report that is appended replaces nothing, so there is nothing to confirm.
    request.promptOverwrite = !append;
    const std::string name = dialogs.chooseFile(request);
    if (!name.empty()) {
        writeReportTo(dialogs, name, report, append);
    }
}

bool writeReportTo(Dialogs& dialogs, const std::string& path, const std::string& report,
                   bool append) {
    std::string content;
    std::string error;
    if (append && fileExists(path)) {
        const std::optional<std::string> existing = readWholeFile(path, error);
        if (!existing) {
            dialogs.message("The report cannot be added to " + path + " (" + error +
                            "); the file has not been changed.");
            return false;
        }
        content = *existing;
    }
    content += report;
    if (!writeFileAtomically(path, content, error)) {
        dialogs.message("The report " + path + " cannot be written (" + error + ").");
        return false;
    }
    return true;
}

}  // namespace ostrino
