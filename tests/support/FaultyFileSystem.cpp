#include "support/FaultyFileSystem.hpp"

#include <algorithm>

namespace velmora::test {
namespace {

class FaultyWritableFile final : public WritableFile {
public:
    FaultyWritableFile(FaultyFileSystem* owner, std::unique_ptr<WritableFile> inner, std::string path)
        : owner_(owner), inner_(std::move(inner)), path_(std::move(path)) {}

    bool Write(const char* data, std::size_t size) override {
        if (!owner_->Record("Write", path_)) {
            if (owner_->partialWrites() && size > 1)
                inner_->Write(data, size / 2);
            return false;
        }
        return inner_->Write(data, size);
    }
    bool Size(std::uint64_t* size) override {
        if (!owner_->Record("Size", path_))
            return false;
        return inner_->Size(size);
    }
    bool Prepend(const char* data, std::size_t size) override {
        if (!owner_->Record("Prepend", path_))
            return false;
        return inner_->Prepend(data, size);
    }
    bool Close() override {
        const bool wanted = owner_->Record("Close", path_);
        // A failing close still releases the file, as close(2) and CloseHandle do.
        const bool closed = inner_->Close();
        return wanted && closed;
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

bool FaultyFileSystem::MoveNoReplace(const std::string& from, const std::string& to) {
    if (!Record("MoveNoReplace", from + "," + to))
        return false;
    return inner_.MoveNoReplace(from, to);
}

bool FaultyFileSystem::Delete(const std::string& path) {
    if (!Record("Delete", path))
        return false;
    return inner_.Delete(path);
}

bool FaultyFileSystem::SameFile(const std::string& a, const std::string& b) {
    if (!Record("SameFile", a + "," + b))
        return false;
    return inner_.SameFile(a, b);
}

std::string FaultyFileSystem::TempDirectory() {
    if (!Record("TempDirectory", ""))
        return std::string();
    return inner_.TempDirectory();
}

std::string FaultyFileSystem::CreateTempFile(const std::string& directory, const std::string& prefix) {
    if (!Record("CreateTempFile", directory + "," + prefix))
        return std::string();
    return inner_.CreateTempFile(directory, prefix);
}

std::unique_ptr<WritableFile> FaultyFileSystem::OpenForWriting(const std::string& path) {
    if (!Record("OpenForWriting", path))
        return nullptr;
    std::unique_ptr<WritableFile> file = inner_.OpenForWriting(path);
    if (!file)
        return nullptr;
    return std::make_unique<FaultyWritableFile>(this, std::move(file), path);
}

bool FaultyFileSystem::ReplaceAtomically(const std::string& from, const std::string& to) {
    if (!Record("ReplaceAtomically", from + "," + to))
        return false;
    return inner_.ReplaceAtomically(from, to);
}

}  // namespace velmora::test
