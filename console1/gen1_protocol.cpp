#include "console1/gen1_protocol.h"

#include "common/numbers.h"

namespace ostrino::gen1 {

int anodeCode(double volts) {
    return clampToInteger(volts * 6810.0 / 559810.0 * 1024.0 / 5.0);
}

int gridCode(double volts, double gridR) {
    return clampToInteger(volts * (1024.0 / 5.0) * 1210.0 / (gridR + 1210.0) +
                          1024.0 * gridR / (gridR + 1210.0));
}

int heaterCode(double volts) {
    return clampToInteger(volts * volts * 1024.0 / 380.25);
}

std::string pointString(std::string_view command, double va, double vs, double vg, double vf,
                        double gridR) {
    return std::string(command) + hexField(anodeCode(va)) + hexField(anodeCode(vs)) +
           hexField(gridCode(vg, gridR)) + hexField(heaterCode(vf));
}

std::string heaterString(double vf) {
    return "40" + std::string(12, '0') + hexField(heaterCode(vf));
}

int relayByte(bool anodeAlt, bool screenAlt, bool highGrid) {
    return 48 + (anodeAlt ? 1 : 0) + (screenAlt ? 2 : 0) + (highGrid ? 0 : 4);
}

std::string relayString(int relay) {
    return "00" + std::string(14, '0') + hexField(relay, 2);
}

double fieldValue(int n, int x) {
    const double volts = x * 5.0 / 1024.0;
    switch (n) {
        case 1:
        case 2:
        case 3:
        case 4:
            return volts * (1500.0 + 3920.0) / 3920.0;
        case 5:
        case 6:
            return volts * (553000.0 + 6810.0) / 6810.0;
        case 7:
            return 5.0 + 5.0 * (47000.0 + 2200.0) / 2200.0 * (x / 1024.0 - 1.0);
        case 8:
            return 5.0 + 5.0 * (22000.0 + 2200.0) / 2200.0 * (x / 1024.0 - 1.0);
        default:
            return 0.0;
    }
}

DecodedResult decodeResult(std::string_view result, bool anodeAlt, bool screenAlt) {
    DecodedResult r;
    r.valid = true;
    auto invalid = [&r](std::string why) {
        if (r.valid) {
            r.valid = false;
            r.problem = std::move(why);
        }
    };
    if (result.size() != static_cast<std::size_t>(kResultLength)) {
        invalid("it holds " + std::to_string(result.size()) + " characters instead of " +
                std::to_string(kResultLength));
    }
    if (!result.empty()) {
        r.statusChar = result[0];
        if (const auto d = readHex(result.substr(0, 1))) {
            r.status = *d;
        } else {
            invalid("status \"" + std::string(1, result[0]) + "\" is not a hexadecimal digit");
        }
    }
    for (int n = 1; n <= kResultFields; ++n) {
        const auto start = static_cast<std::size_t>(4 * (n - 1) + 2);
        const std::string_view text =
            start < result.size() ? result.substr(start, 4) : std::string_view{};
        const auto k = static_cast<std::size_t>(n - 1);
        r.text[k] = std::string(text);
        const auto x = text.size() == 4 ? readHex16(text) : std::nullopt;
        if (!x) {
            if (text.size() == 4) {
                invalid("field " + std::to_string(n) + " \"" + std::string(text) +
                        "\" is not hexadecimal");
            }
            continue;
        }
        r.count[k] = *x;
        r.value[k] = fieldValue(n, *x);
    }
    // The sense amplifiers sit on half of a reference that the even fields report.
    const double anodeSense = r.value[0] - 0.5 * r.value[1];
    const double screenSense = r.value[2] - 0.5 * r.value[3];
    r.ia = anodeSense / (anodeAlt ? kAnodeSenseAlt : kAnodeSenseNormal) * 1000.0;
    r.is = screenSense / (screenAlt ? kScreenSenseAlt : kScreenSenseNormal) * 1000.0;
    r.iaFullScale = r.count[0] >= kFullScaleCount;
    r.isFullScale = r.count[2] >= kFullScaleCount;
    return r;
}

}  // namespace ostrino::gen1
