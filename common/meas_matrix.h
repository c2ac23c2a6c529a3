#pragma once
// dblMeasMatrix: rows 0..3000 by columns 0..6.
//   column 0 curve number, 1 Ia (mA), 2 Is (mA), 3 Vh, 4 Vg, 5 Vs, 6 Va (V).
// Row blocks: 0..999 the current sweep, 1000..1999 the stored copy, 2000..3000 the
// fitted curves and derivatives. In a block, a composed but unmeasured point holds the
// negated curve number, a measured one the positive number, 0 ends the data, and -1 in
// the block's first row marks the block empty.

#include <array>

namespace ostrino {

struct MeasMatrix {
    static constexpr int kRows = 3001;
    static constexpr int kCols = 7;
    static constexpr int kActual = 0;
    static constexpr int kStored = 1000;
    static constexpr int kFit = 2000;
    static constexpr int kBlockRows = 1000;

    enum Column { Curve = 0, Ia = 1, Is = 2, Vh = 3, Vg = 4, Vs = 5, Va = 6 };

    std::array<std::array<double, kCols>, kRows> cells{};

    double& operator()(int row, int col) {
        return cells.at(static_cast<std::size_t>(row)).at(static_cast<std::size_t>(col));
    }
    double operator()(int row, int col) const {
        return cells.at(static_cast<std::size_t>(row)).at(static_cast<std::size_t>(col));
    }

    void markEmpty(int blockFirstRow) { (*this)(blockFirstRow, Curve) = -1.0; }
};

}  // namespace ostrino
