#include "plot/graph_settings.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <utility>

#include "common/numbers.h"
#include "common/setting_checks.h"
#include "platform/entry_box.h"
#include "plot/regression.h"

namespace ostrino {

namespace {

constexpr std::array<YVariable, kYVariableCount> kYVariables{{
    {-1, -1, "", "none", "  none"},
    {MeasMatrix::kActual, MeasMatrix::Ia, "mA", "Ia (mA)", "  Ia"},
    {MeasMatrix::kActual, MeasMatrix::Is, "mA", "Is (ma)", "  Is"},
    {MeasMatrix::kFit, 1, "mA", "Ia fit (mA)", "  Ia fit"},
    {MeasMatrix::kFit, 2, "mA/V", "dIa/dV (mA/V)", "  dIa/dV"},
    {MeasMatrix::kFit, 3, "kohm", "dV/dIa (kohm)", "  dV/dIa"},
    {MeasMatrix::kStored, MeasMatrix::Ia, "mA", "stored Ia (mA)", "  stored Ia"},
    {MeasMatrix::kStored, MeasMatrix::Is, "mA", "stored Is (mA)", "  stored Is"},
}};

bool showsFit(int yVarIndex) {
    return yVarIndex >= 3 && yVarIndex <= 5;
}

// Measurement types whose x axis is an anode or screen voltage: their sweeps cannot start
// below 2 V, and the axis then starts at 0.
bool sweepsAnodeOrScreen(int intMeasType) {
    switch (intMeasType) {
        case 2:
        case 3:
        case 4:
        case 5:
        case 6:
        case 7:
        case 11:
        case 12:
            return true;
        default:
            return false;
    }
}

// The "Track" y range of an instrument current range (cboIaRange / cboIsRange); the
// last index ("Automatic") keeps the upper end.
void trackRange(int rangeIndex, double& yMin, double& yMax, int& yMajor) {
    struct Range {
        double upper;
        int divisions;
    };
    static constexpr std::array<Range, 8> kRanges{
        {{200, 10}, {100, 10}, {40, 8}, {20, 8}, {10, 10}, {5, 5}, {2, 8}, {1, 10}}};
    yMin = 0.0;
    yMajor = 10;
    if (rangeIndex >= 0 && rangeIndex < static_cast<int>(kRanges.size())) {
        const Range& r = kRanges[static_cast<std::size_t>(rangeIndex)];
        yMax = r.upper;
        yMajor = r.divisions;
    }
}

}  // namespace

const YVariable& yVariable(int index) {
    if (index < 0 || index >= static_cast<int>(kYVariables.size())) {
        return kYVariables[0];
    }
    return kYVariables[static_cast<std::size_t>(index)];
}

GraphSettingsLogic::GraphSettingsLogic(const GraphSources& sources, GraphPaneModel& model,
                                       Dialogs& dialogs)
    : in_(sources), model_(model), dialogs_(dialogs) {}

void GraphSettingsLogic::UpdateGraphFields() {
    const GraphSettings& g = in_.graph;
    model_.txtXmin = numberText(g.dblXmin);
    model_.txtXmax = numberText(g.dblXmax);
    model_.txtXmajor = std::to_string(g.intXmajor);
    model_.txtY1min = numberText(g.dblY1min);
    model_.txtY1max = numberText(g.dblY1max);
    model_.txtY1major = std::to_string(g.intY1major);
    model_.txtY2min = numberText(g.dblY2min);
    model_.txtY2max = numberText(g.dblY2max);
    model_.txtY2major = std::to_string(g.intY2major);
}

void GraphSettingsLogic::ReadGraphFields() {
    const auto readDouble = [this](const char* box, const std::string& text, double& target) {
        if (const auto v = readNumberBox(text, box, dialogs_)) {
            target = *v;
        }
    };
    const auto readInteger = [this](const char* box, const std::string& text, int& target) {
        if (const auto v = readIntegerBox(text, box, dialogs_)) {
            target = *v;
        }
    };

    GraphSettings& g = in_.graph;
    readDouble("X-min", model_.txtXmin, g.dblXmin);
    readDouble("X-max", model_.txtXmax, g.dblXmax);
    readInteger("X-major", model_.txtXmajor, g.intXmajor);
    readDouble("Y1-min", model_.txtY1min, g.dblY1min);
    readDouble("Y1-max", model_.txtY1max, g.dblY1max);
    readInteger("Y1-major", model_.txtY1major, g.intY1major);
    readDouble("Y2-min", model_.txtY2min, g.dblY2min);
    readDouble("Y2-max", model_.txtY2max, g.dblY2max);
    readInteger("Y2-major", model_.txtY2major, g.intY2major);
}

void GraphSettingsLogic::CheckGraphFields() {
    if (const auto fault = correctFirstGraphFault()) {
        dialogs_.message(fault->message);
        UpdateGraphFields();
    }
}

std::optional<LimitFault> GraphSettingsLogic::correctFirstGraphFault() {
    using S = CheckedSetting;
    static constexpr double kYmaxLimit = 1000.0;
    GraphSettings& g = in_.graph;
    const auto fault = [](std::string message, std::vector<CheckedSetting> settings) {
        return std::optional<LimitFault>{LimitFault{std::move(message), std::move(settings)}};
    };

    // The checks of one axis's division count.
    const auto checkMajor = [&fault](int& major, CheckedSetting setting) {
        if (auto c = correctTickCount(major, "Major ticks has to be >=1",
                                      "Minor ticks has to be =< 10")) {
            return fault(std::move(c->message), {setting});
        }
        return std::optional<LimitFault>{};
    };
    // The checks of one axis's range; the fault names the end or ends corrected.
    const auto checkRange = [&fault](double& min, double& max, double minDefault, double maxDefault,
                                     double minLimit, double maxLimit, const char* axis,
                                     CheckedSetting minSetting, CheckedSetting maxSetting) {
        const std::string name(axis);
        if (auto c = correctAxisRange(min, max, minDefault, maxDefault, minLimit, maxLimit,
                                      name + "-min", name + "-max")) {
            if (c->fault == SettingFault::Order) {
                return fault(std::move(c->message), {minSetting, maxSetting});
            }
            return fault(std::move(c->message),
                         {c->fault == SettingFault::Min ? minSetting : maxSetting});
        }
        return std::optional<LimitFault>{};
    };
    const std::optional<double> degree = parseNumber(model_.txtDegree);
    // The upper-end limit is for ends the user types. An automatic end (a flat fit makes
    // dV/dIa huge) is the graph's own: reporting it would nag at every entry, since the
    // next redraw sets it again.
    const auto userSetsEnd = [](int scale, int y1Scale) {
        constexpr int kAuto = 0, kCopy = 3;
        return scale != kAuto && !(scale == kCopy && y1Scale == kAuto);
    };

    constexpr double kNoLimit = std::numeric_limits<double>::infinity();
    if (auto f = checkRange(g.dblXmin, g.dblXmax, g.dblXminDefault, g.dblXmaxDefault,
                            g.dblXminLimit, g.dblXmaxLimit, "X", S::Xmin, S::Xmax)) {
        return f;
    }
    if (auto f = checkRange(
            g.dblY1min, g.dblY1max, g.dblY1minDefault, g.dblY1maxDefault, g.dblY1minDefault,
            userSetsEnd(model_.cboY1Scale, model_.cboY1Scale) ? kYmaxLimit : kNoLimit, "Y1",
            S::Y1min, S::Y1max)) {
        return f;
    }
    if (auto f = checkRange(
            g.dblY2min, g.dblY2max, g.dblY2minDefault, g.dblY2maxDefault, g.dblY2minDefault,
            userSetsEnd(model_.cboY2Scale, model_.cboY1Scale) ? kYmaxLimit : kNoLimit, "Y2",
            S::Y2min, S::Y2max)) {
        return f;
    }
    if (auto f = checkMajor(g.intXmajor, S::Xmajor)) {
        return f;
    }
    if (auto f = checkMajor(g.intY1major, S::Y1major)) {
        return f;
    }
    if (auto f = checkMajor(g.intY2major, S::Y2major)) {
        return f;
    }
    // Text that is no number passes here; the fit reports it.
    if (degree && roundHalfEven(*degree) > RegressionObject::kMaxDegree) {
        model_.txtDegree = "10";
        return fault("Degree has to be =< 25", {S::Degree});
    }
    return std::nullopt;
}

void GraphSettingsLogic::resolveRanges() {
    GraphSettings& g = in_.graph;
    const YVariable& y1 = yVariable(model_.cboY1Var);
    const YVariable& y2 = yVariable(model_.cboY2Var);

    // 1. Units, and the Y rows usable only while their axis shows something.
    model_.lblY1Unit = y1.unit;
    model_.y1ControlsEnabled = y1.blockRow >= 0;
    model_.lblY2Unit = y2.unit;
    model_.y2ControlsEnabled = y2.blockRow >= 0;

    // 2. The fit, over the x range that stood before this redraw.
    const MeasMatrix& m = in_.matrix;
    if (m(MeasMatrix::kActual, MeasMatrix::Curve) != -1.0 &&
        (showsFit(model_.cboY1Var) || showsFit(model_.cboY2Var)) && in_.measState != kMeasuring) {
        fitCurves();
    }

    // 3. X axis.
    if (model_.cboXScale == 0) {
        g.dblXmin = in_.meas.dblVar1Start;
        g.dblXmax = in_.meas.dblVar1Stop;
        if (g.dblXmin < 2.1 && sweepsAnodeOrScreen(in_.meas.intMeasType)) {
            g.dblXmin = 0.0;
        }
        g.intXmajor = GetXmajor(g.dblXmin, g.dblXmax);
    }

    // 4. Y1 axis.
    if (model_.cboY1Scale == 0) {
        if (y1.blockRow >= 0) {
            GetYscale(m, y1.blockRow, y1.column, g.dblY1max, g.intY1major);
        }
        g.dblY1min = 0.0;
    } else if (model_.cboY1Scale == 2) {
        trackRange(in_.iaRange, g.dblY1min, g.dblY1max, g.intY1major);
    }

    // 5. Y2 axis; "Copy" takes what Y1 has just become.
    if (model_.cboY2Scale == 0) {
        if (y2.blockRow >= 0) {
            GetYscale(m, y2.blockRow, y2.column, g.dblY2max, g.intY2major);
        }
        g.dblY2min = 0.0;
    } else if (model_.cboY2Scale == 2) {
        trackRange(in_.isRange, g.dblY2min, g.dblY2max, g.intY2major);
    } else if (model_.cboY2Scale == 3) {
        g.dblY2min = g.dblY1min;
        g.dblY2max = g.dblY1max;
        g.intY2major = g.intY1major;
    }

    // 6. The boxes show what this redraw resolved.
    UpdateGraphFields();
}

void GraphSettingsLogic::fitCurves() {
    const std::string& text = model_.txtDegree;
    std::string problem;
    // The degree is the integer value of the box: 2.5 fits a parabola, as the check reads it.
    std::optional<double> v = parseNumber(text);
    if (v) {
        v = roundHalfEven(*v);
    }
    if (!v) {
        problem = "Degree: \"" + text + "\" is not a number; no fit is drawn.";
    } else if (std::fabs(*v) > 1e9) {
        problem = "Degree: " + text + " is an invalid property value! Use 0<= Degree <= " +
                  std::to_string(RegressionObject::kMaxDegree) + "; no fit is drawn.";
    } else {
        const GraphSettings& g = in_.graph;
        try {
            FitCurves(in_.matrix, MeasMatrix::kActual, g.intXcol, static_cast<int>(*v), g.dblXmin,
                      g.dblXmax);
            reportedDegreeText_.reset();
            return;
        } catch (const RegressionError& e) {
            problem = std::string("Degree: ") + e.what() + "; no fit is drawn.";
        }
    }

    // A fit of an earlier degree would pass for this one.
    in_.matrix.markEmpty(MeasMatrix::kFit);
    // Every redraw comes here; the same entry is reported once.
    if (reportedDegreeText_ != text) {
        reportedDegreeText_ = text;
        dialogs_.message(problem);
    }
}

int GraphSettingsLogic::GetXmajor(double dblXmin, double dblXmax) {
    static constexpr std::array<int, 6> kSteps{1, 5, 10, 20, 25, 50};
    const std::optional<std::int16_t> lo = toInteger(dblXmin);
    const std::optional<std::int16_t> hi = toInteger(dblXmax);
    if (!lo || !hi) {
        return 10;
    }
    const std::optional<std::int16_t> span = toInteger(static_cast<double>(*hi) - *lo);
    if (!span || *span <= 0) {
        return 10;
    }
    for (int step : kSteps) {
        if (*span / step <= 10 && *span % step == 0) {
            return *span / step;
        }
    }
    return 10;
}

void GraphSettingsLogic::GetYscale(const MeasMatrix& m, int intRow, int intYcol, double& dblYmax,
                                   int& intYmajor) {
    double largest = 0.0;
    if (intRow >= 0 && intRow < MeasMatrix::kRows && intYcol >= 0 && intYcol < MeasMatrix::kCols) {
        const int blockEnd = std::min(
            MeasMatrix::kRows, (intRow / MeasMatrix::kBlockRows + 1) * MeasMatrix::kBlockRows);
        for (int row = intRow; row < blockEnd && m(row, MeasMatrix::Curve) >= 1; ++row) {
            if (m(row, intYcol) > largest) {
                largest = m(row, intYcol);
            }
        }
    }
    largest = std::clamp(largest, 0.1, 1e6);

    struct Nice {
        double bound;
        double mantissa;
        int divisions;
    };
    static constexpr std::array<Nice, 11> kNice{{{1.001, 1, 10},
                                                 {1.25, 1.25, 5},
                                                 {1.5, 1.5, 6},
                                                 {1.75, 1.75, 7},
                                                 {2, 2, 4},
                                                 {2.5, 2.5, 5},
                                                 {3, 3, 6},
                                                 {4, 4, 8},
                                                 {5, 5, 10},
                                                 {6, 6, 6},
                                                 {8, 8, 8}}};
    const double decade = std::pow(10.0, std::floor(std::log10(largest)));
    const double mantissa = largest / decade;
    double upper = 10.0;
    intYmajor = 10;
    for (const Nice& n : kNice) {
        if (mantissa <= n.bound) {
            upper = n.mantissa;
            intYmajor = n.divisions;
            break;
        }
    }
    dblYmax = upper * decade;
}

}  // namespace ostrino
