#pragma once

#include "platform/beeper.h"

namespace ostrino {

// The desktop's own bell; the pitch cannot be chosen there, the length is kept.
class QtBeeper : public Beeper {
  public:
    void beep(int frequencyHz, int durationMs) override;
};

}  // namespace ostrino
