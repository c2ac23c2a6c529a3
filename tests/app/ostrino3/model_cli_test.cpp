// "Ostrino_3p11 --fit-model" on a family measured on the simulated instrument: its printed
// lines, the files it writes and its refusals; and the window "Valve model" from the menu.

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QProcess>
#include <QTableWidget>
#include <QTemporaryDir>
#include <filesystem>
#include <string>
#include <vector>

#include "app/ostrino3/command_line.h"
#include "model/frm_model.h"
#include "tests/support/program_run.h"
#include "tests/support/window_rig.h"

namespace ostrino {
namespace {

using test::ProgramRun;

ProgramRun runConsole(const QStringList& args, const QString& folder) {
    return test::runProgram(OSTRINO_CONSOLE_PATH, args, folder);
}

QString contents(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

TEST(ModelCommandLine, FitsPrintsAndWrites) {
    test::WindowRig w;
    const QString family =
        QString::fromStdString((std::filesystem::current_path() / "family.oss").string());
    test::measureAndSave(w, family.toStdString());
    QTemporaryDir dir;
    const QString spice = dir.filePath("m.inc"), json = dir.filePath("m.json");

    struct Case {
        QStringList args;
        int exitCode;
        QStringList lines;  // printed, in this order (the start of each)
        QString message;    // on standard error
        bool files;         // the SPICE and model files written
    } cases[] = {
        {{"--fit-model", "triode", family, "--spice", spice, "--json", json, "--stage",
          "250,10,-4,1"},
         0,
         {"Model: Koren triode",
          "Fitted to: 5 curves, ",
          "mu: ",
          "ex: ",
          "kg1: ",
          "kp: ",
          "kvb: ",
          "RMS error: ",
          "RMS error (% of largest current): ",
          "Worst point: ",
          "Curve 1 (Vg ",
          "Curve 5 (Vg 0 V, ",
          "Ia (quiescent): ",
          "Va (quiescent): ",
          "Gain: ",
          "2nd harmonic: ",
          "3rd harmonic: ",
          "4th harmonic: ",
          "5th harmonic: ",
          "Total distortion: "},
         "",
         true},
        {{"--fit-model", "DEMPWOLF", family},
         0,
         {"Model: Dempwolf triode", "Fitted to: ", "G: ", "C: ", "mu: ", "gamma: "},
         "",
         false},
        {{"--fit-model", "triode", OSTRINO_DEMO_SETUP}, 2, {}, "No measured points", false},
        {{"--fit-model", "triode", "missing.oss"}, 2, {}, "missing.oss cannot be read", false},
        // A stage value outside its limit is found before anything is fitted or written.
        {{"--fit-model", "triode", family, "--json", json, "--stage", "2000,10,-4,1"},
         2,
         {},
         "Vsupply has to lie between 20 and 1000 V.",
         false},
        {{"--fit-model", "triode", family, "--spice", dir.filePath("no/such/folder/m.inc")},
         2,
         {},
         "cannot be written",
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        QFile::remove(spice);
        QFile::remove(json);
        const ProgramRun r = runConsole(c.args, dir.path());
        EXPECT_EQ(r.exitCode, c.exitCode) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(c.message)) << r.err.toStdString();
        ASSERT_GE(r.out.size(), c.lines.size());
        int at = 0;
        for (const QString& start : c.lines) {
            while (at < r.out.size() && !r.out[at].startsWith(start)) {
                ++at;
            }
            EXPECT_LT(at, r.out.size()) << start.toStdString();
        }
        if (c.exitCode != 0) {
            EXPECT_TRUE(r.out.isEmpty());
        }
        EXPECT_EQ(QFile::exists(spice), c.files);
        EXPECT_EQ(QFile::exists(json), c.files);
        if (c.files) {
            EXPECT_TRUE(contents(spice).contains("\n.subckt ")) << contents(spice).toStdString();
            EXPECT_TRUE(contents(json).contains("\"model\": \"koren-triode\""));
        }
    }
}

TEST(ModelCommandLine, ArgumentsThatCannotBeUsed) {
    const struct {
        std::vector<std::string> args;
        bool ok;
    } cases[] = {
        {{"--fit-model", "pentode", "a.oss", "--spice", "a.inc", "--stage", "300,1.5,-4,1"}, true},
        {{"--simulate", "--batch", "a.oss", "--fit-model", "triode", "--json", "a.json"}, true},
        {{"--simulate", "--batch", "a.oss", "--distortion", "300,1.5,-4,1", "--fit-model",
          "dempwolf"},
         true},
        {{"--fit-model", "koren", "a.oss"}, false},  // no such model
        {{"--fit-model", "triode"}, false},          // no setup
        {{"--fit-model"}, false},
        {{"--spice", "a.inc"}, false},  // without --fit-model
        {{"--fit-model", "triode", "a.oss", "--stage", "300,1.5,-4"}, false},
        {{"--fit-model", "triode", "a.oss", "--json"}, false},
        {{"--batch", "a.oss", "--fit-model", "triode", "b.oss"}, false},
        {{"--ping", "--fit-model", "triode", "a.oss"}, false},
        {{"--distortion", "300,1.5,-4,1", "a.oss", "--fit-model", "triode", "a.oss"}, false},
    };
    for (const auto& c : cases) {
        const CommandLine cl = parseCommandLine(c.args);
        EXPECT_EQ(cl.error.empty(), c.ok) << c.args[0] << " " << c.args.size() << ": " << cl.error;
    }
    const CommandLine cl =
        parseCommandLine({"--fit-model", "triode", "a.oss", "--stage", "1,2,3,4"});
    EXPECT_EQ(cl.fitModel, "triode");
    EXPECT_EQ(cl.fitModelSetup, "a.oss");
    EXPECT_EQ(cl.stage, "1,2,3,4");
}

TEST(ModelCommandLine, AfterBatchFitsWhatWasMeasured) {
    QTemporaryDir dir;
    QString setup = contents(OSTRINO_DEMO_SETUP);
    setup.replace(" 30           Variable 1 number of intervals",
                  " 10           Variable 1 number of intervals");
    QFile quick(dir.filePath("quick.oss"));
    ASSERT_TRUE(quick.open(QIODevice::WriteOnly));
    quick.write(setup.toUtf8());
    quick.close();

    const ProgramRun r = runConsole({"--simulate", "--batch", "quick.oss", "--save-plot",
                                     "plot.png", "--fit-model", "triode", "--json", "m.json"},
                                    dir.path());
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    ASSERT_FALSE(r.out.isEmpty());
    EXPECT_EQ(r.out[0], "Model: Koren triode");
    EXPECT_TRUE(r.out[1].startsWith("Fitted to: 7 curves, 77 points")) << r.out[1].toStdString();
    EXPECT_TRUE(contents(dir.filePath("m.json")).contains("\"title\": \"ECC82"));
    EXPECT_TRUE(QFile::exists(dir.filePath("plot.png")));
}

// The window from "Tools": its controls, a fit into its tables, the model's curves on the
// graph while it is open, and the message for a family it cannot fit.
TEST(ModelWindow, FromTheToolsMenu) {
    test::WindowRig w;
    QAction* open = w.form.findChild<QAction*>("mnuValveModel");
    ASSERT_NE(open, nullptr);
    EXPECT_EQ(open->text(), QString::fromUtf8("&Valve model\u2026"));
    open->trigger();
    frmModel* m = w.form.findChild<frmModel*>("frmModel");
    ASSERT_NE(m, nullptr);
    EXPECT_TRUE(m->isVisible());
    EXPECT_EQ(m->windowTitle(), "Valve model");
    for (const char* name :
         {"cboModel", "cboSection", "cboWeighting", "cmdFit", "chkShowOnGraph", "cmdOpenModel",
          "cmdSaveModel", "cmdExportSpice", "txtVsupply", "txtRload", "txtVgrid", "txtVsign",
          "cmdAnalyze", "tblParameters", "tblCurves", "tblStage", "lblModel"}) {
        QWidget* control = w.child<QWidget>(m, name);
        ASSERT_NE(control, nullptr);
        EXPECT_FALSE(control->accessibleName().isEmpty() &&
                     control->property("text").toString().isEmpty())
            << name << " has neither a caption nor an accessible name";
    }

    // Nothing measured yet.
    w.dialogs.messages.clear();  // the start's own
    w.child<QPushButton>(m, "cmdFit")->click();
    ASSERT_EQ(w.dialogs.messages.size(), 1u);
    EXPECT_EQ(w.dialogs.messages[0].text, "No measured points: measure a family of curves first.");
    EXPECT_FALSE(w.child<QPushButton>(m, "cmdExportSpice")->isEnabled());

    test::measureAndSave(w, "family.oss");
    w.child<QPushButton>(m, "cmdFit")->click();
    EXPECT_EQ(w.dialogs.messages.size(), 1u) << w.dialogs.texts().back();
    EXPECT_EQ(w.child<QTableWidget>(m, "tblParameters")->rowCount(), 5 + 3);
    EXPECT_EQ(w.child<QTableWidget>(m, "tblCurves")->rowCount(), 5);
    EXPECT_TRUE(w.child<QPushButton>(m, "cmdExportSpice")->isEnabled());
    w.child<QCheckBox>(m, "chkShowOnGraph")->click();
    EXPECT_TRUE(w.app.state->modelOverlay.visible);
    EXPECT_EQ(w.app.state->modelOverlay.curves.size(), 5u);
    w.child<QPushButton>(m, "cmdAnalyze")->click();
    EXPECT_EQ(w.child<QTableWidget>(m, "tblStage")->rowCount(), 4);
    m->close();
    EXPECT_FALSE(w.app.state->modelOverlay.visible);
}

}  // namespace
}  // namespace ostrino
