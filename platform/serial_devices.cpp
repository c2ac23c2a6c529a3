#include "platform/serial_devices.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace ostrino {

namespace {

std::string hex4(std::uint16_t v) {
    char text[8];
    std::snprintf(text, sizeof text, "%04x", static_cast<unsigned>(v));
    return text;
}

std::string usbIds(const SerialDeviceInfo& d) {
    if (!d.usb()) {
        return {};
    }
    return "USB " + hex4(*d.vendorId) + ":" + (d.productId ? hex4(*d.productId) : "????");
}

std::string descriptionOf(const SerialDeviceInfo& d) {
    return d.description.empty() ? "-" : d.description;
}

// "/dev/ttyUSB1 (FT232R USB UART, USB 0403:6001)"
std::string namedAdapter(const SerialDeviceInfo& d) {
    std::string text = d.device + " (";
    if (!d.description.empty()) {
        text += d.description + ", ";
    }
    return text + usbIds(d) + ")";
}

#ifdef _WIN32
constexpr std::string_view kMappedPrefix = "COM";
constexpr int kFirstMappedNumber = 1;
#else
constexpr std::string_view kMappedPrefix = "/dev/ttyUSB";
constexpr int kFirstMappedNumber = 0;
#endif

}  // namespace

std::string serialDeviceLine(const SerialDeviceInfo& device) {
    std::string line = device.device + "  " + descriptionOf(device);
    if (device.usb()) {
        line += "  " + usbIds(device);
    }
    return line;
}

std::string serialDeviceList(const std::vector<SerialDeviceInfo>& devices) {
    if (devices.empty()) {
        return std::string(kNoSerialDevices) + "\n";
    }
    std::size_t deviceWidth = 0;
    std::size_t descriptionWidth = 0;
    for (const SerialDeviceInfo& d : devices) {
        deviceWidth = std::max(deviceWidth, d.device.size());
        descriptionWidth = std::max(descriptionWidth, descriptionOf(d).size());
    }
    std::string text;
    for (const SerialDeviceInfo& d : devices) {
        std::string line = d.device;
        line.resize(deviceWidth + 2, ' ');
        line += descriptionOf(d);
        if (d.usb()) {
            line.resize(deviceWidth + 2 + descriptionWidth + 2, ' ');
            line += usbIds(d);
        }
        text += line + "\n";
    }
    return text;
}

std::string mappedSerialDevice(int portNumber) {
    return std::string(kMappedPrefix) + std::to_string(portNumber - 1 + kFirstMappedNumber);
}

std::optional<int> mappedPortNumber(std::string_view device) {
    if (device.substr(0, kMappedPrefix.size()) != kMappedPrefix) {
        return std::nullopt;
    }
    const std::string_view digits = device.substr(kMappedPrefix.size());
    int n = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), n);
    if (ec != std::errc() || end != digits.data() + digits.size() || n < kFirstMappedNumber ||
        n > 998) {
        return std::nullopt;
    }
    return n + 1 - kFirstMappedNumber;
}

std::string openFaultAdvice(OpenFault fault, std::string_view device, int portNumber, int portCount,
                            const std::vector<SerialDeviceInfo>& devices) {
    switch (fault) {
        case OpenFault::Forbidden:
            return "To be allowed to use it, add yourself to the group dialout and log in again.";
        case OpenFault::Busy:
            return "Another program holds the port; close that program and try again.";
        case OpenFault::Other:
            return {};
        case OpenFault::Missing:
            break;
    }
    const SerialDeviceInfo* adapter = nullptr;
    for (const SerialDeviceInfo& d : devices) {
        if (d.usb()) {
            if (adapter != nullptr) {
                return {};  // several: the user has to say which
            }
            adapter = &d;
        }
    }
    if (adapter == nullptr || adapter->device == device) {
        return {};
    }
    std::string advice = "The only USB serial adapter here is " + namedAdapter(*adapter) + ": ";
    const std::optional<int> number = mappedPortNumber(adapter->device);
    if (portNumber > 0 && number && *number <= portCount) {
        advice += "choose port " + std::to_string(*number) + ".";
    } else {
        advice += "start the console with --serial " + adapter->device + ".";
    }
    return advice;
}

}  // namespace ostrino
