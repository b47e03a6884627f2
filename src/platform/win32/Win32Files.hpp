// What both Windows file systems share, whichever character set names their files: results from
// the system's error codes, the writable file over a handle, and reading a file's first bytes.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "platform/Platform.hpp"
#include "platform/win32/Win32Handle.hpp"
#include "platform/win32/WindowsPrelude.hpp"

namespace velmora::win32 {

// The result of a call that reports its failure through GetLastError.
FileResult Outcome(bool ok);
FileResult Refused(DWORD error);

// A file opened for reading and writing, as WritableFile; takes the handle over.
std::unique_ptr<WritableFile> MakeWritableFile(HANDLE handle);

// The readable file over a handle just opened (taken over and closed on failure), when it is a
// regular file on a disk: anything else a name may reach (a device such as COM1, a pipe) is
// refused before a byte is read.
FileResult ReadableDiskFile(HANDLE handle, std::unique_ptr<ReadableFile>* file);

// Up to `count` bytes from the start of the opened file (a failure when it is not open).
FileResult ReadStart(const FileHandle& file, std::size_t count, std::string* bytes);

}  // namespace velmora::win32
