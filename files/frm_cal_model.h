#pragma once
// The calibration window's state and rules: ten sliders that trim the factors in steps of
// 0.001 between 0.900 and 1.100, their value labels and the hardware version choice.

#include <array>
#include <functional>
#include <string>

#include "common/calibration.h"

namespace ostrino {

class FrmCalModel {
  public:
    static constexpr int kSliderMin = 900;
    static constexpr int kSliderMax = 1100;
    static constexpr int kSliderSmallChange = 1;
    static constexpr int kSliderLargeChange = 5;
    static constexpr int kSliderStart = 1000;

    // versionChanged runs when a selected version differs from the one in use; the main
    // window re-selects its measurement type so that the version's voltage limits apply.
    FrmCalModel(CalibrationRecord& cal, std::function<void()> versionChanged);

    // The window's load: sliders and labels from the factors, the version option from
    // intVersion. Selecting the option counts as the user's choice.
    void load();
    // The user moved slider index (0..9 for slrCalVal1..10) to position.
    void sliderClicked(int index, int position);
    // The user selected optVersion(index), 0 or 1.
    void versionSelected(int index);
    // Copies the sliders and the version option into the calibration record.
    void UpdateCalVal();

    // True while factor index lies outside the slider range and keeps its own value
    // because the user has not moved its slider since the load.
    bool factorHeld(int index) const { return held_.at(static_cast<std::size_t>(index)); }

    // What the window shows. Index 0..9 stands for slrCalVal1..10 and lblCalVal1..10.
    std::array<int, 10> slrCalVal{kSliderStart, kSliderStart, kSliderStart, kSliderStart,
                                  kSliderStart, kSliderStart, kSliderStart, kSliderStart,
                                  kSliderStart, kSliderStart};
    std::array<std::string, 10> lblCalVal;
    int optVersion = 0;  // 0 "Version 3 (300V)", 1 "Version 3+ (400V)"

  private:
    CalibrationRecord& cal_;
    std::function<void()> versionChanged_;
    std::array<bool, 10> held_{};
};

}  // namespace ostrino
