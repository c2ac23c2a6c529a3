#pragma once

#include <vector>

#include "platform/beeper.h"

namespace ostrino::test {

class RecordingBeeper : public Beeper {
  public:
    void beep(int frequencyHz, int durationMs) override {
        beeps.push_back({frequencyHz, durationMs});
    }
    struct Beep {
        int hz, ms;
    };
    std::vector<Beep> beeps;
};

}  // namespace ostrino::test
