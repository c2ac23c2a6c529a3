#pragma once
// The command line of Ostrino_3p11.

#include <string>
#include <vector>

#include "common/command_line_options.h"

namespace ostrino {

struct CommandLine : CommonOptions {
    bool ping = false;
    std::string batchSetup;  // --batch SETUP.oss
    std::string saveData;    // --save-data FILE
    std::string savePlot;    // --save-plot FILE
    std::string saveSetup;   // --save-setup FILE
};

// args without the program name.
CommandLine parseCommandLine(const std::vector<std::string>& args);

std::string usageText(const std::string& program);

}  // namespace ostrino
