#include "plot/regression.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "common/numbers.h"

namespace ostrino {

RegressionObject::RegressionObject() {
    Init();
    degree_ = 2;
}

void RegressionObject::Init() {
    sx_.fill(0.0);
    sxy_.fill(0.0);
    c_.fill(0.0);
    effectiveDegree_ = -1;
    solved_ = false;
}

void RegressionObject::Degree(int newVal) {
    if (newVal < 0 || newVal > kMaxDegree) {
        throw RegressionError(
            std::to_string(newVal) +
            " is an invalid property value! Use 0<= Degree <= " + std::to_string(kMaxDegree));
    }
    Init();
    degree_ = newVal;
}

int RegressionObject::XYCount() const {
    return static_cast<int>(roundHalfEven(sx_[0]));
}

void RegressionObject::XYAdd(double newX, double newY) {
    const auto n = static_cast<std::size_t>(degree_);
    sx_[0] += 1.0;
    sxy_[0] += newY;
    double t = 1.0;
    for (std::size_t i = 1; i <= n; ++i) {
        t *= newX;
        sx_[i] += t;
        sxy_[i] += newY * t;
    }
    for (std::size_t i = n + 1; i <= 2 * n; ++i) {
        t *= newX;
        sx_[i] += t;
    }
    solved_ = false;
}

double RegressionObject::Coeff(int exponent) {
    if (!solved_) {
        solve();
    }
    const long long k = std::llabs(static_cast<long long>(exponent));
    return k <= effectiveDegree_ ? c_[static_cast<std::size_t>(k)] : 0.0;
}

double RegressionObject::RegVal(double x) {
    if (!solved_) {
        solve();
    }
    double y = 0.0;
    for (int i = effectiveDegree_; i >= 0; --i) {
        y = y * x + c_[static_cast<std::size_t>(i)];
    }
    return y;
}

bool RegressionObject::solveAt(int d) {
    // Normal equations with the right-hand side in column d + 1.
    std::array<std::array<double, kMaxDegree + 2>, kMaxDegree + 1> mat;
    const auto at = [&mat](int r, int col) -> double& {
        return mat[static_cast<std::size_t>(r)][static_cast<std::size_t>(col)];
    };
    for (int i = 0; i <= d; ++i) {
        for (int j = 0; j <= d; ++j) {
            at(i, j) = sx_[static_cast<std::size_t>(i + j)];
        }
        at(i, d + 1) = sxy_[static_cast<std::size_t>(i)];
    }

    for (int i = 0; i <= d; ++i) {
        int pivot = i;
        for (int r = i + 1; r <= d; ++r) {
            if (std::fabs(at(r, i)) > std::fabs(at(pivot, i))) {
                pivot = r;
            }
        }
        if (pivot > i) {
            for (int k = i; k <= d + 1; ++k) {
                std::swap(at(i, k), at(pivot, k));
            }
        }
        if (at(i, i) == 0.0 || !std::isfinite(at(i, i))) {
            return false;
        }
        for (int j = i + 1; j <= d; ++j) {
            const double f = at(j, i) / at(i, i);
            at(j, i) = 0.0;
            for (int k = i + 1; k <= d + 1; ++k) {
                at(j, k) -= at(i, k) * f;
            }
        }
    }

    std::array<double, kMaxDegree + 1> c{};
    for (int i = d; i >= 0; --i) {
        double sum = at(i, d + 1);
        for (int j = i + 1; j <= d; ++j) {
            sum -= at(i, j) * c[static_cast<std::size_t>(j)];
        }
        c[static_cast<std::size_t>(i)] = sum / at(i, i);
        if (!std::isfinite(c[static_cast<std::size_t>(i)])) {
            return false;
        }
    }
    c_ = c;
    return true;
}

void RegressionObject::solve() {
    c_.fill(0.0);
    effectiveDegree_ = -1;
    int d = std::min(degree_, XYCount() - 1);
    // A singular or overflowing system is solved again one degree lower, so the caller
    // always gets finite coefficients; data that defeats even the mean gives zeros.
    for (; d >= 0; --d) {
        if (solveAt(d)) {
            effectiveDegree_ = d;
            break;
        }
    }
    if (d < 0 && XYCount() > 0) {
        effectiveDegree_ = 0;
    }
    solved_ = true;
}

void FitCurves(MeasMatrix& m, int intRow, int intXcol, int degree, double dblXmin, double dblXmax) {
    static constexpr int kSamples = 100;
    static constexpr int kMaxCurves = MeasMatrix::kBlockRows / kSamples;

    RegressionObject reg;
    reg.Degree(degree);

    m(MeasMatrix::kFit, MeasMatrix::Curve) = -1.0;
    if (intRow < 0 || intRow >= MeasMatrix::kRows || intXcol < 0 || intXcol >= MeasMatrix::kCols) {
        return;
    }
    // The scan never runs on into the next block, even when this one is full.
    const int blockEnd =
        std::min(MeasMatrix::kRows, (intRow / MeasMatrix::kBlockRows + 1) * MeasMatrix::kBlockRows);
    const auto curveAt = [&m](int r) { return roundHalfEven(m(r, MeasMatrix::Curve)); };

    int out = MeasMatrix::kFit;
    int n = 0;
    int row = intRow;
    while (row < blockEnd && curveAt(row) >= 1 && n < kMaxCurves) {
        ++n;
        reg.Init();
        const double curve = curveAt(row);
        for (; row < blockEnd && curveAt(row) == curve; ++row) {
            reg.XYAdd(m(row, intXcol), m(row, MeasMatrix::Ia));
        }

        double x = dblXmin;
        const double dx = (dblXmax - dblXmin) / kSamples;
        for (int k = 0; k < kSamples; ++k) {
            double y = 0.0;
            double dy = 0.0;
            for (int j = degree; j >= 0; --j) {
                const double c = reg.Coeff(j);
                y = y * x + c;
                if (j > 0) {
                    dy = j * c + x * dy;
                }
            }
            m(out, MeasMatrix::Curve) = n;
            m(out, intXcol) = x;
            m(out, MeasMatrix::Ia) = y;
            m(out, MeasMatrix::Is) = dy;
            m(out, MeasMatrix::Vh) = 1.0 / (dy + 1e-8);
            ++out;
            x += dx;
        }
    }
    m(out, MeasMatrix::Curve) = -1.0;
}

}  // namespace ostrino
