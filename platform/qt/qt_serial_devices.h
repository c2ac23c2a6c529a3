#pragma once
// The machine's serial devices, as Qt's serial-port information finds them.

#include <vector>

#include "platform/serial_devices.h"

namespace ostrino {

// Sorted by device name.
std::vector<SerialDeviceInfo> systemSerialDevices();

// --list-ports: prints serialDeviceList of the machine's devices on standard output and
// returns the exit status (0).
int printSerialDevices();

}  // namespace ostrino
