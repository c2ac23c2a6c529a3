#pragma once
// A whole measurement without a window: open a setup, heater on, sweep, heater off, and
// write the outputs the command line names.

#include "app/ostrino3/command_line.h"

namespace ostrino {

// Exit status as batchExitStatus gives it, or 2 for a setup that cannot be read or holds a
// value outside its limit. Needs a QGuiApplication for the drawing surface.
int runBatch(const CommandLine& cl);

}  // namespace ostrino
