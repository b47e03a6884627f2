#include "platform/TempFile.hpp"

#include <utility>

namespace velmora {

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
