#pragma once
// The command line of Ostrino_3p11.

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/command_line_options.h"

namespace ostrino {

struct CommandLine : CommonOptions {
    bool ping = false;
    std::string batchSetup;  // --batch SETUP.oss
    std::string saveData;    // --save-data FILE
    std::string savePlot;    // --save-plot FILE
    std::string saveSetup;   // --save-setup FILE
    // --distortion VSUPPLY,RLOAD,VGRID,VSIGN: the settings as given, and the setup whose
    // curves are analysed (empty with --batch: what was just measured).
    std::string distortion;
    std::string distortionSetup;
};

// The four --distortion settings as they would be typed into txtVsupply, txtRload,
// txtVgrid and txtVsign; nullopt unless the text holds four comma-separated items.
std::optional<std::array<std::string, 4>> splitDistortionSettings(std::string_view text);

// args without the program name.
CommandLine parseCommandLine(const std::vector<std::string>& args);

std::string usageText(const std::string& program);

}  // namespace ostrino
