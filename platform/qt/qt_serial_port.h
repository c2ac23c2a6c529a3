#pragma once
// The serial port on QSerialPort, used in blocking mode from the window thread.

#include <QSerialPort>
#include <string>

#include "platform/serial_port.h"

namespace ostrino {

class QtSerialPort : public SerialPort {
  public:
    // overrideDevice, when not empty, is opened whatever the port number (--serial).
    explicit QtSerialPort(std::string overrideDevice = {});

    bool open(int portNumber, std::string& error) override;
    bool isOpen() const override;
    void close() override;
    void write(std::string_view text) override;
    int charsWaiting() override;
    bool readChar(char& c) override;
    bool waitForChar(double timeoutSeconds) override;
    std::string deviceName(int portNumber) const override;

    // "COMn" on Windows, /dev/ttyUSB{n-1} elsewhere.
    static std::string mappedDevice(int portNumber);

  private:
    std::string overrideDevice_;
    QSerialPort port_;
};

}  // namespace ostrino
