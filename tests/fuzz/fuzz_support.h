#pragma once
// Quiet stand-ins for the platform services, so that a fuzz target can drive the readers
// and the logic behind them without a port, a clock that waits, or messages on the terminal.

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "platform/beeper.h"
#include "platform/canvas.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/serial_port.h"

namespace ostrino::fuzz {

// A port with nothing on the other end: it never opens.
class NoPort : public SerialPort {
  public:
    bool open(int, std::string& error) override {
        error = "no port while fuzzing";
        return false;
    }
    bool isOpen() const override { return false; }
    void close() override {}
    bool write(std::string_view) override { return false; }
    int charsWaiting() override { return 0; }
    bool readChar(char&) override { return false; }
    bool waitForChar(double) override { return false; }
    std::string deviceName(int) const override { return "none"; }
};

// Time moves only when someone sleeps.
class StillClock : public Clock {
  public:
    double now() override { return t_; }
    void sleep(double seconds) override { t_ += seconds; }
    void pumpEvents() override {}

  private:
    double t_ = 0.0;
};

// Messages are counted, questions answered Yes, file dialogs cancelled.
class CountingDialogs : public Dialogs {
  public:
    void message(const std::string&, MessageIcon) override { ++messages; }
    bool askYesNo(const std::string&) override { return true; }
    std::string chooseFile(const FileDialogRequest&) override { return {}; }
    int messages = 0;
};

class NoBeeper : public Beeper {
  public:
    void beep(int, int) override {}
};

// Draws nothing; text has a plausible size so that layouts stay finite.
class NoCanvas : public Canvas {
  public:
    void clear(Rgb) override {}
    void setForeground(Rgb) override {}
    void setFill(Rgb, bool) override {}
    void setLineStyle(LineStyle) override {}
    void setFont(const std::string&, double, bool) override {}
    void line(double, double, double, double) override {}
    void circle(double, double, double) override {}
    void text(double, double, const std::string&) override {}
    double textWidth(const std::string& s) override { return 10.0 * static_cast<double>(s.size()); }
    double textHeight(const std::string&) override { return 20.0; }
    bool saveBitmap(const std::string&, std::string&) override { return false; }
};

// Runs the whole fuzzing session in a fresh folder of its own, since the console reads and
// writes its files (calibration, pins, the distortion dump) in the working folder. The
// folder (in TMPDIR) goes when the program returns from main; libFuzzer ends without that,
// so scripts/fuzz.sh gives each run a TMPDIR of its own and clears it.
inline void enterScratchFolder() {
    static std::filesystem::path folder;
    if (!folder.empty()) {
        return;
    }
    std::string pattern = (std::filesystem::temp_directory_path() / "ostrino-fuzz-XXXXXX");
    const char* dir = ::mkdtemp(pattern.data());
    if (dir == nullptr || ::chdir(dir) != 0) {
        std::abort();
    }
    folder = dir;
    std::atexit([] {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    });
}

// A scratch file written plainly (the console's own writer syncs to disk, which would slow
// the fuzzer down a hundredfold).
inline void writeScratchFile(const char* path, std::string_view content) {
    // A new file each time: truncating one makes the file system flush it.
    ::unlink(path);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    if (!out.flush()) {
        std::abort();
    }
}

// Stops the run when a property the reader promises does not hold.
inline void require(bool holds) {
    if (!holds) {
        std::abort();
    }
}

}  // namespace ostrino::fuzz
