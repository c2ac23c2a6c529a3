#pragma once
// The load-line distortion analysis of a single-ended stage (no Qt): the four settings with
// their limits, and the analysis that lays the load line through the measured anode family,
// drives the grid with a sine, and takes the harmonics of the anode voltage.
//
// The graph draws the load line from what this publishes (a DistortionOverlay).

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "common/distortion_overlay.h"
#include "common/meas_matrix.h"
#include "distortion/numerics.h"
#include "platform/dialogs.h"

namespace ostrino {

// The texts the distortion window shows.
struct DistModel {
    static constexpr int kHarmonics = 5;
    inline static const std::string kNoResult = "- - -";
    inline static const std::string kCleared = "- - -   ";

    std::string txtVsupply, txtRload, txtVgrid, txtVsign;

    std::string lblIaDC = kNoResult, lblVaDC = kNoResult;
    std::string lblPtubeDC = kNoResult, lblPtubeDCUnit = "mW";
    std::string lblPsupplyDC = kNoResult, lblPsupplyDCUnit = "mW";
    std::string lblVaAV = kNoResult, lblIaAV = kNoResult;
    std::string lblGain = kNoResult;
    // Harmonic k at index k - 1; the fundamental has no distortion entry (index 0 unused).
    std::array<std::string, kHarmonics> lblFftAmpl, lblFftPwr, lblFftDist, lblFftdB;
    std::string lblFftDistTotal = kNoResult;
    std::string lblFftPwrTotal = kNoResult, lblFftPwrTotalUnit = "mW";

    DistModel();
};

class DistAnalysis {
  public:
    struct Hooks {
        std::function<void()> DrawPicture;   // the main window redraws its graph
        std::function<void()> BringToFront;  // the analysis window comes to the front
        std::function<void()> Refresh;       // the window shows the model again
    };

    static constexpr double kVsupplyDef = 300, kVsupplyMin = 20, kVsupplyMax = 1000;
    static constexpr double kRloadDef = 1.5, kRloadMin = 0.001, kRloadMax = 10000;
    static constexpr double kVgridDef = -4, kVgridMin = -1000, kVgridMax = 0;
    static constexpr double kVsignDef = 1, kVsignMin = 0.01, kVsignMax = 100;
    static constexpr int kGridPoints = 50;     // anode voltages of the surface grid
    static constexpr int kTransferSteps = 50;  // the transfer characteristic has one more pair
    static constexpr int kSamples = 16;        // samples of the output waveform per period
    inline static const char* const kDumpFile = "curves.txt";

    // Reads the measured curves; publishes the load line in overlay.
    DistAnalysis(const MeasMatrix& curves, DistortionOverlay& overlay, Dialogs& dialogs,
                 Hooks hooks = {});

    DistModel model;

    // Defaults into the settings and the boxes; the graph learns the supply and the load.
    void Form_Load();
    // The four values into their boxes as plain numbers.
    void UpdateMeasFields();
    // A box was left or Enter was typed in it: all four boxes are read and checked. A box
    // that does not hold a number keeps its previous value (with a message).
    void ReadFields();
    // The first setting outside its limits is reported and set to that limit, and the boxes
    // are refilled; true when that happened.
    bool CheckMeasFields();
    void cmdAnalyze_Click();

    // Settings.
    double dblDistVsupply() const { return vsupply_; }
    double dblDistRload() const { return rload_; }
    double dblDistVgrid() const { return vgrid_; }
    double dblDistVsign() const { return vsign_; }

    // What the last analysis found.
    bool blnError() const { return overlay_.blnError; }
    int intDistCurves() const { return curves_; }
    int intDistPoints() const { return points_; }
    double dblDistVaLow() const { return vaLow_; }
    double dblDistVaHigh() const { return vaHigh_; }
    double dblDistVgMin() const { return vgMin_; }
    double dblDistVgMax() const { return vgMax_; }
    double dblDistVaMin() const { return overlay_.dblDistVaMin; }
    double dblDistVaMax() const { return overlay_.dblDistVaMax; }
    // Anode current of the measured surface (NaN before a surface was built).
    double SurfaceIa(double va, double vg) const;

  private:
    struct Curve {
        double vg = 0.0;
        std::vector<double> va, ia;
    };

    void fail(const std::string& text);
    void clearResults();
    void publish();
    void countCurves();
    void buildSurface();
    void checkSignalAndLoadLine();
    void writeDump() const;
    void buildTransfer();
    void showResults();

    const MeasMatrix& matrix_;
    DistortionOverlay& overlay_;
    Dialogs& dialogs_;
    Hooks hooks_;

    double vsupply_ = kVsupplyDef, rload_ = kRloadDef, vgrid_ = kVgridDef, vsign_ = kVsignDef;

    std::vector<Curve> measured_;
    int curves_ = 0, points_ = 0;
    double vaLow_ = -1000, vaHigh_ = 1000, vgMin_ = 1000, vgMax_ = -1000;
    SurfaceInterpolant surface_;
    SplineInterpolant transfer_;
};

}  // namespace ostrino
