#include "sim/instrument.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

#include "common/hex_fields.h"

namespace ostrino::sim {

namespace {

constexpr int kResultLength = 38;

constexpr double kRTop = 470000.0;
constexpr double kRSense = 17.8;         // ohm, in the anode and in the screen lead
constexpr double kSaturationDrop = 0.6;  // V across the pass transistor
constexpr double kAdcPerVolt = 1024.0 / 5.0;
constexpr int kAdcMax = 1023;
constexpr double kGridFullScale = 50.0;  // V at DAC code 1023
constexpr int kGridDacMax = 1023;
constexpr double kNegativeSupply = -55.0;
// Below this single-sample count the automatic range is still linear.
constexpr double kAutoRangeCeiling = 1000.0;

constexpr std::array<double, 8> kGain{1, 2, 5, 10, 20, 50, 100, 200};
constexpr std::array<int, 8> kAutoSamples{1, 1, 1, 1, 2, 2, 4, 8};
constexpr int kAutoAveraging = 0x40;

constexpr int kStatusNormal = 0x10;
constexpr int kStatusCompliance = 0x11;

// Anode current limit in mA for a compliance code; 0 means no limit. A code the
// instrument does not know leaves the widest limit in force.
double complianceLimitMa(int code) {
    switch (code) {
        case 0x8F:
            return 200.0;
        case 0x8C:
            return 175.0;
        case 0xAD:
            return 150.0;
        case 0xAB:
            return 125.0;
        case 0x84:
            return 100.0;
        case 0x81:
            return 75.0;
        case 0xA4:
            return 50.0;
        case 0xA2:
            return 25.0;
        case 0x00:
            return 0.0;
        default:
            return 200.0;
    }
}

double countsPerMa(int gainIndex) {
    return kRSense / 1000.0 * kGain[static_cast<std::size_t>(gainIndex)] * kAdcPerVolt;
}

int sampleCount(double ma, int gainIndex) {
    const double counts = std::round(ma * countsPerMa(gainIndex));
    return static_cast<int>(std::clamp(counts, 0.0, static_cast<double>(kAdcMax)));
}

// The fixed range index, or for automatic (and anything out of range) the highest gain
// that keeps one sample below the ceiling.
int chooseRange(int rangeSetting, double ma) {
    if (rangeSetting >= 0 && rangeSetting < static_cast<int>(kGain.size())) {
        return rangeSetting;
    }
    for (int g = static_cast<int>(kGain.size()) - 1; g > 0; --g) {
        if (ma * countsPerMa(g) < kAutoRangeCeiling) {
            return g;
        }
    }
    return 0;
}

int samplesFor(int averaging, int gainA, int gainS) {
    switch (averaging) {
        case 0x01:
        case 0x02:
        case 0x04:
        case 0x08:
        case 0x10:
        case 0x20:
            return averaging;
        case kAutoAveraging:
            return kAutoSamples[static_cast<std::size_t>(std::max(gainA, gainS))];
        default:
            return 1;
    }
}

int clampAdc(double x) {
    return static_cast<int>(std::clamp(std::round(x), 0.0, static_cast<double>(kAdcMax)));
}

}  // namespace

Instrument::Instrument(const SimOptions& options) : SimulatedInstrument(options) {}

double Instrument::dividerCountsPerVolt() const {
    const double rHv = options_.hardwareVersion == 1 ? 6800.0 : 5230.0;
    return rHv / (rHv + kRTop) * kAdcPerVolt;
}

void Instrument::execute(const std::string& cmd, double t, bool faulty) {
    const std::string_view code = std::string_view(cmd).substr(0, 2);
    auto field = [&cmd](int start, int width) {
        return readHex(std::string_view(cmd).substr(static_cast<std::size_t>(start),
                                                    static_cast<std::size_t>(width)));
    };
    const auto a = field(2, 4), b = field(6, 4), c = field(10, 4), d = field(14, 4);

    if (code == "00") {
        const auto comp = field(10, 2), avg = field(12, 2), rs = field(14, 2), ra = field(16, 2);
        if (comp && avg && rs && ra) {
            compliance_ = *comp;
            averaging_ = *avg;
            isRange_ = *rs;
            iaRange_ = *ra;
        }
    } else if (code == "10" || code == "20") {
        if (a && b && c && d) {
            applyPoint(*a, *b, *c, *d);
        }
        if (code == "10") {
            sendResult(buildResult(faulty && options_.fault == FaultKind::BadGainIndex), t, faulty);
        }
    } else if (code == "30") {
        va_ = vs_ = vg_ = 0.0;
        codeA_ = codeB_ = clampAdc(options_.supplyVoltage * dividerCountsPerVolt());
        codeC_ = 0;
    } else if (code == "40") {
        if (d) {
            setHeater(*d);
        }
    } else if (code == "50") {
        sendResult(buildResult(faulty && options_.fault == FaultKind::BadGainIndex), t, faulty);
    }
}

void Instrument::applyPoint(int a, int b, int c, int d) {
    const double k = dividerCountsPerVolt();
    const double supply = options_.supplyVoltage;
    codeA_ = std::min(a, kAdcMax);
    codeB_ = std::min(b, kAdcMax);
    codeC_ = std::min(c, kGridDacMax);
    va_ = codeA_ / k - supply;
    vs_ = codeB_ / k - supply;
    vg_ = -codeC_ * kGridFullScale / kGridDacMax;
    setHeater(d);
}

void Instrument::setHeater(int d) {
    const double supply = options_.supplyVoltage;
    // The heater is a pulse-width share of the supply: its RMS value.
    vh_ = std::sqrt(std::min(d, 1024) * supply * supply / 1024.0);
}

std::string Instrument::result() const {
    return buildResult(false);
}

std::string Instrument::buildResult(bool badGain) const {
    // Operating point: the valve sees the set voltage less the sense-resistor and
    // saturation drops, which depend on the currents themselves.
    const double heaterFactor = vh_ / valve_->nominalHeaterVolts;
    double ia = 0.0, is = 0.0;
    for (int i = 0; i < 8; ++i) {
        const double vaValve = std::max(0.0, va_ - kSaturationDrop - ia / 1000.0 * kRSense);
        const double vsValve = std::max(0.0, vs_ - kSaturationDrop - is / 1000.0 * kRSense);
        const ValveCurrents cur = valve_->currents(vaValve, vsValve, vg_, heaterFactor);
        ia = cur.anode;
        is = cur.screen;
    }

    int status = kStatusNormal;
    const double limit = complianceLimitMa(compliance_);
    if (limit > 0.0 && ia > limit) {
        ia = limit;
        status = kStatusCompliance;
    }

    const int gainA = chooseRange(iaRange_, ia);
    const int gainS = chooseRange(isRange_, is);
    const int samples = samplesFor(averaging_, gainA, gainS);
    const int iaSum = sampleCount(ia, gainA) * samples;
    const int isSum = sampleCount(is, gainS) * samples;

    const double k = dividerCountsPerVolt();
    const double supply = options_.supplyVoltage;
    const int anodeField = clampAdc((va_ + supply) * k);
    const int screenField = clampAdc((vs_ + supply) * k);
    const int supplyField = clampAdc(supply * 1800.0 / 8600.0 * kAdcPerVolt);
    const int negativeField =
        clampAdc(1024.0 * (1.0 + (kNegativeSupply - 5.0) / (5.0 * 49000.0 / 2000.0)));

    std::string s;
    s.reserve(kResultLength);
    s += hexField(status, 2);
    for (int v :
         {iaSum, iaSum, isSum, isSum, anodeField, screenField, supplyField, negativeField}) {
        s += hexField(v, 4);
    }
    char ranges[16];
    std::snprintf(ranges, sizeof ranges, "%02d%02d", badGain ? 9 : gainA, gainS);
    s += ranges;
    return s;
}

}  // namespace ostrino::sim
