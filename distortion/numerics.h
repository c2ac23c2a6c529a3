#pragma once
// Numerical routines behind the distortion analysis: complex helpers, one-dimensional
// interpolants (piecewise linear and cubic spline), a bicubic spline surface over a
// rectangular grid and the discrete Fourier transform. Nothing here keeps state; every
// routine works on what it is handed.
//
// Robustness rules shared by all builders (measured data may repeat a node, for example two
// points of a curve at the same anode voltage):
//  - nodes that are not finite make a builder refuse (return false, output untouched);
//  - equal nodes are merged into one, its value (and derivative) being the mean of the merged
//    points, so no segment has zero width;
//  - fewer than two distinct nodes, mismatched array sizes or an unknown end type make a
//    builder refuse.
// Evaluators handed a malformed interpolant (for example a default-constructed one) return
// NaN instead of reading outside their arrays.

#include <span>
#include <vector>

namespace ostrino {

// ---- complex values and small utilities ------------------------------------------------------

struct Complex {
    double re = 0.0;
    double im = 0.0;
};

inline Complex Conj(Complex z) {
    return {z.re, -z.im};
}
inline Complex operator+(Complex a, Complex b) {
    return {a.re + b.re, a.im + b.im};
}
inline Complex operator-(Complex a, Complex b) {
    return {a.re - b.re, a.im - b.im};
}
inline Complex operator*(Complex a, Complex b) {
    return {a.re * b.re - a.im * b.im, a.re * b.im + a.im * b.re};
}
inline Complex operator*(double s, Complex z) {
    return {s * z.re, s * z.im};
}

// Magnitude without overflowing re^2 + im^2 for large parts.
double ComplexAbs(Complex z);

// Arc cosine built on atan; arguments outside [-1, 1] (rounding) give 0 or pi.
double ArcCos(double x);

struct PeriodicMapping {
    double x = 0.0;        // the argument mapped into [a, b]
    double periods = 0.0;  // how many periods (b - a) were taken off
};
// Maps x into [a, b]. An empty or reversed interval, or a non-finite argument, leaves x as it
// is with no periods counted.
PeriodicMapping MapPeriodic(double x, double a, double b);

// ---- one-dimensional interpolants -------------------------------------------------------------

// Piecewise polynomial: on segment i, with t = x - x[i], the value is
// c[4i] + c[4i+1] t + c[4i+2] t^2 + c[4i+3] t^3.
struct SplineInterpolant {
    bool periodic = false;  // map the argument into the node range before evaluating
    int n = 0;              // number of nodes, at least 2 once built
    int k = 3;              // degree of the stored form
    std::vector<double> x;  // nodes, ascending
    std::vector<double> c;  // 4 (n - 1) coefficients
};

// Packed cubic spline: [0] length of the array, [1] type code, [2] node count n, then the n
// nodes, then four coefficients per segment as in SplineInterpolant.
using PackedSpline = std::vector<double>;
inline constexpr double kCubicSplineCode = -3.0;

// End conditions of BuildCubicSpline.
enum SplineEndType : int {
    kParabolicEnd = 0,        // the end segment is a parabola (value ignored)
    kFirstDerivativeEnd = 1,  // the first derivative at that end is given
    kSecondDerivativeEnd = 2  // the second derivative at that end is given
};

struct SplineDerivatives {
    double value = 0.0;
    double first = 0.0;
    double second = 0.0;
};

// Puts the points in ascending order of x: untouched when strictly ascending, reversed when
// strictly descending, otherwise sorted (stably; NaN nodes go last). Every y (and d) moves
// with its x. Only the first min(sizes) points take part.
void SortPoints(std::span<double> x, std::span<double> y);
void SortPoints(std::span<double> x, std::span<double> y, std::span<double> d);

// Solves the tridiagonal system sub[i] v[i-1] + diag[i] v[i] + super[i] v[i+1] = rhs[i]
// (sub[0] and super[n-1] are not used) by forward elimination and back substitution.
// Returns an empty vector when the sizes differ or a pivot becomes zero.
std::vector<double> SolveTridiagonal(std::span<const double> sub, std::span<const double> diag,
                                     std::span<const double> super, std::span<const double> rhs);

// Piecewise-linear interpolant through (x[i], y[i]); extrapolates with the end slopes.
bool BuildLinearSpline(std::span<const double> x, std::span<const double> y,
                       SplineInterpolant& out);

// Value of the interpolant at x (NaN for a malformed interpolant).
double SplineValue(const SplineInterpolant& spline, double x);

// Cubic spline through (x[i], y[i]) with the given end conditions. With only two nodes and
// both ends parabolic the end conditions coincide; the spline is then the straight line.
bool BuildCubicSpline(std::span<const double> x, std::span<const double> y, int leftType,
                      double leftValue, int rightType, double rightValue, PackedSpline& out);

// Cubic Hermite spline through (x[i], y[i]) with first derivatives d[i].
bool BuildHermiteSpline(std::span<const double> x, std::span<const double> y,
                        std::span<const double> d, PackedSpline& out);

// Value, first and second derivative at x (all NaN for a malformed spline).
SplineDerivatives SplineDiff(const PackedSpline& spline, double x);

// ---- bicubic surface ---------------------------------------------------------------------------

// c: [0] total length 4 + n + m + 4 n m, [1] type code, [2] n (x nodes), [3] m (y nodes),
// x nodes, y nodes, then n m values f(x_j, y_i) row by row (row i along x), and the same for
// the x-derivatives, the y-derivatives and the mixed derivatives.
struct SurfaceInterpolant {
    std::vector<double> c;
    int k = 3;
};
inline constexpr double kBicubicSurfaceCode = -3.0;
// A bilinear surface has the same head, nodes and values, without the derivative blocks.
inline constexpr double kBilinearSurfaceCode = -1.0;

struct SurfaceDerivatives {
    double value = 0.0;
    double dx = 0.0;
    double dy = 0.0;
    double dxy = 0.0;
};

// Bicubic spline surface through f(x_j, y_i) = f[i * n + j], n = x.size(), m = y.size().
// Node derivatives come from cubic splines with parabolic ends along rows and columns.
bool BuildBicubicSurface(std::span<const double> x, std::span<const double> y,
                         std::span<const double> f, SurfaceInterpolant& out);

// Value at (x, y); the border cells extend beyond the nodes. NaN for a malformed surface.
double SurfaceValue(const SurfaceInterpolant& surface, double x, double y);
// Value with its first and mixed derivatives.
SurfaceDerivatives SurfaceDiff(const SurfaceInterpolant& surface, double x, double y);

// ---- discrete Fourier transform ---------------------------------------------------------------

// f[j] = sum over k of a[k] exp(-2 pi i j k / n), unscaled, for any length n (an empty input
// gives an empty result).
std::vector<Complex> RealFFT(std::span<const double> a);
void ComplexFFT(std::vector<Complex>& a);

}  // namespace ostrino
