#include "link/instrument_link.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "measure/console_views.h"
#include "measure/ground_state.h"
#include "sim/instrument.h"
#include "sim/sim_serial_port.h"
#include "tests/support/fake_clock.h"
#include "tests/support/missing_port.h"
#include "tests/support/scripted_dialogs.h"

namespace ostrino {
namespace {

using sim::FaultKind;

// A console wired to the simulated instrument on a fake clock.
struct Bench {
    explicit Bench(sim::SimOptions options = {})
        : port(options, clock), link(linkSources(state), com, port, clock, dialogs) {
        link.onGroundState = [this] { GotoGroundState(state, link); };
    }

    test::FakeClock clock;
    test::ScriptedDialogs dialogs;
    ConsoleState state;
    FrmComModel com;
    sim::SimSerialPort port;
    InstrumentLink link;
};

sim::SimOptions withFault(FaultKind kind, int position, int after = 0) {
    sim::SimOptions o;
    o.fault = kind;
    o.faultPosition = position;
    o.faultAfterCommands = after;
    return o;
}

TEST(Transport, CommandGoesOutCharacterByCharacterAndIsEchoed) {
    Bench b;
    EXPECT_TRUE(b.link.SndString(pingString()).ok());
    EXPECT_EQ(b.port.wire(), pingString());
    EXPECT_EQ(b.com.lblStringSend, pingString());
    EXPECT_EQ(b.com.lblStringEcho, pingString());
    EXPECT_TRUE(b.dialogs.messages.empty());
}

TEST(Transport, WrongFourthEchoStopsAfterFourCharacters) {
    Bench b(withFault(FaultKind::WrongEcho, 4));
    const LinkResult r = b.link.SndString(pointString("10", 639, 639, 205, 112));
    EXPECT_EQ(r.error, LinkError::WrongEcho);
    EXPECT_EQ(b.port.wire(), "1002");
    ASSERT_EQ(b.dialogs.messages.size(), 1u);
    EXPECT_EQ(b.dialogs.messages[0].text, "Error, Ostrino echoed the wrong character");
    EXPECT_EQ(b.dialogs.messages[0].icon, MessageIcon::Exclamation);
}

TEST(Transport, SilentInstrumentTimesOutAfterTwoSecondsAndPingEndsInGroundState) {
    Bench b(withFault(FaultKind::Silent, 1));
    b.state.intMeasStat = kHeating;
    b.state.progressBar1 = 30;
    const double t0 = b.clock.now();
    EXPECT_FALSE(b.link.DoPing());
    EXPECT_NEAR(b.clock.now() - t0, 2.0, 0.01);
    EXPECT_EQ(b.port.wire(), "0");  // the first settings character, never echoed
    ASSERT_EQ(b.dialogs.messages.size(), 2u);
    EXPECT_EQ(b.dialogs.messages[0].text,
              "Error, Ostrino failed to echo character in reasonable time");
    EXPECT_EQ(b.dialogs.messages[1].text, kConnectionMessage);
    EXPECT_EQ(b.state.intMeasStat, kGround);
    EXPECT_EQ(b.state.progressBar1, 0);
    EXPECT_FALSE(b.link.portOpen());
    EXPECT_DOUBLE_EQ(b.state.dblVsupply, 19.0);
}

TEST(Transport, ResultThatStopsAfterTwentyCharacters) {
    Bench b(withFault(FaultKind::TruncatedResult, 20, 1));
    ASSERT_TRUE(b.link.SndSettings().ok());
    ASSERT_TRUE(b.link.SndString(pingString()).ok());
    const double t0 = b.clock.now();
    std::string result;
    EXPECT_EQ(b.link.RecString(result).error, LinkError::Interrupted);
    EXPECT_EQ(result.size(), 20u);
    EXPECT_NEAR(b.clock.now() - t0, 10.0, 0.05);
    ASSERT_EQ(b.dialogs.messages.size(), 1u);
    EXPECT_EQ(b.dialogs.messages[0].text,
              "Error, The result string from the Ostrino was interrupted");
}

TEST(Transport, PingMeasuresTheSupplyVoltage) {
    sim::SimOptions o;
    o.supplyVoltage = 19.47;
    Bench b(o);
    // The last point of a sweep of 1000 is no place for the ping's currents.
    const std::array<double, MeasMatrix::kCols> lastPoint{10, 1.5, 0.2, 6.3, -2, 250, 250};
    b.state.dblMeasMatrix.cells[999] = lastPoint;
    EXPECT_TRUE(b.link.DoPing());
    EXPECT_TRUE(b.dialogs.messages.empty());
    EXPECT_NEAR(b.state.dblVsupply, 19.47, 0.03);
    EXPECT_TRUE(b.state.dblMeasMatrix.cells[999] == lastPoint);
    EXPECT_EQ(b.port.wire(), settingsString(8, 8, 6, 0) + pingString());
    EXPECT_EQ(b.com.lblCompliance, "8F");
    EXPECT_EQ(b.com.lblAverage, "40");
    EXPECT_EQ(b.com.lblIsGain, "08");
    EXPECT_EQ(b.com.lblIaGain, "08");
    // every field of the exchange is on the debug window
    for (const auto& s : b.com.lblStr) {
        EXPECT_EQ(s.size(), 4u);
    }
    EXPECT_NE(b.com.lblStat, "");
    EXPECT_NE(b.com.lblActualAverage, "---");
}

TEST(Transport, PingRejectsASupplyOutsideSeventeenToTwentyTwoVolts) {
    struct Case {
        double supply;
        const char* message;
    };
    const Case cases[] = {{16.0, "Supply voltage too low, Vsup set to default 19.0 V"},
                          {23.5, "Supply voltage too high, Vsup set to default 19.0 V"}};
    for (const auto& c : cases) {
        sim::SimOptions o;
        o.supplyVoltage = c.supply;
        Bench b(o);
        b.state.dblVsupply = 20.0;
        EXPECT_TRUE(b.link.DoPing());
        ASSERT_EQ(b.dialogs.messages.size(), 1u);
        EXPECT_EQ(b.dialogs.messages[0].text, c.message);
        EXPECT_DOUBLE_EQ(b.state.dblVsupply, 19.0);
    }
}

TEST(Transport, BadRangeIndexIsACommunicationFault) {
    Bench b(withFault(FaultKind::BadGainIndex, 1, 1));
    b.state.dblMeasMatrix(999, MeasMatrix::Ia) = 123.0;
    EXPECT_FALSE(b.link.DoPing());
    ASSERT_EQ(b.dialogs.messages.size(), 2u);
    EXPECT_NE(b.dialogs.messages[0].text.find("cannot be read"), std::string::npos);
    EXPECT_EQ(b.dialogs.messages[1].text, kConnectionMessage);
    EXPECT_DOUBLE_EQ(b.state.dblMeasMatrix(999, MeasMatrix::Ia), 123.0);
    EXPECT_FALSE(b.link.portOpen());
}

TEST(Transport, FirstOpeningAfterAFaultClearsTheInstrumentWithEsc) {
    Bench b(withFault(FaultKind::WrongEcho, 4, 1));
    ASSERT_TRUE(b.link.SndSettings().ok());
    ASSERT_FALSE(b.link.SndString(pingString()).ok());  // the fourth echo is wrong
    b.link.closePort();
    const std::string before = b.port.wire();
    EXPECT_TRUE(b.link.recoveryPending());

    b.port.replaceInstrument(
        std::make_unique<sim::Instrument>(sim::SimOptions{}));  // the cable is fixed
    const double t0 = b.clock.now();
    EXPECT_TRUE(b.link.SndString(pingString()).ok());
    EXPECT_EQ(b.port.wire().substr(before.size()), "'" + pingString());
    EXPECT_GE(b.clock.now() - t0, 0.1);
    EXPECT_FALSE(b.link.recoveryPending());

    // Only the first opening after the fault does it.
    b.link.closePort();
    const std::string after = b.port.wire();
    b.link.SndString(pingString());
    EXPECT_EQ(b.port.wire().substr(after.size()), pingString());
}

TEST(Transport, APortThatBreaksDownFaultsAtOnceWithTheSystemsReason) {
    struct Case {
        bool duringResult;  // else before the next command is written
        LinkError error;
        const char* message;  // what the user is shown, as before
    };
    const Case cases[] = {
        {false, LinkError::WriteFailed,
         "Error, Ostrino failed to echo character in reasonable time"},
        {true, LinkError::PortFailed, "Error, The result string from the Ostrino was interrupted"},
    };
    for (const Case& c : cases) {
        Bench b;
        ASSERT_TRUE(b.link.SndString(pingString()).ok());
        const std::string device = b.port.deviceName(1);
        b.port.breakDown("Input/output error");
        const double t0 = b.clock.now();
        std::string result;
        const LinkResult r =
            c.duringResult ? b.link.RecString(result) : b.link.SndString(pingString());
        EXPECT_LT(b.clock.now() - t0, 0.01);  // no time-out is waited for
        EXPECT_EQ(r.error, c.error);
        EXPECT_EQ(r.reason, device + ": Input/output error");
        ASSERT_EQ(b.dialogs.texts(), std::vector<std::string>{c.message});
        EXPECT_FALSE(b.link.portOpen());  // a failed port is opened anew next time
        EXPECT_EQ(b.link.takeConnectionMessage(), std::string(kConnectionMessage) +
                                                      ".\n\nThe serial port failed (" + device +
                                                      ": Input/output error).");
    }
}

TEST(Transport, SendEscWritesExactlyOneApostrophe) {
    Bench b;
    b.link.SndEsc();
    EXPECT_EQ(b.port.wire(), "'");
    EXPECT_TRUE(b.link.portOpen());
    EXPECT_TRUE(b.dialogs.messages.empty());
}

TEST(Transport, PortThatCannotBeOpenedIsReportedInTheConnectionMessage) {
    test::FakeClock clock;
    test::ScriptedDialogs dialogs;
    ConsoleState state;
    state.cal.intCOMport = 3;
    FrmComModel com;
    test::MissingPort port;
    InstrumentLink link(linkSources(state), com, port, clock, dialogs);
    bool grounded = false;
    link.onGroundState = [&] { grounded = true; };
    EXPECT_FALSE(link.DoPing());
    EXPECT_TRUE(grounded);
    EXPECT_EQ(port.writes, 0);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    const std::string& text = dialogs.messages[0].text;
    EXPECT_EQ(text.rfind(kConnectionMessage, 0), 0u);
    EXPECT_NE(text.find("/dev/ttyUSB2: No such file or directory"), std::string::npos);
    EXPECT_LT(clock.now(), 0.01);  // no time-out is waited for a port that is not there
}

// The connection message stays as it is; the reason and what to do about it follow.
TEST(Transport, AForbiddenPortTellsHowToGetPermission) {
    test::FakeClock clock;
    test::ScriptedDialogs dialogs;
    ConsoleState state;
    FrmComModel com;
    test::MissingPort port;
    port.fault = OpenFault::Forbidden;
    port.reason = "Permission denied";
    InstrumentLink link(linkSources(state), com, port, clock, dialogs);
    EXPECT_FALSE(link.DoPing());
    EXPECT_EQ(dialogs.texts(),
              std::vector<std::string>{
                  "Fix Connection with Ostrino and Restart Measurement.\n\nThe serial port could "
                  "not be opened (/dev/ttyUSB0: Permission denied). To be allowed to use it, add "
                  "yourself to the group dialout and log in again."});
}

TEST(Transport, ChangingThePortTakesEffectAtTheNextOpening) {
    Bench b;
    EXPECT_TRUE(b.link.SndString(endSweepString()).ok());
    EXPECT_EQ(b.port.openCount(), 1);
    b.state.cal.intCOMport = 4;  // the debug window's list
    EXPECT_TRUE(b.link.SndString(endSweepString()).ok());
    EXPECT_EQ(b.port.openCount(), 1);
    b.link.closePort();
    EXPECT_TRUE(b.link.SndString(endSweepString()).ok());
    EXPECT_EQ(b.port.openCount(), 2);
}

// ---- decomposition --------------------------------------------------------------------

struct Decoded {
    ConsoleState state;
    FrmComModel com;
    bool fault = false;
    test::ScriptedDialogs dialogs;
};

// A result with fixed readings: Ia 256 and Is 32 counts, Va 0x280, Vs 0x290, supply 0x340.
std::string resultString(const char* status, const char* negativeSupply, const char* ranges) {
    return std::string(status) + "0100" + "0100" + "0020" + "0020" + "0280" + "0290" + "0340" +
           negativeSupply + ranges;
}

void decompose(Decoded& d, const std::string& result, int row = 5) {
    test::FakeClock clock;
    test::MissingPort port;
    InstrumentLink link(linkSources(d.state), d.com, port, clock, d.dialogs);
    d.fault = !link.DeComposeString(row, result);
}

TEST(Decompose, AveragingAndGainsDivideTheCurrents) {
    Decoded d;  // averaging "Automatic"
    decompose(d, resultString("10", "FFFF", "0307"));
    EXPECT_FALSE(d.fault);
    const double ia = 256 * 5.0 / 1024 * 1000 / 17.8;
    const double is = 32 * 5.0 / 1024 * 1000 / 17.8;
    // field 9 "0307": gains 10 and 200, automatic averaging over table[7] = 8 readings
    EXPECT_DOUBLE_EQ(d.state.dblMeasMatrix(5, MeasMatrix::Ia), ia / 8 / 10);
    EXPECT_DOUBLE_EQ(d.state.dblMeasMatrix(5, MeasMatrix::Is), is / 8 / 200);
    EXPECT_EQ(d.com.lblActualAverage, "8");
    EXPECT_EQ(d.com.lblIaRetGainHex, "03");
    EXPECT_EQ(d.com.lblIaRetGainDec, "10");
    EXPECT_EQ(d.com.lblIsRetGainDec, "200");
    EXPECT_EQ(d.com.lblInt[7], "-1");  // "FFFF" is minus one count
    EXPECT_FALSE(d.state.blnCompliance);

    Decoded fixed;
    fixed.state.cboAverage = 2;  // "4X"
    decompose(fixed, resultString("10", "FFFF", "0000"));
    EXPECT_DOUBLE_EQ(fixed.state.dblMeasMatrix(5, MeasMatrix::Ia), ia / 4);
    EXPECT_EQ(fixed.com.lblActualAverage, "4");
}

TEST(Decompose, ComplianceStatusIsLatched) {
    Decoded d;
    decompose(d, resultString("11", "0200", "0000"));
    EXPECT_TRUE(d.state.blnCompliance);
    EXPECT_EQ(d.com.lblStat, "17");
    decompose(d, resultString("10", "0200", "0000"));
    EXPECT_TRUE(d.state.blnCompliance);  // "10" leaves it as it was
    Decoded clean;
    decompose(clean, resultString("10", "0200", "0000"));
    EXPECT_FALSE(clean.state.blnCompliance);
}

TEST(Decompose, VoltageCorrectionReplacesTheSetVoltages) {
    const std::string result = resultString("10", "0200", "0000");
    Decoded on;
    on.state.dblMeasMatrix(5, MeasMatrix::Va) = 200.0;
    on.state.dblMeasMatrix(5, MeasMatrix::Vs) = 150.0;
    decompose(on, result);
    const double ia = on.state.dblMeasMatrix(5, MeasMatrix::Ia);
    const double vaMeas = 0x280 * 5.0 / 1024 * (470000.0 + 6800) / 6800 - 19.0;
    EXPECT_DOUBLE_EQ(on.state.dblMeasMatrix(5, MeasMatrix::Va), vaMeas - ia / 1000 * 17.8 - 0.6);
    EXPECT_DOUBLE_EQ(on.state.dblVsupplyMeas, 0x340 * 5.0 / 1024 * 8600 / 1800);

    Decoded off;
    off.com.chkcorrection = false;
    off.state.dblMeasMatrix(5, MeasMatrix::Va) = 200.0;
    off.state.dblMeasMatrix(5, MeasMatrix::Vs) = 150.0;
    decompose(off, result);
    EXPECT_DOUBLE_EQ(off.state.dblMeasMatrix(5, MeasMatrix::Va), 200.0);
    EXPECT_DOUBLE_EQ(off.state.dblMeasMatrix(5, MeasMatrix::Vs), 150.0);
}

TEST(Decompose, UnreadableResultChangesNothingAndFaults) {
    Decoded d;
    d.state.dblMeasMatrix(5, MeasMatrix::Ia) = 7.0;
    decompose(d, resultString("10", "0200", "0099"));
    EXPECT_TRUE(d.fault);
    EXPECT_DOUBLE_EQ(d.state.dblMeasMatrix(5, MeasMatrix::Ia), 7.0);
    EXPECT_EQ(d.dialogs.messages.size(), 1u);
}

TEST(Compose, MeasureStringFromAMatrixRow) {
    Decoded d;
    auto& m = d.state.dblMeasMatrix;
    m(7, MeasMatrix::Va) = 200.0;
    m(7, MeasMatrix::Vs) = 0.0;
    m(7, MeasMatrix::Vg) = -10.0;
    m(7, MeasMatrix::Vh) = 6.3;
    test::FakeClock clock;
    test::MissingPort port;
    InstrumentLink link(linkSources(d.state), d.com, port, clock, d.dialogs);
    EXPECT_EQ(link.ComposeMeasString(7, "10"),
              "10"
              "027F"
              "0037"
              "00CD"
              "0070");
    EXPECT_EQ(link.ComposeMeasString(7, "20"),
              "20"
              "027F"
              "0037"
              "00CD"
              "0070");
    EXPECT_EQ(d.com.lblValue[2], "-10");
    EXPECT_EQ(d.com.lblInteger[0], "639");
    EXPECT_EQ(d.com.lblString[3], "0070");
    // the external heater supply replaces the instrument's supply for the heater only
    d.state.chkExtVheat = true;
    d.state.dblVheatExt = 12.6;
    EXPECT_EQ(link.ComposeMeasString(7, "10"),
              "10"
              "027F"
              "0037"
              "00CD"
              "0100");
}

// The last guard: a set point outside the hardware's limits never reaches the wire, whatever
// composed it.
TEST(Compose, SetPointsOutsideTheLimitsAreNotSent) {
    struct Case {
        double va, vs, vg, vh;
        int version;
        bool extHeater;
        const char* refused;  // nullptr: sent
    };
    const double nan = std::nan("");
    const Case cases[] = {
        {300, 300, -50, 19.5, 1, false, nullptr},
        {400, 2, 0, 6.3, 2, false, nullptr},
        {450, 200, -10, 6.3, 1, false,
         "the set point Va = 450 V lies outside the limits of the "
         "instrument (0 to 300 V)"},
        {300.5, 200, -10, 6.3, 1, false, "Va = 300.5 V"},
        {200, 401, -10, 6.3, 2, false,
         "Vs = 401 V lies outside the limits of the instrument (0 "
         "to 400 V)"},
        {200, -5, -10, 6.3, 1, false, "Vs = -5 V"},
        {200, 200, -60, 6.3, 1, false,
         "Vg = -60 V lies outside the limits of the instrument "
         "(-50 to 0 V)"},
        {200, 200, 1, 6.3, 1, false, "Vg = 1 V"},
        {200, 200, -10, 30, 1, false,
         "Vh = 30 V lies outside the limits of the instrument (0 "
         "to 19.5 V)"},
        {200, 200, -10, 12.6, 1, true, nullptr},  // the external supply is 12.6 V here
        {200, 200, -10, 13, 1, true, "Vh = 13 V"},
        {nan, 200, -10, 6.3, 1, false, "Va = NaN V"},
    };
    for (const Case& c : cases) {
        Bench b;
        b.state.cal.intVersion = c.version;
        b.state.chkExtVheat = c.extHeater;
        b.state.dblVheatExt = 12.6;
        auto& m = b.state.dblMeasMatrix;
        m(0, MeasMatrix::Va) = c.va;
        m(0, MeasMatrix::Vs) = c.vs;
        m(0, MeasMatrix::Vg) = c.vg;
        m(0, MeasMatrix::Vh) = c.vh;
        const LinkResult sent = b.link.SndString(b.link.ComposeMeasString(0, "20"));
        EXPECT_EQ(sent.error, c.refused != nullptr ? LinkError::Refused : LinkError::None)
            << c.va << " " << c.vh;
        if (c.refused == nullptr) {
            EXPECT_EQ(b.port.wire().size(), 18u);
            continue;
        }
        EXPECT_EQ(b.port.wire(), "");
        ASSERT_EQ(b.dialogs.messages.size(), 1u);
        EXPECT_NE(b.dialogs.messages[0].text.find(c.refused), std::string::npos)
            << b.dialogs.messages[0].text;

        // The heater command has the same guard.
        Bench h;
        h.state.chkExtVheat = c.extHeater;
        h.state.dblVheatExt = 12.6;
        const bool heaterInside = c.vh <= (c.extHeater ? 12.6 : 19.5);
        EXPECT_EQ(h.link.SetFilament(c.vh).ok(), heaterInside) << c.vh;
        EXPECT_EQ(h.port.wire().size(), heaterInside ? 18u : 0u);
    }
}

TEST(GroundState, KeepsStoredCurvesAndMeasuredPoints) {
    ConsoleState s;
    auto& m = s.dblMeasMatrix;
    for (int r = 0; r < 11; ++r) {
        m(r, MeasMatrix::Curve) = r < 4 ? 1.0 : -1.0;  // four points measured
        m(r, MeasMatrix::Ia) = r;
    }
    m(11, MeasMatrix::Curve) = 0.0;
    m(1000, MeasMatrix::Curve) = 2.0;
    m(2000, MeasMatrix::Curve) = 1.0;
    keepMeasuredPoints(m);
    EXPECT_EQ(m(3, MeasMatrix::Curve), 1.0);
    EXPECT_EQ(m(4, MeasMatrix::Curve), 0.0);  // the first unmeasured row ends the data
    EXPECT_EQ(m(1000, MeasMatrix::Curve), 2.0);
    EXPECT_EQ(m(2000, MeasMatrix::Curve), -1.0);

    ConsoleState none;
    none.dblMeasMatrix(0, MeasMatrix::Curve) = -1.0;
    none.dblMeasMatrix(1, MeasMatrix::Curve) = -1.0;
    keepMeasuredPoints(none.dblMeasMatrix);
    EXPECT_EQ(none.dblMeasMatrix(0, MeasMatrix::Curve), -1.0);  // still empty
}

}  // namespace
}  // namespace ostrino
