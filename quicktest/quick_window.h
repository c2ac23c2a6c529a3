#pragma once
// What the two quick-test windows share: widgets bound to the texts and numbers of a form
// model, refreshed in one place with their signals quiet.

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QWidget>
#include <functional>
#include <initializer_list>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace ostrino {

// One row of the "Settings" frame: the centre value, its swing in % and in V (field codes
// code, code + 1, code + 2) and, when meas is set, the measured value.
struct SettingsRow {
    const char* caption;
    const char *value, *proc, *step, *meas;
    std::string *valueText, *procText, *stepText;
    const std::string* measText;
    int code;
};

// One row of the "Currents" frame: the nominal value (field code), the measured value, its
// percentage and its bar.
struct CurrentRow {
    const char* caption;
    const char* nominal;
    std::string* nominalText;
    int code;
    const char *meas, *proc, *bar;
    const std::string *measText, *procText;
    const int* barValue;
};

// The row of controls below the frames.
struct QuickTestControls {
    std::string* title;
    bool* append;
    const std::string* testCaption;
    const bool* testEnabled;
    // Brings testEnabled up to the run state.
    std::function<void()> testButtonUpdate;
    std::function<void()> onTest;
    std::function<void()> onReport;
    const bool* triode;
    const bool* pentode;
    // True in the pentode window: there the triode box switches over, else the pentode box.
    bool pentodeWindow;
    std::function<void()> switchOver;
};

class QuickTestWindow : public QWidget {
  public:
    // Widgets from the model, now.
    void refreshFromModel();
    // A test or a sweep has started or ended: the buttons follow. Entry boxes are left as
    // they are, with whatever is being typed into them.
    void runStateChanged();

  protected:
    explicit QuickTestWindow(QWidget* parent);

    // A text box that commits on Enter and when it loses the focus.
    QLineEdit* entry(const char* name, std::string* text, std::function<void()> onCommit);
    // A label showing *text.
    QLabel* label(const char* name, const std::string* text);
    // A progress bar 0..150 showing *value.
    QProgressBar* bar(const char* name, const int* value);
    // A button captioned *caption, enabled as *enabled when that is given.
    QPushButton* button(const char* name, const std::string* caption, std::function<void()> onClick,
                        const bool* enabled = nullptr);
    // A check box whose state is *checked; onToggle runs with the new state, whether the box
    // was clicked, toggled from the keyboard or by an assistive tool.
    QCheckBox* check(const char* name, const char* caption, const bool* checked,
                     std::function<void(bool)> onToggle);

    // A bold column heading.
    static QLabel* heading(const char* text);
    inline static const std::string kReportCaption = "Report";

    // The "Settings" frame from its rows; checkField(code) commits an entry field.
    QGroupBox* settingsFrame(std::span<const SettingsRow> rows,
                             const std::function<void(int)>& checkField);
    // The "Currents" frame from its rows; checkField(code) commits an entry field.
    QGroupBox* currentsFrame(std::span<const CurrentRow> rows,
                             const std::function<void(int)>& checkField);
    // Title, Append, Test, Report and the triode and pentode boxes.
    QGridLayout* controls(const QuickTestControls& c);
    // The frames above the controls, as the window's layout.
    void arrange(std::initializer_list<QWidget*> frames, QLayout* bottom);

    // Runs a handler that changes the model, then refreshes.
    void commit(const std::function<void()>& action);

  protected:
    // Entry boxes commit on Enter and whenever they lose the focus.
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void commitEntry(QLineEdit* e, std::string* text, const std::function<void()>& onCommit);
    void refreshButtons();

    struct Button {
        QPushButton* widget;
        const std::string* caption;
        const bool* enabled;
    };

    bool refreshing_ = false;
    // An entry's check is running: a message box it raises takes the focus, which is no
    // new entry. A running test does not count: its window stays live.
    bool checkingEntry_ = false;
    std::vector<std::function<void()>> entryCommits_;
    std::vector<std::pair<QLineEdit*, std::string*>> entries_;
    std::vector<std::pair<QLabel*, const std::string*>> labels_;
    std::vector<std::pair<QProgressBar*, const int*>> bars_;
    std::vector<Button> buttons_;
    std::vector<std::pair<QCheckBox*, const bool*>> checks_;
    std::function<void()> testButtonUpdate_;
};

}  // namespace ostrino
