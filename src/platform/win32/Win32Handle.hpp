// Owners of Windows handles for the platform layer: closed on every path out of a function.
#pragma once

#include <string>

#include "platform/win32/WindowsPrelude.hpp"

namespace velmora::win32 {

// A file or directory handle from CreateFileA; INVALID_HANDLE_VALUE when empty.
class FileHandle {
public:
    FileHandle() = default;
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    ~FileHandle() { Close(); }

    bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return handle_; }
    // Gives the handle up to the caller, who closes it.
    HANDLE Release() {
        HANDLE handle = handle_;
        handle_ = INVALID_HANDLE_VALUE;
        return handle;
    }
    // False when the system reports a failure; the handle is released either way.
    bool Close() {
        if (!IsOpen())
            return true;
        HANDLE handle = handle_;
        handle_ = INVALID_HANDLE_VALUE;
        return CloseHandle(handle) != 0;
    }

private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

// The Win32 "A" functions take zero-terminated text: a name with a zero byte inside would name
// a different file or key, so such names are refused instead of cut.
inline bool HasEmbeddedZero(const std::string& text) {
    return text.find('\0') != std::string::npos;
}

}  // namespace velmora::win32
