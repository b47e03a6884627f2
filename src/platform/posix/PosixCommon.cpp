#include "platform/posix/PosixCommon.hpp"

#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/Platform.hpp"

namespace velmora::posix {

// "." and ".." name directories, not hidden files, even though they start with a dot.
bool IsHiddenName(const std::string& path) {
    std::size_t end = path.size();
    while (end > 1 && path[end - 1] == '/')
        --end;
    std::size_t begin = path.rfind('/', end - (end > 0 ? 1 : 0));
    begin = (begin == std::string::npos || begin >= end) ? 0 : begin + 1;
    if (begin >= end || path[begin] != '.')
        return false;
    const std::size_t length = end - begin;
    if (length == 1)
        return false;
    if (length == 2 && path[begin + 1] == '.')
        return false;
    return true;
}

std::uint64_t FileTimeTicks(const struct timespec& time) {
    if (time.tv_sec < 0 && static_cast<std::uint64_t>(-time.tv_sec) > kFileTimeEpochSeconds)
        return 0;
    const std::uint64_t seconds =
        static_cast<std::uint64_t>(static_cast<std::int64_t>(kFileTimeEpochSeconds) + time.tv_sec);
    return seconds * kFileTimeTicksPerSecond + static_cast<std::uint64_t>(time.tv_nsec) / 100;
}

std::uint32_t AttributesFromStat(const struct stat& status, const std::string& path) {
    std::uint32_t attributes = 0;
    const bool directory = S_ISDIR(status.st_mode);
    if (directory)
        attributes |= kAttrDirectory;
    if (IsHiddenName(path))
        attributes |= kAttrHidden;
    if (!(status.st_mode & S_IWUSR))
        attributes |= kAttrReadOnly;
    if (!directory && !(attributes & (kAttrHidden | kAttrReadOnly)))
        attributes |= kAttrArchive;
    return attributes;
}

std::string ErrorText(int error) {
    char buffer[256];
    // The GNU strerror_r may return a static string instead of filling the buffer.
#if defined(__GLIBC__) && defined(_GNU_SOURCE)
    return strerror_r(error, buffer, sizeof buffer);
#else
    if (strerror_r(error, buffer, sizeof buffer) != 0)
        return "error " + std::to_string(error);
    return buffer;
#endif
}

bool WriteAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (written == 0) {
            errno = EIO;
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

bool ReadAll(int fd, std::string* contents) {
    contents->clear();
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (got == 0)
            return true;
        contents->append(buffer, static_cast<std::size_t>(got));
    }
}

bool UniqueFd::Close() {
    if (fd_ < 0)
        return true;
    const int fd = Release();
    return ::close(fd) == 0;
}

UniqueFd CreateExclusiveTempFile(const std::string& directory, const std::string& prefix, mode_t mode,
                                 std::string* name) {
    std::string base = directory;
    if (!base.empty() && base.back() != '/')
        base += '/';
    // Like GetTempFileName: start from a clock-derived number and count up through the 16-bit range.
    static unsigned counter = 0;
    if (counter == 0) {
        struct timespec now {};
        clock_gettime(CLOCK_MONOTONIC, &now);
        counter = static_cast<unsigned>(now.tv_nsec / 1000) ^ static_cast<unsigned>(getpid());
    }
    for (unsigned attempt = 0; attempt < 0x10000; ++attempt) {
        unsigned number = ++counter & 0xFFFFu;
        if (number == 0)
            number = ++counter & 0xFFFFu;
        char hex[16];
        std::snprintf(hex, sizeof hex, "%X", number);
        const std::string candidate = base + prefix + hex + ".tmp";
        UniqueFd fd(::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode));
        if (fd.IsOpen()) {
            *name = candidate;
            return fd;
        }
        if (errno != EEXIST && errno != EINTR)
            return UniqueFd();
    }
    errno = EEXIST;
    return UniqueFd();
}

std::string DirectoryOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace velmora::posix
