// Dates in UTC, written and read without the locale.

#include <cstdio>

#include "library/record.h"

namespace ostrino::library {

namespace {

struct Parts {
    int year, month, day, hour, minute, second;
};

Parts partsOf(std::chrono::sys_seconds t) {
    using namespace std::chrono;
    const sys_days day = floor<days>(t);
    const year_month_day ymd(day);
    const hh_mm_ss<seconds> time(t - day);
    return {static_cast<int>(ymd.year()),
            static_cast<int>(unsigned(ymd.month())),
            static_cast<int>(unsigned(ymd.day())),
            static_cast<int>(time.hours().count()),
            static_cast<int>(time.minutes().count()),
            static_cast<int>(time.seconds().count())};
}

// The times the calendar is written for, years 1 to 9999. A damaged record may hold any
// number of seconds; beyond these the day arithmetic would overflow.
constexpr std::chrono::sys_seconds kFirst = std::chrono::sys_days(std::chrono::year(1) / 1 / 1);
constexpr std::chrono::sys_seconds kLast =
    std::chrono::sys_days(std::chrono::year(9999) / 12 / 31) + std::chrono::seconds(86399);

std::string format(std::chrono::sys_seconds t, char between, const char* after) {
    if (t < kFirst || t > kLast) {
        return kNoDate;
    }
    const Parts p = partsOf(t);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d%c%02d:%02d:%02d%s", p.year, p.month, p.day,
                  between, p.hour, p.minute, p.second, after);
    return text;
}

// Reads exactly `count` digits at text[pos].
bool digits(const std::string& text, std::size_t pos, std::size_t count, int& value) {
    if (pos + count > text.size()) {
        return false;
    }
    value = 0;
    for (std::size_t i = pos; i < pos + count; ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return false;
        }
        value = value * 10 + (text[i] - '0');
    }
    return true;
}

}  // namespace

std::string dateTimeText(std::chrono::sys_seconds t) {
    return format(t, ' ', "");
}

std::string isoDateTimeText(std::chrono::sys_seconds t) {
    return format(t, 'T', "Z");
}

std::optional<std::chrono::sys_seconds> parseDateTime(const std::string& text) {
    using namespace std::chrono;
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    if (!digits(text, 0, 4, y) || text.size() < 10 || text[4] != '-' || text[7] != '-' ||
        !digits(text, 5, 2, mo) || !digits(text, 8, 2, d)) {
        return std::nullopt;
    }
    std::size_t pos = 10;
    if (pos < text.size() && (text[pos] == 'T' || text[pos] == ' ')) {
        if (!digits(text, pos + 1, 2, h) || pos + 3 >= text.size() || text[pos + 3] != ':' ||
            !digits(text, pos + 4, 2, mi)) {
            return std::nullopt;
        }
        pos += 6;
        if (pos < text.size() && text[pos] == ':') {
            if (!digits(text, pos + 1, 2, s)) {
                return std::nullopt;
            }
            pos += 3;
        }
    }
    if (pos < text.size() && text[pos] == 'Z') {
        ++pos;
    }
    const year_month_day ymd{year(y), month(static_cast<unsigned>(mo)),
                             day(static_cast<unsigned>(d))};
    if (pos != text.size() || !ymd.ok() || h > 23 || mi > 59 || s > 59) {
        return std::nullopt;
    }
    return sys_days(ymd) + hours(h) + minutes(mi) + seconds(s);
}

}  // namespace ostrino::library
