#include "measure/form1_logic.h"

#include <gtest/gtest.h>

#include "files/calibration_file.h"
#include "measure/console_views.h"
#include "plot/graph_settings.h"
#include "plot/plotter.h"
#include "sim/sim_serial_port.h"
#include "tests/support/console_rig.h"
#include "tests/support/fake_clock.h"
#include "tests/support/recording_beeper.h"
#include "tests/support/recording_canvas.h"
#include "tests/support/scoped_work_dir.h"
#include "tests/support/scripted_dialogs.h"

namespace ostrino {
namespace {

using Console = test::ConsoleRig;

TEST(Form1Start, DefaultsWithoutACalibrationFile) {
    test::ScopedWorkDir dir;
    test::FakeClock clock;
    test::ScriptedDialogs dialogs;
    test::RecordingBeeper beeper;
    ConsoleState state;
    state.dblVsupply = 12.0;
    FrmComModel com;
    com.cboComNumber = 4;
    sim::SimSerialPort port(sim::SimOptions{}, clock);
    InstrumentLink link(linkSources(state), com, port, clock, dialogs);
    Form1Logic logic(state, com, link, clock, dialogs, beeper);
    int draws = 0;
    logic.hooks.DrawPicture = [&] { draws += state.blnLoaded ? 1 : 0; };
    logic.Form_Load();

    EXPECT_EQ(dialogs.texts(), std::vector<std::string>{"A new calibration file has been created"});
    EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::None);
    EXPECT_EQ(state.meas.intMeasType, 0);
    EXPECT_EQ(logic.model.cboMeasType, 0);
    EXPECT_EQ(state.cboIaRange, 8);
    EXPECT_EQ(state.cboIsRange, 8);
    EXPECT_EQ(state.cboAverage, 6);
    EXPECT_EQ(state.cboCompliance, 0);
    EXPECT_EQ(com.cboComNumber, 0);
    EXPECT_DOUBLE_EQ(state.dblVsupply, 19.0);
    EXPECT_EQ(state.intMeasStat, kGround);
    EXPECT_FALSE(port.isOpen());
    EXPECT_TRUE(port.wire().empty());  // nothing is sent at start-up
    EXPECT_TRUE(state.blnLoaded);
    EXPECT_GE(draws, 1);
    EXPECT_EQ(state.dblMeasMatrix(1000, MeasMatrix::Curve), -1.0);
    EXPECT_EQ(logic.model.cmdMeasStartCaption, "Heater on !");
}

TEST(Form1Start, VersionFromTheCalibrationFileSetsTheLimits) {
    test::ScopedWorkDir dir;
    {
        CalibrationRecord cal;
        cal.intVersion = 2;
        cal.intCOMport = 3;
        std::string error;
        ASSERT_TRUE(SaveCalFile(cal, "Ostrino_3p11.cal", error)) << error;
    }
    test::FakeClock clock;
    test::ScriptedDialogs dialogs;
    test::RecordingBeeper beeper;
    ConsoleState state;
    FrmComModel com;
    sim::SimSerialPort port(sim::SimOptions{}, clock);
    InstrumentLink link(linkSources(state), com, port, clock, dialogs);
    Form1Logic logic(state, com, link, clock, dialogs, beeper);
    logic.Form_Load();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(com.cboComNumber, 2);
    EXPECT_DOUBLE_EQ(state.meas.dblVar2Max, 400.0);
}

TEST(ExtHeater, AnsweringNoLeavesTheBoxUntickedAndAsksOnce) {
    Console c;
    c.dialogs.answers = {false};
    c.logic.chkExtVheat_Click(true);
    EXPECT_FALSE(c.state.chkExtVheat);
    EXPECT_FALSE(c.logic.model.txtVheatVisible);
    EXPECT_EQ(c.dialogs.questions.size(), 1u);
    // The next real click is a click again, not swallowed.
    c.dialogs.answers = {false};
    c.logic.chkExtVheat_Click(true);
    EXPECT_EQ(c.dialogs.questions.size(), 2u);
}

TEST(ExtHeater, RefusedWhileTheHeaterIsOn) {
    Console c;
    c.state.intMeasStat = kHeaterOn;
    c.logic.chkExtVheat_Click(true);
    EXPECT_EQ(c.dialogs.texts(), std::vector<std::string>{"switch of heater first!"});
    EXPECT_TRUE(c.dialogs.questions.empty());
    EXPECT_FALSE(c.state.chkExtVheat);
}

TEST(ExtHeater, YesShowsTheSupplyAndLimitsTheHeaterConstant) {
    Console c;
    c.logic.chkExtVheat_Click(true);
    ASSERT_EQ(c.dialogs.questions.size(), 1u);
    EXPECT_EQ(c.dialogs.questions[0],
              "Changing the heater supply source will force a restart of the GUI. Do you want to "
              "continue?");
    EXPECT_TRUE(c.state.chkExtVheat);
    EXPECT_TRUE(c.logic.model.txtVheatVisible);
    EXPECT_EQ(c.logic.model.txtVheat, "19.5");
    EXPECT_DOUBLE_EQ(c.state.meas.dblConst2Max, 19.5);

    // A new supply voltage: asked, checked and installed.
    c.logic.model.txtVheat = "12";
    c.logic.ProcessVheat();
    EXPECT_EQ(c.dialogs.questions.size(), 2u);
    EXPECT_DOUBLE_EQ(c.state.dblVheatExt, 12.0);
    EXPECT_DOUBLE_EQ(c.state.meas.dblConst2Max, 12.0);
    // Answered No: the box shows the supply in use again.
    c.dialogs.answers = {false};
    c.logic.model.txtVheat = "30";
    c.logic.ProcessVheat();
    EXPECT_EQ(c.logic.model.txtVheat, "12");
    EXPECT_DOUBLE_EQ(c.state.dblVheatExt, 12.0);
}

TEST(CurveOutput, ClearKeepsTheStoredCurvesAndDistortionNeedsAnAnodeAxis) {
    Console c;
    auto& m = c.state.dblMeasMatrix;
    m(0, MeasMatrix::Curve) = 1.0;
    m(1000, MeasMatrix::Curve) = 1.0;
    c.logic.cmdClear_Click();
    EXPECT_EQ(m(0, MeasMatrix::Curve), -1.0);
    EXPECT_EQ(m(1000, MeasMatrix::Curve), 1.0);

    EXPECT_FALSE(c.logic.cmdDistortion_Click());  // type 0: grid voltage on x
    EXPECT_EQ(c.dialogs.texts(), std::vector<std::string>{"The x-axis variable must be Va or Vs"});
    c.logic.model.cboMeasType = 2;
    c.logic.setup.cboMeasType_Click();
    EXPECT_TRUE(c.logic.cmdDistortion_Click());
}

// "Clear" empties the plot of the sweep: its fitted curves, their derivatives, the cursor's
// reading of them and the compliance notice go with it.
TEST(CurveOutput, ClearTakesTheFitsAndTheirReadOutAlong) {
    Console c;
    GraphSettingsLogic graph{graphSources(c.state), c.logic.model, c.dialogs};
    test::RecordingCanvas canvas;
    Plotter plotter{c.logic.model, graph, canvas};
    c.logic.hooks.DrawPicture = [&] { plotter.DrawPicture(); };
    c.logic.run.cmdMeasStart_Click();  // heater on
    c.logic.run.cmdMeasStart_Click();  // the sweep of type 0
    c.logic.model.cboY1Var = 3;        // "  Ia fit", open circles
    c.logic.model.cboY2Var = 4;        // "  dIa/dV", dotted
    c.state.blnCompliance = true;
    const auto dotted = [&canvas] {
        int n = 0;
        for (const auto& line : canvas.lines()) {
            n += line.style == LineStyle::Dot ? 1 : 0;
        }
        return n;
    };
    const auto readOuts = [&canvas] {
        int n = 0;
        for (const auto& t : canvas.texts()) {
            n += t.text.rfind("X=", 0) == 0 ? 1 : 0;
        }
        return n;
    };
    plotter.mousePress(500, 500);
    ASSERT_GT(canvas.circles().size(), 100u);  // the markers of the fit and the cursor's dot
    ASSERT_GT(dotted(), 90);
    ASSERT_EQ(readOuts(), 1);

    c.logic.cmdClear_Click();
    EXPECT_EQ(c.state.dblMeasMatrix(MeasMatrix::kFit, MeasMatrix::Curve), -1.0);
    EXPECT_TRUE(canvas.circles().empty());
    EXPECT_EQ(dotted(), 0);
    EXPECT_EQ(readOuts(), 0);
    EXPECT_TRUE(canvas.textsEqual("Compliance Error").empty());
}

}  // namespace
}  // namespace ostrino
