#include "distortion/numerics.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <numeric>
#include <optional>

namespace ostrino {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

bool allFinite(std::span<const double> v) {
    return std::all_of(v.begin(), v.end(), [](double e) { return std::isfinite(e); });
}

// Segment l (0 .. nodes.size() - 2) whose interval holds x; arguments outside the nodes get
// the border segments. Needs at least two nodes.
int findSegment(std::span<const double> nodes, double x) {
    int l = 0;
    int r = static_cast<int>(nodes.size()) - 1;
    while (r - l != 1) {
        const int mid = (l + r) / 2;
        if (nodes[static_cast<std::size_t>(mid)] >= x) {
            r = mid;
        } else {
            l = mid;
        }
    }
    return l;
}

// A whole count stored as a Double in a packed array, when it is one in [2, limit].
std::optional<std::size_t> storedCount(double v, std::size_t limit) {
    if (!(v >= 2.0) || v > static_cast<double>(limit) || v != std::floor(v)) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(v);
}

// The distinct values of `nodes` in ascending order, each with the indexes that carry it.
struct NodeGroups {
    std::vector<double> values;
    std::vector<std::vector<std::size_t>> members;
};

NodeGroups groupNodes(std::span<const double> nodes) {
    std::vector<std::size_t> order(nodes.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return nodes[a] < nodes[b]; });
    NodeGroups g;
    for (std::size_t idx : order) {
        if (g.values.empty() || nodes[idx] != g.values.back()) {
            g.values.push_back(nodes[idx]);
            g.members.emplace_back();
        }
        g.members.back().push_back(idx);
    }
    return g;
}

// Sorted points with distinct nodes; equal nodes are merged into their mean value (and mean
// derivative). Nothing when the input cannot make an interpolant.
struct Points {
    std::vector<double> x, y, d;
};

std::optional<Points> preparePoints(std::span<const double> x, std::span<const double> y,
                                    std::span<const double> d, bool withDerivatives) {
    if (x.size() != y.size() || (withDerivatives && d.size() != x.size()) || !allFinite(x)) {
        return std::nullopt;
    }
    const NodeGroups g = groupNodes(x);
    if (g.values.size() < 2) {
        return std::nullopt;
    }
    Points p;
    p.x = g.values;
    for (const auto& members : g.members) {
        double sy = 0.0;
        double sd = 0.0;
        for (std::size_t idx : members) {
            sy += y[idx];
            sd += withDerivatives ? d[idx] : 0.0;
        }
        const auto count = static_cast<double>(members.size());
        p.y.push_back(sy / count);
        if (withDerivatives) {
            p.d.push_back(sd / count);
        }
    }
    return p;
}

// Hermite form over sorted distinct nodes, packed.
PackedSpline packHermite(const std::vector<double>& x, const std::vector<double>& y,
                         const std::vector<double>& d) {
    const std::size_t n = x.size();
    PackedSpline s;
    s.reserve(3 + n + 4 * (n - 1));
    s.push_back(static_cast<double>(3 + n + 4 * (n - 1)));
    s.push_back(kCubicSplineCode);
    s.push_back(static_cast<double>(n));
    s.insert(s.end(), x.begin(), x.end());
    for (std::size_t i = 0; i + 1 < n; ++i) {
        const double h = x[i + 1] - x[i];
        const double dy = y[i + 1] - y[i];
        s.push_back(y[i]);
        s.push_back(d[i]);
        s.push_back((3.0 * dy - 2.0 * d[i] * h - d[i + 1] * h) / (h * h));
        s.push_back((-2.0 * dy + d[i] * h + d[i + 1] * h) / (h * h * h));
    }
    return s;
}

// Node derivatives of the cubic spline with the given end conditions; empty when the system
// cannot be solved.
std::vector<double> splineSlopes(const std::vector<double>& x, const std::vector<double>& y,
                                 int leftType, double leftValue, int rightType, double rightValue) {
    const std::size_t n = x.size();
    if (n == 2 && leftType == kParabolicEnd && rightType == kParabolicEnd) {
        // Both conditions would read d0 + d1 = 2 dy / h: take the straight line instead.
        leftType = rightType = kSecondDerivativeEnd;
        leftValue = rightValue = 0.0;
    }
    std::vector<double> sub(n, 0.0), diag(n, 0.0), super(n, 0.0), rhs(n, 0.0);
    const double h0 = x[1] - x[0];
    const double slope0 = (y[1] - y[0]) / h0;
    switch (leftType) {
        case kParabolicEnd:
            diag[0] = 1.0;
            super[0] = 1.0;
            rhs[0] = 2.0 * slope0;
            break;
        case kFirstDerivativeEnd:
            diag[0] = 1.0;
            rhs[0] = leftValue;
            break;
        default:  // kSecondDerivativeEnd
            diag[0] = 2.0;
            super[0] = 1.0;
            rhs[0] = 3.0 * slope0 - leftValue * h0 / 2.0;
            break;
    }
    for (std::size_t i = 1; i + 1 < n; ++i) {
        const double hl = x[i] - x[i - 1];
        const double hr = x[i + 1] - x[i];
        sub[i] = hr;
        diag[i] = 2.0 * (hl + hr);
        super[i] = hl;
        rhs[i] = 3.0 * (y[i + 1] - y[i]) * hl / hr + 3.0 * (y[i] - y[i - 1]) * hr / hl;
    }
    const double hn = x[n - 1] - x[n - 2];
    const double slopeN = (y[n - 1] - y[n - 2]) / hn;
    switch (rightType) {
        case kParabolicEnd:
            sub[n - 1] = 1.0;
            diag[n - 1] = 1.0;
            rhs[n - 1] = 2.0 * slopeN;
            break;
        case kFirstDerivativeEnd:
            diag[n - 1] = 1.0;
            rhs[n - 1] = rightValue;
            break;
        default:  // kSecondDerivativeEnd
            sub[n - 1] = 1.0;
            diag[n - 1] = 2.0;
            rhs[n - 1] = 3.0 * slopeN + rightValue * hn / 2.0;
            break;
    }
    return SolveTridiagonal(sub, diag, super, rhs);
}

bool validEndType(int type) {
    return type == kParabolicEnd || type == kFirstDerivativeEnd || type == kSecondDerivativeEnd;
}

template <typename Swap>
void sortByX(std::span<double> x, std::size_t n, Swap applyPermutation) {
    bool ascending = true;
    bool descending = true;
    for (std::size_t i = 0; i + 1 < n; ++i) {
        ascending = ascending && x[i] < x[i + 1];
        descending = descending && x[i] > x[i + 1];
    }
    if (ascending) {
        return;
    }
    std::vector<std::size_t> order(n);
    std::iota(order.begin(), order.end(), std::size_t{0});
    if (descending) {
        std::reverse(order.begin(), order.end());
    } else {
        // NaN nodes last, so that the order is a strict weak ordering whatever the data.
        std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
            if (std::isnan(x[a]) || std::isnan(x[b])) {
                return !std::isnan(x[a]) && std::isnan(x[b]);
            }
            return x[a] < x[b];
        });
    }
    applyPermutation(order);
}

void permute(std::span<double> v, const std::vector<std::size_t>& order) {
    std::vector<double> copy(order.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        copy[i] = v[order[i]];
    }
    std::copy(copy.begin(), copy.end(), v.begin());
}

}  // namespace

// ---- complex values and small utilities ------------------------------------------------------

double ComplexAbs(Complex z) {
    const double a = std::fabs(z.re);
    const double b = std::fabs(z.im);
    if (std::isnan(a) || std::isnan(b)) {
        return kNaN;
    }
    if (std::isinf(a) || std::isinf(b)) {
        return std::numeric_limits<double>::infinity();
    }
    const double w = std::max(a, b);
    const double v = std::min(a, b);
    if (v == 0.0) {
        return w;
    }
    const double q = v / w;
    return w * std::sqrt(1.0 + q * q);
}

double ArcCos(double x) {
    if (std::isnan(x)) {
        return kNaN;
    }
    const double halfPi = 2.0 * std::atan(1.0);
    const double s = std::sqrt(1.0 - x * x);
    if (s >= 1e-70) {
        return std::atan(-x / s) + halfPi;
    }
    const double signOfMinusX = x > 0.0 ? -1.0 : (x < 0.0 ? 1.0 : 0.0);
    return std::atan(signOfMinusX * 1e70) + halfPi;
}

PeriodicMapping MapPeriodic(double x, double a, double b) {
    const double w = b - a;
    if (!std::isfinite(x) || !std::isfinite(a) || !std::isfinite(b) || !(w > 0.0)) {
        return {x, 0.0};
    }
    double k = std::floor((x - a) / w);
    if (!std::isfinite(k)) {
        return {std::clamp(x, a, b), 0.0};
    }
    x -= k * w;
    // A few corrections mend rounding; the cap keeps absurd magnitudes (where adding a period
    // no longer changes x) from looping for ever.
    for (int guard = 0; x < a && guard < 64; ++guard) {
        x += w;
        k -= 1.0;
    }
    for (int guard = 0; x > b && guard < 64; ++guard) {
        x -= w;
        k += 1.0;
    }
    return {std::clamp(x, a, b), k};
}

// ---- one-dimensional interpolants -------------------------------------------------------------

void SortPoints(std::span<double> x, std::span<double> y) {
    const std::size_t n = std::min(x.size(), y.size());
    sortByX(x, n, [&](const std::vector<std::size_t>& order) {
        permute(x, order);
        permute(y, order);
    });
}

void SortPoints(std::span<double> x, std::span<double> y, std::span<double> d) {
    const std::size_t n = std::min({x.size(), y.size(), d.size()});
    sortByX(x, n, [&](const std::vector<std::size_t>& order) {
        permute(x, order);
        permute(y, order);
        permute(d, order);
    });
}

std::vector<double> SolveTridiagonal(std::span<const double> sub, std::span<const double> diag,
                                     std::span<const double> super, std::span<const double> rhs) {
    const std::size_t n = diag.size();
    if (n == 0 || sub.size() != n || super.size() != n || rhs.size() != n) {
        return {};
    }
    std::vector<double> b(diag.begin(), diag.end());
    std::vector<double> v(rhs.begin(), rhs.end());
    for (std::size_t i = 1; i < n; ++i) {
        if (b[i - 1] == 0.0) {
            return {};
        }
        const double factor = sub[i] / b[i - 1];
        b[i] -= factor * super[i - 1];
        v[i] -= factor * v[i - 1];
    }
    if (b[n - 1] == 0.0) {
        return {};
    }
    v[n - 1] /= b[n - 1];
    for (std::size_t i = n - 1; i-- > 0;) {
        v[i] = (v[i] - super[i] * v[i + 1]) / b[i];
    }
    return v;
}

bool BuildLinearSpline(std::span<const double> x, std::span<const double> y,
                       SplineInterpolant& out) {
    const std::optional<Points> p = preparePoints(x, y, {}, false);
    if (!p) {
        return false;
    }
    const std::size_t n = p->x.size();
    SplineInterpolant s;
    s.periodic = false;
    s.n = static_cast<int>(n);
    s.k = 3;
    s.x = p->x;
    s.c.reserve(4 * (n - 1));
    for (std::size_t i = 0; i + 1 < n; ++i) {
        s.c.push_back(p->y[i]);
        s.c.push_back((p->y[i + 1] - p->y[i]) / (p->x[i + 1] - p->x[i]));
        s.c.push_back(0.0);
        s.c.push_back(0.0);
    }
    out = std::move(s);
    return true;
}

double SplineValue(const SplineInterpolant& spline, double x) {
    if (spline.n < 2) {
        return kNaN;
    }
    const auto n = static_cast<std::size_t>(spline.n);
    if (spline.x.size() < n || spline.c.size() < 4 * (n - 1)) {
        return kNaN;
    }
    const std::span<const double> nodes(spline.x.data(), n);
    if (spline.periodic) {
        x = MapPeriodic(x, nodes.front(), nodes.back()).x;
    }
    const auto l = static_cast<std::size_t>(findSegment(nodes, x));
    const double t = x - nodes[l];
    const double* c = &spline.c[4 * l];
    return c[0] + t * (c[1] + t * (c[2] + t * c[3]));
}

bool BuildCubicSpline(std::span<const double> x, std::span<const double> y, int leftType,
                      double leftValue, int rightType, double rightValue, PackedSpline& out) {
    if (!validEndType(leftType) || !validEndType(rightType)) {
        return false;
    }
    const std::optional<Points> p = preparePoints(x, y, {}, false);
    if (!p) {
        return false;
    }
    const std::vector<double> d =
        splineSlopes(p->x, p->y, leftType, leftValue, rightType, rightValue);
    if (d.empty()) {
        return false;
    }
    out = packHermite(p->x, p->y, d);
    return true;
}

bool BuildHermiteSpline(std::span<const double> x, std::span<const double> y,
                        std::span<const double> d, PackedSpline& out) {
    const std::optional<Points> p = preparePoints(x, y, d, true);
    if (!p) {
        return false;
    }
    out = packHermite(p->x, p->y, p->d);
    return true;
}

SplineDerivatives SplineDiff(const PackedSpline& spline, double x) {
    const SplineDerivatives bad{kNaN, kNaN, kNaN};
    if (spline.size() < 3 || spline[1] != kCubicSplineCode) {
        return bad;
    }
    const std::optional<std::size_t> count = storedCount(spline[2], spline.size());
    if (!count) {
        return bad;
    }
    const std::size_t n = *count;
    const std::size_t length = 3 + n + 4 * (n - 1);
    if (spline.size() < length || spline[0] != static_cast<double>(length)) {
        return bad;
    }
    const std::span<const double> nodes(spline.data() + 3, n);
    const auto l = static_cast<std::size_t>(findSegment(nodes, x));
    const double t = x - nodes[l];
    const double* c = spline.data() + 3 + n + 4 * l;
    return {c[0] + t * (c[1] + t * (c[2] + t * c[3])), c[1] + t * (2.0 * c[2] + 3.0 * c[3] * t),
            2.0 * c[2] + 6.0 * c[3] * t};
}

// ---- bicubic surface ---------------------------------------------------------------------------

bool BuildBicubicSurface(std::span<const double> x, std::span<const double> y,
                         std::span<const double> f, SurfaceInterpolant& out) {
    if (x.size() < 2 || y.size() < 2 || f.size() != x.size() * y.size() || !allFinite(x) ||
        !allFinite(y)) {
        return false;
    }
    const std::size_t rawN = x.size();
    // Sorting and merging both axes at once: each grid value is the mean over the merged
    // rows and columns.
    const NodeGroups gx = groupNodes(x);
    const NodeGroups gy = groupNodes(y);
    const std::size_t n = gx.values.size();
    const std::size_t m = gy.values.size();
    if (n < 2 || m < 2) {
        return false;
    }
    std::vector<double> values(n * m);
    for (std::size_t i = 0; i < m; ++i) {
        for (std::size_t j = 0; j < n; ++j) {
            double sum = 0.0;
            for (std::size_t r : gy.members[i]) {
                for (std::size_t col : gx.members[j]) {
                    sum += f[r * rawN + col];
                }
            }
            values[i * n + j] =
                sum / static_cast<double>(gy.members[i].size() * gx.members[j].size());
        }
    }

    std::vector<double> dx(n * m), dy(n * m), dxy(n * m);
    std::vector<double> line;
    PackedSpline spline;
    const auto derivativesAlong = [&](const std::vector<double>& nodes,
                                      const std::vector<double>& src, std::vector<double>& dst,
                                      std::size_t start, std::size_t stride) {
        line.assign(nodes.size(), 0.0);
        for (std::size_t k = 0; k < nodes.size(); ++k) {
            line[k] = src[start + k * stride];
        }
        if (!BuildCubicSpline(nodes, line, kParabolicEnd, 0.0, kParabolicEnd, 0.0, spline)) {
            return false;
        }
        for (std::size_t k = 0; k < nodes.size(); ++k) {
            dst[start + k * stride] = SplineDiff(spline, nodes[k]).first;
        }
        return true;
    };
    for (std::size_t i = 0; i < m; ++i) {
        if (!derivativesAlong(gx.values, values, dx, i * n, 1)) {
            return false;
        }
    }
    for (std::size_t j = 0; j < n; ++j) {
        if (!derivativesAlong(gy.values, values, dy, j, n) ||
            !derivativesAlong(gy.values, dx, dxy, j, n)) {
            return false;
        }
    }

    SurfaceInterpolant s;
    s.k = 3;
    s.c.reserve(4 + n + m + 4 * n * m);
    s.c.push_back(static_cast<double>(4 + n + m + 4 * n * m));
    s.c.push_back(kBicubicSurfaceCode);
    s.c.push_back(static_cast<double>(n));
    s.c.push_back(static_cast<double>(m));
    const std::vector<double>* const blocks[] = {&gx.values, &gy.values, &values, &dx, &dy, &dxy};
    for (const std::vector<double>* block : blocks) {
        s.c.insert(s.c.end(), block->begin(), block->end());
    }
    out = std::move(s);
    return true;
}

double SurfaceValue(const SurfaceInterpolant& surface, double x, double y) {
    return SurfaceDiff(surface, x, y).value;
}

SurfaceDerivatives SurfaceDiff(const SurfaceInterpolant& surface, double x, double y) {
    const SurfaceDerivatives bad{kNaN, kNaN, kNaN, kNaN};
    const std::vector<double>& c = surface.c;
    if (c.size() < 4) {
        return bad;
    }
    const bool bicubic = c[1] == kBicubicSurfaceCode;
    if (!bicubic && c[1] != kBilinearSurfaceCode) {
        return bad;
    }
    const std::optional<std::size_t> nc = storedCount(c[2], c.size());
    const std::optional<std::size_t> mc = storedCount(c[3], c.size());
    if (!nc || !mc || *nc > c.size() / *mc) {
        return bad;
    }
    const std::size_t n = *nc;
    const std::size_t m = *mc;
    const std::size_t nm = n * m;
    const std::size_t length = 4 + n + m + (bicubic ? 4 : 1) * nm;
    if (c.size() < length || c[0] != static_cast<double>(length)) {
        return bad;
    }
    const std::span<const double> xs(c.data() + 4, n);
    const std::span<const double> ys(c.data() + 4 + n, m);
    const std::size_t l = static_cast<std::size_t>(findSegment(xs, x));
    const std::size_t q = static_cast<std::size_t>(findSegment(ys, y));
    const double hx = xs[l + 1] - xs[l];
    const double hy = ys[q + 1] - ys[q];
    const double t = (x - xs[l]) / hx;
    const double u = (y - ys[q]) / hy;
    // Corners in the order (x_l, y_q), (x_l+1, y_q), (x_l, y_q+1), (x_l+1, y_q+1).
    const std::size_t corner[4] = {q * n + l, q * n + l + 1, (q + 1) * n + l, (q + 1) * n + l + 1};
    const double* val = c.data() + 4 + n + m;
    const auto at = [&](const double* block, int k) { return block[corner[k]]; };

    if (!bicubic) {
        const double f00 = at(val, 0), f10 = at(val, 1), f01 = at(val, 2), f11 = at(val, 3);
        return {(1 - t) * (1 - u) * f00 + t * (1 - u) * f10 + t * u * f11 + (1 - t) * u * f01,
                ((1 - u) * (f10 - f00) + u * (f11 - f01)) / hx,
                ((1 - t) * (f01 - f00) + t * (f11 - f10)) / hy,
                (f11 - f10 - f01 + f00) / (hx * hy)};
    }

    const double* fx = val + nm;
    const double* fy = val + 2 * nm;
    const double* fxy = val + 3 * nm;
    // Cubic Hermite basis on [0, 1]: H for the end values, G for the end slopes; index 0 is the
    // left end, 1 the right end; the second array holds the derivatives.
    struct Basis {
        double h[2], g[2], dh[2], dg[2];
    };
    const auto basis = [](double s) {
        const double s2 = s * s;
        const double s3 = s2 * s;
        return Basis{{2 * s3 - 3 * s2 + 1, -2 * s3 + 3 * s2},
                     {s3 - 2 * s2 + s, s3 - s2},
                     {6 * s2 - 6 * s, -6 * s2 + 6 * s},
                     {3 * s2 - 4 * s + 1, 3 * s2 - 2 * s}};
    };
    const Basis bt = basis(t);
    const Basis bu = basis(u);
    SurfaceDerivatives r{0, 0, 0, 0};
    for (int b = 0; b < 2; ++b) {
        for (int a = 0; a < 2; ++a) {
            const int k = 2 * b + a;
            const double v0 = at(val, k);
            const double vx = hx * at(fx, k);
            const double vy = hy * at(fy, k);
            const double vxy = hx * hy * at(fxy, k);
            const auto combine = [&](const double* tx, const double* gx, const double* uy,
                                     const double* gy) {
                return v0 * tx[a] * uy[b] + vx * gx[a] * uy[b] + vy * tx[a] * gy[b] +
                       vxy * gx[a] * gy[b];
            };
            r.value += combine(bt.h, bt.g, bu.h, bu.g);
            r.dx += combine(bt.dh, bt.dg, bu.h, bu.g);
            r.dy += combine(bt.h, bt.g, bu.dh, bu.dg);
            r.dxy += combine(bt.dh, bt.dg, bu.dh, bu.dg);
        }
    }
    r.dx /= hx;
    r.dy /= hy;
    r.dxy /= hx * hy;
    return r;
}

}  // namespace ostrino
