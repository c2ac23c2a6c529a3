#pragma once
// A port that cannot be opened, as a missing adapter behaves: port n is /dev/ttyUSB(n-1),
// and opening it fails with "No such file or directory".

#include <string>
#include <string_view>

#include "platform/serial_port.h"

namespace ostrino::test {

class MissingPort : public SerialPort {
  public:
    bool open(int n, std::string& error) override {
        opened = n;
        error = deviceName(n) + ": No such file or directory";
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
    std::string deviceName(int n) const override { return "/dev/ttyUSB" + std::to_string(n - 1); }

    int opened = 0;  // the port number last tried
    int writes = 0;
};

}  // namespace ostrino::test
