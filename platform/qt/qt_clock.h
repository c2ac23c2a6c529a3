#pragma once

#include <QElapsedTimer>

#include "platform/clock.h"

namespace ostrino {

class QtClock : public Clock {
  public:
    QtClock();
    double now() override;
    void sleep(double seconds) override;
    void pumpEvents() override;

  private:
    QElapsedTimer timer_;
};

}  // namespace ostrino
