#include "link/command_strings.h"

#include <gtest/gtest.h>

#include <cmath>

namespace ostrino {
namespace {

TEST(CommandStrings, FixedCommands) {
    EXPECT_EQ(pingString(), "500000000000000000");
    EXPECT_EQ(endSweepString(), "300000000000000000");
    EXPECT_EQ(heaterString(112), "400000000000000070");
    EXPECT_EQ(pointString("10", 55, 0x3FF, 82, 112),
              "100037"
              "03FF"
              "0052"
              "0070");
}

TEST(CommandStrings, SettingsString) {
    struct Case {
        int ia, is, avg, comp;
        const char* expected;
    };
    const Case cases[] = {
        // every list at its start-up default: ranges and averaging automatic, 200 mA
        {8, 8, 6, 0, "00000000008F400808"}, {0, 7, 0, 8, "000000000000010700"},
        {3, 2, 5, 1, "00000000008C200203"}, {8, 8, 4, 2, "0000000000AD100808"},
        {8, 8, 6, 3, "0000000000AB400808"}, {8, 8, 6, 4, "000000000084400808"},
        {8, 8, 6, 5, "000000000081400808"}, {8, 8, 6, 6, "0000000000A4400808"},
        {8, 8, 6, 7, "0000000000A2400808"},
    };
    for (const auto& c : cases) {
        const std::string s = settingsString(c.ia, c.is, c.avg, c.comp);
        EXPECT_EQ(s, c.expected);
        EXPECT_EQ(s.size(), 18u);
    }
}

TEST(CommandStrings, HexFieldPadsAndWrapsNegativesAsTwosComplement) {
    EXPECT_EQ(hexField(0, 4), "0000");
    EXPECT_EQ(hexField(55, 4), "0037");
    EXPECT_EQ(hexField(1023, 4), "03FF");
    EXPECT_EQ(hexField(-1, 4), "FFFF");
    EXPECT_EQ(hexField(-2, 4), "FFFE");
    EXPECT_EQ(hexField(8, 2), "08");
    EXPECT_EQ(hexField(0x40, 2), "40");
}

TEST(CommandStrings, AnodeCode) {
    // Va = 0 V on a 19 V supply, version 1, gain 1: floor(6800 / 476800 * 204.8 * 19) = 55.
    EXPECT_EQ(anodeCode(0.0, 19.0, 6800.0, 1.0), 55);
    EXPECT_EQ(hexField(anodeCode(0.0, 19.0, 6800.0, 1.0), 4), "0037");
    // 200 V: floor(6800 / 476800 * 204.8 * 219) = 639
    EXPECT_EQ(anodeCode(200.0, 19.0, 6800.0, 1.0), 639);
    // version 3+ divider: floor(5230 / 475230 * 204.8 * 419) = 944
    EXPECT_EQ(anodeCode(400.0, 19.0, 5230.0, 1.0), 944);
    // the gain factor multiplies before the floor
    EXPECT_EQ(anodeCode(200.0, 19.0, 6800.0, 1.1), 703);
}

TEST(CommandStrings, GridCodeSegments) {
    CalibrationRecord cal;
    const double k = 1023.0 / 50.0;
    // The sign is not sent.
    EXPECT_EQ(gridCode(-4.0, cal), gridCode(4.0, cal));
    EXPECT_EQ(gridCode(-10.0, cal), gridCode(10.0, cal));
    EXPECT_EQ(gridCode(-4.0, cal), 82);    // round(81.84)
    EXPECT_EQ(gridCode(-10.0, cal), 205);  // round(204.6)
    EXPECT_EQ(gridCode(0.0, cal), 0);
    // Both segments meet at 4 V, also with trimmed factors.
    cal.dblCalVar(6) = 1.02;
    cal.dblCalVar(8) = 0.97;
    cal.dblCalVar(9) = 1.05;
    const double y4 = 4.0 * k * 1.02 * 0.97;
    EXPECT_EQ(gridCode(4.0, cal), static_cast<int>(std::nearbyint(y4)));
    EXPECT_NEAR(gridCode(4.0 + 1e-9, cal), gridCode(4.0, cal), 1);
    EXPECT_NEAR(gridCode(4.0 - 1e-9, cal), gridCode(4.0, cal), 1);
    // Near 0 V the 4 V segment starts at 2 * (factor 9 - 1) = 0.1 V.
    EXPECT_EQ(gridCode(0.1, cal), 0);
    // Beyond the DAC: 1023 at most ("03FF").
    cal = CalibrationRecord{};
    EXPECT_EQ(gridCode(-55.0, cal), 1023);
    EXPECT_EQ(hexField(gridCode(-55.0, cal), 4), "03FF");
    // Below the zero point the code would be negative: it is sent as 0.
    cal.dblCalVar(9) = 1.1;
    EXPECT_EQ(gridCode(0.0, cal), 0);
}

TEST(CommandStrings, HeaterCode) {
    EXPECT_EQ(heaterCode(6.3, 19.0), 112);
    EXPECT_EQ(hexField(heaterCode(6.3, 19.0), 4), "0070");
    EXPECT_EQ(heaterCode(0.0, 19.0), 0);
    EXPECT_EQ(heaterCode(19.0, 19.0), 1024);
    EXPECT_EQ(heaterCode(6.3, 0.0), 0);  // no supply: nothing sensible to send
}

TEST(CommandStrings, SplitResultReadsEveryField) {
    const auto r = splitResult(
        "11"
        "0100"
        "0101"
        "0020"
        "0021"
        "0280"
        "0290"
        "0340"
        "FFFF"
        "0307");
    EXPECT_TRUE(r.valid);
    EXPECT_EQ(r.status, 17);
    EXPECT_EQ(r.value[0], 256);
    EXPECT_EQ(r.value[2], 32);
    EXPECT_EQ(r.value[7], -1);  // "FFFF" is minus one count
    EXPECT_EQ(r.gainIndexA, 3);
    EXPECT_EQ(r.gainIndexS, 7);
    EXPECT_EQ(r.text[8], "0307");
}

TEST(CommandStrings, SplitResultRejectsWhatCannotBeRead) {
    const char* bad[] = {
        "1G"
        "0100"
        "0101"
        "0020"
        "0021"
        "0280"
        "0290"
        "0340"
        "0200"
        "0307",  // status
        "10"
        "01X0"
        "0101"
        "0020"
        "0021"
        "0280"
        "0290"
        "0340"
        "0200"
        "0307",  // field 1
        "10"
        "0100"
        "0101"
        "0020"
        "0021"
        "0280"
        "0290"
        "0340"
        "0200"
        "0807",  // index 8
        "10"
        "0100"
        "0101"
        "0020"
        "0021"
        "0280"
        "0290"
        "0340"
        "0200"
        "03A7",  // not decimal
        "10"
        "0100"
        "0101"
        "0020"
        "0021"
        "0280"
        "0290"
        "0340"
        "0200"
        "-103",  // sign
    };
    for (const char* s : bad) {
        const auto r = splitResult(s);
        EXPECT_FALSE(r.valid) << s;
        EXPECT_FALSE(r.problem.empty());
        EXPECT_LE(r.gainIndexA, 7);
        EXPECT_LE(r.gainIndexS, 7);
    }
}

TEST(CommandStrings, SplitResultOfAnInterruptedReadTakesMissingFieldsAsZero) {
    const auto r = splitResult(
        "10"
        "0100"
        "0101"
        "0020"
        "0021"
        "02");  // 20 characters
    EXPECT_TRUE(r.valid);
    EXPECT_EQ(r.value[0], 256);
    EXPECT_EQ(r.value[4], 2);  // the part of field 5 that arrived
    EXPECT_EQ(r.value[5], 0);
    EXPECT_EQ(r.gainIndexA, 0);
    EXPECT_EQ(r.gainIndexS, 0);
}

TEST(CommandStrings, DecodeResultConvertsWithCalibrationAndRanges) {
    struct Case {
        const char* result;
        int averageIndex;
        double calIa;  // dblCalVar(3)
        bool compliance;
        double average, gainA, gainS;
        double ia, is, vaMeasured, vaCorrected, vsupply, field8;
    };
    // Counts: Ia 256, Is 32, Va 640, Vs 656, supply 832. Worked out by hand: 256 counts are
    // 1.25 V, 1250 / 17.8 = 70.2247191 mA before averaging and gain; 640 counts are
    // 3.125 V, * 476800 / 6800 - 19 = 200.1176471 V, less Ia * 17.8 ohm and 0.6 V corrected;
    // 832 counts are 4.0625 V * 8600 / 1800.
    const Case cases[] = {
        // "Automatic": ranges 3 and 7 give gains 10 and 200 and 8 readings.
        {"10"
         "0100"
         "0000"
         "0020"
         "0000"
         "0280"
         "0290"
         "0340"
         "0200"
         "0307",
         6, 1.0, false, 8, 10, 200, 0.8778089888, 0.0054863062, 200.1176471, 199.5020221,
         19.4097222, -56.25},
        // "4X", status 17 (compliance), ranges 0 and 0; "FFFF" is minus one count.
        {"11"
         "0100"
         "0000"
         "0020"
         "0000"
         "0280"
         "0290"
         "0340"
         "FFFF"
         "0000",
         2, 1.0, true, 4, 1, 1, 17.5561798, 2.1945225, 200.1176471, 199.2051471, 19.4097222,
         -117.6196289},
        // A calibration factor of 2 for the anode current doubles it.
        {"10"
         "0100"
         "0000"
         "0020"
         "0000"
         "0280"
         "0290"
         "0340"
         "0200"
         "0000",
         0, 2.0, false, 1, 1, 1, 140.4494382, 8.7780899, 200.1176471, 197.0176471, 19.4097222,
         -56.25},
    };
    for (const Case& c : cases) {
        CalibrationRecord cal;
        cal.intVersion = 1;
        cal.dblCalVar(3) = c.calIa;
        const DecodedResult d = decodeResult(c.result, cal, 19.0, c.averageIndex);
        ASSERT_TRUE(d.valid()) << c.result << ": " << d.fields.problem;
        EXPECT_EQ(d.compliance, c.compliance) << c.result;
        EXPECT_EQ(d.average, c.average) << c.result;
        EXPECT_EQ(d.gainA, c.gainA) << c.result;
        EXPECT_EQ(d.gainS, c.gainS) << c.result;
        EXPECT_NEAR(d.ia, c.ia, 1e-6) << c.result;
        EXPECT_NEAR(d.is, c.is, 1e-6) << c.result;
        EXPECT_NEAR(d.vaMeasured, c.vaMeasured, 1e-6) << c.result;
        EXPECT_NEAR(d.vaCorrected, c.vaCorrected, 1e-6) << c.result;
        EXPECT_NEAR(d.vsupplyMeasured, c.vsupply, 1e-6) << c.result;
        EXPECT_NEAR(d.value[7], c.field8, 1e-6) << c.result;
    }
}

TEST(CommandStrings, DecodeResultOfAnUnreadableAnswerCarriesNoValues) {
    CalibrationRecord cal;
    const DecodedResult d = decodeResult(
        "10"
        "0100"
        "0000"
        "00G0"
        "0000"
        "0280"
        "0290"
        "0340"
        "0200"
        "0000",
        cal, 19.0, 0);
    EXPECT_FALSE(d.valid());
    EXPECT_EQ(d.fields.problem, "field 3 \"00G0\" is not hexadecimal");
    EXPECT_EQ(d.ia, 0.0);
    EXPECT_EQ(d.vsupplyMeasured, 0.0);
}

}  // namespace
}  // namespace ostrino
