#pragma once
// Number rules shared by both consoles.
//
// "Integer" is a 16-bit signed whole number and "Long" a 32-bit one. Converting a
// Double into either rounds half to even (as the instrument-era runtime did) and
// reports an overflow instead of wrapping around. Text always uses '.' as the
// decimal separator, whatever the locale.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ostrino {

// Round half to even to a whole number (no range check).
double roundHalfEven(double v);

// Checked conversions: nullopt when the rounded value does not fit (or v is not finite).
std::optional<std::int16_t> toInteger(double v);
std::optional<std::int32_t> toLong(double v);

// An instrument code from a computed value: cut toward zero and held within the Integer
// range; a value that is not finite gives 0. The settings' limits keep every code far
// inside the range, so the clamp only guards against nonsense input.
int clampToInteger(double v);

// Decimals(dblInvar, n): dblInvar rounded to n decimals (n = 0..3), ties to even.
// W = round-half-even(dblInvar * 10^n) must fit a signed 32-bit integer; when it does
// not, the result is nullopt (the caller decides what to show). Any other n gives 0.
std::optional<double> Decimals(double dblInvar, int n);

// The general text form of a number as shown in text boxes, labels and messages:
// the shortest text (at most 15 significant digits) that reads back to the same
// Double; "0.5", "-0.25", "12", "1E+15", "1E-05".
std::string numberText(double v);

// The value an axis prints at a tick: rounded to at most four significant digits, so that
// a tick between round values reads "8.333" and not "8.33333333333333" (round values such as
// 0.25 or 1000 are unchanged). A tick that should be 0 but misses it by the rounding of the
// tick arithmetic (-2.8 + 4.2 * 2 / 3 gives -4.44E-16), by far less than the axis' span,
// reads as 0.
double axisNumber(double v, double span);

// The same form as written into text files: no "0" before the decimal separator
// (".5", "-.25"), as the file layout has always had it.
std::string fileNumberText(double v);

// Strict reading of a number typed into a text box or found in a file:
// optional sign, digits with an optional '.' fraction (".5" and "5." are fine),
// optional exponent; leading and trailing blanks are ignored. Anything else,
// an empty text included, is nullopt.
std::optional<double> parseNumber(std::string_view text);

// The leading number of a line (the rest, a label, is ignored). Blanks before
// the number are skipped; nullopt when the line does not start with a number.
std::optional<double> leadingNumber(std::string_view line);

}  // namespace ostrino
