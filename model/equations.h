#pragma once
// The model equations, written once for plain numbers and for the fit's automatic
// derivatives (any T with the usual arithmetic, comparisons, exp, log and atan).
//
// Currents in mA. Powers of a base that is always positive are written exp(ex * log(base)),
// with log(base) taken apart so that no derivative ever meets log(0).

#include <algorithm>
#include <cmath>
#include <numbers>

namespace ostrino::model::equations {

// log(ln(1 + exp(x))), without overflow for large x and without log(0) for very negative x.
template <typename T>
T logSoftplus(const T& x) {
    using std::exp;
    using std::log;
    using std::log1p;
    if (x > T(30.0)) {
        return log(x);
    }
    if (x < T(-30.0)) {
        return x;
    }
    return log(log1p(exp(x)));
}

// Koren's triode: E1 = Va/kp * ln(1 + exp(kp * (1/mu + Vg / sqrt(kvb + Va^2)))),
// Ia = 2 * E1^ex / kg1 (A). Parameters mu, ex, kg1, kp, kvb.
struct KorenTriode {
    static constexpr int kParameters = 5;

    template <typename T>
    static T anode(const T* p, double va, double /*vs*/, double vg) {
        using std::exp;
        using std::log;
        using std::sqrt;
        if (va <= 0.0) {
            return T(0.0);
        }
        const T& mu = p[0];
        const T& ex = p[1];
        const T& kg1 = p[2];
        const T& kp = p[3];
        const T& kvb = p[4];
        const T x = kp * (T(1.0) / mu + vg / sqrt(kvb + va * va));
        const T logE1 = std::log(va) - log(kp) + logSoftplus(x);
        return 2000.0 / kg1 * exp(ex * logE1);
    }
    template <typename T>
    static T screen(const T*, double, double, double) {
        return T(0.0);
    }
};

// Koren's pentode: E1 = Vs/kp * ln(1 + exp(kp * (1/mu + Vg/Vs))),
// Ia = 2 * E1^ex / kg1 * atan(Va/kvb) (A). Parameters mu, ex, kg1, kg2, kp, kvb.
//
// Well above the knee the anode collects 2 * E1^ex / kg1 * pi/2 of the cathode current;
// below it the electrons that the anode does not collect return to the screen, whose
// current then rises as the anode current falls (and takes the whole of that share at
// Va = 0). So the screen current is Koren's own (Vs/mu + Vg)^ex / kg2 plus the share the
// knee leaves over, 2 * E1^ex / kg1 * (pi/2 - atan(Va/kvb)); the sum of the two currents
// does not depend on Va, and the share falls off as kvb/Va, leaving Koren's screen current
// at high anode voltage. No parameter is added: the knee shapes both currents.
struct KorenPentode {
    static constexpr int kParameters = 6;

    // 2 * E1^ex / kg1 in mA: the anode current that atan(Va/kvb) takes its share of.
    template <typename T>
    static T space(const T* p, double vs, double vg) {
        using std::exp;
        using std::log;
        const T& mu = p[0];
        const T& ex = p[1];
        const T& kg1 = p[2];
        const T& kp = p[4];
        const T x = kp * (T(1.0) / mu + vg / vs);
        const T logE1 = std::log(vs) - log(kp) + logSoftplus(x);
        return 2000.0 / kg1 * exp(ex * logE1);
    }

    template <typename T>
    static T anode(const T* p, double va, double vs, double vg) {
        using std::atan;
        if (vs <= 0.0 || va <= 0.0) {
            return T(0.0);
        }
        return space(p, vs, vg) * atan(va / p[5]);
    }
    template <typename T>
    static T screen(const T* p, double va, double vs, double vg) {
        using std::atan;
        using std::exp;
        using std::log;
        const T& mu = p[0];
        const T& ex = p[1];
        const T& kg2 = p[3];
        const T base = vs / mu + vg;
        const T own = base > T(0.0) ? 1000.0 / kg2 * exp(ex * log(base)) : T(0.0);
        if (vs <= 0.0) {
            return own;
        }
        const T uncollected = std::numbers::pi / 2.0 - atan(std::max(va, 0.0) / p[5]);
        return own + space(p, vs, vg) * uncollected;
    }
};

// Dempwolf's triode (cathode current; the grid current is left out, as the family is
// measured with a negative grid): Ia = G * (ln(1 + exp(C * (Va/mu + Vg))) / C)^gamma (A).
// Parameters G, C, mu, gamma.
struct DempwolfTriode {
    static constexpr int kParameters = 4;

    template <typename T>
    static T anode(const T* p, double va, double /*vs*/, double vg) {
        using std::exp;
        using std::log;
        const T& g = p[0];
        const T& c = p[1];
        const T& mu = p[2];
        const T& gamma = p[3];
        const T logBase = logSoftplus(c * (va / mu + vg)) - log(c);
        return 1000.0 * g * exp(gamma * logBase);
    }
    template <typename T>
    static T screen(const T*, double, double, double) {
        return T(0.0);
    }
};

}  // namespace ostrino::model::equations
