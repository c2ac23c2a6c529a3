#include "files/frm_pin.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHideEvent>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace ostrino {

frmPin::frmPin(PinState pins, Dialogs& dialogs, QWidget* parent)
    : QWidget(parent, Qt::Window), model_(pins, dialogs) {
    setObjectName("frmPin");
    setWindowTitle("Pins");

    auto* outer = new QVBoxLayout(this);
    auto* frame = new QGroupBox("Connections");
    frame->setObjectName("fraConnections");
    auto* grid = new QGridLayout(frame);
    for (std::size_t i = 0; i < cboPin_.size(); ++i) {
        const int index = static_cast<int>(i);
        const QString n = QString::number(index);
        auto* label = new QLabel(index == 0 ? QString("TOP") : n);
        label->setObjectName("lblPin_" + n);
        grid->addWidget(label, index, 0);

        auto* list = new QComboBox;
        list->setObjectName("cboPin_" + n);
        list->setMinimumContentsLength(static_cast<int>(kPinNameLength));
        label->setBuddy(list);
        grid->addWidget(list, index, 1);
        cboPin_[i] = list;
        // Refreshes block the signal, so this is the user's choice.
        connect(list, &QComboBox::currentIndexChanged, this,
                [this, index](int position) { model_.pinSelected(index, position); });
    }
    grid->setColumnStretch(1, 1);
    outer->addWidget(frame);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto* clear = new QPushButton("Clear");
    clear->setObjectName("cmdPinsClear");
    connect(clear, &QPushButton::clicked, this, [this] {
        model_.ClearPins();
        refreshFromModel();
    });
    buttons->addWidget(clear);
    outer->addLayout(buttons);
}

void frmPin::refreshFromModel() {
    QStringList items;
    for (const std::string& name : model_.names) {
        items << QString::fromStdString(name);
    }
    for (std::size_t i = 0; i < cboPin_.size(); ++i) {
        const QSignalBlocker block(cboPin_[i]);
        cboPin_[i]->clear();
        cboPin_[i]->addItems(items);
        cboPin_[i]->setCurrentIndex(model_.cboPin[i]);
    }
}

void frmPin::showEvent(QShowEvent* event) {
    // Restoring a minimised window is no new opening.
    if (!event->spontaneous()) {
        model_.open();
        refreshFromModel();
    }
    QWidget::showEvent(event);
}

void frmPin::hideEvent(QHideEvent* event) {
    if (!event->spontaneous()) {
        model_.close();
    }
    QWidget::hideEvent(event);
}

}  // namespace ostrino
