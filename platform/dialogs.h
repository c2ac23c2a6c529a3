#pragma once
// Message boxes and the file dialog.

#include <string>
#include <utility>

namespace ostrino {

enum class MessageIcon { Exclamation, None };

struct FileDialogRequest {
    std::string startFolder;  // empty: the current working directory
    std::string filter;       // "Ostrino datafile (*.osd)|*.osd"
    bool save = true;         // save dialog (else open)
    bool promptOverwrite = true;
    std::string title;
};

// A save dialog in the current working directory that asks before replacing a file, and
// an open dialog there.
inline FileDialogRequest saveFileRequest(std::string filter, std::string title) {
    FileDialogRequest r;
    r.filter = std::move(filter);
    r.title = std::move(title);
    return r;
}
inline FileDialogRequest openFileRequest(std::string filter, std::string title) {
    FileDialogRequest r = saveFileRequest(std::move(filter), std::move(title));
    r.save = false;
    return r;
}

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
