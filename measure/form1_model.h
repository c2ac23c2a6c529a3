#pragma once
// The controls of the main window as plain data: what the logic reads and writes, and what
// the window shows. The window copies user input in here and refreshes from it.

#include <functional>
#include <optional>
#include <string>

#include "common/limit_fault.h"
#include "common/sweep_captions.h"
#include "plot/graph_pane_model.h"

namespace ostrino {

// The measurement pane: set-up, run controls and "Miscellaneous" (the captions the
// measurement type installs are SweepCaptions).
struct MeasPaneModel : SweepCaptions {
    // Frame "Measurement Set-Up".
    int cboMeasType = 0;
    std::string txtMeasStart;
    std::string txtMeasStop;
    std::string txtMeasNintv;
    std::string txtVar2;
    std::string txtConst1;
    std::string txtConst2;
    std::string txtDelay;
    bool chkMeasLog = false;

    // Run controls.
    std::string cmdMeasStartCaption = "Heater on !";
    bool cmdMeasStartEnabled = true;
    bool cmdMeasStartVisible = true;
    bool lblInProgressVisible = false;
    bool chkBeep = false;

    // Frame "Miscellaneous".
    std::string txtVheat = "19.5";
    bool txtVheatVisible = false;
};

// The whole window: the measurement pane and the graph pane.
struct Form1Model : MeasPaneModel, GraphPaneModel {};

// What the measurement logic asks of the rest of the main window. Each hook may be empty.
struct Form1Hooks {
    std::function<void()> ClearCurves;        // mark the current sweep and the fits empty
    std::function<void()> UpdateGraphFields;  // graph settings into the graph boxes
    std::function<void()> ReadGraphFields;    // graph boxes into the graph settings
    std::function<void()> CheckGraphFields;   // graph limits, one message per call
    std::function<void()> DrawPicture;        // redraw the graph
    std::function<void()> Refresh;            // widgets from the model, now
    // The first graph limit violation, corrected, without a message.
    std::function<std::optional<LimitFault>()> CorrectGraphFault;

    static void call(const std::function<void()>& hook) {
        if (hook) {
            hook();
        }
    }
};

}  // namespace ostrino
