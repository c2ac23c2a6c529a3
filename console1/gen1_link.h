#pragma once
// The serial link of the first-generation console: the shared echo-checked exchange with
// this generation's profile, the debug view of each exchange and the decoding of results
// with the current ranges the relays were set to.
//
// Serial waits block on the port against the monotonic clock: 3 s for each echo, 30 s for
// each result character.

#include <string>
#include <string_view>

#include "console1/gen1_hooks.h"
#include "console1/gen1_protocol.h"
#include "console1/gen1_state.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/serial_exchange.h"
#include "platform/serial_port.h"

namespace ostrino::gen1 {

inline constexpr double kEchoTimeout = 3.0;
inline constexpr double kResultCharTimeout = 30.0;
inline constexpr double kRecoveryDrainTime = 0.1;  // stray answers after a fault
inline constexpr int kPortCount = 4;               // "COM1" .. "COM4"
// After a fault the esc character goes out before the next command; reasons name the port
// by its COM number.
inline constexpr LinkProfile kLinkProfile{
    kCommandLength,     kResultLength, kEchoTimeout, kResultCharTimeout, kEscChar,
    kRecoveryDrainTime, true,          true,         kPortCount};

class Gen1Link {
  public:
    Gen1Link(Controls& controls, SerialPort& port, Clock& clock, Dialogs& dialogs,
             Gen1Hooks& hooks);

    // A fault has been shown to the user when it is returned (unless the window is
    // closing).
    LinkResult SndString(std::string_view strCommandString);
    LinkResult RecString(std::string& strResultString);
    void SndEsc();
    // Decodes a result into row i of m and shows its fields. A result that cannot be read
    // is a fault and leaves the row's currents alone.
    LinkResult DeComposeString(ResultMatrix& m, int i, std::string_view strResultString);
    // An operation's closing message, with the port's reason when it could not be opened
    // or failed.
    void reportLinkFault(const std::string& message);

    // The current ranges the relays were last set to; results are read with these, so
    // that ticking a range box during a run cannot rescale the points already coming in.
    void setRanges(bool anodeAlt, bool screenAlt) {
        anodeAlt_ = anodeAlt;
        screenAlt_ = screenAlt;
    }
    bool anodeAlt() const { return anodeAlt_; }
    bool screenAlt() const { return screenAlt_; }

    void cmdCloseCom_Click();
    // The window is closing: the port is closed and nothing more is sent.
    void shutDown();
    bool closing() const { return exchange_.closing(); }

  private:
    LinkResult told(LinkResult r);

    Controls& c_;
    Dialogs& dialogs_;
    Gen1Hooks& hooks_;
    SerialExchange exchange_;
    bool anodeAlt_ = false;
    bool screenAlt_ = false;
};

}  // namespace ostrino::gen1
