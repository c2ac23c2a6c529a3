#pragma once
// The limit checks that both consoles make on their sweep and graph settings. Each finds
// the first value out of its limits, puts it back (to a limit or a default, as the check
// says) and returns the message the user is shown; nullopt when every value is inside.

#include <optional>
#include <string>

namespace ostrino {

// Which value a check corrected.
enum class SettingFault { Var1Start, Var1Stop, Var1Order, Var1Nintv, Low, High, Min, Max, Order };

struct SettingCorrection {
    SettingFault fault;
    std::string message;
};

// The swept variable: start below stop, stop up to stopMax, start down to startMin, and
// 1 to nintvMax intervals. A start not below the stop sets both to their limits.
std::optional<SettingCorrection> correctVar1(double& start, double& stop, int& nintv,
                                             double startMin, double stopMax, int nintvDef,
                                             int nintvMax);

// A value within lo..hi, set to the limit it passed: "<lowName> has to be larger than lo",
// "<highName> has to be less than hi" (the names as each message has them).
std::optional<SettingCorrection> correctWithin(double& value, double lo, double hi,
                                               const std::string& lowName,
                                               const std::string& highName);

// An axis range: min below max (else both to their defaults), max up to maxLimit, min down
// to minLimit (each back to its default). "X-min has to less than X-max" with the names
// "X-min" and "X-max".
std::optional<SettingCorrection> correctAxisRange(double& min, double& max, double minDefault,
                                                  double maxDefault, double minLimit,
                                                  double maxLimit, const std::string& minName,
                                                  const std::string& maxName);

// A tick count from 1 to 10.
std::optional<SettingCorrection> correctTickCount(int& count, const std::string& belowOne,
                                                  const std::string& aboveTen);

}  // namespace ostrino
