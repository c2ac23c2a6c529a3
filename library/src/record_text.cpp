#include "library/record_text.h"

#include <algorithm>
#include <cmath>

#include "text_forms.h"

namespace ostrino::library {

namespace {

std::string hardwareText(int version) {
    std::string text = "hardware version " + std::to_string(version);
    if (version == 1) {
        text += " (300 V supplies)";
    } else if (version == 2) {
        text += " (400 V supplies)";
    }
    return text;
}

// A figure with four significant digits or so, as a user reads it: 8880, 17.12, 1.928.
std::string readable(double v) {
    const double a = std::fabs(v);
    const int decimals = a >= 1000.0 ? 0 : a >= 100.0 ? 1 : a >= 10.0 ? 2 : 3;
    std::string text = fixedNumber(v, decimals);
    if (text.find('.') != std::string::npos) {
        while (text.back() == '0') {
            text.pop_back();
        }
        if (text.back() == '.') {
            text.pop_back();
        }
    }
    return text;
}

const char* unitOf(const std::string& name) {
    if (name == "Ia" || name == "Is") {
        return " mA";
    }
    if (name == "Ra" || name == "Rs") {
        return " ohm";
    }
    if (name.rfind("Gm", 0) == 0) {
        return " mA/V";
    }
    return "";
}

}  // namespace

std::string measurementText(const RecordSummary& s) {
    std::string text = s.quickTest ? "quick test" : std::to_string(s.pointCount) + " points";
    return s.model ? text + ", model" : text;
}

std::vector<std::pair<std::string, std::string>> recordDetails(const StoredRecord& stored) {
    const LibraryRecord& r = stored.record;
    std::string calibration;
    for (const double f : r.calibration) {
        calibration += (calibration.empty() ? "" : " ") + shortestNumber(f);
    }
    int curves = 0;
    for (std::size_t i = 0; i < r.points.size(); ++i) {
        curves += i == 0 || r.points[i].curve != r.points[i - 1].curve ? 1 : 0;
    }
    std::vector<std::pair<std::string, std::string>> table{
        {"Record:", std::to_string(stored.id)},
        {"Measured:", dateTimeText(r.when) + " UTC"},
        {"Valve type:", r.valveType},
        {"Label:", r.label},
        {"Note:", r.note},
        {"Console:", r.console},
        {"Instrument:", hardwareText(r.instrumentVersion)},
        {"Calibration:", calibration},
        {"Points:", r.points.empty()
                        ? "none"
                        : std::to_string(r.points.size()) + " in " + std::to_string(curves) +
                              (curves == 1 ? " curve" : " curves")},
    };
    // One line per quick-test section: "section 1: Ia 1.21 mA, Ra 62500 ohm, Gm 1.6 mA/V, mu 100".
    std::vector<std::pair<int, std::string>> sections;
    for (const QuickTestValue& q : r.quickTest) {
        auto it = std::find_if(sections.begin(), sections.end(),
                               [&](const auto& s) { return s.first == q.section; });
        if (it == sections.end()) {
            sections.push_back({q.section, "section " + std::to_string(q.section) + ":"});
            it = sections.end() - 1;
        } else {
            it->second += ",";
        }
        it->second += " " + q.name + " " + readable(q.value) + unitOf(q.name);
    }
    for (std::size_t i = 0; i < sections.size(); ++i) {
        table.push_back({i == 0 ? "Quick test:" : "", sections[i].second});
    }
    table.push_back({"Model:", r.modelJson
                                   ? std::to_string(r.modelJson->size()) + " characters of JSON"
                                   : "none"});
    return table;
}

}  // namespace ostrino::library
