#include "common/hex_fields.h"

#include <cstdint>

namespace ostrino {

std::string hexField(int value, int width) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    unsigned v = value < 0 ? static_cast<std::uint16_t>(static_cast<std::int16_t>(value))
                           : static_cast<unsigned>(value);
    std::string digits;
    do {
        digits.insert(digits.begin(), kDigits[v & 0xFu]);
        v >>= 4;
    } while (v != 0);
    if (static_cast<int>(digits.size()) < width) {
        digits.insert(0, static_cast<std::size_t>(width) - digits.size(), '0');
    } else if (static_cast<int>(digits.size()) > width) {
        digits = digits.substr(digits.size() - static_cast<std::size_t>(width));
    }
    return digits;
}

std::optional<int> readHex(std::string_view digits) {
    unsigned v = 0;
    for (char c : digits) {
        unsigned d;
        if (c >= '0' && c <= '9') {
            d = static_cast<unsigned>(c - '0');
        } else if (c >= 'A' && c <= 'F') {
            d = static_cast<unsigned>(c - 'A' + 10);
        } else if (c >= 'a' && c <= 'f') {
            d = static_cast<unsigned>(c - 'a' + 10);
        } else {
            return std::nullopt;
        }
        v = (v << 4) | d;
    }
    return static_cast<int>(v);
}

std::optional<int> readHex16(std::string_view digits) {
    const auto v = readHex(digits);
    if (v && digits.size() == 4) {
        return static_cast<int>(static_cast<std::int16_t>(static_cast<std::uint16_t>(*v)));
    }
    return v;
}

}  // namespace ostrino
