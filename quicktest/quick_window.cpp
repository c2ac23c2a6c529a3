#include "quicktest/quick_window.h"

#include <QLabel>

#include "quicktest/quick_common.h"

namespace ostrino {

QuickTestWindow::QuickTestWindow(QWidget* parent) : FormWindow(parent) {}

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
        c->addWidget(bar(row.bar, row.barValue, kProgressMax), r, 4);
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

void QuickTestWindow::runStateChanged() {
    if (testButtonUpdate_) {
        testButtonUpdate_();
    }
    FormWindow::runStateChanged();
}

}  // namespace ostrino
