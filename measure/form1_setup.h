#pragma once
// Setup files for the main window: "Open Setup" and "Save Setup", and the settings and
// controls that a setup file carries, taken from and applied through Form1's logic. A setup
// read is checked whole before anything is applied; once applied its values pass the same
// limit checks as typed ones.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/console_state.h"
#include "files/setup_file.h"
#include "measure/form1_logic.h"
#include "platform/dialogs.h"

namespace ostrino {

// The controls that a setup file keeps, from the window's model.
SetupControls setupControls(const Form1Model& model);
// The file for the present settings and controls.
std::optional<std::string> setupFileText(const ConsoleState& state, const Form1Model& model,
                                         std::string& error);

class SetupFile {
  public:
    SetupFile(ConsoleState& state, Form1Logic& logic, Dialogs& dialogs);

    // "Save Setup": asks for a name and writes the file.
    void SaveSetupFile();
    // "Open Setup": asks for a name, reads the file into the settings and redraws.
    void OpenSetupFile();

    // Run after a setup has been applied, so that the quick-test windows show its values.
    std::function<void()> UpdateQuickTestFields;

    // How a value outside its limit is met: corrected, with the message a typed value gets
    // (the window), or refused, with a message naming the file and the line (the command
    // line, which must not measure with such a setup).
    enum class OutOfLimits { Correct, Refuse };

    // Without a dialog (also for the command line). False after a message; with Refuse also
    // when a value lies outside its limit (the settings then hold the file's values, each
    // corrected as a typed one would be).
    bool saveTo(const std::string& path);
    bool openFrom(const std::string& path, OutOfLimits outOfLimits = OutOfLimits::Correct);
    // A setup file's text that was kept elsewhere (a library record), opened as a file of
    // that name would be: "The setup file <name> ...".
    bool openText(const std::string& content, const std::string& name,
                  OutOfLimits outOfLimits = OutOfLimits::Correct);

  private:
    // A value outside its limit: the message and the lines of the file it concerns.
    using LimitReport = std::function<void(const std::string& message, std::vector<int> lines)>;
    void apply(const SetupData& d, const LimitReport& report);

    ConsoleState& state_;
    Form1Logic& logic_;
    Dialogs& dialogs_;
};

}  // namespace ostrino
