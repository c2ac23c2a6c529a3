#include "platform/qt/qt_serial_port.h"

#include <cerrno>
#include <cmath>
#include <cstring>

#include "platform/qt/qt_serial_devices.h"

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace ostrino {

namespace {

constexpr const char* kNotSerial = "not a serial device";

bool isFault(QSerialPort::SerialPortError e) {
    return e != QSerialPort::NoError && e != QSerialPort::TimeoutError;
}

// Whether a device that could not be opened as a serial port is a terminal at all: a
// character device without line settings (/dev/null) is not. Asked only after the line
// settings were refused, so that a working port is opened once.
bool isTerminal(const std::string& device) {
#ifdef Q_OS_WIN
    (void)device;
    return true;
#else
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return true;  // missing, busy or forbidden: the port's own reason says which
    }
    const bool terminal = ::isatty(fd) == 1;
    ::close(fd);
    return terminal;
#endif
}

// Why QSerialPort refused to open the device. It reports a device in use (EBUSY) and a
// lock file held by another program as a permission error too; only the system's own
// refusal is one.
OpenFault classify(QSerialPort::SerialPortError e, const std::string& device) {
    switch (e) {
        case QSerialPort::DeviceNotFoundError:
            return OpenFault::Missing;
        case QSerialPort::PermissionError:
#ifndef Q_OS_WIN
            if (::access(device.c_str(), R_OK | W_OK) != 0 && errno == EACCES) {
                return OpenFault::Forbidden;
            }
#endif
            return OpenFault::Busy;
        default:
            return OpenFault::Other;
    }
}

}  // namespace

QtSerialPort::QtSerialPort(std::string overrideDevice)
    : overrideDevice_(std::move(overrideDevice)) {}

std::string QtSerialPort::deviceName(int portNumber) const {
    return overrideDevice_.empty() ? mappedDevice(portNumber) : overrideDevice_;
}

bool QtSerialPort::open(int portNumber, std::string& error) {
    if (port_.isOpen()) {
        return true;
    }
    failure_.clear();
    openFault_ = OpenFault::Other;
    const std::string device = deviceName(portNumber);
#ifndef Q_OS_WIN
    // A file, a folder or a pipe is no serial device, whatever opening it would say.
    struct stat st {};
    if (::stat(device.c_str(), &st) == 0 && !S_ISCHR(st.st_mode)) {
        error = device + ": " + kNotSerial;
        return false;
    }
#endif
    port_.setPortName(QString::fromStdString(device));
    port_.setBaudRate(QSerialPort::Baud9600);
    port_.setDataBits(QSerialPort::Data8);
    port_.setParity(QSerialPort::NoParity);
    port_.setStopBits(QSerialPort::OneStop);
    port_.setFlowControl(QSerialPort::NoFlowControl);
    if (!port_.open(QIODevice::ReadWrite)) {
        // Line settings refused (ENOTTY and the like): most likely no terminal at all.
        const bool notSerial =
            port_.error() == QSerialPort::UnsupportedOperationError && !isTerminal(device);
        error = device + ": " +
                (notSerial ? std::string(kNotSerial) : port_.errorString().toStdString());
        openFault_ = notSerial ? OpenFault::Other : classify(port_.error(), device);
        port_.clearError();
        return false;
    }
    openDevice_ = device;
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
    failure_.clear();
}

std::vector<SerialDeviceInfo> QtSerialPort::serialDevices() const {
    return systemSerialDevices();
}

std::string QtSerialPort::failure() const {
    return failure_;
}

void QtSerialPort::noteFailure(const char* refused) {
    if (!isFault(port_.error()) && refused == nullptr) {
        port_.clearError();
        return;
    }
    const int err = errno;  // as the failing call left it
    if (failure_.empty()) {
        std::string reason;
#ifndef Q_OS_WIN
        // The other end gone (a pseudo-terminal's master closed, an adapter pulled) reads
        // as an end of file, which leaves the error text without a cause.
        pollfd p{static_cast<int>(port_.handle()), 0, 0};
        if (::poll(&p, 1, 0) == 1 && (p.revents & POLLHUP) != 0) {
            reason = "the device hung up";
        }
#endif
        if (reason.empty() && err != 0) {
            // The system's own words: the port's text when it raised the error, else errno's.
            reason = isFault(port_.error()) ? port_.errorString().toStdString()
                                            : std::string(std::strerror(err));
        }
        if (reason.empty()) {
            reason = refused != nullptr ? refused : "the device reported an error";
        }
        failure_ = openDevice_ + ": " + reason;
    }
    port_.clearError();
}

bool QtSerialPort::write(std::string_view text) {
    if (!port_.isOpen() || !failure_.empty()) {
        return false;
    }
    errno = 0;
    const auto size = static_cast<qint64>(text.size());
    if (port_.write(text.data(), size) != size) {
        noteFailure("the characters were not taken");
        return false;
    }
    // Hand the characters to the driver now; nobody runs an event loop for us. Still
    // waiting after the pause is a slow line, not a fault: the echo wait tells a dead one.
    errno = 0;
    if (!port_.waitForBytesWritten(100)) {
        noteFailure();
    }
    return failure_.empty();
}

int QtSerialPort::charsWaiting() {
    if (!port_.isOpen()) {
        return 0;
    }
    if (port_.bytesAvailable() == 0 && failure_.empty()) {
        errno = 0;
        port_.waitForReadyRead(0);
        noteFailure();
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
    if (!port_.isOpen() || !failure_.empty() || timeoutSeconds <= 0.0) {
        return false;
    }
    const int ms = static_cast<int>(std::ceil(timeoutSeconds * 1000.0));
    errno = 0;
    port_.waitForReadyRead(ms);
    // An error or hang-up ends the wait at once; failure() then tells why.
    noteFailure();
    return port_.bytesAvailable() > 0;
}

}  // namespace ostrino
