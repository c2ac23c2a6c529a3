#include "library/record_text.h"

#include <algorithm>

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
    // One line per quick-test section: "section 1: Ia 1.21 Ra 62500 Gm 1.6 mu 100".
    std::vector<std::pair<int, std::string>> sections;
    for (const QuickTestValue& q : r.quickTest) {
        auto it = std::find_if(sections.begin(), sections.end(),
                               [&](const auto& s) { return s.first == q.section; });
        if (it == sections.end()) {
            sections.push_back({q.section, "section " + std::to_string(q.section) + ":"});
            it = sections.end() - 1;
        }
        it->second += " " + q.name + " " + shortestNumber(q.value);
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
