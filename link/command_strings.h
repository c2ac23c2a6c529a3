#pragma once
// The fixed-length strings exchanged with the instrument, as pure functions.
//
// A command is 18 characters: a two-digit code and four 4-digit upper-case hex fields
// (anode, screen, grid, heater). "10" and "50" are answered with 38 characters: a
// 2-digit hex status and nine 4-character fields.

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "common/calibration.h"
#include "common/hex_fields.h"

namespace ostrino {

inline constexpr int kCommandLength = 18;
inline constexpr int kResultLength = 38;
inline constexpr char kEscChar = 39;  // the apostrophe, not the ASCII escape
inline constexpr int kComplianceStatus = 17;

inline constexpr std::array<double, 8> kGainTable{1, 2, 5, 10, 20, 50, 100, 200};
inline constexpr std::array<double, 8> kAutoAverageTable{1, 1, 1, 1, 2, 2, 4, 8};
inline constexpr double kRTop = 470000.0;
inline constexpr double kRSense = 17.8;

// Set-point codes.
int anodeCode(double volts, double vsupply, double rHv, double gainFactor);
int gridCode(double volts, const CalibrationRecord& cal);  // 0..1023, sign not sent
int heaterCode(double volts, double supply);

// The compliance code of list entry index (0..8), "00" for anything else.
std::string complianceCode(int index);

// "00" settings string from the four list indexes of the main window.
std::string settingsString(int iaRange, int isRange, int averageIndex, int complianceIndex);
std::string pingString();      // "50" and sixteen "0"
std::string endSweepString();  // "30" and sixteen "0"
std::string heaterString(int code);
std::string pointString(std::string_view command, int anode, int screen, int grid, int heater);

// A result string read field by field. Missing characters (an interrupted read) read as
// 0; a field holding anything but hex digits, or gain indices that are not two decimal
// digits within 0..7, makes the result invalid.
struct ResultFields {
    std::string statusText;
    int status = 0;
    std::array<std::string, 9> text;  // fields 1..9 at index 0..8
    std::array<int, 8> value{};       // hex fields 1..8, signed 16-bit
    int gainIndexA = 0;
    int gainIndexS = 0;
    bool valid = true;
    std::string problem;  // why it is invalid
};
ResultFields splitResult(std::string_view result);

// A result read with the calibration and settings in force.
struct DecodedResult {
    ResultFields fields;
    bool valid() const { return fields.valid; }
    bool compliance = false;  // the instrument held a current at its compliance limit
    // Fields 1..8 as the debug window shows them: the currents (1 and 3) averaged but
    // before their gain, the others converted.
    std::array<double, 8> value{};
    double gainA = 1.0;  // the ranges the instrument chose
    double gainS = 1.0;
    double average = 1.0;  // the number of readings the currents are summed over
    double ia = 0.0;       // mA
    double is = 0.0;
    double vaMeasured = 0.0;  // V
    double vsMeasured = 0.0;
    // The measured voltages less the drop across the sense resistor and the diode.
    double vaCorrected = 0.0;
    double vsCorrected = 0.0;
    double vsupplyMeasured = 0.0;
};
// vsupply is the supply voltage in force, averageIndex the index of cboAverage (6 is
// "Automatic": the instrument's ranges decide). An invalid result is only split.
DecodedResult decodeResult(std::string_view result, const CalibrationRecord& cal, double vsupply,
                           int averageIndex);

}  // namespace ostrino
