// How long one full redraw takes at the window's default graph size with a full sweep on
// both axes, and what one point costs on the link side (command composed, result decoded).

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <cmath>

#include "link/instrument_link.h"
#include "measure/console_views.h"
#include "platform/qt/qt_canvas.h"
#include "plot/plotter.h"
#include "sim/instrument.h"
#include "sim/sim_serial_port.h"

namespace ostrino {
namespace {

// The graph's size in the main window as it opens (1180 x 760).
constexpr int kGraphWidth = 636;
constexpr int kGraphHeight = 561;

// Nothing is shown or asked while benchmarking.
class SilentDialogs : public Dialogs {
  public:
    void message(const std::string&, MessageIcon) override {}
    bool askYesNo(const std::string&) override { return true; }
    std::string chooseFile(const FileDialogRequest&) override { return {}; }
};

// A clock that never waits.
class StillClock : public Clock {
  public:
    double now() override { return 0.0; }
    void sleep(double) override {}
    void pumpEvents() override {}
};

// Ten curves of 100 points each (or fewer points in all): a triode family of Ia and Is
// against Va.
void fillSweep(ConsoleState& state, int points) {
    MeasMatrix& m = state.dblMeasMatrix;
    for (int block : {MeasMatrix::kStored, MeasMatrix::kFit}) {
        m.markEmpty(block);
    }
    int row = 0;
    for (int curve = 1; curve <= 10; ++curve) {
        const double vg = -2.0 * (curve - 1);
        state.meas.dblVar2Values[static_cast<std::size_t>(curve - 1)] = vg;
        for (int k = 0; k < 100 && row < points; ++k, ++row) {
            const double va = 2.0 * k + 2.0;
            const double drive = std::max(0.0, va / 17.0 + vg);
            m(row, MeasMatrix::Curve) = curve;
            m(row, MeasMatrix::Va) = va;
            m(row, MeasMatrix::Ia) = 0.8 * std::pow(drive, 1.5);
            m(row, MeasMatrix::Is) = 0.1 * std::pow(drive, 1.5);
        }
    }
    if (row < MeasMatrix::kStored) {
        m(row, MeasMatrix::Curve) = 0;
    }
    // Otherwise row 1000 (the stored block's first row) ends the measured block.
}

void BM_DrawPicture(benchmark::State& bench) {
    ConsoleState state;
    // The two parts of the main window's model that the graph reads.
    struct : SweepCaptions, GraphPaneModel {
    } model;
    SilentDialogs dialogs;
    GraphSettingsLogic graph(graphSources(state), model, dialogs);
    QtCanvas canvas(QSize(kGraphWidth, kGraphHeight));
    Plotter plotter(model, graph, canvas);

    state.blnLoaded = true;
    state.meas.intMeasType = 2;
    state.meas.dblVar1Start = 2;
    state.meas.dblVar1Stop = 200;
    state.graph.intXcol = MeasMatrix::Va;
    state.graph.strXname = "Anode Voltage (V)";
    model.cboY1Var = 1;  // Ia, circles and solid lines
    model.cboY2Var = 2;  // Is, crosses and dotted lines
    model.titlePlacement = 1;
    model.txtPmax = "1";
    state.blnCursor = true;
    model.intCursorX = model.intCursorY = 500;
    fillSweep(state, static_cast<int>(bench.range(1)));
    if (bench.range(0) == 0) {  // lines only, to tell the markers' share
        model.cboY1Marker = model.cboY2Marker = 0;
    }

    for (auto _ : bench) {
        plotter.DrawPicture();
        benchmark::DoNotOptimize(canvas.image().constBits());
    }
}
BENCHMARK(BM_DrawPicture)
    ->ArgNames({"markers", "points"})
    ->Args({1, 1000})
    ->Args({0, 1000})
    ->Args({1, 0})
    ->Unit(benchmark::kMillisecond);

void BM_ComposeAndDecodePoint(benchmark::State& bench) {
    ConsoleState state;
    FrmComModel com;
    SilentDialogs dialogs;
    StillClock clock;
    sim::SimOptions options;
    sim::SimSerialPort port(options, clock);
    InstrumentLink link(linkSources(state), com, port, clock, dialogs);
    MeasMatrix& m = state.dblMeasMatrix;
    m(0, MeasMatrix::Curve) = 1;
    m(0, MeasMatrix::Va) = 200;
    m(0, MeasMatrix::Vs) = 200;
    m(0, MeasMatrix::Vg) = -4;
    m(0, MeasMatrix::Vh) = 6.3;

    // The instrument's answer to that point.
    sim::Instrument instrument(options);
    for (char c : link.ComposeMeasString(0, "20")) {
        instrument.receive(c, 0.0);
    }
    const std::string result = instrument.result();

    for (auto _ : bench) {
        benchmark::DoNotOptimize(link.ComposeMeasString(0, "10"));
        benchmark::DoNotOptimize(link.DeComposeString(0, result).ok());
        benchmark::DoNotOptimize(m(0, MeasMatrix::Ia));
    }
}
BENCHMARK(BM_ComposeAndDecodePoint);

}  // namespace
}  // namespace ostrino

int main(int argc, char** argv) {
    // Fonts need a GUI application; no screen is needed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
