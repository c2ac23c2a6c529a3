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

// Waits until a character is waiting, at most seconds on the clock. True when one is;
// false at once when the port has failed (the exchanges then end with their message and
// the caller tells the port's reason).
bool waitForCharFor(SerialPort& port, Clock& clock, double seconds);

// A message with the port's reason after it as a sentence of its own, each ending with a
// full stop: "Fix Connection with Ostrino and Restart Measurement.\n\nThe serial port could
// not be opened (/dev/ttyUSB0: No such file or directory)." Without a reason the message
// stays exactly as it is.
std::string withPortReason(std::string_view message, std::string_view reason);

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
