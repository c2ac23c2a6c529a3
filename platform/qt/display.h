#pragma once
// Whether a window can be shown at all.

#include <string>

namespace ostrino {

// True when Qt will find a screen: a platform that needs none (offscreen, vnc ...), or
// an X11 or Wayland display.
bool haveDisplay();

// Whether the program's window can open; when it cannot, says so on standard error and
// names where to run it instead, and otherOption (a way without a window) if not empty.
bool windowCanOpen(const std::string& program, const std::string& otherOption = {});

}  // namespace ostrino
