#pragma once
// Everything the first-generation console keeps while it runs: the sweep settings with
// their defaults and limits, the graph settings, the result and stored matrices, the run
// state and the state of the window's controls. One object, owned by the program and
// shared by reference.

#include <array>
#include <cstddef>
#include <string>

namespace ostrino::gen1 {

// Rows 0..200; points fill rows 0..199 and the row after the last holds curve number 0.
struct ResultMatrix {
    static constexpr int kRows = 201;
    static constexpr int kMaxPoints = 200;
    static constexpr int kCols = 7;
    enum Column { Curve = 0, Ia = 1, Is = 2, Vf = 3, Vg = 4, Vs = 5, Va = 6 };

    std::array<std::array<double, kCols>, kRows> cells{};
    // The currents of a row that read as the converter's full scale: bounds, not
    // measurements. Kept beside the cells, so that the data file stays as it is.
    static constexpr unsigned kIaFullScale = 1;
    static constexpr unsigned kIsFullScale = 2;
    std::array<unsigned char, kRows> fullScale{};

    double& operator()(int row, int col) {
        return cells.at(static_cast<std::size_t>(row)).at(static_cast<std::size_t>(col));
    }
    double operator()(int row, int col) const {
        return cells.at(static_cast<std::size_t>(row)).at(static_cast<std::size_t>(col));
    }
    // Cells beyond the matrix read as 0, which ends the data.
    double at(int row, int col) const {
        if (row < 0 || row >= kRows || col < 0 || col >= kCols) {
            return 0.0;
        }
        return (*this)(row, col);
    }
    // Whether the current in column Ia or Is of a row read as full scale.
    bool atFullScale(int row, int col) const {
        if (row < 0 || row >= kRows) {
            return false;
        }
        const unsigned bit = col == Ia ? kIaFullScale : col == Is ? kIsFullScale : 0u;
        return (fullScale[static_cast<std::size_t>(row)] & bit) != 0;
    }
    void clear() {
        for (auto& row : cells) {
            row.fill(0.0);
        }
        fullScale.fill(0);
    }
};

// Measurement state.
enum MeasState { kHeaterOff = 0, kHeaterOn = 1, kMeasuring = 2 };

inline constexpr int kMaxCurves = 11;
inline constexpr int kMeasTypes = 5;

struct MeasSettings {
    int intMeasType = 0;
    double dblVar1Start = -10.0;
    double dblVar1Stop = 0.0;
    int intVar1Nintv = 10;
    std::array<double, kMaxCurves> dblVar2Values{200.0};
    int intVar2Count = 1;
    double dblConst1 = 200.0;
    double dblConst2 = 6.3;
    double dblDelay = 0.0;  // whole seconds

    double dblVar1StartDef = -10.0, dblVar1StartMin = -60.0;
    double dblVar1StopDef = 0.0, dblVar1StopMax = 0.0;
    int intVar1NintvDef = 10, intVar1NintvMax = 50;
    double dblVar2Def = 200.0, dblVar2Min = 20.0, dblVar2Max = 400.0;
    double dblConst1Def = 200.0, dblConst1Min = 20.0, dblConst1Max = 400.0;
    double dblConst2Def = 6.3, dblConst2Min = 0.0, dblConst2Max = 19.0;
    double dblDelayDef = 0.0, dblDelayMin = 0.0, dblDelayMax = 60.0;
    bool const2Used = true;
};

struct GraphSettings {
    double dblXmin = -10.0, dblXmax = 0.0;
    int intXmajor = 10, intXminor = 1;
    double dblXminDef = -10.0, dblXmaxDef = 0.0;
    int intXmajorDef = 10, intXminorDef = 1;
    double dblXminLimit = -60.0, dblXmaxLimit = 0.0;

    double dblYmin = 0.0, dblYmax = 10.0;
    int intYmajor = 6, intYminor = 1;
    double dblYminDef = 0.0, dblYmaxDef = 10.0;
    int intYmajorDef = 6, intYminorDef = 1;
    double dblYminLimit = 0.0, dblYmaxLimit = 200.0;

    int intXcol = ResultMatrix::Vg;     // column of the x variable
    int intStepCol = ResultMatrix::Va;  // column of the stepping variable
    std::string strXname = "Control Grid (V)";
    std::string strYname = "Current (mA)";
};

// What the "Communication" frame shows.
struct ComLabels {
    std::string lblStringSend;
    std::string lblStringEcho;
    std::string lblStat;
    std::array<std::string, 8> lblStr{"---", "---", "---", "---", "---", "---", "---", "---"};
    std::array<std::string, 8> lblInt{"---", "---", "---", "---", "---", "---", "---", "---"};
    std::array<std::string, 8> lblVal{"---", "---", "---", "---", "---", "---", "---", "---"};
    // Which currents of the last result read as full scale ("Ia at full scale"), or empty.
    std::string lblFullScale;
};

// The controls' contents as the logic reads and writes them.
struct Controls {
    int cboMeasType = 0;
    int cboComNumber = 0;  // "COM1"
    std::string lblNameVar1, lblNameVar2, lblNameConst1, lblNameConst2;
    bool const2Visible = true;
    std::string txtMeasStart, txtMeasStop, txtMeasNintv, txtVar2, txtConst1, txtConst2, txtDelay;
    bool chkMeasLog = false;
    bool chkIa20mA = false;
    bool chkIs5mA = false;

    std::string txtXmin, txtXmax, txtXmajor, txtXminor;
    std::string txtYmin, txtYmax, txtYmajor, txtYminor;
    bool chkIa = true;
    bool chkIs = true;
    bool chkMarker = true;
    bool chkGrid = true;

    std::string cmdMeasStartCaption = "Turn on Filament";
    bool cmdMeasStartEnabled = true;
    bool lblMeasuringVisible = false;
    bool showStored = false;
    std::string cmdRecallCaption = "Recall";

    bool chkDebug = false;
    ComLabels com;
};

struct Gen1State {
    int intMeasStat = kHeaterOff;
    MeasSettings meas;
    GraphSettings graph;
    ResultMatrix result;
    ResultMatrix stored;
    Controls controls;
};

}  // namespace ostrino::gen1
