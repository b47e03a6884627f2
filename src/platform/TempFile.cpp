#include "platform/TempFile.hpp"

#include <chrono>
#include <cstdio>
#include <utility>

#include "platform/Fingerprint.hpp"
#include "platform/PathNames.hpp"

namespace velmora {
namespace {

// GetTempFileName keeps no more than three characters of a prefix.
constexpr char kBesidePrefix[] = ".VL";
constexpr char kSystemPrefix[] = "VL";

std::size_t FolderLength(const std::string& path) {
    std::size_t folder = path.size();
    while (folder > 0 && !IsPathSeparator(path[folder - 1]))
        --folder;
    return folder;
}

}  // namespace

std::string FreeTempNameBeside(FileSystem& files, const std::string& target) {
    // A number no other run is likely to pick: the clock's nanoseconds, the place of this
    // process's data and a count, mixed.
    static std::uint64_t counter = 0;
    const auto now = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    const std::string folder = target.substr(0, FolderLength(target));
    for (int attempt = 0; attempt < 16; ++attempt) {
        const std::uint64_t seed[] = {now, reinterpret_cast<std::uintptr_t>(&counter), ++counter};
        const std::uint64_t number =
            Xxh64(std::string_view(reinterpret_cast<const char*>(seed), sizeof seed));
        char hex[16];
        std::snprintf(hex, sizeof hex, "%X", static_cast<unsigned>(number & 0xFFFFFFFFu));
        const std::string name = folder + kBesidePrefix + hex + ".tmp";
        if (files.Attributes(name) == kNoAttributes)
            return name;
    }
    return std::string();
}

bool IsTempNameBeside(const std::string& path) {
    const std::string name = path.substr(FolderLength(path));
    const std::size_t prefix = sizeof kBesidePrefix - 1;
    const std::string suffix = ".tmp";
    if (name.size() <= prefix + suffix.size() || name.size() > prefix + 8 + suffix.size() ||
        name.compare(0, prefix, kBesidePrefix) != 0 ||
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
        return false;
    return name.find_first_not_of("0123456789ABCDEF", prefix) == name.size() - suffix.size();
}

FileResult CreateTempFileFor(FileSystem& files, const std::string& target, std::string* name) {
    const std::size_t folder = FolderLength(target);
    if (files.CreateTempFile(target.substr(0, folder), kBesidePrefix, name))
        return FileResult::Success();
    const std::string directory = files.TempDirectory();
    // An empty directory would be the target's folder again.
    if (directory.empty())
        return FileResult(std::make_error_code(std::errc::no_such_file_or_directory));
    return files.CreateTempFile(directory, kSystemPrefix, name);
}

TempFile::TempFile(TempFile&& other) noexcept
    : files_(std::exchange(other.files_, nullptr)), name_(std::move(other.name_)) {}

TempFile& TempFile::operator=(TempFile&& other) noexcept {
    if (this != &other) {
        Discard();
        files_ = std::exchange(other.files_, nullptr);
        name_ = std::move(other.name_);
    }
    return *this;
}

FileResult TempFile::KeepAs(const std::string& target) {
    if (!files_)
        return FileResult(std::make_error_code(std::errc::no_such_file_or_directory));
    const FileResult result = files_->ReplaceAtomically(name_, target);
    if (result)
        files_ = nullptr;
    return result;
}

void TempFile::Discard() {
    if (!files_)
        return;
    FileSystem* files = std::exchange(files_, nullptr);
    (void)files->Delete(name_);
}

}  // namespace velmora
