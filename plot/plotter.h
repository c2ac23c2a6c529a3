#pragma once
// DrawPicture: the whole graph on the drawing surface, in plot coordinates (x -200..1300,
// y -200..1200, plot area 0..1000), with curves, overlays and the cursor read-out.

#include <functional>
#include <string>

#include "common/sweep_captions.h"
#include "platform/canvas.h"
#include "plot/graph_pane_model.h"
#include "plot/graph_settings.h"

namespace ostrino {

class Plotter {
  public:
    static constexpr int kColourCount = 20;

    // The legend names the sweep with captions; the graph pane and what it draws are those of
    // graph.
    Plotter(const SweepCaptions& captions, GraphSettingsLogic& graph, Canvas& canvas);

    // The main window's field commit (ProcessFields, which redraws); a press on the graph
    // runs it. May be empty.
    std::function<void()> ProcessFields;

    void DrawPicture();
    // A press on the graph at plot coordinates: remembers the place, commits the fields,
    // shows the cursor read-out when the press lies on the plot area (else removes it) and
    // redraws.
    void mousePress(double x, double y);

    // Value to plot coordinate 0..1000, clamped to the frame, ties to even.
    static int intScale(double dblVal, double dblMin, double dblMax);
    // Colour of curve n (from 1); the table of 20 repeats for later curves.
    static Rgb curveColour(int n);

    // Every curve of the block from intRow; nothing when intGo < 1.
    void drawcurve(int intRow, int intXcol, int intYcol, double dblXmin, double dblXmax,
                   double dblYmin, double dblYmax, int intMarker, int intline, int intGo);
    // One marker (0 none, 1 open circle, 2 filled circle, 3 rectangle, 4 cross). The colour
    // becomes black when the graph is drawn without colour.
    void MyMarker(int intX, int intY, int intMarker, Rgb& lngColor);
    // One line (style 0 none, 1 solid, 2 dotted, 3 dashed, 4 dash-dot); colour as MyMarker.
    void DrawSegment(int x1, int y1, int x2, int y2, int style, Rgb& colour);

  private:
    void Logo();
    void ShowCompliance();
    void DrawTitle();
    void DrawFrame();
    void DrawGrid();
    void Xaxis(const std::string& strXname, double dblXmin, double dblXmax, int intXmajor);
    void Yaxis(const std::string& strYname, double dblYmin, double dblYmax, int intYmajor,
               bool left, int intGo);
    void DrawLegend();
    void PlotPmax(double dblXmin, double dblXmax, double dblYmin, double dblYmax);
    void PlotRload2(double dblXmin, double dblXmax, double dblYmin, double dblYmax);
    // The valve-model window's curves for the y column shown, in the measured curves'
    // colours; true when anything was drawn.
    bool PlotModel(int intXcol, int intYcol, double dblXmin, double dblXmax, double dblYmin,
                   double dblYmax, int measuredLine);
    void ShowCursor(int y1Row, int y1Col, int y2Row, int y2Col);

    // The colour itself with colour on, black without.
    Rgb inColour(Rgb colour) const;
    void setFontSize(double pointSize, bool bold = false);

    const GraphSources& in_;
    const SweepCaptions& captions_;
    GraphPaneModel& model_;
    GraphSettingsLogic& graph_;
    Canvas& canvas_;
};

}  // namespace ostrino
