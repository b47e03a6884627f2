#include "platform/Platform.hpp"

namespace velmora {

FileResult FileSystem::AddAttributes(const std::string&, std::uint32_t) {
    return FileResult(std::make_error_code(std::errc::operation_not_supported));
}

FileResult FileSystem::LinkSoleFile(const std::string&, const std::string&) {
    return FileResult(std::make_error_code(std::errc::operation_not_supported));
}

FileResult FileSystem::OpenForReading(const std::string&, std::unique_ptr<ReadableFile>*) {
    return FileResult(std::make_error_code(std::errc::operation_not_supported));
}
namespace {
FileSystem* g_files = nullptr;
Registry* g_registry = nullptr;
Clock* g_clock = nullptr;
}  // namespace

bool Registry::WriteValues(const std::string& keyPath, const std::vector<RegistryWrite>& values) {
    bool all = true;
    for (const RegistryWrite& value : values) {
        const bool stored = value.isDword ? WriteDword(keyPath, value.name, value.number)
                                          : WriteString(keyPath, value.name, value.text);
        all = stored && all;
    }
    return all;
}

bool Registry::Subkeys(const std::string&, std::vector<std::string>* names) {
    names->clear();
    return false;
}

bool Registry::DeleteKey(const std::string&) {
    return false;
}

namespace {
std::string NotSupported(const char* what, const std::string& path) {
    return std::string(what) + "(" + path +
           "): " + std::make_error_code(std::errc::function_not_supported).message();
}
}  // namespace

bool FileSystem::ListDirectory(const std::string& directory, std::vector<DirectoryEntry>* entries,
                               std::string* error) {
    entries->clear();
    *error = NotSupported("list", directory);
    return false;
}

FileResult FileSystem::CreateNewForWriting(const std::string&, std::unique_ptr<WritableFile>*) {
    return FileResult(std::make_error_code(std::errc::function_not_supported));
}

bool FileSystem::ListNames(const std::string& directory, std::vector<DirectoryEntry>* entries) {
    std::string error;
    return ListDirectory(directory, entries, &error);
}

bool FileSystem::Query(const std::string&, DirectoryEntry*) {
    return false;
}

bool FileSystem::MakeDirectories(const std::string& path, std::string* error) {
    *error = NotSupported("mkdir", path);
    return false;
}

std::string FileSystem::Environment(const char*) {
    return std::string();
}

std::string FileSystem::StateDirectory() {
    return std::string();
}

std::string FileSystem::FullPath(const std::string& path) {
    return path;
}

FileResult ReadWithin(
    std::uint64_t size, std::uint64_t offset, std::size_t count, std::string* bytes,
    const std::function<FileResult(std::uint64_t at, char* to, std::size_t n, std::size_t* got)>& readSome) {
    if (offset >= size) {
        bytes->clear();
        return FileResult::Success();
    }
    const std::uint64_t rest = size - offset;
    std::string read(count < rest ? count : static_cast<std::size_t>(rest), '\0');
    std::size_t got = 0;
    while (got < read.size()) {
        std::size_t piece = 0;
        if (const FileResult result = readSome(offset + got, &read[got], read.size() - got, &piece); !result)
            return result;
        if (piece == 0)
            break;
        got += piece;
    }
    read.resize(got);
    *bytes = std::move(read);
    return FileResult::Success();
}

bool ReadWholeFile(FileSystem& files, const std::string& path, std::string* bytes, std::string* error) {
    const FileResult read = files.ReadStart(path, kWholeFile, bytes);
    if (!read)
        *error = "read(" + path + "): " + read.Error().message();
    return static_cast<bool>(read);
}

FileResult WriteWholeFile(FileSystem& files, const std::string& path, std::string_view text) {
    std::unique_ptr<WritableFile> file;
    FileResult result = files.OpenForWriting(path, &file);
    if (result)
        result = file->Write(text.data(), text.size());
    if (result)
        result = file->Close();
    return result;
}

FileSystem& Files() {
    return g_files ? *g_files : SystemFileSystem();
}
Registry& Settings() {
    return g_registry ? *g_registry : SystemRegistry();
}
Clock& MonotonicClock() {
    return g_clock ? *g_clock : SystemClock();
}
void SetFileSystem(FileSystem* replacement) {
    g_files = replacement;
}
void SetRegistry(Registry* replacement) {
    g_registry = replacement;
}
void SetClock(Clock* replacement) {
    g_clock = replacement;
}

}  // namespace velmora
