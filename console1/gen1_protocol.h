#pragma once
// The strings of the first-generation instrument, as pure functions.
//
// A command is 18 characters: a two-digit code and four 4-digit upper-case hex fields in
// the order anode, screen, grid, heater. "10" sets the voltages and measures, "20" only
// sets them, "40" sets the heater, "00" sets the range relays. The instrument scales the
// fields through fixed resistor dividers; there are no calibration factors. A "10" is
// answered with 34 characters: a status character, one spare character and eight
// 4-digit hex fields starting at characters 3, 7, ..., 31.

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "common/hex_fields.h"

namespace ostrino::gen1 {

inline constexpr int kCommandLength = 18;
inline constexpr int kResultLength = 34;
inline constexpr int kResultFields = 8;
inline constexpr char kEscChar = 39;  // the apostrophe, not the ASCII escape

// Grid divider resistor: the high range reaches -60 V, the low one about -16 V.
inline constexpr double kGridRLow = 3920.0;
inline constexpr double kGridRHigh = 14601.0;
// Any grid set point below this needs the high grid range.
inline constexpr double kHighGridBelow = -15.0;

// Current sense resistors (ohm): normal and alternative range.
inline constexpr double kAnodeSenseNormal = 296.1;
inline constexpr double kAnodeSenseAlt = 22.1;
inline constexpr double kScreenSenseNormal = 1331.0;
inline constexpr double kScreenSenseAlt = 121.0;

// The current converters have 10 bits: a sense voltage beyond their range reads as the
// full-scale count, so such a count is a bound, not a measurement.
inline constexpr int kFullScaleCount = 1023;

// Field codes, truncated to integers.
int anodeCode(double volts);  // also the screen
int gridCode(double volts, double gridR);
int heaterCode(double volts);

// The grid resistor for a run: the high one when any of its grid set points needs it.
inline double gridResistor(bool highGrid) {
    return highGrid ? kGridRHigh : kGridRLow;
}

// "10" or "20" with the four codes of one point.
std::string pointString(std::string_view command, double va, double vs, double vg, double vf,
                        double gridR);
// "40": every field "0000" except the heater.
std::string heaterString(double vf);
// The relay byte: 48 + 1 (anode alternative range) + 2 (screen alternative range)
// + 4 (low grid range).
int relayByte(bool anodeAlt, bool screenAlt, bool highGrid);
// "00", fourteen "0" and the relay byte as two hex digits.
std::string relayString(int relay);

// A result taken apart and converted.
struct DecodedResult {
    bool valid = false;
    std::string problem;  // why it cannot be read
    char statusChar = '?';
    int status = 0;
    std::array<std::string, kResultFields> text;
    std::array<int, kResultFields> count{};
    std::array<double, kResultFields> value{};
    double ia = 0.0;  // mA
    double is = 0.0;  // mA
    // The anode (field 1) or screen (field 3) sense voltage read as the full-scale count.
    bool iaFullScale = false;
    bool isFullScale = false;
};

// The voltage or value of field n (1..8) for a count x.
double fieldValue(int n, int x);
// A 34-character result; anything shorter, or holding a character that is not a hex
// digit where one belongs, is invalid (the fields that could be read are still filled).
DecodedResult decodeResult(std::string_view result, bool anodeAlt, bool screenAlt);

}  // namespace ostrino::gen1
