// The pin-name file "pins.oss", read by the pin window from the working folder.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "files/pins.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace ostrino;
    fuzz::enterScratchFolder();
    const std::string_view content(reinterpret_cast<const char*>(data), size);
    const PinNames parsed = parsePinNames(content);
    for (const std::string& name : parsed) {
        // At most ten characters of up to four bytes each.
        fuzz::require(name.size() <= 4 * kPinNameLength);
        fuzz::require(name.find_first_of("\r\n") == std::string::npos);
    }

    fuzz::writeScratchFile(kPinFile, content);
    std::array<int, 21> intPins{};
    bool blnPinsForm = false;
    fuzz::CountingDialogs dialogs;
    FrmPinModel pins(PinState{intPins, blnPinsForm}, dialogs);
    pins.open();
    fuzz::require(pins.names == parsed);
    for (int i = 0; i < kPinLists; ++i) {
        fuzz::require(pins.cboPin[static_cast<std::size_t>(i)] >= 0 &&
                      pins.cboPin[static_cast<std::size_t>(i)] < kPinNames);
    }
    pins.close();
    return 0;
}
