#include "console1/gen1_link.h"

#include "common/numbers.h"

namespace ostrino::gen1 {

namespace {

std::string shown(double v, int decimals) {
    return numberText(Decimals(v, decimals).value_or(v));
}

std::string fullScaleLabel(bool ia, bool is) {
    if (ia && is) {
        return "Ia, Is at full scale";
    }
    if (ia || is) {
        return std::string(ia ? "Ia" : "Is") + " at full scale";
    }
    return {};
}

}  // namespace

Gen1Link::Gen1Link(Controls& controls, SerialPort& port, Clock& clock, Dialogs& dialogs,
                   Gen1Hooks& hooks)
    : c_(controls), dialogs_(dialogs), hooks_(hooks), exchange_(port, clock, kLinkProfile) {}

LinkResult Gen1Link::told(LinkResult r) {
    if (!r && !closing() && !r.message.empty()) {
        dialogs_.message(r.message);
    }
    return r;
}

void Gen1Link::reportLinkFault(const std::string& message) {
    const std::string problem = exchange_.takePortProblem();
    if (!closing()) {
        dialogs_.message(withPortReason(message, problem));
    }
}

LinkResult Gen1Link::SndString(std::string_view strCommandString) {
    if (LinkResult r = exchange_.ready(c_.cboComNumber + 1); !r) {
        return r;  // told with the operation's message, as its reason
    }
    const bool debug = c_.chkDebug;
    if (debug) {
        c_.com.lblStringSend.clear();
        c_.com.lblStringEcho.clear();
        Gen1Hooks::call(hooks_.RefreshCom);
    }
    EchoWatch watch;
    if (debug) {
        watch.sending = [this](char sent) { c_.com.lblStringSend += sent; };
        watch.echoed = [this](char echo) {
            c_.com.lblStringEcho += echo;
            Gen1Hooks::call(hooks_.RefreshCom);
        };
    }
    return told(exchange_.send(strCommandString, watch));
}

LinkResult Gen1Link::RecString(std::string& strResultString) {
    return told(exchange_.receive(strResultString));
}

void Gen1Link::SndEsc() {
    if (closing()) {
        return;
    }
    const int number = c_.cboComNumber + 1;
    if (const LinkResult r = exchange_.open(number); !r) {
        exchange_.takePortProblem();  // told here, not with a later operation
        dialogs_.message(withPortReason("Error, the serial port COM" + std::to_string(number) +
                                            " could not be opened (" + r.reason + ").",
                                        exchange_.openAdvice()));
        return;
    }
    exchange_.sendEsc();
    // After a fault the next exchange still drops what the instrument sent late.
}

LinkResult Gen1Link::DeComposeString(ResultMatrix& m, int i, std::string_view strResultString) {
    const DecodedResult r = decodeResult(strResultString, anodeAlt_, screenAlt_);
    ComLabels& com = c_.com;
    com.lblStat = std::string(1, r.statusChar);
    for (std::size_t n = 0; n < static_cast<std::size_t>(kResultFields); ++n) {
        com.lblStr[n] = r.text[n];
        com.lblInt[n] = std::to_string(r.count[n]);
        com.lblVal[n] = shown(r.value[n], n < 4 ? 3 : 1);
    }
    com.lblFullScale = r.valid ? fullScaleLabel(r.iaFullScale, r.isFullScale) : "";
    Gen1Hooks::call(hooks_.RefreshCom);
    if (!r.valid) {
        exchange_.noteFault();
        return told(LinkResult::fault(
            LinkError::Unreadable,
            "Error, Ostrino sent a result that cannot be read (" + r.problem + ")"));
    }
    if (i >= 0 && i < ResultMatrix::kRows) {
        m(i, ResultMatrix::Ia) = r.ia;
        m(i, ResultMatrix::Is) = r.is;
        m.fullScale[static_cast<std::size_t>(i)] =
            static_cast<unsigned char>((r.iaFullScale ? ResultMatrix::kIaFullScale : 0u) |
                                       (r.isFullScale ? ResultMatrix::kIsFullScale : 0u));
    }
    return {};
}

void Gen1Link::cmdCloseCom_Click() {
    exchange_.close();
}

void Gen1Link::shutDown() {
    exchange_.shutDown();
}

}  // namespace ostrino::gen1
