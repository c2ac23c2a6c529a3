#include "platform/qt/form_widgets.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QScreen>
#include <QScrollArea>
#include <QVBoxLayout>

namespace ostrino {

QLabel* caption(const char* text, QWidget* buddy) {
    auto* l = new QLabel(text);
    if (buddy != nullptr) {
        l->setBuddy(buddy);
    }
    return l;
}

QLineEdit* textEntry(const char* name, int width) {
    auto* e = new QLineEdit;
    e->setObjectName(name);
    e->setMinimumWidth(width);
    if (width < 100) {
        e->setMaximumWidth(width + 30);  // numbers need no more
    }
    return e;
}

QWidget* controlsBesideGraph(QWidget* controls, QWidget* graph, QWidget* belowGraph) {
    auto* scroll = new QScrollArea;
    scroll->setWidget(controls);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setMinimumWidth(controls->sizeHint().width() + 20);
    scroll->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);

    auto* right = new QWidget;
    auto* rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    rightLayout->addWidget(graph, 1);
    rightLayout->addWidget(belowGraph);

    auto* central = new QWidget;
    auto* layout = new QHBoxLayout(central);
    layout->addWidget(scroll);
    layout->addWidget(right, 1);
    return central;
}

void resizeWithinScreen(QWidget* window, QSize preferred) {
    QSize size = preferred;
    if (const QScreen* screen = window->screen()) {
        // Room for the title bar and the frame that the window manager adds.
        const QSize room = screen->availableGeometry().size() - QSize(16, 48);
        size = size.boundedTo(room);
    }
    window->resize(size.expandedTo(window->minimumSizeHint()));
}

}  // namespace ostrino
