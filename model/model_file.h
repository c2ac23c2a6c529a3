#pragma once
// The model file: a small JSON object with the model's name, its parameters, the errors of
// the fit and the measurement's title, date and conditions.
//
//   {"model": "koren-triode", "parameters": {"mu": 21.5, "ex": 1.3, ...},
//    "rms_ma": 0.019, "rms_percent": 0.036, "worst_ma": 0.061,
//    "title": "ECC82", "date": "2024-05-01", "conditions": "7 curves, ..."}
//
// Reading needs "model" and every parameter of that model (a positive number); the errors,
// title, date and conditions may be missing, and keys it does not know are skipped.

#include <optional>
#include <string>
#include <string_view>

#include "model/model_record.h"

namespace ostrino::model {

std::string modelJson(const ModelRecord& record);

struct ModelFileResult {
    std::optional<ModelRecord> record;
    std::string error;  // why the text is not a model file (when there is no record)
};

ModelFileResult parseModelJson(std::string_view text);

// Writes the file safely (a failed write leaves an existing file as it was); false with a
// reason in error when it cannot be written.
bool saveModelFile(const std::string& path, const ModelRecord& record, std::string& error);
ModelFileResult openModelFile(const std::string& path);

}  // namespace ostrino::model
