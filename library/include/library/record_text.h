#pragma once
// How a record reads for the user, the same in the window and on the command line.

#include <string>
#include <utility>
#include <vector>

#include "library/record.h"

namespace ostrino::library {

// What was measured: "42 points" or "quick test", with ", model" when a model was fitted.
std::string measurementText(const RecordSummary& summary);

// The record's details as caption and text: "Measured:" "2024-05-01 12:34:56 UTC", ...
// The quick-test figures take one line per section (the caption on the first only).
std::vector<std::pair<std::string, std::string>> recordDetails(const StoredRecord& stored);

}  // namespace ostrino::library
