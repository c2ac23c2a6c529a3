#pragma once
// Least-squares polynomials for the fitted curves and their derivatives.

#include <array>
#include <stdexcept>
#include <string>

#include "common/meas_matrix.h"

namespace ostrino {

// The one error that crosses an interface: an invalid degree (number 6000).
class RegressionError : public std::runtime_error {
  public:
    explicit RegressionError(const std::string& description) : std::runtime_error(description) {}
    int number() const { return 6000; }
    const char* source() const { return "RegressionObject"; }
};

class RegressionObject {
  public:
    static constexpr int kMaxDegree = 25;

    RegressionObject();
    void Init();
    int Degree() const { return degree_; }
    void Degree(int newVal);  // throws RegressionError outside 0..25
    int XYCount() const;
    void XYAdd(double newX, double newY);
    double Coeff(int exponent);
    double RegVal(double x);

  private:
    void solve();
    // Gaussian elimination at degree d; false for a zero pivot or a non-finite result.
    bool solveAt(int d);

    int degree_ = 2;
    std::array<double, 2 * kMaxDegree + 1> sx_{};
    std::array<double, kMaxDegree + 1> sxy_{};
    std::array<double, kMaxDegree + 1> c_{};
    int effectiveDegree_ = -1;  // degree of the current solution; -1 without points
    bool solved_ = false;
};

// Fits every measured curve (rows from intRow, to the end of that block) and writes 100
// samples per curve over the x range into the fit block from row 2000. The block holds ten
// curves; later ones are not fitted, so the end mark is at row 3000 at most. Throws
// RegressionError for an invalid degree, before anything is written.
void FitCurves(MeasMatrix& m, int intRow, int intXcol, int degree, double dblXmin, double dblXmax);

}  // namespace ostrino
