#include "console1/gen1_graph_view.h"

#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>
#include <cmath>

namespace ostrino::gen1 {

GraphView::GraphView(QWidget* parent) : QWidget(parent), canvas_(imageSizeFor(sizeHint())) {
    setObjectName("picScreen");
    setAccessibleName("Graph");
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    // A click takes the focus, so that a text box being edited commits first.
    setFocusPolicy(Qt::ClickFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QSize GraphView::imageSizeFor(QSize widgetSize) const {
    const double ratio = devicePixelRatioF();
    return {static_cast<int>(std::lround(widgetSize.width() * ratio)),
            static_cast<int>(std::lround(widgetSize.height() * ratio))};
}

void GraphView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawImage(rect(), canvas_.image());
}

void GraphView::resizeEvent(QResizeEvent* event) {
    const QSize wanted = imageSizeFor(event->size());
    if (wanted != canvas_.pixelSize()) {
        canvas_.resize(wanted);
        if (redraw) {
            redraw();
        }
    }
    QWidget::resizeEvent(event);
}

void GraphView::mousePressEvent(QMouseEvent* event) {
    if (click) {
        click();
    }
    update();
    event->accept();
}

}  // namespace ostrino::gen1
