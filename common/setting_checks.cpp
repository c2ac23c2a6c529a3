#include "common/setting_checks.h"

#include "common/numbers.h"

namespace ostrino {

std::optional<SettingCorrection> correctVar1(double& start, double& stop, int& nintv,
                                             double startMin, double stopMax, int nintvDef,
                                             int nintvMax) {
    if (start >= stop) {
        start = startMin;
        stop = stopMax;
        return SettingCorrection{SettingFault::Var1Order, "Var1 Start has to less than Stop value"};
    }
    if (stop > stopMax) {
        stop = stopMax;
        return SettingCorrection{SettingFault::Var1Stop,
                                 "Var1 Stop value has to be less than " + numberText(stopMax)};
    }
    if (start < startMin) {
        start = startMin;
        return SettingCorrection{SettingFault::Var1Start,
                                 "Var1 Start value has to be larger than " + numberText(startMin)};
    }
    if (nintv <= 0) {
        nintv = nintvDef;
        return SettingCorrection{SettingFault::Var1Nintv,
                                 "The number of steps in Var1 has to be larger than one"};
    }
    if (nintv > nintvMax) {
        nintv = nintvDef;
        return SettingCorrection{
            SettingFault::Var1Nintv,
            "The number of intervals in Var1 has to be smaller than " + numberText(nintvMax)};
    }
    return std::nullopt;
}

std::optional<SettingCorrection> correctWithin(double& value, double lo, double hi,
                                               const std::string& lowName,
                                               const std::string& highName) {
    if (value < lo) {
        value = lo;
        return SettingCorrection{SettingFault::Low,
                                 lowName + " has to be larger than " + numberText(lo)};
    }
    if (value > hi) {
        value = hi;
        return SettingCorrection{SettingFault::High,
                                 highName + " has to be less than " + numberText(hi)};
    }
    return std::nullopt;
}

std::optional<SettingCorrection> correctAxisRange(double& min, double& max, double minDefault,
                                                  double maxDefault, double minLimit,
                                                  double maxLimit, const std::string& minName,
                                                  const std::string& maxName) {
    if (min >= max) {
        min = minDefault;
        max = maxDefault;
        return SettingCorrection{SettingFault::Order, minName + " has to less than " + maxName};
    }
    if (max > maxLimit) {
        max = maxDefault;
        return SettingCorrection{SettingFault::Max,
                                 maxName + " has to be less than " + numberText(maxLimit)};
    }
    if (min < minLimit) {
        min = minDefault;
        return SettingCorrection{SettingFault::Min,
                                 minName + " has to be larger than " + numberText(minLimit)};
    }
    return std::nullopt;
}

std::optional<SettingCorrection> correctTickCount(int& count, const std::string& belowOne,
                                                  const std::string& aboveTen) {
    if (count < 1) {
        count = 1;
        return SettingCorrection{SettingFault::Low, belowOne};
    }
    if (count > 10) {
        count = 10;
        return SettingCorrection{SettingFault::High, aboveTen};
    }
    return std::nullopt;
}

}  // namespace ostrino
