#pragma once
// The graph of the first-generation console: one y axis (current), the anode and screen
// currents of the run against the swept voltage, and the stored curves when recalled.
// Plot coordinates: x -200..1300, y -200..1200, plot area 0..1000.

#include "console1/gen1_state.h"
#include "platform/canvas.h"

namespace ostrino::gen1 {

class Gen1Plotter {
  public:
    static constexpr int kColourCount = 10;

    Gen1Plotter(const Gen1State& state, Canvas& canvas);

    void DrawPicture();

    // Value to plot coordinate 0..1000, clamped to the frame, ties to even.
    static int intScale(double dblVal, double dblMin, double dblMax);
    // Colour of curve n (from 1); the table of 10 repeats for an eleventh curve.
    static Rgb curveColour(int n);

    // The x, Ia and Is of a row of the result matrix, and of the stored matrix (S).
    int intXscale(int row) const;
    int intIascale(int row) const;
    int intIsscale(int row) const;
    int intXscaleS(int row) const;
    int intIascaleS(int row) const;
    int intIsscaleS(int row) const;

  private:
    void Logo();
    void Key();
    void Frame();
    void Grid();
    void Xaxis();
    void Yaxis();
    void Legend();
    // Every measured curve of the matrix, the column's current against x.
    void curves(const ResultMatrix& m, int column, LineStyle style, int marker);
    // The mark of a point whose current read as the converter's full scale, and its key.
    void fullScaleMark(double x, double y);
    void FullScaleKey();

    const Gen1State& state_;
    Canvas& canvas_;
    bool fullScaleShown_ = false;  // some point of this drawing carries the full-scale mark
};

}  // namespace ostrino::gen1
