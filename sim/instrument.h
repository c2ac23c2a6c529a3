#pragma once
// The instrument side of the third-generation protocol, free of any I/O: characters go
// in with the time they arrived, characters come out with the time they are due.
//
// Every command character is echoed at once (after one character time at line rate).
// After 18 characters the command is carried out: "00" settings, "10" set the point and
// measure, "20" set the point, "30" end of sweep, "40" heater, "50" ping; "10" and "50"
// are answered with a 38-character result. The character with code 39 (apostrophe)
// drops a partly received command.

#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <utility>

#include "sim/sim_options.h"
#include "sim/valve_models.h"

namespace ostrino::sim {

class Instrument {
  public:
    explicit Instrument(const SimOptions& options);

    // A character arrived from the console at time t (seconds).
    void receive(char c, double t);

    bool hasOutput() const { return !out_.empty(); }
    // Time at which the next output character is available.
    double nextOutputTime() const;
    char popOutput();
    // Output due at or before time t.
    int outputDueBy(double t) const;

    // What the instrument applies now (for tests and the pty program's log).
    double anodeVolts() const { return va_; }
    double screenVolts() const { return vs_; }
    double gridVolts() const { return vg_; }
    double heaterVolts() const { return vh_; }
    int commandsReceived() const { return commands_; }
    const SimOptions& options() const { return options_; }

    // The 38-character result for the present state (no fault applied).
    std::string result() const;

    // Drops every output character not yet taken (the port was closed).
    void clearOutput() { out_.clear(); }
    // Called with every complete command, before it is carried out.
    void setCommandListener(std::function<void(const std::string& command)> listener) {
        commandListener_ = std::move(listener);
    }

    // One character time at 9600 baud, 10 bits per character.
    static constexpr double kCharTime = 1.0 / 960.0;

  private:
    void execute(const std::string& cmd, double t);
    void emit(char c, double t);
    void applyPoint(int a, int b, int c, int d);
    void setHeater(int d);
    void sendResult(double t, bool faulty);
    std::string buildResult(bool badGain) const;
    // The fault applies to the command now being received or carried out.
    bool faultActive() const;
    double dividerCountsPerVolt() const;

    SimOptions options_;
    const ValveModel* valve_;
    std::string partial_;
    std::deque<std::pair<double, char>> out_;
    double lastOutTime_ = 0.0;
    int commands_ = 0;
    bool silent_ = false;
    // settings
    int iaRange_ = 8, isRange_ = 8, averaging_ = 0x40, compliance_ = 0x8F;
    // set point applied to the valve
    double va_ = 0.0, vs_ = 0.0, vg_ = 0.0, vh_ = 0.0;
    int codeA_ = 0, codeB_ = 0, codeC_ = 0;
    std::function<void(const std::string&)> commandListener_;
};

}  // namespace ostrino::sim
