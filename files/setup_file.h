#pragma once
// Setup files (*.oss): one complete working state of the main window — heater supply,
// measurement, instrument ranges, graph, pins, quick tests and the stored and actual curves.
// Here the file's text and its parsing; the main window's logic applies what is read.
//
// Every value is a whole number (values with decimals × 1000) followed by a label from
// column 15; the reader goes by the order of the lines. Three marker lines let a file end
// early. Reading is all or nothing: the whole file is parsed and checked before anything
// is applied, so a damaged file leaves every setting and curve as it was. The values are
// input like typed ones: once applied they pass the same limit checks.

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/console_settings.h"
#include "common/limit_fault.h"
#include "common/meas_matrix.h"
#include "platform/dialogs.h"

namespace ostrino {

inline constexpr const char* kSetupFilter = "Ostrino setup-file (*.oss)|*.oss";

// One row of a curve block as the file holds it (columns 1..6 already divided by 1000).
struct SetupPoint {
    double curve = 0.0;
    std::array<double, 6> values{};
};

// Everything a setup file holds, parsed and checked.
struct SetupData {
    double vheatExt = 19.5;
    bool extVheat = false;
    int measType = 0;
    double var1Start = 0, var1Stop = 0;
    int var1Nintv = 10;
    bool measLog = false;
    double const1 = 0, const2 = 0, delay = 0;
    std::vector<double> var2Values;
    int iaRange = 8, isRange = 8, average = 6, compliance = 0;
    bool beep = false;
    int y1Var = 1, y2Var = 0, y1Marker = 1, y2Marker = 4, y1Line = 1, y2Line = 2;
    int xScale = 0, y1Scale = 0, y2Scale = 0;
    double xmin = 0, y1min = 0, y2min = 0, xmax = 0, y1max = 0, y2max = 0;
    int xmajor = 4, y1major = 4, y2major = 4;
    int degree = 3;
    double pmax = 0;
    bool keepPlot = false, color = true, grid = true;
    std::array<bool, 3> titleOptions{true, false, false};
    std::string title;
    std::array<int, 21> pins{};
    bool hasQuickTest = false;
    QuickTestSettings quickTest;
    bool hasStored = false;
    std::vector<SetupPoint> stored;
    bool hasActual = false;
    std::vector<SetupPoint> actual;

    // The line of each setting the limit checks correct, and of the first stepping value.
    std::array<int, kCheckedSettingCount> lines{};
    int var2Line = 0;
};

// The controls of the main window that a setup file keeps besides the settings.
struct SetupControls {
    bool measLog = false;
    bool beep = false;
    int y1Var = 1, y2Var = 0, y1Marker = 1, y2Marker = 4, y1Line = 1, y2Line = 2;
    int xScale = 0, y1Scale = 0, y2Scale = 0;
    std::string degreeText = "3";  // as typed; the file takes a whole number
    double pmax = 0;
    bool keepPlot = false, color = true, grid = true;
    int titlePlacement = 0;  // off, top, in the graph; another value for none of them
    std::string title;
};

// What a setup file is written from: the console's settings, pins and curves.
struct SetupSources {
    const MeasSettings& meas;
    const GraphSettings& graph;
    const QuickTestSettings& quickTest;
    const MeasMatrix& matrix;  // the stored and actual curves
    const std::array<int, 21>& pins;
    int iaRange, isRange, average, compliance;  // list indexes of the instrument settings
    bool extVheat;
    double vheatExt;
};

// The file for the present settings; nullopt (with the reason) when a value cannot be
// written as a whole number.
std::optional<std::string> setupFileText(const SetupSources& in, const SetupControls& controls,
                                         std::string& error);
// nullopt with "line N: ..." in error when the file cannot be used.
std::optional<SetupData> parseSetupFile(std::string_view content, std::string& error);

}  // namespace ostrino
