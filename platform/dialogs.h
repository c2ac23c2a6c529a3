#pragma once
// Message boxes and the file dialog.

#include <string>

namespace ostrino {

enum class MessageIcon { Exclamation, None };

struct FileDialogRequest {
    std::string startFolder;  // empty: the current working directory
    std::string filter;       // "Ostrino datafile (*.osd)|*.osd"
    bool save = true;         // save dialog (else open)
    bool promptOverwrite = true;
    std::string title;
};

class Dialogs {
  public:
    virtual ~Dialogs() = default;
    // A modal message with an OK button.
    virtual void message(const std::string& text, MessageIcon icon = MessageIcon::Exclamation) = 0;
    // A modal Yes/No question with the question icon; true for Yes.
    virtual bool askYesNo(const std::string& text) = 0;
    // The chosen file name, empty when cancelled.
    virtual std::string chooseFile(const FileDialogRequest& request) = 0;
};

// Without a window: every message is one line on standard error, questions are
// answered Yes and file dialogs are cancelled.
class HeadlessDialogs : public Dialogs {
  public:
    void message(const std::string& text, MessageIcon icon = MessageIcon::Exclamation) override;
    bool askYesNo(const std::string& text) override;
    std::string chooseFile(const FileDialogRequest& request) override;
};

}  // namespace ostrino
