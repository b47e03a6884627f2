#include "platform/TempFile.hpp"

#include <utility>

#include "platform/PathNames.hpp"

namespace velmora {
namespace {

// GetTempFileName keeps no more than three characters of a prefix.
constexpr char kBesidePrefix[] = ".VL";
constexpr char kSystemPrefix[] = "VL";

}  // namespace

FileResult CreateTempFileFor(FileSystem& files, const std::string& target, std::string* name) {
    std::size_t folder = target.size();
    while (folder > 0 && !IsPathSeparator(target[folder - 1]))
        --folder;
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
