#pragma once
// The hexadecimal fields of the instrument's command and result strings, in either
// protocol generation.

#include <optional>
#include <string>
#include <string_view>

namespace ostrino {

// Upper-case hex, right-aligned in a field of '0's; a negative value renders as its
// 16-bit two's complement. A value too long for the field keeps its last digits.
std::string hexField(int value, int width = 4);

// The value of a run of hex digits of either case (up to seven), nullopt if anything
// else is in it; an empty run reads as 0.
std::optional<int> readHex(std::string_view digits);

// As readHex, but four digits are a signed 16-bit number.
std::optional<int> readHex16(std::string_view digits);

}  // namespace ostrino
