#pragma once
// The pieces of the console's state that each part reads, taken from the one state that the
// main window owns. Every view holds references: it must not outlive the state.

#include "common/console_state.h"
#include "files/data_export.h"
#include "files/setup_file.h"
#include "link/instrument_link.h"
#include "plot/graph_sources.h"

namespace ostrino {

inline GraphSources graphSources(ConsoleState& s) {
    return GraphSources{s.graph,        s.dblMeasMatrix, s.meas,       s.dist,
                        s.modelOverlay, s.intMeasStat,   s.cboIaRange, s.cboIsRange,
                        s.blnLoaded,    s.blnCompliance, s.blnCursor};
}

inline ExportSources exportSources(const ConsoleState& s) {
    return ExportSources{s.dblMeasMatrix, s.meas.dblVar2Values, s.graph.intXcol};
}

inline LinkSources linkSources(ConsoleState& s) {
    return LinkSources{s.dblMeasMatrix, s.cal,         s.dblVsupply, s.dblVsupplyMeas,
                       s.blnCompliance, s.cboIaRange,  s.cboIsRange, s.cboAverage,
                       s.cboCompliance, s.chkExtVheat, s.dblVheatExt};
}

inline SetupSources setupSources(const ConsoleState& s) {
    return SetupSources{s.meas,          s.graph,       s.quickTest,  s.dblMeasMatrix,
                        s.intPins,       s.cboIaRange,  s.cboIsRange, s.cboAverage,
                        s.cboCompliance, s.chkExtVheat, s.dblVheatExt};
}

}  // namespace ostrino
