#pragma once
// "--fit-model MODEL": a valve model fitted to measured curves without a window, printed one
// line per parameter and error, written as SPICE subcircuit and model file when asked, and
// the stage computed on it with --stage.

#include <optional>
#include <string>
#include <vector>

#include "app/ostrino3/command_line.h"
#include "common/meas_matrix.h"
#include "common/model_overlay.h"
#include "platform/dialogs.h"

namespace ostrino {

// The fit of the current sweep's curves as the command line asks for it: the lines to print
// (model, parameters, errors, each curve's errors, then the stage's results), with the files
// written. nullopt when the family cannot be fitted, a file cannot be written or the stage
// cannot be computed (the reason has gone to dialogs). title and date name the measurement.
// The model's curves go into graph when one is given, to be drawn with the measured ones,
// and the model file's text into json.
std::optional<std::vector<std::string>> fitModelLines(const CommandLine& cl,
                                                      const MeasMatrix& curves,
                                                      const std::string& title,
                                                      const std::string& date, Dialogs& dialogs,
                                                      ModelOverlay* graph = nullptr,
                                                      std::optional<std::string>* json = nullptr);

// The command line's fit of a setup file's curves, printed on standard output.
// Exit status 0, or 2 when the setup cannot be read or the fit, a file or the stage fails.
int runModelFit(const CommandLine& cl);

}  // namespace ostrino
