#include "platform/qt/qt_dialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>

namespace ostrino {

namespace {
const char* const kTitle = "Ostrino";
}

void QtDialogs::message(const std::string& text, MessageIcon icon) {
    QMessageBox box(icon == MessageIcon::Exclamation ? QMessageBox::Warning : QMessageBox::NoIcon,
                    kTitle, QString::fromStdString(text), QMessageBox::Ok, parent_);
    box.exec();
}

bool QtDialogs::askYesNo(const std::string& text) {
    QMessageBox box(QMessageBox::Question, kTitle, QString::fromStdString(text),
                    QMessageBox::Yes | QMessageBox::No, parent_);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

QString QtDialogs::qtFilter(const std::string& filter) {
    // Pairs of "description|pattern"; the description already names the pattern.
    const QStringList parts = QString::fromStdString(filter).split('|');
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        out << parts[i];
    }
    if (out.isEmpty() && !parts.isEmpty()) {
        out << parts[0];
    }
    return out.join(";;");
}

std::string QtDialogs::chooseFile(const FileDialogRequest& request) {
    const QString folder = request.startFolder.empty()
                               ? QDir::currentPath()
                               : QString::fromStdString(request.startFolder);
    QFileDialog::Options options;
    if (!request.promptOverwrite) {
        options |= QFileDialog::DontConfirmOverwrite;
    }
    const QString filter = qtFilter(request.filter);
    const QString title = QString::fromStdString(request.title);
    const QString name =
        request.save
            ? QFileDialog::getSaveFileName(parent_, title, folder, filter, nullptr, options)
            : QFileDialog::getOpenFileName(parent_, title, folder, filter, nullptr, options);
    return name.toStdString();
}

}  // namespace ostrino
