#include "common/numbers.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace ostrino {

namespace {

constexpr int kAxisDigits = 4;

// Rounds half to even and checks that the whole number fits Int.
template <typename Int>
std::optional<Int> checkedWhole(double v) {
    if (!std::isfinite(v)) {
        return std::nullopt;
    }
    const double w = roundHalfEven(v);
    // Both limits are exactly representable as doubles for 16- and 32-bit types.
    if (w < static_cast<double>(std::numeric_limits<Int>::min()) ||
        w > static_cast<double>(std::numeric_limits<Int>::max())) {
        return std::nullopt;
    }
    return static_cast<Int>(w);
}

// A finite, non-zero magnitude as decimal digits (no leading or trailing zeros) and the
// decimal exponent of the first digit: 1234.5 -> {"12345", 3}.
struct DecimalDigits {
    std::string digits;
    int exponent = 0;
};

DecimalDigits scientificDigits(double magnitude, std::optional<int> precision) {
    char buf[64];
    const auto res =
        precision ? std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific,
                                  *precision - 1)
                  : std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific);
    const std::string_view text(buf, static_cast<std::size_t>(res.ptr - buf));
    const std::size_t e = text.find('e');

    DecimalDigits out;
    for (char c : text.substr(0, e)) {
        if (c != '.') {
            out.digits.push_back(c);
        }
    }
    while (out.digits.size() > 1 && out.digits.back() == '0') {
        out.digits.pop_back();
    }
    std::string_view exp = text.substr(e + 1);
    if (!exp.empty() && exp.front() == '+') {
        exp.remove_prefix(1);
    }
    std::from_chars(exp.data(), exp.data() + exp.size(), out.exponent);
    return out;
}

// The digits of the shortest text that reads back to the same double, limited to
// 15 significant digits (rounded to 15 when nothing shorter reads back exactly).
DecimalDigits shortestDigits(double magnitude) {
    constexpr std::size_t kMaxDigits = 15;
    DecimalDigits shortest = scientificDigits(magnitude, std::nullopt);
    if (shortest.digits.size() <= kMaxDigits) {
        return shortest;
    }
    return scientificDigits(magnitude, static_cast<int>(kMaxDigits));
}

std::string formatNumber(double v, bool zeroBeforePoint) {
    if (std::isnan(v)) {
        return "NaN";
    }
    if (std::isinf(v)) {
        return v < 0 ? "-Inf" : "Inf";
    }
    if (v == 0.0) {
        return "0";  // -0 as well
    }

    const DecimalDigits d = shortestDigits(std::fabs(v));
    std::string out = v < 0 ? "-" : "";

    // The exponent form is kept for magnitudes of 1E+15 and above or below 1E-04.
    if (d.exponent >= 15 || d.exponent < -4) {
        out += d.digits.front();
        if (d.digits.size() > 1) {
            out += '.';
            out.append(d.digits, 1);
        }
        out += 'E';
        out += d.exponent < 0 ? '-' : '+';
        const int absExp = d.exponent < 0 ? -d.exponent : d.exponent;
        if (absExp < 10) {
            out += '0';
        }
        out += std::to_string(absExp);
        return out;
    }

    const int count = static_cast<int>(d.digits.size());
    if (d.exponent < 0) {
        if (zeroBeforePoint) {
            out += '0';
        }
        out += '.';
        out.append(static_cast<std::size_t>(-d.exponent - 1), '0');
        out += d.digits;
    } else if (d.exponent + 1 >= count) {
        out += d.digits;
        out.append(static_cast<std::size_t>(d.exponent + 1 - count), '0');
    } else {
        const auto intDigits = static_cast<std::size_t>(d.exponent + 1);
        out.append(d.digits, 0, intDigits);
        out += '.';
        out.append(d.digits, intDigits);
    }
    return out;
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

double roundHalfEven(double v) {
    // The floating-point unit rounds to nearest with ties to even, and nothing in the
    // program changes that mode; infinities and NaN pass through.
    return std::nearbyint(v);
}

std::optional<std::int16_t> toInteger(double v) {
    return checkedWhole<std::int16_t>(v);
}

std::optional<std::int32_t> toLong(double v) {
    return checkedWhole<std::int32_t>(v);
}

int clampToInteger(double v) {
    if (!std::isfinite(v)) {
        return 0;
    }
    v = std::trunc(v);
    if (v > 32767.0) {
        return 32767;
    }
    if (v < -32768.0) {
        return -32768;
    }
    return static_cast<int>(v);
}

std::optional<double> Decimals(double dblInvar, int n) {
    static constexpr double kScale[] = {1.0, 10.0, 100.0, 1000.0};
    if (n < 0 || n > 3) {
        return 0.0;
    }
    const std::optional<std::int32_t> whole = toLong(dblInvar * kScale[n]);
    if (!whole) {
        return std::nullopt;
    }
    return static_cast<double>(*whole) / kScale[n];
}

std::string numberText(double v) {
    return formatNumber(v, true);
}

double axisNumber(double v, double span) {
    if (!std::isfinite(v) || v == 0.0) {
        return v;
    }
    if (std::fabs(v) < std::fabs(span) * 1e-9) {
        return 0.0;
    }
    // to_chars rounds in decimal, exactly; scaling by a power of ten would add its own error.
    char buf[32];
    const auto res =
        std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific, kAxisDigits - 1);
    double rounded = v;
    std::from_chars(buf, res.ptr, rounded);
    return rounded;
}

std::string fileNumberText(double v) {
    return formatNumber(v, false);
}

std::optional<double> parseNumber(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }

    // Check the whole grammar here; from_chars alone would accept "inf", "nan" and
    // hexadecimal forms and stop silently at trailing garbage.
    std::size_t i = 0;
    const std::size_t size = text.size();
    bool negative = false;
    if (i < size && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    const std::size_t mantissaStart = i;
    std::size_t digits = 0;
    while (i < size && isDigit(text[i])) {
        ++i;
        ++digits;
    }
    if (i < size && text[i] == '.') {
        ++i;
        while (i < size && isDigit(text[i])) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0) {
        return std::nullopt;
    }
    if (i < size && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < size && (text[i] == '+' || text[i] == '-')) {
            ++i;
        }
        std::size_t expDigits = 0;
        while (i < size && isDigit(text[i])) {
            ++i;
            ++expDigits;
        }
        if (expDigits == 0) {
            return std::nullopt;
        }
    }
    if (i != size) {
        return std::nullopt;
    }

    const std::string_view body = text.substr(mantissaStart);
    double value = 0.0;
    const auto res = std::from_chars(body.data(), body.data() + body.size(), value);
    if (res.ec != std::errc() || res.ptr != body.data() + body.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return negative ? -value : value;
}

std::optional<double> leadingNumber(std::string_view line) {
    std::size_t start = 0;
    while (start < line.size() && isBlank(line[start])) {
        ++start;
    }
    std::size_t end = start;
    while (end < line.size() && !isBlank(line[end]) && line[end] != '\'') {
        ++end;
    }
    if (end == start) {
        return std::nullopt;
    }
    return parseNumber(line.substr(start, end - start));
}

}  // namespace ostrino
