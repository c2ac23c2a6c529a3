#pragma once
// The controls of the main window as plain data: what the logic reads and writes, and what
// the window shows. The window copies user input in here and refreshes from it.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/numbers.h"

namespace ostrino {

// titlePlacement when none of the three title options is selected.
inline constexpr int kNoTitleOption = -1;

struct Form1Model {
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
    std::string lblNameVar1 = "Vg";
    std::string txtNameVar1 = "   Vg";
    std::string lblNameVar2 = "Va";
    std::string lblNameConst1 = "Vs";
    std::string lblNameConst2 = "Vh";
    bool txtConst2Visible = true;  // and its caption lblNameConst2

    // Run controls.
    std::string cmdMeasStartCaption = "Heater on !";
    bool cmdMeasStartEnabled = true;
    bool cmdMeasStartVisible = true;
    bool lblInProgressVisible = false;
    bool chkBeep = false;

    // Frame "Miscellaneous".
    std::string txtVheat = "19.5";
    bool txtVheatVisible = false;

    // Graph pane.
    std::string txtXmin, txtXmax, txtXmajor;
    std::string txtY1min, txtY1max, txtY1major;
    std::string txtY2min, txtY2max, txtY2major;
    std::string txtDegree = "3";
    std::string txtPmax = "0";
    std::string txtTitle = "Title";
    int cboY1Var = 1, cboY2Var = 0;
    int cboXScale = 0, cboY1Scale = 0, cboY2Scale = 0;
    int cboY1Line = 1, cboY2Line = 2;
    int cboY1Marker = 1, cboY2Marker = 4;
    // optTitleOff, optTitleTop, optTitleGraph; a setup file may leave all three clear.
    int titlePlacement = 0;
    bool chkColor = true;
    bool chkGrid = true;
    bool chkKeepPlot = false;
    std::string lblY1Unit = "mA";
    std::string lblY2Unit;
    // The Y1 and Y2 rows (marker, line, scale and the three boxes) are disabled while
    // their variable is "none".
    bool y1ControlsEnabled = true;
    bool y2ControlsEnabled = false;
    // Last mouse press in the graph, plot coordinates.
    int intCursorX = 0;
    int intCursorY = 0;
};

// The settings that the limit checks of the main window correct.
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

// The dissipation limit typed into "Pmax (W)", read as the graph reads it: the number the
// box starts with ("15 W" is 15), 0 when it starts with none.
inline double pmaxWatts(const Form1Model& model) {
    return leadingNumber(model.txtPmax).value_or(0.0);
}

}  // namespace ostrino
