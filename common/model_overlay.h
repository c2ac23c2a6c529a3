#pragma once
// What the valve-model window publishes for the graph: the fitted model's curves, drawn
// over the measured ones with a line style of their own in the measured curves' colours.

#include <array>
#include <vector>

#include "common/meas_matrix.h"

namespace ostrino {

struct ModelOverlay {
    // One point of a model curve with every column of the measurement matrix, so that the
    // graph takes its x and y from the columns it shows. Columns the model does not give
    // (the screen current of a triode) hold NaN and are not drawn.
    using Row = std::array<double, MeasMatrix::kCols>;
    struct Curve {
        int colour = 1;  // the measured curve it follows: 1 for the first curve of the block
        std::vector<Row> rows;
    };

    bool visible = false;  // the window is open and its curves are to be shown
    std::vector<Curve> curves;
};

}  // namespace ostrino
