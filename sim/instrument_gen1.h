#pragma once
// The instrument side of the first-generation protocol, free of any I/O: characters go in
// with the time they arrived, characters come out with the time they are due.
//
// Echo, time-outs and faults as for every SimulatedInstrument. A complete command is
// carried out: "00" sets the range relays from the byte in characters 17-18, "10" applies the
// point and measures, "20" applies the point, "40" sets the heater. "10" is answered with
// 34 characters.
//
// How this instrument works, as far as the console can see it:
//  - Anode and screen supplies: a code c gives c * 5 / 1024 V at the converter, scaled
//    up by the 553 k / 6.81 k divider.
//  - Grid: the converter voltage u = c * 5 / 1024 drives a divider between u and +5 V;
//    the relay byte's bit 2 selects the 3920 ohm (about 0 to -16 V) or the 14601 ohm
//    (0 to -60 V) resistor, so Vg = (u * (R + 1210) - 5 R) / 1210, never above 0 V.
//  - Heater: c * 380.25 / 1024 is the square of its voltage (19.5 V full scale).
//  - Currents: the anode current flows through 296.1 ohm, or 22.1 ohm with relay bit 0;
//    the screen current through 1331 ohm, or 121 ohm with bit 1. The sense amplifiers
//    sit on half of a 2 V reference: field 1 (3) reads the sense voltage plus half the
//    reference that field 2 (4) reports, each through the 1500 / 3920 ohm input divider
//    (a 10-bit converter, so a full-scale count of 1023 means over-range).
//  - Fields 5 and 6 read the anode and screen supply back; field 7 the negative grid
//    supply (-65 V) and field 8 the negative auxiliary supply (-15 V).
//  - Status character: a hex digit, bit 0 set when the anode current is over-range,
//    bit 1 when the screen current is; the second character is always "0".
//  - The valve sees the set voltages less the drop across the sense resistors.

#include <string>

#include "sim/simulated_instrument.h"

namespace ostrino::sim {

class InstrumentGen1 : public SimulatedInstrument {
  public:
    explicit InstrumentGen1(const SimOptions& options);

    int relayByte() const { return relay_; }

    // The currents the valve draws now (mA), and the 34-character result for them.
    double anodeMa() const;
    double screenMa() const;
    std::string result() const;

    std::string deviceName() const override { return "simulated Ostrino (first generation)"; }

  private:
    void execute(const std::string& cmd, double t, bool faulty) override;
    void currents(double& ia, double& is) const;
    std::string buildResult(bool garbled) const;

    int relay_ = 0x34;  // normal ranges, low grid range
};

}  // namespace ostrino::sim
