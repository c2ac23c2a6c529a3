#pragma once
// The logic of the window "Valve model" (no Qt): a model fitted to the measured family of
// the current sweep, its parameters and errors as table rows, its curves for the graph, its
// SPICE and model files, and the amplifier stage computed on it. The command line prints the
// same rows.

#include <array>
#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/meas_matrix.h"
#include "common/model_overlay.h"
#include "model/model_fit.h"
#include "model/model_record.h"
#include "model/stage_analysis.h"
#include "platform/dialogs.h"

namespace ostrino::model {

// One line of a table: what it is, and its value with the unit.
struct TableRow {
    std::string caption;
    std::string value;
    friend bool operator==(const TableRow&, const TableRow&) = default;
};

// A number with at most `digits` significant digits, '.' whatever the locale.
std::string shortNumber(double v, int digits);

// The local date of a moment, "2024-05-01".
std::string dateText(std::chrono::system_clock::time_point when);

// The parameters ("mu", "21.53"), then the errors of the fit: RMS in mA and in % of the
// largest current, and the worst point (where it lies when errors are given).
std::vector<TableRow> recordRows(const ModelRecord& record, const ModelErrors* errors);

// The errors of each curve: Curve, Vg (V), Points, RMS (mA), Worst (mA).
constexpr int kCurveColumns = 5;
std::vector<std::array<std::string, kCurveColumns>> curveRows(const ModelErrors& errors);

// The stage's results: the quiescent point, the gain, harmonics 2 to 5 in dBc and %, and the
// total distortion.
std::vector<TableRow> stageRows(const StageResult& result);

// The four stage settings as typed (supply V, load kohm, grid bias V, signal peak V), read
// and checked with the limits of the distortion analysis; nullopt after a message naming the
// setting that is not a number or is outside its limits.
std::optional<StageSettings> readStageSettings(const std::array<std::string, 4>& texts,
                                               Dialogs& dialogs);

// Which points of the family a model is fitted to. A double triode's second section is
// measured on the screen supply (Vs, Is).
PointSet fitPoints(const PointSet& sweep, ModelKind kind, TriodeSection section);

// The model's curves along the measured ones: every curve of the sweep with each step
// between two measured points cut into a few, the model's currents in the columns of the
// currents it gives (Ia, and Is for a pentode or for a double triode's second section).
std::vector<ModelOverlay::Curve> overlayCurves(const PointSet& sweep, const ModelRecord& record,
                                               TriodeSection section);

// What the window shows and edits.
struct ModelToolModel {
    int cboModel = 0;            // in the order of allModels()
    int cboSection = 0;          // 0 section 1 (Va, Ia), 1 section 2 (Vs, Is)
    int cboWeighting = 0;        // 0 absolute, 1 relative
    bool sectionEnabled = true;  // the models of a triode only
    bool haveModel = false;      // a fitted or opened model: show, export, save, analyse
    bool chkShowOnGraph = false;

    std::string lblModel = "No model yet: choose one and press \"Fit\".";
    std::vector<TableRow> parameterRows;
    std::vector<std::array<std::string, kCurveColumns>> curveRows;

    std::string txtVsupply, txtRload, txtVgrid, txtVsign;
    std::vector<TableRow> stageRows;
};

class ModelTool {
  public:
    struct Hooks {
        std::function<void()> DrawPicture;             // the main window redraws its graph
        std::function<std::string()> MeasurementDate;  // empty: the fit's own date
    };

    // Reads the measured family from curves and the plot's title from title; publishes the
    // model's curves in overlay.
    ModelTool(const MeasMatrix& curves, const std::string& title, ModelOverlay& overlay,
              Dialogs& dialogs, Hooks hooks = {});

    ModelToolModel model;

    void cboModel_Click(int index);
    void cboSection_Click(int index);
    void cboWeighting_Click(int index);
    // Fits the chosen model to the measured family; a family that cannot be fitted gets a
    // message and leaves no model.
    void cmdFit_Click();
    void chkShowOnGraph_Click(bool on);
    void cmdExportSpice_Click();
    void cmdSaveModel_Click();
    void cmdOpenModel_Click();
    // A stage box was left: the four boxes are read and checked.
    void ReadStageFields();
    void cmdAnalyze_Click();

    // The window was opened or closed: the curves are on the graph only while it is open.
    void setWindowVisible(bool visible);

    const std::optional<ModelRecord>& record() const { return record_; }
    // True when the model was fitted here to the very sweep the matrix holds now (not opened
    // from a file, not fitted to an earlier sweep).
    bool fittedTo(const MeasMatrix& m) const;

  private:
    void clearModel();
    void showRecord();
    void publish();
    ModelKind chosenKind() const;
    TriodeSection chosenSection() const;

    const MeasMatrix& curves_;
    const std::string& title_;
    ModelOverlay& overlay_;
    Dialogs& dialogs_;
    Hooks hooks_;

    bool windowVisible_ = false;
    std::optional<ModelRecord> record_;
    PointSet fittedSweep_;  // the sweep the model was fitted to; empty for an opened model
    TriodeSection section_ = TriodeSection::First;  // of the model shown
    double screenVolts_ = 0.0;                      // of the fitted family (pentodes)
};

}  // namespace ostrino::model
