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
    takeOptions(args, cl, checkValve, [&](std::size_t& i) {
        const std::string& a = args[i];
        if (a == "--batch" || a == "--save-data" || a == "--save-plot" || a == "--save-setup") {
            std::string& target = a == "--batch"       ? cl.batchSetup
                                  : a == "--save-data" ? cl.saveData
                                  : a == "--save-plot" ? cl.savePlot
                                                       : cl.saveSetup;
            valueOf(i, a, target);
            return true;
        }
        if (a == "--distortion") {
            if (i + 1 >= args.size() || args[i + 1].empty()) {
                cl.error = "--distortion needs VSUPPLY,RLOAD,VGRID,VSIGN, for example 300,1.5,-4,1";
                return true;
            }
            cl.distortion = args[++i];
            // The setup file follows, unless --batch measures the curves.
            if (i + 1 < args.size() && args[i + 1].rfind("-", 0) != 0) {
                cl.distortionSetup = args[++i];
            }
            return true;
        }
        if (a == "--ping") {
            cl.ping = true;
            return true;
        }
        return false;
    });
    if (!cl.error.empty()) {
        return cl;
    }
    if (cl.batchSetup.empty() &&
        !(cl.saveData.empty() && cl.savePlot.empty() && cl.saveSetup.empty())) {
        cl.error = "--save-data, --save-plot and --save-setup go with --batch";
    } else if (!cl.batchSetup.empty() && cl.ping) {
        cl.error = "--batch and --ping cannot be used together";
    } else if (!cl.distortion.empty() && cl.ping) {
        cl.error = "--distortion and --ping cannot be used together";
    } else if (!cl.distortion.empty() && !splitDistortionSettings(cl.distortion)) {
        cl.error =
            "--distortion needs four values VSUPPLY,RLOAD,VGRID,VSIGN, for example "
            "300,1.5,-4,1";
    } else if (!cl.distortion.empty() && cl.batchSetup.empty() == cl.distortionSetup.empty()) {
        cl.error = cl.batchSetup.empty()
                       ? "--distortion needs a setup file after its values, or --batch"
                       : "--distortion with --batch analyses what was measured; it takes no "
                         "setup file of its own";
    }
    return cl;
}

std::optional<std::array<std::string, 4>> splitDistortionSettings(std::string_view text) {
    std::array<std::string, 4> items;
    std::size_t n = 0;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = text.find(',', start);
        const std::string_view item = text.substr(start, comma - start);
        if (n == items.size() || item.empty()) {
            return std::nullopt;
        }
        items[n++] = std::string(item);
        if (comma == std::string_view::npos) {
            break;
        }
        start = comma + 1;
    }
    if (n != items.size()) {
        return std::nullopt;
    }
    return items;
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
           "  --distortion VSUPPLY,RLOAD,VGRID,VSIGN SETUP.oss\n"
           "                      no window: the distortion analysis of the setup's anode\n"
           "                      characteristics (supply V, load kohm, grid bias V, signal\n"
           "                      peak V); prints the results one per line and writes\n"
           "                      curves.txt; exit 2 with the reason when it cannot be done.\n"
           "                      With --batch (no SETUP.oss): on what was just measured\n"
           "  --list-ports        print the machine's serial devices, one per line (device,\n"
           "                      description, USB vendor:product id), and exit\n"
           "  --help              show this text\n"
           "  --version           show the version\n";
}

int batchExitStatus(const BatchOutcome& outcome) {
    if (outcome.fault || outcome.heaterOffFailed || outcome.measuredPoints == 0) {
        return 1;
    }
    return outcome.outputsWritten && outcome.analysed ? 0 : 2;
}

}  // namespace ostrino
