#include "files/frm_cal_model.h"

#include <gtest/gtest.h>

namespace ostrino {
namespace {

TEST(FrmCalModel, LoadShowsFactorsAndSelectsTheVersion) {
    struct Case {
        double factor;
        int slider;
        std::string label;
        int versionBefore, option, versionAfter;
    };
    const Case cases[] = {
        {1.0, 1000, "1", 1, 0, 1},     {1.012, 1012, "1.012", 2, 1, 2}, {0.9, 900, "0.9", 3, 1, 2},
        {1.25, 1100, "1.25", 0, 1, 2}, {0.5, 900, "0.5", 1, 0, 1},
    };
    for (const Case& c : cases) {
        CalibrationRecord cal;
        cal.dblCalVar(4) = c.factor;
        cal.intVersion = c.versionBefore;
        int reselections = 0;
        FrmCalModel model(cal, [&] { ++reselections; });
        model.load();
        EXPECT_EQ(model.slrCalVal[3], c.slider) << c.label;
        EXPECT_EQ(model.lblCalVal[3], c.label);
        EXPECT_EQ(model.optVersion, c.option);
        EXPECT_EQ(cal.intVersion, c.versionAfter);
        EXPECT_EQ(cal.dblCalVar(4), c.factor);
        // only a version that changes re-selects the measurement type
        EXPECT_EQ(reselections, c.versionBefore != c.versionAfter ? 1 : 0);
    }
}

TEST(FrmCalModel, SlidersTrimTheirFactorAndSpareOnesBeyondReach) {
    CalibrationRecord cal;
    cal.dblCalVar(1) = 1.25;
    cal.dblCalVar(2) = 1.1006;  // 1101 after rounding: just out of reach
    int reselections = 0;
    FrmCalModel model(cal, [&] { ++reselections; });
    model.load();
    EXPECT_EQ(model.slrCalVal[1], 1100);

    // Other sliders, the version and a click that leaves the position as it is keep them.
    model.sliderClicked(9, 987);
    model.versionSelected(1);
    model.sliderClicked(0, 1100);
    EXPECT_EQ(cal.dblCalVar(10), 0.987);
    EXPECT_EQ(model.lblCalVal[9], "0.987");
    EXPECT_EQ(cal.intVersion, 2);
    EXPECT_EQ(cal.dblCalVar(1), 1.25);
    EXPECT_EQ(cal.dblCalVar(2), 1.1006);
    EXPECT_EQ(model.lblCalVal[0], "1.25");
    EXPECT_EQ(reselections, 1);  // the version choice, not the sliders

    model.sliderClicked(0, 1099);
    EXPECT_EQ(cal.dblCalVar(1), 1.099);
    EXPECT_EQ(model.lblCalVal[0], "1.099");
    model.sliderClicked(0, 5000);
    EXPECT_EQ(model.slrCalVal[0], 1100);
    EXPECT_EQ(cal.dblCalVar(1), 1.1);
    EXPECT_EQ(model.lblCalVal[0], "1.1");
}

}  // namespace
}  // namespace ostrino
