// Ostrino_3p11: the console of the third-generation instrument.

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/ostrino3/batch_run.h"
#include "app/ostrino3/command_line.h"
#include "app/ostrino3/console_app.h"
#include "app/ostrino3/distortion_run.h"
#include "app/ostrino3/form1.h"
#include "app/ostrino3/model_run.h"
#include "common/numbers.h"
#include "common/text_file.h"
#include "files/calibration_file.h"
#include "platform/qt/display.h"
#include "platform/qt/qt_beeper.h"
#include "platform/qt/qt_clock.h"
#include "platform/qt/qt_dialogs.h"
#include "platform/qt/qt_serial_devices.h"

namespace {

int runPing(const ostrino::CommandLine& cl, int argc, char** argv) {
    QCoreApplication qapp(argc, argv);
    ostrino::QtClock clock;
    ostrino::HeadlessDialogs dialogs;
    ostrino::QtBeeper beeper;
    ostrino::ConsoleApp app(cl, clock, dialogs, beeper);
    // The calibration of this instrument, when the working folder has one; nothing is
    // created or migrated without a window.
    auto& cal = app.state->cal;
    if (ostrino::fileExists(cal.strCalibrationFile)) {
        std::string problem;
        if (!ostrino::LoadCalFile(cal, cal.strCalibrationFile, problem)) {
            dialogs.message(problem);
        }
    }
    if (!app.link.DoPing()) {
        return 1;
    }
    app.link.closePort();
    const auto shown = ostrino::Decimals(app.state->dblVsupply, 2);
    std::printf("Supply voltage: %.2f V\n", shown ? *shown : app.state->dblVsupply);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    const ostrino::CommandLine cl = ostrino::parseCommandLine(args);
    if (const auto rc = ostrino::answerOnTerminal(
            cl, "Ostrino_3p11", ostrino::usageText("Ostrino_3p11"), "Ostrino_3p11 3.11")) {
        return *rc;
    }
    if (cl.listPorts) {
        return ostrino::printSerialDevices();
    }
    if (cl.ping) {
        return runPing(cl, argc, argv);
    }
    if (!cl.distortionSetup.empty()) {
        QCoreApplication qapp(argc, argv);
        return ostrino::runDistortion(cl);
    }
    if (!cl.fitModelSetup.empty()) {
        QCoreApplication qapp(argc, argv);
        return ostrino::runModelFit(cl);
    }
    if (!cl.batchSetup.empty()) {
        if (!ostrino::haveDisplay()) {
            qputenv("QT_QPA_PLATFORM", "offscreen");  // drawing needs no screen
        }
        QGuiApplication qapp(argc, argv);
        return ostrino::runBatch(cl);
    }
    if (!ostrino::windowCanOpen("Ostrino_3p11", "--ping")) {
        return 2;
    }
    QApplication qapp(argc, argv);
    ostrino::QtClock clock;
    ostrino::QtDialogs dialogs;
    ostrino::QtBeeper beeper;
    ostrino::ConsoleApp app(cl, clock, dialogs, beeper);
    ostrino::Form1 form(app);
    dialogs.setParent(&form);
    form.show();
    const int rc = QApplication::exec();
    app.link.closePort();
    return rc;
}
