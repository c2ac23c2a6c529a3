#include "app/ostrino3/command_line.h"

#include <cstdio>

#include "model/valve_model.h"

namespace ostrino {

namespace {

// An analysis of measured curves (--distortion, --fit-model): where its setup file comes
// from. It is the argument after the option's value, unless --batch measures the curves.
void checkCurveSource(CommandLine& cl, const std::string& option, const std::string& setup) {
    if (!cl.error.empty()) {
        return;
    }
    if (cl.batchSetup.empty() && setup.empty()) {
        cl.error = option + " needs a setup file after its values, or --batch";
    } else if (!cl.batchSetup.empty() && !setup.empty()) {
        cl.error =
            option + " with --batch analyses what was measured; it takes no setup file of its own";
    }
}

}  // namespace

CommandLine parseCommandLine(const std::vector<std::string>& args) {
    CommandLine cl;
    // The simulator falls back to its default valve for a name it does not know.
    const ValveCheck checkValve = [](const std::string& valve) -> std::string {
        return valve.empty() ? "--simulate= needs a valve name, for example --simulate=ECC82" : "";
    };
    auto valueOf = [&](std::size_t& i, const std::string& option, std::string& target,
                       const std::string& what = "a file name") {
        if (i + 1 >= args.size() || args[i + 1].empty()) {
            cl.error = option + " needs " + what;
            return false;
        }
        target = args[++i];
        return true;
    };
    // "--option VALUE [SETUP.oss]": the setup follows unless --batch measures the curves.
    auto valueAndSetup = [&](std::size_t& i, const std::string& option, const std::string& what,
                             std::string& value, std::string& setup) {
        if (valueOf(i, option, value, what) && i + 1 < args.size() &&
            args[i + 1].rfind("-", 0) != 0) {
            setup = args[++i];
        }
    };
    const std::string kStageValues = "VSUPPLY,RLOAD,VGRID,VSIGN, for example 300,1.5,-4,1";
    takeOptions(args, cl, checkValve, [&](std::size_t& i) {
        const std::string& a = args[i];
        if (a == "--batch" || a == "--save-data" || a == "--save-plot" || a == "--save-setup" ||
            a == "--spice" || a == "--json") {
            std::string& target = a == "--batch"        ? cl.batchSetup
                                  : a == "--save-data"  ? cl.saveData
                                  : a == "--save-plot"  ? cl.savePlot
                                  : a == "--save-setup" ? cl.saveSetup
                                  : a == "--spice"      ? cl.spiceFile
                                                        : cl.jsonFile;
            valueOf(i, a, target);
            return true;
        }
        if (a == "--distortion") {
            valueAndSetup(i, a, kStageValues, cl.distortion, cl.distortionSetup);
            return true;
        }
        if (a == "--fit-model") {
            valueAndSetup(i, a, "a model: triode, pentode or dempwolf", cl.fitModel,
                          cl.fitModelSetup);
            return true;
        }
        if (a == "--stage") {
            valueOf(i, a, cl.stage, kStageValues);
            return true;
        }
        if (a == "--report" || a == "--library" || a == "--library-add" || a == "--valve-type" ||
            a == "--note") {
            std::string& target = a == "--report"        ? cl.report
                                  : a == "--library"     ? cl.libraryFile
                                  : a == "--library-add" ? cl.libraryAdd
                                  : a == "--valve-type"  ? cl.valveType
                                                         : cl.note;
            if (i + 1 >= args.size() || (args[i + 1].empty() && a != "--note")) {
                cl.error = a + (a == "--report" || a == "--library" ? " needs a file name"
                                : a == "--library-add"              ? " needs a label"
                                : a == "--valve-type"               ? " needs a valve type"
                                                                    : " needs a text");
                return true;
            }
            target = args[++i];
            return true;
        }
        if (a == "--quick-test") {
            cl.quickTest = true;
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
    const bool fit = !cl.fitModel.empty();
    if (cl.batchSetup.empty() &&
        !(cl.saveData.empty() && cl.savePlot.empty() && cl.saveSetup.empty())) {
        cl.error = "--save-data, --save-plot and --save-setup go with --batch";
    } else if (!fit && !(cl.spiceFile.empty() && cl.jsonFile.empty() && cl.stage.empty())) {
        cl.error = "--spice, --json and --stage go with --fit-model";
    } else if (!cl.batchSetup.empty() && cl.ping) {
        cl.error = "--batch and --ping cannot be used together";
    } else if (!cl.distortion.empty() && cl.ping) {
        cl.error = "--distortion and --ping cannot be used together";
    } else if (fit && cl.ping) {
        cl.error = "--fit-model and --ping cannot be used together";
    } else if (!cl.distortion.empty() && !splitDistortionSettings(cl.distortion)) {
        cl.error = "--distortion needs four values " + kStageValues;
    } else if (!cl.stage.empty() && !splitDistortionSettings(cl.stage)) {
        cl.error = "--stage needs four values " + kStageValues;
    } else if (fit && !model::findModel(cl.fitModel)) {
        cl.error = "--fit-model knows the models triode, pentode and dempwolf, not " + cl.fitModel;
    } else if (fit && !cl.distortion.empty() && cl.batchSetup.empty()) {
        cl.error = "--distortion and --fit-model go together only with --batch";
    } else if (cl.quickTest && cl.batchSetup.empty()) {
        cl.error = "--quick-test goes with --batch";
    } else if (!cl.report.empty() && !cl.quickTest) {
        cl.error = "--report goes with --quick-test";
    } else if (cl.quickTest &&
               !(cl.saveData.empty() && cl.savePlot.empty() && cl.distortion.empty() && !fit)) {
        cl.error =
            "--quick-test measures no curves: --save-data, --save-plot, --distortion and "
            "--fit-model go with a sweep";
    } else if (!cl.libraryAdd.empty() && cl.batchSetup.empty()) {
        cl.error = "--library-add goes with --batch";
    } else if (cl.libraryAdd.empty() && !(cl.valveType.empty() && cl.note.empty())) {
        cl.error = "--valve-type and --note go with --library-add";
    }
    if (!cl.distortion.empty()) {
        checkCurveSource(cl, "--distortion", cl.distortionSetup);
    }
    if (fit) {
        checkCurveSource(cl, "--fit-model", cl.fitModelSetup);
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
           "  --quick-test        with --batch: run the quick test that the setup selects\n"
           "                      (triode or pentode) instead of the sweep and print its\n"
           "                      results one per line, as the quick-test window shows them\n"
           "  --report FILE       with --quick-test: append the test's report to FILE\n"
           "  --library FILE      the valve library (default\n"
           "                      $XDG_DATA_HOME/ostrino/library.sqlite, that is\n"
           "                      ~/.local/share/ostrino/library.sqlite; created on first use)\n"
           "  --library-add LABEL with --batch: store what was measured (sweep or quick test)\n"
           "                      in the library under LABEL; exit 3 when everything else\n"
           "                      went well but it could not be stored (the outputs are\n"
           "                      written all the same)\n"
           "  --valve-type T      with --library-add: the valve type (default: the type of\n"
           "                      the library's last record)\n"
           "  --note N            with --library-add: a note kept with the record\n"
           "  --fit-model MODEL SETUP.oss\n"
           "                      no window: fit a valve model (triode, pentode or dempwolf)\n"
           "                      to the setup's measured curves; prints each parameter and\n"
           "                      the errors one per line; exit 2 with the reason when the\n"
           "                      curves cannot be fitted or the setup cannot be read.\n"
           "                      With --batch (no SETUP.oss): to what was just measured\n"
           "  --spice FILE        with --fit-model: write the model as a SPICE subcircuit\n"
           "  --json FILE         with --fit-model: write the model file (JSON)\n"
           "  --stage VSUPPLY,RLOAD,VGRID,VSIGN\n"
           "                      with --fit-model: the single-ended stage computed on the\n"
           "                      model (values as for --distortion); prints the quiescent\n"
           "                      point, the gain and the harmonics 2 to 5\n"
           "  --list-ports        print the machine's serial devices, one per line (device,\n"
           "                      description, USB vendor:product id), and exit\n"
           "  --help              show this text\n"
           "  --version           show the version\n";
}

int batchExitStatus(const BatchOutcome& outcome) {
    if (outcome.fault || outcome.heaterOffFailed || outcome.measuredPoints == 0) {
        return 1;
    }
    if (!outcome.outputsWritten || !outcome.analysed || !outcome.modelFitted) {
        return 2;
    }
    return outcome.stored ? 0 : 3;
}

int printResultLines(const std::optional<std::vector<std::string>>& lines) {
    if (!lines) {
        return 2;
    }
    for (const std::string& l : *lines) {
        std::printf("%s\n", l.c_str());
    }
    return 0;
}

}  // namespace ostrino
