#pragma once
// A fitted model as it is kept and exported: the model, its parameters, the errors of the
// fit and what was measured.

#include <string>
#include <vector>

#include "model/measured_points.h"
#include "model/model_fit.h"
#include "model/valve_model.h"

namespace ostrino::model {

struct ModelRecord {
    ModelKind kind = ModelKind::KorenTriode;
    std::vector<double> parameters;  // in the order of modelInfo(kind).parameters
    double rmsMa = 0.0;
    double rmsPercent = 0.0;
    double worstMa = 0.0;
    std::string title;       // of the measurement
    std::string date;        // of the measurement
    std::string conditions;  // how the family was measured, in one line
};

// "7 curves, 217 points; Va 2 .. 300 V; Vg -12 .. 0 V" (and the screen for a pentode).
std::string describeConditions(const PointSet& points, bool pentode);

// The record of a successful fit of the points.
ModelRecord makeRecord(const FitResult& fit, const PointSet& points, std::string title,
                       std::string date);

}  // namespace ostrino::model
