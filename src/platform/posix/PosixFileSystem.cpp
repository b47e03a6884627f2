// The file system as the plug-in sees it on POSIX systems, made to behave like the Win32 calls
// it was written against: moves never replace, read-only files resist deletion and replacement,
// temporary files are created exclusively.
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

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
    const posix::UniqueFd in(::open(from.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
    if (!in.IsOpen())
        return false;
    struct stat status {};
    bool ok = ::fstat(in.Get(), &status) == 0 && S_ISREG(status.st_mode);
    if (!ok && errno == 0)
        errno = EINVAL;
    char buffer[65536];
    while (ok) {
        const ssize_t got = ::read(in.Get(), buffer, sizeof buffer);
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
    return ok;
}

// Removes a file left over by a failed step without losing the errno that step set.
void UnlinkKeepingErrno(const std::string& path) {
    const int saved = errno;
    ::unlink(path.c_str());
    errno = saved;
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
    posix::UniqueFd out(::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!out.IsOpen())
        return false;
    bool ok = CopyInto(from, out.Get());
    if (!out.Close())
        ok = false;
    if (ok && ::unlink(from.c_str()) != 0)
        ok = false;
    if (!ok)
        UnlinkKeepingErrno(to);
    return ok;
}

// Renaming without replacing where the file system cannot do it in one step: a hard link
// claims the name atomically; directories (which cannot be linked) take the checked rename.
bool LinkThenUnlink(const std::string& from, const std::string& to) {
    if (::link(from.c_str(), to.c_str()) == 0) {
        if (::unlink(from.c_str()) == 0)
            return true;
        UnlinkKeepingErrno(to);
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

int SystemRenameNoReplace(const char* from, const char* to) {
#if defined(RENAME_NOREPLACE)
    return ::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE);
#else
    (void)from;
    (void)to;
    errno = ENOSYS;
    return -1;
#endif
}

posix::RenameNoReplaceCall g_renameNoReplace = SystemRenameNoReplace;

// `refusing`: the folder (the part of `to` before its last '/') whose file system is known to
// refuse the one-step rename; a move into it goes straight to the fallback. Set here when a
// refusal is met, so that a batch on such a file system pays one refused call, not one a file.
bool MoveWithoutReplacing(const std::string& from, const std::string& to, std::optional<std::string>* refusing) {
    if (from.empty() || to.empty()) {
        errno = ENOENT;
        return false;
    }
    const std::size_t slash = to.rfind('/');
    const std::string_view folder = slash == std::string::npos ? std::string_view() : std::string_view(to).substr(0, slash);
    if (!(*refusing && **refusing == folder)) {
        if (g_renameNoReplace(from.c_str(), to.c_str()) == 0)
            return true;
        if (errno == EXDEV)
            return CopyThenDelete(from, to);
        // Only a file system (or kernel) that cannot rename without replacing takes the fallback.
        if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
            return false;
        *refusing = std::string(folder);
    }
    if (LinkThenUnlink(from, to))
        return true;
    if (errno == EXDEV)
        return CopyThenDelete(from, to);
    return false;
}

bool DeleteFile(const std::string& path) {
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

// The copy lands in a new file beside `to` first, so that the final step is still a rename
// within one file system and `to` is never seen half written.
bool CopyBesideAndReplace(const std::string& from, const std::string& to) {
    std::string temporary;
    posix::UniqueFd out = posix::CreateExclusiveTempFile(posix::DirectoryOf(to), ".VL", 0600, &temporary);
    if (!out.IsOpen())
        return false;
    bool ok = CopyInto(from, out.Get());
    if (!out.Close())
        ok = false;
    if (ok)
        ok = ::rename(temporary.c_str(), to.c_str()) == 0;
    if (!ok) {
        UnlinkKeepingErrno(temporary);
        return false;
    }
    // `to` holds the data now; a `from` that cannot be deleted is only a leftover copy.
    ::unlink(from.c_str());
    return true;
}

bool Replace(const std::string& from, const std::string& to) {
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

FileResult Outcome(bool ok) {
    return posix::ErrnoResult(ok, errno);
}

class PosixWritableFile final : public WritableFile {
public:
    explicit PosixWritableFile(posix::UniqueFd fd) : fd_(std::move(fd)) {}

    FileResult Write(const char* data, std::size_t size) override {
        if (!fd_.IsOpen())
            return FileResult(std::make_error_code(std::errc::bad_file_descriptor));
        const off_t before = ::lseek(fd_.Get(), 0, SEEK_CUR);
        if (posix::WriteAll(fd_.Get(), data, size))
            return FileResult::Success();
        const int error = errno;
        // Take back a partly written line, so that a later write never follows half of one.
        if (before >= 0 && ::ftruncate(fd_.Get(), before) == 0)
            ::lseek(fd_.Get(), before, SEEK_SET);
        return posix::ErrnoResult(false, error);
    }
    FileResult Size(std::uint64_t* size) override {
        struct stat status {};
        if (!fd_.IsOpen())
            return FileResult(std::make_error_code(std::errc::bad_file_descriptor));
        if (::fstat(fd_.Get(), &status) != 0)
            return Outcome(false);
        *size = static_cast<std::uint64_t>(status.st_size);
        return FileResult::Success();
    }
    FileResult Close() override {
        if (!fd_.IsOpen())
            return FileResult(std::make_error_code(std::errc::bad_file_descriptor));
        return Outcome(fd_.Close());
    }

private:
    posix::UniqueFd fd_;
};

class PosixReadableFile final : public ReadableFile {
public:
    PosixReadableFile(posix::UniqueFd fd, std::uint64_t size) : fd_(std::move(fd)), size_(size) {}

    std::uint64_t Size() const override { return size_; }

    FileResult ReadAt(std::uint64_t offset, std::size_t count, std::string* bytes) override {
        return ReadWithin(size_, offset, count, bytes,
                          [this](std::uint64_t at, char* to, std::size_t n, std::size_t* got) {
                              for (;;) {
                                  const ssize_t read = ::pread(fd_.Get(), to, n, static_cast<off_t>(at));
                                  if (read < 0 && errno == EINTR)
                                      continue;
                                  if (read < 0)
                                      return Outcome(false);
                                  *got = static_cast<std::size_t>(read);
                                  return FileResult::Success();
                              }
                          });
    }

private:
    posix::UniqueFd fd_;
    std::uint64_t size_;
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

    FileResult MoveNoReplace(const std::string& from, const std::string& to) override {
        return Outcome(MoveWithoutReplacing(from, to, &refusing_));
    }

    void NewBatch() override { refusing_.reset(); }

    FileResult ReadStart(const std::string& path, std::size_t count, std::string* bytes) override {
        // Without O_NONBLOCK a FIFO that someone named Descript.ion would wait for a writer for
        // ever; such a file, and any other that is not a plain file, is not read.
        const posix::UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        if (!fd.IsOpen())
            return Outcome(false);
        // The file's size is where the reading starts; a file that grows meanwhile grows the buffer.
        struct stat status {};
        std::size_t room = 64 * 1024;
        if (::fstat(fd.Get(), &status) == 0) {
            if (!S_ISREG(status.st_mode) && !S_ISDIR(status.st_mode))
                return FileResult(std::make_error_code(std::errc::invalid_argument));
            if (status.st_size > 0)
                room = static_cast<std::size_t>(status.st_size) + 1;
        }
        std::string start(count < room ? count : room, '\0');
        std::size_t got = 0;
        while (got < count) {
            if (got == start.size())
                start.resize(count - got < start.size() ? count : start.size() * 2);
            const ssize_t read = ::read(fd.Get(), &start[got], start.size() - got);
            if (read < 0 && errno == EINTR)
                continue;
            if (read < 0)
                return Outcome(false);
            if (read == 0)
                break;
            got += static_cast<std::size_t>(read);
        }
        start.resize(got);
        *bytes = std::move(start);
        return FileResult::Success();
    }

    FileResult Delete(const std::string& path) override { return Outcome(DeleteFile(path)); }

    FileResult OpenForReading(const std::string& path, std::unique_ptr<ReadableFile>* file) override {
        // The name is looked at first, so that a device is never opened (opening one can rewind a
        // tape or arm a watchdog); the descriptor is looked at again, since the name may have been
        // replaced in between. Without O_NONBLOCK, opening a FIFO would wait for a writer.
        struct stat status {};
        if (::stat(path.c_str(), &status) != 0)
            return Outcome(false);
        if (!S_ISREG(status.st_mode))
            return FileResult(std::make_error_code(S_ISDIR(status.st_mode) ? std::errc::is_a_directory
                                                                           : std::errc::invalid_argument));
        posix::UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        if (!fd.IsOpen())
            return Outcome(false);
        if (::fstat(fd.Get(), &status) != 0)
            return Outcome(false);
        if (!S_ISREG(status.st_mode))
            return FileResult(std::make_error_code(std::errc::invalid_argument));
        *file =
            std::make_unique<PosixReadableFile>(std::move(fd), static_cast<std::uint64_t>(status.st_size));
        return FileResult::Success();
    }

    FileResult LinkSoleFile(const std::string& existing, const std::string& link) override {
        struct stat before {};
        if (::lstat(existing.c_str(), &before) != 0)
            return Outcome(false);
        if (!S_ISREG(before.st_mode) || before.st_nlink != 1)
            return FileResult(std::make_error_code(std::errc::operation_not_supported));
        if (::link(existing.c_str(), link.c_str()) != 0)
            return Outcome(false);
        // The very file looked at, and still its only other name.
        struct stat after {};
        if (::lstat(link.c_str(), &after) != 0 || after.st_dev != before.st_dev ||
            after.st_ino != before.st_ino || after.st_nlink != 2) {
            ::unlink(link.c_str());
            return FileResult(std::make_error_code(std::errc::operation_not_supported));
        }
        return FileResult::Success();
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

    FileResult CreateTempFile(const std::string& directory, const std::string& prefix,
                              std::string* name) override {
        std::string made;
        posix::UniqueFd fd = posix::CreateExclusiveTempFile(directory, prefix, 0666, &made);
        if (!fd.IsOpen())
            return Outcome(false);
        if (!fd.Close()) {
            UnlinkKeepingErrno(made);
            return Outcome(false);
        }
        *name = std::move(made);
        return FileResult::Success();
    }

    FileResult OpenForWriting(const std::string& path, std::unique_ptr<WritableFile>* file) override {
        posix::UniqueFd fd(::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0666));
        if (!fd.IsOpen())
            return Outcome(false);
        *file = std::make_unique<PosixWritableFile>(std::move(fd));
        return FileResult::Success();
    }

    FileResult ReplaceAtomically(const std::string& from, const std::string& to) override {
        return Outcome(Replace(from, to));
    }

    FileResult CreateNewForWriting(const std::string& path, std::unique_ptr<WritableFile>* file) override {
        posix::UniqueFd fd(::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
        if (!fd.IsOpen())
            return Outcome(false);
        *file = std::make_unique<PosixWritableFile>(std::move(fd));
        return FileResult::Success();
    }

    bool ListDirectory(const std::string& directory, std::vector<DirectoryEntry>* entries,
                       std::string* error) override {
        return posix::ListDirectory(directory, entries, error);
    }
    bool ListNames(const std::string& directory, std::vector<DirectoryEntry>* entries) override {
        return posix::ListNames(directory, entries);
    }
    bool Query(const std::string& path, DirectoryEntry* entry) override {
        return posix::QueryEntry(path, entry);
    }
    bool MakeDirectories(const std::string& path, std::string* error) override {
        return posix::MakeDirectories(path, error);
    }
    std::string Environment(const char* name) override { return posix::Environment(name); }
    std::string StateDirectory() override { return posix::StateDirectory(); }
    std::string FullPath(const std::string& path) override { return posix::FullPath(path); }

private:
    std::optional<std::string> refusing_;  // see MoveWithoutReplacing
};

}  // namespace

bool FileResult::TargetExists() const {
    return error_ == std::errc::file_exists;
}

namespace posix {
void SetRenameNoReplace(RenameNoReplaceCall call) {
    g_renameNoReplace = call ? call : SystemRenameNoReplace;
}
}  // namespace posix

FileSystem& SystemFileSystem() {
    static PosixFileSystem files;
    return files;
}

}  // namespace velmora
