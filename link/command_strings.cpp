#include "link/command_strings.h"

#include <algorithm>
#include <cmath>

#include "common/numbers.h"

namespace ostrino {

int anodeCode(double volts, double vsupply, double rHv, double gainFactor) {
    return clampToInteger(
        std::floor(rHv / (rHv + kRTop) * (1024.0 / 5.0) * (volts + vsupply) * gainFactor));
}

int gridCode(double volts, const CalibrationRecord& cal) {
    constexpr double k = 1023.0 / 50.0;
    const double g = std::fabs(volts);
    const double y4 = 4.0 * k * cal.dblCalVar(6) * cal.dblCalVar(8);
    double slope;
    double intercept;
    if (g > 4.0) {
        const double y40 = 40.0 * k * cal.dblCalVar(6);
        slope = (y40 - y4) / (40.0 - 4.0);
        intercept = y4 - slope * 4.0;
    } else {
        const double x0 = 2.0 * (cal.dblCalVar(9) - 1.0);
        slope = (y4 - 0.0) / (4.0 - x0);
        intercept = -slope * x0;
    }
    double code = roundHalfEven(slope * g + intercept);
    if (!std::isfinite(code)) {
        code = 0.0;
    }
    if (code > 1023.0) {
        code = 1023.0;
    }
    // Below the grid's zero point the code would go negative; the DAC's bottom is 0.
    if (code < 0.0) {
        code = 0.0;
    }
    return static_cast<int>(code);
}

int heaterCode(double volts, double supply) {
    if (supply <= 0.0) {
        return 0;
    }
    return clampToInteger(std::floor(volts * volts * 1024.0 / (supply * supply)));
}

std::string complianceCode(int index) {
    static constexpr const char* kCodes[] = {"8F", "8C", "AD", "AB", "84", "81", "A4", "A2", "00"};
    if (index < 0 || index > 8) {
        return "00";
    }
    return kCodes[index];
}

std::string settingsString(int iaRange, int isRange, int averageIndex, int complianceIndex) {
    const int averaging = (averageIndex >= 0 && averageIndex < 8) ? (1 << averageIndex) : 0;
    return "00" + std::string(8, '0') + complianceCode(complianceIndex) + hexField(averaging, 2) +
           hexField(isRange, 2) + hexField(iaRange, 2);
}

std::string pingString() {
    return "50" + std::string(16, '0');
}

std::string endSweepString() {
    return "30" + std::string(16, '0');
}

std::string heaterString(int code) {
    return "40" + std::string(12, '0') + hexField(code, 4);
}

std::string pointString(std::string_view command, int anode, int screen, int grid, int heater) {
    return std::string(command) + hexField(anode, 4) + hexField(screen, 4) + hexField(grid, 4) +
           hexField(heater, 4);
}

namespace {

std::string_view field(std::string_view s, std::size_t start, std::size_t len) {
    if (start >= s.size()) {
        return {};
    }
    return s.substr(start, len);
}

std::optional<int> readDecimalIndex(std::string_view digits) {
    int v = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        v = v * 10 + (c - '0');
    }
    return v;
}

}  // namespace

ResultFields splitResult(std::string_view result) {
    ResultFields r;
    r.statusText = std::string(field(result, 0, 2));
    if (auto st = readHex16(r.statusText)) {
        r.status = *st;
    } else {
        r.valid = false;
        r.problem = "status \"" + r.statusText + "\" is not hexadecimal";
    }
    for (int n = 1; n <= 9; ++n) {
        const auto text = field(result, static_cast<std::size_t>(4 * (n - 1) + 2), 4);
        r.text[static_cast<std::size_t>(n - 1)] = std::string(text);
        if (n <= 8) {
            auto v = readHex16(text);
            if (!v) {
                if (r.valid) {
                    r.valid = false;
                    r.problem = "field " + std::to_string(n) + " \"" + std::string(text) +
                                "\" is not hexadecimal";
                }
                v = 0;
            }
            r.value[static_cast<std::size_t>(n - 1)] = *v;
        } else {
            const auto ga = readDecimalIndex(field(text, 0, 2));
            const auto gs = readDecimalIndex(text.size() > 2 ? text.substr(2) : std::string_view{});
            if (ga && gs && *ga <= 7 && *gs <= 7) {
                r.gainIndexA = *ga;
                r.gainIndexS = *gs;
            } else if (r.valid) {
                r.valid = false;
                r.problem = "range field \"" + std::string(text) + "\" is not two indices 0..7";
            }
        }
    }
    return r;
}

DecodedResult decodeResult(std::string_view result, const CalibrationRecord& cal, double vsupply,
                           int averageIndex) {
    DecodedResult d;
    d.fields = splitResult(result);
    if (!d.fields.valid) {
        return d;
    }
    const ResultFields& r = d.fields;
    d.compliance = r.status == kComplianceStatus;
    const double rHv = cal.rHv();
    const auto volts = [&r](std::size_t n) { return r.value[n] * 5.0 / 1024.0; };
    const double iaRaw = volts(0) * 1000.0 * cal.dblCalVar(3) / kRSense;
    const double isRaw = volts(2) * 1000.0 * cal.dblCalVar(4) / kRSense;
    d.value[0] = iaRaw;
    d.value[1] = volts(1) * 1000.0 * cal.dblCalVar(3) / kRSense;
    d.value[2] = isRaw;
    d.value[3] = volts(3) * 1000.0 * cal.dblCalVar(4) / kRSense;
    d.value[4] = d.vaMeasured = volts(4) * (kRTop + rHv) / (rHv * cal.dblCalVar(1)) - vsupply;
    d.value[5] = d.vsMeasured = volts(5) * (kRTop + rHv) / (rHv * cal.dblCalVar(2)) - vsupply;
    d.value[6] = d.vsupplyMeasured = volts(6) * (6800.0 + 1800.0) / 1800.0 * cal.dblCalVar(5);
    d.value[7] = 5.0 + 5.0 * (47000.0 + 2000.0) / 2000.0 * (r.value[7] / 1024.0 - 1.0);

    d.gainA = kGainTable[static_cast<std::size_t>(r.gainIndexA)];
    d.gainS = kGainTable[static_cast<std::size_t>(r.gainIndexS)];
    if (averageIndex == 6) {
        d.average =
            kAutoAverageTable[static_cast<std::size_t>(std::max(r.gainIndexA, r.gainIndexS))];
    } else if (averageIndex >= 0 && averageIndex < 6) {
        d.average = std::ldexp(1.0, averageIndex);
    }
    d.value[0] = iaRaw / d.average;
    d.value[2] = isRaw / d.average;
    d.ia = d.value[0] / d.gainA;
    d.is = d.value[2] / d.gainS;
    d.vaCorrected = d.vaMeasured - d.ia / 1000.0 * kRSense - cal.dblCalVar(7) * 0.6;
    d.vsCorrected = d.vsMeasured - d.is / 1000.0 * kRSense - cal.dblCalVar(7) * 0.6;
    return d;
}

}  // namespace ostrino
