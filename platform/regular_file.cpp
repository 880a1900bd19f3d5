#include "platform/regular_file.h"

#include <filesystem>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstring>

namespace platform {

namespace {

bool fail(std::string& bytes, std::string& error, const char* reason) {
    bytes.clear();
    error = reason;
    return false;
}

}  // namespace

bool readRegularFile(const std::string& path, std::size_t maxBytes, std::string& bytes,
                     std::string& error) {
    // O_NONBLOCK: opening a named pipe returns at once instead of waiting for a writer.
    // O_NOCTTY: a terminal device never becomes the program's controlling terminal.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return fail(bytes, error, std::strerror(errno));
    struct stat status {};
    const bool known = ::fstat(fd, &status) == 0;
    if (!known || !S_ISREG(status.st_mode)) {
        const char* reason = known ? kNotRegularFile : std::strerror(errno);
        ::close(fd);
        return fail(bytes, error, reason);
    }
    // Sized for the file as it is now; a file that grows meanwhile is read up to that size.
    bytes.assign(std::min<std::size_t>(static_cast<std::size_t>(status.st_size), maxBytes), '\0');
    std::size_t filled = 0;
    while (filled < bytes.size()) {
        const ssize_t got = ::read(fd, bytes.data() + filled, bytes.size() - filled);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            const int readError = errno;
            ::close(fd);
            return fail(bytes, error, std::strerror(readError));
        }
        if (got == 0) break;  // the file shrank since fstat
        filled += static_cast<std::size_t>(got);
    }
    ::close(fd);
    bytes.resize(filled);
    return true;
}

bool isPresentButNotRegular(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && !S_ISREG(status.st_mode);
}

std::string absolutePath(const std::string& path) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return error ? path : absolute.string();
}

}  // namespace platform
