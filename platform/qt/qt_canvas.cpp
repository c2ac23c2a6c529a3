#include "platform/qt/qt_canvas.h"

#include <QBuffer>
#include <QByteArray>
#include <QFontMetricsF>
#include <QPen>
#include <algorithm>
#include <cctype>
#include <cmath>
#include <string_view>

#include "common/text_file.h"

namespace ostrino {

namespace {

// 96 dots per inch, so that a point size means the same on every machine.
constexpr int kDotsPerMeter = 3780;

QColor toQColor(Rgb c) {
    return QColor(std::clamp(c.r, 0, 255), std::clamp(c.g, 0, 255), std::clamp(c.b, 0, 255));
}

QImage blankImage(QSize size) {
    QImage image(size.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    image.setDotsPerMeterX(kDotsPerMeter);
    image.setDotsPerMeterY(kDotsPerMeter);
    image.fill(Qt::white);
    return image;
}

bool endsWithIgnoringCase(const std::string& s, std::string_view suffix) {
    if (s.size() < suffix.size()) {
        return false;
    }
    return std::equal(
        suffix.begin(), suffix.end(), s.end() - static_cast<long>(suffix.size()),
        [](unsigned char a, unsigned char b) { return std::tolower(a) == std::tolower(b); });
}

}  // namespace

QtCanvas::QtCanvas(QSize pixelSize)
    : image_(blankImage(pixelSize)), coords_(image_.width(), image_.height()) {
    rebuildFont();
}

QtCanvas::~QtCanvas() {
    endPainting();
}

void QtCanvas::resize(QSize pixelSize) {
    endPainting();
    image_ = blankImage(pixelSize);
    coords_ = PlotCoordinates(image_.width(), image_.height());
    penDirty_ = true;
    rebuildFont();
}

const QImage& QtCanvas::image() {
    endPainting();
    return image_;
}

QPainter& QtCanvas::painter() {
    if (!painter_) {
        painter_ = std::make_unique<QPainter>(&image_);
        painter_->setRenderHint(QPainter::Antialiasing);
        painter_->setRenderHint(QPainter::TextAntialiasing);
        painter_->setFont(font_);
        penDirty_ = true;
    }
    return *painter_;
}

void QtCanvas::endPainting() {
    if (painter_) {
        painter_->end();
        painter_.reset();
    }
}

void QtCanvas::applyPen() {
    QPainter& p = painter();
    if (!penDirty_) {
        return;
    }
    QPen pen(foreground_);
    pen.setWidthF(penWidth());
    pen.setJoinStyle(Qt::MiterJoin);
    // Dash patterns in pen widths, after the usual screen patterns.
    switch (lineStyle_) {
        case LineStyle::Solid:
            pen.setCapStyle(Qt::SquareCap);
            break;
        case LineStyle::Dot:
            pen.setCapStyle(Qt::FlatCap);
            pen.setDashPattern({3, 3});
            break;
        case LineStyle::Dash:
            pen.setCapStyle(Qt::FlatCap);
            pen.setDashPattern({18, 6});
            break;
        case LineStyle::DashDot:
            pen.setCapStyle(Qt::FlatCap);
            pen.setDashPattern({9, 6, 3, 6});
            break;
    }
    p.setPen(pen);
    penDirty_ = false;
}

void QtCanvas::clear(Rgb background) {
    endPainting();
    image_.fill(toQColor(background));
}

void QtCanvas::setForeground(Rgb colour) {
    const QColor c = toQColor(colour);
    if (c != foreground_) {
        foreground_ = c;
        penDirty_ = true;
    }
}

void QtCanvas::setFill(Rgb colour, bool solid) {
    fill_ = toQColor(colour);
    solidFill_ = solid;
}

void QtCanvas::setLineStyle(LineStyle style) {
    if (style != lineStyle_) {
        lineStyle_ = style;
        penDirty_ = true;
    }
}

void QtCanvas::setFont(const std::string& name, double pointSize, bool bold) {
    if (name == fontName_ && pointSize == pointSize_ && bold == bold_) {
        return;
    }
    fontName_ = name;
    pointSize_ = pointSize;
    bold_ = bold;
    rebuildFont();
}

void QtCanvas::rebuildFont() {
    font_ = makeFont(fontName_, pointSize_, bold_, coords_.sizeFactor());
    if (painter_) {
        painter_->setFont(font_);
    }
}

QFont QtCanvas::makeFont(const std::string& name, double pointSize, bool bold, double sizeFactor) {
    const QString family = QString::fromStdString(name);
    QFont font(family);
    if (family.contains("comic", Qt::CaseInsensitive)) {
        font.setStyleHint(QFont::Cursive);
        font.setFamilies({family, "Comic Neue", "Comic Relief"});
    } else {
        font.setStyleHint(QFont::SansSerif);
        font.setFamilies(
            {family, "Microsoft Sans Serif", "Liberation Sans", "DejaVu Sans", "Nimbus Sans"});
    }
    font.setPointSizeF(std::max(0.5, pointSize * sizeFactor));
    font.setBold(bold);
    return font;
}

QPointF QtCanvas::snapped(double x, double y) const {
    // Odd pen widths on pixel centres, so that level and upright lines come out sharp.
    const bool odd = std::fmod(penWidth(), 2.0) == 1.0;
    const auto snap = [odd](double v) { return odd ? std::floor(v) + 0.5 : std::round(v); };
    const PixelPoint p = coords_.toPixel(x, y);
    return {snap(p.x), snap(p.y)};
}

double QtCanvas::penWidth() const {
    return std::max(1.0, std::round(coords_.sizeFactor()));
}

void QtCanvas::line(double x1, double y1, double x2, double y2) {
    applyPen();
    painter_->drawLine(snapped(x1, y1), snapped(x2, y2));
}

void QtCanvas::circle(double x, double y, double radius) {
    applyPen();
    painter_->setBrush(solidFill_ ? QBrush(fill_) : QBrush(Qt::NoBrush));
    const double r = std::round(coords_.toPixelLength(radius));
    painter_->drawEllipse(snapped(x, y), r, r);
}

void QtCanvas::text(double x, double y, const std::string& s) {
    applyPen();
    const PixelPoint at = coords_.toPixel(x, y);
    const QFontMetricsF metrics(font_, &image_);
    painter_->drawText(QPointF(at.x, at.y + metrics.ascent()), QString::fromStdString(s));
}

double QtCanvas::textWidth(const std::string& s) {
    const QFontMetricsF metrics(font_, &image_);
    return coords_.toUserLength(metrics.horizontalAdvance(QString::fromStdString(s)));
}

double QtCanvas::textHeight(const std::string& /*s*/) {
    const QFontMetricsF metrics(font_, &image_);
    return coords_.toUserLength(metrics.height());
}

bool QtCanvas::saveBitmap(const std::string& path, std::string& error) {
    endPainting();
    const char* format = endsWithIgnoringCase(path, ".png") ? "PNG" : "BMP";
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly) || !image_.save(&buffer, format)) {
        error = std::string("the image could not be encoded as ") + format;
        return false;
    }
    return writeFileAtomically(
        path, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), error);
}

}  // namespace ostrino
