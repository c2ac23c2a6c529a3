#include "platform/serial_exchange.h"

namespace ostrino {

bool waitForCharFor(SerialPort& port, Clock& clock, double seconds) {
    const double deadline = clock.now() + seconds;
    while (port.charsWaiting() == 0) {
        const double remaining = deadline - clock.now();
        if (remaining <= 0.0 || !port.failure().empty()) {
            return false;
        }
        port.waitForChar(remaining);
    }
    return true;
}

std::string withPortReason(std::string_view message, std::string_view reason) {
    std::string text(message);
    if (reason.empty()) {
        return text;
    }
    const auto sentence = [](std::string& s) {
        if (!s.empty() && s.back() != '.') {
            s += '.';
        }
    };
    sentence(text);
    text += "\n\n";
    text += reason;
    sentence(text);
    return text;
}

std::string sendEchoed(SerialPort& port, Clock& clock, std::string_view command, int length,
                       double echoTimeout, const EchoWatch& watch) {
    for (std::size_t pos = 0; pos < static_cast<std::size_t>(length); ++pos) {
        const bool haveChar = pos < command.size();
        const char sent = haveChar ? command[pos] : '\0';
        if (haveChar) {
            if (watch.sending) {
                watch.sending(sent);
            }
            port.write(std::string_view(&sent, 1));
        }
        if (!waitForCharFor(port, clock, echoTimeout)) {
            return "Error, Ostrino failed to echo character in reasonable time";
        }
        char echo = '\0';
        port.readChar(echo);
        if (watch.echoed) {
            watch.echoed(echo);
        }
        if (!haveChar || echo != sent) {
            return "Error, Ostrino echoed the wrong character";
        }
    }
    return {};
}

std::string receiveResult(SerialPort& port, Clock& clock, std::string& result, int length,
                          double charTimeout) {
    result.clear();
    for (int pos = 0; pos < length; ++pos) {
        if (!port.isOpen() || !waitForCharFor(port, clock, charTimeout)) {
            return "Error, The result string from the Ostrino was interrupted";
        }
        char c = '\0';
        port.readChar(c);
        result += c;
    }
    return {};
}

}  // namespace ostrino
