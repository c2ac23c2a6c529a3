#pragma once
// The data file (*.osd) of the first-generation console: the measurement-matrix layout
// that the third-generation console writes too, so the same tools read both.

#include <string>

#include "common/print_writer.h"
#include "console1/gen1_state.h"

namespace ostrino::gen1 {

// One point line: point and curve as plain digits, then Ia, Is, Vg, Va, Vs and Vf of the
// row rounded to 2 decimals, at the tab stops 1, 10, 20, 35, 50, 65, 80 and 95.
void PrintLineInFile(PrintWriter& out, int point, int curve, const ResultMatrix& m, int row);

// The header and one line per measured point (CR LF line ends). Curves are numbered in
// file order and the point count restarts with each curve; points not measured (an
// aborted run) are not written.
std::string dataFileText(const ResultMatrix& m);

}  // namespace ostrino::gen1
