#pragma once
// The simulated first-generation instrument as a serial port in the console's own
// process, timed by the Clock that is handed in.

#include <string>

#include "platform/clock.h"
#include "platform/serial_port.h"
#include "sim/instrument_gen1.h"
#include "sim/sim_options.h"

namespace ostrino::sim {

class SimSerialPortGen1 : public SerialPort {
  public:
    SimSerialPortGen1(const SimOptions& options, Clock& clock);

    bool open(int portNumber, std::string& error) override;
    bool isOpen() const override;
    void close() override;
    void write(std::string_view text) override;
    int charsWaiting() override;
    bool readChar(char& c) override;
    bool waitForChar(double timeoutSeconds) override;
    std::string deviceName(int portNumber) const override;

    InstrumentGen1& instrument() { return instrument_; }
    // Everything the console wrote, in order, across openings (for tests).
    const std::string& wire() const { return wire_; }
    int openCount() const { return openCount_; }

  private:
    Clock& clock_;
    InstrumentGen1 instrument_;
    bool open_ = false;
    int openCount_ = 0;
    std::string wire_;
    double nextInputTime_ = 0.0;
};

}  // namespace ostrino::sim
