#pragma once
// Numbers and CSV cells as the library writes them: '.' as the decimal point whatever the
// locale (std::to_chars does not look at the locale).

#include <string>
#include <string_view>

namespace ostrino::library {

// The shortest text that reads back to the same number: "1", "0.25", "-12.5", "1e-05".
std::string shortestNumber(double v);

// A fixed number of decimals: fixedNumber(2.345, 2) == "2.35" (to nearest).
std::string fixedNumber(double v, int decimals);

// A CSV cell: quoted (with doubled quotes) when it holds a comma, a quote, a line break or
// blanks at either end.
std::string csvCell(std::string_view text);

// The width of a text on a terminal, counting UTF-8 characters rather than bytes.
std::size_t displayWidth(std::string_view text);

}  // namespace ostrino::library
