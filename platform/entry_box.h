#pragma once
// Reading a number typed into a text box. A box that does not hold a number (or a whole
// number that does not fit an Integer) gets one message naming it, and nothing is read,
// so the setting keeps its previous value.

#include <optional>
#include <string>

#include "platform/dialogs.h"

namespace ostrino {

std::optional<double> readNumberBox(const std::string& text, const std::string& box,
                                    Dialogs& dialogs);
// Rounded half to even into a 16-bit Integer.
std::optional<int> readIntegerBox(const std::string& text, const std::string& box,
                                  Dialogs& dialogs);

}  // namespace ostrino
