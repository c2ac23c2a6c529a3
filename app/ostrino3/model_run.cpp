#include "app/ostrino3/model_run.h"

#include <chrono>
#include <cstdio>
#include <filesystem>

#include "app/ostrino3/headless_console.h"
#include "model/model_file.h"
#include "model/model_tool.h"
#include "model/spice_export.h"

namespace ostrino {

namespace {

// When the setup file was last written: the day its curves were measured, as near as the
// file can tell.
std::string fileDate(const std::string& path) {
    std::error_code ec;
    const auto written = std::filesystem::last_write_time(path, ec);
    if (ec) {
        return {};
    }
    return model::dateText(std::chrono::file_clock::to_sys(written));
}

}  // namespace

std::optional<std::vector<std::string>> fitModelLines(const CommandLine& cl,
                                                      const MeasMatrix& curves,
                                                      const std::string& title,
                                                      const std::string& date, Dialogs& dialogs,
                                                      ModelOverlay* graph,
                                                      std::optional<std::string>* json) {
    const std::optional<model::ModelKind> kind = model::findModel(cl.fitModel);
    const auto stage = splitDistortionSettings(cl.stage);
    // The stage's values are checked before anything is fitted or written.
    if (!kind || (!cl.stage.empty() && !(stage && model::readStageSettings(*stage, dialogs)))) {
        return std::nullopt;
    }
    ModelOverlay noGraph;
    model::ModelTool tool(curves, title, graph != nullptr ? *graph : noGraph, dialogs,
                          {{}, [date] { return date; }});
    const auto models = model::allModels();
    for (std::size_t k = 0; k < models.size(); ++k) {
        if (models[k].kind == *kind) {
            tool.cboModel_Click(static_cast<int>(k));
        }
    }
    tool.cmdFit_Click();
    const std::optional<model::ModelRecord>& record = tool.record();
    if (!record) {
        return std::nullopt;
    }

    if (json != nullptr) {
        *json = model::modelJson(*record);
    }
    if (graph != nullptr) {
        tool.setWindowVisible(true);
        tool.chkShowOnGraph_Click(true);
    }

    std::vector<std::string> lines = {"Model: " + std::string(model::modelInfo(*kind).title),
                                      "Fitted to: " + record->conditions};
    for (const model::TableRow& r : tool.model.parameterRows) {
        lines.push_back(r.caption + ": " + r.value);
    }
    for (const auto& c : tool.model.curveRows) {
        lines.push_back("Curve " + c[0] + " (Vg " + c[1] + " V, " + c[2] + " points): RMS " + c[3] +
                        " mA, worst " + c[4] + " mA");
    }

    std::string error;
    if (!cl.spiceFile.empty() &&
        !model::saveSpiceFile(cl.spiceFile, *record, model::spiceName(record->title, *kind),
                              error)) {
        dialogs.message("The SPICE file " + cl.spiceFile + " cannot be written: " + error);
        return std::nullopt;
    }
    if (!cl.jsonFile.empty() && !model::saveModelFile(cl.jsonFile, *record, error)) {
        dialogs.message("The model file " + cl.jsonFile + " cannot be written: " + error);
        return std::nullopt;
    }
    if (stage) {
        tool.model.txtVsupply = (*stage)[0];
        tool.model.txtRload = (*stage)[1];
        tool.model.txtVgrid = (*stage)[2];
        tool.model.txtVsign = (*stage)[3];
        tool.cmdAnalyze_Click();
        if (tool.model.stageRows.empty()) {
            return std::nullopt;
        }
        for (const model::TableRow& r : tool.model.stageRows) {
            lines.push_back(r.caption + ": " + r.value);
        }
    }
    return lines;
}

int runModelFit(const CommandLine& cl) {
    HeadlessConsole console(cl);
    console.logic.Form_Load();
    if (!console.setup.openFrom(cl.fitModelSetup)) {
        return 2;
    }
    return printResultLines(fitModelLines(cl, console.state.dblMeasMatrix,
                                          console.logic.model.txtTitle, fileDate(cl.fitModelSetup),
                                          console.dialogs));
}

}  // namespace ostrino
