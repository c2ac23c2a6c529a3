#pragma once
// What every simulated instrument generation shares, free of any I/O: characters go in
// with the time they arrived, characters come out with the time they are due.
//
// Every command character is echoed at once (after one character time at line rate).
// The character with code 39 (apostrophe) drops a partly received command. A complete
// command of 18 characters is handed to the generation's execute(). The faults of
// SimOptions that concern the echo and the result are applied here.

#include <deque>
#include <functional>
#include <string>
#include <utility>

#include "sim/sim_options.h"
#include "sim/valve_models.h"

namespace ostrino::sim {

class SimulatedInstrument {
  public:
    virtual ~SimulatedInstrument() = default;

    // A character arrived from the console at time t (seconds).
    void receive(char c, double t);

    bool hasOutput() const { return !out_.empty(); }
    // Time at which the next output character is available.
    double nextOutputTime() const;
    char popOutput();
    // Output due at or before time t.
    int outputDueBy(double t) const;
    // Drops every output character not yet taken (the port was closed).
    void clearOutput() { out_.clear(); }

    // What the instrument applies now (for tests and the pty program's log).
    double anodeVolts() const { return va_; }
    double screenVolts() const { return vs_; }
    double gridVolts() const { return vg_; }
    double heaterVolts() const { return vh_; }
    int commandsReceived() const { return commands_; }
    const SimOptions& options() const { return options_; }

    // Called with every complete command, before it is carried out.
    void setCommandListener(std::function<void(const std::string& command)> listener) {
        commandListener_ = std::move(listener);
    }

    // How the instrument names itself as a serial device.
    virtual std::string deviceName() const = 0;

    // One character time at 9600 baud, 10 bits per character.
    static constexpr double kCharTime = 1.0 / 960.0;
    static constexpr int kCommandLength = 18;

  protected:
    explicit SimulatedInstrument(const SimOptions& options);
    // Copies only through a generation's own type, never sliced through this one.
    SimulatedInstrument(const SimulatedInstrument&) = default;
    SimulatedInstrument& operator=(const SimulatedInstrument&) = default;

    // Carries out a complete command; faulty tells whether the fault applies to it.
    virtual void execute(const std::string& cmd, double t, bool faulty) = 0;

    // Queues one output character, due no earlier than t.
    void emit(char c, double t);
    // Sends a result a measurement time after t, cut short by a TruncatedResult fault.
    void sendResult(const std::string& text, double t, bool faulty);

    SimOptions options_;
    const ValveModel* valve_;
    // The set point applied to the valve.
    double va_ = 0.0, vs_ = 0.0, vg_ = 0.0, vh_ = 0.0;

  private:
    // The fault applies to the command now being received or carried out.
    bool faultActive() const;

    std::string partial_;
    std::deque<std::pair<double, char>> out_;
    double lastOutTime_ = 0.0;
    int commands_ = 0;
    bool silent_ = false;
    std::function<void(const std::string&)> commandListener_;
};

}  // namespace ostrino::sim
