#pragma once
// A port that cannot be opened, as a missing adapter behaves: port n is /dev/ttyUSB(n-1),
// and opening it fails with "No such file or directory". The fault, its reason, the device
// named on the command line and the machine's serial devices can be set for other cases.

#include <string>
#include <string_view>
#include <vector>

#include "platform/serial_port.h"

namespace ostrino::test {

class MissingPort : public SerialPort {
  public:
    bool open(int n, std::string& error) override {
        opened = n;
        error = deviceName(n) + ": " + reason;
        return false;
    }
    bool isOpen() const override { return false; }
    void close() override {}
    bool write(std::string_view) override {
        ++writes;
        return false;
    }
    int charsWaiting() override { return 0; }
    bool readChar(char&) override { return false; }
    bool waitForChar(double) override { return false; }
    std::string deviceName(int n) const override {
        return overrideDevice.empty() ? "/dev/ttyUSB" + std::to_string(n - 1) : overrideDevice;
    }
    OpenFault openFault() const override { return fault; }
    std::vector<SerialDeviceInfo> serialDevices() const override { return devices; }

    OpenFault fault = OpenFault::Missing;
    std::string reason = "No such file or directory";
    std::string overrideDevice;  // --serial
    std::vector<SerialDeviceInfo> devices;

    int opened = 0;  // the port number last tried
    int writes = 0;
};

}  // namespace ostrino::test
