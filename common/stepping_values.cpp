#include "common/stepping_values.h"

#include <optional>

#include "common/numbers.h"

namespace ostrino {

std::string steppingValueProblem(double value, double min, double max) {
    if (value < min) {
        return "Stepping var has to be larger than " + numberText(min);
    }
    if (value > max) {
        return "Stepping var has to be smaller than " + numberText(max);
    }
    return {};
}

void readSteppingValues(std::string_view text, double min, double max, double fallback,
                        std::span<double> values, int& count,
                        const std::function<void(const std::string& message)>& report) {
    const int capacity = static_cast<int>(values.size());
    count = 0;
    bool overflowReported = false;
    for (std::size_t start = 0; !text.empty();) {
        const std::size_t space = text.find(' ', start);
        const std::string_view token = text.substr(start, space - start);

        const std::optional<double> value = parseNumber(token);
        const std::string problem = value ? steppingValueProblem(*value, min, max) : "";
        if (!value) {
            report("Stepping var contains non-numeric values");
        } else if (!problem.empty()) {
            report(problem);
        } else if (count < capacity) {
            values[static_cast<std::size_t>(count)] = *value;
            ++count;
        } else if (!overflowReported) {
            report("Only the first " + std::to_string(capacity) + " stepping values are used");
            overflowReported = true;
        }

        if (space == std::string_view::npos) {
            break;
        }
        start = space + 1;
    }

    if (count == 0) {
        values[0] = fallback;
        count = 1;
    }
}

}  // namespace ostrino
