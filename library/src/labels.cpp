#include "library/labels.h"

#include <algorithm>
#include <cctype>

namespace ostrino::library {

namespace {

bool sameIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace

std::string nextLabel(std::string_view last, std::string_view valveType) {
    if (last.empty()) {
        return valveType.empty() ? std::string() : std::string(valveType) + " #1";
    }
    std::size_t digits = last.size();
    while (digits > 0 && std::isdigit(static_cast<unsigned char>(last[digits - 1])) != 0) {
        --digits;
    }
    if (digits == last.size() || sameIgnoringCase(last, valveType)) {
        return std::string(last) + " #2";
    }
    // Count up the trailing digits as text, so that any length works and zeros stay.
    std::string label(last);
    std::size_t i = label.size();
    while (i > digits) {
        --i;
        if (label[i] != '9') {
            ++label[i];
            return label;
        }
        label[i] = '0';
    }
    label.insert(digits, 1, '1');
    return label;
}

}  // namespace ostrino::library
