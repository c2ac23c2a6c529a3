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
    bool write(std::string_view text) override;
    int charsWaiting() override;
    bool readChar(char& c) override;
    bool waitForChar(double timeoutSeconds) override;
    std::string deviceName(int portNumber) const override;
    std::string failure() const override;
    OpenFault openFault() const override { return openFault_; }
    std::vector<SerialDeviceInfo> serialDevices() const override;

    // "COMn" on Windows, /dev/ttyUSB{n-1} elsewhere.
    static std::string mappedDevice(int portNumber) { return mappedSerialDevice(portNumber); }

  private:
    // Keeps the reason of an error the port reported (not a time-out) and clears it. With
    // refused, the call failed whatever the port says: its reason is kept even without an
    // error of the port's own.
    void noteFailure(const char* refused = nullptr);

    std::string overrideDevice_;
    std::string openDevice_;  // as it was named, for messages
    std::string failure_;
    OpenFault openFault_ = OpenFault::Other;
    QSerialPort port_;
};

}  // namespace ostrino
