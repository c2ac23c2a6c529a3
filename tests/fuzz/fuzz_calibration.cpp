// The calibration file: whatever it holds is refused with a reason, or read into a record
// that is written back and read again unchanged.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "files/calibration_file.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace ostrino;
    const std::string_view content(reinterpret_cast<const char*>(data), size);
    const CalibrationRecord base;
    std::string error;
    const auto cal = parseCalibrationText(content, base, error);
    if (!cal) {
        fuzz::require(!error.empty());
        return 0;
    }
    fuzz::require(cal->intCOMport >= 1);
    const auto text = calibrationFileText(*cal, error);
    fuzz::require(text.has_value());
    const auto again = parseCalibrationText(*text, base, error);
    fuzz::require(again.has_value());
    fuzz::require(again->factors == cal->factors);
    fuzz::require(again->intCOMport == cal->intCOMport);
    fuzz::require(again->intVersion == cal->intVersion);
    return 0;
}
