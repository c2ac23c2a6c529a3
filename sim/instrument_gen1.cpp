#include "sim/instrument_gen1.h"

#include <algorithm>
#include <cmath>
#include <string_view>

#include "common/hex_fields.h"

namespace ostrino::sim {

namespace {

constexpr int kResultLength = 34;

constexpr double kCountsPerVolt = 1024.0 / 5.0;
constexpr int kAdcMax = 1023;
constexpr double kSupplyDivider = 559810.0 / 6810.0;  // volts at the valve per converter volt
constexpr double kInputDivider = 5420.0 / 3920.0;     // sense inputs
constexpr double kReference = 2.0;
constexpr double kNegativeGridSupply = -65.0;
constexpr double kNegativeAuxSupply = -15.0;

int clampAdc(double counts) {
    return static_cast<int>(std::clamp(std::round(counts), 0.0, static_cast<double>(kAdcMax)));
}

}  // namespace

InstrumentGen1::InstrumentGen1(const SimOptions& options) : SimulatedInstrument(options) {}

void InstrumentGen1::execute(const std::string& cmd, double t, bool faulty) {
    const std::string_view code = std::string_view(cmd).substr(0, 2);
    auto field = [&cmd](std::size_t start, std::size_t width) {
        return readHex(std::string_view(cmd).substr(start, width));
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
            sendResult(buildResult(faulty && options_.fault == FaultKind::BadGainIndex), t, faulty);
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
        s += hexField(v);
    }
    if (garbled) {
        s[7] = 'X';  // a field that is not hexadecimal
    }
    return s;
}

}  // namespace ostrino::sim
