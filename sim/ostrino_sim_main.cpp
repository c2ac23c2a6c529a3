// ostrino-sim: the simulated third-generation instrument on a pseudo-terminal, so that
// the console's real serial-port code can talk to it. Prints the device path as its
// first line, then serves until SIGINT or SIGTERM.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sim/instrument.h"
#include "sim/instrument_gen1.h"
#include "sim/sim_options.h"
#include "sim/valve_models.h"

namespace {

using ostrino::sim::FaultKind;
using ostrino::sim::Instrument;
using ostrino::sim::SimOptions;

int signalPipe[2] = {-1, -1};

extern "C" void onSignal(int) {
    const char c = 's';
    const int saved = errno;
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &c, 1);
    errno = saved;
}

struct Arguments {
    SimOptions sim;
    std::string link;
    bool log = false;
    bool untilStdinCloses = false;
    bool firstGeneration = false;  // --generation 1
};

void printHelp(std::ostream& out) {
    out << "Usage: ostrino-sim [options]\n"
           "Serves a simulated Ostrino (third generation, or the first with --generation 1)\n"
           "on a pseudo-terminal and prints the device path as the first line.\n\n"
           "  --generation 1|3       protocol generation to serve (default 3)\n"
           "  --valve NAME           valve in the socket (default ECC82; see --list-valves)\n"
           "  --version 1|2          hardware version: 1 = 300 V, 2 = 400 V supplies\n"
           "  --supply VOLTS         the instrument's supply voltage (default 19.47)\n"
           "  --line-rate            pace every character at 9600 baud\n"
           "  --measure-time SECONDS time from a measure or ping command to its result\n"
           "  --fault KIND           wrong-echo, silent, truncated or bad-gain\n"
           "  --fault-after N        complete commands answered normally before the fault\n"
           "  --fault-position P     character position of the fault\n"
           "  --link PATH            symlink PATH to the device while running\n"
           "  --log                  print every complete command to standard error\n"
           "  --until-stdin-closes   also stop when standard input reaches end of file\n"
           "  --list-valves          list the valves and exit\n"
           "  --help                 show this help and exit\n";
}

std::optional<double> toNumber(const std::string& s) {
    if (s.empty()) {
        return std::nullopt;
    }
    char* end = nullptr;
    errno = 0;
    const double v = std::strtod(s.c_str(), &end);
    if (errno != 0 || *end != '\0' || !std::isfinite(v)) {
        return std::nullopt;
    }
    return v;
}

std::optional<int> toInt(const std::string& s) {
    const auto v = toNumber(s);
    if (!v || *v != std::floor(*v) || *v < -1e9 || *v > 1e9) {
        return std::nullopt;
    }
    return static_cast<int>(*v);
}

// Returns 0 to run, 1 after --help or --list-valves, 2 on a bad argument.
int parseArguments(int argc, char** argv, Arguments& args) {
    std::vector<std::string> a(argv + 1, argv + argc);
    auto bad = [](const std::string& what) {
        std::cerr << "ostrino-sim: " << what << " (try --help)\n";
        return 2;
    };
    for (std::size_t i = 0; i < a.size(); ++i) {
        const std::string& opt = a[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= a.size()) {
                return false;
            }
            out = a[++i];
            return true;
        };
        std::string v;
        if (opt == "--help") {
            printHelp(std::cout);
            return 1;
        } else if (opt == "--list-valves") {
            for (const std::string& name : ostrino::sim::valveNames()) {
                const auto* valve = ostrino::sim::findValve(name);
                std::cout << name << "\t" << valve->description << " (heater "
                          << valve->nominalHeaterVolts << " V)\n";
            }
            return 1;
        } else if (opt == "--line-rate") {
            args.sim.lineRate = true;
        } else if (opt == "--log") {
            args.log = true;
        } else if (opt == "--until-stdin-closes") {
            args.untilStdinCloses = true;
        } else if (opt == "--generation") {
            const auto n = value(v) ? toInt(v) : std::nullopt;
            if (!n || (*n != 1 && *n != 3)) {
                return bad("--generation needs 1 or 3");
            }
            args.firstGeneration = *n == 1;
        } else if (opt == "--valve") {
            if (!value(v) || ostrino::sim::findValve(v) == nullptr) {
                return bad("--valve needs one of the names that --list-valves shows");
            }
            args.sim.valve = ostrino::sim::findValve(v)->name;
        } else if (opt == "--version") {
            const auto n = value(v) ? toInt(v) : std::nullopt;
            if (!n || (*n != 1 && *n != 2)) {
                return bad("--version needs 1 or 2");
            }
            args.sim.hardwareVersion = *n;
        } else if (opt == "--supply") {
            const auto x = value(v) ? toNumber(v) : std::nullopt;
            if (!x || *x <= 0.0 || *x > 100.0) {
                return bad("--supply needs a voltage between 0 and 100");
            }
            args.sim.supplyVoltage = *x;
        } else if (opt == "--measure-time") {
            const auto x = value(v) ? toNumber(v) : std::nullopt;
            if (!x || *x < 0.0 || *x > 3600.0) {
                return bad("--measure-time needs seconds between 0 and 3600");
            }
            args.sim.measureTime = *x;
        } else if (opt == "--fault") {
            if (!value(v)) {
                return bad("--fault needs a kind");
            }
            if (v == "wrong-echo") {
                args.sim.fault = FaultKind::WrongEcho;
            } else if (v == "silent") {
                args.sim.fault = FaultKind::Silent;
            } else if (v == "truncated") {
                args.sim.fault = FaultKind::TruncatedResult;
            } else if (v == "bad-gain") {
                args.sim.fault = FaultKind::BadGainIndex;
            } else {
                return bad("--fault needs wrong-echo, silent, truncated or bad-gain");
            }
        } else if (opt == "--fault-after") {
            const auto n = value(v) ? toInt(v) : std::nullopt;
            if (!n || *n < 0) {
                return bad("--fault-after needs a whole number of commands");
            }
            args.sim.faultAfterCommands = *n;
        } else if (opt == "--fault-position") {
            const auto n = value(v) ? toInt(v) : std::nullopt;
            if (!n || *n < 0 || *n > 38) {
                return bad("--fault-position needs a position between 0 and 38");
            }
            args.sim.faultPosition = *n;
        } else if (opt == "--link") {
            if (!value(args.link) || args.link.empty()) {
                return bad("--link needs a path");
            }
        } else {
            return bad("unknown option " + opt);
        }
    }
    return 0;
}

double monotonicSeconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

// Like a serial line nobody listens to, a full terminal buffer loses characters.
bool writeAll(int fd, const std::string& data) {
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno == EAGAIN;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Opens a pseudo-terminal; returns the master, keeps a raw slave open in slave.
int openPty(std::string& slavePath, int& slave) {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
        std::perror("ostrino-sim: pseudo-terminal");
        return -1;
    }
    const char* name = ::ptsname(master);
    if (name == nullptr) {
        std::perror("ostrino-sim: ptsname");
        return -1;
    }
    slavePath = name;
    // Held open for the whole run, so that the master does not see a hang-up whenever
    // the console closes its end.
    slave = ::open(name, O_RDWR | O_NOCTTY);
    if (slave < 0) {
        std::perror(("ostrino-sim: " + slavePath).c_str());
        return -1;
    }
    termios tio{};
    if (::tcgetattr(slave, &tio) == 0) {
        ::cfmakeraw(&tio);
        ::cfsetispeed(&tio, B9600);
        ::cfsetospeed(&tio, B9600);
        ::tcsetattr(slave, TCSANOW, &tio);
    }
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    return master;
}

bool makeLink(const std::string& link, const std::string& target) {
    struct stat st {};
    if (::lstat(link.c_str(), &st) == 0) {
        if (!S_ISLNK(st.st_mode)) {
            std::cerr << "ostrino-sim: " << link << " exists and is not a symbolic link\n";
            return false;
        }
        ::unlink(link.c_str());
    }
    if (::symlink(target.c_str(), link.c_str()) != 0) {
        std::cerr << "ostrino-sim: " << link << ": " << std::strerror(errno) << "\n";
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    Arguments args;
    const int parsed = parseArguments(argc, argv, args);
    if (parsed != 0) {
        return parsed == 1 ? 0 : 2;
    }

    if (::pipe(signalPipe) != 0) {
        std::perror("ostrino-sim: pipe");
        return 1;
    }
    for (int fd : signalPipe) {
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    ::sigaction(SIGINT, &sa, nullptr);
    ::sigaction(SIGTERM, &sa, nullptr);
    ::signal(SIGPIPE, SIG_IGN);

    std::string device;
    int slave = -1;
    const int master = openPty(device, slave);
    if (master < 0) {
        return 1;
    }
    if (!args.link.empty() && !makeLink(args.link, device)) {
        return 1;
    }
    std::cout << device << std::endl;

    int status = 0;
    auto serve = [&](ostrino::sim::SimulatedInstrument& instrument) {
        if (args.log) {
            instrument.setCommandListener(
                [](const std::string& cmd) { std::cerr << "command " << cmd << std::endl; });
        }

        double nextInput = 0.0;
        bool stdinOpen = args.untilStdinCloses;
        bool running = true;
        while (running) {
            pollfd fds[3] = {{master, POLLIN, 0}, {signalPipe[0], POLLIN, 0}, {0, POLLIN, 0}};
            const nfds_t count = stdinOpen ? 3 : 2;
            int timeoutMs = -1;
            if (instrument.hasOutput()) {
                const double wait = instrument.nextOutputTime() - monotonicSeconds();
                timeoutMs = wait <= 0.0 ? 0 : static_cast<int>(std::ceil(wait * 1000.0));
            }
            if (::poll(fds, count, timeoutMs) < 0 && errno != EINTR) {
                std::perror("ostrino-sim: poll");
                status = 1;
                break;
            }
            if (fds[1].revents & POLLIN) {
                running = false;
            }
            if (stdinOpen && (fds[2].revents & (POLLIN | POLLHUP))) {
                char buf[256];
                const ssize_t n = ::read(0, buf, sizeof buf);
                if (n == 0 || (n < 0 && errno != EINTR && errno != EAGAIN)) {
                    running = false;
                }
            }
            if (fds[0].revents & POLLIN) {
                char buf[256];
                const ssize_t n = ::read(master, buf, sizeof buf);
                const double now = monotonicSeconds();
                for (ssize_t i = 0; i < n; ++i) {
                    double t = now;
                    if (args.sim.lineRate) {
                        t = std::max(t, nextInput);
                        nextInput = t + Instrument::kCharTime;
                    }
                    instrument.receive(buf[i], t);
                }
            }
            const int due = instrument.outputDueBy(monotonicSeconds());
            if (due > 0) {
                std::string out;
                for (int i = 0; i < due; ++i) {
                    out += instrument.popOutput();
                }
                if (!writeAll(master, out)) {
                    std::perror("ostrino-sim: write");
                    status = 1;
                    break;
                }
            }
        }
    };
    if (args.firstGeneration) {
        ostrino::sim::InstrumentGen1 instrument(args.sim);
        serve(instrument);
    } else {
        Instrument instrument(args.sim);
        serve(instrument);
    }

    if (!args.link.empty()) {
        ::unlink(args.link.c_str());
    }
    ::close(slave);
    ::close(master);
    return status;
}
