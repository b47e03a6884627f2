// A temporary directory for one test: created empty, removed with everything in it when the
// object goes away. Names given to the helpers are relative to the directory.
#pragma once

#include <string>
#include <vector>

namespace velmora::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The directory, without a trailing separator; empty when it could not be created.
    const std::string& Path() const { return path_; }
    // The directory with a trailing "/" (accepted by both systems).
    std::string Slash() const { return path_ + "/"; }
    // Path() + "/" + name.
    std::string PathOf(const std::string& name) const;

    // Creates or truncates the file and writes the bytes; false on any failure.
    bool WriteFile(const std::string& name, const std::string& bytes) const;
    // The file's bytes; empty when it cannot be read.
    std::string ReadFile(const std::string& name) const;
    // True for anything at that name, a dangling symbolic link included.
    bool Exists(const std::string& name) const;
    // Names of the entries directly in the directory (or in one of its subdirectories),
    // sorted bytewise.
    std::vector<std::string> ListNames(const std::string& subdirectory = std::string()) const;
    // Creates a subdirectory; false when it cannot.
    bool MakeDirectory(const std::string& name) const;

private:
    std::string path_;
};

}  // namespace velmora::test
