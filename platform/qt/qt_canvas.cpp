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
    measurePen();
    rebuildFont();
}

QtCanvas::~QtCanvas() {
    endPainting();
}

void QtCanvas::resize(QSize pixelSize) {
    endPainting();
    image_ = blankImage(pixelSize);
    coords_ = PlotCoordinates(image_.width(), image_.height());
    measurePen();
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
        painter_->setRenderHint(QPainter::TextAntialiasing);
        painter_->setFont(font_);
        penDirty_ = true;
    }
    return *painter_;
}

void QtCanvas::endPainting() {
    flushBatch();
    if (painter_) {
        painter_->end();
        painter_.reset();
    }
}

QtCanvas::PenKey QtCanvas::currentPen() const {
    return {foreground_, lineStyle_, penWidth()};
}

void QtCanvas::applyPen() {
    painter();
    // Markers and segments switch colour and style back and forth; the painter is told only
    // when what it holds differs from what the next stroke needs.
    const PenKey key = currentPen();
    if (penDirty_ || key != appliedPen_) {
        setPen(key);
    }
}

void QtCanvas::setPen(const PenKey& key) {
    auto found = pens_.find(key);
    if (found == pens_.end()) {
        if (pens_.size() > 64) {
            pens_.clear();
        }
        found = pens_.emplace(key, makePen(key)).first;
    }
    painter().setPen(found->second);
    appliedPen_ = key;
    penDirty_ = false;
}

QPen QtCanvas::makePen(const PenKey& key) {
    const auto& [rgb, style, width] = key;
    QPen pen{QColor(rgb)};
    pen.setWidthF(width);
    pen.setJoinStyle(Qt::MiterJoin);
    // Dash patterns in pen widths, after the usual screen patterns.
    switch (style) {
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
    return pen;
}

void QtCanvas::beginBatch() {
    flushBatch();
    batching_ = true;
}

void QtCanvas::endBatch() {
    flushBatch();
    batching_ = false;
}

void QtCanvas::flushBatch() {
    for (const BatchOp& op : batch_) {
        if (!op.stamp.isNull()) {
            painter().drawImage(op.at, op.stamp);
        } else if (penWidth_ == 1.0) {
            // Thin lines straight into the image: far quicker than the painter's general
            // stroker, and within a pixel what it draws for lines between pixel centres.
            // The painter may stay open while the image owns its pixels alone; an image
            // shared with a copy gets its own pixels first, and the painter must then start
            // afresh.
            if (painter_ && !image_.isDetached()) {
                painter_->end();
                painter_.reset();
            }
            drawThinLines(op.key, op.lines);
        } else {
            setPen(op.key);
            painter_->drawLines(op.lines.data(), static_cast<int>(op.lines.size()));
        }
    }
    batch_.clear();
}

void QtCanvas::drawThinLines(const PenKey& key, const std::vector<QLineF>& lines) {
    const auto& [rgb, style, width] = key;
    // On and off runs in pixels, as the pens' dash patterns.
    static const std::vector<int> kSolid{1};
    static const std::vector<int> kDot{3, 3};
    static const std::vector<int> kDash{18, 6};
    static const std::vector<int> kDashDot{9, 6, 3, 6};
    const std::vector<int>& pattern = style == LineStyle::Dot       ? kDot
                                      : style == LineStyle::Dash    ? kDash
                                      : style == LineStyle::DashDot ? kDashDot
                                                                    : kSolid;
    const QRgb colour = 0xFF000000u | rgb;
    const int w = image_.width(), h = image_.height();
    auto* bits = reinterpret_cast<QRgb*>(image_.bits());
    const qsizetype stride = image_.bytesPerLine() / static_cast<qsizetype>(sizeof(QRgb));
    std::size_t run = 0;  // where in the pattern the pen is, and how far that run goes on
    int left = pattern[0];
    const bool solid = style == LineStyle::Solid;
    const auto plot = [&](int x, int y) {
        if (run % 2 == 0 && static_cast<unsigned>(x) < static_cast<unsigned>(w) &&
            static_cast<unsigned>(y) < static_cast<unsigned>(h)) {
            bits[y * stride + x] = colour;
        }
        if (!solid && --left <= 0) {
            run = (run + 1) % pattern.size();
            left = pattern[run];
        }
    };
    QPoint lastEnd(-1, -1);
    for (const QLineF& l : lines) {
        int x = static_cast<int>(std::floor(l.x1())), y = static_cast<int>(std::floor(l.y1()));
        const int x2 = static_cast<int>(std::floor(l.x2())),
                  y2 = static_cast<int>(std::floor(l.y2()));
        // A segment that goes on from the last one goes on with its pattern and does not
        // put their common pixel down twice; any other starts the pattern afresh.
        const bool goesOn = QPoint(x, y) == lastEnd;
        if (!goesOn) {
            run = 0;
            left = pattern[0];
        }
        lastEnd = QPoint(x2, y2);
        const int dx = std::abs(x2 - x), dy = -std::abs(y2 - y);
        const int sx = x < x2 ? 1 : -1, sy = y < y2 ? 1 : -1;
        int err = dx + dy;
        for (bool first = true;; first = false) {
            if (!(first && goesOn)) {
                plot(x, y);
            }
            if (x == x2 && y == y2) {
                break;
            }
            const int e2 = 2 * err;
            if (e2 >= dy) {
                err += dy;
                x += sx;
            }
            if (e2 <= dx) {
                err += dx;
                y += sy;
            }
        }
    }
}

void QtCanvas::clear(Rgb background) {
    batch_.clear();  // painted over anyway
    endPainting();
    image_.fill(toQColor(background));
}

void QtCanvas::setForeground(Rgb colour) {
    if (colour != foregroundRgb_) {  // markers and segments set it twice a point
        foregroundRgb_ = colour;
        foreground_ = toQColor(colour).rgb();
    }
}

void QtCanvas::setFill(Rgb colour, bool solid) {
    fill_ = toQColor(colour);
    solidFill_ = solid;
}

void QtCanvas::setLineStyle(LineStyle style) {
    lineStyle_ = style;
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
    if (coords_.sizeFactor() != textScale_) {  // laid-out texts are for one image size
        texts_.clear();
        textScale_ = coords_.sizeFactor();
    }
    metrics_ = std::make_unique<QFontMetricsF>(font_, &image_);
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
    const PixelPoint p = coords_.toPixel(x, y);
    if (oddPen_) {
        return {std::floor(p.x) + 0.5, std::floor(p.y) + 0.5};
    }
    return {std::round(p.x), std::round(p.y)};
}

void QtCanvas::measurePen() {
    penWidth_ = std::max(1.0, std::round(coords_.sizeFactor()));
    oddPen_ = std::fmod(penWidth_, 2.0) == 1.0;
}

void QtCanvas::line(double x1, double y1, double x2, double y2) {
    if (batching_) {
        const PenKey key = currentPen();
        if (batch_.empty() || !batch_.back().stamp.isNull() || batch_.back().key != key) {
            batch_.push_back({QImage(), QPoint(), key, {}});
        }
        batch_.back().lines.emplace_back(snapped(x1, y1), snapped(x2, y2));
        return;
    }
    applyPen();
    painter_->drawLine(snapped(x1, y1), snapped(x2, y2));
}

namespace {
// Circles up to this radius in pixels go through a stamp.
constexpr double kLargestStamp = 24.0;
}  // namespace

void QtCanvas::circle(double x, double y, double radius) {
    const double r = std::round(coords_.toPixelLength(radius));
    const QPointF centre = snapped(x, y);
    if (r > kLargestStamp || lineStyle_ != LineStyle::Solid) {
        flushBatch();
        applyPen();
        painter_->setBrush(solidFill_ ? QBrush(fill_) : QBrush(Qt::NoBrush));
        painter_->drawEllipse(centre, r, r);
        return;
    }
    const QPointF whole(std::floor(centre.x()), std::floor(centre.y()));
    const QImage& stamp = circleStamp(r, centre - whole);
    const int half = stamp.width() / 2;
    const QPoint at(static_cast<int>(whole.x()) - half, static_cast<int>(whole.y()) - half);
    if (batching_) {
        batch_.push_back({stamp, at, {}, {}});
    } else {
        painter().drawImage(at, stamp);
    }
}

const QImage& QtCanvas::circleStamp(double radius, QPointF centreFraction) {
    const StampKey key{static_cast<int>(radius),
                       foreground_,
                       fill_.rgb(),
                       solidFill_,
                       penWidth(),
                       static_cast<int>(centreFraction.x() * 2),
                       static_cast<int>(centreFraction.y() * 2)};
    auto found = stamps_.find(key);
    if (found != stamps_.end()) {
        return found->second;
    }
    // Room for the radius and the pen on every side; the centre sits on pixel "half".
    const int half = static_cast<int>(radius + penWidth()) + 2;
    QImage stamp(2 * half + 1, 2 * half + 1, QImage::Format_ARGB32_Premultiplied);
    stamp.fill(Qt::transparent);
    {
        QPainter p(&stamp);
        p.setRenderHint(QPainter::Antialiasing);
        QPen pen{QColor(foreground_)};
        pen.setWidthF(penWidth());
        p.setPen(pen);
        p.setBrush(solidFill_ ? QBrush(fill_) : QBrush(Qt::NoBrush));
        p.drawEllipse(QPointF(half, half) + centreFraction, radius, radius);
    }
    if (stamps_.size() > 64) {
        stamps_.clear();  // colours and sizes come and go with the settings
    }
    return stamps_.emplace(key, std::move(stamp)).first->second;
}

void QtCanvas::text(double x, double y, const std::string& s) {
    flushBatch();
    if (s.empty()) {
        return;
    }
    // Laying glyphs out is the dearest part of a redraw, and the same few dozen texts
    // (numbers on the axes, legend, logo) come back at every point of a sweep: each is
    // laid out once into a transparent image and copied after that.
    const TextKey key{fontName_, pointSize_, bold_, foreground_, s};
    auto found = texts_.find(key);
    if (found == texts_.end()) {
        if (texts_.size() > 512) {
            texts_.clear();
        }
        const QString text = QString::fromStdString(s);
        const int pad = 2 + static_cast<int>(std::ceil(penWidth_));
        QImage image(static_cast<int>(std::ceil(metrics_->horizontalAdvance(text))) + 2 * pad,
                     static_cast<int>(std::ceil(metrics_->height())) + 2 * pad,
                     QImage::Format_ARGB32_Premultiplied);
        image.setDotsPerMeterX(image_.dotsPerMeterX());
        image.setDotsPerMeterY(image_.dotsPerMeterY());
        image.fill(Qt::transparent);
        {
            QPainter p(&image);
            p.setRenderHint(QPainter::TextAntialiasing);
            p.setFont(font_);
            p.setPen(QColor(foreground_));
            p.drawText(QPointF(pad, pad + metrics_->ascent()), text);
        }
        found = texts_.emplace(key, TextStamp{std::move(image), pad}).first;
    }
    const PixelPoint at = coords_.toPixel(x, y);
    const TextStamp& stamp = found->second;
    painter().drawImage(QPoint(static_cast<int>(std::lround(at.x)) - stamp.pad,
                               static_cast<int>(std::lround(at.y)) - stamp.pad),
                        stamp.image);
}

double QtCanvas::textWidth(const std::string& s) {
    return coords_.toUserLength(metrics_->horizontalAdvance(QString::fromStdString(s)));
}

double QtCanvas::textHeight(const std::string& /*s*/) {
    return coords_.toUserLength(metrics_->height());
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
