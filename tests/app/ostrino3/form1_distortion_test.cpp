// The window "Distortion Analysis" with the main window offscreen, on the simulated
// instrument: an anode family of the simulated double triode measured and analysed.

#include <gtest/gtest.h>

#include <QApplication>
#include <QHideEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "common/numbers.h"
#include "distortion/frm_dist.h"
#include "tests/support/window_rig.h"

namespace ostrino {
namespace {

using Window = test::WindowRig;

frmDist* openDistortion(Window& w) {
    w.child<QPushButton>("cmdDistortion")->click();
    // The window class has no meta-object of its own, so it is told apart by its C++ type.
    for (QWidget* child : w.form.findChildren<QWidget*>()) {
        if (auto* d = dynamic_cast<frmDist*>(child); d != nullptr && d->isVisible()) {
            return d;
        }
    }
    return nullptr;
}

// Anode characteristics, one curve per grid voltage, measured on the simulated ECC82.
void measureAnodeFamily(Window& w) {
    Form1Logic& logic = w.form.logic();
    logic.model.cboMeasType = 2;  // "I (Va , Vg) with Vs, Vh constant"
    logic.setup.cboMeasType_Click();
    logic.model.txtMeasStart = "2";
    logic.model.txtMeasStop = "300";
    logic.model.txtMeasNintv = "30";  // steps of 9.93 V
    logic.model.txtVar2 = "-8 -6 -4 -2 0";
    logic.setup.ProcessVar2String();
    logic.setup.ProcessFields();
    w.form.refreshFromModel();
    auto* start = w.child<QPushButton>("cmdMeasStart");
    start->click();  // heater on
    start->click();  // the sweep
}

TEST(DistortionWindow, OpensOnlyOverAnAnodeVoltageAxis) {
    Window w;
    w.dialogs.messages.clear();
    EXPECT_EQ(openDistortion(w), nullptr);  // the grid sweep of the start
    EXPECT_EQ(w.dialogs.texts(), std::vector<std::string>{"The x-axis variable must be Va or Vs"});
    EXPECT_FALSE(w.app.state->dist.visible);
}

TEST(DistortionWindow, AnalysesTheMeasuredFamilyAndShowsTheLoadLineWhileOpen) {
    Window w;
    measureAnodeFamily(w);
    ASSERT_EQ(w.app.state->dblMeasMatrix(5 * 31 - 1, MeasMatrix::Curve), 5.0);
    w.dialogs.messages.clear();

    frmDist* dist = openDistortion(w);
    ASSERT_NE(dist, nullptr);
    EXPECT_TRUE(dist->isVisible());
    EXPECT_EQ(dist->windowTitle(), "Distortion Analysis");
    EXPECT_TRUE(w.app.state->dist.visible);
    EXPECT_EQ(w.child<QLabel>(dist, "lblGain")->text(), "- - -");

    // A 10 kohm load on 300 V, biased at -4 V with a 2 V signal.
    auto* rload = w.child<QLineEdit>(dist, "txtRload");
    rload->setText("10.0");
    Q_EMIT rload->returnPressed();
    EXPECT_EQ(w.app.state->dist.dblDistRload, 10);
    EXPECT_EQ(rload->text(), "10.0");  // a value within its limits stays as typed
    w.child<QLineEdit>(dist, "txtVsign")->setText("2");
    w.child<QPushButton>(dist, "cmdAnalyze")->click();
    ASSERT_TRUE(w.dialogs.messages.empty()) << w.dialogs.texts()[0];
    EXPECT_FALSE(w.app.state->dist.blnError);

    const auto shown = [&](const char* name) {
        return parseNumber(w.child<QLabel>(dist, name)->text().toStdString()).value_or(NAN);
    };
    const double ia = shown("lblIaDC");
    const double va = shown("lblVaDC");
    EXPECT_GT(ia, 1);
    EXPECT_NEAR(va, 300 - 10 * ia, 0.06);  // both shown to 2 decimals
    const double gain = shown("lblGain");
    EXPECT_GT(gain, 5);
    EXPECT_LT(gain, 17);  // below the valve's amplification factor
    EXPECT_GT(shown("lblFftDist_1"), shown("lblFftDist_3"));
    EXPECT_LT(w.app.state->dist.dblDistVaMin, va);
    EXPECT_GT(w.app.state->dist.dblDistVaMax, va);

    // Minimising: the window system sends a hide event while the window stays open.
    QHideEvent minimised;
    QApplication::sendEvent(dist, &minimised);
    EXPECT_TRUE(w.app.state->dist.visible);

    // Closing the window takes the load line off the graph; opening it again starts from
    // the defaults.
    dist->close();
    QApplication::processEvents();
    EXPECT_FALSE(w.app.state->dist.visible);
    frmDist* again = openDistortion(w);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(w.child<QLineEdit>(again, "txtRload")->text(), "1.5");
    EXPECT_EQ(w.child<QLabel>(again, "lblGain")->text(), "- - -");
}

}  // namespace
}  // namespace ostrino
