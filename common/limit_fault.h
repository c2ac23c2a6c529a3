#pragma once
// The settings of the main window that a limit check corrects, and what a check reports.

#include <string>
#include <vector>

namespace ostrino {

enum class CheckedSetting {
    VheatExt,
    Var1Start,
    Var1Stop,
    Var1Nintv,
    Const1,
    Const2,
    Delay,
    Xmin,
    Xmax,
    Y1min,
    Y1max,
    Y2min,
    Y2max,
    Xmajor,
    Y1major,
    Y2major,
    Degree,
};
inline constexpr int kCheckedSettingCount = static_cast<int>(CheckedSetting::Degree) + 1;

// A limit violation that a check has found and corrected: the message a typed value gets,
// and the settings it concerned (so that a setup file can name their lines).
struct LimitFault {
    std::string message;
    std::vector<CheckedSetting> settings;
};

}  // namespace ostrino
