#include "app/ostrino1/gen1_command_line.h"

#include "sim/valve_models.h"

namespace ostrino::gen1 {

CommandLine parseCommandLine(const std::vector<std::string>& args) {
    CommandLine cl;
    const ValveCheck checkValve = [](const std::string& valve) -> std::string {
        return sim::findValve(valve) == nullptr
                   ? "--simulate= needs a valve name (ECC83, ECC82, 300B or EL84)"
                   : "";
    };
    takeOptions(args, cl, checkValve);
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
           "  --list-ports        print the machine's serial devices, one per line (device,\n"
           "                      description, USB vendor:product id), and exit\n"
           "  --help              show this text\n"
           "  --version           show the version\n";
}

}  // namespace ostrino::gen1
