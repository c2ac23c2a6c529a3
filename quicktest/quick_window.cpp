#include "quicktest/quick_window.h"

#include <QApplication>
#include <QEvent>
#include <QFocusEvent>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "quicktest/quick_common.h"

namespace ostrino {

QuickTestWindow::QuickTestWindow(QWidget* parent) : QWidget(parent, Qt::Window) {}

QLabel* QuickTestWindow::heading(const char* text) {
    auto* l = new QLabel(text);
    l->setAlignment(Qt::AlignCenter);
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    return l;
}

QLineEdit* QuickTestWindow::entry(const char* name, std::string* text,
                                  std::function<void()> onCommit) {
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

bool QuickTestWindow::eventFilter(QObject* watched, QEvent* event) {
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

void QuickTestWindow::commitEntry(QLineEdit* e, std::string* text,
                                  const std::function<void()>& onCommit) {
    if (refreshing_ || checkingEntry_ || QApplication::activeModalWidget() != nullptr) {
        return;
    }
    *text = e->text().toStdString();
    checkingEntry_ = true;
    commit(onCommit);
    checkingEntry_ = false;
}

QLabel* QuickTestWindow::label(const char* name, const std::string* text) {
    auto* l = new QLabel;
    l->setObjectName(name);
    l->setMinimumWidth(l->fontMetrics().horizontalAdvance("(kohm)") + 8);
    labels_.emplace_back(l, text);
    return l;
}

QProgressBar* QuickTestWindow::bar(const char* name, const int* value) {
    auto* b = new QProgressBar;
    b->setObjectName(name);
    b->setRange(0, kProgressMax);
    b->setTextVisible(false);
    bars_.emplace_back(b, value);
    return b;
}

QPushButton* QuickTestWindow::button(const char* name, const std::string* caption,
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

QCheckBox* QuickTestWindow::check(const char* name, const char* caption, const bool* checked,
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

QGroupBox* QuickTestWindow::settingsFrame(std::span<const SettingsRow> rows,
                                          const std::function<void(int)>& checkField) {
    auto field = [this, checkField](const char* name, std::string* text, int code) {
        return entry(name, text, [checkField, code] { checkField(code); });
    };
    auto* settings = new QGroupBox("Settings");
    settings->setObjectName("fraSettings");
    auto* s = new QGridLayout(settings);
    s->addWidget(heading("Center"), 0, 1);
    s->addWidget(heading("Stepping"), 0, 2, 1, 4);
    s->addWidget(heading("Meas"), 0, 6);
    int r = 1;
    for (const SettingsRow& row : rows) {
        s->addWidget(new QLabel(row.caption), r, 0);
        s->addWidget(field(row.value, row.valueText, row.code), r, 1);
        s->addWidget(field(row.proc, row.procText, row.code + 1), r, 2);
        s->addWidget(new QLabel("%"), r, 3);
        s->addWidget(field(row.step, row.stepText, row.code + 2), r, 4);
        s->addWidget(new QLabel("V"), r, 5);
        if (row.meas != nullptr) {
            s->addWidget(label(row.meas, row.measText), r, 6);
        }
        ++r;
    }
    s->setColumnStretch(1, 1);
    s->setColumnStretch(2, 1);
    s->setColumnStretch(4, 1);
    return settings;
}

QGroupBox* QuickTestWindow::currentsFrame(std::span<const CurrentRow> rows,
                                          const std::function<void(int)>& checkField) {
    auto* currents = new QGroupBox("Currents");
    currents->setObjectName("fraCurrents");
    auto* c = new QGridLayout(currents);
    c->addWidget(heading("Nominal"), 0, 1);
    c->addWidget(heading("Meas"), 0, 2);
    c->addWidget(heading("% of nominal"), 0, 3, 1, 2);
    int r = 1;
    for (const CurrentRow& row : rows) {
        const int code = row.code;
        c->addWidget(new QLabel(row.caption), r, 0);
        c->addWidget(entry(row.nominal, row.nominalText, [checkField, code] { checkField(code); }),
                     r, 1);
        c->addWidget(label(row.meas, row.measText), r, 2);
        c->addWidget(label(row.proc, row.procText), r, 3);
        c->addWidget(bar(row.bar, row.barValue), r, 4);
        ++r;
    }
    c->setColumnStretch(4, 1);
    return currents;
}

QGridLayout* QuickTestWindow::controls(const QuickTestControls& c) {
    auto* bottom = new QGridLayout;
    auto* title = entry("txtTitle", c.title, [] {});
    auto* titleCaption = new QLabel("Title:");
    titleCaption->setBuddy(title);
    bottom->addWidget(titleCaption, 0, 0);
    bottom->addWidget(title, 0, 1, 1, 4);
    bool* append = c.append;
    bottom->addWidget(check("chkAppend", "Append", append, [append](bool on) { *append = on; }), 0,
                      5);
    testButtonUpdate_ = c.testButtonUpdate;
    const bool* testEnabled = c.testEnabled;
    const std::function<void()> onTest = c.onTest;
    // A sweep may have started since the button was last brought up to date; then a click
    // does nothing.
    const auto test = [this, testEnabled, onTest] {
        runStateChanged();
        if (*testEnabled) {
            onTest();
        }
    };
    bottom->addWidget(button("cmdTest", c.testCaption, test, testEnabled), 1, 0, 1, 2);
    bottom->addWidget(button("cmdReport", &kReportCaption, c.onReport), 1, 2, 1, 2);
    const std::function<void()> switchOver = c.switchOver;
    const auto switching = [switchOver](bool on) {
        if (on) {
            switchOver();
        }
    };
    const auto stays = [](bool) {};
    bottom->addWidget(check("chkTriode", "triode", c.triode,
                            c.pentodeWindow ? std::function<void(bool)>(switching)
                                            : std::function<void(bool)>(stays)),
                      1, 4);
    bottom->addWidget(check("chkPentode", "pentode", c.pentode,
                            c.pentodeWindow ? std::function<void(bool)>(stays)
                                            : std::function<void(bool)>(switching)),
                      1, 5);
    bottom->setColumnStretch(1, 1);
    return bottom;
}

void QuickTestWindow::arrange(std::initializer_list<QWidget*> frames, QLayout* bottom) {
    auto* layout = new QVBoxLayout(this);
    for (QWidget* frame : frames) {
        layout->addWidget(frame);
    }
    layout->addLayout(bottom);
}

void QuickTestWindow::commit(const std::function<void()>& action) {
    action();
    refreshFromModel();
}

void QuickTestWindow::refreshFromModel() {
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

void QuickTestWindow::refreshButtons() {
    for (const Button& b : buttons_) {
        b.widget->setText(QString::fromStdString(*b.caption));
        if (b.enabled != nullptr) {
            b.widget->setEnabled(*b.enabled);
        }
    }
}

void QuickTestWindow::runStateChanged() {
    if (testButtonUpdate_) {
        testButtonUpdate_();
    }
    refreshButtons();
}

}  // namespace ostrino
