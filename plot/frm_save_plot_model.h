#pragma once
// The plot-export window's state and rules: a quick save under the graph title's name in
// the current folder, and "Save As ..." through the file dialog.

#include <string>

#include "platform/canvas.h"
#include "platform/dialogs.h"

namespace ostrino {

class FrmSavePlotModel {
  public:
    FrmSavePlotModel(Canvas& canvas, Dialogs& dialogs);

    // The window's load: the default name from the title, shown in lblFileName.
    void load(const std::string& txtTitle);
    // "Save": the image under the default name. False when it could not be written (the
    // user has been told); the window then stays open.
    bool cmdSavePlot2_Click();
    // "Save As ...": the image under a name chosen in the file dialog. False when the
    // dialog was cancelled or the file could not be written.
    bool cmdSavePlot1_Click();

    // The title as a file name in the current folder: every character that cannot stand in
    // a file name (path separators, : * ? " < > | and control characters) becomes "_".
    static std::string fileNameFromTitle(const std::string& txtTitle);

    const std::string& defaultName() const { return defaultName_; }
    std::string lblFileName;
    bool visible = true;  // false once saved: the window hides and unloads

  private:
    bool save(const std::string& path);

    Canvas& canvas_;
    Dialogs& dialogs_;
    std::string defaultName_;
};

}  // namespace ostrino
