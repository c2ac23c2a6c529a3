#pragma once
// The command line of Ostrino_3p11.

#include <string>
#include <vector>

namespace ostrino {

struct CommandLine {
    std::string serialDevice;  // --serial DEVICE
    bool simulate = false;     // --simulate[=VALVE]
    std::string valve;         // empty: the simulator's default valve
    bool ping = false;
    std::string batchSetup;  // --batch SETUP.oss
    std::string saveData;    // --save-data FILE
    std::string savePlot;    // --save-plot FILE
    std::string saveSetup;   // --save-setup FILE
    bool help = false;
    bool version = false;
    std::string error;  // not empty when the arguments cannot be used
};

// args without the program name.
CommandLine parseCommandLine(const std::vector<std::string>& args);

std::string usageText(const std::string& program);

}  // namespace ostrino
