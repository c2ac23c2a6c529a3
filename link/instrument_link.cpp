#include "link/instrument_link.h"

#include <algorithm>
#include <cmath>

#include "common/numbers.h"
#include "platform/serial_exchange.h"

namespace ostrino {

namespace {

// A value rounded for the debug window; a value too large to round is shown as it is.
std::string shown(double v, int decimals) {
    const auto rounded = Decimals(v, decimals);
    return numberText(rounded ? *rounded : v);
}

constexpr int kPingRow = 999;

bool rowInMatrix(int i) {
    return i >= 0 && i < MeasMatrix::kRows;
}

// The last guard before the wire: the settings' checks keep every sweep and quick test
// inside these limits, so a set point beyond them is a fault of the program and would drive
// the valve past what the hardware is built for. Computed points may miss a limit by a
// rounding error.
constexpr double kLowestGrid = -50.0;
constexpr double kRoundingSlack = 1e-9;

// Why a set point may not be sent; empty when it lies within lo..hi.
std::string setPointProblem(const char* name, double volts, double lo, double hi) {
    const double slack = kRoundingSlack * std::max(1.0, std::fabs(hi - lo));
    if (volts >= lo - slack && volts <= hi + slack) {
        return {};
    }
    return std::string("Error, the set point ") + name + " = " + numberText(volts) +
           " V lies outside the limits of the instrument (" + numberText(lo) + " to " +
           numberText(hi) + " V) and has not been sent";
}

}  // namespace

InstrumentLink::InstrumentLink(const LinkSources& sources, FrmComModel& com, SerialPort& port,
                               Clock& clock, Dialogs& dialogs)
    : in_(sources),
      com_(com),
      port_(port),
      clock_(clock),
      dialogs_(dialogs),
      exchange_(port, clock, kLinkProfile) {}

std::string InstrumentLink::ComposeMeasString(int i, std::string_view strCommand) {
    return ComposeMeasString(in_.matrix, i, strCommand);
}

std::string InstrumentLink::ComposeMeasString(const MeasMatrix& m, int i,
                                              std::string_view strCommand) {
    if (!rowInMatrix(i)) {
        return {};
    }
    const auto& cal = in_.cal;
    const double va = m(i, MeasMatrix::Va);
    const double vs = m(i, MeasMatrix::Vs);
    const double vg = m(i, MeasMatrix::Vg);
    const double vh = m(i, MeasMatrix::Vh);
    const double heaterSupply = in_.externalHeater ? in_.externalHeaterVoltage : in_.vsupply;

    const int codes[4] = {
        anodeCode(va, in_.vsupply, cal.rHv(), cal.dblCalVar(1)),
        anodeCode(vs, in_.vsupply, cal.rHv(), cal.dblCalVar(2)),
        gridCode(vg, cal),
        heaterCode(vh, heaterSupply),
    };
    const double values[4] = {va, vs, vg, vh};
    const int decimals[4] = {1, 1, 2, 2};
    for (std::size_t f = 0; f < 4; ++f) {
        com_.lblValue[f] = shown(values[f], decimals[f]);
        com_.lblInteger[f] = std::to_string(codes[f]);
        com_.lblString[f] = hexField(codes[f], 4);
    }
    const double vmax = cal.maxAnodeVoltage();
    for (const std::string& problem :
         {setPointProblem("Va", va, 0.0, vmax), setPointProblem("Vs", vs, 0.0, vmax),
          setPointProblem("Vg", vg, kLowestGrid, 0.0),
          setPointProblem("Vh", vh, 0.0, in_.maxHeaterVoltage())}) {
        if (!problem.empty()) {
            refusedSetPoint_ = problem;
            return {};
        }
    }
    refusedSetPoint_.clear();
    return pointString(strCommand, codes[0], codes[1], codes[2], codes[3]);
}

LinkResult InstrumentLink::SndSettings() {
    const std::string s =
        settingsString(in_.iaRange, in_.isRange, in_.average, in_.complianceRange);
    com_.lblCompliance = s.substr(10, 2);
    com_.lblAverage = s.substr(12, 2);
    com_.lblIsGain = s.substr(14, 2);
    com_.lblIaGain = s.substr(16, 2);
    return SndString(s);
}

LinkResult InstrumentLink::SetFilament(double dblHeaterVoltage) {
    for (std::size_t f = 0; f < 3; ++f) {
        com_.lblValue[f] = "0";
        com_.lblInteger[f] = "0";
        com_.lblString[f] = "0000";
    }
    const double supply = in_.externalHeater ? in_.externalHeaterVoltage : in_.vsupply;
    const int code = heaterCode(dblHeaterVoltage, supply);
    com_.lblValue[3] = shown(dblHeaterVoltage, 2);
    com_.lblInteger[3] = std::to_string(code);
    com_.lblString[3] = hexField(code, 4);
    const std::string problem =
        setPointProblem("Vh", dblHeaterVoltage, 0.0, in_.maxHeaterVoltage());
    if (!problem.empty()) {
        return refused(LinkError::Refused, problem);
    }
    return SndString(heaterString(code));
}

LinkResult InstrumentLink::DeComposeString(int i, std::string_view strResultString,
                                           bool afterFault) {
    return DeComposeString(in_.matrix, i, strResultString, afterFault);
}

LinkResult InstrumentLink::DeComposeString(MeasMatrix& m, int i, std::string_view strResultString,
                                           bool afterFault) {
    const DecodedResult d = decodeResult(strResultString, in_.cal, in_.vsupply, in_.average);
    if (!d.valid() || !rowInMatrix(i)) {
        // An answer that cannot be read is a broken link, not a measurement.
        const std::string message =
            "Error, Ostrino sent a result that cannot be read (" + d.fields.problem + ")";
        if (afterFault) {
            return LinkResult::fault(LinkError::Unreadable, message);
        }
        return refused(LinkError::Unreadable, message);
    }
    const ResultFields& r = d.fields;
    com_.lblStat = std::to_string(r.status);
    if (d.compliance) {
        in_.compliance = true;
    }
    in_.vsupplyMeasured = d.vsupplyMeasured;
    for (std::size_t n = 0; n < 8; ++n) {
        com_.lblStr[n] = r.text[n];
        com_.lblInt[n] = std::to_string(r.value[n]);
        com_.lblVal[n] = shown(d.value[n], 1);
    }
    com_.lblIaRetGainHex = r.text[8].substr(0, std::min<std::size_t>(2, r.text[8].size()));
    com_.lblIsRetGainHex = r.text[8].size() > 2 ? r.text[8].substr(2) : std::string();
    com_.lblIaRetGainDec = numberText(d.gainA);
    com_.lblIsRetGainDec = numberText(d.gainS);
    com_.lblActualAverage = numberText(d.average);

    m(i, MeasMatrix::Ia) = d.ia;
    m(i, MeasMatrix::Is) = d.is;
    if (com_.chkcorrection) {
        m(i, MeasMatrix::Va) = d.vaCorrected;
        m(i, MeasMatrix::Vs) = d.vsCorrected;
    }
    com_.refreshNow();
    return {};
}

LinkResult InstrumentLink::told(LinkResult r) {
    if (!r.message.empty()) {
        dialogs_.message(r.message, MessageIcon::Exclamation);
    }
    return r;
}

LinkResult InstrumentLink::refused(LinkError error, std::string message) {
    LinkResult r = told(LinkResult::fault(error, std::move(message)));
    exchange_.noteFault();
    return r;
}

LinkResult InstrumentLink::SndString(std::string_view strCommandString) {
    if (strCommandString.size() != kCommandLength) {
        std::string problem = !refusedSetPoint_.empty() ? refusedSetPoint_
                                                        : "Error, a command that is not " +
                                                              std::to_string(kCommandLength) +
                                                              " characters long has not been sent";
        refusedSetPoint_.clear();
        return refused(LinkError::Refused, std::move(problem));
    }
    if (LinkResult r = exchange_.ready(in_.cal.intCOMport); !r) {
        return r;  // told with the connection message, as its reason
    }
    com_.lblStringSend.clear();
    com_.lblStringEcho.clear();
    com_.refreshNow();
    EchoWatch watch;
    watch.sending = [this](char sent) {
        com_.lblStringSend += sent;
        com_.refreshNow();
    };
    watch.echoed = [this](char echo) {
        com_.lblStringEcho += echo;
        com_.refreshNow();
    };
    return told(exchange_.send(strCommandString, watch));
}

LinkResult InstrumentLink::RecString(std::string& strResultString) {
    return told(exchange_.receive(strResultString));
}

void InstrumentLink::SndEsc() {
    if (!exchange_.open(in_.cal.intCOMport)) {
        if (!exchange_.closing()) {
            reportConnectionFault();
        }
        return;
    }
    exchange_.sendEsc();
}

bool InstrumentLink::DoPing() {
    LinkResult r = SndSettings();
    if (r) {
        r = SndString(pingString());
    }
    if (r) {
        std::string result;
        const LinkResult read = RecString(result);
        // The answer is read into the last row of the sweep, which keeps the point it holds:
        // a ping is no measurement.
        const auto kept = in_.matrix.cells[kPingRow];
        const LinkResult decoded = DeComposeString(kPingRow, result, !read.ok());
        in_.matrix.cells[kPingRow] = kept;
        r = read ? decoded : read;
    }
    if (r) {
        const double v = in_.vsupplyMeasured;
        if (v < 17.0) {
            dialogs_.message("Supply voltage too low, Vsup set to default 19.0 V");
            in_.vsupply = 19.0;
        } else if (v > 22.0) {
            dialogs_.message("Supply voltage too high, Vsup set to default 19.0 V");
            in_.vsupply = 19.0;
        } else {
            in_.vsupply = v;
        }
        return true;
    }
    reportConnectionFault();
    if (onGroundState) {
        onGroundState();
    } else {
        closePort();
    }
    return false;
}

void InstrumentLink::closePort() {
    exchange_.close();
}

void InstrumentLink::shutDown() {
    exchange_.shutDown();
}

std::string InstrumentLink::takeConnectionMessage() {
    return withPortReason(kConnectionMessage, exchange_.takePortProblem());
}

void InstrumentLink::reportConnectionFault() {
    dialogs_.message(takeConnectionMessage(), MessageIcon::Exclamation);
}

}  // namespace ostrino
