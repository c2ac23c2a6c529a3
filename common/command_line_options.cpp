#include "common/command_line_options.h"

#include <cstdio>

namespace ostrino {

bool takeCommonOption(const std::vector<std::string>& args, std::size_t& i, CommonOptions& options,
                      const ValveCheck& checkValve) {
    const std::string needDevice = "--serial needs a device, for example --serial /dev/ttyUSB0";
    const std::string& a = args[i];
    if (a == "--serial") {
        if (i + 1 >= args.size() || args[i + 1].empty()) {
            options.error = needDevice;
        } else {
            options.serialDevice = args[++i];
        }
    } else if (a.rfind("--serial=", 0) == 0) {
        options.serialDevice = a.substr(9);
        if (options.serialDevice.empty()) {
            options.error = needDevice;
        }
    } else if (a == "--simulate") {
        options.simulate = true;
    } else if (a.rfind("--simulate=", 0) == 0) {
        options.simulate = true;
        options.valve = a.substr(11);
        options.error = checkValve(options.valve);
    } else if (a == "--list-ports") {
        options.listPorts = true;
    } else if (a == "--help" || a == "-h") {
        options.help = true;
    } else if (a == "--version") {
        options.version = true;
    } else {
        return false;
    }
    return true;
}

void checkCommonOptions(CommonOptions& options) {
    if (options.simulate && !options.serialDevice.empty()) {
        options.error = "--simulate and --serial cannot be used together";
    }
}

std::optional<int> answerOnTerminal(const CommonOptions& options, const std::string& program,
                                    const std::string& usage, const std::string& versionLine) {
    if (!options.error.empty()) {
        std::fprintf(stderr, "%s: %s\n%s", program.c_str(), options.error.c_str(), usage.c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(usage.c_str(), stdout);
        return 0;
    }
    if (options.version) {
        std::puts(versionLine.c_str());
        return 0;
    }
    return std::nullopt;
}

void takeOptions(const std::vector<std::string>& args, CommonOptions& options,
                 const ValveCheck& checkValve, const OwnOptionTaker& takeOwn) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (!(takeOwn && takeOwn(i)) && !takeCommonOption(args, i, options, checkValve)) {
            options.error = "unknown option " + args[i];
        }
        if (!options.error.empty()) {
            return;
        }
    }
    checkCommonOptions(options);
}

}  // namespace ostrino
