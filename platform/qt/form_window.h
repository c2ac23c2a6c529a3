#pragma once
// A window whose widgets are bound to the texts, numbers and flags of a plain form model,
// refreshed from it in one place with their signals quiet.

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QWidget>
#include <functional>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace ostrino {

class FormWindow : public QWidget {
  public:
    // Widgets from the model, now.
    void refreshFromModel();
    // A run has started or ended: the buttons follow. Entry boxes are left as they are, with
    // whatever is being typed into them.
    virtual void runStateChanged();

  protected:
    explicit FormWindow(QWidget* parent);

    // A text box that commits on Enter and when it loses the focus.
    QLineEdit* entry(const char* name, std::string* text, std::function<void()> onCommit);
    // A label showing *text.
    QLabel* label(const char* name, const std::string* text);
    // A progress bar 0..maximum showing *value.
    QProgressBar* bar(const char* name, const int* value, int maximum);
    // A button captioned *caption, enabled as *enabled when that is given.
    QPushButton* button(const char* name, const std::string* caption, std::function<void()> onClick,
                        const bool* enabled = nullptr);
    // A check box whose state is *checked; onToggle runs with the new state, whether the box
    // was clicked, toggled from the keyboard or by an assistive tool.
    QCheckBox* check(const char* name, const char* caption, const bool* checked,
                     std::function<void(bool)> onToggle);

    // A bold column heading.
    static QLabel* heading(const char* text);
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
};

}  // namespace ostrino
