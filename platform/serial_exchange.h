#pragma once
// The character-level exchange that both instrument generations use: a command goes out
// one character at a time, each checked against the instrument's echo before the next,
// and a result comes back in a fixed number of characters. A failed exchange is returned
// as the message the user is shown; the caller decides what a fault does.

#include <functional>
#include <string>
#include <string_view>

#include "platform/clock.h"
#include "platform/serial_port.h"

namespace ostrino {

// Waits until a character is waiting, at most seconds on the clock. True when one is.
bool waitForCharFor(SerialPort& port, Clock& clock, double seconds);

// Seen by the caller during sendEchoed (to show the exchange while it happens).
struct EchoWatch {
    std::function<void(char)> sending;  // before a character is written
    std::function<void(char)> echoed;   // after its echo is read
};

// Sends the first length characters of command, waiting up to echoTimeout for each echo.
// A shorter command runs out of characters and ends on the missing echo. Returns an
// empty string, or the message of the first fault (the exchange stops there).
std::string sendEchoed(SerialPort& port, Clock& clock, std::string_view command, int length,
                       double echoTimeout, const EchoWatch& watch = {});

// Reads a result of length characters into result, waiting up to charTimeout for each.
// Returns an empty string, or the message when the result stops short.
std::string receiveResult(SerialPort& port, Clock& clock, std::string& result, int length,
                          double charTimeout);

}  // namespace ostrino
