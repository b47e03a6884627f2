// Environment variables changed for one test's lifetime, on POSIX and on Windows alike.
#pragma once

#include <string>
#include <vector>

namespace velmora::test {

// Sets (or removes) one environment variable and puts the old value back when it goes away.
// On Windows the change reaches the system's copy of the environment too, which is what
// GetTempPathA and other system functions read.
class ScopedEnv {
public:
    // Sets the variable to `value`.
    ScopedEnv(std::string name, const std::string& value);
    // Removes the variable.
    explicit ScopedEnv(std::string name);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_;
    std::string old_;
    bool hadOld_ = false;
};

// Points the system's temporary directory at `directory` while it lives: TMPDIR on POSIX, TMP
// and TEMP on Windows (GetTempPathA ignores TMPDIR).
class ScopedTempDirectoryEnv {
public:
    explicit ScopedTempDirectoryEnv(const std::string& directory);
    ScopedTempDirectoryEnv(const ScopedTempDirectoryEnv&) = delete;
    ScopedTempDirectoryEnv& operator=(const ScopedTempDirectoryEnv&) = delete;

private:
    ScopedEnv first_;
#if defined(_WIN32)
    ScopedEnv second_;
#endif
};

// Sets or removes a variable for good (no restore); false when the system refuses.
bool SetEnv(const std::string& name, const std::string& value);
bool UnsetEnv(const std::string& name);

}  // namespace velmora::test
