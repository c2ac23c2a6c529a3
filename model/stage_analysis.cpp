#include "model/stage_analysis.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <limits>
#include <numbers>
#include <optional>

namespace ostrino::model {

namespace {

// The root of f in [a, b], where f(a) and f(b) differ in sign (Brent's method: inverse
// quadratic interpolation and secant steps, falling back to bisection).
template <typename F>
double brent(F f, double a, double b, double fa, double fb, double tolerance) {
    double c = a, fc = fa, d = b - a, e = d;
    for (int iter = 0; iter < 200; ++iter) {
        if ((fb > 0.0) == (fc > 0.0)) {
            c = a;
            fc = fa;
            d = e = b - a;
        }
        if (std::abs(fc) < std::abs(fb)) {
            a = b;
            b = c;
            c = a;
            fa = fb;
            fb = fc;
            fc = fa;
        }
        const double tol = 2.0 * std::numeric_limits<double>::epsilon() * std::abs(b) + tolerance;
        const double m = 0.5 * (c - b);
        if (std::abs(m) <= tol || fb == 0.0) {
            return b;
        }
        if (std::abs(e) >= tol && std::abs(fa) > std::abs(fb)) {
            double p, q;
            const double s = fb / fa;
            if (a == c) {
                p = 2.0 * m * s;
                q = 1.0 - s;
            } else {
                const double qa = fa / fc, r = fb / fc;
                p = s * (2.0 * m * qa * (qa - r) - (b - a) * (r - 1.0));
                q = (qa - 1.0) * (r - 1.0) * (s - 1.0);
            }
            if (p > 0.0) {
                q = -q;
            } else {
                p = -p;
            }
            if (2.0 * p < std::min(3.0 * m * q - std::abs(tol * q), std::abs(e * q))) {
                e = d;
                d = p / q;
            } else {
                d = m;
                e = m;
            }
        } else {
            d = m;
            e = m;
        }
        a = b;
        fa = fb;
        b += std::abs(d) > tol ? d : (m > 0.0 ? tol : -tol);
        fb = f(b);
    }
    return b;
}

struct OperatingPoint {
    double va;
    double ia;
};

// Where the load line from the supply meets the model's curve for grid voltage vg. The
// valve's current rises with its anode voltage and the load line's falls, so there is one
// crossing between 0 V and the supply, unless the valve already draws more than the load
// line allows at 0 V.
std::optional<OperatingPoint> loadLinePoint(ModelKind kind, std::span<const double> p,
                                            const StageSettings& s, double screen, double vg) {
    auto f = [&](double va) {
        return modelCurrents(kind, p, va, screen, vg).anode - (s.supplyVolts - va) / s.loadKohm;
    };
    const double f0 = f(0.0), f1 = f(s.supplyVolts);
    if (!std::isfinite(f0) || !std::isfinite(f1) || f0 > 0.0) {
        return std::nullopt;
    }
    const double va =
        f1 <= 0.0 ? s.supplyVolts : brent(f, 0.0, s.supplyVolts, f0, f1, 1e-12 * s.supplyVolts);
    return OperatingPoint{va, (s.supplyVolts - va) / s.loadKohm};
}

std::optional<std::string> checkSettings(const StageSettings& s) {
    auto bad = [](double v) { return !std::isfinite(v); };
    if (bad(s.supplyVolts) || bad(s.loadKohm) || bad(s.gridVolts) || bad(s.signalPeakVolts) ||
        bad(s.screenVolts)) {
        return "A setting of the stage is not a number.";
    }
    if (!(s.supplyVolts > 0.0)) {
        return "The supply voltage must be above 0 V.";
    }
    if (!(s.loadKohm > 0.0)) {
        return "The load resistance must be above 0 kohm.";
    }
    if (!(s.signalPeakVolts > 0.0)) {
        return "The signal peak must be above 0 V.";
    }
    if (s.screenVolts < 0.0) {
        return "The screen voltage must not be negative.";
    }
    return std::nullopt;
}

}  // namespace

StageResult analyzeStage(ModelKind kind, std::span<const double> parameters,
                         const StageSettings& settings) {
    StageResult r;
    if (parameters.size() != modelInfo(kind).parameters.size()) {
        r.message = "The model has no parameters: fit it first.";
        return r;
    }
    if (auto why = checkSettings(settings)) {
        r.message = *why;
        return r;
    }
    const double screen = settings.screenVolts > 0.0 ? settings.screenVolts : settings.supplyVolts;
    const double rl = settings.loadKohm;
    const char* offModel =
        "The load line does not meet the model's curves between 0 V and the "
        "supply: lower the load resistance or make the grid more negative.";

    const auto q = loadLinePoint(kind, parameters, settings, screen, settings.gridVolts);
    if (!q) {
        r.message = offModel;
        return r;
    }
    r.iaQuiescentMa = q->ia;
    r.vaQuiescentVolts = q->va;
    r.valveDissipationMw = q->ia * q->va;
    r.supplyPowerMw = q->ia * settings.supplyVolts;

    std::array<std::complex<double>, kStageHarmonics + 1> x{};
    for (int i = 0; i < kStageSamples; ++i) {
        const double phase = 2.0 * std::numbers::pi * i / kStageSamples;
        const double vg = settings.gridVolts + settings.signalPeakVolts * std::sin(phase);
        const auto op = loadLinePoint(kind, parameters, settings, screen, vg);
        if (!op) {
            r.message = offModel;
            return r;
        }
        for (int k = 0; k <= kStageHarmonics; ++k) {
            x[static_cast<std::size_t>(k)] += op->va * std::polar(1.0, -phase * k);
        }
        if (i == kStageSamples / 4) {
            r.vaMinVolts = op->va;
        } else if (i == 3 * kStageSamples / 4) {
            r.vaMaxVolts = op->va;
        }
    }

    r.vaAverageVolts = std::abs(x[0]) / kStageSamples;
    r.iaAverageMa = (settings.supplyVolts - r.vaAverageVolts) / rl;
    double sumSquares = 0.0;
    for (int k = 1; k <= kStageHarmonics; ++k) {
        const auto kk = static_cast<std::size_t>(k);
        r.amplitudeVolts[kk] = 2.0 * std::abs(x[kk]) / kStageSamples;
        r.powerMw[kk] = r.amplitudeVolts[kk] * r.amplitudeVolts[kk] / (2.0 * rl);
        r.totalPowerMw += r.powerMw[kk];
        if (k >= 2) {
            const double d =
                r.amplitudeVolts[1] > 0.0 ? r.amplitudeVolts[kk] / r.amplitudeVolts[1] : 0.0;
            r.distortionPercent[kk] = 100.0 * d;
            r.levelDbc[kk] =
                d > 0.0 ? std::max(20.0 * std::log10(d), kLevelFloorDbc) : kLevelFloorDbc;
            sumSquares += d * d;
        }
    }
    r.gain = r.amplitudeVolts[1] / settings.signalPeakVolts;
    r.totalDistortionPercent = 100.0 * std::sqrt(sumSquares);
    r.ok = true;
    return r;
}

}  // namespace ostrino::model
