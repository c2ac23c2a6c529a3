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
    // --quick-test [--report FILE]: the setup's quick test instead of the sweep.
    bool quickTest = false;
    std::string report;
    // --library FILE: the valve library (empty: the default file).
    std::string libraryFile;
    // --library-add LABEL [--valve-type T] [--note N]: store what --batch measured.
    std::string libraryAdd;
    std::string valveType;
    std::string note;
    // --fit-model MODEL: the model's name as given, and the setup whose curves are fitted
    // (empty with --batch); --spice F, --json F, --stage VSUPPLY,RLOAD,VGRID,VSIGN.
    std::string fitModel;
    std::string fitModelSetup;
    std::string spiceFile;
    std::string jsonFile;
    std::string stage;
};

// The four --distortion settings as they would be typed into txtVsupply, txtRload,
// txtVgrid and txtVsign; nullopt unless the text holds four comma-separated items.
std::optional<std::array<std::string, 4>> splitDistortionSettings(std::string_view text);

// args without the program name.
CommandLine parseCommandLine(const std::vector<std::string>& args);

std::string usageText(const std::string& program);

// What a run with --batch came to.
struct BatchOutcome {
    bool fault = false;            // a communication fault ended the heater ramp or the sweep
    bool heaterOffFailed = false;  // the sweep was done, but switching the heater off failed
    int measuredPoints = 0;
    bool outputsWritten = true;  // every output asked for has been written
    bool analysed = true;        // --distortion, when asked for, could be done
    bool stored = true;          // --library-add, when asked for, has stored the record
    bool modelFitted = true;     // --fit-model, when asked for, could be done
};
// 0 when all went well; 1 when the measurement failed (a communication fault, the heater
// perhaps still on, or not a single point measured); 2 when an output could not be written
// or the distortion analysis or the model fit asked for could not be done; 3 when all that
// went well but the valve library could not store the measurement.
int batchExitStatus(const BatchOutcome& outcome);

// The results of an analysis on standard output, one per line: exit status 0, or 2 when
// there are none (the reason has been given).
int printResultLines(const std::optional<std::vector<std::string>>& lines);

}  // namespace ostrino
