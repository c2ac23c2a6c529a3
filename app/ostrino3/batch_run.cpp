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
#include "app/ostrino3/model_run.h"
#include "common/text_file.h"
#include "files/data_export.h"
#include "measure/form1_logic.h"
#include "measure/form1_setup.h"
#include "model/model_tool.h"
#include "platform/qt/qt_canvas.h"
#include "platform/qt/qt_clock.h"
#include "plot/graph_settings.h"
#include "plot/plotter.h"

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

}  // namespace

int runBatch(const CommandLine& cl) {
    HeadlessConsole console(cl);
    ConsoleState& state = console.state;
    HeadlessDialogs& dialogs = console.dialogs;
    ConsoleApp& app = console.app;
    Form1Logic& logic = console.logic;
    SetupFile& setup = console.setup;
    QtCanvas canvas;
    Plotter plotter(state, logic.model, console.graph, canvas);

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
    if (!outcome.fault) {
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
    outcome.measuredPoints = countRows(state.dblMeasMatrix, true);

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

    // --fit-model: the model of the family just measured, its curves on the plot.
    if (!outcome.fault && outcome.measuredPoints > 0 && !cl.fitModel.empty()) {
        const auto lines = fitModelLines(cl, state.dblMeasMatrix, logic.model.txtTitle,
                                         model::dateText(std::chrono::system_clock::now()), dialogs,
                                         &state.modelOverlay);
        for (const std::string& l : lines.value_or(std::vector<std::string>{})) {
            std::printf("%s\n", l.c_str());
        }
        outcome.modelFitted = lines.has_value();
    }

    // The outputs hold what was measured, also after a fault; with nothing measured there
    // is no data and no plot to write, and files of those names are left as they are.
    std::vector<std::string> notWritten;
    if (outcome.measuredPoints == 0) {
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
                DataExport(state, logic.model, dialogs).saveMeasMXTo(cl.saveData);
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
    if (!cl.saveSetup.empty() && !setup.saveTo(cl.saveSetup)) {
        outcome.outputsWritten = false;
    }
    app.link.closePort();
    return batchExitStatus(outcome);
}

}  // namespace ostrino
