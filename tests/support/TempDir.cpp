#include "support/TempDir.hpp"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <system_error>

#include "platform/HostSystem.hpp"
#include "support/win32/Win32Support.hpp"

namespace fs = std::filesystem;

namespace velmora::test {
namespace {

#if !defined(_WIN32)
std::string MakeUniqueDirectory() {
    const char* base = std::getenv("TMPDIR");
    std::error_code ec;
    std::string parent = base && *base && fs::is_directory(base, ec) ? base : "/tmp";
    while (parent.size() > 1 && parent.back() == '/')
        parent.pop_back();
    std::string pattern = parent + "/velmora-test-XXXXXX";
    if (!mkdtemp(&pattern[0]))
        return std::string();
    return pattern;
}
#else
std::string MakeUniqueDirectory() {
    std::error_code ec;
    fs::path parent = fs::temp_directory_path(ec);
    if (ec)
        return std::string();
    std::random_device seed;
    std::mt19937 generator(seed());
    for (int attempt = 0; attempt < 100; ++attempt) {
        fs::path candidate = parent / ("velmora-test-" + std::to_string(generator()));
        // create_directory reports false for an existing directory, so the name is ours alone.
        if (fs::create_directory(candidate, ec) && !ec)
            return candidate.string();
    }
    return std::string();
}
#endif

// A test may leave read-only files or directories behind; give the owner write permission back
// so that the removal does not stop half way.
void MakeWritable(const fs::path& root) {
    std::error_code ec;
    fs::permissions(root, fs::perms::owner_all, fs::perm_options::add, ec);
    for (fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied, ec), end;
         !ec && it != end; it.increment(ec)) {
        std::error_code ignored;
        if (it->is_symlink(ignored))
            continue;
        fs::permissions(it->path(), fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add,
                        ignored);
        if (it->is_directory(ignored)) {
            fs::permissions(it->path(), fs::perms::owner_exec, fs::perm_options::add, ignored);
        }
    }
}

}  // namespace

TempDir::TempDir() : path_(MakeUniqueDirectory()) {}

TempDir::~TempDir() {
    if (path_.empty())
        return;
    MakeWritable(path_);
    std::error_code ec;
    fs::remove_all(path_, ec);
}

std::string TempDir::PathOf(const std::string& name) const {
    return path_ + "/" + name;
}

bool TempDir::WriteFile(const std::string& name, const std::string& bytes) const {
    std::ofstream out(host::StreamPath(PathOf(name)), std::ios::binary | std::ios::trunc);
    if (!out)
        return false;
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return !out.fail();
}

std::string TempDir::ReadFile(const std::string& name) const {
    std::ifstream in(host::StreamPath(PathOf(name)), std::ios::binary);
    if (!in)
        return std::string();
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool TempDir::Exists(const std::string& name) const {
#if defined(_WIN32)
    return HostPathExists(PathOf(name));
#else
    std::error_code ec;
    return fs::exists(fs::symlink_status(PathOf(name), ec));
#endif
}

std::vector<std::string> TempDir::ListNames(const std::string& subdirectory) const {
    const std::string directory = subdirectory.empty() ? path_ : PathOf(subdirectory);
#if defined(_WIN32)
    // Names as the plug-in's file calls see them, not the UTF-8 the standard library gives.
    std::vector<std::string> names = ListHostNames(directory);
#else
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(directory, ec), end; !ec && it != end; it.increment(ec)) {
        names.push_back(it->path().filename().string());
    }
#endif
    std::sort(names.begin(), names.end());
    return names;
}

bool TempDir::MakeDirectory(const std::string& name) const {
    std::error_code ec;
    return fs::create_directory(host::StreamPath(PathOf(name)), ec) && !ec;
}

}  // namespace velmora::test
