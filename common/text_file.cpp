#include "common/text_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

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

}  // namespace

bool writeFileAtomically(const std::string& path, std::string_view content, std::string& error) {
    if (path.empty()) {
        error = reason(ENOENT);
        return false;
    }
    std::string tempPath = path + ".tmp-XXXXXX";
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

    if (::fchmod(fd, modeForTarget(path)) != 0 || !writeAll(fd, content) || ::fsync(fd) != 0) {
        return fail(errno, true);
    }
    if (::close(fd) != 0) {
        return fail(errno, false);
    }
    if (::rename(tempPath.c_str(), path.c_str()) != 0) {
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
