#pragma once
// The calibration record: ten multiplicative factors (nominal 1.000), the serial port
// number and the hardware version. The file that keeps it lives with the file handling.

#include <array>
#include <string>

namespace ostrino {

struct CalibrationRecord {
    // dblCalVar1 .. dblCalVar10, kept in an array so that windows and files can loop.
    std::array<double, 10> factors{1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0};
    int intCOMport = 1;  // 1-based serial port number
    int intVersion = 1;  // 1 = version 3 (300 V supplies), 2 = version 3+ (400 V supplies)
    std::string strCalibrationFile = "Ostrino_3p11.cal";

    // dblCalVar(k) for k = 1..10.
    double& dblCalVar(int k) { return factors.at(static_cast<std::size_t>(k - 1)); }
    double dblCalVar(int k) const { return factors.at(static_cast<std::size_t>(k - 1)); }

    // Highest anode and screen voltage of the hardware version.
    double maxAnodeVoltage() const { return intVersion == 1 ? 300.0 : 400.0; }

    // Lower resistor of the anode and screen dividers for the hardware version (ohm).
    double rHv() const { return intVersion == 1 ? 6800.0 : 5230.0; }
};

}  // namespace ostrino
