// The calibration window, built offscreen.

#include "files/frm_cal.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QGroupBox>
#include <QPushButton>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/support/scoped_work_dir.h"
#include "tests/support/scripted_dialogs.h"

namespace ostrino {
namespace {

template <typename T>
T* child(QWidget* w, const QString& name) {
    T* c = w->findChild<T*>(name);
    EXPECT_NE(c, nullptr) << name.toStdString();
    return c;
}

TEST(FrmCal, ControlsCarryTheirNamesCaptionsAndRanges) {
    CalibrationRecord cal;
    cal.dblCalVar(5) = 1.012;
    test::ScriptedDialogs dialogs;
    frmCal w(cal, dialogs, nullptr);
    EXPECT_EQ(w.objectName(), "frmCal");
    EXPECT_EQ(w.windowTitle(), "Calibration");
    EXPECT_EQ(child<QGroupBox>(&w, "frmVersion")->title(), "Version");

    const char* const names[] = {"Va Gain",     "Vs Gain",      "Ia Gain", "Is Gain",
                                 "Vsupp",       "Vgrid (40 V)", "Vsat",    "Vgrid (4 V)",
                                 "Vgrid (sat)", "not used"};
    for (int k = 1; k <= 10; ++k) {
        const QString n = QString::number(k);
        ASSERT_NE(child<QLabel>(&w, "lblCalVar" + n), nullptr);
        EXPECT_EQ(child<QLabel>(&w, "lblCalVar" + n)->text(), names[k - 1]);
        auto* slider = child<QSlider>(&w, "slrCalVal" + n);
        ASSERT_NE(slider, nullptr);
        EXPECT_EQ(slider->orientation(), Qt::Horizontal);
        EXPECT_EQ(slider->minimum(), 900);
        EXPECT_EQ(slider->maximum(), 1100);
        EXPECT_EQ(slider->singleStep(), 1);
        EXPECT_EQ(slider->pageStep(), 5);
        EXPECT_EQ(slider->value(), k == 5 ? 1012 : 1000);
        EXPECT_EQ(child<QLabel>(&w, "lblCalVal" + n)->text(), k == 5 ? "1.012" : "1");
    }
    EXPECT_EQ(child<QRadioButton>(&w, "optVersion0")->text(), "Version 3 (300V)");
    EXPECT_EQ(child<QRadioButton>(&w, "optVersion1")->text(), "Version 3+ (400V)");
    auto* warning = child<QLabel>(&w, "lblWarning");
    EXPECT_EQ(warning->text(),
              "Note!  If you select a version number that does not correspond to your hardware, "
              "it may seriously damage your Ostrino");
    EXPECT_TRUE(warning->wordWrap());
    EXPECT_EQ(child<QPushButton>(&w, "cmdSave")->text(), "Save to Calibration File");
}

TEST(FrmCal, VersionOptionFollowsTheRecordAndReselectsTheMeasurement) {
    CalibrationRecord cal;
    cal.intVersion = 3;
    test::ScriptedDialogs dialogs;
    int reselections = 0;
    frmCal w(cal, dialogs, [&] { ++reselections; });
    auto* opt0 = child<QRadioButton>(&w, "optVersion0");
    auto* opt1 = child<QRadioButton>(&w, "optVersion1");
    EXPECT_FALSE(opt0->isChecked());
    EXPECT_TRUE(opt1->isChecked());
    EXPECT_EQ(cal.intVersion, 2);
    EXPECT_EQ(reselections, 1);

    opt0->click();
    EXPECT_TRUE(opt0->isChecked());
    EXPECT_FALSE(opt1->isChecked());
    EXPECT_EQ(cal.intVersion, 1);
    EXPECT_EQ(reselections, 2);
    opt1->click();
    EXPECT_EQ(cal.intVersion, 2);
    EXPECT_EQ(reselections, 3);
}

TEST(FrmCal, SlidersTrimAndSaveWritesTheCalibrationFile) {
    test::ScopedWorkDir dir;
    CalibrationRecord cal;
    cal.dblCalVar(1) = 1.25;  // beyond the slider: kept while its slider stays put
    test::ScriptedDialogs dialogs;
    int reselections = 0;
    frmCal w(cal, dialogs, [&] { ++reselections; });
    EXPECT_EQ(child<QSlider>(&w, "slrCalVal1")->value(), 1100);
    EXPECT_EQ(child<QLabel>(&w, "lblCalVal1")->text(), "1.25");
    child<QSlider>(&w, "slrCalVal3")->triggerAction(QAbstractSlider::SliderPageStepSub);
    EXPECT_EQ(child<QLabel>(&w, "lblCalVal3")->text(), "0.995");
    EXPECT_EQ(reselections, 0);  // neither opening the window nor a slider re-selects
    child<QPushButton>(&w, "cmdSave")->click();
    EXPECT_TRUE(dialogs.messages.empty());
    std::ostringstream written;
    written << std::ifstream("Ostrino_3p11.cal", std::ios::binary).rdbuf();
    const std::string head = " 1250         'Va Gain\r\n 1000         'Vs Gain\r\n 995 ";
    EXPECT_EQ(written.str().substr(0, head.size()), head);

    std::filesystem::remove("Ostrino_3p11.cal");
    std::filesystem::create_directory("Ostrino_3p11.cal");
    child<QPushButton>(&w, "cmdSave")->click();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text.rfind(
                  "The calibration file Ostrino_3p11.cal cannot be written (", 0),
              0u);
}

}  // namespace
}  // namespace ostrino
