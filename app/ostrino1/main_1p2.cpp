// Ostrino_1p2: the console of the first-generation instrument.

#include <QApplication>
#include <string>
#include <vector>

#include "app/ostrino1/gen1_app.h"
#include "app/ostrino1/gen1_command_line.h"
#include "app/ostrino1/gen1_window.h"
#include "platform/qt/display.h"
#include "platform/qt/qt_clock.h"
#include "platform/qt/qt_dialogs.h"
#include "platform/qt/qt_serial_devices.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    const ostrino::gen1::CommandLine cl = ostrino::gen1::parseCommandLine(args);
    if (const auto rc = ostrino::answerOnTerminal(
            cl, "Ostrino_1p2", ostrino::gen1::usageText("Ostrino_1p2"), "Ostrino_1p2 1.1")) {
        return *rc;
    }
    if (cl.listPorts) {
        return ostrino::printSerialDevices();
    }
    if (!ostrino::windowCanOpen("Ostrino_1p2")) {
        return 2;
    }
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
