#include "console1/gen1_command_line.h"

#include "sim/valve_models.h"

namespace ostrino::gen1 {

CommandLine parseCommandLine(const std::vector<std::string>& args) {
    CommandLine cl;
    const std::string needDevice = "--serial needs a device, for example --serial /dev/ttyUSB0";
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--serial") {
            if (i + 1 >= args.size() || args[i + 1].empty()) {
                cl.error = needDevice;
                return cl;
            }
            cl.serialDevice = args[++i];
        } else if (a.rfind("--serial=", 0) == 0) {
            cl.serialDevice = a.substr(9);
            if (cl.serialDevice.empty()) {
                cl.error = needDevice;
                return cl;
            }
        } else if (a == "--simulate") {
            cl.simulate = true;
        } else if (a.rfind("--simulate=", 0) == 0) {
            cl.simulate = true;
            cl.valve = a.substr(11);
            if (sim::findValve(cl.valve) == nullptr) {
                cl.error = "--simulate= needs a valve name (ECC83, ECC82, 300B or EL84)";
                return cl;
            }
        } else if (a == "--help" || a == "-h") {
            cl.help = true;
        } else if (a == "--version") {
            cl.version = true;
        } else {
            cl.error = "unknown option " + a;
            return cl;
        }
    }
    if (cl.simulate && !cl.serialDevice.empty()) {
        cl.error = "--simulate and --serial cannot be used together";
    }
    return cl;
}

std::string usageText(const std::string& program) {
    return "Usage: " + program +
           " [options]\n"
           "Console of the first-generation Ostrino valve tester.\n"
           "\n"
           "Options:\n"
           "  --simulate[=VALVE]  use the built-in simulated instrument (valves: ECC83, ECC82,\n"
           "                      300B, EL84; default ECC82)\n"
           "  --serial DEVICE     open DEVICE (/dev/ttyUSB0, /dev/pts/3, COM3) whatever port\n"
           "                      the COM list shows\n"
           "  --help              show this text\n"
           "  --version           show the version\n";
}

}  // namespace ostrino::gen1
