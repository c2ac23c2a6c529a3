#pragma once
// A simulated instrument as a serial port in the console's own process, for either
// protocol generation. Time is taken from the Clock that is handed in, so on a fake clock
// the echo and result time-outs cost no real time.

#include <memory>
#include <string>

#include "platform/clock.h"
#include "platform/serial_port.h"
#include "sim/sim_options.h"
#include "sim/simulated_instrument.h"

namespace ostrino::sim {

class SimSerialPort : public SerialPort {
  public:
    // The third-generation instrument.
    SimSerialPort(const SimOptions& options, Clock& clock);
    // Any simulated instrument.
    SimSerialPort(std::unique_ptr<SimulatedInstrument> instrument, Clock& clock);

    bool open(int portNumber, std::string& error) override;
    bool isOpen() const override;
    void close() override;
    bool write(std::string_view text) override;
    int charsWaiting() override;
    bool readChar(char& c) override;
    bool waitForChar(double timeoutSeconds) override;
    std::string deviceName(int portNumber) const override;
    std::string failure() const override { return failure_; }

    // The line breaks down as a real device can: from now on the open port refuses
    // writes and reads, and failure() gives the device and reason. Closing clears it.
    void breakDown(const std::string& reason);

    SimulatedInstrument& instrument() { return *instrument_; }
    // Puts another instrument at the end of the line, as after changing the cable.
    void replaceInstrument(std::unique_ptr<SimulatedInstrument> instrument);
    // Everything the console wrote, in order, across openings (for tests).
    const std::string& wire() const { return wire_; }
    int openCount() const { return openCount_; }

  private:
    Clock& clock_;
    std::unique_ptr<SimulatedInstrument> instrument_;
    bool open_ = false;
    int openCount_ = 0;
    std::string wire_;
    std::string failure_;
    // At line rate a character cannot arrive before the one written before it.
    double nextInputTime_ = 0.0;
};

}  // namespace ostrino::sim
