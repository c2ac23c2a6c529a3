#pragma once
// The measurement set-up of the first-generation console: the measurement types with
// their captions, defaults and limits, the entry boxes and their checks.

#include <array>

#include "console1/gen1_graph_settings.h"
#include "console1/gen1_hooks.h"
#include "console1/gen1_state.h"
#include "platform/dialogs.h"

namespace ostrino::gen1 {

// The measurement-type list, in order.
const std::array<const char*, kMeasTypes>& measTypeNames();

class Gen1Setup {
  public:
    Gen1Setup(Gen1State& state, Dialogs& dialogs, Gen1Hooks& hooks, Gen1GraphSettings& graph);

    void cboMeasType_Click(int index);
    void SelectMeas();
    void UpdateMeasFields();
    // A measurement text box committed: all of them are read, then checked.
    void measField_Commit();
    // txtVar2 committed: the stepping values, then the check of the other fields.
    void txtVar2_Commit();
    void ProcessVar2String();
    void CheckMeasFields();

  private:
    void readMeasFields();

    Gen1State& state_;
    Controls& c_;
    Dialogs& dialogs_;
    Gen1Hooks& hooks_;
    Gen1GraphSettings& graph_;
};

}  // namespace ostrino::gen1
