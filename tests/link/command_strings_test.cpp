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

}  // namespace
}  // namespace ostrino
