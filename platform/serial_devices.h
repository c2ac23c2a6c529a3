#pragma once
// The serial devices of the machine as the consoles show them (the communication window,
// --list-ports), and the advice that goes with a port that cannot be opened. Plain text
// work; the list itself comes from the platform (platform/qt/qt_serial_devices.h).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ostrino {

struct SerialDeviceInfo {
    std::string device;       // "/dev/ttyUSB0", "COM3"
    std::string description;  // "FT232R USB UART"; may be empty
    std::optional<std::uint16_t> vendorId;
    std::optional<std::uint16_t> productId;

    // A USB serial adapter tells its vendor.
    bool usb() const { return vendorId.has_value(); }
};

// Why a port could not be opened, as far as the advice to the user goes.
enum class OpenFault {
    Missing,    // no such device
    Forbidden,  // no permission to use it
    Busy,       // another program holds it (in use, or its lock is taken)
    Other,
};

inline constexpr const char* kNoSerialDevices = "No serial devices found.";

// "/dev/ttyUSB0  FT232R USB UART  USB 0403:6001": the device, its description ("-" when
// it has none) and, for a USB adapter, its vendor and product id in hex.
std::string serialDeviceLine(const SerialDeviceInfo& device);

// One line per device, the columns lined up, each line ending in "\n"; kNoSerialDevices
// on a line of its own when there are none.
std::string serialDeviceList(const std::vector<SerialDeviceInfo>& devices);

// The device a port number maps to: "COMn" on Windows, /dev/ttyUSB(n-1) elsewhere; and
// back (nullopt for a device no port number maps to).
std::string mappedSerialDevice(int portNumber);
std::optional<int> mappedPortNumber(std::string_view device);

// What the user can do about a port that could not be opened, as one or two sentences to
// append to the message, or empty when there is nothing to add.
//   device: the device that was tried; portNumber: the console's port number for it, or 0
//   when the device was named on the command line (--serial); portCount: the numbers the
//   console offers (1..portCount); devices: the serial devices of the machine.
std::string openFaultAdvice(OpenFault fault, std::string_view device, int portNumber, int portCount,
                            const std::vector<SerialDeviceInfo>& devices);

}  // namespace ostrino
