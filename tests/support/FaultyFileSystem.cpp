#include "support/FaultyFileSystem.hpp"

#include <algorithm>

#if !defined(_WIN32)
#include "platform/posix/PosixCommon.hpp"
#endif

namespace velmora::test {
namespace {

// What an injected failure reports: an I/O error, as a failing disk would.
FileResult Injected() {
    return FileResult(std::make_error_code(std::errc::io_error));
}

class FaultyWritableFile final : public WritableFile {
public:
    FaultyWritableFile(FaultyFileSystem* owner, std::unique_ptr<WritableFile> inner, std::string path)
        : owner_(owner), inner_(std::move(inner)), path_(std::move(path)) {}

    FileResult Write(const char* data, std::size_t size) override {
        if (!owner_->Record("Write", path_)) {
            if (owner_->partialWrites() && size > 1)
                (void)inner_->Write(data, size / 2);
            return Injected();
        }
        return inner_->Write(data, size);
    }
    FileResult Size(std::uint64_t* size) override {
        if (!owner_->Record("Size", path_))
            return Injected();
        return inner_->Size(size);
    }
    FileResult Close() override {
        const bool wanted = owner_->Record("Close", path_);
        // A failing close still releases the file, as close(2) and CloseHandle do.
        const FileResult closed = inner_->Close();
        return wanted ? closed : Injected();
    }

private:
    FaultyFileSystem* owner_;
    std::unique_ptr<WritableFile> inner_;
    std::string path_;
};

bool Take(std::vector<int>* list, int value) {
    auto found = std::find(list->begin(), list->end(), value);
    if (found == list->end())
        return false;
    list->erase(found);
    return true;
}

}  // namespace

FaultyFileSystem::FaultyFileSystem(FileSystem* inner) : inner_(inner ? *inner : SystemFileSystem()) {}

void FaultyFileSystem::FailOperation(int n) {
    failAt_.push_back(operations_ + n);
}

void FaultyFileSystem::FailOperation(const std::string& kind, int n) {
    failKindAt_[kind].push_back(counts_[kind] + n);
}

void FaultyFileSystem::FailEvery(const std::string& kind) {
    failEvery_.push_back(kind);
}

void FaultyFileSystem::ClearFailures() {
    failAt_.clear();
    failKindAt_.clear();
    failEvery_.clear();
}

std::string FaultyFileSystem::LogText() const {
    std::string text;
    for (const std::string& line : log_)
        text += line + "\n";
    return text;
}

int FaultyFileSystem::Count(const std::string& kind) const {
    auto found = counts_.find(kind);
    return found == counts_.end() ? 0 : found->second;
}

bool FaultyFileSystem::Record(const std::string& kind, const std::string& arguments) {
    const int overall = ++operations_;
    const int ofKind = ++counts_[kind];
    bool fail = Take(&failAt_, overall);
    if (Take(&failKindAt_[kind], ofKind))
        fail = true;
    if (std::find(failEvery_.begin(), failEvery_.end(), kind) != failEvery_.end())
        fail = true;
    log_.push_back(kind + "(" + arguments + ")" + (fail ? " -> injected failure" : ""));
    return !fail;
}

std::uint32_t FaultyFileSystem::Attributes(const std::string& path) {
    if (!Record("Attributes", path))
        return kNoAttributes;
    return inner_.Attributes(path);
}

FileResult FaultyFileSystem::MoveNoReplace(const std::string& from, const std::string& to) {
    if (!Record("MoveNoReplace", from + "," + to))
        return Injected();
    return inner_.MoveNoReplace(from, to);
}

FileResult FaultyFileSystem::ReadStart(const std::string& path, std::size_t count, std::string* bytes) {
    if (!Record("ReadStart", path))
        return Injected();
    return inner_.ReadStart(path, count, bytes);
}

FileResult FaultyFileSystem::OpenForReading(const std::string& path, std::unique_ptr<ReadableFile>* file) {
    if (!Record("OpenForReading", path))
        return Injected();
    return inner_.OpenForReading(path, file);
}

FileResult FaultyFileSystem::Delete(const std::string& path) {
    if (!Record("Delete", path))
        return Injected();
    return inner_.Delete(path);
}

bool FaultyFileSystem::SameFile(const std::string& a, const std::string& b) {
    if (!Record("SameFile", a + "," + b))
        return false;
    return inner_.SameFile(a, b);
}

bool FaultyFileSystem::ListDirectory(const std::string& directory, std::vector<DirectoryEntry>* entries,
                                     std::string* error) {
    if (!Record("ListDirectory", directory)) {
        *error = "list(" + directory + "): injected failure";
        return false;
    }
    return inner_.ListDirectory(directory, entries, error);
}

bool FaultyFileSystem::ListNames(const std::string& directory, std::vector<DirectoryEntry>* entries) {
    return Record("ListNames", directory) && inner_.ListNames(directory, entries);
}

bool FaultyFileSystem::Query(const std::string& path, DirectoryEntry* entry) {
    return Record("Query", path) && inner_.Query(path, entry);
}

bool FaultyFileSystem::MakeDirectories(const std::string& path, std::string* error) {
    if (!Record("MakeDirectories", path)) {
        *error = "mkdir(" + path + "): injected failure";
        return false;
    }
    return inner_.MakeDirectories(path, error);
}

std::string FaultyFileSystem::TempDirectory() {
    if (!Record("TempDirectory", ""))
        return std::string();
    return inner_.TempDirectory();
}

FileResult FaultyFileSystem::CreateTempFile(const std::string& directory, const std::string& prefix,
                                            std::string* name) {
    if (!Record("CreateTempFile", directory + "," + prefix))
        return Injected();
    return inner_.CreateTempFile(directory, prefix, name);
}

FileResult FaultyFileSystem::OpenForWriting(const std::string& path, std::unique_ptr<WritableFile>* file) {
    if (!Record("OpenForWriting", path))
        return Injected();
    std::unique_ptr<WritableFile> opened;
    const FileResult result = inner_.OpenForWriting(path, &opened);
    if (!result)
        return result;
    *file = std::make_unique<FaultyWritableFile>(this, std::move(opened), path);
    return result;
}

FileResult FaultyFileSystem::CreateNewForWriting(const std::string& path,
                                                 std::unique_ptr<WritableFile>* file) {
    if (!Record("CreateNewForWriting", path))
        return Injected();
    std::unique_ptr<WritableFile> opened;
    const FileResult result = inner_.CreateNewForWriting(path, &opened);
    if (!result)
        return result;
    *file = std::make_unique<FaultyWritableFile>(this, std::move(opened), path);
    return result;
}

FileResult FaultyFileSystem::ReplaceAtomically(const std::string& from, const std::string& to) {
    if (!Record("ReplaceAtomically", from + "," + to))
        return Injected();
    return inner_.ReplaceAtomically(from, to);
}

#if !defined(_WIN32)
namespace {
int g_fallbackError = EINVAL;
int g_refusals = 0;
int RefusedRename(const char*, const char*) {
    ++g_refusals;
    errno = g_fallbackError;
    return -1;
}
}  // namespace

ScopedRenameFallback::ScopedRenameFallback(int error) {
    g_fallbackError = error;
    g_refusals = 0;
    posix::SetRenameNoReplace(RefusedRename);
}

int ScopedRenameFallback::Refusals() const {
    return g_refusals;
}

ScopedRenameFallback::~ScopedRenameFallback() {
    posix::SetRenameNoReplace(nullptr);
}
#endif

}  // namespace velmora::test
