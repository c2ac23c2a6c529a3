#include "model/model_record.h"

#include <algorithm>
#include <charconv>
#include <set>

namespace ostrino::model {

namespace {

// A voltage as people write it: at most 4 significant digits, '.' whatever the locale.
std::string volts(double v) {
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 4);
    return std::string(buf, r.ptr);
}

std::string range(const PointSet& points, double MeasuredPoint::*member, const char* name) {
    const auto [lo, hi] = std::minmax_element(
        points.begin(), points.end(),
        [member](const MeasuredPoint& a, const MeasuredPoint& b) { return a.*member < b.*member; });
    const double a = (*lo).*member, b = (*hi).*member;
    std::string s = std::string("; ") + name + " ";
    s += volts(a);
    if (b - a > 1e-6) {
        s += " .. " + volts(b);
    }
    return s + " V";
}

}  // namespace

std::string describeConditions(const PointSet& points, bool pentode) {
    if (points.empty()) {
        return "no points";
    }
    std::set<int> curves;
    for (const MeasuredPoint& p : points) {
        curves.insert(p.curve);
    }
    std::string s = std::to_string(curves.size()) +
                    (curves.size() == 1 ? " curve, " : " curves, ") +
                    std::to_string(points.size()) + (points.size() == 1 ? " point" : " points");
    s += range(points, &MeasuredPoint::va, "Va");
    s += range(points, &MeasuredPoint::vg, "Vg");
    if (pentode) {
        s += range(points, &MeasuredPoint::vs, "Vs");
    }
    return s;
}

ModelRecord makeRecord(const FitResult& fit, const PointSet& points, std::string title,
                       std::string date) {
    ModelRecord r;
    r.kind = fit.kind;
    r.parameters = fit.parameters;
    r.rmsMa = fit.errors.rmsMa;
    r.rmsPercent = fit.errors.rmsPercent;
    r.worstMa = fit.errors.worstMa;
    r.title = std::move(title);
    r.date = std::move(date);
    r.conditions = describeConditions(points, modelInfo(fit.kind).pentode);
    return r;
}

}  // namespace ostrino::model
