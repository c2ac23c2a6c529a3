#pragma once
// The controls of the main window's graph pane as plain data: what the graph logic reads and
// writes, and what the window shows.

#include <string>

#include "common/numbers.h"

namespace ostrino {

// titlePlacement when none of the three title options is selected.
inline constexpr int kNoTitleOption = -1;

struct GraphPaneModel {
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

// The dissipation limit typed into "Pmax (W)", read as the graph reads it: the number the
// box starts with ("15 W" is 15), 0 when it starts with none.
inline double pmaxWatts(const GraphPaneModel& model) {
    return leadingNumber(model.txtPmax).value_or(0.0);
}

}  // namespace ostrino
