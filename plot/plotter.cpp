#include "plot/plotter.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <optional>

#include "common/numbers.h"

namespace ostrino {

namespace {

constexpr const char* kFontName = "MS Sans Serif";
constexpr double kFontSize = 8.25;

constexpr Rgb kRed = Rgb::fromBgr(0xFF);
constexpr Rgb kGreen = Rgb::fromBgr(0xFF00);
constexpr Rgb kBlue = Rgb::fromBgr(0xFF0000);
constexpr Rgb kCyan = Rgb::fromBgr(0xFFFF00);
constexpr Rgb kMagenta = Rgb::fromBgr(0xFF00FF);

constexpr std::array<Rgb, Plotter::kColourCount> kCurveColours{
    kBlack, kRed, kGreen, kBlue, kCyan, kMagenta, kRed, kGreen, kBlue, kCyan,
    kBlack, kRed, kGreen, kBlue, kCyan, kMagenta, kRed, kGreen, kBlue, kCyan};

// A number as the picture box prints it: a blank in place of the sign when not negative.
std::string numberItem(double v) {
    std::string item = v < 0.0 ? "" : " ";
    item += numberText(v);
    return item;
}

// The number printed at tick i of n on an axis from lo to hi.
std::string tickItem(double lo, double hi, int i, int n) {
    return numberItem(axisNumber(lo + (hi - lo) * i / n, hi - lo));
}

// Decimals for display; a value too large to round is shown as it is.
double rounded(double v, int n) {
    return Decimals(v, n).value_or(v);
}

// The row after the last one that belongs to the block starting at blockRow.
int blockEnd(int blockRow) {
    return blockRow >= MeasMatrix::kFit ? MeasMatrix::kRows : blockRow + MeasMatrix::kBlockRows;
}

// The curve number of a row, rounded; rows outside the block read as its end.
long curveAt(const MeasMatrix& m, int row, int end) {
    if (row < 0 || row >= end) {
        return 0;
    }
    const double c = roundHalfEven(m(row, MeasMatrix::Curve));
    return std::isfinite(c) && std::fabs(c) < 1e9 ? static_cast<long>(c) : 0;
}

bool validColumn(int col) {
    return col >= 0 && col < MeasMatrix::kCols;
}

bool validBlock(int row) {
    return row >= 0 && row < MeasMatrix::kRows;
}

}  // namespace

Plotter::Plotter(const SweepCaptions& captions, GraphSettingsLogic& graph, Canvas& canvas)
    : in_(graph.sources()),
      captions_(captions),
      model_(graph.model()),
      graph_(graph),
      canvas_(canvas) {}

int Plotter::intScale(double dblVal, double dblMin, double dblMax) {
    if (std::isnan(dblVal) || dblVal <= dblMin) {
        return 0;
    }
    if (dblVal >= dblMax) {
        return 1000;
    }
    const double scaled = roundHalfEven((dblVal - dblMin) * 1000.0 / (dblMax - dblMin));
    return std::isfinite(scaled) ? static_cast<int>(scaled) : 0;
}

Rgb Plotter::curveColour(int n) {
    const int index = ((n - 1) % kColourCount + kColourCount) % kColourCount;
    return kCurveColours[static_cast<std::size_t>(index)];
}

Rgb Plotter::inColour(Rgb colour) const {
    return model_.chkColor ? colour : kBlack;
}

void Plotter::setFontSize(double pointSize, bool bold) {
    canvas_.setFont(kFontName, pointSize, bold);
}

void Plotter::DrawPicture() {
    if (!in_.loaded) {
        return;
    }
    graph_.resolveRanges();
    if (!model_.chkKeepPlot) {
        canvas_.clear(kWhite);
    }
    // The surface's own state, as every step leaves it.
    canvas_.setForeground(kBlack);
    canvas_.setLineStyle(LineStyle::Solid);
    setFontSize(kFontSize);

    Logo();
    ShowCompliance();
    DrawTitle();
    DrawFrame();
    DrawGrid();

    const GraphSettings& g = in_.graph;
    Xaxis(g.strXname, g.dblXmin, g.dblXmax, g.intXmajor);
    const YVariable& y1 = yVariable(model_.cboY1Var);
    const YVariable& y2 = yVariable(model_.cboY2Var);
    Yaxis(y1.axisName, g.dblY1min, g.dblY1max, g.intY1major, true, model_.cboY1Var);
    Yaxis(y2.axisName, g.dblY2min, g.dblY2max, g.intY2major, false, model_.cboY2Var);
    DrawLegend();

    const bool y1Measured = model_.cboY1Var >= 0 && model_.cboY1Var <= 2;
    if (y1Measured && (g.intXcol == MeasMatrix::Vs || g.intXcol == MeasMatrix::Va)) {
        PlotPmax(g.dblXmin, g.dblXmax, g.dblY1min, g.dblY1max);
        PlotRload2(g.dblXmin, g.dblXmax, g.dblY1min, g.dblY1max);
    }

    drawcurve(y1.blockRow, g.intXcol, y1.column, g.dblXmin, g.dblXmax, g.dblY1min, g.dblY1max,
              model_.cboY1Marker, model_.cboY1Line, model_.cboY1Var);
    drawcurve(y2.blockRow, g.intXcol, y2.column, g.dblXmin, g.dblXmax, g.dblY2min, g.dblY2max,
              model_.cboY2Marker, model_.cboY2Line, model_.cboY2Var);
    // The model's curves over the measured currents they were fitted to.
    const auto current = [](int var) { return var == 1 || var == 2; };  // Ia or Is
    bool modelDrawn = false;
    if (current(model_.cboY1Var)) {
        modelDrawn |= PlotModel(g.intXcol, y1.column, g.dblXmin, g.dblXmax, g.dblY1min, g.dblY1max,
                                model_.cboY1Line);
    }
    if (current(model_.cboY2Var)) {
        modelDrawn |= PlotModel(g.intXcol, y2.column, g.dblXmin, g.dblXmax, g.dblY2min, g.dblY2max,
                                model_.cboY2Line);
    }
    if (modelDrawn) {
        canvas_.text(1150, -100, "- - model");
    }

    if (in_.cursorShown) {
        ShowCursor(y1.blockRow, y1.column, y2.blockRow, y2.column);
    }
}

void Plotter::mousePress(double x, double y) {
    const auto toCoordinate = [](double v) {
        const std::optional<std::int16_t> whole = toInteger(v);
        return whole ? *whole : (v < 0 ? -32768 : 32767);
    };
    model_.intCursorX = toCoordinate(x);
    model_.intCursorY = toCoordinate(y);
    if (ProcessFields) {
        ProcessFields();
    }
    const auto onPlot = [](int v) { return v >= 0 && v <= 1000; };
    in_.cursorShown = onPlot(model_.intCursorX) && onPlot(model_.intCursorY);
    DrawPicture();
}

void Plotter::Logo() {
    canvas_.setForeground(inColour(kBlue));
    canvas_.setFont("Comic Sans Ms", 12, false);
    canvas_.text(640, 1130, "Ostrino V3.11");
    setFontSize(kFontSize);
    canvas_.setForeground(kBlack);
}

void Plotter::ShowCompliance() {
    if (!in_.compliance) {
        return;
    }
    setFontSize(12);
    canvas_.setForeground(kRed);  // in black-and-white too
    canvas_.text(-100, -100, "Compliance Error");
    setFontSize(kFontSize);
    canvas_.setForeground(kBlack);
}

void Plotter::DrawTitle() {
    double x = 0, y = 0;
    if (model_.titlePlacement == 1) {
        x = 50, y = 1110;
    } else if (model_.titlePlacement == 2) {
        x = 45, y = 960;
    } else {
        return;
    }
    setFontSize(11, true);
    canvas_.text(x, y, model_.txtTitle);
    setFontSize(kFontSize);
}

void Plotter::DrawFrame() {
    canvas_.line(0, 0, 1000, 0);
    canvas_.line(0, 0, 0, 1000);
    canvas_.line(1000, 0, 1000, 1000);
    canvas_.line(0, 1000, 1000, 1000);
}

void Plotter::DrawGrid() {
    if (!model_.chkGrid) {
        return;
    }
    const GraphSettings& g = in_.graph;
    canvas_.setForeground(inColour(kGreen));
    for (int i = 1; i < g.intXmajor; ++i) {
        const double x = 1000.0 / g.intXmajor * i;
        canvas_.line(x, 0, x, 1000);
    }
    for (int i = 1; i < g.intY1major; ++i) {
        const double y = 1000.0 / g.intY1major * i;
        canvas_.line(0, y, 1000, y);
    }
    canvas_.setForeground(kBlack);
}

void Plotter::Xaxis(const std::string& strXname, double dblXmin, double dblXmax, int intXmajor) {
    if (intXmajor < 1) {
        return;  // the checks keep 1..10; nothing sensible to draw otherwise
    }
    for (int i = 0; i <= intXmajor; ++i) {
        const double x = 1000.0 / intXmajor * i;
        canvas_.line(x, -5, x, 0);
    }
    canvas_.text(400, -100, strXname);
    for (int i = 0; i <= intXmajor; ++i) {
        const double x = 1000.0 / intXmajor * i;
        canvas_.text(x - 15, -20, tickItem(dblXmin, dblXmax, i, intXmajor));
    }
}

void Plotter::Yaxis(const std::string& strYname, double dblYmin, double dblYmax, int intYmajor,
                    bool left, int intGo) {
    if (intGo < 1 || intYmajor < 1) {
        return;
    }
    for (int i = 0; i <= intYmajor; ++i) {
        const double y = 1000.0 / intYmajor * i;
        if (left) {
            canvas_.line(-5, y, 0, y);
        } else {
            canvas_.line(1000, y, 1010, y);
        }
    }
    canvas_.text(left ? -110 : 1020, 1110, strYname);
    for (int i = 0; i <= intYmajor; ++i) {
        const double y = 980.0 / intYmajor * i + 30;
        canvas_.text(left ? -100 : 1020, y, tickItem(dblYmin, dblYmax, i, intYmajor));
    }
}

void Plotter::DrawLegend() {
    constexpr double x = 1175;
    if (captions_.txtConst2Visible) {
        canvas_.text(x, 1000, captions_.lblNameConst1 + " =");
        canvas_.text(x, 930, numberItem(rounded(in_.meas.dblConst1, 2)));
    }
    canvas_.text(x, 830, captions_.lblNameVar2);

    // Only the measured block is listed; a curve of one point gets no entry.
    const MeasMatrix& m = in_.matrix;
    const int end = blockEnd(MeasMatrix::kActual);
    int n = 0;
    for (int row = MeasMatrix::kActual; curveAt(m, row, end) >= 1;) {
        ++n;
        const long curve = curveAt(m, row, end);
        int points = 0;
        for (; curveAt(m, row, end) == curve; ++row) {
            ++points;
        }
        const auto k = static_cast<std::size_t>(n - 1);
        if (points > 1 && k < in_.meas.dblVar2Values.size()) {
            canvas_.setForeground(inColour(curveColour(n)));
            canvas_.text(x, 820 - 60.0 * n, numberItem(rounded(in_.meas.dblVar2Values[k], 2)));
        }
    }
    canvas_.setForeground(kBlack);
}

void Plotter::drawcurve(int intRow, int intXcol, int intYcol, double dblXmin, double dblXmax,
                        double dblYmin, double dblYmax, int intMarker, int intline, int intGo) {
    if (intGo < 1 || !validBlock(intRow) || !validColumn(intXcol) || !validColumn(intYcol)) {
        return;
    }
    const MeasMatrix& m = in_.matrix;
    const int end = blockEnd(intRow);
    const auto px = [&](int row) { return intScale(m(row, intXcol), dblXmin, dblXmax); };
    const auto py = [&](int row) { return intScale(m(row, intYcol), dblYmin, dblYmax); };

    int n = 0;
    int row = intRow;
    while (curveAt(m, row, end) >= 1) {
        ++n;
        Rgb colour = curveColour(n);
        canvas_.beginBatch();  // a thousand points are redrawn after every new one
        MyMarker(px(row), py(row), intMarker, colour);
        ++row;
        // The marker of a point goes down before the segment that ends in it.
        while (curveAt(m, row, end) == curveAt(m, row - 1, end)) {
            MyMarker(px(row), py(row), intMarker, colour);
            DrawSegment(px(row - 1), py(row - 1), px(row), py(row), intline, colour);
            ++row;
        }
        canvas_.endBatch();
    }
}

void Plotter::MyMarker(int intX, int intY, int intMarker, Rgb& lngColor) {
    canvas_.setLineStyle(LineStyle::Solid);
    lngColor = inColour(lngColor);
    canvas_.setForeground(lngColor);
    const double x = intX, y = intY;
    switch (intMarker) {
        case 1:
            canvas_.setFill(kWhite, true);
            canvas_.circle(x, y, 7);
            break;
        case 2:
            canvas_.setFill(kBlack, true);
            canvas_.circle(x, y, 7);
            break;
        case 3:
            canvas_.line(x - 7, y + 10, x + 7, y + 10);
            canvas_.line(x + 7, y + 10, x + 7, y - 10);
            canvas_.line(x + 7, y - 10, x - 7, y - 10);
            canvas_.line(x - 7, y - 10, x - 7, y + 10);
            break;
        case 4:
            canvas_.line(x - 7, y + 10, x + 7, y - 10);
            canvas_.line(x - 7, y - 10, x + 7, y + 10);
            break;
        default:
            break;
    }
    canvas_.setForeground(kBlack);
}

void Plotter::DrawSegment(int x1, int y1, int x2, int y2, int style, Rgb& colour) {
    colour = inColour(colour);
    canvas_.setForeground(colour);
    canvas_.setLineStyle(LineStyle::Solid);
    switch (style) {
        case 2:
            canvas_.setLineStyle(LineStyle::Dot);
            break;
        case 3:
            canvas_.setLineStyle(LineStyle::Dash);
            break;
        case 4:
            canvas_.setLineStyle(LineStyle::DashDot);
            break;
        default:
            break;
    }
    if (style != 0) {
        canvas_.line(x1, y1, x2, y2);
    }
    canvas_.setForeground(kBlack);
    canvas_.setLineStyle(LineStyle::Solid);
}

void Plotter::PlotPmax(double dblXmin, double dblXmax, double dblYmin, double dblYmax) {
    Rgb colour = inColour(kRed);
    const double p = pmaxWatts(model_) * 1000.0;  // W to mW
    if (!(p > 1e-6)) {
        return;
    }
    double x = dblXmin + 0.001;
    // Start where the hyperbola enters the plot (never before the x start).
    if (p / x > dblYmax && p / dblYmax > x) {
        x = p / dblYmax;
    }
    const double dx = (dblXmax - dblXmin) / 100;
    if (!(dx > 0.0) || !std::isfinite(x)) {
        return;
    }
    const auto sx = [&](double v) { return intScale(v, dblXmin, dblXmax); };
    const auto sy = [&](double v) { return intScale(p / v, dblYmin, dblYmax); };
    for (; x < dblXmax; x += dx) {
        DrawSegment(sx(x), sy(x), sx(x + dx), sy(x + dx), 1, colour);
    }
    canvas_.setForeground(colour);
    canvas_.text(1150, 180, "Pmax (W):");
    canvas_.text(1150, 120, model_.txtPmax);
    canvas_.setForeground(kBlack);
}

bool Plotter::PlotModel(int intXcol, int intYcol, double dblXmin, double dblXmax, double dblYmin,
                        double dblYmax, int measuredLine) {
    const ModelOverlay& overlay = in_.modelOverlay;
    if (!overlay.visible || overlay.curves.empty() || !validColumn(intXcol) ||
        !validColumn(intYcol)) {
        return false;
    }
    // Dashed, unless the measured curves are dashed themselves.
    const int style = measuredLine == 3 ? 4 : 3;
    const auto cx = [&](const ModelOverlay::Row& r) {
        return intScale(r[static_cast<std::size_t>(intXcol)], dblXmin, dblXmax);
    };
    const auto cy = [&](const ModelOverlay::Row& r) {
        return intScale(r[static_cast<std::size_t>(intYcol)], dblYmin, dblYmax);
    };
    bool drawn = false;
    for (const ModelOverlay::Curve& curve : overlay.curves) {
        canvas_.beginBatch();  // the dashes run on along the curve
        for (std::size_t k = 1; k < curve.rows.size(); ++k) {
            const ModelOverlay::Row& a = curve.rows[k - 1];
            const ModelOverlay::Row& b = curve.rows[k];
            const auto y = static_cast<std::size_t>(intYcol);
            if (!std::isfinite(a[y]) || !std::isfinite(b[y])) {
                continue;
            }
            Rgb colour = curveColour(curve.colour);
            DrawSegment(cx(a), cy(a), cx(b), cy(b), style, colour);
            drawn = true;
        }
        canvas_.endBatch();
    }
    return drawn;
}

void Plotter::PlotRload2(double dblXmin, double dblXmax, double dblYmin, double dblYmax) {
    const DistortionOverlay& d = in_.dist;
    if (!d.visible) {
        return;
    }
    const Rgb overlay = inColour(kGreen);
    const double dx = (dblXmax - dblXmin) / 100;
    const auto load = [&d](double va) { return (d.dblDistVsupply - va) / d.dblDistRload; };
    double x = dblXmin;
    for (int i = 1; i <= 100; ++i, x += dx) {
        const double y = load(x);
        if (!(dblYmin < y && y < dblYmax)) {
            continue;
        }
        // The stretch the signal swings over is black.
        const bool swing = d.dblDistVaMin <= x && x <= d.dblDistVaMax && !d.blnError;
        Rgb colour = swing ? kBlack : overlay;
        DrawSegment(intScale(x, dblXmin, dblXmax), intScale(y, dblYmin, dblYmax),
                    intScale(x + dx, dblXmin, dblXmax), intScale(load(x + dx), dblYmin, dblYmax), 1,
                    colour);
    }
    canvas_.setForeground(overlay);
    canvas_.text(1150, 40, "Rload (k):");
    canvas_.text(1150, -20, numberItem(d.dblDistRload));
    canvas_.setForeground(kBlack);
}

void Plotter::ShowCursor(int y1Row, int y1Col, int y2Row, int y2Col) {
    const GraphSettings& g = in_.graph;
    const MeasMatrix& m = in_.matrix;
    const double xc = (g.dblXmax - g.dblXmin) * model_.intCursorX / 1000 + g.dblXmin;

    struct Axis {
        int index, row, col;
        double ymin, ymax;
        const char* label;
    };
    const std::array<Axis, 2> axes{{
        {model_.cboY1Var, y1Row, y1Col, g.dblY1min, g.dblY1max, "  Y1="},
        {model_.cboY2Var, y2Row, y2Col, g.dblY2min, g.dblY2max, "  Y2="},
    }};

    double best = 10000;
    bool found = false;
    double bestYs = 0, bestYc = 0;
    const char* bestLabel = "";
    for (const Axis& a : axes) {
        if (a.index == 0 || !validBlock(a.row) || !validColumn(a.col) || !validColumn(g.intXcol)) {
            continue;
        }
        const int end = blockEnd(a.row);
        for (int i = a.row; curveAt(m, i, end) > 0 && curveAt(m, i + 1, end) > 0; ++i) {
            if (curveAt(m, i + 1, end) != curveAt(m, i, end)) {
                continue;
            }
            const double x0 = m(i, g.intXcol), x1 = m(i + 1, g.intXcol);
            if (!(x0 <= xc && xc < x1)) {
                continue;
            }
            const double y0 = m(i, a.col), y1 = m(i + 1, a.col);
            const double slope = (y0 - y1) / (x0 - x1);
            const double yc = xc * slope + (y0 - slope * x0);
            const double ys = roundHalfEven((yc - a.ymin) * 1000 / (a.ymax - a.ymin));
            if (std::fabs(ys - model_.intCursorY) < best) {
                best = std::fabs(ys - model_.intCursorY);
                found = true;
                bestYs = ys;
                bestYc = yc;
                bestLabel = a.label;
            }
        }
    }
    if (!found) {
        return;
    }

    canvas_.setFill(inColour(kRed), true);
    canvas_.circle(model_.intCursorX, bestYs, 8);
    canvas_.setFill(kWhite, true);
    canvas_.setLineStyle(LineStyle::Dot);
    canvas_.setForeground(inColour(kGreen));
    canvas_.line(model_.intCursorX, 0, model_.intCursorX, 1000);
    canvas_.setForeground(kBlack);
    canvas_.setLineStyle(LineStyle::Solid);
    canvas_.text(950, -125,
                 "X= " + numberItem(rounded(xc, 1)) + bestLabel + numberItem(rounded(bestYc, 1)));
}

}  // namespace ostrino
