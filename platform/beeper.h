#pragma once

namespace ostrino {

class Beeper {
  public:
    virtual ~Beeper() = default;
    virtual void beep(int frequencyHz, int durationMs) = 0;
};

}  // namespace ostrino
