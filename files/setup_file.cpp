#include "files/setup_file.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <stdexcept>
#include <utility>

#include "common/numbers.h"
#include "common/print_writer.h"
#include "common/stepping_values.h"
#include "common/text_file.h"

namespace ostrino {

namespace {

// ---- writing ---------------------------------------------------------------------------

class SetupWriter {
  public:
    void entry(double value, std::string_view label) { w_.num(value).zone().str(label).endLine(); }
    // A setting with decimals, stored × 1000 as a 32-bit whole number.
    void scaled(double value, std::string_view label) { entry(thousandths(value, label), label); }
    void numbered(double value, std::string_view label, int i) {
        w_.num(value).zone().str(label).num(i).endLine();
    }
    void flag(bool on, std::string_view label) { entry(on ? 1 : 0, label); }
    void alone(double value) { w_.num(value).endLine(); }
    void text(std::string_view line) { w_.str(line).endLine(); }
    void point(const MeasMatrix& m, int row) {
        w_.num(roundHalfEven(m(row, MeasMatrix::Curve))).str(" ");
        for (int c = 1; c <= 6; ++c) {
            w_.num(thousandths(m(row, c), "curve point"));
            if (c < 6) {
                w_.str(" ");
            }
        }
        w_.endLine();
    }
    double thousandths(double value, std::string_view what) {
        const auto v = toLong(value * 1000.0);
        if (!v) {
            if (error.empty()) {
                error = "the value " + numberText(value) + " of \"" + std::string(what) +
                        "\" is too large to be written";
            }
            return 0.0;
        }
        return *v;
    }
    const std::string& text() const { return w_.text(); }

    std::string error;

  private:
    PrintWriter w_;
};

// Leading rows of a block whose curve number, rounded, is above 0. A full block has no end
// row of its own, so the count runs on into the next block, up to the matrix's last row
// (which then stands as the end row).
int countPoints(const MeasMatrix& m, int first) {
    int n = 0;
    while (first + n < MeasMatrix::kRows - 1 &&
           roundHalfEven(m(first + n, MeasMatrix::Curve)) > 0) {
        ++n;
    }
    return n;
}

}  // namespace

std::optional<std::string> setupFileText(const SetupSources& in, const SetupControls& controls,
                                         std::string& error) {
    const MeasSettings& s = in.meas;
    const GraphSettings& g = in.graph;
    SetupWriter w;
    w.scaled(in.vheatExt, "external heater voltage (*1000)");
    w.flag(in.extVheat, "external heater flag");
    for (int i = 3; i <= 10; ++i) {
        w.entry(0, "system variable " + std::to_string(i));
    }
    w.entry(s.intMeasType, "measurement type");
    w.scaled(s.dblVar1Start, "Variable 1 Start (*1000)");
    w.scaled(s.dblVar1Stop, "Variable 1 Stop (*1000)");
    w.entry(s.intVar1Nintv, "Variable 1 number of intervals");
    w.flag(controls.measLog, "Variable 1 log/lin");
    w.scaled(s.dblConst1, "Constant 1 (*1000)");
    w.scaled(s.dblConst2, "Constant 2 (*1000)");
    w.scaled(s.dblDelay, "Delay (*1000)");
    w.entry(s.intVar2Count, "number of stepping variables");
    for (int i = 1; i <= s.intVar2Count; ++i) {
        w.numbered(w.thousandths(s.dblVar2Values[static_cast<std::size_t>(i - 1)], "stepping"),
                   "stepping variable:  ", i);
    }
    w.entry(in.iaRange, "Ia Range");
    w.entry(in.isRange, "Is Range");
    w.entry(in.average, "no. Averagings");
    w.entry(in.compliance, "Compliance");
    w.flag(controls.beep, "to Beep or not to Beep");
    for (int i = 2; i <= 5; ++i) {
        w.entry(0, "spare measurement variable " + std::to_string(i));
    }
    w.entry(controls.y1Var, "Y1 axis variable");
    w.entry(controls.y2Var, "Y2 axis variable");
    w.entry(controls.y1Marker, "Y1 marker");
    w.entry(controls.y2Marker, "Y2 marker");
    w.entry(controls.y1Line, "Y1 line style");
    w.entry(controls.y2Line, "Y2 line style");
    w.entry(controls.xScale, "X axis scaling");
    w.entry(controls.y1Scale, "Y1 axis scaling");
    w.entry(controls.y2Scale, "Y2 axis scaling");
    w.scaled(g.dblXmin, "Xmin (*1000)");
    w.scaled(g.dblY1min, "Y1min (*1000)");
    w.scaled(g.dblY2min, "Y2min (*1000)");
    w.scaled(g.dblXmax, "Xmax (*1000)");
    w.scaled(g.dblY1max, "Y1max (*1000)");
    w.scaled(g.dblY2max, "Y2max (*1000)");
    w.entry(g.intXmajor, "number of X-ticks");
    w.entry(g.intY1major, "number of Y1-ticks");
    w.entry(g.intY2major, "number of Y2-ticks");
    const auto degree = parseNumber(controls.degreeText);
    const auto degreeInt = degree ? toInteger(*degree) : std::nullopt;
    if (!degreeInt) {
        error = "the degree \"" + controls.degreeText + "\" is not a whole number";
        return std::nullopt;
    }
    w.entry(*degreeInt, "degree of polynom");
    w.scaled(controls.pmax, "Pmax ");
    w.entry(0, "spare variable");
    w.flag(controls.keepPlot, "Keep Plot check box");
    w.flag(controls.color, "Color check box");
    w.flag(controls.grid, "Grid check box");
    w.flag(controls.titlePlacement == 0, "title off flag");
    w.flag(controls.titlePlacement == 1, "title top flag");
    w.flag(controls.titlePlacement == 2, "title top flag");
    w.text(controls.title);
    for (int i = 1; i <= 5; ++i) {
        w.entry(0, "spare graph variable " + std::to_string(i));
    }
    for (int i = 0; i <= 20; ++i) {
        w.numbered(in.pins[static_cast<std::size_t>(i)], "pinning position ", i);
    }
    for (int i = 1; i <= 20; ++i) {
        w.numbered(0, "spare variable ", i);
    }
    w.entry(0, " 0 means this is not yet the end of file");

    const QuickTestSettings& q = in.quickTest;
    w.entry(q.intQTtype, "Quick Test: triode of pentode flag");
    const std::pair<double, const char*> qtLines[] = {
        {q.dblQTTVa1, "Quick Test: triode anode voltage setpoint (*1000)"},
        {q.dblQTTVa1Proc, "Quick Test: triode anode voltage step in procenten (*1000)"},
        {q.dblQTTVa2, "Quick Test: triode screen voltage setpoint (*1000)"},
        {q.dblQTTVa2Proc, "Quick Test: triode screen voltage step in procenten (*1000)"},
        {q.dblQTTVg, "Quick Test: triode grid voltage setpoint (*1000)"},
        {q.dblQTTVgProc, "Quick Test: triode grid voltage step in procenten (*1000)"},
        {q.dblQTTIa1Nom, "Quick Test: triode nominal anode1 current (*1000)"},
        {q.dblQTTIa2Nom, "Quick Test: triode nominal anode2 current (*1000)"},
        {q.dblQTPVa, "Quick Test: pentode anode voltage setpoint (*1000)"},
        {q.dblQTPVaProc, "Quick Test: pentode anode voltage step in procenten (*1000)"},
        {q.dblQTPVs, "Quick Test: pentode screen voltage setpoint (*1000)"},
        {q.dblQTPVsProc, "Quick Test: pentode screen voltage step in procenten (*1000)"},
        {q.dblQTPVg, "Quick Test: pentode grid voltage setpoint (*1000)"},
        {q.dblQTPVgProc, "Quick Test: pentode grid voltage step in procenten (*1000)"},
        {q.dblQTPIaNom, "Quick Test: pentode nominal anode current (*1000)"},
        {q.dblQTPIsNom, "Quick Test: pentode nominal screen current (*1000)"},
        {q.dblQTPRaNom, "Quick Test: pentode nominal anode resistance (*1000)"},
        {q.dblQTPGmNom, "Quick Test: pentode nominal transconductance (*1000)"},
        {q.dblQTPMuNom, "Quick Test: pentode nominal Mu (*1000)"},
        {q.dblQTTRaNom, "Quick Test: triode nominal anode resistance (*1000)"},
        {q.dblQTTGmNom, "Quick Test: triode nominal tranconductance (*1000)"},
        {q.dblQTTMuNom, "Quick Test: triode nominal Mu (*1000)"},
    };
    for (const auto& [value, label] : qtLines) {
        w.scaled(value, label);
    }
    w.alone(q.chkAppendTriode ? 1 : 0);
    w.alone(q.chkAppendPentode ? 1 : 0);
    for (int i = 1; i <= 11; ++i) {
        w.numbered(0, "spare variable ", i);
    }
    w.entry(0, " 0 means this is not yet end of file");

    const MeasMatrix& m = in.matrix;
    const int ns = countPoints(m, MeasMatrix::kStored);
    w.entry(ns + 1, "number of points in stored curve");
    for (int r = 0; r <= ns; ++r) {
        w.point(m, MeasMatrix::kStored + r);
    }
    w.entry(0, " 0 means this is not yet end of file");
    const int na = countPoints(m, MeasMatrix::kActual);
    w.entry(na + 1, "number of points in actual curve");
    for (int r = 0; r <= na; ++r) {
        w.point(m, MeasMatrix::kActual + r);
    }
    w.entry(-1, " -1 means this is the end of file");
    if (!w.error.empty()) {
        error = w.error;
        return std::nullopt;
    }
    return w.text();
}

// ---- reading ---------------------------------------------------------------------------

namespace {

const std::string kLongRange = " (the file holds whole numbers from -2147483648 to 2147483647)";

class SetupReader {
  public:
    explicit SetupReader(std::string_view content) : lines_(content) {}

    // The leading number of the next line.
    double number(const char* what) {
        if (lines_.atEnd()) {
            failAt(lines_.lineNumber() + 1, "the file ends before " + std::string(what));
        }
        const auto v = lines_.nextNumber();
        if (!v) {
            fail("no number for " + std::string(what));
        }
        return *v;
    }
    // A setting with decimals, stored x 1000 as a 32-bit whole number: a number beyond that
    // range was never written by a console and is no setting.
    double thousandths(const char* what) {
        const double v = number(what);
        if (!toLong(v)) {
            fail(std::string(what) + " " + numberText(v) + " is too large to be a setting" +
                 kLongRange);
        }
        return v / 1000.0;
    }
    int line() const { return lines_.lineNumber(); }
    int whole(const char* what, int min, int max) {
        const double v = number(what);
        const auto i = toInteger(v);
        if (!i || *i < min || *i > max || v != std::floor(v)) {
            fail(std::string(what) + " " + numberText(v) + " is outside " + std::to_string(min) +
                 " to " + std::to_string(max));
        }
        return *i;
    }
    bool flag(const char* what) { return whole(what, 0, 1) == 1; }
    // A list position, or -1 when the list had nothing selected.
    int list(const char* what, int count) { return whole(what, -1, count - 1); }
    // An option button is selected by 1; any other value leaves it clear.
    bool option(const char* what) { return whole(what, -32768, 32767) == 1; }
    void skip(int count, const char* what) {
        for (int i = 0; i < count; ++i) {
            number(what);
        }
    }
    std::string line(const char* what) {
        const auto l = lines_.nextLine();
        if (!l) {
            failAt(lines_.lineNumber() + 1, "the file ends before " + std::string(what));
        }
        return *l;
    }
    SetupPoint point() {
        const std::string text = line("a curve point");
        SetupPoint p;
        std::size_t pos = 0;
        for (int k = 0; k < 7; ++k) {
            while (pos < text.size() && text[pos] == ' ') {
                ++pos;
            }
            const std::size_t end = text.find(' ', pos);
            const auto v = parseNumber(
                text.substr(pos, end == std::string::npos ? std::string::npos : end - pos));
            if (pos >= text.size() || !v) {
                fail("a curve point needs seven numbers");
            }
            if (!toLong(*v)) {
                fail("the curve point value " + numberText(*v) + " is too large" + kLongRange);
            }
            if (k == 0) {
                p.curve = *v;
            } else {
                p.values[static_cast<std::size_t>(k - 1)] = *v / 1000.0;
            }
            pos = end == std::string::npos ? text.size() : end;
        }
        return p;
    }
    // A block's points, at most as many as the matrix holds from the block's first row.
    std::vector<SetupPoint> points(const char* what, int first) {
        const int m = whole(what, 0, MeasMatrix::kRows - first);
        std::vector<SetupPoint> out;
        for (int i = 0; i < m; ++i) {
            out.push_back(point());
        }
        return out;
    }
    // Marker lines: -1 ends the file there.
    bool ends(const char* what) { return number(what) == -1.0; }

    // A problem with the line just read.
    [[noreturn]] void fail(const std::string& why) { failAt(lines_.lineNumber(), why); }
    [[noreturn]] static void failAt(int line, const std::string& why) {
        throw std::runtime_error("line " + std::to_string(line) + ": " + why);
    }

  private:
    LineReader lines_;
};

}  // namespace

std::optional<SetupData> parseSetupFile(std::string_view content, std::string& error) {
    using S = CheckedSetting;
    SetupReader r(content);
    SetupData d;
    // The line just read holds this setting.
    const auto mark = [&](CheckedSetting setting) {
        d.lines[static_cast<std::size_t>(setting)] = r.line();
    };
    try {
        d.vheatExt = r.thousandths("the external heater voltage");
        mark(S::VheatExt);
        d.extVheat = r.flag("the external heater flag");
        r.skip(8, "the system variables");
        d.measType = r.list("the measurement type", 13);
        d.var1Start = r.thousandths("the start of variable 1");
        mark(S::Var1Start);
        d.var1Stop = r.thousandths("the stop of variable 1");
        mark(S::Var1Stop);
        d.var1Nintv = r.whole("the number of intervals", -32768, 32767);
        mark(S::Var1Nintv);
        d.measLog = r.flag("the log/lin flag");
        d.const1 = r.thousandths("constant 1");
        mark(S::Const1);
        d.const2 = r.thousandths("constant 2");
        mark(S::Const2);
        d.delay = r.thousandths("the delay");
        mark(S::Delay);
        const int n = r.whole("the number of stepping values", 1, MeasSettings::kMaxVar2);
        d.var2Line = r.line() + 1;
        for (int i = 0; i < n; ++i) {
            d.var2Values.push_back(r.thousandths("a stepping value"));
        }
        d.iaRange = r.list("the Ia range", 9);
        d.isRange = r.list("the Is range", 9);
        d.average = r.list("the averaging", 7);
        d.compliance = r.list("the compliance", 9);
        d.beep = r.flag("the beep flag");
        r.skip(4, "the spare measurement variables");
        d.y1Var = r.list("the Y1 axis variable", 8);
        d.y2Var = r.list("the Y2 axis variable", 8);
        d.y1Marker = r.list("the Y1 marker", 5);
        d.y2Marker = r.list("the Y2 marker", 5);
        d.y1Line = r.list("the Y1 line style", 5);
        d.y2Line = r.list("the Y2 line style", 5);
        d.xScale = r.list("the X axis scaling", 2);
        d.y1Scale = r.list("the Y1 axis scaling", 3);
        d.y2Scale = r.list("the Y2 axis scaling", 4);
        d.xmin = r.thousandths("Xmin");
        mark(S::Xmin);
        d.y1min = r.thousandths("Y1min");
        mark(S::Y1min);
        d.y2min = r.thousandths("Y2min");
        mark(S::Y2min);
        d.xmax = r.thousandths("Xmax");
        mark(S::Xmax);
        d.y1max = r.thousandths("Y1max");
        mark(S::Y1max);
        d.y2max = r.thousandths("Y2max");
        mark(S::Y2max);
        d.xmajor = r.whole("the number of X ticks", -32768, 32767);
        mark(S::Xmajor);
        d.y1major = r.whole("the number of Y1 ticks", -32768, 32767);
        mark(S::Y1major);
        d.y2major = r.whole("the number of Y2 ticks", -32768, 32767);
        mark(S::Y2major);
        d.degree = r.whole("the degree", -32768, 32767);
        mark(S::Degree);
        d.pmax = r.thousandths("Pmax");
        r.skip(1, "a spare variable");
        d.keepPlot = r.flag("the Keep Plot flag");
        d.color = r.flag("the Color flag");
        d.grid = r.flag("the Grid flag");
        for (bool& option : d.titleOptions) {
            option = r.option("a title flag");
        }
        d.title = r.line("the title");
        r.skip(5, "the spare graph variables");
        for (int& pin : d.pins) {
            pin = r.whole("a pin position", -32768, 32767);
        }
        r.skip(20, "the spare pin variables");
        if (r.ends("the first end-of-file marker")) {
            return d;
        }
        d.hasQuickTest = true;
        QuickTestSettings& q = d.quickTest;
        q.intQTtype = r.whole("the quick-test type", -32768, 32767);
        for (double* v :
             {&q.dblQTTVa1,    &q.dblQTTVa1Proc, &q.dblQTTVa2,    &q.dblQTTVa2Proc, &q.dblQTTVg,
              &q.dblQTTVgProc, &q.dblQTTIa1Nom,  &q.dblQTTIa2Nom, &q.dblQTPVa,      &q.dblQTPVaProc,
              &q.dblQTPVs,     &q.dblQTPVsProc,  &q.dblQTPVg,     &q.dblQTPVgProc,  &q.dblQTPIaNom,
              &q.dblQTPIsNom,  &q.dblQTPRaNom,   &q.dblQTPGmNom,  &q.dblQTPMuNom,   &q.dblQTTRaNom,
              &q.dblQTTGmNom,  &q.dblQTTMuNom}) {
            *v = r.thousandths("a quick-test value");
        }
        q.chkAppendTriode = r.number("the triode Append flag") != 0.0;
        q.chkAppendPentode = r.number("the pentode Append flag") != 0.0;
        r.skip(11, "the spare quick-test variables");
        if (r.ends("the second end-of-file marker")) {
            return d;
        }
        d.hasStored = true;
        d.stored = r.points("the number of stored points", MeasMatrix::kStored);
        if (r.ends("the third end-of-file marker")) {
            return d;
        }
        d.hasActual = true;
        d.actual = r.points("the number of actual points", MeasMatrix::kActual);
    } catch (const std::runtime_error& e) {
        error = e.what();
        return std::nullopt;
    }
    return d;
}

}  // namespace ostrino
