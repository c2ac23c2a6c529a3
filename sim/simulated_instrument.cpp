#include "sim/simulated_instrument.h"

#include <algorithm>
#include <limits>

namespace ostrino::sim {

namespace {

constexpr char kDropCommand = 39;  // the apostrophe

}  // namespace

SimulatedInstrument::SimulatedInstrument(const SimOptions& options) : options_(options) {
    valve_ = findValve(options_.valve);
    if (valve_ == nullptr) {
        valve_ = findValve(SimOptions{}.valve);
    }
}

bool SimulatedInstrument::faultActive() const {
    return options_.fault != FaultKind::None && commands_ >= options_.faultAfterCommands;
}

double SimulatedInstrument::nextOutputTime() const {
    return out_.empty() ? std::numeric_limits<double>::infinity() : out_.front().first;
}

char SimulatedInstrument::popOutput() {
    if (out_.empty()) {
        return '\0';
    }
    const char c = out_.front().second;
    out_.pop_front();
    return c;
}

int SimulatedInstrument::outputDueBy(double t) const {
    int n = 0;
    for (const auto& [due, c] : out_) {
        if (due > t) {
            break;
        }
        ++n;
    }
    return n;
}

void SimulatedInstrument::emit(char c, double t) {
    // One transmitter: a character leaves only after the one before it.
    const double earliest = options_.lineRate ? lastOutTime_ + kCharTime : lastOutTime_;
    const double due = std::max(t, earliest);
    out_.emplace_back(due, c);
    lastOutTime_ = due;
}

void SimulatedInstrument::receive(char c, double t) {
    if (silent_) {
        return;
    }
    if (c == kDropCommand) {
        partial_.clear();
        return;
    }
    const int position = static_cast<int>(partial_.size()) + 1;
    const bool faultHere = faultActive() && position == options_.faultPosition;
    if (faultHere && options_.fault == FaultKind::Silent) {
        silent_ = true;
        return;
    }
    const char echo =
        faultHere && options_.fault == FaultKind::WrongEcho ? static_cast<char>(c ^ 1) : c;
    emit(echo, options_.lineRate ? t + kCharTime : t);

    partial_ += c;
    if (static_cast<int>(partial_.size()) == kCommandLength) {
        std::string cmd;
        cmd.swap(partial_);
        const bool faulty = faultActive();
        ++commands_;
        if (commandListener_) {
            commandListener_(cmd);
        }
        execute(cmd, t, faulty);
    }
}

void SimulatedInstrument::sendResult(const std::string& text, double t, bool faulty) {
    const int full = static_cast<int>(text.size());
    int length = full;
    if (faulty && options_.fault == FaultKind::TruncatedResult) {
        length = std::clamp(options_.faultPosition, 0, full);
    }
    for (int i = 0; i < length; ++i) {
        emit(text[static_cast<std::size_t>(i)], t + options_.measureTime);
    }
}

}  // namespace ostrino::sim
