#include "measure/plot_widget.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

#include "common/numbers.h"

namespace ostrino {

namespace {

// Curve colours by curve number (1-based), repeating after 10.
QColor curveColour(int n) {
    static const QColor kColours[10] = {
        Qt::black,           QColor(255, 0, 0),   QColor(0, 170, 0), QColor(0, 0, 255),
        QColor(0, 170, 170), QColor(200, 0, 200), QColor(255, 0, 0), QColor(0, 170, 0),
        QColor(0, 0, 255),   QColor(0, 170, 170)};
    return kColours[(std::max(n, 1) - 1) % 10];
}

// A round upper end for an axis and its number of divisions.
std::pair<double, int> niceAxis(double m) {
    m = std::clamp(m, 0.1, 1e6);
    const double e = std::floor(std::log10(m));
    const double f = m / std::pow(10.0, e);
    static const struct {
        double bound, upper;
        int divisions;
    } kSteps[] = {{1.001, 1, 10}, {1.25, 1.25, 5}, {1.5, 1.5, 6}, {1.75, 1.75, 7},
                  {2, 2, 4},      {2.5, 2.5, 5},   {3, 3, 6},     {4, 4, 8},
                  {5, 5, 10},     {6, 6, 6},       {8, 8, 8}};
    for (const auto& s : kSteps) {
        if (f <= s.bound) {
            return {s.upper * std::pow(10.0, e), s.divisions};
        }
    }
    return {10.0 * std::pow(10.0, e), 10};
}

}  // namespace

PlotWidget::PlotWidget(ConsoleState& state, Form1Model& model, QWidget* parent)
    : QWidget(parent), state_(state), model_(model) {
    setObjectName("picScreen");
    setAccessibleName("Graph");
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setAutoFillBackground(false);
}

void PlotWidget::paintEvent(QPaintEvent* /*event*/) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), Qt::white);
    if (!state_.blnLoaded) {
        return;
    }
    const auto& m = state_.dblMeasMatrix;
    const auto& g = state_.graph;
    const int xcol = g.intXcol;
    const MeasSettings& s = state_.meas;

    // x follows the sweep; anode and screen sweeps start the axis at 0.
    double xmin = std::min(s.dblVar1Start, s.dblVar1Stop);
    double xmax = std::max(s.dblVar1Start, s.dblVar1Stop);
    if ((xcol == MeasMatrix::Va || xcol == MeasMatrix::Vs) && xmin < 2.1) {
        xmin = 0.0;
    }
    if (xmax <= xmin) {
        xmax = xmin + 1.0;
    }
    double ymaxData = 0.0;
    for (int r = 0; r < MeasMatrix::kBlockRows && m(r, MeasMatrix::Curve) >= 1.0; ++r) {
        ymaxData = std::max(ymaxData, m(r, MeasMatrix::Ia));
    }
    const auto [ymax, ydiv] = niceAxis(ymaxData);

    const QFontMetrics fm(font());
    const int left = fm.horizontalAdvance("00000.0") + 16;
    const int right = 24;
    const int top = fm.height() * 2 + 8;
    const int bottom = fm.height() * 3 + 8;
    const QRectF area(left, top, std::max(10, width() - left - right),
                      std::max(10, height() - top - bottom));
    auto px = [&](double x) { return area.left() + (x - xmin) / (xmax - xmin) * area.width(); };
    auto py = [&](double y) {
        return area.bottom() - std::clamp(y / ymax, 0.0, 1.0) * area.height();
    };

    // Grid, frame and axes.
    const int xdiv = 10;
    p.setPen(QPen(QColor(0, 170, 0), 0.5));
    for (int i = 1; i < xdiv; ++i) {
        const double x = area.left() + area.width() * i / xdiv;
        p.drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
    }
    for (int i = 1; i < ydiv; ++i) {
        const double y = area.bottom() - area.height() * i / ydiv;
        p.drawLine(QPointF(area.left(), y), QPointF(area.right(), y));
    }
    p.setPen(QPen(Qt::black, 1));
    p.drawRect(area);
    for (int i = 0; i <= xdiv; ++i) {
        const double v = xmin + (xmax - xmin) * i / xdiv;
        const QString t = QString::fromStdString(numberText(*Decimals(v, 2)));
        p.drawText(QRectF(px(v) - 40, area.bottom() + 4, 80, fm.height()), Qt::AlignHCenter, t);
    }
    for (int i = 0; i <= ydiv; ++i) {
        const double v = ymax * i / ydiv;
        const QString t = QString::fromStdString(numberText(v));
        p.drawText(QRectF(0, py(v) - fm.height() / 2.0, left - 8, fm.height()),
                   Qt::AlignRight | Qt::AlignVCenter, t);
    }
    p.drawText(QRectF(area.left(), area.bottom() + fm.height() + 8, area.width(), fm.height()),
               Qt::AlignHCenter, QString::fromStdString(g.strXname));
    p.drawText(QRectF(4, 4, 200, fm.height()), Qt::AlignLeft, "Ia (mA)");
    if (state_.blnCompliance) {
        p.setPen(Qt::red);
        p.drawText(QRectF(4, height() - fm.height() - 4, 300, fm.height()), Qt::AlignLeft,
                   "Compliance Error");
    }

    // Curves of the current sweep, with the stepping value of each.
    p.setClipRect(area.adjusted(-4, -4, 4, 4));
    int r = 0;
    while (r < MeasMatrix::kBlockRows && std::lround(m(r, MeasMatrix::Curve)) >= 1) {
        const long curve = std::lround(m(r, MeasMatrix::Curve));
        QPainterPath path(QPointF(px(m(r, xcol)), py(m(r, MeasMatrix::Ia))));
        const QColor colour = model_.chkColor ? curveColour(static_cast<int>(curve)) : Qt::black;
        p.setPen(QPen(colour, 1.5));
        p.setBrush(Qt::NoBrush);
        int last = r;
        for (; r < MeasMatrix::kBlockRows && std::lround(m(r, MeasMatrix::Curve)) == curve; ++r) {
            const QPointF pt(px(m(r, xcol)), py(m(r, MeasMatrix::Ia)));
            path.lineTo(pt);
            p.drawEllipse(pt, 2.5, 2.5);
            last = r;
        }
        p.drawPath(path);
        const std::size_t k = static_cast<std::size_t>(std::clamp<long>(curve - 1, 0, 20));
        const QString label =
            QString::fromStdString(model_.lblNameVar2 + " " + numberText(s.dblVar2Values[k]));
        p.drawText(QPointF(px(m(last, xcol)) - fm.horizontalAdvance(label) - 4,
                           py(m(last, MeasMatrix::Ia)) - 4),
                   label);
    }
}

}  // namespace ostrino
