#pragma once
// Time and events. Long operations (heater ramp, sweep, quick test) sleep in short
// steps and pump pending window events, so the Abort button can run between them.

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

}  // namespace ostrino
