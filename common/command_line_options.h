#pragma once
// The command-line options that both consoles take: how to reach the instrument, and the
// usual --help and --version.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace ostrino {

struct CommonOptions {
    std::string serialDevice;  // --serial DEVICE
    bool simulate = false;     // --simulate[=VALVE]
    std::string valve;         // empty: the simulator's default valve
    bool listPorts = false;    // --list-ports
    bool help = false;
    bool version = false;
    std::string error;  // not empty when the arguments cannot be used
};

// Why a --simulate=VALVE cannot be used, or an empty string when it can.
using ValveCheck = std::function<std::string(const std::string& valve)>;

// When args[i] is one of the common options, takes it (with the value after it, moving i
// on) and returns true; an unusable value sets options.error.
bool takeCommonOption(const std::vector<std::string>& args, std::size_t& i, CommonOptions& options,
                      const ValveCheck& checkValve);

// After every argument is taken: the common options that cannot go together.
void checkCommonOptions(CommonOptions& options);

// Takes a program's own options (takeOwn: true when args[i] was one, moving i past its
// value; an unusable one sets options.error), the common options, and calls anything else
// an unknown option; stops at the first error, else checks the common options.
using OwnOptionTaker = std::function<bool(std::size_t& i)>;
void takeOptions(const std::vector<std::string>& args, CommonOptions& options,
                 const ValveCheck& checkValve, const OwnOptionTaker& takeOwn = {});

// Bad arguments, --help and --version are answered on the terminal, and the program ends
// there with the exit code returned; nullopt when it goes on (--list-ports is the
// program's to answer, as it needs the platform's list of devices).
std::optional<int> answerOnTerminal(const CommonOptions& options, const std::string& program,
                                    const std::string& usage, const std::string& versionLine);

}  // namespace ostrino
