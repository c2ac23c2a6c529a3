#pragma once
// Time and events. Long operations (heater ramp, sweep, quick test) sleep in short
// steps and pump pending window events, so the Abort button can run between them.

#include <algorithm>

namespace ostrino {

class Clock {
  public:
    virtual ~Clock() = default;
    // Monotonic time in seconds.
    virtual double now() = 0;
    // Blocking pause.
    virtual void sleep(double seconds) = 0;
    // Lets the window process pending events (button clicks, repaints).
    virtual void pumpEvents() = 0;
};

// Waits up to seconds while keepWaiting() holds, sleeping at most step at a time and
// pumping events after each sleep, so that the window (and its Abort button) stays live.
template <typename Pred>
void waitYielding(Clock& clock, double seconds, double step, Pred keepWaiting) {
    const double deadline = clock.now() + seconds;
    while (keepWaiting()) {
        const double remaining = deadline - clock.now();
        if (remaining <= 0.0) {
            break;
        }
        clock.sleep(std::min(step, remaining));
        clock.pumpEvents();
    }
}

}  // namespace ostrino
