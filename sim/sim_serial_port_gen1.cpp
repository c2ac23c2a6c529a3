#include "sim/sim_serial_port_gen1.h"

#include <algorithm>

namespace ostrino::sim {

SimSerialPortGen1::SimSerialPortGen1(const SimOptions& options, Clock& clock)
    : clock_(clock), instrument_(options) {}

bool SimSerialPortGen1::open(int, std::string&) {
    open_ = true;
    ++openCount_;
    return true;
}

bool SimSerialPortGen1::isOpen() const {
    return open_;
}

void SimSerialPortGen1::close() {
    open_ = false;
    instrument_.clearOutput();
}

void SimSerialPortGen1::write(std::string_view text) {
    if (!open_) {
        return;
    }
    wire_ += text;
    const bool lineRate = instrument_.options().lineRate;
    double t = clock_.now();
    for (char c : text) {
        if (lineRate) {
            t = std::max(t, nextInputTime_);
            nextInputTime_ = t + InstrumentGen1::kCharTime;
        }
        instrument_.receive(c, t);
    }
}

int SimSerialPortGen1::charsWaiting() {
    return open_ ? instrument_.outputDueBy(clock_.now()) : 0;
}

bool SimSerialPortGen1::readChar(char& c) {
    if (charsWaiting() == 0) {
        return false;
    }
    c = instrument_.popOutput();
    return true;
}

bool SimSerialPortGen1::waitForChar(double timeoutSeconds) {
    if (charsWaiting() > 0) {
        return true;
    }
    const double start = clock_.now();
    if (open_ && instrument_.hasOutput()) {
        const double due = instrument_.nextOutputTime();
        if (due - start <= timeoutSeconds) {
            // A hair longer, so that rounding never leaves the character just short of due.
            clock_.sleep(due - start + 1e-9);
            return true;
        }
    }
    clock_.sleep(timeoutSeconds);
    return charsWaiting() > 0;
}

std::string SimSerialPortGen1::deviceName(int) const {
    return "simulated Ostrino (first generation)";
}

}  // namespace ostrino::sim
