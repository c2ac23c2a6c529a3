// "Ostrino_3p11 --batch SETUP --quick-test": the printed results against the labels of the
// quick-test window for the same valve and settings, and the report appended.

#include <gtest/gtest.h>

#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <filesystem>

#include "quicktest/frm_quick_triode.h"
#include "tests/support/program_run.h"
#include "tests/support/window_rig.h"

namespace ostrino {
namespace {

using Window = test::WindowRig;

// A result as the window shows it in its row: value, unit (without its parentheses) and the
// percentage of the nominal value, when there is one.
QString shown(Window& w, QWidget* window, const char* caption, const char* value, const char* unit,
              const char* percent) {
    const auto text = [&](const char* name) { return w.child<QLabel>(window, name)->text(); };
    QString line = QString(caption) + ": " + text(value);
    QString u = unit == nullptr ? QString() : unit[0] == 'l' ? text(unit) : QString(unit);
    u.remove('(').remove(')');
    if (!u.isEmpty() && u != "-") {
        line += " " + u;
    }
    if (percent != nullptr && text(percent) != "- - -") {
        line += " (" + text(percent) + " %)";
    }
    return line;
}

TEST(QuickTestCommandLine, PrintsWhatTheWindowShowsAndAppendsTheReport) {
    Window w;
    const std::string setup = (std::filesystem::current_path() / "triode.oss").string();
    w.dialogs.fileNames.push_back(setup);
    w.child<QPushButton>("cmdSaveSetup")->click();  // the quick-test settings with it
    w.child<QPushButton>("cmdMeasStart")->click();  // heater on
    w.form.cmdQT_Click();
    frmQTtriode* t = w.form.triodeQuickTestWindow();
    w.child<QPushButton>(t, "cmdTest")->click();
    const QStringList window = {
        shown(w, t, "Va section 1", "lblVa1", "V", nullptr),
        shown(w, t, "Va section 2", "lblVa2", "V", nullptr),
        shown(w, t, "Section 1 Ia", "lblIa1", "mA", "lblIa1Proc"),
        shown(w, t, "Section 2 Ia", "lblIa2", "mA", "lblIa2Proc"),
        shown(w, t, "Section 1 Ra", "lblVa1Ia1", "lblVa1Ia1ohm", "lblRa1Proc"),
        shown(w, t, "Section 2 Ra", "lblVa2Ia2", "lblVa2Ia2ohm", "lblRa2Proc"),
        shown(w, t, "Section 1 Gm", "lblIa1Vg", "lblIa1VgmA", "lblGm1Proc"),
        shown(w, t, "Section 2 Gm", "lblIa2Vg", "lblIa2VgmA", "lblGm2Proc"),
        shown(w, t, "Section 1 mu", "lblMu1", nullptr, "lblMu1Proc"),
        shown(w, t, "Section 2 mu", "lblMu2", nullptr, "lblMu2Proc"),
    };
    ASSERT_NE(window[2], "Section 1 Ia: - - - mA");  // the window has measured

    QTemporaryDir cli;
    QFile earlier(cli.filePath("box.txt"));
    ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
    earlier.write("earlier report\r\n");
    earlier.close();
    const test::ProgramRun run =
        test::runProgram(OSTRINO_CONSOLE_PATH,
                         {"--simulate", "--batch", QString::fromStdString(setup), "--quick-test",
                          "--report", "box.txt"},
                         cli.path());
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QStringList& printed = run.out;
    EXPECT_EQ(printed.join('\n').toStdString(), window.join('\n').toStdString());

    QFile report(cli.filePath("box.txt"));
    ASSERT_TRUE(report.open(QIODevice::ReadOnly));
    const QByteArray text = report.readAll();
    EXPECT_TRUE(text.startsWith("earlier report\r\n"));
    EXPECT_TRUE(text.contains("Triode Quick Test\r\n"));
    const QString ia = w.child<QLabel>(t, "lblIa1")->text();
    EXPECT_TRUE(text.contains(("Ia  : " + ia + " (mA)").toLatin1())) << text.toStdString();
}

}  // namespace
}  // namespace ostrino
