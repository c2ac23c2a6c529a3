#include "files/frm_cal_model.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "common/numbers.h"

namespace ostrino {

FrmCalModel::FrmCalModel(CalibrationRecord& cal, std::function<void()> versionChanged)
    : cal_(cal), versionChanged_(std::move(versionChanged)) {}

void FrmCalModel::load() {
    for (std::size_t i = 0; i < slrCalVal.size(); ++i) {
        const double factor = cal_.factors[i];
        lblCalVal[i] = numberText(factor);
        const double position = std::isfinite(factor) ? roundHalfEven(factor * 1000.0) : 0.0;
        // A factor beyond the slider's reach is shown at the nearer end and keeps its value
        // until the user moves this slider; the first UpdateCalVal must not clip it.
        held_[i] = position < kSliderMin || position > kSliderMax;
        slrCalVal[i] = held_[i] ? (position < kSliderMin ? kSliderMin : kSliderMax)
                                : static_cast<int>(position);
    }
    versionSelected(cal_.intVersion == 1 ? 0 : 1);
}

void FrmCalModel::sliderClicked(int index, int position) {
    const auto i = static_cast<std::size_t>(index);
    position = std::clamp(position, kSliderMin, kSliderMax);
    if (position != slrCalVal.at(i)) {
        held_[i] = false;
    }
    slrCalVal[i] = position;
    UpdateCalVal();
}

void FrmCalModel::versionSelected(int index) {
    const int before = cal_.intVersion;
    optVersion = index == 0 ? 0 : 1;
    UpdateCalVal();
    // Re-selecting the measurement type resets the settings and clears the sweep, so it is
    // done only when the version really changed (not when the window merely opens).
    if (cal_.intVersion != before && versionChanged_) {
        versionChanged_();
    }
}

void FrmCalModel::UpdateCalVal() {
    for (std::size_t i = 0; i < slrCalVal.size(); ++i) {
        if (!held_[i]) {
            cal_.factors[i] = slrCalVal[i] / 1000.0;
        }
        lblCalVal[i] = numberText(cal_.factors[i]);
    }
    cal_.intVersion = optVersion == 0 ? 1 : 2;
}

}  // namespace ostrino
