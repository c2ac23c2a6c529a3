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

LinkResult sendEchoed(SerialPort& port, Clock& clock, std::string_view command, int length,
                      double echoTimeout, const EchoWatch& watch) {
    static constexpr const char* kNoEcho =
        "Error, Ostrino failed to echo character in reasonable time";
    for (std::size_t pos = 0; pos < static_cast<std::size_t>(length); ++pos) {
        const bool haveChar = pos < command.size();
        const char sent = haveChar ? command[pos] : '\0';
        if (haveChar) {
            if (watch.sending) {
                watch.sending(sent);
            }
            if (!port.write(std::string_view(&sent, 1))) {
                // No echo can come; the user hears it as before, the reason says why.
                return LinkResult::fault(LinkError::WriteFailed, kNoEcho, port.failure());
            }
        }
        if (!waitForCharFor(port, clock, echoTimeout)) {
            const std::string failure = port.failure();
            return LinkResult::fault(failure.empty() ? LinkError::NoEcho : LinkError::PortFailed,
                                     kNoEcho, failure);
        }
        char echo = '\0';
        port.readChar(echo);
        if (watch.echoed) {
            watch.echoed(echo);
        }
        if (!haveChar || echo != sent) {
            return LinkResult::fault(LinkError::WrongEcho,
                                     "Error, Ostrino echoed the wrong character");
        }
    }
    return {};
}

LinkResult receiveResult(SerialPort& port, Clock& clock, std::string& result, int length,
                         double charTimeout) {
    result.clear();
    for (int pos = 0; pos < length; ++pos) {
        if (!port.isOpen() || !waitForCharFor(port, clock, charTimeout)) {
            const std::string failure = port.failure();
            return LinkResult::fault(
                failure.empty() ? LinkError::Interrupted : LinkError::PortFailed,
                "Error, The result string from the Ostrino was interrupted", failure);
        }
        char c = '\0';
        port.readChar(c);
        result += c;
    }
    return {};
}

SerialExchange::SerialExchange(SerialPort& port, Clock& clock, const LinkProfile& profile)
    : port_(port), clock_(clock), profile_(profile) {}

std::string SerialExchange::portLabel() const {
    std::string label = "The serial port";
    if (profile_.namePortNumber) {
        label += " COM" + std::to_string(openPortNumber_);
    }
    return label;
}

LinkResult SerialExchange::open(int portNumber) {
    if (port_.isOpen()) {
        return {};
    }
    if (shutDown_) {
        return LinkResult::fault(LinkError::NotOpen, {});
    }
    std::string error;
    openPortNumber_ = portNumber;
    if (!port_.open(portNumber, error)) {
        const OpenFault fault = port_.openFault();
        const std::string device = port_.deviceName(portNumber);
        // A device named on the command line is not chosen by its number.
        const bool numbered = device == mappedSerialDevice(portNumber);
        openAdvice_ = openFaultAdvice(
            fault, device, numbered ? portNumber : 0, profile_.portCount,
            fault == OpenFault::Missing ? port_.serialDevices() : std::vector<SerialDeviceInfo>{});
        portProblem_ = portLabel() + " could not be opened (" + error + ")";
        if (!openAdvice_.empty()) {
            portProblem_ += ". " + openAdvice_;
        }
        return LinkResult::fault(LinkError::NotOpen, {}, error);
    }
    portProblem_.clear();
    openAdvice_.clear();
    return {};
}

LinkResult SerialExchange::ready(int portNumber) {
    if (shutDown_) {
        return LinkResult::fault(LinkError::NotOpen, {});
    }
    bool opened = false;
    if (!port_.isOpen()) {
        if (LinkResult r = open(portNumber); !r) {
            return r;
        }
        opened = true;
    }
    if (recoveryPending_ && (opened || profile_.recoverBeforeNextCommand)) {
        recover();
    }
    return {};
}

LinkResult SerialExchange::send(std::string_view command, const EchoWatch& watch) {
    LinkResult r =
        sendEchoed(port_, clock_, command, profile_.commandLength, profile_.echoTimeout, watch);
    if (!r) {
        noteFault();
    }
    return r;
}

LinkResult SerialExchange::receive(std::string& result) {
    LinkResult r =
        receiveResult(port_, clock_, result, profile_.resultLength, profile_.resultCharTimeout);
    if (!r) {
        noteFault();
    }
    return r;
}

bool SerialExchange::sendEsc() {
    if (recoveryPending_ && !profile_.recoverBeforeNextCommand) {
        recover();
        return port_.failure().empty();
    }
    return port_.write(std::string(1, profile_.escChar));
}

void SerialExchange::recover() {
    port_.write(std::string(1, profile_.escChar));
    const double deadline = clock_.now() + profile_.recoveryDrainTime;
    for (;;) {
        char c;
        while (port_.readChar(c)) {
        }
        const double remaining = deadline - clock_.now();
        if (remaining <= 0.0 || !port_.failure().empty()) {
            break;
        }
        port_.waitForChar(remaining);
    }
    recoveryPending_ = false;
}

void SerialExchange::noteFault() {
    recoveryPending_ = true;
    const std::string failure = port_.failure();
    if (!failure.empty()) {
        portProblem_ = portLabel() + " failed (" + failure + ")";
        port_.close();
    }
}

std::string SerialExchange::takePortProblem() {
    std::string problem = std::move(portProblem_);
    portProblem_.clear();
    return problem;
}

void SerialExchange::close() {
    if (port_.isOpen()) {
        port_.close();
    }
}

void SerialExchange::shutDown() {
    shutDown_ = true;
    close();
}

}  // namespace ostrino
