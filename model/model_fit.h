#pragma once
// Fitting a valve model to a measured family: non-linear least squares over every measured
// point (anode and, for pentodes, screen current), within the model's bounds, from starting
// values estimated from the data, with a robust loss so that a single bad point does not
// pull the curves.

#include <string>
#include <vector>

#include "model/measured_points.h"
#include "model/valve_model.h"

namespace ostrino::model {

// Absolute: every point weighs the same in mA. Relative: errors are taken relative to the
// measured current (with a floor of 1 % of the largest current), so that the low-current
// region counts as much as the top of the family.
enum class Weighting { Absolute, Relative };

// Huber and Cauchy lessen the pull of points far off the curves; Cauchy almost ignores them.
enum class RobustLoss { None, Huber, Cauchy };

struct FitOptions {
    Weighting weighting = Weighting::Absolute;
    RobustLoss loss = RobustLoss::Cauchy;
};

struct PointError {
    std::size_t index = 0;  // in the point set
    int curve = 0;
    double va = 0.0, vs = 0.0, vg = 0.0;
    bool screen = false;  // the screen current (pentodes), not the anode current
    double measuredMa = 0.0;
    double modelMa = 0.0;
    double errorMa = 0.0;  // model - measured
};

struct CurveError {
    int curve = 0;
    int points = 0;
    double vg = 0.0;  // of the curve's first point
    double vs = 0.0;
    double rmsMa = 0.0;
    double worstMa = 0.0;  // largest error in magnitude
};

// How well a model with given parameters matches the points. Over all currents of all
// points (a pentode's screen currents included).
struct ModelErrors {
    double rmsMa = 0.0;
    double rmsPercent = 0.0;  // of the largest measured current
    double worstMa = 0.0;     // largest error in magnitude
    double largestCurrentMa = 0.0;
    double anodeRmsMa = 0.0;   // the anode currents alone
    double screenRmsMa = 0.0;  // the screen currents alone (pentodes)
    PointError worst;
    std::vector<CurveError> curves;  // in the order the curves first appear
};

ModelErrors modelErrors(ModelKind kind, const std::vector<double>& parameters,
                        const PointSet& points);

struct FitResult {
    bool ok = false;
    std::string message;  // why the family could not be fitted (when not ok)
    ModelKind kind = ModelKind::KorenTriode;
    std::vector<double> parameters;  // in the order of modelInfo(kind).parameters
    ModelErrors errors;
    int iterations = 0;  // solver iterations, all starting points together
    int starts = 0;      // starting points tried
};

FitResult fitModel(ModelKind kind, const PointSet& points, const FitOptions& options = {});

}  // namespace ostrino::model
