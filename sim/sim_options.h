#pragma once
// Options of the simulated instrument (either generation).

#include <string>

namespace ostrino::sim {

enum class FaultKind {
    None,
    WrongEcho,        // echo a different character at faultPosition (1..18) of a command
    Silent,           // stop answering at all from faultPosition (1..18) of a command on
    TruncatedResult,  // a result stops after faultPosition characters, then silence
    BadGainIndex,     // field 9 of a result holds an index outside 0..7
};

struct SimOptions {
    std::string valve = "ECC82";   // see valveNames()
    int hardwareVersion = 1;       // 1: 6800 ohm dividers (300 V), 2: 5230 ohm (400 V)
    double supplyVoltage = 19.47;  // the instrument's own supply (V)
    bool lineRate = false;         // 9600 baud: about 1.04 ms per character each way
    double measureTime = 0.0;      // seconds from the last command character to the result
    FaultKind fault = FaultKind::None;
    int faultAfterCommands = 0;  // complete commands answered normally before the fault
    int faultPosition = 1;       // character position of the fault (see FaultKind)
};

// The simulated instrument as a program offers it to users: like the real thing on the
// wire, at 9600 baud with a short measurement. An empty valve keeps the default.
inline SimOptions realisticOptions(const std::string& valve, double measureTime) {
    SimOptions options;
    if (!valve.empty()) {
        options.valve = valve;
    }
    options.lineRate = true;
    options.measureTime = measureTime;
    return options;
}

}  // namespace ostrino::sim
