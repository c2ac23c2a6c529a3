#pragma once
// What the graph reads of the console, and what it writes: its own ranges, the cursor flag
// and the fit block of the measured matrix. The console owns every piece; the graph holds
// references for its lifetime.

#include "common/console_settings.h"
#include "common/distortion_overlay.h"
#include "common/meas_matrix.h"
#include "common/model_overlay.h"

namespace ostrino {

struct GraphSources {
    GraphSettings& graph;
    MeasMatrix& matrix;                // the fit block is written by every redraw
    const MeasSettings& meas;          // the sweep: the x range and the legend
    const DistortionOverlay& dist;     // the load line of the distortion window
    const ModelOverlay& modelOverlay;  // the valve-model window's curves
    const int& measState;              // MeasState: no fit while a sweep is measuring
    const int& iaRange;                // list index of "Ia Range", for "Track Range" on Y1
    const int& isRange;                // list index of "Is Range", for "Track Range" on Y2
    const bool& loaded;                // nothing is drawn before the main window has loaded
    const bool& compliance;            // the last result reported current compliance
    bool& cursorShown;                 // the graph shows the cursor read-out
};

}  // namespace ostrino
