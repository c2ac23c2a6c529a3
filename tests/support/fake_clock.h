#pragma once
// A clock with virtual time for tests. Sleeping advances the time at once; pumping
// events runs the actions scheduled with at() whose time has come, so that "press Abort
// at t = 2.5 s" happens at the first pump from 2.5 s on, as a click would on the real
// window. Time-outs of seconds then cost no real time and are deterministic.

#include <cstddef>
#include <functional>
#include <map>
#include <utility>

#include "platform/clock.h"

namespace ostrino::test {

class FakeClock : public ostrino::Clock {
  public:
    explicit FakeClock(double start = 0.0) : now_(start) {}

    double now() override { return now_; }

    void sleep(double seconds) override {
        ++sleeps_;
        if (seconds > 0.0) {
            now_ += seconds;
            slept_ += seconds;
        }
    }

    void pumpEvents() override {
        ++pumps_;
        now_ += pumpStep_;
        runDue();
    }

    // Moves time forward without sleeping or pumping (the test's own passage of time).
    void advance(double seconds) {
        if (seconds > 0.0) {
            now_ += seconds;
        }
    }

    // Runs action at the first pump at or after virtual time t. Actions due at the same
    // time run in the order they were scheduled.
    void at(double t, std::function<void()> action) { actions_.emplace(t, std::move(action)); }

    // Runs every action whose time has come, including ones that those actions schedule.
    void runDue() {
        while (!actions_.empty() && actions_.begin()->first <= now_) {
            auto action = std::move(actions_.begin()->second);
            actions_.erase(actions_.begin());
            action();
        }
    }

    // Time that each pump takes (default 0), for code that pumps without sleeping.
    void setPumpStep(double seconds) { pumpStep_ = seconds; }

    int pumps() const { return pumps_; }
    int sleeps() const { return sleeps_; }
    double totalSlept() const { return slept_; }
    std::size_t pendingActions() const { return actions_.size(); }

  private:
    double now_;
    double pumpStep_ = 0.0;
    double slept_ = 0.0;
    int pumps_ = 0;
    int sleeps_ = 0;
    std::multimap<double, std::function<void()>> actions_;
};

}  // namespace ostrino::test
