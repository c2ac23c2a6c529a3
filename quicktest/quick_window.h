#pragma once
// What the two quick-test windows share: the "Settings" and "Currents" frames and the row of
// controls below them, on a window bound to the quick test's form model.

#include <QGridLayout>
#include <QGroupBox>
#include <functional>
#include <span>
#include <string>

#include "platform/qt/form_window.h"

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

class QuickTestWindow : public FormWindow {
  public:
    // The test button is brought up to the run state first.
    void runStateChanged() override;

  protected:
    explicit QuickTestWindow(QWidget* parent);

    inline static const std::string kReportCaption = "Report";

    // The "Settings" frame from its rows; checkField(code) commits an entry field.
    QGroupBox* settingsFrame(std::span<const SettingsRow> rows,
                             const std::function<void(int)>& checkField);
    // The "Currents" frame from its rows; checkField(code) commits an entry field.
    QGroupBox* currentsFrame(std::span<const CurrentRow> rows,
                             const std::function<void(int)>& checkField);
    // Title, Append, Test, Report and the triode and pentode boxes.
    QGridLayout* controls(const QuickTestControls& c);

  private:
    std::function<void()> testButtonUpdate_;
};

}  // namespace ostrino
