#pragma once
// The graph picScreen of the first-generation console: shows the retained image of its
// drawing surface; a new size starts a new image and asks for a redraw.

#include <QWidget>
#include <functional>

#include "platform/qt/qt_canvas.h"

namespace ostrino::gen1 {

class GraphView : public QWidget {
  public:
    explicit GraphView(QWidget* parent = nullptr);

    QtCanvas& canvas() { return canvas_; }

    std::function<void()> redraw;  // after a resize
    std::function<void()> click;   // a mouse press on the graph

    QSize sizeHint() const override { return {640, 560}; }
    QSize minimumSizeHint() const override { return {320, 280}; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    QSize imageSizeFor(QSize widgetSize) const;

    QtCanvas canvas_;
};

}  // namespace ostrino::gen1
