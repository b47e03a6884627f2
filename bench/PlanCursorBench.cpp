// The rename dialog's summary at 100,000 selected items: the whole plan, a slice at a time, in a
// folder that holds the files (each name the plan has not seen is asked of the file system once).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "batch/PlanCursor.hpp"

namespace {

constexpr std::uint32_t kBatch = 100000;
constexpr std::uint32_t kSlice = 1000;

// The plug-in's host with its panel read: the selection and nothing else.
class SelectionHost final : public velmora::PluginHost {
public:
    explicit SelectionHost(std::vector<std::string> names) : names_(std::move(names)) {}
    const char* GetText(int) const override { return ""; }
    int ShowWarning(const char*, std::initializer_list<const char*>) const override { return 0; }
    void ShowProgress(const char*, const char*) const override {}
    void SaveScreen() override {}
    void RestoreScreen() override {}
    bool ReadPanel() override { return true; }
    bool ShowsDescriptions() const override { return false; }
    std::size_t SelectedCount() const override { return names_.size(); }
    velmora::PanelItemText SelectedItem(std::size_t index) override { return {names_[index], nullptr}; }
    std::size_t ItemCount() const override { return names_.size(); }
    velmora::PanelItemText Item(std::size_t index) override { return {names_[index], nullptr}; }
    void UpdatePanel() override {}
    bool AskOptions(velmora::RenameOptions&, bool, bool*) override { return false; }

private:
    std::vector<std::string> names_;
};

// Defaults for every setting.
class EmptyRegistry final : public velmora::Registry {
public:
    bool Read(const std::string&, const std::string&, std::size_t, std::string*) override { return false; }
    bool WriteString(const std::string&, const std::string&, const std::string&) override { return false; }
    bool WriteDword(const std::string&, const std::string&, std::uint32_t) override { return false; }
};

// A scratch folder of kBatch empty files, made the current directory while it lives.
class Folder {
public:
    Folder() {
        char pattern[] = "/var/tmp/velmora-plan-bench-XXXXXX";
        path_ = ::mkdtemp(pattern);
        previous_ = std::filesystem::current_path();
        std::filesystem::current_path(path_);
        for (std::uint32_t i = 0; i < kBatch; ++i) {
            names.push_back("DSC_" + std::to_string(100000 + i) + ".jpeg");
            ::close(::open(names.back().c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644));
        }
    }
    ~Folder() {
        std::filesystem::current_path(previous_);
        std::filesystem::remove_all(path_);
    }
    std::vector<std::string> names;

private:
    std::filesystem::path path_;
    std::filesystem::path previous_;
};

// The template renames every item to a free name: the most work a plan does per item.
void BM_PlanCursorWholeBatch(benchmark::State& state) {
    Folder folder;
    SelectionHost host(folder.names);
    EmptyRegistry registry;
    velmora::RunContext context{host, velmora::SystemFileSystem(), registry, "Velmora",
                                "",   velmora::HostText::Utf8};
    velmora::PlanAnswers answers;
    answers.mask = "IMG_%#.%E";
    answers.startNumber = "1";
    for (auto _ : state) {
        velmora::PlanCursor cursor(context, answers);
        while (!cursor.Advance(kSlice)) {
        }
        benchmark::DoNotOptimize(cursor.Summary().renames);
        if (cursor.Summary().renames != kBatch)
            state.SkipWithError("the plan does not rename every item");
    }
    state.SetItemsProcessed(state.iterations() * kBatch);
}
BENCHMARK(BM_PlanCursorWholeBatch)->Unit(benchmark::kMillisecond)->Iterations(5);

// One keystroke's slice: the first kSlice items of a fresh plan.
void BM_PlanCursorFirstSlice(benchmark::State& state) {
    Folder folder;
    SelectionHost host(folder.names);
    EmptyRegistry registry;
    velmora::RunContext context{host, velmora::SystemFileSystem(), registry, "Velmora",
                                "",   velmora::HostText::Utf8};
    velmora::PlanAnswers answers;
    answers.mask = "IMG_%#.%E";
    answers.startNumber = "1";
    for (auto _ : state) {
        velmora::PlanCursor cursor(context, answers);
        cursor.Advance(kSlice);
        benchmark::DoNotOptimize(cursor.Summary().renames);
    }
}
BENCHMARK(BM_PlanCursorFirstSlice)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
