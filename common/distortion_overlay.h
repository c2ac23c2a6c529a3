#pragma once
// What the distortion window publishes for the graph: the load line and its range.

namespace ostrino {

// What the distortion window publishes for the graph's load line.
struct DistortionOverlay {
    bool visible = false;  // the distortion window is open
    double dblDistVsupply = 0.0;
    double dblDistRload = 1.0;  // kohm
    double dblDistVaMin = 0.0;
    double dblDistVaMax = 0.0;
    bool blnError = false;
};

}  // namespace ostrino
