#include "platform/qt/qt_beeper.h"

#include <QApplication>
#include <QThread>

namespace ostrino {

void QtBeeper::beep(int /*frequencyHz*/, int durationMs) {
    QApplication::beep();
    if (durationMs > 0) {
        QThread::msleep(static_cast<unsigned long>(durationMs));
    }
}

}  // namespace ostrino
