#include "common/text_file.h"

#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>

#include "common/numbers.h"

namespace ostrino {

namespace {

std::string reason(int err) {
    return std::strerror(err);
}

bool writeAll(int fd, std::string_view content) {
    while (!content.empty()) {
        const ssize_t n = ::write(fd, content.data(), content.size());
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        content.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// mkstemp creates the file readable by its owner only; give the new file the mode
// of the file it replaces, or the usual mode of a newly created file.
mode_t modeForTarget(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
        return st.st_mode & 07777;
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// Links followed before a write gives up, as the system does when it opens a file.
constexpr int kMaxLinks = 40;

// The file a write replaces: a symbolic link is followed, through a chain of links too
// (a relative one from the link's own folder), so that the file it points to is replaced
// and the link stays a link. A path that is no link, or names nothing yet, is the target.
bool resolveTarget(const std::string& path, std::string& target, int& err) {
    target = path;
    for (int hops = 0;; ++hops) {
        struct stat st {};
        if (::lstat(target.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            return true;  // a missing file is created; other problems show when writing
        }
        if (hops == kMaxLinks) {
            err = ELOOP;
            return false;
        }
        char buf[PATH_MAX];
        const ssize_t n = ::readlink(target.c_str(), buf, sizeof buf);
        if (n < 0 || n == static_cast<ssize_t>(sizeof buf)) {
            err = n < 0 ? errno : ENAMETOOLONG;
            return false;
        }
        std::string next(buf, static_cast<std::size_t>(n));
        const std::size_t slash = target.rfind('/');
        if (!next.empty() && next.front() != '/' && slash != std::string::npos) {
            next.insert(0, target, 0, slash + 1);
        }
        target = std::move(next);
    }
}

// A write beyond the file-size limit (ulimit -f) raises SIGXFSZ, which would end the
// program and leave the temporary file behind. Held back while writing, the write fails
// with EFBIG instead; the signal that was raised meanwhile is taken off again.
class FileSizeSignalHeld {
  public:
    FileSizeSignalHeld() {
        sigemptyset(&set_);
        sigaddset(&set_, SIGXFSZ);
        pthread_sigmask(SIG_BLOCK, &set_, &saved_);
    }
    ~FileSizeSignalHeld() {
        sigset_t pending;
        sigemptyset(&pending);
        if (!sigismember(&saved_, SIGXFSZ) && sigpending(&pending) == 0 &&
            sigismember(&pending, SIGXFSZ)) {
            const timespec now{};
            sigtimedwait(&set_, nullptr, &now);
        }
        pthread_sigmask(SIG_SETMASK, &saved_, nullptr);
    }
    FileSizeSignalHeld(const FileSizeSignalHeld&) = delete;
    FileSizeSignalHeld& operator=(const FileSizeSignalHeld&) = delete;

  private:
    sigset_t set_;
    sigset_t saved_;
};

}  // namespace

bool writeFileAtomically(const std::string& path, std::string_view content, std::string& error) {
    if (path.empty()) {
        error = reason(ENOENT);
        return false;
    }
    std::string target;
    int linkError = 0;
    if (!resolveTarget(path, target, linkError)) {
        error = reason(linkError);
        return false;
    }
    const FileSizeSignalHeld held;
    std::string tempPath = target + ".tmp-XXXXXX";
    const int fd = ::mkstemp(tempPath.data());
    if (fd < 0) {
        error = reason(errno);
        return false;
    }

    const auto fail = [&](int err, bool open) {
        if (open) {
            ::close(fd);
        }
        ::unlink(tempPath.c_str());
        error = reason(err);
        return false;
    };

    if (::fchmod(fd, modeForTarget(target)) != 0 || !writeAll(fd, content) || ::fsync(fd) != 0) {
        return fail(errno, true);
    }
    if (::close(fd) != 0) {
        return fail(errno, false);
    }
    if (::rename(tempPath.c_str(), target.c_str()) != 0) {
        return fail(errno, false);
    }
    return true;
}

std::optional<std::string> readWholeFile(const std::string& path, std::string& error) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = reason(errno);
        return std::nullopt;
    }
    std::string content;
    char buf[8192];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            error = reason(errno);
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0) {
            break;
        }
        content.append(buf, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return content;
}

bool fileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

LineReader::LineReader(std::string_view content) {
    std::size_t start = 0;
    while (start < content.size()) {
        const std::size_t end = content.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines_.emplace_back(content.substr(start));
            break;
        }
        lines_.emplace_back(content.substr(start, end - start));
        start = end + 1;
        if (content[end] == '\r' && start < content.size() && content[start] == '\n') {
            ++start;
        }
    }
}

std::optional<std::string> LineReader::nextLine() {
    if (atEnd()) {
        return std::nullopt;
    }
    return lines_[next_++];
}

std::optional<double> LineReader::nextNumber() {
    const std::optional<std::string> line = nextLine();
    if (!line) {
        return std::nullopt;
    }
    return leadingNumber(*line);
}

}  // namespace ostrino
