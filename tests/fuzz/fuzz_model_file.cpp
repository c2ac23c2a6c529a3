// Valve model files (JSON), as "Open model" reads them: a text is refused with a reason, or
// gives a model whose parameters are all positive numbers; that model can be written out
// and read back unchanged, exported as a SPICE subcircuit and evaluated.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_support.h"
#include "model/model_file.h"
#include "model/spice_export.h"
#include "model/valve_model.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace ostrino;
    using namespace ostrino::model;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const ModelFileResult read = parseModelJson(text);
    if (!read.record) {
        fuzz::require(!read.error.empty());
        return 0;
    }
    fuzz::require(read.error.empty());
    const ModelRecord& r = *read.record;
    fuzz::require(r.parameters.size() == modelInfo(r.kind).parameters.size());
    for (const double p : r.parameters) {
        fuzz::require(std::isfinite(p) && p > 0.0);
    }
    for (const double e : {r.rmsMa, r.rmsPercent, r.worstMa}) {
        fuzz::require(std::isfinite(e) && e >= 0.0);
    }

    // Written and read again: the same model and numbers (a title that is not UTF-8 is
    // written with replacement characters, so the texts are not compared).
    const ModelFileResult again = parseModelJson(modelJson(r));
    fuzz::require(again.record.has_value());
    fuzz::require(again.record->kind == r.kind);
    fuzz::require(again.record->parameters == r.parameters);
    fuzz::require(again.record->rmsMa == r.rmsMa && again.record->rmsPercent == r.rmsPercent &&
                  again.record->worstMa == r.worstMa);

    const std::string name = spiceName(r.title, r.kind);
    fuzz::require(!name.empty());
    fuzz::require(!spiceSubcircuit(r, name).empty());
    for (const double vg : {-4.0, 0.0}) {
        const ModelCurrents c = modelCurrents(r.kind, r.parameters, 250.0, 250.0, vg);
        (void)c;  // any number will do; only undefined behaviour is a finding
    }
    return 0;
}
