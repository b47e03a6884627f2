// One keystroke in the rename dialog at 100,000 selected items: what the dialog procedure does
// on DN_EDITCHANGE (the visible lines expanded, a new plan begun and planned for its budget), and
// for comparison the whole plan at once, as the Preview button needs it.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "ports/Messages.hpp"
#include "ports/RunContext.hpp"
#include "rename/LivePreview.hpp"

namespace {

constexpr std::size_t kSelected = 100000;

// A panel of 100,000 selected files in memory, as the host hands them over.
class BenchHost final : public velmora::PluginHost {
public:
    BenchHost() {
        names_.reserve(kSelected);
        for (std::size_t i = 0; i < kSelected; ++i)
            names_.push_back("DSC_" + std::to_string(100000 + i) + ".jpeg");
    }
    const char* GetText(int id) const override {
        static const char* const texts[] = {" -> ", "%1 rename, %2 keep", "; checked %1 of %2..."};
        return id == velmora::MPreviewArrow      ? texts[0]
               : id == velmora::MSummaryCounts   ? texts[1]
               : id == velmora::MSummaryChecking ? texts[2]
                                                 : "";
    }
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

// The panel's folder: 100,000 empty files in a scratch folder of their own, made once and made
// current, so the plan's lookups are the system's, as in a real run.
class BenchFolder {
public:
    explicit BenchFolder(BenchHost& host) {
        char pattern[] = "/tmp/velmora-keystroke-XXXXXX";
        if (!mkdtemp(pattern) || chdir(pattern) != 0)
            std::abort();
        path_ = pattern;
        for (std::size_t i = 0; i < host.SelectedCount(); ++i) {
            const std::string name(host.SelectedItem(i).name);
            std::FILE* file = std::fopen(name.c_str(), "w");
            if (!file)
                std::abort();
            std::fclose(file);
        }
    }
    ~BenchFolder() {
        if (chdir("/") == 0)
            std::filesystem::remove_all(path_);
    }

private:
    std::string path_;
};

velmora::RunContext& Context() {
    static BenchHost host;
    static BenchFolder folder(host);
    static velmora::RunContext context{host, velmora::Files(),       velmora::Settings(), "",
                                       "",   velmora::HostText::Utf8};
    return context;
}

// Each iteration is one keystroke: the template gains a character or loses it again.
void BM_Keystroke(benchmark::State& state) {
    velmora::LivePreview preview(Context());
    preview.SetAnswers({"IMG_%#.%E", "1", false});
    bool longer = false;
    for (auto _ : state) {
        longer = !longer;
        preview.SetAnswers({longer ? "IMG_%#x.%E" : "IMG_%#.%E", "1", false});
        benchmark::DoNotOptimize(preview.Summary());
    }
    state.counters["checked"] = preview.Plan().checked;
    state.counters["stops"] = preview.Plan().stops ? 1 : 0;
}
BENCHMARK(BM_Keystroke)->Unit(benchmark::kMillisecond)->UseRealTime();

// The whole plan after a keystroke: what Preview and an idle dialog finish with.
void BM_WholePlan(benchmark::State& state) {
    velmora::LivePreview preview(Context());
    for (auto _ : state) {
        preview.SetAnswers({"IMG_%#.%E", "1", false});
        preview.Complete();
        benchmark::DoNotOptimize(preview.Summary());
    }
}
BENCHMARK(BM_WholePlan)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
