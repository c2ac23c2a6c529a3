#pragma once
// The measurement types and the sweep settings of the main window: the type table with its
// defaults and limits, and the routines that move the settings between the entry boxes and
// the settings record and keep them inside the limits of the selected type.

#include <array>
#include <optional>
#include <string>

#include "common/console_state.h"
#include "measure/form1_model.h"
#include "platform/dialogs.h"

namespace ostrino {

class MeasSetup {
  public:
    static constexpr int kMeasTypeCount = 13;

    MeasSetup(ConsoleState& state, Form1Model& model, Dialogs& dialogs, Form1Hooks& hooks);

    // The items of cboMeasType, indexed by measurement type.
    static const std::array<const char*, kMeasTypeCount>& measTypeNames();

    // Installs the captions, defaults, limits and graph defaults of intMeasType and resets the
    // settings to the defaults.
    void SelectMeas();
    // Settings record into the entry boxes.
    void UpdateMeasFields();
    // txtVar2 into the stepping values; bad tokens are reported and skipped.
    void ProcessVar2String();
    // Every entry box into its member, then the measurement and graph checks and a redraw.
    void ProcessFields();
    // Corrects the first limit violation (one message), then remembers the heater constant.
    void CheckMeasFields();
    // The checks of CheckMeasFields without the message: the first violation, corrected.
    std::optional<LimitFault> correctFirstMeasFault();
    // Only the checks of the external heater supply (1 to 40 V), which the heater limit of
    // the measurement type depends on.
    std::optional<LimitFault> correctHeaterSupply();
    // The next type selected starts with the heater voltage of the present constants.
    void rememberHeaterConstant();
    void cboMeasType_Click();

    // Highest anode and screen voltage of the hardware.
    double vMax() const;
    // Highest heater voltage of the present heater supply.
    double vhMax() const;

    // Matrix column of the stepping variable of the type installed last (0 before any).
    int steppingColumn() const { return steppingColumn_; }

  private:
    ConsoleState& state_;
    Form1Model& model_;
    Dialogs& dialogs_;
    Form1Hooks& hooks_;
    int steppingColumn_ = 0;
};

}  // namespace ostrino
