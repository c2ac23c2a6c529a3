#pragma once
// The lasting state of the third-generation console: what the main window owns for the whole
// run. The engine hands each part the pieces it reads (a view of its own); nobody keeps a copy.

#include <array>

#include "common/calibration.h"
#include "common/console_settings.h"
#include "common/distortion_overlay.h"
#include "common/meas_matrix.h"
#include "common/model_overlay.h"

namespace ostrino {

struct ConsoleState {
    CalibrationRecord cal;
    MeasMatrix dblMeasMatrix;
    MeasSettings meas;
    GraphSettings graph;
    DistortionOverlay dist;
    ModelOverlay modelOverlay;  // the valve-model window's curves
    QuickTestSettings quickTest;
    std::array<int, 21> intPins{};  // list position of each pin's connection
    bool blnPinsForm = false;       // the pin window is open

    int intMeasStat = kGround;
    int progressBar1 = 0;  // heater ramp, percent of the target heater voltage

    double dblVsupply = 19.0;     // supply voltage used in every conversion
    double dblVsupplyMeas = 0.0;  // supply voltage of the last result
    bool blnCompliance = false;   // a result reported current compliance
    bool blnCursor = false;       // the graph shows the cursor read-out
    bool blnLoaded = false;       // the main window has finished loading

    // Instrument settings chosen in the main window (list indexes).
    int cboIaRange = 8;     // 8 = "Automatic"
    int cboIsRange = 8;     // 8 = "Automatic"
    int cboAverage = 6;     // 6 = "Automatic"
    int cboCompliance = 0;  // 0 = "200 mA"

    // External heater supply.
    bool chkExtVheat = false;
    double dblVheatExt = 19.5;

    // Highest heater voltage of the present heater supply.
    double maxHeaterVoltage() const { return heaterSupplyLimit(chkExtVheat, dblVheatExt); }
    static constexpr double kInternalHeaterMax = ostrino::kInternalHeaterMax;
};

}  // namespace ostrino
