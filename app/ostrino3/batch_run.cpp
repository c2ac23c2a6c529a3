#include "app/ostrino3/batch_run.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "app/ostrino3/distortion_run.h"
#include "app/ostrino3/headless_console.h"
#include "app/ostrino3/library_link.h"
#include "app/ostrino3/model_run.h"
#include "common/text_file.h"
#include "files/data_export.h"
#include "measure/console_views.h"
#include "measure/form1_logic.h"
#include "measure/form1_setup.h"
#include "model/model_tool.h"
#include "platform/qt/qt_canvas.h"
#include "platform/qt/qt_clock.h"
#include "plot/graph_settings.h"
#include "plot/plotter.h"
#include "quicktest/quick_pentode.h"
#include "quicktest/quick_triode.h"

namespace ostrino {

namespace {

int countRows(const MeasMatrix& m, bool measuredOnly) {
    int n = 0;
    for (int r = 0; r < MeasMatrix::kBlockRows; ++r) {
        const long c = std::lround(m(r, MeasMatrix::Curve));
        if (c == 0 || (r == 0 && c == -1 && measuredOnly)) {
            break;
        }
        n += (!measuredOnly || c >= 1) ? 1 : 0;
    }
    return n;
}

// What the quick test has measured and found.
struct QuickTestRun {
    std::vector<std::string> lines;
    std::string report;
    std::vector<QuickTestFigure> figures;
    std::vector<library::MeasuredPoint> points;
};

// The quick test that the setup selects, run as its window's "Test" runs it (with the
// heater on); the labels it shows, its report and its figures afterwards.
template <class Test>
QuickTestRun runQuickTest(HeadlessConsole& console, const std::string& title) {
    QuickTestContext ctx = quickTestContext(console.app, console.logic);
    Test test(std::move(ctx));
    test.Form_Load();
    test.model.txtTitle = title;
    test.cmdTest_Click();
    return {test.resultLines(), test.reportText(), test.model.figures,
            measuredPoints(test.testPoints(), 0)};
}

// "the data file a.osd and the plot a.bmp"
std::string listed(const std::vector<std::string>& items) {
    std::string text;
    for (std::size_t i = 0; i < items.size(); ++i) {
        text += (i == 0 ? "" : i + 1 < items.size() ? ", " : " and ") + items[i];
    }
    return text;
}

// --library-add: the record of what was measured (with the model fitted to it), stored;
// false after a message.
bool addToLibrary(HeadlessConsole& console, LibraryAccess& access, LibraryEntry entry,
                  const std::string& kept) {
    const std::string named = entry.valveType + ", " + entry.label;
    const auto id = storeInLibrary(access, console.state, console.logic.model, std::move(entry),
                                   kept, console.dialogs);
    if (id) {
        console.dialogs.message("Stored as record " + std::to_string(*id) + " (" + named +
                                ") in the valve library " + access.file().string() + ".");
    }
    return id.has_value();
}

}  // namespace

int runBatch(const CommandLine& cl) {
    HeadlessConsole console(cl);
    ConsoleState& state = console.state;
    HeadlessDialogs& dialogs = console.dialogs;
    ConsoleApp& app = console.app;
    Form1Logic& logic = console.logic;
    SetupFile& setup = console.setup;
    QtCanvas canvas;
    Plotter plotter(logic.model, console.graph, canvas);

    const bool progress = isatty(STDERR_FILENO) != 0;
    logic.hooks.DrawPicture = [&] {
        plotter.DrawPicture();
        if (progress && state.intMeasStat == kMeasuring) {
            std::fprintf(stderr, "\rpoint %d of %d ", countRows(state.dblMeasMatrix, true),
                         countRows(state.dblMeasMatrix, false));
            std::fflush(stderr);
        }
    };

    logic.Form_Load();
    // A setup with a value outside its limit is not measured at all.
    if (!setup.openFrom(cl.batchSetup, SetupFile::OutOfLimits::Refuse)) {
        return 2;
    }

    const int quickTestType = state.quickTest.intQTtype;
    if (cl.quickTest && quickTestType != 1 && quickTestType != 2) {
        dialogs.message("The setup file " + cl.batchSetup +
                        " selects no quick test (neither triode nor pentode); nothing has been "
                        "measured.");
        return 2;
    }

    // The type of the record to store: given, or that of the library's last record. A
    // library that cannot be opened now is reported when the measurement is to be stored.
    std::optional<LibraryAccess> library;
    std::string valveType = cl.valveType;
    if (!cl.libraryAdd.empty()) {
        library.emplace(libraryFile(cl.libraryFile), dialogs);
        if (valveType.empty()) {
            if (auto opened = library->tryGet()) {
                const auto last = lastRecord(*opened.value());
                if (!last) {
                    dialogs.message("--library-add needs --valve-type T: the valve library " +
                                    library->file().string() +
                                    " holds no record to take the type from; nothing has been "
                                    "measured.");
                    return 2;
                }
                valveType = last->valveType;
            }
        }
    }

    // The outputs hold only what this run measures: the setup's own actual curves are no part
    // of it, not even as left-overs in the row that ends the data (its stored block stays as
    // it was).
    auto& rows = state.dblMeasMatrix.cells;
    std::fill_n(rows.begin() + MeasMatrix::kActual, MeasMatrix::kBlockRows,
                std::array<double, MeasMatrix::kCols>{});
    logic.run.ClearCurves();

    BatchOutcome outcome;
    // Heater on: ping and the ten-step ramp.
    logic.run.cmdMeasStart_Click();
    outcome.fault = state.intMeasStat != kHeaterOn;
    QuickTestRun quick;
    if (!outcome.fault && cl.quickTest) {
        quick = quickTestType == 1 ? runQuickTest<QTtriode>(console, cl.libraryAdd)
                                   : runQuickTest<QTpentode>(console, cl.libraryAdd);
        outcome.fault = state.intMeasStat != kHeaterOn;
    } else if (!outcome.fault) {
        logic.run.cmdMeasStart_Click();  // the sweep
        if (progress) {
            std::fputs("\n", stderr);
        }
        outcome.fault = state.intMeasStat != kHeaterOn;
    }
    if (!outcome.fault) {
        const int faultsBefore = logic.run.faults();
        logic.run.cmdMeasStop_Click();  // heater off
        outcome.heaterOffFailed =
            logic.run.faults() != faultsBefore || state.intMeasStat != kGround;
        if (outcome.heaterOffFailed) {
            dialogs.message("The heater may still be on: switching it off has failed.");
        }
    }
    outcome.measuredPoints =
        cl.quickTest ? static_cast<int>(quick.points.size()) : countRows(state.dblMeasMatrix, true);
    std::vector<std::string> written;  // the outputs that keep the measurement

    // --quick-test: the results as the window shows them, the report as "Report" appends it.
    if (cl.quickTest && !outcome.fault) {
        for (const std::string& l : quick.lines) {
            std::printf("%s\n", l.c_str());
        }
        std::fflush(stdout);
        if (!cl.report.empty()) {
            if (writeReportTo(dialogs, cl.report, quick.report, true)) {
                written.push_back("the report " + cl.report);
            } else {
                outcome.outputsWritten = false;
            }
        }
    }

    // --distortion: the analysis of the family just measured, its load line on the plot.
    if (!outcome.fault && outcome.measuredPoints > 0 && !cl.distortion.empty()) {
        const auto settings = splitDistortionSettings(cl.distortion);
        const auto lines =
            settings ? analyzeDistortion(state, logic, dialogs, *settings, {}) : std::nullopt;
        for (const std::string& l : lines.value_or(std::vector<std::string>{})) {
            std::printf("%s\n", l.c_str());
        }
        outcome.analysed = lines.has_value();
    }

    // --fit-model: the model of the family just measured, its curves on the plot (and in the
    // library record).
    std::optional<std::string> fittedModel;
    if (!outcome.fault && outcome.measuredPoints > 0 && !cl.fitModel.empty()) {
        const auto lines = fitModelLines(cl, state.dblMeasMatrix, logic.model.txtTitle,
                                         model::dateText(std::chrono::system_clock::now()), dialogs,
                                         &state.modelOverlay, &fittedModel);
        for (const std::string& l : lines.value_or(std::vector<std::string>{})) {
            std::printf("%s\n", l.c_str());
        }
        outcome.modelFitted = lines.has_value();
    }

    // The outputs hold what was measured, also after a fault; with nothing measured there
    // is no data and no plot to write, and files of those names are left as they are.
    std::vector<std::string> notWritten;
    if (cl.quickTest) {
        if (outcome.measuredPoints == 0) {
            dialogs.message("No point has been measured.");
        }
    } else if (outcome.measuredPoints == 0) {
        if (!cl.saveData.empty()) {
            notWritten.push_back("the data file " + cl.saveData);
        }
        if (!cl.savePlot.empty()) {
            notWritten.push_back("the plot " + cl.savePlot);
        }
        dialogs.message(notWritten.empty()
                            ? "No point has been measured."
                            : "No point has been measured; " + notWritten.front() +
                                  (notWritten.size() > 1 ? " and " + notWritten.back() : "") +
                                  (notWritten.size() > 1 ? " have" : " has") +
                                  " not been written.");
    } else {
        plotter.DrawPicture();
        if (!cl.saveData.empty()) {
            outcome.outputsWritten =
                DataExport(exportSources(state), logic.model, dialogs).saveMeasMXTo(cl.saveData);
            if (outcome.outputsWritten) {
                written.push_back("the data file " + cl.saveData);
            }
        }
        if (!cl.savePlot.empty()) {
            std::string error;
            if (!canvas.saveBitmap(cl.savePlot, error)) {
                dialogs.message("The plot cannot be saved as " + cl.savePlot + " (" + error + ").");
                outcome.outputsWritten = false;
            }
        }
    }
    // The setup: its settings, the stored block it came with and the curves of this run.
    if (!cl.saveSetup.empty()) {
        if (setup.saveTo(cl.saveSetup)) {
            written.push_back("the setup " + cl.saveSetup);
        } else {
            outcome.outputsWritten = false;
        }
    }

    // --library-add: only a whole measurement goes into the library.
    if (library) {
        if (outcome.fault || outcome.heaterOffFailed || outcome.measuredPoints == 0) {
            dialogs.message(
                "The measurement is not complete; nothing has been stored in the "
                "valve library.");
            outcome.stored = false;
        } else {
            const std::string kept =
                !written.empty() ? "The measurement is kept in " + listed(written) + "."
                : cl.quickTest   ? "Its results are printed above."
                                 : "Nothing else keeps it (--save-data, --save-setup).";
            LibraryEntry entry{cl.quickTest ? quick.points : measuredPoints(state.dblMeasMatrix, 0),
                               quick.figures,
                               valveType,
                               cl.libraryAdd,
                               cl.note,
                               fittedModel};
            outcome.stored = addToLibrary(console, *library, std::move(entry), kept);
        }
    }
    app.link.closePort();
    return batchExitStatus(outcome);
}

}  // namespace ostrino
