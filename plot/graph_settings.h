#pragma once
// What the graph shows: the y variables, the axis ranges and their checks, and the range
// resolution that runs at the start of every redraw.

#include <optional>
#include <string>

#include "common/limit_fault.h"
#include "platform/dialogs.h"
#include "plot/graph_pane_model.h"
#include "plot/graph_sources.h"

namespace ostrino {

// Block, column, unit and axis name of a y variable (cboY1Var / cboY2Var index).
struct YVariable {
    int blockRow;  // -1 for "none"
    int column;
    const char* unit;
    const char* axisName;
    const char* listItem;  // the item text of cboY1Var / cboY2Var
};
inline constexpr int kYVariableCount = 8;
// Indexes 0 to kYVariableCount - 1; any other index is treated as "none".
const YVariable& yVariable(int index);

class GraphSettingsLogic {
  public:
    GraphSettingsLogic(const GraphSources& sources, GraphPaneModel& model, Dialogs& dialogs);

    const GraphSources& sources() const { return in_; }

    GraphPaneModel& model() { return model_; }

    // The nine range values into their text boxes.
    void UpdateGraphFields();
    // The nine range boxes into the settings. A box that is not a number (or a division count
    // beyond the Integer range) keeps its value, with a message naming the box.
    void ReadGraphFields();
    // The sixteen checks in order; the first failure is reported and corrected.
    void CheckGraphFields();
    // The same checks without the message: the first failure, corrected.
    std::optional<LimitFault> correctFirstGraphFault();
    // The first phase of every redraw: y variables and units, the fit, x, Y1, Y2, boxes.
    // A degree that cannot be fitted is reported once per entry; the fit block is then empty.
    void resolveRanges();

    static int GetXmajor(double dblXmin, double dblXmax);
    static void GetYscale(const MeasMatrix& m, int intRow, int intYcol, double& dblYmax,
                          int& intYmajor);

  private:
    void fitCurves();

    GraphSources in_;
    GraphPaneModel& model_;
    Dialogs& dialogs_;
    std::optional<std::string> reportedDegreeText_;  // the bad degree reported last
};

}  // namespace ostrino
