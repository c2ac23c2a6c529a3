// The list of serial devices as the consoles print it, and what the message of a port
// that cannot be opened adds.

#include "platform/serial_devices.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/serial_exchange.h"
#include "tests/support/fake_clock.h"
#include "tests/support/missing_port.h"

namespace ostrino {
namespace {

const SerialDeviceInfo kBuiltIn{"/dev/ttyS0", "", std::nullopt, std::nullopt};
const SerialDeviceInfo kFtdi{"/dev/ttyUSB1", "FT232R USB UART", 0x0403, 0x6001};
const SerialDeviceInfo kArduino{"/dev/ttyACM0", "Arduino Uno", 0x2341, 0x43};
const SerialDeviceInfo kNoProduct{"/dev/ttyUSB0", "", 0xa, std::nullopt};

TEST(SerialDevices, ListLinesUpTheColumns) {
    struct Case {
        std::vector<SerialDeviceInfo> devices;
        const char* text;
    };
    const Case cases[] = {
        {{}, "No serial devices found.\n"},
        {{kBuiltIn}, "/dev/ttyS0  -\n"},
        {{kNoProduct}, "/dev/ttyUSB0  -  USB 000a:????\n"},
        {{kBuiltIn, kFtdi, kArduino},
         "/dev/ttyS0    -\n"
         "/dev/ttyUSB1  FT232R USB UART  USB 0403:6001\n"
         "/dev/ttyACM0  Arduino Uno      USB 2341:0043\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(serialDeviceList(c.devices), c.text);
    }
    // The window shows each device on its own, without the padding.
    EXPECT_EQ(serialDeviceLine(kFtdi), "/dev/ttyUSB1  FT232R USB UART  USB 0403:6001");
}

TEST(SerialDevices, PortNumbersMapToUsbDevicesAndBack) {
    EXPECT_EQ(mappedSerialDevice(1), "/dev/ttyUSB0");
    EXPECT_EQ(mappedSerialDevice(10), "/dev/ttyUSB9");
    const std::pair<const char*, std::optional<int>> back[] = {
        {"/dev/ttyUSB0", 1},
        {"/dev/ttyUSB12", 13},
        {"/dev/ttyUSB", std::nullopt},
        {"/dev/ttyUSB-1", std::nullopt},
        {"/dev/ttyUSB1x", std::nullopt},
        {"/dev/ttyACM0", std::nullopt},
    };
    for (const auto& [device, number] : back) {
        EXPECT_EQ(mappedPortNumber(device), number) << device;
    }
}

// The reason the port gives, then what the user can do about it.
TEST(SerialDevices, APortThatCannotBeOpenedSaysWhatToDo) {
    struct Case {
        OpenFault fault;
        const char* reason;
        std::vector<SerialDeviceInfo> devices;
        const char* overrideDevice;
        int portCount;
        const char* problem;
    };
    const Case cases[] = {
        {OpenFault::Forbidden,
         "Permission denied",
         {},
         "",
         10,
         "The serial port could not be opened (/dev/ttyUSB2: Permission denied). To be allowed "
         "to use it, add yourself to the group dialout and log in again."},
        {OpenFault::Busy,
         "Device or resource busy",
         {},
         "",
         10,
         "The serial port could not be opened (/dev/ttyUSB2: Device or resource busy). Another "
         "program holds the port; close that program and try again."},
        {OpenFault::Busy,
         "Permission error while locking the device",
         {},
         "",
         10,
         "The serial port could not be opened (/dev/ttyUSB2: Permission error while locking "
         "the device). Another program holds the port; close that program and try again."},
        // Port 3 is missing, but one adapter is there: its number, or --serial.
        {OpenFault::Missing,
         "No such file or directory",
         {kBuiltIn, kFtdi},
         "",
         10,
         "The serial port could not be opened (/dev/ttyUSB2: No such file or directory). The "
         "only USB serial adapter here is /dev/ttyUSB1 (FT232R USB UART, USB 0403:6001): "
         "choose port 2."},
        {OpenFault::Missing,
         "No such file or directory",
         {kArduino},
         "",
         10,
         "The serial port could not be opened (/dev/ttyUSB2: No such file or directory). The "
         "only USB serial adapter here is /dev/ttyACM0 (Arduino Uno, USB 2341:0043): start the "
         "console with --serial /dev/ttyACM0."},
        {OpenFault::Missing,
         "No such file or directory",
         {kFtdi},
         "/dev/instrument",
         10,
         "The serial port could not be opened (/dev/instrument: No such file or directory). The "
         "only USB serial adapter here is /dev/ttyUSB1 (FT232R USB UART, USB 0403:6001): start "
         "the console with --serial /dev/ttyUSB1."},
        {OpenFault::Missing,
         "No such file or directory",
         {{"/dev/ttyUSB7", "", 0x0403, 0x6001}},
         "",
         4,
         "The serial port could not be opened (/dev/ttyUSB2: No such file or directory). The "
         "only USB serial adapter here is /dev/ttyUSB7 (USB 0403:6001): start the console with "
         "--serial /dev/ttyUSB7."},
        // Nothing to add: no adapter, several adapters, or some other reason.
        {OpenFault::Missing,
         "No such file or directory",
         {kBuiltIn},
         "",
         10,
         "The serial port could not be opened (/dev/ttyUSB2: No such file or directory)"},
        {OpenFault::Missing,
         "No such file or directory",
         {kFtdi, kArduino},
         "",
         10,
         "The serial port could not be opened (/dev/ttyUSB2: No such file or directory)"},
        {OpenFault::Other,
         "Input/output error",
         {kFtdi},
         "",
         10,
         "The serial port could not be opened (/dev/ttyUSB2: Input/output error)"},
    };
    for (const Case& c : cases) {
        test::MissingPort port;
        port.fault = c.fault;
        port.reason = c.reason;
        port.devices = c.devices;
        port.overrideDevice = c.overrideDevice;
        test::FakeClock clock;
        const LinkProfile profile{18, 38, 2.0, 10.0, '\'', 0.1, false, false, c.portCount};
        SerialExchange exchange(port, clock, profile);
        EXPECT_FALSE(exchange.open(3).ok());
        EXPECT_EQ(exchange.takePortProblem(), c.problem);
    }
}

}  // namespace
}  // namespace ostrino
