// What the benchmarks at 100,000 selected files stand on: the names of such a selection, a host
// whose panel holds them, and a scratch folder with an empty file for each, so that the plan's
// lookups are the system's, as in a real run.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "ports/PluginHost.hpp"

namespace velmora::bench {

inline std::vector<std::string> CameraNames(std::size_t count) {
    std::vector<std::string> names;
    names.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        names.push_back("DSC_" + std::to_string(100000 + i) + ".jpeg");
    return names;
}

// The plug-in's host with its panel read: the selection and nothing else; no texts unless a
// benchmark that shows some gives them, no boxes answered.
class SelectionHost : public PluginHost {
public:
    explicit SelectionHost(std::vector<std::string> names) : names_(std::move(names)) {}
    const char* GetText(int) const override { return ""; }
    int ShowWarning(const char*, std::initializer_list<const char*>) const override { return 0; }
    int ShowBox(const char*, const std::vector<const char*>&, int, bool) const override { return -1; }
    void ShowProgress(const char*, const char*) const override {}
    void SaveScreen() override {}
    void RestoreScreen() override {}
    bool ReadPanel() override { return true; }
    bool ShowsDescriptions() const override { return false; }
    std::size_t SelectedCount() const override { return names_.size(); }
    PanelItemText SelectedItem(std::size_t index) override { return {names_[index], nullptr}; }
    std::size_t ItemCount() const override { return names_.size(); }
    PanelItemText Item(std::size_t index) override { return {names_[index], nullptr}; }
    // Only the journal asks, and no benchmark here runs the batch.
    bool PanelDirectory(std::string*) override { return false; }
    void UpdatePanel() override {}
    bool AskOptions(RenameOptions&, bool, bool*) override { return false; }

private:
    std::vector<std::string> names_;
};

// A scratch folder made from a mkdtemp `pattern`, holding an empty file for each name and made the
// current directory while it lives. A benchmark without its files would measure something else, so
// a folder that cannot be made ends the run.
class ScratchFolder {
public:
    ScratchFolder(std::string pattern, const std::vector<std::string>& names) {
        if (!::mkdtemp(pattern.data()))
            std::abort();
        path_ = pattern;
        previous_ = std::filesystem::current_path();
        std::filesystem::current_path(path_);
        for (const std::string& name : names) {
            const int fd = ::open(name.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
            if (fd < 0)
                std::abort();
            ::close(fd);
        }
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::current_path(previous_, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

private:
    std::filesystem::path path_;
    std::filesystem::path previous_;
};

}  // namespace velmora::bench
