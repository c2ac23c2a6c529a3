#pragma once
// The lasting state of the third-generation console: what the main window owns for
// the whole run and every subsystem reads or writes by reference. Nobody keeps a copy.

#include <array>
#include <string>

#include "common/calibration.h"
#include "common/distortion_overlay.h"
#include "common/meas_matrix.h"
#include "common/model_overlay.h"

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

// The sweep settings of the main window and the defaults and limits that the measurement
// type installs.
struct MeasSettings {
    static constexpr int kMaxVar2 = 21;

    int intMeasType = 0;
    double dblVar1Start = -10.0;
    double dblVar1Stop = 0.0;
    int intVar1Nintv = 10;
    std::array<double, kMaxVar2> dblVar2Values{200.0};
    int intVar2Count = 1;
    std::string strVar2;
    double dblConst1 = 200.0;
    double dblConst2 = 6.3;
    double dblDelay = 0.0;
    double dblHeaterSave = 6.3;  // last heater voltage entered as a constant

    double dblVar1StartDef = -10.0, dblVar1StartMin = -50.0;
    double dblVar1StopDef = 0.0, dblVar1StopMax = 0.0;
    int intVar1NintvDef = 10, intVar1NintvMax = 100;
    double dblVar2Def = 200.0, dblVar2Min = 2.0, dblVar2Max = 300.0;
    double dblConst1Def = 200.0, dblConst1Min = 2.0, dblConst1Max = 300.0;
    double dblConst2Def = 6.3, dblConst2Min = 0.0, dblConst2Max = 19.5;
    double dblDelayDef = 0.0, dblDelayMin = 0.0, dblDelayMax = 300.0;
};

// What the graph shows: axis ranges, divisions and the x variable.
struct GraphSettings {
    double dblXmin = 0.0, dblXmax = 200.0;
    int intXmajor = 4;
    double dblXminDefault = 0.0, dblXmaxDefault = 200.0;
    int intXmajorDefault = 4;
    double dblXminLimit = -60.0, dblXmaxLimit = 0.0;

    double dblY1min = 0.0, dblY1max = 200.0;
    int intY1major = 4;
    double dblY1minDefault = 0.0, dblY1maxDefault = 200.0;
    int intY1majorDefault = 4;

    double dblY2min = 0.0, dblY2max = 200.0;
    int intY2major = 4;
    double dblY2minDefault = 0.0, dblY2maxDefault = 200.0;
    int intY2majorDefault = 4;

    int intXcol = 4;  // matrix column of the x variable
    std::string strXname = "Control Grid (V)";
};

// The quick-test set points and nominal values; 0 as a nominal value means none given.
struct QuickTestSettings {
    int intQTtype = 1;  // 1 triode, 2 pentode
    double dblQTTVa1 = 250.0, dblQTTVa1Proc = 10.0;
    double dblQTTVa2 = 250.0, dblQTTVa2Proc = 10.0;
    double dblQTTVg = -10.0, dblQTTVgProc = 10.0;
    double dblQTTIa1Nom = 0.0, dblQTTIa2Nom = 0.0;
    double dblQTTRaNom = 0.0, dblQTTGmNom = 0.0, dblQTTMuNom = 0.0;
    double dblQTPVa = 250.0, dblQTPVaProc = 10.0;
    double dblQTPVs = 250.0, dblQTPVsProc = 10.0;
    double dblQTPVg = -10.0, dblQTPVgProc = 10.0;
    double dblQTPIaNom = 0.0, dblQTPIsNom = 0.0;
    double dblQTPRaNom = 0.0, dblQTPGmNom = 0.0, dblQTPMuNom = 0.0;
    bool chkAppendTriode = false;   // "Append" of the triode window
    bool chkAppendPentode = false;  // "Append" of the pentode window
};

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
    double maxHeaterVoltage() const { return chkExtVheat ? dblVheatExt : kInternalHeaterMax; }
    static constexpr double kInternalHeaterMax = 19.5;
};

}  // namespace ostrino
