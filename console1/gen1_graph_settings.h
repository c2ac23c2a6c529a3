#pragma once
// The graph settings of the first-generation console: the defaults of each measurement
// type, the range and tick boxes with their checks, and the presets.

#include "console1/gen1_hooks.h"
#include "console1/gen1_state.h"
#include "platform/dialogs.h"

namespace ostrino::gen1 {

class Gen1GraphSettings {
  public:
    Gen1GraphSettings(Gen1State& state, Dialogs& dialogs, Gen1Hooks& hooks);

    // The axis names, defaults and limits of a measurement type, installed as the settings.
    void installDefaults(int measType);

    enum class GraphBox { Xrange, Xticks, Yrange, Yticks };
    // A box committed: all of them are read, then the checks of the box's group.
    void graphField_Commit(GraphBox box);
    void UpdateGraphFields();
    void checkXminmax();
    void checkYminmax();
    void checkXticks();
    void checkYticks();
    // Presets 1..6 ("400 V / 200 mA" ...); 4 to 6 do nothing.
    void cmdPreset_Click(int n);

  private:
    void readGraphFields();

    Gen1State& state_;
    Controls& c_;
    Dialogs& dialogs_;
    Gen1Hooks& hooks_;
};

}  // namespace ostrino::gen1
