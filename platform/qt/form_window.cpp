#include "platform/qt/form_window.h"

#include <QApplication>
#include <QEvent>
#include <QFocusEvent>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace ostrino {

FormWindow::FormWindow(QWidget* parent) : QWidget(parent, Qt::Window) {}

QLabel* FormWindow::heading(const char* text) {
    auto* l = new QLabel(text);
    l->setAlignment(Qt::AlignCenter);
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    return l;
}

QLineEdit* FormWindow::entry(const char* name, std::string* text, std::function<void()> onCommit) {
    auto* e = new QLineEdit;
    e->setObjectName(name);
    e->setMinimumWidth(e->fontMetrics().horizontalAdvance("-000.00") + 12);
    entries_.emplace_back(e, text);
    e->setProperty("entryIndex", static_cast<int>(entryCommits_.size()));
    entryCommits_.emplace_back([this, e, text, onCommit] { commitEntry(e, text, onCommit); });
    connect(e, &QLineEdit::returnPressed, this, entryCommits_.back());
    // Leaving the box commits it even when nothing was typed (a nominal value of 0 is
    // pointed out every time), which editingFinished does not do.
    e->installEventFilter(this);
    return e;
}

bool FormWindow::eventFilter(QObject* watched, QEvent* event) {
    // A box's own context menu takes the focus only for as long as it is open; the box keeps
    // its edit, so that is no commit.
    if (event->type() == QEvent::FocusOut &&
        static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason) {
        const QVariant index = watched->property("entryIndex");
        if (index.isValid() && index.toInt() >= 0 &&
            index.toInt() < static_cast<int>(entryCommits_.size())) {
            entryCommits_[static_cast<std::size_t>(index.toInt())]();
        }
    }
    return QWidget::eventFilter(watched, event);
}

void FormWindow::commitEntry(QLineEdit* e, std::string* text,
                             const std::function<void()>& onCommit) {
    if (refreshing_ || checkingEntry_ || QApplication::activeModalWidget() != nullptr) {
        return;
    }
    *text = e->text().toStdString();
    checkingEntry_ = true;
    commit(onCommit);
    checkingEntry_ = false;
}

QLabel* FormWindow::label(const char* name, const std::string* text) {
    auto* l = new QLabel;
    l->setObjectName(name);
    l->setMinimumWidth(l->fontMetrics().horizontalAdvance("(kohm)") + 8);
    labels_.emplace_back(l, text);
    return l;
}

QProgressBar* FormWindow::bar(const char* name, const int* value, int maximum) {
    auto* b = new QProgressBar;
    b->setObjectName(name);
    b->setRange(0, maximum);
    b->setTextVisible(false);
    bars_.emplace_back(b, value);
    return b;
}

QPushButton* FormWindow::button(const char* name, const std::string* caption,
                                std::function<void()> onClick, const bool* enabled) {
    auto* b = new QPushButton(QString::fromStdString(*caption));
    b->setObjectName(name);
    buttons_.push_back({b, caption, enabled});
    connect(b, &QPushButton::clicked, this, [this, onClick] {
        if (!refreshing_) {
            commit(onClick);
        }
    });
    return b;
}

QCheckBox* FormWindow::check(const char* name, const char* caption, const bool* checked,
                             std::function<void(bool)> onToggle) {
    auto* c = new QCheckBox(caption);
    c->setObjectName(name);
    checks_.emplace_back(c, checked);
    connect(c, &QCheckBox::toggled, this, [this, onToggle](bool on) {
        if (!refreshing_) {
            commit([&] { onToggle(on); });
        }
    });
    return c;
}

void FormWindow::arrange(std::initializer_list<QWidget*> frames, QLayout* bottom) {
    auto* layout = new QVBoxLayout(this);
    for (QWidget* frame : frames) {
        layout->addWidget(frame);
    }
    layout->addLayout(bottom);
}

void FormWindow::commit(const std::function<void()>& action) {
    action();
    refreshFromModel();
}

void FormWindow::refreshFromModel() {
    refreshing_ = true;
    for (auto& [edit, text] : entries_) {
        const QString t = QString::fromStdString(*text);
        if (edit->text() != t) {
            edit->setText(t);
        }
    }
    for (auto& [l, text] : labels_) {
        l->setText(QString::fromStdString(*text));
    }
    for (auto& [b, value] : bars_) {
        b->setValue(*value);
    }
    refreshButtons();
    for (auto& [c, checked] : checks_) {
        const QSignalBlocker quiet(c);
        c->setChecked(*checked);
    }
    refreshing_ = false;
}

void FormWindow::refreshButtons() {
    for (const Button& b : buttons_) {
        b.widget->setText(QString::fromStdString(*b.caption));
        if (b.enabled != nullptr) {
            b.widget->setEnabled(*b.enabled);
        }
    }
}

void FormWindow::runStateChanged() {
    refreshButtons();
}

}  // namespace ostrino
