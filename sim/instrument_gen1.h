#pragma once
// The instrument side of the first-generation protocol, free of any I/O: characters go in
// with the time they arrived, characters come out with the time they are due.
//
// Every command character is echoed at once. After 18 characters the command is carried
// out: "00" sets the range relays from the byte in characters 17-18, "10" applies the
// point and measures, "20" applies the point, "40" sets the heater. "10" is answered with
// 34 characters. The character with code 39 (apostrophe) drops a partly received command.
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

#include <deque>
#include <functional>
#include <string>
#include <utility>

#include "sim/sim_options.h"
#include "sim/valve_models.h"

namespace ostrino::sim {

class InstrumentGen1 {
  public:
    explicit InstrumentGen1(const SimOptions& options);

    void receive(char c, double t);
    bool hasOutput() const { return !out_.empty(); }
    double nextOutputTime() const;
    char popOutput();
    int outputDueBy(double t) const;
    void clearOutput() { out_.clear(); }

    double anodeVolts() const { return va_; }
    double screenVolts() const { return vs_; }
    double gridVolts() const { return vg_; }
    double heaterVolts() const { return vh_; }
    int relayByte() const { return relay_; }
    int commandsReceived() const { return commands_; }
    const SimOptions& options() const { return options_; }

    // The currents the valve draws now (mA), and the 34-character result for them.
    double anodeMa() const;
    double screenMa() const;
    std::string result() const;

    void setCommandListener(std::function<void(const std::string& command)> listener) {
        commandListener_ = std::move(listener);
    }

    static constexpr double kCharTime = 1.0 / 960.0;

  private:
    void execute(const std::string& cmd, double t);
    void emit(char c, double t);
    void currents(double& ia, double& is) const;
    std::string buildResult(bool garbled) const;
    bool faultActive() const;

    SimOptions options_;
    const ValveModel* valve_;
    std::string partial_;
    std::deque<std::pair<double, char>> out_;
    double lastOutTime_ = 0.0;
    int commands_ = 0;
    bool silent_ = false;
    int relay_ = 0x34;  // normal ranges, low grid range
    double va_ = 0.0, vs_ = 0.0, vg_ = 0.0, vh_ = 0.0;
    std::function<void(const std::string&)> commandListener_;
};

}  // namespace ostrino::sim
