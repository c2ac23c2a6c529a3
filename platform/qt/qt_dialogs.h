#pragma once

#include <QPointer>
#include <QWidget>

#include "platform/dialogs.h"

namespace ostrino {

// Modal message boxes and the file dialog, owned by the given window.
class QtDialogs : public Dialogs {
  public:
    explicit QtDialogs(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }

    void message(const std::string& text, MessageIcon icon = MessageIcon::Exclamation) override;
    bool askYesNo(const std::string& text) override;
    std::string chooseFile(const FileDialogRequest& request) override;

    // "Ostrino datafile (*.osd)|*.osd" in the file dialog's own form.
    static QString qtFilter(const std::string& filter);

  private:
    QPointer<QWidget> parent_;
};

}  // namespace ostrino
