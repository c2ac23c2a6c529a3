#include "measure/ground_state.h"

#include <cmath>

namespace ostrino {

void keepMeasuredPoints(MeasMatrix& m) {
    for (int r = MeasMatrix::kActual; r < MeasMatrix::kActual + MeasMatrix::kBlockRows; ++r) {
        if (std::lround(m(r, MeasMatrix::Curve)) >= 1) {
            continue;
        }
        if (r == MeasMatrix::kActual) {
            m.markEmpty(MeasMatrix::kActual);
        } else {
            m(r, MeasMatrix::Curve) = 0.0;
        }
        break;
    }
    m.markEmpty(MeasMatrix::kFit);
}

void GotoGroundState(ConsoleState& state, InstrumentLink& link) {
    keepMeasuredPoints(state.dblMeasMatrix);
    state.intMeasStat = kGround;
    state.progressBar1 = 0;
    link.closePort();
}

}  // namespace ostrino
