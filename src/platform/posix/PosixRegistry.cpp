// The registry on POSIX systems: one REGEDIT4 text file per user. Writers serialize through a
// lock file and replace the store with a rename, so a reader always sees a whole file.
#include <fcntl.h>
#include <pwd.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <optional>

#include "platform/Platform.hpp"
#include "platform/RegistryStore.hpp"
#include "platform/posix/PosixCommon.hpp"

namespace velmora {
namespace {

constexpr char kStoreName[] = "registry.reg";

// $XDG_CONFIG_HOME/velmora, or ~/.config/velmora; empty when there is no home to use.
std::string StoreDirectory() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    // Relative values are to be ignored, says the base directory convention.
    if (config && config[0] == '/')
        return std::string(config) + "/velmora";
    const char* home = std::getenv("HOME");
    std::string base = home && home[0] ? home : "";
    if (base.empty()) {
        const struct passwd* user = ::getpwuid(::getuid());
        if (user && user->pw_dir && user->pw_dir[0])
            base = user->pw_dir;
    }
    if (base.empty())
        return std::string();
    return base + "/.config/velmora";
}

bool MakeDirectories(const std::string& path) {
    for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string prefix = path.substr(0, slash);
        if (::mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
        if (slash == std::string::npos)
            break;
    }
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

// Missing counts as empty; false only when an existing file cannot be read.
bool ReadStoreText(const std::string& path, std::string* text) {
    text->clear();
    const posix::UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.IsOpen())
        return errno == ENOENT;
    return posix::ReadAll(fd.Get(), text);
}

// A store that is not a REGEDIT4 text is kept under a name of its own before a fresh one is
// started; an earlier damaged copy is never overwritten.
bool KeepDamagedCopy(const std::string& directory, const std::string& text) {
    for (int attempt = 0; attempt < 1000; ++attempt) {
        std::string name = directory + "/" + kStoreName + ".damaged";
        if (attempt > 0)
            name += "." + std::to_string(attempt);
        posix::UniqueFd fd(::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (!fd.IsOpen()) {
            if (errno == EEXIST)
                continue;
            return false;
        }
        bool ok = posix::WriteAll(fd.Get(), text.data(), text.size()) && ::fsync(fd.Get()) == 0;
        if (!fd.Close())
            ok = false;
        if (!ok)
            ::unlink(name.c_str());
        return ok;
    }
    return false;
}

// Holds an exclusive lock on the store's lock file while it lives.
class StoreLock {
public:
    explicit StoreLock(const std::string& directory) {
        const std::string name = directory + "/" + kStoreName + ".lock";
        fd_ = posix::UniqueFd(::open(name.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (!fd_.IsOpen())
            return;
        while (::flock(fd_.Get(), LOCK_EX) != 0) {
            if (errno != EINTR) {
                fd_.Close();
                return;
            }
        }
    }
    bool held() const { return fd_.IsOpen(); }

private:
    posix::UniqueFd fd_;
};

// Writes the text to a new file beside `target` and renames it into place.
bool ReplaceStore(const std::string& target, const std::string& text) {
    std::string temporary;
    posix::UniqueFd fd = posix::CreateExclusiveTempFile(posix::DirectoryOf(target), ".registry", 0600, &temporary);
    if (!fd.IsOpen())
        return false;
    bool ok = posix::WriteAll(fd.Get(), text.data(), text.size());
    struct stat old {};
    if (ok && ::stat(target.c_str(), &old) == 0)
        ok = ::fchmod(fd.Get(), old.st_mode & 07777) == 0;
    if (ok)
        ok = ::fsync(fd.Get()) == 0;
    if (!fd.Close())
        ok = false;
    if (ok)
        ok = ::rename(temporary.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(temporary.c_str());
        return false;
    }
    // One flush per write, the new file's: the rename reaches the disk with the directory's next
    // write-back, and until then a power cut leaves the previous store, whole. Flushing the
    // directory too would double the cost of every run for options that are only a convenience.
    return true;
}

class PosixRegistry final : public Registry {
public:
    bool Read(const std::string& keyPath, const std::string& valueName, std::size_t capacity,
              std::string* bytes) override {
        const std::lock_guard<std::mutex> hold(lock_);
        const RegistryStore* store = Current();
        if (!store)
            return false;
        const RegistryValue* value = store->Find(keyPath, valueName);
        if (!value || value->bytes.size() > capacity)
            return false;
        *bytes = value->bytes;
        return true;
    }

    bool WriteString(const std::string& keyPath, const std::string& valueName,
                     const std::string& text) override {
        return WriteValues(keyPath, {RegistryWrite::String(valueName, text)});
    }

    bool WriteDword(const std::string& keyPath, const std::string& valueName, std::uint32_t number) override {
        return WriteValues(keyPath, {RegistryWrite::Dword(valueName, number)});
    }

    // The whole batch goes into one new store, put in place by one rename: a reader, or the
    // store after a crash, has all of the values or none.
    bool WriteValues(const std::string& keyPath, const std::vector<RegistryWrite>& values) override {
        return Change([&](RegistryStore& store, bool* all) {
                   // A value that cannot be stored (a line break in its name) leaves the others to go in.
                   bool changed = false;
                   for (const RegistryWrite& write : values) {
                       const bool set = store.Set(keyPath, write.name, StoredValue(write));
                       changed = changed || set;
                       *all = *all && set;
                   }
                   return changed;
               }) ||
               values.empty();
    }

    bool Subkeys(const std::string& keyPath, std::vector<std::string>* names) override {
        names->clear();
        const std::lock_guard<std::mutex> hold(lock_);
        const RegistryStore* store = Current();
        return store && store->Subkeys(keyPath, names);
    }

    bool DeleteKey(const std::string& keyPath) override {
        std::vector<std::string> names;
        if (!Subkeys(keyPath, &names))
            return true;
        return Change([&](RegistryStore& store, bool*) { return store.DeleteKey(keyPath); });
    }

private:
    // The store as its file now holds it, parsed once for as long as the file stays the same one
    // (a write puts a new file in place: another inode); null when there is none to read. A
    // dialog reads a dozen values at a time.
    const RegistryStore* Current() {
        const std::string directory = StoreDirectory();
        if (directory.empty())
            return nullptr;
        const std::string path = directory + "/" + kStoreName;
        struct stat status {};
        if (::stat(path.c_str(), &status) != 0) {
            parsed_.reset();
            return errno == ENOENT ? &Empty() : nullptr;
        }
        const FileIdentity identity{path,
                                    status.st_dev,
                                    status.st_ino,
                                    status.st_size,
                                    status.st_mtim.tv_sec,
                                    status.st_mtim.tv_nsec};
        if (!parsed_ || !(identity == identity_)) {
            parsed_.reset();
            std::string text;
            if (!ReadStoreText(path, &text))
                return nullptr;
            parsed_.emplace(text);
            identity_ = identity;
        }
        return parsed_->HasHeader() ? &*parsed_ : nullptr;
    }

    static const RegistryStore& Empty() {
        static const RegistryStore empty;
        return empty;
    }

    struct FileIdentity {
        std::string path;
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = 0;
        time_t seconds = 0;
        long nanoseconds = 0;
        bool operator==(const FileIdentity& other) const {
            return path == other.path && device == other.device && inode == other.inode && size == other.size &&
                   seconds == other.seconds && nanoseconds == other.nanoseconds;
        }
    };

    std::mutex lock_;
    std::optional<RegistryStore> parsed_;
    FileIdentity identity_;

    // Reads the store under the lock, lets `change` alter it (true when it did, *all false when
    // part of it could not be made) and puts the new store in place; true when it is there with
    // every part of the change. A change that alters nothing writes nothing and gives false.
    template <typename Edit>
    bool Change(const Edit& change) {
        const std::string directory = StoreDirectory();
        if (directory.empty() || !MakeDirectories(directory))
            return false;
        StoreLock lock(directory);
        if (!lock.held())
            return false;

        std::string target = directory + "/" + kStoreName;
        // A store kept elsewhere through a symbolic link (dot files under version control)
        // stays there, and the link stays a link.
        struct stat status {};
        if (::lstat(target.c_str(), &status) == 0 && S_ISLNK(status.st_mode)) {
            char* resolved = ::realpath(target.c_str(), nullptr);
            if (!resolved)
                return false;
            target = resolved;
            std::free(resolved);
        }

        std::string text;
        if (!ReadStoreText(target, &text))
            return false;
        RegistryStore store(text);
        if (!store.HasHeader()) {
            if (!KeepDamagedCopy(directory, text))
                return false;
            store = RegistryStore();
        }
        bool all = true;
        if (!change(store, &all))
            return false;
        return ReplaceStore(target, store.Text()) && all;
    }

    static RegistryValue StoredValue(const RegistryWrite& write) {
        RegistryValue value;
        if (write.isDword) {
            value.type = kRegistryDword;
            for (int i = 0; i < 4; ++i)
                value.bytes += static_cast<char>((write.number >> (8 * i)) & 0xFF);
        } else {
            value.type = kRegistryString;
            value.bytes = write.text + '\0';
        }
        return value;
    }
};

}  // namespace

Registry& SystemRegistry() {
    static PosixRegistry registry;
    return registry;
}

}  // namespace velmora
