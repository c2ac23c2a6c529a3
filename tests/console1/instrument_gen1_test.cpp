// The simulated first-generation instrument: echo, commands, esc, and results that decode
// to its valve's currents.

#include "sim/instrument_gen1.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "console1/gen1_protocol.h"

namespace ostrino::sim {
namespace {

std::string send(InstrumentGen1& inst, const std::string& text) {
    for (char c : text) {
        inst.receive(c, 0.0);
    }
    std::string out;
    while (inst.outputDueBy(0.0) > 0) {
        out += inst.popOutput();
    }
    return out;
}

TEST(InstrumentGen1, EchoesAndCarriesOutCommands) {
    InstrumentGen1 inst(SimOptions{});
    const std::string heater = gen1::heaterString(6.3);
    EXPECT_EQ(send(inst, heater), heater);
    EXPECT_NEAR(inst.heaterVolts(), 6.3, 0.03);

    EXPECT_EQ(send(inst, gen1::relayString(gen1::relayByte(false, false, true))),
              "000000000000000030");
    EXPECT_EQ(inst.relayByte(), 0x30);
    const std::string point = gen1::pointString("20", 250, 150, -20, 6.3, gen1::kGridRHigh);
    EXPECT_EQ(send(inst, point), point);  // "20" has no result
    EXPECT_NEAR(inst.anodeVolts(), 250, 0.5);
    EXPECT_NEAR(inst.screenVolts(), 150, 0.5);
    EXPECT_NEAR(inst.gridVolts(), -20, 0.1);

    // The same grid code on the low range would mean another voltage.
    send(inst, gen1::relayString(gen1::relayByte(false, false, false)));
    send(inst, point);
    EXPECT_NEAR(inst.gridVolts(), (632 * 5.0 / 1024 * (3920 + 1210) - 5 * 3920) / 1210, 1e-9);
    EXPECT_EQ(inst.commandsReceived(), 5);
}

TEST(InstrumentGen1, EscDropsAPartialCommand) {
    InstrumentGen1 inst(SimOptions{});
    EXPECT_EQ(send(inst, "4000000"), "4000000");
    EXPECT_EQ(send(inst, "'"), "");  // no echo for esc
    send(inst, gen1::heaterString(6.3));
    EXPECT_EQ(inst.commandsReceived(), 1);
    EXPECT_NEAR(inst.heaterVolts(), 6.3, 0.03);
}

TEST(InstrumentGen1, ResultDecodesToTheValveCurrents) {
    SimOptions options;
    options.valve = "EL84";
    InstrumentGen1 inst(options);
    send(inst, gen1::relayString(gen1::relayByte(true, true, false)));
    const std::string point = gen1::pointString("10", 250, 250, -7.3, 6.3, gen1::kGridRLow);
    const std::string out = send(inst, point);
    ASSERT_EQ(out.size(), 18u + 34u);
    const std::string result = out.substr(18);
    const gen1::DecodedResult d = gen1::decodeResult(result, true, true);
    ASSERT_TRUE(d.valid) << d.problem;
    // The data-sheet operating point: some 48 mA anode and 5.5 mA screen current.
    EXPECT_NEAR(d.ia, inst.anodeMa(), 0.35);  // one count on the wide range
    EXPECT_NEAR(d.is, inst.screenMa(), 0.06);
    EXPECT_GT(d.ia, 35.0);
    EXPECT_GT(d.is, 3.0);
    EXPECT_EQ(d.statusChar, '0');
    EXPECT_NEAR(d.value[4], 250, 0.5);  // the anode supply read back
    EXPECT_NEAR(d.value[6], -65, 0.3);
    EXPECT_NEAR(d.value[7], -15, 0.1);

    // The same point on the normal ranges is over-range: status bits and full scale.
    send(inst, gen1::relayString(gen1::relayByte(false, false, false)));
    const gen1::DecodedResult over = gen1::decodeResult(send(inst, point).substr(18), false, false);
    ASSERT_TRUE(over.valid);
    EXPECT_EQ(over.status, 3);
    EXPECT_EQ(over.count[0], 1023);
    EXPECT_EQ(over.count[2], 1023);
    EXPECT_TRUE(over.iaFullScale && over.isFullScale);
}

}  // namespace
}  // namespace ostrino::sim
