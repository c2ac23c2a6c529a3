#pragma once
// Runs a test inside a fresh temporary folder: the calibration file lives in the current
// working directory, and a test must neither see nor leave files there.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

namespace ostrino::test {

class ScopedWorkDir {
  public:
    ScopedWorkDir() {
        previous_ = std::filesystem::current_path();
        std::string pattern = (std::filesystem::temp_directory_path() / "ostrino-files-XXXXXX");
        if (::mkdtemp(pattern.data()) == nullptr) {
            ADD_FAILURE() << "cannot create a temporary folder";
            return;
        }
        path_ = pattern;
        std::filesystem::current_path(path_);
    }
    ~ScopedWorkDir() {
        std::filesystem::current_path(previous_);
        if (!path_.empty()) {
            std::error_code ignored;
            std::filesystem::remove_all(path_, ignored);
        }
    }
    ScopedWorkDir(const ScopedWorkDir&) = delete;
    ScopedWorkDir& operator=(const ScopedWorkDir&) = delete;

  private:
    std::filesystem::path previous_;
    std::filesystem::path path_;
};

}  // namespace ostrino::test
