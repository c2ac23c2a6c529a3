#include "platform/qt/display.h"

#include <QString>
#include <QtGlobal>
#include <cstdio>

namespace ostrino {

bool haveDisplay() {
    const QString platform = qEnvironmentVariable("QT_QPA_PLATFORM");
    if (!platform.isEmpty() && platform != "xcb" && platform != "wayland") {
        return true;  // offscreen, vnc, ... need no display
    }
    return qEnvironmentVariableIsSet("DISPLAY") || qEnvironmentVariableIsSet("WAYLAND_DISPLAY");
}

bool windowCanOpen(const std::string& program, const std::string& otherOption) {
#ifdef Q_OS_WIN
    (void)program;
    (void)otherOption;
    return true;
#else
    if (haveDisplay()) {
        return true;
    }
    const std::string where =
        otherOption.empty()
            ? "Run it on a desktop or under Xvfb (xvfb-run).\n"
            : "Run it on a desktop, under Xvfb (xvfb-run), or use " + otherOption + ".\n";
    std::fputs(
        (program + ": no display is available (DISPLAY is not set), so the window cannot open.\n" +
         where)
            .c_str(),
        stderr);
    return false;
#endif
}

}  // namespace ostrino
