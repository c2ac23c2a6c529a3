// Setup files (*.oss), fed through a file in a scratch folder as "Open Setup" reads them:
// a file is refused whole with a reason, or applied, drawn, analysed for distortion, and
// then written out and read back.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "distortion/dist_analysis.h"
#include "files/setup_file.h"
#include "fuzz/fuzz_support.h"
#include "link/instrument_link.h"
#include "measure/console_views.h"
#include "measure/form1_logic.h"
#include "measure/form1_setup.h"
#include "plot/graph_settings.h"
#include "plot/plotter.h"

namespace {

struct Console {
    Console() {
        logic.hooks.UpdateGraphFields = [this] { graph.UpdateGraphFields(); };
        logic.hooks.ReadGraphFields = [this] { graph.ReadGraphFields(); };
        logic.hooks.CheckGraphFields = [this] { graph.CheckGraphFields(); };
        logic.hooks.DrawPicture = [this] { plotter.DrawPicture(); };
        logic.Form_Load();
    }
    ostrino::ConsoleState state;
    ostrino::FrmComModel com;
    ostrino::fuzz::NoPort port;
    ostrino::fuzz::StillClock clock;
    ostrino::fuzz::CountingDialogs dialogs;
    ostrino::fuzz::NoBeeper beeper;
    ostrino::fuzz::NoCanvas canvas;
    ostrino::InstrumentLink link{ostrino::linkSources(state), com, port, clock, dialogs};
    ostrino::Form1Logic logic{state, com, link, clock, dialogs, beeper};
    ostrino::GraphSettingsLogic graph{ostrino::graphSources(state), logic.model, dialogs};
    ostrino::Plotter plotter{logic.model, graph, canvas};
    ostrino::SetupFile setup{state, logic, dialogs};
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace ostrino;
    fuzz::enterScratchFolder();
    const std::string_view content(reinterpret_cast<const char*>(data), size);
    fuzz::writeScratchFile("input.oss", content);
    Console console;
    const int before = console.dialogs.messages;
    if (!console.setup.openFrom("input.oss")) {
        fuzz::require(console.dialogs.messages == before + 1);  // the reason, once
        return 0;
    }
    console.plotter.DrawPicture();

    // What "Distortion" and "Analyze" make of the curves, with the window's defaults.
    DistAnalysis analysis(console.state.dblMeasMatrix, console.state.dist, console.dialogs,
                          {[&console] { console.plotter.DrawPicture(); }, {}, {}});
    analysis.Form_Load();
    console.state.dist.visible = true;
    analysis.cmdAnalyze_Click();

    // A setup the console took can be saved and read again.
    std::string error;
    const auto saved = setupFileText(console.state, console.logic.model, error);
    fuzz::require(saved.has_value());
    fuzz::require(parseSetupFile(*saved, error).has_value());
    return 0;
}
