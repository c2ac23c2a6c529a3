// The first-generation strings: field codes, commands byte for byte, result decoding.

#include "console1/gen1_protocol.h"

#include <gtest/gtest.h>

#include <string>

namespace ostrino::gen1 {
namespace {

struct CodeCase {
    const char* what;
    int code;
    const char* field;
};

TEST(Gen1Codes, FieldCodesAreTruncatedDividerRatios) {
    // Expected values worked out by hand from the divider formulas.
    const CodeCase cases[] = {
        {"anode 0 V", anodeCode(0), "0000"},
        {"anode 20 V", anodeCode(20), "0031"},
        {"anode 200 V", anodeCode(200), "01F2"},
        {"anode 400 V", anodeCode(400), "03E4"},
        {"anode 123.4 V", anodeCode(123.4), "0133"},
        {"grid 0 V low range", gridCode(0, kGridRLow), "030E"},
        {"grid -1 V low range", gridCode(-1, kGridRLow), "02DE"},
        {"grid -10 V low range", gridCode(-10, kGridRLow), "012B"},
        {"grid -15 V low range", gridCode(-15, kGridRLow), "0039"},
        {"grid 0 V high range", gridCode(0, kGridRHigh), "03B1"},
        {"grid -10 V high range", gridCode(-10, kGridRHigh), "0314"},
        {"grid -20 V high range", gridCode(-20, kGridRHigh), "0278"},
        {"grid -60 V high range", gridCode(-60, kGridRHigh), "0005"},
        {"heater 0 V", heaterCode(0), "0000"},
        {"heater 6.3 V", heaterCode(6.3), "006A"},
        {"heater 12.6 V", heaterCode(12.6), "01AB"},
        {"heater 19 V", heaterCode(19), "03CC"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(hexField(c.code), c.field) << c.what;
    }
}

TEST(Gen1Codes, HexFieldPadsTruncatesAndWrapsNegatives) {
    EXPECT_EQ(hexField(0), "0000");
    EXPECT_EQ(hexField(0xAB), "00AB");
    EXPECT_EQ(hexField(0x12345), "2345");  // the text is written over the field's right end
    EXPECT_EQ(hexField(-1), "FFFF");
    EXPECT_EQ(hexField(-2116), "F7BC");
    EXPECT_EQ(hexField(0x34, 2), "34");
}

TEST(Gen1Commands, PointHeaterAndRelayStringsByteForByte) {
    EXPECT_EQ(pointString("10", 200, 200, -10, 6.3, kGridRLow), "1001F201F2012B006A");
    EXPECT_EQ(pointString("20", 200, 200, -10, 6.3, kGridRLow), "2001F201F2012B006A");
    EXPECT_EQ(pointString("10", 20, 400, -20, 0, kGridRHigh), "10003103E402780000");
    EXPECT_EQ(heaterString(6.3), "40000000000000006A");
    EXPECT_EQ(heaterString(0), "400000000000000000");

    struct RelayCase {
        bool anodeAlt, screenAlt, highGrid;
        const char* text;
    };
    const RelayCase relays[] = {
        {false, false, false, "000000000000000034"}, {true, false, false, "000000000000000035"},
        {false, true, false, "000000000000000036"},  {true, true, false, "000000000000000037"},
        {false, false, true, "000000000000000030"},  {true, true, true, "000000000000000033"},
    };
    for (const auto& r : relays) {
        const std::string s = relayString(relayByte(r.anodeAlt, r.screenAlt, r.highGrid));
        EXPECT_EQ(s, r.text) << r.anodeAlt << r.screenAlt << r.highGrid;
        EXPECT_EQ(s.size(), 18u);
    }
}

// A result: status, spare, then the eight fields.
std::string result(char status, const char* f1, const char* f2, const char* f3, const char* f4,
                   const char* f5 = "01F2", const char* f6 = "01F2", const char* f7 = "014F",
                   const char* f8 = "028B") {
    return std::string(1, status) + "0" + f1 + f2 + f3 + f4 + f5 + f6 + f7 + f8;
}

TEST(Gen1Decode, CurrentsFromTheSenseVoltagesInBothRanges) {
    // 0x1F4 = 500, 0x128 = 296, 0x190 = 400 counts.
    const std::string r = result('0', "01F4", "0128", "0190", "0128");
    ASSERT_EQ(r.size(), 34u);
    struct Case {
        bool anodeAlt, screenAlt;
        double ia, is;
    };
    // (500 - 0.5 * 296) counts of 5 / 1024 V * 5420 / 3920 over the sense resistors.
    const Case cases[] = {
        {false, false, 8.025785, 1.278220},
        {true, false, 107.530993, 1.278220},
        {false, true, 8.025785, 14.060425},
        {true, true, 107.530993, 14.060425},
    };
    for (const auto& c : cases) {
        const DecodedResult d = decodeResult(r, c.anodeAlt, c.screenAlt);
        ASSERT_TRUE(d.valid) << d.problem;
        EXPECT_NEAR(d.ia, c.ia, 1e-5) << c.anodeAlt;
        EXPECT_NEAR(d.is, c.is, 1e-5) << c.screenAlt;
    }
}

TEST(Gen1Decode, FieldsStatusAndShownValues) {
    const DecodedResult d = decodeResult(
        result('3', "03FF", "0128", "FFFF", "0128", "01F2", "0000", "014F", "028B"), false, false);
    ASSERT_TRUE(d.valid) << d.problem;
    EXPECT_EQ(d.statusChar, '3');
    EXPECT_EQ(d.status, 3);
    EXPECT_EQ(d.text[0], "03FF");
    EXPECT_EQ(d.count[0], 1023);
    EXPECT_EQ(d.count[2], -1);  // "FFFF" is a signed 16-bit count
    EXPECT_NEAR(d.value[2], -0.006751, 1e-6);
    EXPECT_NEAR(d.value[4], 199.890857, 1e-5);  // anode supply read back
    EXPECT_NEAR(d.value[5], 0.0, 1e-12);
    EXPECT_NEAR(d.value[6], -70.237038, 1e-5);  // 5 + 5 * 49200 / 2200 * (335 / 1024 - 1)
    EXPECT_NEAR(d.value[7], -15.034180, 1e-5);  // 5 + 5 * 24200 / 2200 * (651 / 1024 - 1)
}

TEST(Gen1Decode, FullScaleCountsAreFlagged) {
    // Field 1 carries the anode sense voltage, field 3 the screen's; 1023 is the top of
    // the 10-bit converter. The reference fields (2, 4) at 1023 say nothing about a current.
    struct Case {
        const char *f1, *f2, *f3;
        bool ia, is;
    };
    const Case cases[] = {
        {"03FE", "0128", "03FE", false, false}, {"03FF", "0128", "0190", true, false},
        {"0190", "0128", "03FF", false, true},  {"03FF", "0128", "03FF", true, true},
        {"0190", "03FF", "0190", false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.f1) + c.f2 + c.f3);
        for (const bool alt : {false, true}) {
            const DecodedResult d = decodeResult(result('0', c.f1, c.f2, c.f3, "0128"), alt, alt);
            ASSERT_TRUE(d.valid) << d.problem;
            EXPECT_EQ(d.iaFullScale, c.ia);
            EXPECT_EQ(d.isFullScale, c.is);
        }
    }
}

TEST(Gen1Decode, TruncatedOrGarbledResultsAreInvalid) {
    const std::string good = result('0', "01F4", "0128", "0190", "0128");
    struct Case {
        const char* what;
        std::string text;
    };
    const Case cases[] = {
        {"empty", ""},
        {"20 characters", good.substr(0, 20)},
        {"33 characters", good.substr(0, 33)},
        {"35 characters", good + "0"},
        {"status not hex", "Z" + good.substr(1)},
        {"field 3 not hex", good.substr(0, 10) + "01G0" + good.substr(14)},
        {"blank in field 8", good.substr(0, 33) + " "},
    };
    for (const auto& c : cases) {
        const DecodedResult d = decodeResult(c.text, false, false);
        EXPECT_FALSE(d.valid) << c.what;
        EXPECT_FALSE(d.problem.empty()) << c.what;
    }
    // What did arrive of a short result is still shown.
    const DecodedResult part = decodeResult(good.substr(0, 20), false, false);
    EXPECT_EQ(part.text[0], "01F4");
    EXPECT_EQ(part.count[3], 296);
    EXPECT_EQ(part.text[4], "01");  // half a field
    EXPECT_EQ(part.count[4], 0);
    EXPECT_EQ(part.text[5], "");
}

TEST(Gen1Decode, ReadHex16) {
    EXPECT_EQ(readHex16("FFFF"), -1);
    EXPECT_EQ(readHex16("7FFF"), 32767);
    EXPECT_EQ(readHex16("8000"), -32768);
    EXPECT_EQ(readHex16("ab"), 0xAB);
    EXPECT_EQ(readHex16("0x12"), std::nullopt);
}

}  // namespace
}  // namespace ostrino::gen1
