#include "sim/sim_serial_port.h"

#include <algorithm>
#include <utility>

#include "sim/instrument.h"

namespace ostrino::sim {

SimSerialPort::SimSerialPort(const SimOptions& options, Clock& clock)
    : SimSerialPort(std::make_unique<Instrument>(options), clock) {}

SimSerialPort::SimSerialPort(std::unique_ptr<SimulatedInstrument> instrument, Clock& clock)
    : clock_(clock), instrument_(std::move(instrument)) {}

void SimSerialPort::replaceInstrument(std::unique_ptr<SimulatedInstrument> instrument) {
    instrument_ = std::move(instrument);
}

bool SimSerialPort::open(int, std::string&) {
    open_ = true;
    ++openCount_;
    return true;
}

bool SimSerialPort::isOpen() const {
    return open_;
}

void SimSerialPort::breakDown(const std::string& reason) {
    if (open_) {
        failure_ = instrument_->deviceName() + ": " + reason;
    }
}

void SimSerialPort::close() {
    open_ = false;
    failure_.clear();
    instrument_->clearOutput();
}

bool SimSerialPort::write(std::string_view text) {
    if (!open_ || !failure_.empty()) {
        return false;
    }
    wire_ += text;
    const bool lineRate = instrument_->options().lineRate;
    double t = clock_.now();
    for (char c : text) {
        if (lineRate) {
            t = std::max(t, nextInputTime_);
            nextInputTime_ = t + SimulatedInstrument::kCharTime;
        }
        instrument_->receive(c, t);
    }
    return true;
}

int SimSerialPort::charsWaiting() {
    return open_ && failure_.empty() ? instrument_->outputDueBy(clock_.now()) : 0;
}

bool SimSerialPort::readChar(char& c) {
    if (charsWaiting() == 0) {
        return false;
    }
    c = instrument_->popOutput();
    return true;
}

bool SimSerialPort::waitForChar(double timeoutSeconds) {
    if (charsWaiting() > 0) {
        return true;
    }
    if (!failure_.empty()) {
        return false;  // a broken line ends every wait at once
    }
    const double start = clock_.now();
    if (open_ && instrument_->hasOutput()) {
        const double due = instrument_->nextOutputTime();
        if (due - start <= timeoutSeconds) {
            // A hair longer, so that rounding never leaves the character just short of due.
            clock_.sleep(due - start + 1e-9);
            return true;
        }
    }
    clock_.sleep(timeoutSeconds);
    return charsWaiting() > 0;
}

std::string SimSerialPort::deviceName(int) const {
    return instrument_->deviceName();
}

}  // namespace ostrino::sim
