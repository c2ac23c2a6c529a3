#pragma once
// A fitted model as a SPICE subcircuit: behavioural current sources with the model's
// equations and the parameters as .param lines. It loads unchanged in ngspice and uses
// nothing LTspice rejects: only pwr, exp, ln, sqrt, atan, abs and max, and every power or
// logarithm has a base that cannot reach zero or go negative.
//
// Pins: triode P G K, pentode P G2 G K (anode, screen grid, control grid, cathode).

#include <string>
#include <string_view>

#include "model/model_record.h"

namespace ostrino::model {

// A subcircuit name made from a title: letters, digits and '_' only, starting with a letter
// ("ECC82 #1" gives "ECC82__1", "300B" gives "V300B"); the model's name for an empty title.
std::string spiceName(std::string_view title, ModelKind kind);

// The text of the subcircuit file (lines end in LF).
std::string spiceSubcircuit(const ModelRecord& record, std::string_view subcircuitName);

// Writes the file safely (a failed write leaves an existing file as it was); false with a
// reason in error when it cannot be written.
bool saveSpiceFile(const std::string& path, const ModelRecord& record,
                   std::string_view subcircuitName, std::string& error);

}  // namespace ostrino::model
