#include "common/numbers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace ostrino {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(RoundHalfEven, TiesGoToTheEvenNeighbour) {
    const struct {
        double in;
        double out;
    } cases[] = {
        {0.5, 0},
        {1.5, 2},
        {2.5, 2},
        {3.5, 4},
        {-0.5, 0},
        {-1.5, -2},
        {-2.5, -2},
        {0.49999999999999994, 0},  // largest double below 0.5
        {2.5000000000000004, 3},
        {3.7, 4},
        {-3.7, -4},
        {1e300, 1e300},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(roundHalfEven(c.in), c.out) << "in " << c.in;
    }
}

TEST(CheckedConversions, RangeLimitsAfterRounding) {
    const struct {
        double in;
        std::optional<std::int16_t> integer;
        std::optional<std::int32_t> lng;
    } cases[] = {
        {32767, 32767, 32767},
        {32766.5, 32766, 32766},
        {32767.5, std::nullopt, 32768},  // rounds up to 32768
        {-32768.5, -32768, -32768},
        {-32769, std::nullopt, -32769},
        {2147483647, std::nullopt, 2147483647},
        {2147483647.5, std::nullopt, std::nullopt},
        {-2147483648.5, std::nullopt, -2147483647 - 1},
        {-2147483649.0, std::nullopt, std::nullopt},
        {kNaN, std::nullopt, std::nullopt},
        {kInf, std::nullopt, std::nullopt},
        {-kInf, std::nullopt, std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(toInteger(c.in), c.integer) << "in " << c.in;
        EXPECT_EQ(toLong(c.in), c.lng) << "in " << c.in;
    }
}

// Codes are cut toward zero, not rounded; only nonsense input ever reaches the clamp.
TEST(ClampToInteger, CutsTowardZeroWithinTheIntegerRange) {
    EXPECT_EQ(clampToInteger(1023.9), 1023);
    EXPECT_EQ(clampToInteger(-2.7), -2);
    EXPECT_EQ(clampToInteger(32767.9), 32767);
    EXPECT_EQ(clampToInteger(1e9), 32767);
    EXPECT_EQ(clampToInteger(-32768.9), -32768);
    EXPECT_EQ(clampToInteger(-1e9), -32768);
    EXPECT_EQ(clampToInteger(kNaN), 0);
    EXPECT_EQ(clampToInteger(kInf), 0);
    EXPECT_EQ(clampToInteger(-kInf), 0);
}

TEST(Decimals, RoundsToEvenWithinLongRange) {
    const struct {
        double in;
        int n;
        std::optional<double> out;
    } cases[] = {
        {0.125, 2, 0.12},
        {0.375, 2, 0.38},
        {2.5, 0, 2},
        {-2.5, 0, -2},
        {998.5, 0, 998},
        {999.5, 0, 1000},
        {1.25, 1, 1.2},
        {1234.5678, 3, 1234.568},
        {-0.0625, 3, -0.062},
        {6.3, 1, 6.3},
        {1e8, 3, std::nullopt},
        {2147483647, 0, 2147483647},
        {2147483648.0, 0, std::nullopt},
        {-2147483648.0, 0, -2147483648.0},
        {-2147483649.0, 0, std::nullopt},
        {kNaN, 2, std::nullopt},
        {kInf, 0, std::nullopt},
        {5.5, 4, 0},
        {5.5, -1, 0},
        {1e20, 4, 0},  // an unsupported n gives 0 before any range check
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Decimals(c.in, c.n), c.out) << "in " << c.in << " n " << c.n;
    }
}

struct TextCase {
    double in;
    const char* general;
    const char* file;
};

TEST(NumberText, GeneralAndFileForms) {
    const TextCase cases[] = {
        {0, "0", "0"},
        {-0.0, "0", "0"},
        {0.5, "0.5", ".5"},
        {-0.25, "-0.25", "-.25"},
        {12, "12", "12"},
        {-3, "-3", "-3"},
        {6.3, "6.3", "6.3"},
        {1234.5, "1234.5", "1234.5"},
        {100, "100", "100"},
        {0.1 + 0.2, "0.3", ".3"},  // needs 17 digits, so 15 are shown
        {1.0 / 3, "0.333333333333333", ".333333333333333"},
        {-2.0 / 3, "-0.666666666666667", "-.666666666666667"},
        {123456789012345, "123456789012345", "123456789012345"},
        {999999999999999, "999999999999999", "999999999999999"},
        {1e14, "100000000000000", "100000000000000"},
        {1e-4, "0.0001", ".0001"},
        {-0.00012, "-0.00012", "-.00012"},
        {1e15, "1E+15", "1E+15"},
        {-1e15, "-1E+15", "-1E+15"},
        {1.5e16, "1.5E+16", "1.5E+16"},
        {999999999999999.9, "1E+15", "1E+15"},  // rounds up into the exponent range
        {1e-5, "1E-05", "1E-05"},
        {-2.5e-7, "-2.5E-07", "-2.5E-07"},
        {1.25e-10, "1.25E-10", "1.25E-10"},
        {1e100, "1E+100", "1E+100"},
        {std::numeric_limits<double>::max(), "1.79769313486232E+308", "1.79769313486232E+308"},
        {std::numeric_limits<double>::denorm_min(), "5E-324", "5E-324"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(numberText(c.in), c.general) << "in " << c.in;
        EXPECT_EQ(fileNumberText(c.in), c.file) << "in " << c.in;
    }
}

TEST(NumberText, ReadsBackToTheSameDouble) {
    const double values[] = {0.1,    -0.7,   1e-4,       9.99e-5,  123.456, 1e15,
                             1.5e16, 2.5e-7, 0.30000001, 65535.25, -1e-300, 4.35e22};
    for (double v : values) {
        EXPECT_EQ(parseNumber(numberText(v)), v) << numberText(v);
        EXPECT_EQ(parseNumber(fileNumberText(v)), v) << fileNumberText(v);
    }
}

TEST(AxisNumber, AtMostFourSignificantDigits) {
    const struct {
        double value, span;
        const char* text;
    } cases[] = {
        {0, 10, "0"},
        {50, 200, "50"},
        {250, 1000, "250"},
        {0.25, 1, "0.25"},
        {1000, 1000, "1000"},
        {-7, 10, "-7"},
        {10.0 / 6 * 5, 10, "8.333"},  // 0 to 10 in 6 steps
        {-20.0 / 3, 20, "-6.667"},    // -10 to 0 in 3 steps
        {1000.0 / 6, 1000, "166.7"},
        {10000.0 / 6, 10000, "1667"},
        {123456, 200000, "123500"},  // the fifth digit rounds up
        {0.1 / 3 * 2, 0.1, "0.06667"},
        {1e-5 / 3, 1e-5, "3.333E-06"},           // the exponent form stays
        {-2.8 + (1.4 + 2.8) * 2 / 3, 4.2, "0"},  // -4.44E-16, a miss of the tick arithmetic
        {1e-12, 1e-11, "1E-12"},                 // a true value on a tiny axis stays
        {4.99995, 10, "5"},                      // rounds up to fewer digits
        {1.23449999, 2, "1.234"},
        {8.125, 10, "8.125"},  // exactly four digits
    };
    for (const auto& c : cases) {
        EXPECT_EQ(numberText(axisNumber(c.value, c.span)), c.text) << c.value;
    }
}

TEST(ParseNumber, AcceptsPlainDecimalForms) {
    const struct {
        const char* text;
        double value;
    } cases[] = {
        {"  -1.5 ", -1.5},
        {"+3", 3},
        {".5", 0.5},
        {"5.", 5},
        {"1e3", 1000},
        {"1E-3", 0.001},
        {"-.25", -0.25},
        {"\t7\t", 7},
        {"0", 0},
        {"1.5E+2", 150},
        {"007", 7},
        {"1E-05", 1e-5},
        {"123456789012345", 123456789012345},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parseNumber(c.text), c.value) << '"' << c.text << '"';
    }
}

TEST(ParseNumber, RejectsAnythingElse) {
    const char* cases[] = {"",    " ",    "abc", "1.2.3", "1,5", "12abc", "--1", "inf",
                           "nan", "0x10", ".",   "-",     "+",   "e5",    "1e",  "1e+",
                           "1 2", "- 1",  "+-1", "1e3.0", "NaN", "1e400", "1\n", "1'x"};
    for (const char* text : cases) {
        EXPECT_EQ(parseNumber(text), std::nullopt) << '"' << text << '"';
    }
}

TEST(LeadingNumber, NumberBeforeTheLabel) {
    const struct {
        const char* line;
        std::optional<double> value;
    } cases[] = {
        {" 1000         'Va Gain", 1000},
        {"-1            'COM port number", -1},
        {" 1", 1},
        {"\t-2.5\t'x", -2.5},
        {"1000'label", 1000},
        {" .5  ", 0.5},
        {"'label", std::nullopt},
        {"", std::nullopt},
        {"    ", std::nullopt},
        {"12abc 'x", std::nullopt},
        {"1,5 'x", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(leadingNumber(c.line), c.value) << '"' << c.line << '"';
    }
}

}  // namespace
}  // namespace ostrino
