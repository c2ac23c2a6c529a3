#pragma once

#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPen>
#include <QSize>
#include <map>
#include <memory>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/canvas.h"
#include "platform/plot_coordinates.h"

namespace ostrino {

// The drawing surface on a retained QImage. One painter stays open while drawing goes on
// and is closed whenever the image is read, so a full redraw costs one painter set-up.
class QtCanvas : public Canvas {
  public:
    explicit QtCanvas(QSize pixelSize = {600, 560});
    ~QtCanvas() override;
    QtCanvas(const QtCanvas&) = delete;
    QtCanvas& operator=(const QtCanvas&) = delete;

    // A new white image of that size; the old drawing is gone, pen and font stay set.
    void resize(QSize pixelSize);
    QSize pixelSize() const { return image_.size(); }
    const PlotCoordinates& coordinates() const { return coords_; }
    // The retained image with everything drawn so far.
    const QImage& image();

    void clear(Rgb background) override;
    void setForeground(Rgb colour) override;
    void setFill(Rgb colour, bool solid) override;
    void setLineStyle(LineStyle style) override;
    void setFont(const std::string& name, double pointSize, bool bold) override;
    void line(double x1, double y1, double x2, double y2) override;
    void circle(double x, double y, double radius) override;
    void text(double x, double y, const std::string& s) override;
    double textWidth(const std::string& s) override;
    double textHeight(const std::string& s) override;
    bool saveBitmap(const std::string& path, std::string& error) override;
    void beginBatch() override;
    void endBatch() override;

    // The font that a face name and point size come out as on this surface: a missing
    // face falls back to a sans-serif one ("MS Sans Serif") or a cursive one ("Comic Sans").
    static QFont makeFont(const std::string& name, double pointSize, bool bold, double sizeFactor);

  private:
    QPainter& painter();
    void endPainting();
    void applyPen();
    void flushBatch();
    double penWidth() const { return penWidth_; }
    void measurePen();
    QPointF snapped(double x, double y) const;
    void rebuildFont();
    const QImage& circleStamp(double radius, QPointF centreFraction);

    QImage image_;
    PlotCoordinates coords_;
    std::unique_ptr<QPainter> painter_;
    bool penDirty_ = true;  // the painter holds no pen of ours yet
    using PenKey = std::tuple<QRgb, LineStyle, double>;
    PenKey currentPen() const;
    void setPen(const PenKey& key);
    static QPen makePen(const PenKey& key);
    void drawThinLines(const PenKey& key, const std::vector<QLineF>& lines);
    PenKey appliedPen_{};
    std::map<PenKey, QPen> pens_;

    // What a batch holds until it ends, in the order it was drawn: circle stamps, and runs
    // of lines drawn one after the other with the same pen.
    struct BatchOp {
        QImage stamp;  // null for a run of lines
        QPoint at;
        PenKey key;
        std::vector<QLineF> lines;
    };
    bool batching_ = false;
    std::vector<BatchOp> batch_;

    QRgb foreground_ = qRgb(0, 0, 0);
    Rgb foregroundRgb_ = kBlack;
    double penWidth_ = 1.0;
    bool oddPen_ = true;
    QColor fill_ = Qt::white;
    bool solidFill_ = false;
    LineStyle lineStyle_ = LineStyle::Solid;
    std::string fontName_ = "MS Sans Serif";
    double pointSize_ = 8.25;
    bool bold_ = false;
    QFont font_;
    std::unique_ptr<QFontMetricsF> metrics_;

    // Small circles (the markers) are drawn once into a stamp and copied after that: a
    // sweep draws a thousand of them after every point.
    using StampKey = std::tuple<int, QRgb, QRgb, bool, double, int, int>;
    std::map<StampKey, QImage> stamps_;

    // Texts laid out once: by font, colour and text, with the margin around the glyphs.
    using TextKey = std::tuple<std::string, double, bool, QRgb, std::string>;
    struct TextStamp {
        QImage image;
        int pad = 0;
    };
    std::map<TextKey, TextStamp> texts_;
    double textScale_ = 0.0;
};

}  // namespace ostrino
