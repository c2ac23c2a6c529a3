// Results of the first-generation instrument, read with every combination of the current
// ranges the relays may have been set to.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "console1/gen1_protocol.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace ostrino;
    const std::string_view result(reinterpret_cast<const char*>(data), size);
    for (const bool anodeAlt : {false, true}) {
        for (const bool screenAlt : {false, true}) {
            const gen1::DecodedResult r = gen1::decodeResult(result, anodeAlt, screenAlt);
            fuzz::require(r.valid == r.problem.empty());
            fuzz::require(!r.valid || size == static_cast<std::size_t>(gen1::kResultLength));
            fuzz::require(std::isfinite(r.ia) && std::isfinite(r.is));
            for (const double v : r.value) {
                fuzz::require(std::isfinite(v));
            }
        }
    }
    return 0;
}
