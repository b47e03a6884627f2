#include "support/Env.hpp"

#include <cstdlib>
#include <utility>

namespace velmora::test {

bool SetEnv(const std::string& name, const std::string& value) {
#if defined(_WIN32)
    // _putenv_s treats an empty value as removal; Windows has no empty variables anyway.
    return _putenv_s(name.c_str(), value.c_str()) == 0;
#else
    return setenv(name.c_str(), value.c_str(), 1) == 0;
#endif
}

bool UnsetEnv(const std::string& name) {
#if defined(_WIN32)
    return _putenv_s(name.c_str(), "") == 0;
#else
    return unsetenv(name.c_str()) == 0;
#endif
}

ScopedEnv::ScopedEnv(std::string name, const std::string& value) : ScopedEnv(std::move(name)) {
    SetEnv(name_, value);
}

ScopedEnv::ScopedEnv(std::string name) : name_(std::move(name)) {
    const char* old = std::getenv(name_.c_str());
    hadOld_ = old != nullptr;
    if (old)
        old_ = old;
    UnsetEnv(name_);
}

ScopedEnv::~ScopedEnv() {
    if (hadOld_)
        SetEnv(name_, old_);
    else
        UnsetEnv(name_);
}

#if defined(_WIN32)
ScopedTempDirectoryEnv::ScopedTempDirectoryEnv(const std::string& directory)
    : first_("TMP", directory), second_("TEMP", directory) {}
#else
ScopedTempDirectoryEnv::ScopedTempDirectoryEnv(const std::string& directory) : first_("TMPDIR", directory) {}
#endif

}  // namespace velmora::test
