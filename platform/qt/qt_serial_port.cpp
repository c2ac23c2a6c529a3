#include "platform/qt/qt_serial_port.h"

#include <QElapsedTimer>
#include <QThread>
#include <cmath>

namespace ostrino {

QtSerialPort::QtSerialPort(std::string overrideDevice)
    : overrideDevice_(std::move(overrideDevice)) {}

std::string QtSerialPort::mappedDevice(int portNumber) {
#ifdef Q_OS_WIN
    return "COM" + std::to_string(portNumber);
#else
    return "/dev/ttyUSB" + std::to_string(portNumber - 1);
#endif
}

std::string QtSerialPort::deviceName(int portNumber) const {
    return overrideDevice_.empty() ? mappedDevice(portNumber) : overrideDevice_;
}

bool QtSerialPort::open(int portNumber, std::string& error) {
    if (port_.isOpen()) {
        return true;
    }
    const std::string device = deviceName(portNumber);
    port_.setPortName(QString::fromStdString(device));
    port_.setBaudRate(QSerialPort::Baud9600);
    port_.setDataBits(QSerialPort::Data8);
    port_.setParity(QSerialPort::NoParity);
    port_.setStopBits(QSerialPort::OneStop);
    port_.setFlowControl(QSerialPort::NoFlowControl);
    if (!port_.open(QIODevice::ReadWrite)) {
        error = device + ": " + port_.errorString().toStdString();
        port_.clearError();
        return false;
    }
    // DTR stays low. A pseudo-terminal has no modem lines and refuses this: harmless.
    port_.setDataTerminalReady(false);
    port_.clearError();
    return true;
}

bool QtSerialPort::isOpen() const {
    return port_.isOpen();
}

void QtSerialPort::close() {
    if (port_.isOpen()) {
        port_.close();
    }
    port_.clearError();
}

void QtSerialPort::write(std::string_view text) {
    if (!port_.isOpen()) {
        return;
    }
    port_.write(text.data(), static_cast<qint64>(text.size()));
    // Hand the characters to the driver now; nobody runs an event loop for us.
    port_.waitForBytesWritten(100);
}

int QtSerialPort::charsWaiting() {
    if (!port_.isOpen()) {
        return 0;
    }
    if (port_.bytesAvailable() == 0) {
        port_.waitForReadyRead(0);
    }
    return static_cast<int>(port_.bytesAvailable());
}

bool QtSerialPort::readChar(char& c) {
    if (!port_.isOpen() || charsWaiting() == 0) {
        return false;
    }
    return port_.getChar(&c);
}

bool QtSerialPort::waitForChar(double timeoutSeconds) {
    if (charsWaiting() > 0) {
        return true;
    }
    if (!port_.isOpen() || timeoutSeconds <= 0.0) {
        return false;
    }
    const int ms = static_cast<int>(std::ceil(timeoutSeconds * 1000.0));
    QElapsedTimer timer;
    timer.start();
    if (port_.waitForReadyRead(ms)) {
        return port_.bytesAvailable() > 0;
    }
    // A vanished device makes the wait return at once; sleep the rest of the time-out
    // instead of letting the caller spin on it.
    if (port_.error() != QSerialPort::NoError && port_.error() != QSerialPort::TimeoutError) {
        const qint64 left = ms - timer.elapsed();
        if (left > 0) {
            QThread::msleep(static_cast<unsigned long>(left));
        }
    }
    port_.clearError();
    return port_.bytesAvailable() > 0;
}

}  // namespace ostrino
