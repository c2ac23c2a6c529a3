#include "platform/qt/canvas_view.h"

#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>
#include <cmath>

namespace ostrino {

CanvasView::CanvasView(QWidget* parent) : QWidget(parent), canvas_(imageSizeFor(sizeHint())) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    // A click takes the focus, so that a text box being edited commits before the press.
    setFocusPolicy(Qt::ClickFocus);
    // The image covers the whole widget; nothing behind it needs painting.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QSize CanvasView::imageSizeFor(QSize widgetSize) const {
    // Full resolution on high-density screens.
    const double ratio = devicePixelRatioF();
    return {static_cast<int>(std::lround(widgetSize.width() * ratio)),
            static_cast<int>(std::lround(widgetSize.height() * ratio))};
}

UserPoint CanvasView::toPlot(QPointF widgetPos) const {
    const double ratio = devicePixelRatioF();
    return canvas_.coordinates().toUser(widgetPos.x() * ratio, widgetPos.y() * ratio);
}

void CanvasView::paintEvent(QPaintEvent* /*event*/) {
    QPainter p(this);
    p.drawImage(rect(), canvas_.image());
}

void CanvasView::resizeEvent(QResizeEvent* event) {
    const QSize wanted = imageSizeFor(event->size());
    if (wanted != canvas_.pixelSize()) {
        canvas_.resize(wanted);
        if (redraw) {
            redraw();
        }
    }
    QWidget::resizeEvent(event);
}

void CanvasView::mousePressEvent(QMouseEvent* event) {
    const UserPoint at = toPlot(event->position());
    if (press) {
        press(at.x, at.y);
    }
    update();
    event->accept();
}

void CanvasView::mouseReleaseEvent(QMouseEvent* event) {
    if (click && rect().contains(event->position().toPoint())) {
        click();
    }
    event->accept();
}

}  // namespace ostrino
