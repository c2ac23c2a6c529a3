#pragma once
// The measured points a model is fitted to, and how they are read from the current sweep of
// the measurement matrix.

#include <vector>

#include "common/meas_matrix.h"

namespace ostrino::model {

// One measured point. Voltages in V as the valve saw them, currents in mA.
struct MeasuredPoint {
    double va = 0.0;
    double vs = 0.0;
    double vg = 0.0;
    double ia = 0.0;
    double is = 0.0;
    int curve = 0;  // the curve the point belongs to (1, 2, ...)
};

using PointSet = std::vector<MeasuredPoint>;

// The measured points of the current sweep: rows 0..999 from the first, up to the first
// row whose curve number (rounded) is below 1.
PointSet readSweep(const MeasMatrix& matrix);

// A double triode measures section 1 on the anode supply (Va, Ia) and section 2 on the
// screen supply (Vs, Is). The section's points as those of a single triode: its anode
// voltage and current in va and ia, vs and is cleared.
enum class TriodeSection { First, Second };
PointSet triodeSection(const PointSet& points, TriodeSection section);

}  // namespace ostrino::model
