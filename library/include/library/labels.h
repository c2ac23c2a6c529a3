#pragma once
// The label proposed for the next valve of a box: the last one counted up.

#include <string>
#include <string_view>

namespace ostrino::library {

// The label after `last` for a valve of type `valveType`:
//  - a label that ends in a number counts it up, keeping leading zeros as wide as they were
//    ("ECC83 #7" -> "ECC83 #8", "A09" -> "A10", "box 099" -> "box 100");
//  - a label without a number of its own, or the type name alone (its digits are part of
//    the name: "ECC83" is no 83rd valve), gets " #2";
//  - no last label: the type followed by " #1" (empty when there is no type either).
std::string nextLabel(std::string_view last, std::string_view valveType);

}  // namespace ostrino::library
