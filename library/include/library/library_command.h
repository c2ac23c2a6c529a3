#pragma once
// The command line of ostrino-library: list, show, export, match and remove records.

#include <ostream>
#include <string>
#include <vector>

namespace ostrino::library {

// Runs one command (args without the program name). Results go to `out`, messages to
// `err`, one line each. Returns the exit status: 0 when all went well, 1 when an output
// file cannot be written, 2 for bad arguments or a library file that cannot be used.
int runLibraryCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// The --help text.
std::string libraryUsage();

}  // namespace ostrino::library
