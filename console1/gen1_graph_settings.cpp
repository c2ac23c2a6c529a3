#include "console1/gen1_graph_settings.h"

#include <string>

#include "common/numbers.h"
#include "common/setting_checks.h"
#include "platform/entry_box.h"

namespace ostrino::gen1 {

namespace {

// One fault reported and corrected per check. A correction that still leaves the
// range empty (a maximum set back below the minimum) restores both ends, so the graph
// never has an empty axis.
void checkRange(double& lo, double& hi, double loDef, double hiDef, double loLimit, double hiLimit,
                const char* name, Dialogs& dialogs) {
    const std::string n = name;
    if (auto c = correctAxisRange(lo, hi, loDef, hiDef, loLimit, hiLimit, n + "min", n + "max")) {
        dialogs.message(c->message);
    }
    if (lo >= hi) {
        lo = loDef;
        hi = hiDef;
    }
}

void checkTicks(int& major, int& minor, Dialogs& dialogs) {
    if (auto c =
            correctTickCount(major, "Major ticks has to be >=1", "Minor ticks has to be =< 10")) {
        dialogs.message(c->message);
    }
    if (auto c =
            correctTickCount(minor, "Minor ticks has to be >=1", "Minor ticks has to be =<10")) {
        dialogs.message(c->message);
    }
}

}  // namespace

Gen1GraphSettings::Gen1GraphSettings(Gen1State& state, Dialogs& dialogs, Gen1Hooks& hooks)
    : state_(state), c_(state.controls), dialogs_(dialogs), hooks_(hooks) {}

void Gen1GraphSettings::installDefaults(int measType) {
    GraphSettings& g = state_.graph;
    const int type = measType;
    if (type <= 1) {
        g.strXname = "Control Grid (V)";
        g.dblXminDef = -10, g.dblXmaxDef = 0, g.dblXminLimit = -60, g.dblXmaxLimit = 0;
        g.intXmajorDef = 10, g.intXminorDef = 1, g.intYmajorDef = 6, g.intYminorDef = 1;
        g.intXcol = ResultMatrix::Vg, g.intStepCol = ResultMatrix::Va;
    } else if (type <= 3) {
        g.strXname = type == 2 ? "Anode Voltage (V)" : "Anode and Screen Grid (V)";
        g.dblXminDef = 0, g.dblXmaxDef = 200, g.dblXminLimit = 0, g.dblXmaxLimit = 400;
        g.intXmajorDef = 4, g.intXminorDef = 5, g.intYmajorDef = 4, g.intYminorDef = 4;
        g.intXcol = ResultMatrix::Va, g.intStepCol = ResultMatrix::Vg;
    } else {
        g.strXname = "Fillament (V)";
        g.dblXminDef = 0, g.dblXmaxDef = 7, g.dblXminLimit = 0, g.dblXmaxLimit = 20;
        g.intXmajorDef = 7, g.intXminorDef = 1, g.intYmajorDef = 5, g.intYminorDef = 5;
        g.intXcol = ResultMatrix::Vf, g.intStepCol = ResultMatrix::Vg;
    }
    g.dblYminDef = 0, g.dblYmaxDef = 10, g.dblYminLimit = 0, g.dblYmaxLimit = 200;
    g.dblXmin = g.dblXminDef, g.dblXmax = g.dblXmaxDef;
    g.intXmajor = g.intXmajorDef, g.intXminor = g.intXminorDef;
    g.dblYmin = g.dblYminDef, g.dblYmax = g.dblYmaxDef;
    g.intYmajor = g.intYmajorDef, g.intYminor = g.intYminorDef;
}
void Gen1GraphSettings::UpdateGraphFields() {
    const GraphSettings& g = state_.graph;
    c_.txtXmin = numberText(g.dblXmin);
    c_.txtXmax = numberText(g.dblXmax);
    c_.txtXmajor = std::to_string(g.intXmajor);
    c_.txtXminor = std::to_string(g.intXminor);
    c_.txtYmin = numberText(g.dblYmin);
    c_.txtYmax = numberText(g.dblYmax);
    c_.txtYmajor = std::to_string(g.intYmajor);
    c_.txtYminor = std::to_string(g.intYminor);
}
void Gen1GraphSettings::readGraphFields() {
    GraphSettings& g = state_.graph;
    if (auto v = readNumberBox(c_.txtXmin, "X min", dialogs_)) {
        g.dblXmin = *v;
    }
    if (auto v = readNumberBox(c_.txtXmax, "X max", dialogs_)) {
        g.dblXmax = *v;
    }
    if (auto v = readIntegerBox(c_.txtXmajor, "X major ticks", dialogs_)) {
        g.intXmajor = *v;
    }
    if (auto v = readIntegerBox(c_.txtXminor, "X minor ticks", dialogs_)) {
        g.intXminor = *v;
    }
    if (auto v = readNumberBox(c_.txtYmin, "Y min", dialogs_)) {
        g.dblYmin = *v;
    }
    if (auto v = readNumberBox(c_.txtYmax, "Y max", dialogs_)) {
        g.dblYmax = *v;
    }
    if (auto v = readIntegerBox(c_.txtYmajor, "Y major ticks", dialogs_)) {
        g.intYmajor = *v;
    }
    if (auto v = readIntegerBox(c_.txtYminor, "Y minor ticks", dialogs_)) {
        g.intYminor = *v;
    }
}
void Gen1GraphSettings::graphField_Commit(GraphBox box) {
    readGraphFields();
    switch (box) {
        case GraphBox::Xrange:
            checkXminmax();
            break;
        case GraphBox::Xticks:
            checkXticks();
            break;
        case GraphBox::Yrange:
            checkYminmax();
            break;
        case GraphBox::Yticks:
            checkYticks();
            break;
    }
    UpdateGraphFields();
    Gen1Hooks::call(hooks_.Refresh);
    Gen1Hooks::call(hooks_.DrawPicture);
}

void Gen1GraphSettings::checkXminmax() {
    GraphSettings& g = state_.graph;
    checkRange(g.dblXmin, g.dblXmax, g.dblXminDef, g.dblXmaxDef, g.dblXminLimit, g.dblXmaxLimit,
               "X", dialogs_);
    UpdateGraphFields();
}

void Gen1GraphSettings::checkYminmax() {
    GraphSettings& g = state_.graph;
    checkRange(g.dblYmin, g.dblYmax, g.dblYminDef, g.dblYmaxDef, g.dblYminLimit, g.dblYmaxLimit,
               "Y", dialogs_);
    UpdateGraphFields();
}

void Gen1GraphSettings::checkXticks() {
    checkTicks(state_.graph.intXmajor, state_.graph.intXminor, dialogs_);
    UpdateGraphFields();
}

void Gen1GraphSettings::checkYticks() {
    checkTicks(state_.graph.intYmajor, state_.graph.intYminor, dialogs_);
    UpdateGraphFields();
}

void Gen1GraphSettings::cmdPreset_Click(int n) {
    GraphSettings& g = state_.graph;
    switch (n) {
        case 1:
            g.dblXmin = 0, g.dblXmax = 400, g.intXmajor = 4, g.intXminor = 4;
            g.dblYmin = 0, g.dblYmax = 200, g.intYmajor = 4, g.intYminor = 4;
            break;
        case 2:
            g.dblXmin = 0, g.dblXmax = 200, g.intXmajor = 4, g.intXminor = 4;
            g.dblYmin = 0, g.dblYmax = 10, g.intYmajor = 5, g.intYminor = 2;
            break;
        case 3:
            g.dblXmin = 0, g.dblXmax = 200, g.intXmajor = 4, g.intXminor = 4;
            g.dblYmin = 0, g.dblYmax = 1, g.intYmajor = 5, g.intYminor = 2;
            break;
        default:
            return;  // "-60 V / 200 mA", "-20 V / 10 mA", "-10 V / 1 mA" do nothing
    }
    checkXticks();
    checkYticks();
    checkXminmax();
    checkYminmax();
    UpdateGraphFields();
    Gen1Hooks::call(hooks_.Refresh);
    Gen1Hooks::call(hooks_.DrawPicture);
}

}  // namespace ostrino::gen1
