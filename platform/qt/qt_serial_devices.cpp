#include "platform/qt/qt_serial_devices.h"

#include <QSerialPortInfo>
#include <algorithm>
#include <cstdio>

namespace ostrino {

std::vector<SerialDeviceInfo> systemSerialDevices() {
    std::vector<SerialDeviceInfo> devices;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        SerialDeviceInfo d;
        d.device = info.systemLocation().toStdString();
        d.description = info.description().trimmed().toStdString();
        if (info.hasVendorIdentifier()) {
            d.vendorId = info.vendorIdentifier();
        }
        if (info.hasProductIdentifier()) {
            d.productId = info.productIdentifier();
        }
        devices.push_back(std::move(d));
    }
    std::sort(
        devices.begin(), devices.end(),
        [](const SerialDeviceInfo& a, const SerialDeviceInfo& b) { return a.device < b.device; });
    return devices;
}

int printSerialDevices() {
    std::fputs(serialDeviceList(systemSerialDevices()).c_str(), stdout);
    return 0;
}

}  // namespace ostrino
