#pragma once
// A graph widget: shows the retained image of its drawing surface and reports mouse
// presses in plot coordinates. The image lives as long as the widget keeps its size, so a
// drawing made with "Keep Plot" goes on showing what was drawn before; a new size starts
// a new, blank image and asks for a redraw.

#include <QWidget>
#include <functional>

#include "platform/qt/qt_canvas.h"

namespace ostrino {

class CanvasView : public QWidget {
  public:
    explicit CanvasView(QWidget* parent = nullptr);

    QtCanvas& canvas() { return canvas_; }

    // Runs after a resize has made a new image: draw the picture again.
    std::function<void()> redraw;
    // A mouse press at plot coordinates (x, y).
    std::function<void(double x, double y)> press;
    // A click: the button pressed on the widget is let go on it again.
    std::function<void()> click;

    QSize sizeHint() const override { return {640, 560}; }
    QSize minimumSizeHint() const override { return {320, 280}; }

    // Plot coordinates of a point of the widget.
    UserPoint toPlot(QPointF widgetPos) const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    QSize imageSizeFor(QSize widgetSize) const;

    QtCanvas canvas_;
};

}  // namespace ostrino
