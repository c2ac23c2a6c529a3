// Ostrino_1p2: the console of the first-generation instrument.

#include <QApplication>
#include <cstdio>
#include <string>
#include <vector>

#include "console1/gen1_app.h"
#include "console1/gen1_command_line.h"
#include "console1/gen1_window.h"
#include "platform/qt/qt_clock.h"
#include "platform/qt/qt_dialogs.h"

namespace {

bool haveDisplay() {
    const QString platform = qEnvironmentVariable("QT_QPA_PLATFORM");
    if (!platform.isEmpty() && platform != "xcb" && platform != "wayland") {
        return true;  // offscreen, vnc, ... need no display
    }
    return qEnvironmentVariableIsSet("DISPLAY") || qEnvironmentVariableIsSet("WAYLAND_DISPLAY");
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    const ostrino::gen1::CommandLine cl = ostrino::gen1::parseCommandLine(args);
    if (!cl.error.empty()) {
        std::fprintf(stderr, "Ostrino_1p2: %s\n%s", cl.error.c_str(),
                     ostrino::gen1::usageText("Ostrino_1p2").c_str());
        return 2;
    }
    if (cl.help) {
        std::fputs(ostrino::gen1::usageText("Ostrino_1p2").c_str(), stdout);
        return 0;
    }
    if (cl.version) {
        std::puts("Ostrino_1p2 1.1");
        return 0;
    }
#ifndef Q_OS_WIN
    if (!haveDisplay()) {
        std::fputs(
            "Ostrino_1p2: no display is available (DISPLAY is not set), so the window cannot "
            "open.\nRun it on a desktop or under Xvfb (xvfb-run).\n",
            stderr);
        return 2;
    }
#endif
    QApplication qapp(argc, argv);
    ostrino::QtClock clock;
    ostrino::QtDialogs dialogs;
    ostrino::gen1::Gen1App app(cl, clock, dialogs);
    ostrino::gen1::Form1 form(app);
    dialogs.setParent(&form);
    form.show();
    const int rc = QApplication::exec();
    app.console.shutDown();
    return rc;
}
