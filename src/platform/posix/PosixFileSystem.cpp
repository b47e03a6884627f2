// The file system as the plug-in sees it on POSIX systems, made to behave like the Win32 calls
// it was written against: moves never replace, read-only files resist deletion and replacement,
// temporary files are created exclusively.
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/Platform.hpp"
#include "platform/posix/PosixCommon.hpp"

namespace velmora {
namespace {

using posix::AttributesFromStat;

bool IsReadOnlyFile(const struct stat& status) {
    return !S_ISDIR(status.st_mode) && !S_ISLNK(status.st_mode) && !(status.st_mode & S_IWUSR);
}

// Copies the regular file `from` into the already open, empty descriptor `out`, with its
// permission bits and modification time; false (errno set) on failure.
bool CopyInto(const std::string& from, int out) {
    const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (in < 0)
        return false;
    struct stat status {};
    bool ok = ::fstat(in, &status) == 0 && S_ISREG(status.st_mode);
    if (!ok && errno == 0)
        errno = EINVAL;
    char buffer[65536];
    while (ok) {
        const ssize_t got = ::read(in, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            ok = got == 0;
            break;
        }
        ok = posix::WriteAll(out, buffer, static_cast<std::size_t>(got));
    }
    if (ok)
        ok = ::fchmod(out, status.st_mode & 07777) == 0;
    if (ok) {
        const struct timespec times[2] = {status.st_atim, status.st_mtim};
        ok = ::futimens(out, times) == 0;
    }
    if (ok)
        ok = ::fsync(out) == 0;
    const int saved = errno;
    ::close(in);
    errno = saved;
    return ok;
}

// Across file systems a file is moved by copying it to a name that must not exist yet, then
// deleting the original; whatever goes wrong, the copy is removed and the original stays.
bool CopyThenDelete(const std::string& from, const std::string& to) {
    struct stat status {};
    if (::lstat(from.c_str(), &status) != 0)
        return false;
    if (!S_ISREG(status.st_mode)) {
        errno = EXDEV;
        return false;
    }
    const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (out < 0)
        return false;
    bool ok = CopyInto(from, out);
    if (::close(out) != 0)
        ok = false;
    if (ok && ::unlink(from.c_str()) != 0)
        ok = false;
    if (!ok) {
        const int saved = errno;
        ::unlink(to.c_str());
        errno = saved;
    }
    return ok;
}

// Renaming without replacing where the file system cannot do it in one step: a hard link
// claims the name atomically; directories (which cannot be linked) take the checked rename.
bool LinkThenUnlink(const std::string& from, const std::string& to) {
    if (::link(from.c_str(), to.c_str()) == 0) {
        if (::unlink(from.c_str()) == 0)
            return true;
        const int saved = errno;
        ::unlink(to.c_str());
        errno = saved;
        return false;
    }
    if (errno == EEXIST || errno == ENOENT || errno == EXDEV)
        return false;
    struct stat status {};
    if (::lstat(to.c_str(), &status) == 0) {
        errno = EEXIST;
        return false;
    }
    return ::rename(from.c_str(), to.c_str()) == 0;
}

class PosixWritableFile final : public WritableFile {
public:
    PosixWritableFile(int fd) : fd_(fd) {}
    ~PosixWritableFile() override {
        if (fd_ >= 0)
            ::close(fd_);
    }
    bool Write(const char* data, std::size_t size) override {
        if (fd_ < 0) {
            return false;
        }
        const off_t before = ::lseek(fd_, 0, SEEK_CUR);
        if (posix::WriteAll(fd_, data, size)) {
            return true;
        }
        // Take back a partly written line, so that a later write never follows half of one.
        if (before >= 0 && ::ftruncate(fd_, before) == 0) {
            ::lseek(fd_, before, SEEK_SET);
        }
        return false;
    }
    bool Size(std::uint64_t* size) override {
        struct stat status {};
        if (fd_ < 0 || ::fstat(fd_, &status) != 0)
            return false;
        *size = static_cast<std::uint64_t>(status.st_size);
        return true;
    }
    bool Prepend(const char* data, std::size_t size) override {
        if (fd_ < 0)
            return false;
        if (size == 0)
            return true;
        std::string written;
        if (::lseek(fd_, 0, SEEK_SET) != 0 || !posix::ReadAll(fd_, &written))
            return false;
        written.insert(0, data, size);
        return ::lseek(fd_, 0, SEEK_SET) == 0 && posix::WriteAll(fd_, written.data(), written.size());
    }
    bool Close() override {
        if (fd_ < 0)
            return false;
        const int fd = fd_;
        fd_ = -1;
        // The descriptor is gone even when close reports an error, so it is never retried.
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

class PosixFileSystem final : public FileSystem {
public:
    std::uint32_t Attributes(const std::string& path) override {
        struct stat status {};
        // lstat first: the run asks this of every target name, which is usually free, and a
        // missing name then costs one system call, not two. A symbolic link is followed; a
        // dangling one still occupies its name, so it is reported as a file.
        if (::lstat(path.c_str(), &status) != 0) {
            return kNoAttributes;
        }
        if (S_ISLNK(status.st_mode)) {
            struct stat target {};
            if (::stat(path.c_str(), &target) == 0) {
                status = target;
            }
        }
        return AttributesFromStat(status, path);
    }

    bool MoveNoReplace(const std::string& from, const std::string& to) override {
        if (from.empty() || to.empty()) {
            errno = ENOENT;
            return false;
        }
#if defined(RENAME_NOREPLACE)
        if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
            return true;
        if (errno == EXDEV)
            return CopyThenDelete(from, to);
        if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
            return false;
#endif
        if (LinkThenUnlink(from, to))
            return true;
        if (errno == EXDEV)
            return CopyThenDelete(from, to);
        return false;
    }

    bool Delete(const std::string& path) override {
        struct stat status {};
        if (::lstat(path.c_str(), &status) != 0)
            return false;
        if (S_ISDIR(status.st_mode)) {
            errno = EISDIR;
            return false;
        }
        // DeleteFile refuses read-only files; doing the same keeps both platforms alike.
        if (IsReadOnlyFile(status)) {
            errno = EACCES;
            return false;
        }
        return ::unlink(path.c_str()) == 0;
    }

    bool SameFile(const std::string& a, const std::string& b) override {
        struct stat first {};
        struct stat second {};
        if (::stat(a.c_str(), &first) != 0 || ::stat(b.c_str(), &second) != 0)
            return false;
        return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
    }

    std::string TempDirectory() override {
        const char* variable = std::getenv("TMPDIR");
        std::string directory = variable && *variable ? variable : "/tmp";
        struct stat status {};
        if (::stat(directory.c_str(), &status) != 0 || !S_ISDIR(status.st_mode))
            return std::string();
        if (directory.back() != '/')
            directory += '/';
        return directory;
    }

    std::string CreateTempFile(const std::string& directory, const std::string& prefix) override {
        std::string name;
        const int fd = posix::CreateExclusiveTempFile(directory, prefix, 0666, &name);
        if (fd < 0)
            return std::string();
        if (::close(fd) != 0) {
            ::unlink(name.c_str());
            return std::string();
        }
        return name;
    }

    std::unique_ptr<WritableFile> OpenForWriting(const std::string& path) override {
        const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0)
            return nullptr;
        return std::make_unique<PosixWritableFile>(fd);
    }

    bool ReplaceAtomically(const std::string& from, const std::string& to) override {
        struct stat source {};
        if (::lstat(from.c_str(), &source) != 0)
            return false;
        if (S_ISDIR(source.st_mode)) {
            errno = EISDIR;
            return false;
        }
        struct stat target {};
        if (::lstat(to.c_str(), &target) == 0) {
            // Windows cannot replace a read-only file or a directory; neither do we.
            if (S_ISDIR(target.st_mode)) {
                errno = EISDIR;
                return false;
            }
            if (IsReadOnlyFile(target)) {
                errno = EACCES;
                return false;
            }
        }
        if (::rename(from.c_str(), to.c_str()) == 0)
            return true;
        if (errno != EXDEV)
            return false;
        return CopyBesideAndReplace(from, to);
    }

private:
    // The copy lands in a new file beside `to` first, so that the final step is still a rename
    // within one file system and `to` is never seen half written.
    static bool CopyBesideAndReplace(const std::string& from, const std::string& to) {
        std::string temporary;
        const int out = posix::CreateExclusiveTempFile(posix::DirectoryOf(to), ".VL", 0600, &temporary);
        if (out < 0)
            return false;
        bool ok = CopyInto(from, out);
        if (::close(out) != 0)
            ok = false;
        if (ok)
            ok = ::rename(temporary.c_str(), to.c_str()) == 0;
        if (!ok) {
            const int saved = errno;
            ::unlink(temporary.c_str());
            errno = saved;
            return false;
        }
        // `to` holds the data now; a `from` that cannot be deleted is only a leftover copy.
        ::unlink(from.c_str());
        return true;
    }
};

}  // namespace

FileSystem& SystemFileSystem() {
    static PosixFileSystem files;
    return files;
}

}  // namespace velmora
