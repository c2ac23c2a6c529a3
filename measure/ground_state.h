#pragma once
// The ground state that every communication fault ends in: run state 0, heater progress
// 0, port closed. Nothing is sent to the instrument.
//
// What was measured stays: the stored curves are left alone, and the current sweep keeps
// the points measured before the fault (the first point not yet measured ends its data),
// so they remain on the graph and can be saved. Only the fitted curves are dropped.

#include "common/console_state.h"
#include "link/instrument_link.h"

namespace ostrino {

// The matrix part of the ground state (no port, no window).
void keepMeasuredPoints(MeasMatrix& m);

void GotoGroundState(ConsoleState& state, InstrumentLink& link);

}  // namespace ostrino
