#pragma once
// The simulated instrument as a serial port in the console's own process. Time is
// taken from the Clock that is handed in, so on a fake clock the echo and result
// time-outs cost no real time.

#include <memory>
#include <string>

#include "platform/clock.h"
#include "platform/serial_port.h"
#include "sim/instrument.h"
#include "sim/sim_options.h"

namespace ostrino::sim {

class SimSerialPort : public SerialPort {
  public:
    SimSerialPort(const SimOptions& options, Clock& clock);

    bool open(int portNumber, std::string& error) override;
    bool isOpen() const override;
    void close() override;
    void write(std::string_view text) override;
    int charsWaiting() override;
    bool readChar(char& c) override;
    bool waitForChar(double timeoutSeconds) override;
    std::string deviceName(int portNumber) const override;

    Instrument& instrument() { return instrument_; }
    // Everything the console wrote, in order, across openings (for tests).
    const std::string& wire() const { return wire_; }
    int openCount() const { return openCount_; }

  private:
    Clock& clock_;
    Instrument instrument_;
    bool open_ = false;
    int openCount_ = 0;
    std::string wire_;
    // At line rate a character cannot arrive before the one written before it.
    double nextInputTime_ = 0.0;
};

}  // namespace ostrino::sim
