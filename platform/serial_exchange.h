#pragma once
// The character-level exchange that both instrument generations use: a command goes out
// one character at a time, each checked against the instrument's echo before the next,
// and a result comes back in a fixed number of characters. A failed exchange is returned
// as a LinkResult: what went wrong, the message the user is shown and the port's reason;
// the caller decides what a fault does.
//
// SerialExchange keeps what both consoles do around it: opening the port when needed,
// closing a port that failed, and after a fault the esc character and the dropping of
// whatever the instrument still sends. What differs between the generations (lengths,
// time-outs, when that recovery runs) is a LinkProfile.

#include <functional>
#include <string>
#include <string_view>

#include "platform/clock.h"
#include "platform/serial_port.h"

namespace ostrino {

// What went wrong in an exchange.
enum class LinkError {
    None,
    NotOpen,      // the port could not be opened, or the program is closing
    WriteFailed,  // the port refused the characters
    PortFailed,   // the port failed or hung up while waiting for the instrument
    NoEcho,       // no echo in time
    WrongEcho,
    Interrupted,  // the result stopped short
    Unreadable,   // a result that cannot be decoded
    Refused,      // a command that may not be sent
};

struct LinkResult {
    LinkError error = LinkError::None;
    std::string message;  // what the user is told (empty when nothing is to be said)
    std::string reason;   // the port's own reason with the device, when it gave one

    bool ok() const { return error == LinkError::None; }
    explicit operator bool() const { return ok(); }

    static LinkResult fault(LinkError error, std::string message, std::string reason = {}) {
        return {error, std::move(message), std::move(reason)};
    }
};

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
// A shorter command runs out of characters and ends on the missing echo. Returns the
// first fault (the exchange stops there).
LinkResult sendEchoed(SerialPort& port, Clock& clock, std::string_view command, int length,
                      double echoTimeout, const EchoWatch& watch = {});

// Reads a result of length characters into result, waiting up to charTimeout for each.
LinkResult receiveResult(SerialPort& port, Clock& clock, std::string& result, int length,
                         double charTimeout);

// What differs between the instrument generations on the wire.
struct LinkProfile {
    int commandLength;
    int resultLength;
    double echoTimeout;        // for each echoed character
    double resultCharTimeout;  // for each result character
    char escChar;              // drops a partly received command
    double recoveryDrainTime;  // stray answers after a fault
    // After a fault: true, the esc character goes out before the next command even on a
    // port that stayed open; false, only when the port is opened again or esc is sent.
    bool recoverBeforeNextCommand;
    // How the port is named in the reasons: "The serial port" or "The serial port COM3".
    bool namePortNumber;
    int portCount;  // the port numbers the console offers, 1..portCount
};

class SerialExchange {
  public:
    SerialExchange(SerialPort& port, Clock& clock, const LinkProfile& profile);

    const LinkProfile& profile() const { return profile_; }
    SerialPort& port() { return port_; }

    // Opens port number n when it is closed. Refused once the program is closing.
    LinkResult open(int portNumber);
    // Opened when needed; after a fault the esc character first, where the profile says so.
    LinkResult ready(int portNumber);
    LinkResult send(std::string_view command, const EchoWatch& watch = {});
    LinkResult receive(std::string& result);
    // The esc character. After a fault (on a profile that recovers only then) it is the
    // recovery: what the instrument still had to say is dropped.
    bool sendEsc();

    // Book-keeping of a fault: the instrument may hold part of a command or still be
    // talking, so the next exchange recovers; a port that failed is closed (a device that
    // hung up stays dead on this handle) and its reason kept for the closing message.
    void noteFault();
    bool recoveryPending() const { return recoveryPending_; }

    // Why the port could not be opened or failed, not yet told ("The serial port failed
    // (/dev/pts/3: the device hung up)"), with what the user can do about a port that could
    // not be opened ("... (/dev/ttyUSB0: Permission denied). To be allowed to use it, add
    // yourself ..."); taking it clears it.
    const std::string& portProblem() const { return portProblem_; }
    std::string takePortProblem();
    // What the user can do about the last port that could not be opened (empty when
    // nothing is to be said); see openFaultAdvice.
    const std::string& openAdvice() const { return openAdvice_; }

    void close();
    // The program is ending: the port is closed and stays closed.
    void shutDown();
    bool closing() const { return shutDown_; }

  private:
    void recover();
    std::string portLabel() const;

    SerialPort& port_;
    Clock& clock_;
    LinkProfile profile_;
    int openPortNumber_ = 0;
    bool recoveryPending_ = false;
    bool shutDown_ = false;
    std::string portProblem_;
    std::string openAdvice_;
};

}  // namespace ostrino
