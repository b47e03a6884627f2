#include "platform/win32/Win32Files.hpp"

#include <cstdint>
#include <limits>

namespace velmora::win32 {
namespace {

class Win32WritableFile final : public WritableFile {
public:
    explicit Win32WritableFile(HANDLE handle) : file_(handle) {}

    FileResult Write(const char* data, std::size_t size) override {
        if (!file_.IsOpen())
            return Refused(ERROR_INVALID_HANDLE);
        if (size == 0)
            return FileResult::Success();
        if (size > std::numeric_limits<DWORD>::max())
            return Refused(ERROR_INVALID_PARAMETER);
        LARGE_INTEGER before{};
        const LARGE_INTEGER zero{};
        const bool knowsPosition = SetFilePointerEx(file_.Get(), zero, &before, FILE_CURRENT) != 0;
        DWORD written = 0;
        const DWORD count = static_cast<DWORD>(size);
        const bool wrote = WriteFile(file_.Get(), data, count, &written, nullptr) != 0;
        if (wrote && written == count)
            return FileResult::Success();
        const DWORD error = wrote ? ERROR_DISK_FULL : GetLastError();
        // Take back a partly written line, so that a later write never follows half of one.
        if (knowsPosition && SetFilePointerEx(file_.Get(), before, nullptr, FILE_BEGIN) != 0)
            SetEndOfFile(file_.Get());
        return Refused(error);
    }

    FileResult Size(std::uint64_t* size) override {
        if (!file_.IsOpen())
            return Refused(ERROR_INVALID_HANDLE);
        DWORD high = 0;
        SetLastError(NO_ERROR);
        const DWORD low = GetFileSize(file_.Get(), &high);
        // All ones is also a valid low half; only the error code tells them apart.
        if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR)
            return Outcome(false);
        *size = (static_cast<std::uint64_t>(high) << 32) | low;
        return FileResult::Success();
    }

    FileResult Close() override {
        if (!file_.IsOpen())
            return Refused(ERROR_INVALID_HANDLE);
        return Outcome(file_.Close());
    }

private:
    FileHandle file_;
};

class Win32ReadableFile final : public ReadableFile {
public:
    Win32ReadableFile(HANDLE handle, std::uint64_t size) : file_(handle), size_(size) {}

    std::uint64_t Size() const override { return size_; }

    FileResult ReadAt(std::uint64_t offset, std::size_t count, std::string* bytes) override {
        return ReadWithin(
            size_, offset, count, bytes, [this](std::uint64_t at, char* to, std::size_t n, std::size_t* got) {
                // An OVERLAPPED on a handle opened for synchronous use reads at its
                // offset, and waits.
                OVERLAPPED place{};
                place.Offset = static_cast<DWORD>(at);
                place.OffsetHigh = static_cast<DWORD>(at >> 32);
                const DWORD ask = n > 0x40000000u ? 0x40000000u : static_cast<DWORD>(n);
                DWORD read = 0;
                *got = 0;
                if (ReadFile(file_.Get(), to, ask, &read, &place) == 0)
                    return GetLastError() == ERROR_HANDLE_EOF ? FileResult::Success() : Outcome(false);
                *got = read;
                return FileResult::Success();
            });
    }

private:
    FileHandle file_;
    std::uint64_t size_;
};

}  // namespace

FileResult ReadableDiskFile(HANDLE handle, std::unique_ptr<ReadableFile>* file) {
    FileHandle owned(handle);
    if (!owned.IsOpen())
        return Outcome(false);
    if (GetFileType(owned.Get()) != FILE_TYPE_DISK)
        return Refused(ERROR_INVALID_FUNCTION);
    BY_HANDLE_FILE_INFORMATION information{};
    if (!GetFileInformationByHandle(owned.Get(), &information))
        return Outcome(false);
    if (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        return Refused(ERROR_DIRECTORY);
    const std::uint64_t size =
        (static_cast<std::uint64_t>(information.nFileSizeHigh) << 32) | information.nFileSizeLow;
    *file = std::make_unique<Win32ReadableFile>(owned.Release(), size);
    return FileResult::Success();
}

FileResult Outcome(bool ok) {
    return ok ? FileResult::Success()
              : FileResult(std::error_code(static_cast<int>(GetLastError()), std::system_category()));
}

FileResult Refused(DWORD error) {
    return FileResult(std::error_code(static_cast<int>(error), std::system_category()));
}

std::unique_ptr<WritableFile> MakeWritableFile(HANDLE handle) {
    return std::make_unique<Win32WritableFile>(handle);
}

FileResult ReadStart(const FileHandle& file, std::size_t count, std::string* bytes) {
    if (!file.IsOpen())
        return Outcome(false);
    // The file's size is where the reading starts; a file that grows meanwhile grows the buffer.
    std::size_t room = 64 * 1024;
    LARGE_INTEGER size{};
    if (GetFileSizeEx(file.Get(), &size) && size.QuadPart > 0 &&
        static_cast<unsigned long long>(size.QuadPart) < std::numeric_limits<std::size_t>::max() / 2)
        room = static_cast<std::size_t>(size.QuadPart) + 1;
    std::string start(count < room ? count : room, '\0');
    std::size_t got = 0;
    while (got < count) {
        if (got == start.size())
            start.resize(count - got < start.size() ? count : start.size() * 2);
        const std::size_t want = start.size() - got;
        DWORD read = 0;
        const DWORD ask = want > 0x40000000u ? 0x40000000u : static_cast<DWORD>(want);
        if (ReadFile(file.Get(), &start[got], ask, &read, nullptr) == 0)
            return Outcome(false);
        if (read == 0)
            break;
        got += read;
    }
    start.resize(got);
    *bytes = std::move(start);
    return FileResult::Success();
}

}  // namespace velmora::win32
