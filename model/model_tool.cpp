#include "model/model_tool.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <ctime>
#include <limits>

#include "distortion/dist_analysis.h"
#include "model/model_file.h"
#include "model/spice_export.h"
#include "platform/entry_box.h"

namespace ostrino::model {

namespace {

// Steps between two measured points of a model curve on the graph.
constexpr int kOverlaySteps = 4;

std::string fixed(double v, int decimals) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
    return r.ec == std::errc() ? std::string(buf, r.ptr) : "-";
}

std::string today() {
    return dateText(std::chrono::system_clock::now());
}

std::string where(const PointError& p, bool pentode) {
    std::string s = "Va " + shortNumber(p.va, 4) + " V";
    if (pentode) {
        s += ", Vs " + shortNumber(p.vs, 4) + " V";
    }
    s += ", Vg " + shortNumber(p.vg, 3) + " V";
    return s + (p.screen ? ", screen current" : "");
}

}  // namespace

std::string dateText(std::chrono::system_clock::time_point when) {
    const std::time_t t = std::chrono::system_clock::to_time_t(when);
    std::tm local{};
    localtime_r(&t, &local);
    char buf[16];
    return std::strftime(buf, sizeof buf, "%Y-%m-%d", &local) > 0 ? buf : "";
}

std::string shortNumber(double v, int digits) {
    if (!std::isfinite(v)) {
        return "-";
    }
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v == 0.0 ? 0.0 : v,
                                 std::chars_format::general, digits);
    return r.ec == std::errc() ? std::string(buf, r.ptr) : "-";
}

std::vector<TableRow> recordRows(const ModelRecord& record, const ModelErrors* errors) {
    const ModelInfo& info = modelInfo(record.kind);
    std::vector<TableRow> rows;
    for (std::size_t k = 0; k < info.parameters.size() && k < record.parameters.size(); ++k) {
        rows.push_back({std::string(info.parameters[k].key), shortNumber(record.parameters[k], 6)});
    }
    rows.push_back({"RMS error", shortNumber(record.rmsMa, 3) + " mA"});
    rows.push_back({"RMS error (% of largest current)", shortNumber(record.rmsPercent, 3) + " %"});
    std::string worst = shortNumber(record.worstMa, 3) + " mA";
    if (errors != nullptr) {
        worst += " at " + where(errors->worst, info.pentode);
    }
    rows.push_back({"Worst point", worst});
    return rows;
}

std::vector<std::array<std::string, kCurveColumns>> curveRows(const ModelErrors& errors) {
    std::vector<std::array<std::string, kCurveColumns>> rows;
    for (const CurveError& c : errors.curves) {
        rows.push_back({std::to_string(c.curve), shortNumber(c.vg, 4), std::to_string(c.points),
                        shortNumber(c.rmsMa, 3), shortNumber(c.worstMa, 3)});
    }
    return rows;
}

std::vector<TableRow> stageRows(const StageResult& r) {
    std::vector<TableRow> rows = {
        {"Ia (quiescent)", fixed(r.iaQuiescentMa, 3) + " mA"},
        {"Va (quiescent)", fixed(r.vaQuiescentVolts, 2) + " V"},
        {"Gain", fixed(r.gain, 2)},
    };
    const char* const names[] = {
        "", "", "2nd harmonic", "3rd harmonic", "4th harmonic", "5th harmonic"};
    for (int k = 2; k <= kStageHarmonics; ++k) {
        const auto i = static_cast<std::size_t>(k);
        const std::string level = r.levelDbc[i] <= kLevelFloorDbc
                                      ? "below " + fixed(kLevelFloorDbc, 0)
                                      : fixed(r.levelDbc[i], 1);
        // Below a thousandth of a percent the level in dBc says it better.
        const double percent = r.distortionPercent[i];
        const std::string share = percent < 1e-3 ? "< 0.001" : shortNumber(percent, 3);
        rows.push_back({names[k], level + " dBc (" + share + " %)"});
    }
    rows.push_back({"Total distortion", shortNumber(r.totalDistortionPercent, 3) + " %"});
    return rows;
}

std::optional<StageSettings> readStageSettings(const std::array<std::string, 4>& texts,
                                               Dialogs& dialogs) {
    struct Setting {
        const char* box;
        double min, max;
        const char* unit;
    };
    const Setting settings[] = {
        {"Vsupply", DistAnalysis::kVsupplyMin, DistAnalysis::kVsupplyMax, "V"},
        {"Rload", DistAnalysis::kRloadMin, DistAnalysis::kRloadMax, "kohm"},
        {"Vgrid", DistAnalysis::kVgridMin, DistAnalysis::kVgridMax, "V"},
        {"Vsign", DistAnalysis::kVsignMin, DistAnalysis::kVsignMax, "V"},
    };
    std::array<double, 4> values{};
    for (std::size_t k = 0; k < values.size(); ++k) {
        const Setting& s = settings[k];
        const std::optional<double> v = readNumberBox(texts[k], s.box, dialogs);
        if (!v) {
            return std::nullopt;
        }
        if (!(*v >= s.min && *v <= s.max)) {
            dialogs.message(std::string(s.box) + " has to lie between " + shortNumber(s.min, 6) +
                            " and " + shortNumber(s.max, 6) + " " + s.unit + ".");
            return std::nullopt;
        }
        values[k] = *v;
    }
    StageSettings st;
    st.supplyVolts = values[0];
    st.loadKohm = values[1];
    st.gridVolts = values[2];
    st.signalPeakVolts = values[3];
    return st;
}

PointSet fitPoints(const PointSet& sweep, ModelKind kind, TriodeSection section) {
    return modelInfo(kind).pentode ? sweep : triodeSection(sweep, section);
}

std::vector<ModelOverlay::Curve> overlayCurves(const PointSet& sweep, const ModelRecord& record,
                                               TriodeSection section) {
    const bool pentode = modelInfo(record.kind).pentode;
    const bool second = !pentode && section == TriodeSection::Second;
    constexpr double kNone = std::numeric_limits<double>::quiet_NaN();
    const auto row = [&](const MeasuredPoint& a, const MeasuredPoint& b, double t) {
        ModelOverlay::Row r{};
        const auto at = [t](double x, double y) { return x + (y - x) * t; };
        r[MeasMatrix::Curve] = a.curve;
        r[MeasMatrix::Va] = at(a.va, b.va);
        r[MeasMatrix::Vs] = at(a.vs, b.vs);
        r[MeasMatrix::Vg] = at(a.vg, b.vg);
        r[MeasMatrix::Vh] = kNone;
        const ModelCurrents i = modelCurrents(record.kind, record.parameters,
                                              second ? r[MeasMatrix::Vs] : r[MeasMatrix::Va],
                                              r[MeasMatrix::Vs], r[MeasMatrix::Vg]);
        r[MeasMatrix::Ia] = second ? kNone : i.anode;
        r[MeasMatrix::Is] = second ? i.anode : (pentode ? i.screen : kNone);
        return r;
    };
    std::vector<ModelOverlay::Curve> curves;
    for (std::size_t k = 0; k < sweep.size(); ++k) {
        const MeasuredPoint& p = sweep[k];
        if (k == 0 || p.curve != sweep[k - 1].curve) {
            curves.push_back({static_cast<int>(curves.size()) + 1, {row(p, p, 0.0)}});
            continue;
        }
        for (int s = 1; s <= kOverlaySteps; ++s) {
            curves.back().rows.push_back(row(sweep[k - 1], p, double(s) / kOverlaySteps));
        }
    }
    return curves;
}

ModelTool::ModelTool(const MeasMatrix& curves, const std::string& title, ModelOverlay& overlay,
                     Dialogs& dialogs, Hooks hooks)
    : curves_(curves),
      title_(title),
      overlay_(overlay),
      dialogs_(dialogs),
      hooks_(std::move(hooks)) {
    model.txtVsupply = shortNumber(DistAnalysis::kVsupplyDef, 6);
    model.txtRload = shortNumber(DistAnalysis::kRloadDef, 6);
    model.txtVgrid = shortNumber(DistAnalysis::kVgridDef, 6);
    model.txtVsign = shortNumber(DistAnalysis::kVsignDef, 6);
}

ModelKind ModelTool::chosenKind() const {
    const auto models = allModels();
    const auto i = static_cast<std::size_t>(model.cboModel);
    return i < models.size() ? models[i].kind : ModelKind::KorenTriode;
}

TriodeSection ModelTool::chosenSection() const {
    return model.cboSection == 1 ? TriodeSection::Second : TriodeSection::First;
}

void ModelTool::cboModel_Click(int index) {
    model.cboModel = index;
    model.sectionEnabled = !modelInfo(chosenKind()).pentode;
}

void ModelTool::cboSection_Click(int index) {
    model.cboSection = index;
}

void ModelTool::cboWeighting_Click(int index) {
    model.cboWeighting = index;
}

bool ModelTool::fittedTo(const MeasMatrix& m) const {
    const auto same = [](const MeasuredPoint& a, const MeasuredPoint& b) {
        return a.curve == b.curve && a.va == b.va && a.vs == b.vs && a.vg == b.vg && a.ia == b.ia &&
               a.is == b.is;
    };
    const PointSet now = readSweep(m);
    return record_ && !fittedSweep_.empty() &&
           std::equal(now.begin(), now.end(), fittedSweep_.begin(), fittedSweep_.end(), same);
}

void ModelTool::clearModel() {
    record_.reset();
    fittedSweep_.clear();
    model.haveModel = false;
    model.lblModel = "No model.";
    model.parameterRows.clear();
    model.curveRows.clear();
    model.stageRows.clear();
    publish();
}

void ModelTool::cmdFit_Click() {
    const ModelKind kind = chosenKind();
    const PointSet sweep = readSweep(curves_);
    const TriodeSection section = chosenSection();
    const PointSet points = fitPoints(sweep, kind, section);
    FitOptions options;
    options.weighting = model.cboWeighting == 1 ? Weighting::Relative : Weighting::Absolute;
    const FitResult fit = fitModel(kind, points, options);
    if (!fit.ok) {
        clearModel();
        dialogs_.message(fit.message);
        return;
    }
    record_ = makeRecord(fit, points, title_,
                         hooks_.MeasurementDate ? hooks_.MeasurementDate() : today());
    section_ = section;
    fittedSweep_ = sweep;
    screenVolts_ = 0.0;
    for (const MeasuredPoint& p : points) {
        screenVolts_ = std::max(screenVolts_, p.vs);
    }
    showRecord();
    model.parameterRows = recordRows(*record_, &fit.errors);
    model.curveRows = curveRows(fit.errors);
    model.lblModel += " (" + std::to_string(fit.iterations) + " iterations)";
    publish();
}

void ModelTool::showRecord() {
    const ModelInfo& info = modelInfo(record_->kind);
    model.haveModel = true;
    model.lblModel = std::string(info.title);
    if (!info.pentode) {
        model.lblModel += section_ == TriodeSection::Second ? ", section 2" : ", section 1";
    }
    model.lblModel += ": " + record_->conditions;
    model.parameterRows = recordRows(*record_, nullptr);
    model.curveRows.clear();
    model.stageRows.clear();
}

void ModelTool::chkShowOnGraph_Click(bool on) {
    model.chkShowOnGraph = on;
    publish();
}

void ModelTool::setWindowVisible(bool visible) {
    windowVisible_ = visible;
    publish();
}

void ModelTool::publish() {
    const bool wasVisible = overlay_.visible;
    overlay_.visible = windowVisible_ && model.chkShowOnGraph && record_.has_value();
    overlay_.curves.clear();
    if (overlay_.visible) {
        overlay_.curves = overlayCurves(readSweep(curves_), *record_, section_);
    }
    if ((wasVisible || overlay_.visible) && hooks_.DrawPicture) {
        hooks_.DrawPicture();
    }
}

void ModelTool::cmdExportSpice_Click() {
    if (!record_) {
        return;
    }
    const std::string path = dialogs_.chooseFile(saveFileRequest(
        "SPICE subcircuit (*.inc)|*.inc|All files (*.*)|*.*", "Export the model for SPICE"));
    if (path.empty()) {
        return;
    }
    std::string error;
    if (!saveSpiceFile(path, *record_, spiceName(record_->title, record_->kind), error)) {
        dialogs_.message("The SPICE file " + path + " cannot be written: " + error);
    }
}

void ModelTool::cmdSaveModel_Click() {
    if (!record_) {
        return;
    }
    const std::string path = dialogs_.chooseFile(
        saveFileRequest("Valve model (*.json)|*.json|All files (*.*)|*.*", "Save the valve model"));
    if (path.empty()) {
        return;
    }
    std::string error;
    if (!saveModelFile(path, *record_, error)) {
        dialogs_.message("The model file " + path + " cannot be written: " + error);
    }
}

void ModelTool::cmdOpenModel_Click() {
    const std::string path = dialogs_.chooseFile(
        openFileRequest("Valve model (*.json)|*.json|All files (*.*)|*.*", "Open a valve model"));
    if (path.empty()) {
        return;
    }
    ModelFileResult opened = openModelFile(path);
    if (!opened.record) {
        dialogs_.message(opened.error);
        return;  // the model shown stays
    }
    record_ = std::move(opened.record);
    fittedSweep_.clear();
    section_ = TriodeSection::First;
    screenVolts_ = 0.0;
    const auto models = allModels();
    for (std::size_t k = 0; k < models.size(); ++k) {
        if (models[k].kind == record_->kind) {
            cboModel_Click(static_cast<int>(k));
        }
    }
    model.cboSection = 0;
    showRecord();
    model.lblModel += "; " + record_->title + (record_->date.empty() ? "" : ", " + record_->date);
    publish();
}

void ModelTool::ReadStageFields() {
    // Only the message matters here; the values are read again by "Analyze on model".
    readStageSettings({model.txtVsupply, model.txtRload, model.txtVgrid, model.txtVsign}, dialogs_);
}

void ModelTool::cmdAnalyze_Click() {
    model.stageRows.clear();
    if (!record_) {
        dialogs_.message("There is no model yet: press \"Fit\" or open a model file first.");
        return;
    }
    std::optional<StageSettings> settings = readStageSettings(
        {model.txtVsupply, model.txtRload, model.txtVgrid, model.txtVsign}, dialogs_);
    if (!settings) {
        return;
    }
    settings->screenVolts = screenVolts_;
    const StageResult result = analyzeStage(record_->kind, record_->parameters, *settings);
    if (!result.ok) {
        dialogs_.message(result.message);
        return;
    }
    model.stageRows = stageRows(result);
}

}  // namespace ostrino::model
