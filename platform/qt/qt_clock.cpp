#include "platform/qt/qt_clock.h"

#include <QCoreApplication>
#include <QThread>

namespace ostrino {

QtClock::QtClock() {
    timer_.start();
}

double QtClock::now() {
    return static_cast<double>(timer_.nsecsElapsed()) * 1e-9;
}

void QtClock::sleep(double seconds) {
    if (seconds > 0.0) {
        QThread::usleep(static_cast<unsigned long>(seconds * 1e6));
    }
}

void QtClock::pumpEvents() {
    if (QCoreApplication::instance() != nullptr) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
}

}  // namespace ostrino
