#pragma once
// The first-generation console's logic on the in-process simulated instrument, with a
// fake clock and scripted dialogs.

#include <string>
#include <vector>

#include "console1/gen1_console.h"
#include "sim/instrument_gen1.h"
#include "sim/sim_serial_port.h"
#include "tests/support/fake_clock.h"
#include "tests/support/scripted_dialogs.h"

namespace ostrino::gen1::test {

struct Gen1Rig {
    explicit Gen1Rig(sim::SimOptions options = {})
        : port(std::make_unique<sim::InstrumentGen1>(options), clock),
          console(state, port, clock, dialogs) {
        console.DrawPicture = [this] { ++draws; };
        port.instrument().setCommandListener(
            [this](const std::string& cmd) { commands.push_back(cmd); });
        console.Form_Load();
        draws = 0;
    }

    // The commands of one code ("10", "40" ...) that the instrument carried out.
    std::vector<std::string> commandsOf(const std::string& code) const {
        std::vector<std::string> out;
        for (const auto& c : commands) {
            if (c.rfind(code, 0) == 0) {
                out.push_back(c);
            }
        }
        return out;
    }
    void heaterOn() { console.cmdMeasStart_Click(); }
    void measure() { console.cmdMeasStart_Click(); }
    // Measured points of the result matrix (positive curve numbers).
    int measuredPoints() const {
        int n = 0;
        for (const auto& row : state.result.cells) {
            n += row[ResultMatrix::Curve] >= 1 ? 1 : 0;
        }
        return n;
    }

    ostrino::test::FakeClock clock;
    ostrino::test::ScriptedDialogs dialogs;
    Gen1State state;
    sim::SimSerialPort port;
    Console1 console;
    std::vector<std::string> commands;
    int draws = 0;
};

}  // namespace ostrino::gen1::test
