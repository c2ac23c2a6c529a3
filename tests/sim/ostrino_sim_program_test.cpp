// ostrino-sim run as its own process, spoken to through its pseudo-terminal.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

extern char** environ;

namespace {

class SimProcess {
  public:
    explicit SimProcess(std::vector<std::string> args) {
        int out[2], in[2];
        if (::pipe(out) != 0 || ::pipe(in) != 0) {
            return;
        }
        posix_spawn_file_actions_t fa;
        posix_spawn_file_actions_init(&fa);
        posix_spawn_file_actions_adddup2(&fa, out[1], 1);
        posix_spawn_file_actions_adddup2(&fa, in[0], 0);
        posix_spawn_file_actions_addclose(&fa, out[0]);
        posix_spawn_file_actions_addclose(&fa, in[1]);
        args.insert(args.begin(), OSTRINO_SIM_PROGRAM);
        std::vector<char*> argv;
        for (std::string& a : args) {
            argv.push_back(a.data());
        }
        argv.push_back(nullptr);
        if (posix_spawn(&pid_, OSTRINO_SIM_PROGRAM, &fa, nullptr, argv.data(), environ) != 0) {
            pid_ = -1;
        }
        posix_spawn_file_actions_destroy(&fa);
        ::close(out[1]);
        ::close(in[0]);
        stdout_ = out[0];
        stdin_ = in[1];
        device_ = readLine(5000);
    }
    ~SimProcess() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        ::close(stdout_);
        if (stdin_ >= 0) {
            ::close(stdin_);
        }
    }

    const std::string& device() const { return device_; }

    void closeStdin() {
        ::close(stdin_);
        stdin_ = -1;
    }
    // Exit status, or -1 when it does not end within the time-out.
    int waitExit(int timeoutMs) {
        for (int waited = 0; waited < timeoutMs; waited += 10) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            ::usleep(10000);
        }
        return -1;
    }
    void signal(int sig) { ::kill(pid_, sig); }

  private:
    std::string readLine(int timeoutMs) {
        std::string line;
        char c;
        pollfd p{stdout_, POLLIN, 0};
        while (::poll(&p, 1, timeoutMs) > 0 && ::read(stdout_, &c, 1) == 1 && c != '\n') {
            line += c;
        }
        return line;
    }

    pid_t pid_ = -1;
    int stdout_ = -1;
    int stdin_ = -1;
    std::string device_;
};

int openRaw(const std::string& device) {
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY);
    if (fd >= 0) {
        termios t{};
        ::tcgetattr(fd, &t);
        ::cfmakeraw(&t);
        ::tcsetattr(fd, TCSANOW, &t);
    }
    return fd;
}

std::string readFor(int fd, std::size_t n, int timeoutMs) {
    std::string got;
    char buf[64];
    pollfd p{fd, POLLIN, 0};
    while (got.size() < n && ::poll(&p, 1, timeoutMs) > 0) {
        const ssize_t k = ::read(fd, buf, std::min(sizeof buf, n - got.size()));
        if (k <= 0) {
            break;
        }
        got.append(buf, static_cast<std::size_t>(k));
    }
    return got;
}

const std::string kPing = "50" + std::string(16, '0');

TEST(OstrinoSimProgram, AnswersOnItsTerminalAndStopsOnSigterm) {
    const std::string link = "/tmp/ostrino-sim-test-" + std::to_string(::getpid());
    SimProcess sim({"--valve", "el84", "--link", link, "--line-rate"});
    ASSERT_EQ(sim.device().rfind("/dev/pts/", 0), 0u) << sim.device();

    struct stat st {};
    ASSERT_EQ(::lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));

    for (int round = 0; round < 2; ++round) {  // the console may close and reopen
        const int fd = openRaw(link);
        ASSERT_GE(fd, 0);
        std::string echo;
        for (char c : kPing) {
            ASSERT_EQ(::write(fd, &c, 1), 1);
            echo += readFor(fd, 1, 2000);
        }
        EXPECT_EQ(echo, kPing);
        const std::string result = readFor(fd, 38, 2000);
        EXPECT_EQ(result.size(), 38u);
        EXPECT_EQ(result.substr(0, 2), "10");
        ::close(fd);
    }

    // Idle, it sleeps in poll() rather than spinning.
    ::usleep(400000);
    sim.signal(SIGTERM);
    EXPECT_EQ(sim.waitExit(3000), 0);
    rusage usage{};
    ::getrusage(RUSAGE_CHILDREN, &usage);
    EXPECT_LT(usage.ru_utime.tv_sec * 1000000L + usage.ru_utime.tv_usec, 200000L);
    EXPECT_NE(::lstat(link.c_str(), &st), 0) << "the link is removed on exit";
}

TEST(OstrinoSimProgram, EndsWithStandardInputWhenAsked) {
    SimProcess sim({"--until-stdin-closes"});
    ASSERT_FALSE(sim.device().empty());
    EXPECT_EQ(sim.waitExit(200), -1);
    sim.closeStdin();
    EXPECT_EQ(sim.waitExit(3000), 0);
}

TEST(OstrinoSimProgram, RejectsBadOptions) {
    for (const std::vector<std::string>& args : {std::vector<std::string>{"--valve", "EF86X"},
                                                 {"--version", "3"},
                                                 {"--fault", "loud"},
                                                 {"--supply"},
                                                 {"--bogus"}}) {
        SimProcess sim(args);
        EXPECT_TRUE(sim.device().empty()) << args[0];
        EXPECT_EQ(sim.waitExit(3000), 2) << args[0];
    }
}

}  // namespace
