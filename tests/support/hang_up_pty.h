#pragma once
// A pseudo-terminal whose far end echoes the first characters it receives and then closes,
// as an instrument that is unplugged in the middle of an exchange.

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

namespace ostrino::test {

class HangUpPty {
  public:
    explicit HangUpPty(int echoes) {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
        const char* name = nullptr;
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0 ||
            (name = ::ptsname(master_)) == nullptr) {
            return;
        }
        device_ = name;
        // Held open to see when the console has read every echo: a hang-up drops what is
        // still waiting to be read.
        slave_ = ::open(device_.c_str(), O_RDWR | O_NOCTTY);
        thread_ = std::thread([this, echoes] { serve(echoes); });
    }
    ~HangUpPty() {
        if (thread_.joinable()) {
            thread_.join();
        }
        if (slave_ >= 0) {
            ::close(slave_);
        }
    }
    HangUpPty(const HangUpPty&) = delete;
    HangUpPty& operator=(const HangUpPty&) = delete;

    const std::string& device() const { return device_; }

  private:
    void serve(int echoes) {
        for (int n = 0; n < echoes; ++n) {
            pollfd p{master_, POLLIN, 0};
            char c;
            if (::poll(&p, 1, 10000) != 1 || ::read(master_, &c, 1) != 1 ||
                ::write(master_, &c, 1) != 1) {
                break;
            }
        }
        // The echo reaches the console's side a moment after it is written; then wait until
        // the console has read it.
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        for (int waited = 0; waited < 5000; waited += 5) {
            int unread = 0;
            if (::ioctl(slave_, FIONREAD, &unread) != 0 || unread == 0) {
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        ::close(master_);
    }

    int master_ = -1;
    int slave_ = -1;
    std::string device_;
    std::thread thread_;
};

}  // namespace ostrino::test
