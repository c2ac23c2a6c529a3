// Results of the third-generation instrument: whatever arrives on the line is decoded into
// a row of the measurement matrix, or refused as a broken link.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz/fuzz_support.h"
#include "link/command_strings.h"
#include "link/instrument_link.h"
#include "measure/console_views.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace ostrino;
    const std::string_view result(reinterpret_cast<const char*>(data), size);

    const ResultFields fields = splitResult(result);
    fuzz::require(fields.valid == fields.problem.empty());
    fuzz::require(fields.gainIndexA >= 0 && fields.gainIndexA <= 7);
    fuzz::require(fields.gainIndexS >= 0 && fields.gainIndexS <= 7);

    ConsoleState state;
    FrmComModel com;
    fuzz::NoPort port;
    fuzz::StillClock clock;
    fuzz::CountingDialogs dialogs;
    InstrumentLink link(linkSources(state), com, port, clock, dialogs);
    const bool blnFault = !link.DeComposeString(0, result).ok();
    // A result either lands in the row or is reported once as a broken link.
    fuzz::require(blnFault == !fields.valid);
    fuzz::require(dialogs.messages == (fields.valid ? 0 : 1));
    if (fields.valid) {
        fuzz::require(std::isfinite(state.dblMeasMatrix(0, MeasMatrix::Ia)));
        fuzz::require(std::isfinite(state.dblMeasMatrix(0, MeasMatrix::Is)));
    }
    return 0;
}
