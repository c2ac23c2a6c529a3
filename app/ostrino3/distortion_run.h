#pragma once
// "--distortion VSUPPLY,RLOAD,VGRID,VSIGN": the distortion analysis of the main window's
// curves without a window, as "Distortion" and then "Analyze" run it, with the results
// printed as the window shows them, one label per line ("Gain: 11.89").

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/ostrino3/command_line.h"
#include "common/console_state.h"
#include "distortion/dist_analysis.h"
#include "measure/form1_logic.h"
#include "platform/dialogs.h"

namespace ostrino {

// The result labels of the window, "caption: text unit", in the window's order.
std::vector<std::string> distortionResultLines(const DistModel& model);

// The analysis of the curves in state as the window runs it: the x-axis check of the
// "Distortion" button, the four settings read and checked as the boxes are, "Analyze".
// nullopt when the window would refuse (its message has gone to dialogs). The load line is
// shown on the graph from then on; drawPicture redraws it.
std::optional<std::vector<std::string>> analyzeDistortion(
    ConsoleState& state, Form1Logic& logic, Dialogs& dialogs,
    const std::array<std::string, 4>& settings, const std::function<void()>& drawPicture);

// The command line's analysis of a setup file's curves, printed on standard output.
// Exit status 0, or 2 when the setup cannot be read or the analysis refuses.
int runDistortion(const CommandLine& cl);

}  // namespace ostrino
