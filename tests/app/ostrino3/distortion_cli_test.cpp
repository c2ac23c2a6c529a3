// "Ostrino_3p11 --distortion": the program's printed results against the labels of the
// window "Distortion Analysis" for the same measured family, and its refusals.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "app/ostrino3/command_line.h"
#include "distortion/frm_dist.h"
#include "tests/support/program_run.h"
#include "tests/support/window_rig.h"

namespace ostrino {
namespace {

using Window = test::WindowRig;

using test::ProgramRun;

ProgramRun runConsole(const QStringList& args, const QString& folder) {
    return test::runProgram(OSTRINO_CONSOLE_PATH, args, folder);
}

QByteArray contents(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

using test::measureAndSave;

frmDist* openDistortion(Window& w) {
    w.child<QPushButton>("cmdDistortion")->click();
    for (QWidget* child : w.form.findChildren<QWidget*>()) {
        if (auto* d = dynamic_cast<frmDist*>(child); d != nullptr && d->isVisible()) {
            return d;
        }
    }
    return nullptr;
}

// What the window shows, read from its labels, in the order the command prints it.
QStringList windowResults(Window& w, frmDist* d) {
    const auto text = [&](const char* name) { return w.child<QLabel>(d, name)->text(); };
    QStringList lines = {
        "Ia: " + text("lblIaDC") + " mA",
        "Va: " + text("lblVaDC") + " V",
        "P tube: " + text("lblPtubeDC") + " " + text("lblPtubeDCUnit"),
        "P supply: " + text("lblPsupplyDC") + " " + text("lblPsupplyDCUnit"),
        "Va (average): " + text("lblVaAV") + " V",
        "Ia (average): " + text("lblIaAV") + " mA",
        "Gain: " + text("lblGain"),
    };
    const char* const rows[] = {"1st (fund)", "2nd", "3rd", "4th", "5th"};
    for (int k = 0; k < 5; ++k) {
        const QString row = rows[k];
        const QString i = QString::number(k);
        const auto label = [&](const QString& array) {
            return text((array + "_" + i).toLatin1().constData());
        };
        lines << row + " Ampl (V): " + label("lblFftAmpl")
              << row + " Pwr (mW): " + label("lblFftPwr");
        if (k > 0) {
            lines << row + " Distortion (%): " + label("lblFftDist")
                  << row + " Level (dBc): " + label("lblFftdB");
        }
    }
    lines << "total Pwr: " + text("lblFftPwrTotal") + " " + text("lblFftPwrTotalUnit")
          << "total Distortion (%): " + text("lblFftDistTotal");
    return lines;
}

TEST(DistortionCommandLine, PrintsWhatTheWindowShowsAndWritesTheSameSurface) {
    Window w;
    const std::string family = (std::filesystem::current_path() / "family.oss").string();
    measureAndSave(w, family);
    // The curves as the file holds them (to 1/1000), as the command reads them.
    w.dialogs.fileNames.push_back(family);
    w.child<QPushButton>("cmdOpenSetup")->click();
    frmDist* d = openDistortion(w);
    ASSERT_NE(d, nullptr);
    QTemporaryDir cli;

    // Settings whose powers show in mW and in W.
    const std::vector<std::vector<const char*>> settings = {
        {"200", "10", "-5", "2"}, {"250", "22", "-4", "1"}, {"200", "2.2", "-2.5", "2"}};
    for (const auto& s : settings) {
        const char* const boxes[] = {"txtVsupply", "txtRload", "txtVgrid", "txtVsign"};
        for (int i = 0; i < 4; ++i) {
            auto* box = w.child<QLineEdit>(d, boxes[i]);
            box->setText(s[static_cast<std::size_t>(i)]);
            Q_EMIT box->returnPressed();
        }
        w.dialogs.messages.clear();
        w.child<QPushButton>(d, "cmdAnalyze")->click();
        ASSERT_TRUE(w.dialogs.messages.empty()) << w.dialogs.texts()[0];
        const QStringList shown = windowResults(w, d);

        const QString values = QString("%1,%2,%3,%4").arg(s[0], s[1], s[2], s[3]);
        const ProgramRun r =
            runConsole({"--distortion", values, QString::fromStdString(family)}, cli.path());
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_EQ(r.out.join('\n').toStdString(), shown.join('\n').toStdString())
            << values.toStdString();
        EXPECT_EQ(contents(cli.filePath("curves.txt")), contents("curves.txt"));
        EXPECT_FALSE(contents("curves.txt").isEmpty());
    }
}

TEST(DistortionCommandLine, RefusesWithTheWindowsMessageAndExitTwo) {
    Window w;
    const std::string gridSweep = (std::filesystem::current_path() / "grid.oss").string();
    w.dialogs.fileNames.push_back(gridSweep);  // the measurement type of the start: Vg along x
    w.child<QPushButton>("cmdSaveSetup")->click();
    const std::string family = (std::filesystem::current_path() / "family.oss").string();
    measureAndSave(w, family);

    const std::pair<std::vector<std::string>, QString> cases[] = {
        {{"300,10,-4,1", OSTRINO_DEMO_SETUP}, "At least 3 curves with each 5 points required"},
        {{"300,10,-4,1", gridSweep}, "The x-axis variable must be Va or Vs"},
        {{"300,0,-5,2", family}, "Rload has to larger than 0.001"},
        {{"1200,10,-5,2", family}, "Vsupply has to less than 1000"},
        {{"300,10,-5,6", family}, "Signal amplitude below minimum measured Vg"},
        {{"300,10,-5,2", family}, "Vgrid outside measurement plane, right-side."},
        {{"300,10,-2.5,3", family}, "Signal amplitude above maximum measured Vg"},
        {{"300,10,-5,x", family}, "Vsign"},  // the box's own message about a non-number
        {{"300,10,-5,2", "missing.oss"}, "missing.oss cannot be read"},
    };
    QTemporaryDir cli;
    for (const auto& [args, message] : cases) {
        const ProgramRun r = runConsole(
            {"--distortion", QString::fromStdString(args[0]), QString::fromStdString(args[1])},
            cli.path());
        EXPECT_EQ(r.exitCode, 2) << message.toStdString();
        EXPECT_TRUE(r.err.contains(message)) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty()) << message.toStdString();
    }
    EXPECT_FALSE(QFile::exists(cli.filePath("curves.txt")));
}

TEST(DistortionCommandLine, ArgumentsThatCannotBeUsed) {
    const std::pair<std::vector<std::string>, bool> cases[] = {
        {{"--distortion", "300,1.5,-4,1", "a.oss"}, true},
        {{"--simulate", "--batch", "a.oss", "--distortion", "300,1.5,-4,1"}, true},
        {{"--distortion", "300,1.5,-4", "a.oss"}, false},      // three values
        {{"--distortion", "300,1.5,-4,1,2", "a.oss"}, false},  // five
        {{"--distortion", "300,,-4,1", "a.oss"}, false},
        {{"--distortion", "300,1.5,-4,1"}, false},  // no setup
        {{"--distortion"}, false},
        {{"--batch", "a.oss", "--distortion", "300,1.5,-4,1", "b.oss"}, false},
        {{"--ping", "--distortion", "300,1.5,-4,1", "a.oss"}, false},
    };
    for (const auto& [args, ok] : cases) {
        const CommandLine cl = parseCommandLine(args);
        EXPECT_EQ(cl.error.empty(), ok) << args.size() << " " << cl.error;
    }
    EXPECT_EQ(parseCommandLine({"--distortion", "300,1.5,-4,1", "a.oss"}).distortionSetup, "a.oss");
}

TEST(DistortionCommandLine, AfterBatchAnalysesWhatWasMeasured) {
    QTemporaryDir dir;
    QFile demo(OSTRINO_DEMO_SETUP);
    ASSERT_TRUE(demo.open(QIODevice::ReadOnly));
    QByteArray text = demo.readAll();
    text.replace(" 30           Variable 1 number of intervals",
                 " 10           Variable 1 number of intervals");
    QFile quick(dir.filePath("quick.oss"));
    ASSERT_TRUE(quick.open(QIODevice::WriteOnly));
    quick.write(text);
    quick.close();

    const ProgramRun r = runConsole({"--simulate", "--batch", "quick.oss", "--save-setup",
                                     "measured.oss", "--distortion", "300,10,-4,2"},
                                    dir.path());
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    ASSERT_EQ(r.out.size(), 27);
    EXPECT_TRUE(r.out[6].startsWith("Gain: ")) << r.out[6].toStdString();
    EXPECT_FALSE(contents(dir.filePath("curves.txt")).isEmpty());
    // The setup as measured, for the family's curves (values kept to 1/1000).
    EXPECT_TRUE(QFile::exists(dir.filePath("measured.oss")));
}

}  // namespace
}  // namespace ostrino
