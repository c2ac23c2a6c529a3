#include "measure/form1_setup.h"

#include <algorithm>
#include <utility>

#include "common/numbers.h"
#include "common/stepping_values.h"
#include "common/text_file.h"
#include "measure/console_views.h"

namespace ostrino {

SetupControls setupControls(const Form1Model& model) {
    SetupControls c;
    c.measLog = model.chkMeasLog;
    c.beep = model.chkBeep;
    c.y1Var = model.cboY1Var;
    c.y2Var = model.cboY2Var;
    c.y1Marker = model.cboY1Marker;
    c.y2Marker = model.cboY2Marker;
    c.y1Line = model.cboY1Line;
    c.y2Line = model.cboY2Line;
    c.xScale = model.cboXScale;
    c.y1Scale = model.cboY1Scale;
    c.y2Scale = model.cboY2Scale;
    c.degreeText = model.txtDegree;
    c.pmax = pmaxWatts(model);
    c.keepPlot = model.chkKeepPlot;
    c.color = model.chkColor;
    c.grid = model.chkGrid;
    c.titlePlacement = model.titlePlacement;
    c.title = model.txtTitle;
    return c;
}

std::optional<std::string> setupFileText(const ConsoleState& state, const Form1Model& model,
                                         std::string& error) {
    return setupFileText(setupSources(state), setupControls(model), error);
}

// ---- the operations ----------------------------------------------------------------------

SetupFile::SetupFile(ConsoleState& state, Form1Logic& logic, Dialogs& dialogs)
    : state_(state), logic_(logic), dialogs_(dialogs) {}

void SetupFile::SaveSetupFile() {
    const std::string name = dialogs_.chooseFile(saveFileRequest(kSetupFilter, "Save Setup"));
    if (!name.empty()) {
        saveTo(name);
    }
}

void SetupFile::OpenSetupFile() {
    const std::string name = dialogs_.chooseFile(openFileRequest(kSetupFilter, "Open Setup"));
    if (name.empty()) {
        Form1Hooks::call(logic_.hooks.DrawPicture);
        return;
    }
    openFrom(name);
}

bool SetupFile::saveTo(const std::string& path) {
    std::string error;
    const auto text = setupFileText(state_, logic_.model, error);
    if (!text) {
        dialogs_.message("The setup file " + path + " was not written: " + error + ".");
        return false;
    }
    if (!writeFileAtomically(path, *text, error)) {
        dialogs_.message("The setup file " + path + " cannot be written (" + error + ").");
        return false;
    }
    return true;
}

bool SetupFile::openFrom(const std::string& path, OutOfLimits outOfLimits) {
    std::string error;
    const auto content = readWholeFile(path, error);
    if (!content) {
        dialogs_.message("The setup file " + path + " cannot be read (" + error + ").");
        return false;
    }
    return openText(*content, path, outOfLimits);
}

bool SetupFile::openText(const std::string& content, const std::string& path,
                         OutOfLimits outOfLimits) {
    std::string error;
    const auto data = parseSetupFile(content, error);
    if (!data) {
        dialogs_.message("The setup file " + path + " cannot be used (" + error +
                         "). Nothing has been changed.");
        return false;
    }
    if (outOfLimits == OutOfLimits::Correct) {
        apply(*data, [this](const std::string& message, const std::vector<int>&) {
            dialogs_.message(message, MessageIcon::Exclamation);
        });
        return true;
    }

    // Refused: every value outside its limit, in the order of the file.
    std::vector<std::pair<int, std::string>> refused;
    apply(*data, [&](const std::string& message, std::vector<int> lines) {
        std::sort(lines.begin(), lines.end());
        std::string where = lines.size() > 1 ? "lines " : "line ";
        for (std::size_t i = 0; i < lines.size(); ++i) {
            where += (i == 0                 ? ""
                      : i + 1 < lines.size() ? ", "
                                             : " and ") +
                     std::to_string(lines[i]);
        }
        refused.emplace_back(lines.empty() ? 0 : lines.front(),
                             "The setup file " + path + ", " + where + ": " + message);
    });
    if (refused.empty()) {
        return true;
    }
    std::stable_sort(refused.begin(), refused.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& [line, message] : refused) {
        dialogs_.message(message);
    }
    dialogs_.message("The setup file " + path +
                     " holds values outside their limits; nothing has been measured.");
    return false;
}

void SetupFile::apply(const SetupData& d, const LimitReport& report) {
    Form1Model& model = logic_.model;
    MeasSettings& s = state_.meas;
    GraphSettings& g = state_.graph;
    const auto reportFault = [&](const LimitFault& fault) {
        std::vector<int> lines;
        for (const CheckedSetting setting : fault.settings) {
            lines.push_back(d.lines[static_cast<std::size_t>(setting)]);
        }
        report(fault.message, std::move(lines));
    };

    state_.dblVheatExt = d.vheatExt;
    // The heater limit of the measurement type follows the supply, so it is checked first.
    if (const auto fault = logic_.setup.correctHeaterSupply()) {
        reportFault(*fault);
    }
    model.txtVheat = numberText(state_.dblVheatExt);
    if (d.extVheat != state_.chkExtVheat) {
        // As if the user had clicked the box: confirmed, refused or put back.
        logic_.chkExtVheat_Click(d.extVheat);
    }
    // A list that had nothing selected (-1) keeps its selection here: every list of this
    // window always has one.
    const auto select = [](int& list, int position) {
        if (position >= 0) {
            list = position;
        }
    };
    select(model.cboMeasType, d.measType);
    logic_.setup.cboMeasType_Click();

    s.dblVar1Start = d.var1Start;
    s.dblVar1Stop = d.var1Stop;
    s.intVar1Nintv = d.var1Nintv;
    model.chkMeasLog = d.measLog;
    s.dblConst1 = d.const1;
    s.dblConst2 = d.const2;
    s.dblDelay = d.delay;
    // A stepping value outside the type's limits is reported and skipped, as a typed one.
    int count = 0;
    for (std::size_t i = 0; i < d.var2Values.size(); ++i) {
        const std::string problem =
            steppingValueProblem(d.var2Values[i], s.dblVar2Min, s.dblVar2Max);
        if (!problem.empty()) {
            report(problem, {d.var2Line + static_cast<int>(i)});
            continue;
        }
        s.dblVar2Values[static_cast<std::size_t>(count++)] = d.var2Values[i];
    }
    if (count == 0) {
        s.dblVar2Values[0] = s.dblVar2Def;
        count = 1;
    }
    s.intVar2Count = count;
    logic_.setup.UpdateMeasFields();

    select(state_.cboIaRange, d.iaRange);
    select(state_.cboIsRange, d.isRange);
    select(state_.cboAverage, d.average);
    select(state_.cboCompliance, d.compliance);
    model.chkBeep = d.beep;

    select(model.cboY1Var, d.y1Var);
    select(model.cboY2Var, d.y2Var);
    select(model.cboY1Marker, d.y1Marker);
    select(model.cboY2Marker, d.y2Marker);
    select(model.cboY1Line, d.y1Line);
    select(model.cboY2Line, d.y2Line);
    select(model.cboXScale, d.xScale);
    select(model.cboY1Scale, d.y1Scale);
    select(model.cboY2Scale, d.y2Scale);
    g.dblXmin = d.xmin;
    g.dblY1min = d.y1min;
    g.dblY2min = d.y2min;
    g.dblXmax = d.xmax;
    g.dblY1max = d.y1max;
    g.dblY2max = d.y2max;
    g.intXmajor = d.xmajor;
    g.intY1major = d.y1major;
    g.intY2major = d.y2major;
    model.txtDegree = numberText(d.degree);
    model.txtPmax = numberText(d.pmax);
    model.chkKeepPlot = d.keepPlot;
    model.chkColor = d.color;
    model.chkGrid = d.grid;
    model.titlePlacement = kNoTitleOption;  // none selected: no title, and saved as such
    for (int i = 0; i < 3; ++i) {
        if (d.titleOptions[static_cast<std::size_t>(i)]) {
            model.titlePlacement = i;
        }
    }
    model.txtTitle = d.title;
    Form1Hooks::call(logic_.hooks.UpdateGraphFields);

    state_.intPins = d.pins;
    if (d.hasQuickTest) {
        state_.quickTest = d.quickTest;
    }
    auto load = [this](const std::vector<SetupPoint>& points, int first) {
        MeasMatrix& m = state_.dblMeasMatrix;
        for (std::size_t i = 0; i < points.size(); ++i) {
            const int row = first + static_cast<int>(i);
            m(row, MeasMatrix::Curve) = points[i].curve;
            for (int c = 1; c <= 6; ++c) {
                m(row, c) = points[i].values[static_cast<std::size_t>(c - 1)];
            }
        }
    };
    if (d.hasStored) {
        load(d.stored, MeasMatrix::kStored);
    }
    if (d.hasActual) {
        load(d.actual, MeasMatrix::kActual);
    }

    // The other values pass the checks of typed ones: each fault is corrected and reported.
    // Every correction ends inside its limit, so the passes come to an end.
    constexpr int kMostCorrections = 2 * kCheckedSettingCount;
    for (int pass = 0; pass < kMostCorrections; ++pass) {
        auto fault = logic_.setup.correctFirstMeasFault();
        if (!fault && logic_.hooks.CorrectGraphFault) {
            fault = logic_.hooks.CorrectGraphFault();
        }
        if (!fault) {
            break;
        }
        // With the x axis on "Track" the next redraw sets the x range from the sweep: the
        // range in the file is then the graph's own (a heater sweep on an external supply
        // tracks beyond the axis limit), and it is put right without a word.
        constexpr int kXTrack = 0;
        const bool xRangeOnly =
            std::all_of(fault->settings.begin(), fault->settings.end(), [](CheckedSetting c) {
                return c == CheckedSetting::Xmin || c == CheckedSetting::Xmax;
            });
        if (!(xRangeOnly && model.cboXScale == kXTrack)) {
            reportFault(*fault);
        }
    }
    logic_.setup.rememberHeaterConstant();
    logic_.setup.UpdateMeasFields();
    Form1Hooks::call(logic_.hooks.UpdateGraphFields);
    Form1Hooks::call(logic_.hooks.Refresh);
    Form1Hooks::call(logic_.hooks.DrawPicture);
    Form1Hooks::call(UpdateQuickTestFields);
}

}  // namespace ostrino
