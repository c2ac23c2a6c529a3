#pragma once
// The lasting state of the third-generation console: what the main window owns for
// the whole run and every subsystem reads or writes by reference. Nobody keeps a copy.

#include <memory>

#include "common/calibration.h"
#include "common/meas_matrix.h"

namespace ostrino {

// Run state of the main window.
enum MeasState : int {
    kGround = 0,        // heater off
    kHeating = 1,       // heater ramping up
    kHeatingCut = 2,    // ramp cut short by the user
    kSwitchingOff = 3,  // heater being switched off
    kHeaterOn = 4,      // heater on, idle
    kMeasuring = 5,     // sweep or quick test running
};

struct ConsoleState {
    CalibrationRecord cal;
    MeasMatrix dblMeasMatrix;

    int intMeasStat = kGround;
    int progressBar1 = 0;  // heater ramp, percent of the target heater voltage

    double dblVsupply = 19.0;     // supply voltage used in every conversion
    double dblVsupplyMeas = 0.0;  // supply voltage of the last result
    bool blnCompliance = false;   // a result reported current compliance

    // Instrument settings chosen in the main window (list indexes).
    int cboIaRange = 8;     // 8 = "Automatic"
    int cboIsRange = 8;     // 8 = "Automatic"
    int cboAverage = 6;     // 6 = "Automatic"
    int cboCompliance = 0;  // 0 = "200 mA"

    // External heater supply.
    bool chkExtVheat = false;
    double dblVheatExt = 19.5;
};

}  // namespace ostrino
