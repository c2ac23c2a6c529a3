#pragma once
// What the consoles need of a serial port: 9600 baud, no parity, 8 data bits, 1 stop
// bit, DTR low, no receive notifications; characters are written and read singly.

#include <string>
#include <string_view>
#include <vector>

#include "platform/serial_devices.h"

namespace ostrino {

class SerialPort {
  public:
    virtual ~SerialPort() = default;

    // Opens port number n (1-based) at 9600,N,8,1 without DTR. On failure returns false
    // and names the device and the reason in error ("/dev/ttyUSB0: No such file or directory").
    virtual bool open(int portNumber, std::string& error) = 0;
    virtual bool isOpen() const = 0;
    virtual void close() = 0;
    // Writes the characters and hands them to the driver. False when the port is not open
    // or the device refused them; failure() then tells why.
    virtual bool write(std::string_view text) = 0;
    // Number of received characters waiting to be read.
    virtual int charsWaiting() = 0;
    // Reads one waiting character; false when none is waiting.
    virtual bool readChar(char& c) = 0;
    // Blocks, without spinning, until a character is waiting or the time-out (seconds)
    // has passed on the monotonic clock. True when a character is waiting. Returns false
    // at once when the device reports an error or hangs up (see failure()).
    virtual bool waitForChar(double timeoutSeconds) = 0;
    // The device the port number maps to (for messages).
    virtual std::string deviceName(int portNumber) const = 0;
    // Why the open port stopped working (a write, a flush or a read failed, or the device
    // hung up), with the device and the system's reason ("/dev/pts/3: the device hung up",
    // "/dev/ttyUSB0: Input/output error"); empty while it works. Opening and closing the
    // port clear it.
    virtual std::string failure() const { return {}; }
    // Why the last open failed, for the advice that goes with its message.
    virtual OpenFault openFault() const { return OpenFault::Other; }
    // The serial devices of the machine (empty where there are none to tell).
    virtual std::vector<SerialDeviceInfo> serialDevices() const { return {}; }
};

}  // namespace ostrino
