// A sweep on the simulated instrument drawn point by point on the Qt surface and saved.

#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>

#include "measure/console_views.h"
#include "measure/meas_run.h"
#include "measure/meas_setup.h"
#include "platform/qt/qt_canvas.h"
#include "plot/plotter.h"
#include "sim/sim_serial_port.h"
#include "tests/support/fake_clock.h"
#include "tests/support/recording_beeper.h"
#include "tests/support/scoped_work_dir.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/sweep_rig.h"

namespace ostrino {
namespace {

// The sweep rig drawing on a real Qt surface after every point.
struct Rig : test::SweepRig {
    Rig() {
        hooks.DrawPicture = [this] {
            ++draws;
            plotter.DrawPicture();
        };
        state.blnLoaded = true;
    }
    GraphSettingsLogic graph{graphSources(state), model, dialogs};
    QtCanvas canvas{QSize(750, 700)};
    Plotter plotter{model, graph, canvas};
};

TEST(PlotSmoke, SweepDrawnAndSavedAsBitmap) {
    test::ScopedWorkDir dir;
    Rig r;
    r.model.cboMeasType = 2;  // Ia(Va) with the grid stepped
    r.setup.cboMeasType_Click();
    r.state.meas.dblVar2Values = {0, -2, -4};
    r.state.meas.intVar2Count = 3;
    r.model.cboY2Var = 2;  // Is on the right
    r.state.dblVsupply = 19.0;
    r.state.intMeasStat = kHeating;
    r.run.DoHeater();
    r.run.cmdMeasStart_Click();
    ASSERT_TRUE(r.dialogs.messages.empty()) << r.dialogs.messages[0].text;
    EXPECT_GE(r.draws, 3 * 31);  // at least once per point, on the Qt surface

    std::string error;
    ASSERT_TRUE(r.canvas.saveBitmap("sweep.bmp", error)) << error;
    ASSERT_TRUE(std::filesystem::exists("sweep.bmp"));
    const QImage saved("sweep.bmp", "BMP");
    ASSERT_EQ(saved.size(), QSize(750, 700));
    // Curves 2 and 3 (red, green) inside the plot area, the logo in blue above it.
    int red = 0, blue = 0;
    for (int y = 0; y < saved.height(); ++y) {
        for (int x = 0; x < saved.width(); ++x) {
            const QRgb p = saved.pixel(x, y);
            red += (qRed(p) > 200 && qGreen(p) < 80 && qBlue(p) < 80 && y < 600 && x > 100) ? 1 : 0;
            blue += (qBlue(p) > 200 && qRed(p) < 80 && qGreen(p) < 80 && y < 50) ? 1 : 0;
        }
    }
    EXPECT_GT(red, 100);
    EXPECT_GT(blue, 20);
}

}  // namespace
}  // namespace ostrino
