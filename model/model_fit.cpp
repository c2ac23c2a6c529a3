#include "model/model_fit.h"

#include <ceres/ceres.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <memory>
#include <numbers>
#include <optional>
#include <string>

#include "model/equations.h"

namespace ostrino::model {

namespace {

// Below this the instrument reads no current at all (its finest step is about 1.4 uA).
constexpr double kNoCurrentMa = 0.01;
// Points needed per parameter.
constexpr int kPointsPerParameter = 3;
// Starting points the solver runs from (the best of the grid of starting values).
constexpr std::size_t kSolvedStarts = 2;

double largestCurrent(const PointSet& points, bool screen) {
    double largest = 0.0;
    for (const MeasuredPoint& p : points) {
        largest = std::max(largest, screen ? p.is : p.ia);
    }
    return largest;
}

bool allFinite(const MeasuredPoint& p) {
    return std::isfinite(p.va) && std::isfinite(p.vs) && std::isfinite(p.vg) &&
           std::isfinite(p.ia) && std::isfinite(p.is);
}

bool varies(const PointSet& points, double MeasuredPoint::*member) {
    const auto [lo, hi] = std::minmax_element(
        points.begin(), points.end(),
        [member](const MeasuredPoint& a, const MeasuredPoint& b) { return a.*member < b.*member; });
    return (*hi).*member - (*lo).*member > 1e-6;
}

// Why the family cannot be fitted with the model, or nullopt when it can.
std::optional<std::string> whyNotFittable(const ModelInfo& info, const PointSet& points) {
    const std::string model(info.title);
    if (points.empty()) {
        return "No measured points: measure a family of curves first.";
    }
    if (!std::all_of(points.begin(), points.end(), allFinite)) {
        return "The measured family holds a value that is not a number; it cannot be fitted.";
    }
    const int needed = kPointsPerParameter * static_cast<int>(info.parameters.size());
    if (static_cast<int>(points.size()) < needed) {
        return "Too few measured points for the " + model +
               " model: " + std::to_string(points.size()) + ", at least " + std::to_string(needed) +
               " are needed.";
    }
    const bool oneCurve = std::all_of(points.begin(), points.end(), [&](const MeasuredPoint& p) {
        return p.curve == points.front().curve;
    });
    if (oneCurve) {
        return "Only one curve was measured; a model needs at least two curves.";
    }
    const bool gridOrScreenVaries =
        varies(points, &MeasuredPoint::vg) || (info.pentode && varies(points, &MeasuredPoint::vs));
    if (!gridOrScreenVaries) {
        return "Every point has the same grid voltage; a model needs curves at two grid "
               "voltages or more.";
    }
    const double largest = largestCurrent(points, false);
    if (largest < kNoCurrentMa) {
        return "No anode current was measured; there is nothing to fit.";
    }
    if (info.pentode && largestCurrent(points, true) < kNoCurrentMa) {
        return "No screen current was measured; the " + model + " model needs it.";
    }
    const auto carrying = std::count_if(points.begin(), points.end(), [&](const MeasuredPoint& p) {
        return p.ia > 0.02 * largest;
    });
    if (carrying < static_cast<long>(info.parameters.size()) + 1) {
        return "Only " + std::to_string(carrying) +
               " points carry anode current; the valve was cut off for most of the family.";
    }
    return std::nullopt;
}

// --- Starting values ---------------------------------------------------------------------

// I ~ scale * (vctl / mu + vg)^ex where the valve conducts well.
struct PowerLaw {
    double mu = 20.0;
    double ex = 1.4;
    double scale = 1.0;
};

// Where the valve conducts well, the equations reduce to I ~ (a * vctl + b * vg)^ex, with
// vctl the anode (triode) or screen (pentode) voltage: for each ex tried, I^(1/ex) is linear
// in the two voltages, and mu = b / a is the spacing of the curves along vctl per volt of
// grid. The ex that reproduces the currents best is kept.
PowerLaw powerLawStart(const PointSet& points, bool pentode) {
    const double largest = largestCurrent(points, false);
    double vaMax = 0.0;
    for (const MeasuredPoint& p : points) {
        vaMax = std::max(vaMax, p.va);
    }
    struct Sample {
        double vctl, vg, i;
    };
    std::vector<Sample> s;
    for (const MeasuredPoint& p : points) {
        const double vctl = pentode ? p.vs : p.va;
        // A pentode's anode takes its full share only well above the knee.
        const bool aboveKnee = !pentode || p.va >= 0.5 * vaMax;
        if (p.ia >= 0.2 * largest && vctl > 0.0 && aboveKnee) {
            s.push_back({vctl, p.vg, p.ia});
        }
    }

    PowerLaw fallback;
    {
        const auto top = std::max_element(
            points.begin(), points.end(),
            [](const MeasuredPoint& a, const MeasuredPoint& b) { return a.ia < b.ia; });
        const double drive = std::max((pentode ? top->vs : top->va) / fallback.mu + top->vg, 1.0);
        fallback.scale = largest / std::pow(drive, fallback.ex);
    }
    if (s.size() < 3) {
        return fallback;
    }

    double bestSse = std::numeric_limits<double>::infinity();
    PowerLaw best = fallback;
    for (double ex = 1.1; ex < 2.05; ex += 0.1) {
        double sxx = 0, sxy = 0, syy = 0, sxz = 0, syz = 0;
        for (const Sample& x : s) {
            const double z = std::pow(x.i, 1.0 / ex);
            sxx += x.vctl * x.vctl;
            sxy += x.vctl * x.vg;
            syy += x.vg * x.vg;
            sxz += x.vctl * z;
            syz += x.vg * z;
        }
        const double det = sxx * syy - sxy * sxy;
        if (!(std::abs(det) > 1e-12 * sxx * syy)) {
            continue;
        }
        const double a = (sxz * syy - syz * sxy) / det;
        const double b = (syz * sxx - sxz * sxy) / det;
        if (!(a > 0.0 && b > 0.0)) {
            continue;
        }
        double sse = 0.0;
        for (const Sample& x : s) {
            const double pred = std::pow(std::max(a * x.vctl + b * x.vg, 0.0), ex);
            sse += (pred - x.i) * (pred - x.i);
        }
        if (sse < bestSse) {
            bestSse = sse;
            best = {b / a, ex, std::pow(b, ex)};
        }
    }
    return best;
}

// The anode voltage at which a pentode's curves reach half their top current: Koren's knee
// atan(Va / kvb) is at half its final value where Va = kvb.
double pentodeKneeStart(const PointSet& points) {
    std::vector<double> knees;
    std::size_t first = 0;
    while (first < points.size()) {
        std::size_t last = first;
        while (last + 1 < points.size() && points[last + 1].curve == points[first].curve) {
            ++last;
        }
        double top = 0.0;
        for (std::size_t k = first; k <= last; ++k) {
            top = std::max(top, points[k].ia);
        }
        double knee = std::numeric_limits<double>::infinity();
        for (std::size_t k = first; k <= last; ++k) {
            if (top > 0.0 && points[k].ia >= 0.5 * top) {
                knee = std::min(knee, points[k].va);
            }
        }
        if (std::isfinite(knee) && knee > 0.0) {
            knees.push_back(knee);
        }
        first = last + 1;
    }
    if (knees.empty()) {
        return 20.0;
    }
    std::nth_element(knees.begin(), knees.begin() + static_cast<long>(knees.size() / 2),
                     knees.end());
    return knees[knees.size() / 2];
}

double median(std::vector<double> v) {
    if (v.empty()) {
        return std::numeric_limits<double>::quiet_NaN();
    }
    const auto mid = v.begin() + static_cast<long>(v.size() / 2);
    std::nth_element(v.begin(), mid, v.end());
    return *mid;
}

// Typical values of kp span two decades (about 30 for power triodes to 600 for high-mu
// ones) and kvb three; the fit looks at a grid of them and starts from the best.
constexpr std::array<double, 7> kKpGrid{15.0, 30.0, 60.0, 120.0, 250.0, 500.0, 1000.0};
constexpr std::array<double, 3> kKvbGrid{30.0, 300.0, 3000.0};

std::vector<std::vector<double>> startingPoints(ModelKind kind, const PointSet& points) {
    const bool pentode = modelInfo(kind).pentode;
    const PowerLaw law = powerLawStart(points, pentode);
    std::vector<std::vector<double>> starts;
    switch (kind) {
        case ModelKind::KorenTriode:
            for (double kp : kKpGrid) {
                for (double kvb : kKvbGrid) {
                    starts.push_back({law.mu, law.ex, 2000.0 / law.scale, kp, kvb});
                }
            }
            break;
        case ModelKind::DempwolfTriode: {
            // Dempwolf's C plays the part of Koren's kp / Va.
            double vaSum = 0.0;
            for (const MeasuredPoint& p : points) {
                vaSum += std::abs(p.va);
            }
            const double vaMean = std::max(vaSum / static_cast<double>(points.size()), 1.0);
            for (double kp : kKpGrid) {
                starts.push_back({law.scale / 1000.0, kp / vaMean, law.mu, law.ex});
            }
            break;
        }
        case ModelKind::KorenPentode: {
            const double kg1 = 1000.0 * std::numbers::pi / law.scale;
            std::vector<double> kg2s;
            double vaMax = 0.0;
            for (const MeasuredPoint& p : points) {
                vaMax = std::max(vaMax, p.va);
            }
            const double isMax = largestCurrent(points, true);
            const double knee = pentodeKneeStart(points);
            for (const MeasuredPoint& p : points) {
                const double base = p.vs / law.mu + p.vg;
                if (base <= 0.0 || p.va <= 0.0 || p.va < 0.5 * vaMax) {
                    continue;
                }
                // The screen's own current: what it takes beyond the share the anode leaves,
                // ia * (pi/2 - atan(va/kvb)) / atan(va/kvb), with the knee for kvb.
                const double own = p.is - p.ia * std::atan(knee / p.va) / std::atan(p.va / knee);
                if (own > 0.05 * isMax) {
                    kg2s.push_back(1000.0 * std::pow(base, law.ex) / own);
                }
            }
            const double kg2 = kg2s.empty() ? 5.0 * kg1 : median(kg2s);
            for (double kp : kKpGrid) {
                for (double kvb : {0.5 * knee, knee, 2.0 * knee}) {
                    starts.push_back({law.mu, law.ex, kg1, kg2, kp, kvb});
                }
            }
            break;
        }
    }
    return starts;
}

// --- The solver ----------------------------------------------------------------------------

// One current of one point. The parameters are solved for as their logarithms: they are all
// positive and span many decades, and the solver then takes steps of a like size in each.
template <typename Eq>
struct Residual {
    double va, vs, vg;
    double measured;
    double weight;  // 1 / the current an error is measured against
    bool screen;

    template <typename T>
    bool operator()(const T* q, T* r) const {
        using std::exp;
        T p[Eq::kParameters];
        for (int k = 0; k < Eq::kParameters; ++k) {
            p[k] = exp(q[k]);
        }
        const T i = screen ? Eq::screen(p, va, vs, vg) : Eq::anode(p, va, vs, vg);
        r[0] = (i - measured) * weight;
        return true;
    }
};

struct Solution {
    std::vector<double> q;  // log parameters
    double cost = std::numeric_limits<double>::infinity();
    int iterations = 0;
};

class Solver {
  public:
    Solver(const ModelInfo& info, const PointSet& points, const FitOptions& options)
        : info_(info),
          largest_(std::max(largestCurrent(points, false),
                            info.pentode ? largestCurrent(points, true) : 0.0)) {
        const double floor = 0.01 * largest_;
        auto add = [&](const MeasuredPoint& p, double measured, bool screen) {
            const double weight = options.weighting == Weighting::Relative
                                      ? 1.0 / std::max(std::abs(measured), floor)
                                      : 1.0;
            costs_.push_back(makeCost(p, measured, weight, screen));
        };
        for (const MeasuredPoint& p : points) {
            add(p, p.ia, false);
            if (info.pentode) {
                add(p, p.is, true);
            }
        }
        // The size of a residual that counts as large, before the fit knows better.
        roughScale_ = options.weighting == Weighting::Relative ? 0.05 : 0.05 * largest_;
        smallScale_ = options.weighting == Weighting::Relative ? 0.005 : 0.005 * largest_;
    }

    Solution solve(std::vector<double> q, ceres::LossFunction* loss, int maxIterations) {
        ceres::Problem::Options po;
        po.cost_function_ownership = ceres::DO_NOT_TAKE_OWNERSHIP;
        po.loss_function_ownership = ceres::DO_NOT_TAKE_OWNERSHIP;
        ceres::Problem problem(po);
        for (const auto& c : costs_) {
            problem.AddResidualBlock(c.get(), loss, q.data());
        }
        for (std::size_t k = 0; k < q.size(); ++k) {
            const ParameterInfo& b = info_.parameters[k];
            problem.SetParameterLowerBound(q.data(), static_cast<int>(k), std::log(b.lower));
            problem.SetParameterUpperBound(q.data(), static_cast<int>(k), std::log(b.upper));
        }
        ceres::Solver::Options so;
        so.linear_solver_type = ceres::DENSE_QR;
        so.max_num_iterations = maxIterations;
        so.function_tolerance = 1e-10;
        so.gradient_tolerance = 1e-12;
        so.parameter_tolerance = 1e-10;
        so.num_threads = 1;
        so.logging_type = ceres::SILENT;
        so.minimizer_progress_to_stdout = false;
        ceres::Solver::Summary summary;
        ceres::Solve(so, &problem, &summary);
        Solution s;
        s.q = std::move(q);
        s.iterations = std::max(0, static_cast<int>(summary.iterations.size()) - 1);
        s.cost = summary.IsSolutionUsable() ? summary.final_cost
                                            : std::numeric_limits<double>::infinity();
        return s;
    }

    // The weighted residuals at q.
    std::vector<double> residuals(const std::vector<double>& q) const {
        std::vector<double> r;
        r.reserve(costs_.size());
        const double* block[] = {q.data()};
        for (const auto& c : costs_) {
            double value = 0.0;
            c->Evaluate(block, &value, nullptr);
            r.push_back(value);
        }
        return r;
    }

    // The cost at q, as the solver counts it with the given loss.
    double cost(const std::vector<double>& q, const ceres::LossFunction* loss) const {
        double sum = 0.0;
        for (double r : residuals(q)) {
            double rho[3] = {r * r, 1.0, 0.0};
            if (loss != nullptr) {
                loss->Evaluate(r * r, rho);
            }
            sum += rho[0];
        }
        return std::isfinite(sum) ? 0.5 * sum : std::numeric_limits<double>::infinity();
    }

    // q inside the bounds, a little away from them, for a starting point.
    std::vector<double> toLog(const std::vector<double>& p) const {
        std::vector<double> q(p.size());
        for (std::size_t k = 0; k < p.size(); ++k) {
            const ParameterInfo& b = info_.parameters[k];
            const double lo = std::log(b.lower), hi = std::log(b.upper);
            const double margin = 1e-6 * (hi - lo);
            const double v = std::isfinite(p[k]) && p[k] > 0.0 ? std::log(p[k]) : 0.5 * (lo + hi);
            q[k] = std::clamp(v, lo + margin, hi - margin);
        }
        return q;
    }

    double roughScale() const { return roughScale_; }
    double smallScale() const { return smallScale_; }

  private:
    std::unique_ptr<ceres::CostFunction> makeCost(const MeasuredPoint& p, double measured,
                                                  double weight, bool screen) const {
        switch (info_.kind) {
            case ModelKind::KorenTriode:
                return make<equations::KorenTriode>(p, measured, weight, screen);
            case ModelKind::KorenPentode:
                return make<equations::KorenPentode>(p, measured, weight, screen);
            case ModelKind::DempwolfTriode:
                return make<equations::DempwolfTriode>(p, measured, weight, screen);
        }
        return nullptr;
    }
    template <typename Eq>
    static std::unique_ptr<ceres::CostFunction> make(const MeasuredPoint& p, double measured,
                                                     double weight, bool screen) {
        return std::make_unique<ceres::AutoDiffCostFunction<Residual<Eq>, 1, Eq::kParameters>>(
            new Residual<Eq>{p.va, p.vs, p.vg, measured, weight, screen});
    }

    const ModelInfo& info_;
    double largest_;
    double roughScale_ = 1.0;
    double smallScale_ = 1.0;
    std::vector<std::unique_ptr<ceres::CostFunction>> costs_;
};

std::unique_ptr<ceres::LossFunction> makeLoss(RobustLoss loss, double scale) {
    switch (loss) {
        case RobustLoss::None:
            return nullptr;
        case RobustLoss::Huber:
            return std::make_unique<ceres::HuberLoss>(scale);
        case RobustLoss::Cauchy:
            return std::make_unique<ceres::CauchyLoss>(scale);
    }
    return nullptr;
}

}  // namespace

ModelErrors modelErrors(ModelKind kind, const std::vector<double>& parameters,
                        const PointSet& points) {
    const bool pentode = modelInfo(kind).pentode;
    ModelErrors e;
    double sum = 0.0;
    int count = 0;
    std::array<double, 2> sums{};  // anode, screen
    std::vector<double> curveSums;
    auto curveOf = [&](const MeasuredPoint& p) -> std::size_t {
        for (std::size_t k = 0; k < e.curves.size(); ++k) {
            if (e.curves[k].curve == p.curve) {
                return k;
            }
        }
        e.curves.push_back({p.curve, 0, p.vg, p.vs, 0.0, 0.0});
        curveSums.push_back(0.0);
        return e.curves.size() - 1;
    };
    for (std::size_t k = 0; k < points.size(); ++k) {
        const MeasuredPoint& p = points[k];
        const ModelCurrents m = modelCurrents(kind, parameters, p.va, p.vs, p.vg);
        const std::size_t c = curveOf(p);
        ++e.curves[c].points;
        auto take = [&](double measured, double model, bool screen) {
            const double err = model - measured;
            sum += err * err;
            sums[screen ? 1 : 0] += err * err;
            ++count;
            curveSums[c] += err * err;
            e.curves[c].worstMa = std::max(e.curves[c].worstMa, std::abs(err));
            e.largestCurrentMa = std::max(e.largestCurrentMa, measured);
            if (count == 1 || std::abs(err) > e.worstMa) {
                e.worstMa = std::abs(err);
                e.worst = {k, p.curve, p.va, p.vs, p.vg, screen, measured, model, err};
            }
        };
        take(p.ia, m.anode, false);
        if (pentode) {
            take(p.is, m.screen, true);
        }
    }
    if (count > 0) {
        e.rmsMa = std::sqrt(sum / count);
        e.rmsPercent = e.largestCurrentMa > 0.0 ? 100.0 * e.rmsMa / e.largestCurrentMa : 0.0;
        const double n = static_cast<double>(points.size());
        e.anodeRmsMa = std::sqrt(sums[0] / n);
        e.screenRmsMa = std::sqrt(sums[1] / n);
    }
    const int perPoint = pentode ? 2 : 1;
    for (std::size_t c = 0; c < e.curves.size(); ++c) {
        e.curves[c].rmsMa = std::sqrt(curveSums[c] / (perPoint * e.curves[c].points));
    }
    return e;
}

FitResult fitModel(ModelKind kind, const PointSet& points, const FitOptions& options) {
    const ModelInfo& info = modelInfo(kind);
    FitResult result;
    result.kind = kind;
    if (auto why = whyNotFittable(info, points)) {
        result.message = *why;
        return result;
    }

    Solver solver(info, points, options);
    // First from the most promising starting points with a mild robust loss, so that a wild
    // point cannot steer the choice between them.
    const auto rough = makeLoss(options.loss, solver.roughScale());
    std::vector<std::pair<double, std::vector<double>>> candidates;
    for (const std::vector<double>& start : startingPoints(kind, points)) {
        std::vector<double> q = solver.toLog(start);
        const double c = solver.cost(q, rough.get());
        candidates.emplace_back(c, std::move(q));
    }
    std::sort(candidates.begin(), candidates.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    Solution best;
    const std::size_t tries = std::min<std::size_t>(kSolvedStarts, candidates.size());
    for (std::size_t k = 0; k < tries; ++k) {
        Solution s = solver.solve(candidates[k].second, rough.get(), 100);
        result.iterations += s.iterations;
        ++result.starts;
        if (s.cost < best.cost) {
            best = std::move(s);
        }
    }
    if (!std::isfinite(best.cost)) {
        result.message = "The fit of the " + std::string(info.title) + " model did not converge.";
        return result;
    }
    // Then once more with the loss scaled to the spread of the residuals that are left:
    // points within three standard deviations count fully, those far beyond hardly at all.
    if (options.loss != RobustLoss::None) {
        std::vector<double> r = solver.residuals(best.q);
        for (double& v : r) {
            v = std::abs(v);
        }
        const double sigma = 1.4826 * median(std::move(r));
        const auto fine = makeLoss(options.loss, std::max(3.0 * sigma, solver.smallScale()));
        Solution s = solver.solve(best.q, fine.get(), 200);
        result.iterations += s.iterations;
        if (std::isfinite(s.cost)) {
            best = std::move(s);
        }
    }

    std::vector<double> p(best.q.size());
    for (std::size_t k = 0; k < p.size(); ++k) {
        p[k] = std::exp(best.q[k]);
    }
    if (!std::all_of(p.begin(), p.end(), [](double v) { return std::isfinite(v); })) {
        result.message = "The fit of the " + std::string(info.title) + " model did not converge.";
        return result;
    }
    result.parameters = std::move(p);
    result.errors = modelErrors(kind, result.parameters, points);
    if (!std::isfinite(result.errors.rmsMa)) {
        result.parameters.clear();
        result.message = "The fit of the " + std::string(info.title) + " model did not converge.";
        return result;
    }
    result.ok = true;
    return result;
}

}  // namespace ostrino::model
