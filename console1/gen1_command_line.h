#pragma once
// The command line of Ostrino_1p2.

#include <string>
#include <vector>

namespace ostrino::gen1 {

struct CommandLine {
    std::string serialDevice;  // --serial DEVICE: opened whatever port the list shows
    bool simulate = false;     // --simulate[=VALVE]
    std::string valve;         // empty: the simulator's default valve
    bool help = false;
    bool version = false;
    std::string error;  // not empty when the arguments cannot be used
};

// args without the program name.
CommandLine parseCommandLine(const std::vector<std::string>& args);
std::string usageText(const std::string& program);

}  // namespace ostrino::gen1
