#pragma once
// Runs ostrino-sim on a pseudo-terminal for the length of a test.

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

namespace ostrino::test {

class SimProcess {
  public:
    SimProcess(const std::string& program, const std::vector<std::string>& args) {
        int out[2];
        if (pipe(out) != 0) {
            return;
        }
        pid_ = fork();
        if (pid_ == 0) {
            dup2(out[1], STDOUT_FILENO);
            close(out[0]);
            close(out[1]);
            std::vector<char*> argv;
            argv.push_back(const_cast<char*>(program.c_str()));
            for (const auto& a : args) {
                argv.push_back(const_cast<char*>(a.c_str()));
            }
            argv.push_back(nullptr);
            execv(program.c_str(), argv.data());
            _exit(127);
        }
        close(out[1]);
        stdout_ = fdopen(out[0], "r");
        if (stdout_ != nullptr) {
            char line[512];
            if (std::fgets(line, sizeof line, stdout_) != nullptr) {
                device_ = line;
                while (!device_.empty() && (device_.back() == '\n' || device_.back() == '\r')) {
                    device_.pop_back();
                }
            }
        }
    }
    ~SimProcess() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            int status = 0;
            waitpid(pid_, &status, 0);
        }
        if (stdout_ != nullptr) {
            std::fclose(stdout_);
        }
    }
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    // The pseudo-terminal the simulator serves; empty when it did not start.
    const std::string& device() const { return device_; }

  private:
    pid_t pid_ = -1;
    FILE* stdout_ = nullptr;
    std::string device_;
};

}  // namespace ostrino::test
