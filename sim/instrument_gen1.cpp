#include "sim/instrument_gen1.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>
#include <string_view>

namespace ostrino::sim {

namespace {

constexpr int kCommandLength = 18;
constexpr int kResultLength = 34;
constexpr char kDropCommand = 39;

constexpr double kCountsPerVolt = 1024.0 / 5.0;
constexpr int kAdcMax = 1023;
constexpr double kSupplyDivider = 559810.0 / 6810.0;  // volts at the valve per converter volt
constexpr double kInputDivider = 5420.0 / 3920.0;     // sense inputs
constexpr double kReference = 2.0;
constexpr double kNegativeGridSupply = -65.0;
constexpr double kNegativeAuxSupply = -15.0;

std::optional<int> parseHex(std::string_view s) {
    int v = 0;
    for (char c : s) {
        int d;
        if (c >= '0' && c <= '9') {
            d = c - '0';
        } else if (c >= 'A' && c <= 'F') {
            d = c - 'A' + 10;
        } else if (c >= 'a' && c <= 'f') {
            d = c - 'a' + 10;
        } else {
            return std::nullopt;
        }
        v = v * 16 + d;
    }
    return v;
}

int clampAdc(double counts) {
    return static_cast<int>(std::clamp(std::round(counts), 0.0, static_cast<double>(kAdcMax)));
}

void appendHex(std::string& s, int value) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%04X", static_cast<unsigned>(value) & 0xFFFFu);
    s += buf;
}

}  // namespace

InstrumentGen1::InstrumentGen1(const SimOptions& options) : options_(options) {
    valve_ = findValve(options_.valve);
    if (valve_ == nullptr) {
        valve_ = findValve(SimOptions{}.valve);
    }
}

bool InstrumentGen1::faultActive() const {
    return options_.fault != FaultKind::None && commands_ >= options_.faultAfterCommands;
}

double InstrumentGen1::nextOutputTime() const {
    return out_.empty() ? std::numeric_limits<double>::infinity() : out_.front().first;
}

char InstrumentGen1::popOutput() {
    if (out_.empty()) {
        return '\0';
    }
    const char c = out_.front().second;
    out_.pop_front();
    return c;
}

int InstrumentGen1::outputDueBy(double t) const {
    int n = 0;
    for (const auto& entry : out_) {
        if (entry.first > t) {
            break;
        }
        ++n;
    }
    return n;
}

void InstrumentGen1::emit(char c, double t) {
    const double earliest = options_.lineRate ? lastOutTime_ + kCharTime : lastOutTime_;
    const double due = std::max(t, earliest);
    out_.emplace_back(due, c);
    lastOutTime_ = due;
}

void InstrumentGen1::receive(char c, double t) {
    if (silent_) {
        return;
    }
    if (c == kDropCommand) {
        partial_.clear();
        return;
    }
    const int position = static_cast<int>(partial_.size()) + 1;
    const bool faultHere = faultActive() && position == options_.faultPosition;
    if (faultHere && options_.fault == FaultKind::Silent) {
        silent_ = true;
        return;
    }
    const char echo =
        faultHere && options_.fault == FaultKind::WrongEcho ? static_cast<char>(c ^ 1) : c;
    emit(echo, options_.lineRate ? t + kCharTime : t);
    partial_ += c;
    if (static_cast<int>(partial_.size()) == kCommandLength) {
        std::string cmd;
        cmd.swap(partial_);
        execute(cmd, t);
    }
}

void InstrumentGen1::execute(const std::string& cmd, double t) {
    const bool faulty = faultActive();
    ++commands_;
    if (commandListener_) {
        commandListener_(cmd);
    }
    const std::string_view code = std::string_view(cmd).substr(0, 2);
    auto field = [&cmd](std::size_t start, std::size_t width) {
        return parseHex(std::string_view(cmd).substr(start, width));
    };
    const auto a = field(2, 4), b = field(6, 4), c = field(10, 4), d = field(14, 4);
    auto heater = [this](int heaterCode) {
        vh_ = std::sqrt(std::clamp(heaterCode, 0, 1024) * 380.25 / 1024.0);
    };

    if (code == "00") {
        if (const auto relay = field(16, 2)) {
            relay_ = *relay;
        }
    } else if (code == "10" || code == "20") {
        if (a && b && c && d) {
            va_ = std::min(*a, kAdcMax) / kCountsPerVolt * kSupplyDivider;
            vs_ = std::min(*b, kAdcMax) / kCountsPerVolt * kSupplyDivider;
            const double r = (relay_ & 4) != 0 ? 3920.0 : 14601.0;
            const double u = std::min(*c, kAdcMax) / kCountsPerVolt;
            vg_ = std::min(0.0, (u * (r + 1210.0) - 5.0 * r) / 1210.0);
            heater(*d);
        }
        if (code == "10") {
            const std::string text =
                buildResult(faulty && options_.fault == FaultKind::BadGainIndex);
            int length = kResultLength;
            if (faulty && options_.fault == FaultKind::TruncatedResult) {
                length = std::clamp(options_.faultPosition, 0, kResultLength);
            }
            for (int i = 0; i < length; ++i) {
                emit(text[static_cast<std::size_t>(i)], t + options_.measureTime);
            }
        }
    } else if (code == "40") {
        if (d) {
            heater(*d);
        }
    }
}

void InstrumentGen1::currents(double& ia, double& is) const {
    const double anodeSense = (relay_ & 1) != 0 ? 22.1 : 296.1;
    const double screenSense = (relay_ & 2) != 0 ? 121.0 : 1331.0;
    const double heaterFactor = vh_ / valve_->nominalHeaterVolts;
    ia = 0.0;
    is = 0.0;
    // The valve sees the set voltage less the drop across the sense resistor, which
    // depends on the current itself; a few rounds settle it.
    for (int i = 0; i < 12; ++i) {
        const double vaValve = std::max(0.0, va_ - ia / 1000.0 * anodeSense);
        const double vsValve = std::max(0.0, vs_ - is / 1000.0 * screenSense);
        const ValveCurrents cur = valve_->currents(vaValve, vsValve, vg_, heaterFactor);
        ia = 0.5 * (ia + cur.anode);
        is = 0.5 * (is + cur.screen);
    }
}

double InstrumentGen1::anodeMa() const {
    double ia = 0.0, is = 0.0;
    currents(ia, is);
    return ia;
}

double InstrumentGen1::screenMa() const {
    double ia = 0.0, is = 0.0;
    currents(ia, is);
    return is;
}

std::string InstrumentGen1::result() const {
    return buildResult(false);
}

std::string InstrumentGen1::buildResult(bool garbled) const {
    double ia = 0.0, is = 0.0;
    currents(ia, is);
    const double anodeSense = (relay_ & 1) != 0 ? 22.1 : 296.1;
    const double screenSense = (relay_ & 2) != 0 ? 121.0 : 1331.0;
    const double inputCounts = kCountsPerVolt / kInputDivider;

    const int reference = clampAdc(kReference * inputCounts);
    const double referenceVolts = reference / inputCounts;
    const double anodeCounts = (ia / 1000.0 * anodeSense + 0.5 * referenceVolts) * inputCounts;
    const double screenCounts = (is / 1000.0 * screenSense + 0.5 * referenceVolts) * inputCounts;
    const int anode = clampAdc(anodeCounts);
    const int screen = clampAdc(screenCounts);
    const int status = (anodeCounts > kAdcMax ? 1 : 0) | (screenCounts > kAdcMax ? 2 : 0);

    auto supplyCounts = [](double volts, double rTop, double rBottom) {
        return clampAdc(1024.0 * (1.0 + (volts - 5.0) / (5.0 * (rTop + rBottom) / rBottom)));
    };

    std::string s;
    s.reserve(kResultLength);
    s += "0123456789ABCDEF"[status];
    s += '0';
    for (int v :
         {anode, reference, screen, reference, clampAdc(va_ / kSupplyDivider * kCountsPerVolt),
          clampAdc(vs_ / kSupplyDivider * kCountsPerVolt),
          supplyCounts(kNegativeGridSupply, 47000.0, 2200.0),
          supplyCounts(kNegativeAuxSupply, 22000.0, 2200.0)}) {
        appendHex(s, v);
    }
    if (garbled) {
        s[7] = 'X';  // a field that is not hexadecimal
    }
    return s;
}

}  // namespace ostrino::sim
