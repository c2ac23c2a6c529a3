#include "app/ostrino3/command_line.h"

namespace ostrino {

CommandLine parseCommandLine(const std::vector<std::string>& args) {
    CommandLine cl;
    // The simulator falls back to its default valve for a name it does not know.
    const ValveCheck checkValve = [](const std::string& valve) -> std::string {
        return valve.empty() ? "--simulate= needs a valve name, for example --simulate=ECC82" : "";
    };
    auto valueOf = [&](std::size_t& i, const std::string& option, std::string& target) {
        if (i + 1 >= args.size() || args[i + 1].empty()) {
            cl.error = option + " needs a file name";
            return false;
        }
        target = args[++i];
        return true;
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--batch" || a == "--save-data" || a == "--save-plot" || a == "--save-setup") {
            std::string& target = a == "--batch"       ? cl.batchSetup
                                  : a == "--save-data" ? cl.saveData
                                  : a == "--save-plot" ? cl.savePlot
                                                       : cl.saveSetup;
            if (!valueOf(i, a, target)) {
                return cl;
            }
        } else if (a == "--ping") {
            cl.ping = true;
        } else if (takeCommonOption(args, i, cl, checkValve)) {
            if (!cl.error.empty()) {
                return cl;
            }
        } else {
            cl.error = "unknown option " + a;
            return cl;
        }
    }
    checkCommonOptions(cl);
    if (!cl.error.empty()) {
        return cl;
    }
    if (cl.batchSetup.empty() &&
        !(cl.saveData.empty() && cl.savePlot.empty() && cl.saveSetup.empty())) {
        cl.error = "--save-data, --save-plot and --save-setup go with --batch";
    } else if (!cl.batchSetup.empty() && cl.ping) {
        cl.error = "--batch and --ping cannot be used together";
    }
    return cl;
}

std::string usageText(const std::string& program) {
    return "Usage: " + program +
           " [options]\n"
           "Console of the third-generation Ostrino valve tester.\n"
           "\n"
           "Options:\n"
           "  --simulate[=VALVE]  use the built-in simulated instrument (valves: ECC83, ECC82,\n"
           "                      300B, EL84; default ECC82)\n"
           "  --serial DEVICE     open DEVICE (/dev/ttyUSB0, /dev/pts/3, COM3) instead of the\n"
           "                      device that the port number maps to\n"
           "  --ping              no window: ping the instrument, print its supply voltage;\n"
           "                      exit 0, or 1 after a communication fault\n"
           "  --batch SETUP.oss   no window: open the setup, heater on, sweep, heater off and\n"
           "                      write the outputs below; exit 0, 1 when the measurement\n"
           "                      failed (a communication fault: outputs hold what was\n"
           "                      measured; the heater perhaps still on; no point measured),\n"
           "                      2 for bad arguments, a setup that cannot be read or holds a\n"
           "                      value outside its limit, or an output not written\n"
           "  --save-data FILE    with --batch: the measurement matrix as a data file\n"
           "  --save-plot FILE    with --batch: the graph as a bitmap (.png saves PNG)\n"
           "  --save-setup FILE   with --batch: the setup with the measured curves\n"
           "  --help              show this text\n"
           "  --version           show the version\n";
}

int batchExitStatus(const BatchOutcome& outcome) {
    if (outcome.fault || outcome.heaterOffFailed || outcome.measuredPoints == 0) {
        return 1;
    }
    return outcome.outputsWritten ? 0 : 2;
}

}  // namespace ostrino
