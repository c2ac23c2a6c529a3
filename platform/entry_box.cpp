#include "platform/entry_box.h"

#include "common/numbers.h"

namespace ostrino {

std::optional<double> readNumberBox(const std::string& text, const std::string& box,
                                    Dialogs& dialogs) {
    const std::optional<double> v = parseNumber(text);
    if (!v) {
        dialogs.message(box + ": \"" + text + "\" is not a number; the previous value is kept.");
    }
    return v;
}

std::optional<int> readIntegerBox(const std::string& text, const std::string& box,
                                  Dialogs& dialogs) {
    const std::optional<double> v = readNumberBox(text, box, dialogs);
    if (!v) {
        return std::nullopt;
    }
    const std::optional<std::int16_t> whole = toInteger(*v);
    if (!whole) {
        dialogs.message(box + ": \"" + text +
                        "\" is out of range (whole numbers -32768 to 32767); the previous value "
                        "is kept.");
        return std::nullopt;
    }
    return *whole;
}

}  // namespace ostrino
