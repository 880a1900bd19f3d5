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

constexpr const char* kTempSuffix = ".tmp";

bool fail(std::string& bytes, std::string& error, const char* reason) {
    bytes.clear();
    error = reason;
    return false;
}

// Writes, flushes and closes the open temporary file. Returns 0, or the system's error
// number of the step that failed (a writer that fails without one counts as an
// input/output error); the file is closed either way.
int writeTemporary(int fd, const std::string& bytes, FileWriter writer) {
    errno = 0;
    int failure = 0;
    if (!writer(fd, bytes.data(), bytes.size())) {
        failure = errno != 0 ? errno : EIO;
    } else if (::fsync(fd) != 0 && errno != EINVAL) {
        failure = errno;  // EINVAL: a file system that cannot sync still keeps what was written
    }
    if (::close(fd) != 0 && failure == 0) failure = errno;
    return failure;
}

// Creates (or truncates a stale) temporary file and opens it for writing; -1, with the
// reason, when that fails or something other than a regular file has the name (a named
// pipe is not waited on, a symbolic link is not followed, and neither is removed).
int openTemporary(const std::string& temp, std::string& error) {
    const int fd =
        ::open(temp.c_str(),
               O_WRONLY | O_CREAT | O_TRUNC | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) {
        error = temp + ": " + std::strerror(errno);
        return -1;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        error = temp + ": " + kNotRegularFile;
        return -1;
    }
    return fd;
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

bool writeAllBytes(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0 && errno == EINTR) continue;
        if (written == 0) errno = ENOSPC;  // no progress: the file system took nothing more
        if (written <= 0) return false;
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

bool replaceFileAtomically(const std::string& path, const std::string& bytes, std::string& error,
                           FileWriter writer) {
    // A rename would replace a device or a named pipe, and fails on a folder: whatever is
    // there is left alone, and nothing of ours is created.
    if (isPresentButNotRegular(path)) {
        error = std::string(kNotRegularFile) + ", not replaced";
        return false;
    }
    const std::string temp = path + kTempSuffix;
    const int fd = openTemporary(temp, error);
    if (fd < 0) return false;  // nothing of ours was created
    if (const int failure = writeTemporary(fd, bytes, writer); failure != 0) {
        ::unlink(temp.c_str());
        error = temp + ": " + std::strerror(failure);
        return false;
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        const int failure = errno;
        ::unlink(temp.c_str());
        error = "renaming " + temp + " over it: " + std::strerror(failure);
        return false;
    }
    return true;
}

}  // namespace platform
