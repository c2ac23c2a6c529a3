#pragma once
// The stepping values of a sweep (one curve each), as typed into their text box.

#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace ostrino {

// The message for a stepping value outside min..max, empty when it lies within.
std::string steppingValueProblem(double value, double min, double max);

// Reads numbers separated by single spaces: every single space separates two tokens, so
// "1  2" and "1 " hold an empty token; an empty text holds none. A token that is not a
// number or lies outside min..max is reported and skipped; beyond values.size() the
// rest are dropped, reported once. count goes from 0 up as values are taken; when none
// is, the one value is fallback.
void readSteppingValues(std::string_view text, double min, double max, double fallback,
                        std::span<double> values, int& count,
                        const std::function<void(const std::string& message)>& report);

}  // namespace ostrino
