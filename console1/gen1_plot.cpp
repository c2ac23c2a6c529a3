#include "console1/gen1_plot.h"

#include <array>
#include <cmath>
#include <string>

#include "common/numbers.h"
#include "common/print_writer.h"

namespace ostrino::gen1 {

namespace {

constexpr const char* kFontName = "MS Sans Serif";
constexpr double kFontSize = 8.25;
constexpr Rgb kBlue = Rgb::fromBgr(0xFF0000);
constexpr Rgb kGridColour{200, 230, 200};  // a light green that curves stand out against

constexpr std::array<Rgb, Gen1Plotter::kColourCount> kColours{
    kBlack,
    Rgb::fromBgr(0xFF),
    Rgb::fromBgr(0xFF00),
    Rgb::fromBgr(0xFF0000),
    Rgb::fromBgr(0xFFFF00),
    Rgb::fromBgr(0xFF00FF),
    Rgb::fromBgr(0xFFFF),
    Rgb::fromBgr(0xFF),
    Rgb::fromBgr(0xFF00),
    Rgb::fromBgr(0xFF0000),
};

// Markers: the run's points as open circles, the stored ones as crosses.
constexpr int kCircle = 1;
constexpr int kCross = 2;

// The mark of a current at the converter's full scale: a triangle around the point.
constexpr double kFullScaleHalfWidth = 20.0;
constexpr double kFullScaleBelow = 12.0;
constexpr double kFullScaleAbove = 26.0;

constexpr double kMajorTick = 15.0;
constexpr double kMinorTick = 7.0;

double curveAt(const ResultMatrix& m, int row) {
    return roundHalfEven(m.at(row, ResultMatrix::Curve));
}

// A number as the graph prints it: the shortest text of the value, a blank in place of
// the sign when it is not negative.
std::string numberItem(double v) {
    return PrintWriter::numberItem(v);
}

// The number printed at tick i of n on an axis from lo to hi.
std::string tickItem(double lo, double hi, int i, int n) {
    return numberItem(axisNumber(lo + (hi - lo) * i / n, hi - lo));
}

}  // namespace

Gen1Plotter::Gen1Plotter(const Gen1State& state, Canvas& canvas) : state_(state), canvas_(canvas) {}

int Gen1Plotter::intScale(double dblVal, double dblMin, double dblMax) {
    if (!(dblVal > dblMin)) {
        return 0;  // NaN lands here too
    }
    if (dblVal >= dblMax) {
        return 1000;
    }
    return static_cast<int>(roundHalfEven((dblVal - dblMin) * 1000.0 / (dblMax - dblMin)));
}

Rgb Gen1Plotter::curveColour(int n) {
    const int k = ((n - 1) % kColourCount + kColourCount) % kColourCount;
    return kColours[static_cast<std::size_t>(k)];
}

int Gen1Plotter::intXscale(int row) const {
    const GraphSettings& g = state_.graph;
    return intScale(state_.result.at(row, g.intXcol), g.dblXmin, g.dblXmax);
}
int Gen1Plotter::intIascale(int row) const {
    const GraphSettings& g = state_.graph;
    return intScale(state_.result.at(row, ResultMatrix::Ia), g.dblYmin, g.dblYmax);
}
int Gen1Plotter::intIsscale(int row) const {
    const GraphSettings& g = state_.graph;
    return intScale(state_.result.at(row, ResultMatrix::Is), g.dblYmin, g.dblYmax);
}
int Gen1Plotter::intXscaleS(int row) const {
    const GraphSettings& g = state_.graph;
    return intScale(state_.stored.at(row, g.intXcol), g.dblXmin, g.dblXmax);
}
int Gen1Plotter::intIascaleS(int row) const {
    const GraphSettings& g = state_.graph;
    return intScale(state_.stored.at(row, ResultMatrix::Ia), g.dblYmin, g.dblYmax);
}
int Gen1Plotter::intIsscaleS(int row) const {
    const GraphSettings& g = state_.graph;
    return intScale(state_.stored.at(row, ResultMatrix::Is), g.dblYmin, g.dblYmax);
}

void Gen1Plotter::DrawPicture() {
    canvas_.clear(kWhite);
    canvas_.setForeground(kBlack);
    canvas_.setLineStyle(LineStyle::Solid);
    canvas_.setFill(kWhite, false);
    canvas_.setFont(kFontName, kFontSize, false);

    Logo();
    Key();
    Grid();
    Frame();
    Xaxis();
    Yaxis();
    Legend();

    fullScaleShown_ = false;
    const Controls& c = state_.controls;
    const int marker = c.chkMarker ? kCircle : 0;
    const int storedMarker = c.chkMarker ? kCross : 0;
    if (c.showStored) {
        if (c.chkIa) {
            curves(state_.stored, ResultMatrix::Ia, LineStyle::Dot, storedMarker);
        }
        if (c.chkIs) {
            curves(state_.stored, ResultMatrix::Is, LineStyle::DashDot, storedMarker);
        }
    }
    if (c.chkIa) {
        curves(state_.result, ResultMatrix::Ia, LineStyle::Solid, marker);
    }
    if (c.chkIs) {
        curves(state_.result, ResultMatrix::Is, LineStyle::Dash, marker);
    }
    if (fullScaleShown_) {
        FullScaleKey();
    }
    canvas_.setForeground(kBlack);
    canvas_.setLineStyle(LineStyle::Solid);
}

void Gen1Plotter::Logo() {
    canvas_.setForeground(kBlue);
    canvas_.setFont("Comic Sans Ms", 12, false);
    canvas_.text(640, 1130, "Ostrino V1.0");
    canvas_.setFont(kFontName, kFontSize, false);
    canvas_.setForeground(kBlack);
}

void Gen1Plotter::Key() {
    canvas_.text(150, 1100, "Ia");
    canvas_.line(200, 1070, 300, 1070);
    canvas_.text(350, 1100, "Is");
    canvas_.setLineStyle(LineStyle::Dash);
    canvas_.line(400, 1070, 500, 1070);
    canvas_.setLineStyle(LineStyle::Solid);
    if (state_.controls.showStored) {
        // The stored curves: dotted (Ia) and dash-dotted (Is), crosses as markers.
        canvas_.text(1010, 1100, "Stored");
        canvas_.setLineStyle(LineStyle::Dot);
        canvas_.line(1100, 1070, 1160, 1070);
        canvas_.setLineStyle(LineStyle::DashDot);
        canvas_.line(1180, 1070, 1240, 1070);
        canvas_.setLineStyle(LineStyle::Solid);
    }
}

void Gen1Plotter::Frame() {
    canvas_.line(0, 0, 1000, 0);
    canvas_.line(0, 0, 0, 1000);
    canvas_.line(1000, 0, 1000, 1000);
    canvas_.line(0, 1000, 1000, 1000);
}

void Gen1Plotter::Grid() {
    if (!state_.controls.chkGrid) {
        return;
    }
    const GraphSettings& g = state_.graph;
    canvas_.setForeground(kGridColour);
    for (int i = 1; i < g.intXmajor; ++i) {
        const double x = 1000.0 / g.intXmajor * i;
        canvas_.line(x, 0, x, 1000);
    }
    for (int i = 1; i < g.intYmajor; ++i) {
        const double y = 1000.0 / g.intYmajor * i;
        canvas_.line(0, y, 1000, y);
    }
    canvas_.setForeground(kBlack);
}

void Gen1Plotter::Xaxis() {
    const GraphSettings& g = state_.graph;
    if (g.intXmajor < 1 || g.intXminor < 1) {
        return;  // the checks keep 1..10
    }
    const double major = 1000.0 / g.intXmajor;
    for (int i = 0; i <= g.intXmajor; ++i) {
        canvas_.line(major * i, -kMajorTick, major * i, 0);
        for (int k = 1; i < g.intXmajor && k < g.intXminor; ++k) {
            const double x = major * i + major / g.intXminor * k;
            canvas_.line(x, -kMinorTick, x, 0);
        }
    }
    canvas_.text(400, -100, g.strXname);
    for (int i = 0; i <= g.intXmajor; ++i) {
        canvas_.text(major * i - 15, -20, tickItem(g.dblXmin, g.dblXmax, i, g.intXmajor));
    }
}

void Gen1Plotter::Yaxis() {
    const GraphSettings& g = state_.graph;
    if (g.intYmajor < 1 || g.intYminor < 1) {
        return;
    }
    const double major = 1000.0 / g.intYmajor;
    for (int i = 0; i <= g.intYmajor; ++i) {
        canvas_.line(-kMajorTick, major * i, 0, major * i);
        for (int k = 1; i < g.intYmajor && k < g.intYminor; ++k) {
            const double y = major * i + major / g.intYminor * k;
            canvas_.line(-kMinorTick, y, 0, y);
        }
    }
    canvas_.text(-110, 1110, g.strYname);
    for (int i = 0; i <= g.intYmajor; ++i) {
        canvas_.text(-100, 980.0 / g.intYmajor * i + 30,
                     tickItem(g.dblYmin, g.dblYmax, i, g.intYmajor));
    }
}

void Gen1Plotter::Legend() {
    // The stepping value of each curve of the run, in its colour, in the right margin.
    constexpr double x = 1100;
    const ResultMatrix& m = state_.result;
    const MeasSettings& s = state_.meas;
    canvas_.text(x, 830, state_.controls.lblNameVar2);
    int n = 0;
    for (int row = 0; std::fabs(curveAt(m, row)) >= 1;) {
        const double curve = std::fabs(curveAt(m, row));
        ++n;
        while (std::fabs(curveAt(m, row)) == curve) {
            ++row;
        }
        if (n <= s.intVar2Count) {
            canvas_.setForeground(curveColour(n));
            canvas_.text(
                x, 820 - 60.0 * n,
                numberItem(
                    Decimals(s.dblVar2Values[static_cast<std::size_t>(n - 1)], 2).value_or(0.0)));
        }
    }
    canvas_.setForeground(kBlack);
}

void Gen1Plotter::FullScaleKey() {
    // Below the legend in the right margin, shown only when some point carries the mark.
    canvas_.setForeground(kBlack);
    canvas_.setLineStyle(LineStyle::Solid);
    fullScaleMark(1080, 30);
    canvas_.text(1110, 50, "full scale");
}

void Gen1Plotter::fullScaleMark(double x, double y) {
    fullScaleShown_ = true;
    // A triangle around the point, pointing up: the current was at least this.
    canvas_.line(x - kFullScaleHalfWidth, y - kFullScaleBelow, x + kFullScaleHalfWidth,
                 y - kFullScaleBelow);
    canvas_.line(x + kFullScaleHalfWidth, y - kFullScaleBelow, x, y + kFullScaleAbove);
    canvas_.line(x, y + kFullScaleAbove, x - kFullScaleHalfWidth, y - kFullScaleBelow);
}

void Gen1Plotter::curves(const ResultMatrix& m, int column, LineStyle style, int marker) {
    const GraphSettings& g = state_.graph;
    const auto px = [&](int row) { return intScale(m.at(row, g.intXcol), g.dblXmin, g.dblXmax); };
    const auto py = [&](int row) { return intScale(m.at(row, column), g.dblYmin, g.dblYmax); };
    const auto mark = [&](int row) {
        const double x = px(row), y = py(row);
        canvas_.setLineStyle(LineStyle::Solid);
        if (m.atFullScale(row, column)) {
            fullScaleMark(x, y);  // whether or not markers are shown
        }
        if (marker == kCircle) {
            canvas_.setFill(kWhite, true);
            canvas_.circle(x, y, 7);
        } else if (marker == kCross) {
            canvas_.line(x - 7, y + 7, x + 7, y - 7);
            canvas_.line(x - 7, y - 7, x + 7, y + 7);
        }
    };
    int n = 0;
    for (int row = 0; curveAt(m, row) >= 1;) {
        ++n;
        canvas_.setForeground(curveColour(n));
        canvas_.beginBatch();
        mark(row);
        for (++row; curveAt(m, row) >= 1 && curveAt(m, row) == curveAt(m, row - 1); ++row) {
            mark(row);
            canvas_.setLineStyle(style);
            canvas_.line(px(row - 1), py(row - 1), px(row), py(row));
        }
        canvas_.endBatch();
    }
    canvas_.setLineStyle(LineStyle::Solid);
}

}  // namespace ostrino::gen1
