#include "measure/batch_run.h"

#include <unistd.h>

#include <cmath>
#include <cstdio>

#include "common/text_file.h"
#include "files/data_export.h"
#include "files/setup_file.h"
#include "measure/console_app.h"
#include "measure/distortion_run.h"
#include "measure/form1_logic.h"
#include "platform/qt/qt_canvas.h"
#include "platform/qt/qt_clock.h"
#include "plot/graph_settings.h"
#include "plot/plotter.h"

namespace ostrino {

namespace {

class SilentBeeper : public Beeper {
  public:
    void beep(int, int) override {}
};

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
    QtClock clock;
    HeadlessDialogs dialogs;
    SilentBeeper beeper;
    ConsoleApp app(cl, clock, dialogs, beeper);
    ConsoleState& state = *app.state;
    Form1Logic logic(state, app.com, app.link, clock, dialogs, beeper);
    GraphSettingsLogic graph(state, logic.model, dialogs);
    QtCanvas canvas;
    Plotter plotter(state, logic.model, graph, canvas);
    SetupFile setup(state, logic, dialogs);

    const bool progress = isatty(STDERR_FILENO) != 0;
    logic.hooks.UpdateGraphFields = [&] { graph.UpdateGraphFields(); };
    logic.hooks.ReadGraphFields = [&] { graph.ReadGraphFields(); };
    logic.hooks.CheckGraphFields = [&] { graph.CheckGraphFields(); };
    logic.hooks.DrawPicture = [&] {
        plotter.DrawPicture();
        if (progress && state.intMeasStat == kMeasuring) {
            std::fprintf(stderr, "\rpoint %d of %d ", countRows(state.dblMeasMatrix, true),
                         countRows(state.dblMeasMatrix, false));
            std::fflush(stderr);
        }
    };

    logic.Form_Load();
    if (!setup.openFrom(cl.batchSetup)) {
        return 2;
    }

    // Heater on: ping and the ten-step ramp.
    logic.run.cmdMeasStart_Click();
    bool fault = state.intMeasStat != kHeaterOn;
    if (!fault) {
        logic.run.cmdMeasStart_Click();  // the sweep
        if (progress) {
            std::fputs("\n", stderr);
        }
        fault = state.intMeasStat != kHeaterOn;
    }
    if (!fault) {
        logic.run.cmdMeasStop_Click();  // heater off
        fault = state.intMeasStat != kGround;
    }

    // --distortion: the analysis of the family just measured, its load line on the plot.
    bool analysed = true;
    if (!fault && !cl.distortion.empty()) {
        const auto settings = splitDistortionSettings(cl.distortion);
        const auto lines =
            settings ? analyzeDistortion(state, logic, dialogs, *settings, {}) : std::nullopt;
        for (const std::string& l : lines.value_or(std::vector<std::string>{})) {
            std::printf("%s\n", l.c_str());
        }
        analysed = lines.has_value();
    }

    // The outputs hold what was measured, also after a fault.
    plotter.DrawPicture();
    bool written = true;
    if (!cl.saveData.empty()) {
        written = DataExport(state, logic.model, dialogs).saveMeasMXTo(cl.saveData) && written;
    }
    if (!cl.savePlot.empty()) {
        std::string error;
        if (!canvas.saveBitmap(cl.savePlot, error)) {
            dialogs.message("The plot cannot be saved as " + cl.savePlot + " (" + error + ").");
            written = false;
        }
    }
    if (!cl.saveSetup.empty()) {
        written = setup.saveTo(cl.saveSetup) && written;
    }
    app.link.closePort();
    if (fault) {
        return 1;
    }
    return written && analysed ? 0 : 2;
}

}  // namespace ostrino
