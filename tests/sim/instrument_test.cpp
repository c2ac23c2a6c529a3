#include "sim/instrument.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdio>
#include <string>

namespace ostrino::sim {
namespace {

// The console's side of the conversions, written out independently of the instrument.
constexpr std::array<double, 8> kGain{1, 2, 5, 10, 20, 50, 100, 200};
constexpr std::array<int, 8> kAutoAverage{1, 1, 1, 1, 2, 2, 4, 8};

double rHv(int version) {
    return version == 1 ? 6800.0 : 5230.0;
}
double divider(int version) {
    return rHv(version) / (rHv(version) + 470000.0) * 1024.0 / 5.0;
}

std::string hex4(int v) {
    char b[8];
    std::snprintf(b, sizeof b, "%04X", static_cast<unsigned>(v) & 0xFFFFu);
    return b;
}

int field(const std::string& r, int n) {  // fields 1..8, signed 16-bit
    const int v = std::stoi(r.substr(static_cast<std::size_t>(4 * (n - 1) + 2), 4), nullptr, 16);
    return v > 32767 ? v - 65536 : v;
}
int status(const std::string& r) {
    return std::stoi(r.substr(0, 2), nullptr, 16);
}
int gainIndexA(const std::string& r) {
    return std::stoi(r.substr(34, 2));
}
int gainIndexS(const std::string& r) {
    return std::stoi(r.substr(36, 2));
}
double countsToMa(int counts) {
    return counts * 5.0 / 1024.0 * 1000.0 / 17.8;
}
double supplyOf(const std::string& r) {
    return field(r, 7) * 5.0 / 1024.0 * 8600.0 / 1800.0;
}
double voltsOf(const std::string& r, int n, int version, double supply) {
    return field(r, n) / divider(version) - supply;
}

struct Point {
    double va, vs, vg, vh;
};

struct Codes {
    int a, b, c, d;
};

Codes encode(const Point& p, int version, double supply) {
    const int grid = static_cast<int>(std::nearbyint(std::abs(p.vg) * 1023.0 / 50.0));
    return {static_cast<int>(std::floor(divider(version) * (p.va + supply))),
            static_cast<int>(std::floor(divider(version) * (p.vs + supply))), std::min(grid, 1023),
            static_cast<int>(std::floor(p.vh * p.vh * 1024 / (supply * supply)))};
}

std::string command(const char* code, const Codes& c) {
    return code + hex4(c.a) + hex4(c.b) + hex4(c.c) + hex4(c.d);
}
std::string settings(int compliance, int averaging, int isRange, int iaRange) {
    char b[32];
    std::snprintf(b, sizeof b, "0000000000%02X%02X%02X%02X", compliance, averaging, isRange,
                  iaRange);
    return b;
}
const std::string kPing = "50" + std::string(16, '0');

// Feeds a command at time t and returns everything the instrument sends back for it.
std::string talk(Instrument& ins, const std::string& text, double t = 0.0) {
    for (char c : text) {
        ins.receive(c, t);
    }
    std::string out;
    while (ins.hasOutput()) {
        out += ins.popOutput();
    }
    return out;
}

// The result part of a measure command (after the 18 echoes).
std::string measure(Instrument& ins, const Point& p, int version, double supply) {
    const std::string out = talk(ins, command("10", encode(p, version, supply)));
    EXPECT_EQ(out.size(), 56u);
    return out.size() > 18 ? out.substr(18) : std::string();
}

TEST(Instrument, EchoesEveryCharacterAtOnce) {
    Instrument ins(SimOptions{});
    const std::string commands[] = {
        settings(0x8F, 0x40, 8, 8),  command("20", {0x100, 0x2, 0x3, 0x4F}),
        "30" + std::string(16, '0'), "40" + std::string(12, '0') + "0070",
        "77ABCDEFabcdef0123",  // unknown code: echo only
    };
    double t = 1.0;
    for (const std::string& cmd : commands) {
        for (char c : cmd) {
            ins.receive(c, t);
            ASSERT_EQ(ins.outputDueBy(t), 1) << cmd << " at '" << c << "'";
            EXPECT_EQ(ins.popOutput(), c);
            t += 0.5;
        }
        EXPECT_FALSE(ins.hasOutput()) << cmd << " is answered by its echo only";
    }
    EXPECT_EQ(ins.commandsReceived(), 5);
}

TEST(Instrument, ResultLayout) {
    SimOptions o;
    o.supplyVoltage = 19.47;
    Instrument ins(o);
    const std::string out = talk(ins, kPing);
    ASSERT_EQ(out.size(), 56u);
    EXPECT_EQ(out.substr(0, 18), kPing);
    const std::string r = out.substr(18);
    EXPECT_EQ(r.substr(0, 2), "10");
    EXPECT_EQ(r.find_first_not_of("0123456789ABCDEF"), std::string::npos) << r;
    EXPECT_NEAR(supplyOf(r), 19.47, 5.0 / 1024 * 8600 / 1800);
    const double negative = 5 + 5.0 * 49000 / 2000 * (field(r, 8) / 1024.0 - 1);
    EXPECT_NEAR(negative, -55.0, 0.2);
    // Nothing applied yet: both supplies read 0 V, no current, ranges 0..7.
    EXPECT_NEAR(voltsOf(r, 5, 1, 19.47), 0.0, 0.35);
    EXPECT_NEAR(voltsOf(r, 6, 1, 19.47), 0.0, 0.35);
    EXPECT_EQ(field(r, 1), 0);
    EXPECT_EQ(field(r, 3), 0);
    EXPECT_LE(gainIndexA(r), 7);
    EXPECT_LE(gainIndexS(r), 7);
    EXPECT_EQ(ins.result(), r);
}

// Decoding the result as the console does gives back the set voltages, and the currents
// the valve draws at the voltages it really sees.
TEST(Instrument, DecodeRoundTrip) {
    struct Case {
        const char* valve;
        int version;
        double supply;
        Point p;
    };
    const Case cases[] = {
        {"ECC82", 1, 19.47, {200, 150, -4, 6.3}},  {"ECC82", 2, 18.2, {300, 90, -8.5, 6.3}},
        {"ECC83", 1, 19.47, {250, 0, -2, 6.3}},    {"ECC83", 2, 21.3, {120, 0, -0.5, 6.3}},
        {"300B", 1, 19.47, {300, 0, -61, 5.0}},    {"300B", 2, 19.0, {250, 0, -45, 5.0}},
        {"EL84", 1, 19.47, {250, 250, -7.3, 6.3}}, {"EL84", 2, 19.47, {40, 200, -3, 6.3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.valve << " v" << c.version << " Va " << c.p.va);
        SimOptions o;
        o.valve = c.valve;
        o.hardwareVersion = c.version;
        o.supplyVoltage = c.supply;
        Instrument ins(o);
        const double supply = supplyOf(talk(ins, kPing).substr(18));
        ASSERT_NEAR(supply, c.supply, 0.03);
        const Codes codes = encode(c.p, c.version, supply);
        const std::string r = measure(ins, c.p, c.version, supply);
        ASSERT_EQ(r.size(), 38u);
        EXPECT_EQ(status(r), 0x10);

        const double step = 1.0 / divider(c.version);
        const double va = voltsOf(r, 5, c.version, supply);
        const double vs = voltsOf(r, 6, c.version, supply);
        EXPECT_LE(va, c.p.va + 0.02);
        EXPECT_GT(va, c.p.va - step - 0.02);
        EXPECT_LE(vs, c.p.vs + 0.02);
        EXPECT_GT(vs, c.p.vs - step - 0.02);

        const int ga = gainIndexA(r), gs = gainIndexS(r);
        const int divisor = kAutoAverage[static_cast<std::size_t>(std::max(ga, gs))];
        const double ia = countsToMa(field(r, 1)) / divisor / kGain[static_cast<std::size_t>(ga)];
        const double is = countsToMa(field(r, 3)) / divisor / kGain[static_cast<std::size_t>(gs)];
        EXPECT_EQ(field(r, 2), field(r, 1));
        EXPECT_EQ(field(r, 4), field(r, 3));

        const ValveModel& valve = *findValve(c.valve);
        const double vh = std::sqrt(codes.d * c.supply * c.supply / 1024.0);
        const ValveCurrents model =
            valve.currents(va - ia / 1000 * 17.8 - 0.6, vs - is / 1000 * 17.8 - 0.6,
                           -codes.c * 50.0 / 1023.0, vh / valve.nominalHeaterVolts);
        EXPECT_GT(model.anode, 0.5);
        EXPECT_NEAR(ia, model.anode, countsToMa(1) / kGain[static_cast<std::size_t>(ga)]);
        EXPECT_NEAR(is, model.screen, countsToMa(1) / kGain[static_cast<std::size_t>(gs)]);
    }
}

// Automatic ranging takes the highest gain at which one sample stays below 1000 counts.
TEST(Instrument, AutoRangePicksTheHighestGainThatFits) {
    SimOptions o;
    o.valve = "ECC82";
    Instrument ins(o);
    talk(ins, settings(0x00, 0x01, 8, 8));
    int seen = 0;
    for (double vg = -14; vg <= 0; vg += 0.25) {
        const std::string r = measure(ins, {250, 120, vg, 6.3}, 1, 19.47);
        for (auto [count, index] :
             {std::pair{field(r, 1), gainIndexA(r)}, std::pair{field(r, 3), gainIndexS(r)}}) {
            seen |= 1 << index;
            EXPECT_LT(count, 1000) << r;
            if (index < 7) {
                EXPECT_GE(count * kGain[static_cast<std::size_t>(index) + 1] /
                              kGain[static_cast<std::size_t>(index)],
                          998)
                    << "a higher gain would have fitted: " << r;
            }
        }
    }
    EXPECT_GE(std::popcount(static_cast<unsigned>(seen)), 5) << "ranges seen " << seen;
}

TEST(Instrument, FixedRangeAndAveragingSumSamples) {
    SimOptions o;
    o.valve = "EL84";
    Instrument ins(o);
    const Point p{250, 250, -7.3, 6.3};
    talk(ins, settings(0x00, 0x01, 1, 0));
    const std::string one = measure(ins, p, 1, 19.47);
    EXPECT_EQ(one.substr(34), "0001");
    // 48 mA on gain 1 is about 175 counts; 5.5 mA on gain 2 about 40.
    EXPECT_NEAR(field(one, 1), 48 * 17.8 / 1000 * 204.8, 0.25 * 175);
    EXPECT_NEAR(field(one, 3), 5.5 * 2 * 17.8 / 1000 * 204.8, 0.25 * 40);

    for (int n : {0x02, 0x04, 0x08, 0x10, 0x20}) {
        talk(ins, settings(0x00, n, 1, 0));
        const std::string r = measure(ins, p, 1, 19.47);
        EXPECT_EQ(field(r, 1), n * field(one, 1)) << n;
        EXPECT_EQ(field(r, 3), n * field(one, 3)) << n;
    }
    // Automatic averaging follows the higher of the two gain indices.
    for (auto [ia, is] : {std::pair{0, 1}, std::pair{3, 0}, std::pair{0, 4}, std::pair{5, 2},
                          std::pair{1, 6}, std::pair{7, 0}}) {
        talk(ins, settings(0x00, 0x01, is, ia));
        const std::string single = measure(ins, p, 1, 19.47);
        talk(ins, settings(0x00, 0x40, is, ia));
        const std::string r = measure(ins, p, 1, 19.47);
        const int expected = kAutoAverage[static_cast<std::size_t>(std::max(ia, is))];
        EXPECT_EQ(field(r, 1), expected * field(single, 1)) << ia << "/" << is;
        EXPECT_EQ(field(r, 3), expected * field(single, 3)) << ia << "/" << is;
    }
    // A sample is clipped to the converter's range: 48 mA on gain 200 is full scale.
    talk(ins, settings(0x00, 0x20, 0, 7));
    EXPECT_EQ(field(measure(ins, p, 1, 19.47), 1), 32 * 1023);
}

TEST(Instrument, ComplianceClampsTheAnodeCurrent) {
    struct Case {
        int code;
        double limit;  // 0: off
    };
    const Case cases[] = {{0x8F, 200}, {0x8C, 175}, {0xAD, 150}, {0xAB, 125}, {0x84, 100},
                          {0x81, 75},  {0xA4, 50},  {0xA2, 25},  {0x00, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        SimOptions o;
        o.valve = "300B";
        Instrument ins(o);
        talk(ins, settings(c.code, 0x01, 0, 0));
        // About 290 mA flows at zero bias, 300B at 200 V.
        const std::string r = measure(ins, {200, 0, 0, 5.0}, 1, 19.47);
        const double ia = countsToMa(field(r, 1));
        if (c.limit > 0) {
            EXPECT_EQ(r.substr(0, 2), "11");
            EXPECT_NEAR(ia, c.limit, countsToMa(1));
        } else {
            EXPECT_EQ(r.substr(0, 2), "10");
            EXPECT_GT(ia, 250.0);
        }
        // Below the limit the status is normal again.
        const std::string low = measure(ins, {200, 0, -60, 5.0}, 1, 19.47);
        EXPECT_EQ(low.substr(0, 2), "10");
        EXPECT_LT(countsToMa(field(low, 1)), 25.0);
    }
}

TEST(Instrument, HeaterControlsEmission) {
    SimOptions o;
    o.valve = "EL84";
    Instrument ins(o);
    talk(ins, settings(0x8F, 0x01, 0, 0));
    const Point p{250, 250, -7.3, 0.0};
    const std::string cold = measure(ins, p, 1, 19.47);
    EXPECT_EQ(field(cold, 1), 0);
    EXPECT_EQ(field(cold, 3), 0);

    const Codes hot = encode({0, 0, 0, 6.3}, 1, 19.47);
    talk(ins, std::string("40") + std::string(12, '0') + hex4(hot.d));
    EXPECT_NEAR(ins.heaterVolts(), 6.3, 0.05);
    // "20" sets the point (with the heater it carries); the ping then measures it.
    talk(ins, command("20", encode({250, 250, -7.3, 6.3}, 1, 19.47)));
    const double full = field(talk(ins, kPing).substr(18), 1);
    EXPECT_GT(full, 100);

    talk(ins,
         std::string("40") + std::string(12, '0') + hex4(encode({0, 0, 0, 0.6 * 6.3}, 1, 19.47).d));
    const double half = field(talk(ins, kPing).substr(18), 1);
    EXPECT_GT(half, 0.3 * full);
    EXPECT_LT(half, 0.7 * full);

    // End of sweep: outputs to 0 V, heater stays on.
    talk(ins, std::string("30") + std::string(16, '0'));
    EXPECT_EQ(ins.anodeVolts(), 0.0);
    EXPECT_EQ(ins.gridVolts(), 0.0);
    EXPECT_GT(ins.heaterVolts(), 3.0);
    EXPECT_EQ(field(talk(ins, kPing).substr(18), 1), 0);
}

TEST(Instrument, ApostropheDropsAPartialCommand) {
    Instrument ins(SimOptions{});
    EXPECT_EQ(talk(ins, "1000FF"), "1000FF");
    EXPECT_EQ(talk(ins, "'"), "");
    const std::string out = talk(ins, kPing);
    EXPECT_EQ(out.size(), 56u);
    EXPECT_EQ(ins.commandsReceived(), 1);
    EXPECT_EQ(ins.anodeVolts(), 0.0);
    // An apostrophe between commands does nothing.
    EXPECT_EQ(talk(ins, "'" + kPing).size(), 56u);
}

TEST(Instrument, FaultsStartAfterTheGivenCommands) {
    const std::string ping = kPing;
    Instrument reference(SimOptions{});
    const std::string good = talk(reference, ping);
    struct Case {
        FaultKind kind;
        int position;
        std::string expected;  // answer to the third ping
        bool later;            // whether a later ping is answered at all
    };
    std::string wrong = good;
    wrong[3] = static_cast<char>(wrong[3] ^ 1);
    std::string badGain = good;
    badGain.replace(18 + 34, 2, "09");
    const Case cases[] = {
        {FaultKind::WrongEcho, 4, wrong, true},
        {FaultKind::Silent, 3, good.substr(0, 2), false},
        {FaultKind::TruncatedResult, 20, good.substr(0, 18 + 20), true},
        {FaultKind::BadGainIndex, 1, badGain, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.kind));
        SimOptions o;
        o.fault = c.kind;
        o.faultAfterCommands = 2;
        o.faultPosition = c.position;
        Instrument ins(o);
        EXPECT_EQ(talk(ins, ping), good);
        EXPECT_EQ(talk(ins, ping), good);
        EXPECT_EQ(talk(ins, ping), c.expected);
        // The fault stays: every later command meets it again (or silence).
        EXPECT_EQ(talk(ins, ping), c.later ? c.expected : "");
    }
}

TEST(Instrument, OutputIsPacedAtLineRate) {
    SimOptions o;
    o.lineRate = true;
    o.measureTime = 0.05;
    Instrument ins(o);
    const double ct = Instrument::kCharTime;
    ins.receive('5', 1.0);
    EXPECT_EQ(ins.outputDueBy(1.0), 0);
    EXPECT_DOUBLE_EQ(ins.nextOutputTime(), 1.0 + ct);
    ins.popOutput();
    for (int i = 1; i < 18; ++i) {
        ins.receive(kPing[static_cast<std::size_t>(i)], 1.0 + 0.001 * i);
    }
    // Echoes queue behind one another; the result starts after the measuring time.
    double last = ins.nextOutputTime();
    for (int i = 1; i < 17 + 38; ++i) {
        ins.popOutput();
        const double next = ins.nextOutputTime();
        EXPECT_GE(next - last, ct - 1e-12) << i;
        if (i == 17) {
            EXPECT_NEAR(next, 1.017 + 0.05, 1e-9);
        } else if (i > 17) {
            EXPECT_NEAR(next - last, ct, 1e-9);
        }
        last = next;
    }
    ins.popOutput();
    EXPECT_FALSE(ins.hasOutput());
}

}  // namespace
}  // namespace ostrino::sim
