// A temporary file a run made. It is either kept (put in the place of another file, or left
// where it is for the user) or discarded; when its owner goes without deciding, it is discarded.
// It is never forgotten, beside its target or in the temporary directory.
#pragma once

#include <string>

#include "platform/Platform.hpp"

namespace velmora {

// Creates an empty temporary file that is to take `target`'s place: beside it, so that the
// replace is a rename within one volume and never a copy, named ".VL" + hex number + ".tmp" (a
// name no host takes for a description file, hidden where a leading dot hides a name). Where
// that folder takes no new file (read-only, full, the name too long), in the system's temporary
// directory instead, as "VL" + hex number + ".tmp". *name is untouched when neither can be made.
FileResult CreateTempFileFor(FileSystem& files, const std::string& target, std::string* name);

// A free name of that form beside `target`, for a file the caller records before it creates it
// (CreateNewForWriting); "" when none was found free.
std::string FreeTempNameBeside(FileSystem& files, const std::string& target);
// Whether a path's last component has the form of a temporary file made beside a target.
bool IsTempNameBeside(const std::string& path);

class TempFile {
public:
    TempFile() = default;
    TempFile(FileSystem& files, std::string name) : files_(&files), name_(std::move(name)) {}
    TempFile(TempFile&& other) noexcept;
    TempFile& operator=(TempFile&& other) noexcept;
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    ~TempFile() { Discard(); }

    const std::string& Name() const { return name_; }
    // True until the file is kept or discarded.
    bool IsHeld() const { return files_ != nullptr; }

    // Puts the file in the place of `target` in one step; on failure the guard still holds it.
    FileResult KeepAs(const std::string& target);
    // Leaves the file where it is: it holds something the user must not lose.
    void KeepInPlace() { files_ = nullptr; }
    // Deletes the file now (a failure to delete is not this run's business any more).
    void Discard();

private:
    FileSystem* files_ = nullptr;
    std::string name_;
};

}  // namespace velmora
