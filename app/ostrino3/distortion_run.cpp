#include "app/ostrino3/distortion_run.h"

#include <cstdio>

#include "app/ostrino3/headless_console.h"
#include "measure/form1_setup.h"
#include "platform/qt/qt_clock.h"
#include "plot/graph_settings.h"

namespace ostrino {

namespace {

// Passes every message on and counts them: a box that was refused or corrected has said so.
class CountingDialogs : public Dialogs {
  public:
    explicit CountingDialogs(Dialogs& inner) : inner_(inner) {}
    void message(const std::string& text, MessageIcon icon) override {
        ++count;
        inner_.message(text, icon);
    }
    bool askYesNo(const std::string& text) override { return inner_.askYesNo(text); }
    std::string chooseFile(const FileDialogRequest& request) override {
        return inner_.chooseFile(request);
    }
    int count = 0;

  private:
    Dialogs& inner_;
};

// "caption: value unit", without the blanks a cleared label carries.
std::string line(const std::string& caption, const std::string& value, const std::string& unit) {
    std::string l = caption + ": " + value;
    if (!unit.empty()) {
        l += " " + unit;
    }
    while (!l.empty() && l.back() == ' ') {
        l.pop_back();
    }
    return l;
}

}  // namespace

std::vector<std::string> distortionResultLines(const DistModel& m) {
    std::vector<std::string> lines = {
        line("Ia", m.lblIaDC, "mA"),
        line("Va", m.lblVaDC, "V"),
        line("P tube", m.lblPtubeDC, m.lblPtubeDCUnit),
        line("P supply", m.lblPsupplyDC, m.lblPsupplyDCUnit),
        line("Va (average)", m.lblVaAV, "V"),
        line("Ia (average)", m.lblIaAV, "mA"),
        line("Gain", m.lblGain, ""),
    };
    const char* const rows[] = {"1st (fund)", "2nd", "3rd", "4th", "5th"};
    for (std::size_t k = 0; k < DistModel::kHarmonics; ++k) {
        const std::string row = rows[k];
        lines.push_back(line(row + " Ampl (V)", m.lblFftAmpl[k], ""));
        lines.push_back(line(row + " Pwr (mW)", m.lblFftPwr[k], ""));
        if (k > 0) {
            lines.push_back(line(row + " Distortion (%)", m.lblFftDist[k], ""));
            lines.push_back(line(row + " Level (dBc)", m.lblFftdB[k], ""));
        }
    }
    lines.push_back(line("total Pwr", m.lblFftPwrTotal, m.lblFftPwrTotalUnit));
    lines.push_back(line("total Distortion (%)", m.lblFftDistTotal, ""));
    return lines;
}

std::optional<std::vector<std::string>> analyzeDistortion(
    ConsoleState& state, Form1Logic& logic, Dialogs& dialogs,
    const std::array<std::string, 4>& settings, const std::function<void()>& drawPicture) {
    if (!logic.cmdDistortion_Click()) {
        return std::nullopt;
    }
    CountingDialogs counted(dialogs);
    DistAnalysis analysis(state.dblMeasMatrix, state.dist, counted, {drawPicture, {}, {}});
    analysis.Form_Load();
    state.dist.visible = true;
    DistModel& m = analysis.model;
    m.txtVsupply = settings[0];
    m.txtRload = settings[1];
    m.txtVgrid = settings[2];
    m.txtVsign = settings[3];
    // In the window a refused or corrected box is seen before "Analyze" is pressed; here
    // the command ends with the message instead of analysing other values than were asked.
    analysis.ReadFields();
    if (counted.count > 0) {
        return std::nullopt;
    }
    analysis.cmdAnalyze_Click();
    if (analysis.blnError()) {
        return std::nullopt;
    }
    return distortionResultLines(m);
}

int runDistortion(const CommandLine& cl) {
    HeadlessConsole console(cl);
    ConsoleState& state = console.state;
    HeadlessDialogs& dialogs = console.dialogs;
    Form1Logic& logic = console.logic;
    SetupFile& setup = console.setup;

    const auto settings = splitDistortionSettings(cl.distortion);
    logic.Form_Load();
    if (!settings || !setup.openFrom(cl.distortionSetup)) {
        return 2;
    }
    return printResultLines(analyzeDistortion(state, logic, dialogs, *settings, {}));
}

}  // namespace ostrino
