#pragma once
// The command line of Ostrino_1p2.

#include <string>
#include <vector>

#include "common/command_line_options.h"

namespace ostrino::gen1 {

// --serial DEVICE opens DEVICE whatever port the list shows.
struct CommandLine : CommonOptions {};

// args without the program name.
CommandLine parseCommandLine(const std::vector<std::string>& args);
std::string usageText(const std::string& program);

}  // namespace ostrino::gen1
