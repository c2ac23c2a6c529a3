#include "model/measured_points.h"

#include <cmath>

namespace ostrino::model {

PointSet readSweep(const MeasMatrix& matrix) {
    PointSet points;
    for (int row = MeasMatrix::kActual; row < MeasMatrix::kActual + MeasMatrix::kBlockRows; ++row) {
        const double curve = matrix(row, MeasMatrix::Curve);
        // A NaN or an absurd marker ends the data as a 0 does.
        if (!(curve >= 0.5 && curve < 1e6)) {
            break;
        }
        MeasuredPoint p;
        p.curve = static_cast<int>(std::lround(curve));
        p.va = matrix(row, MeasMatrix::Va);
        p.vs = matrix(row, MeasMatrix::Vs);
        p.vg = matrix(row, MeasMatrix::Vg);
        p.ia = matrix(row, MeasMatrix::Ia);
        p.is = matrix(row, MeasMatrix::Is);
        points.push_back(p);
    }
    return points;
}

PointSet triodeSection(const PointSet& points, TriodeSection section) {
    PointSet out;
    out.reserve(points.size());
    for (const MeasuredPoint& p : points) {
        MeasuredPoint s = p;
        if (section == TriodeSection::Second) {
            s.va = p.vs;
            s.ia = p.is;
        }
        s.vs = 0.0;
        s.is = 0.0;
        out.push_back(s);
    }
    return out;
}

}  // namespace ostrino::model
