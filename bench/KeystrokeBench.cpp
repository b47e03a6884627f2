// One keystroke in the rename dialog at 100,000 selected items: what the dialog procedure does
// on DN_EDITCHANGE (the visible lines expanded, a new plan begun and planned for its budget), and
// for comparison the whole plan at once, as the Preview button needs it.
#include <benchmark/benchmark.h>

#include <stdlib.h>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "SelectionFolder.hpp"
#include "ports/Messages.hpp"
#include "ports/RunContext.hpp"
#include "preview/LivePreview.hpp"
#include "settings/Presets.hpp"
#include "support/PhotoFiles.hpp"

namespace {

constexpr std::size_t kSelected = 100000;

// A panel of 100,000 selected files, with the texts the dialog's summary is made of.
class DialogHost final : public velmora::bench::SelectionHost {
public:
    using SelectionHost::SelectionHost;
    const char* GetText(int id) const override {
        static const char* const texts[] = {" -> ", "%1 rename, %2 keep", "; checked %1 of %2..."};
        return id == velmora::MPreviewArrow      ? texts[0]
               : id == velmora::MSummaryCounts   ? texts[1]
               : id == velmora::MSummaryChecking ? texts[2]
                                                 : "";
    }
};

// The panel's folder, made once and kept for every benchmark here.
velmora::RunContext& Context() {
    static const std::vector<std::string> names = velmora::bench::CameraNames(kSelected);
    static DialogHost host(names);
    static velmora::bench::ScratchFolder folder("/tmp/velmora-keystroke-XXXXXX", names);
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

// The same with a regular expression in the find field and letter case after it: every name of
// the slice goes through the matcher too.
void BM_KeystrokeWithExpression(benchmark::State& state) {
    velmora::LivePreview preview(Context());
    velmora::PlanAnswers answers{"IMG_%#.%E", "1", false};
    answers.rules.Find = "^IMG_(\\d+)\\.(\\w+)$";
    answers.rules.Replace = "$2_$1";
    answers.rules.Regex = 1;
    answers.rules.ExtensionCase = velmora::kCaseLower;
    preview.SetAnswers(answers);
    bool longer = false;
    for (auto _ : state) {
        longer = !longer;
        answers.mask = longer ? "IMG_%#x.%E" : "IMG_%#.%E";
        preview.SetAnswers(answers);
        benchmark::DoNotOptimize(preview.Summary());
    }
    state.counters["checked"] = preview.Plan().checked;
}
BENCHMARK(BM_KeystrokeWithExpression)->Unit(benchmark::kMillisecond)->UseRealTime();

// A number only where a name is taken: every one of the 100,000 names is "IMG" and its number,
// each found past those before it.
void BM_KeystrokeDup(benchmark::State& state) {
    velmora::LivePreview preview(Context());
    preview.SetAnswers({"IMG%{dup}.%E", "1", false});
    bool longer = false;
    for (auto _ : state) {
        longer = !longer;
        preview.SetAnswers({longer ? "IMG%{dup}x.%E" : "IMG%{dup}.%E", "1", false});
        benchmark::DoNotOptimize(preview.Summary());
    }
    state.counters["checked"] = preview.Plan().checked;
}
BENCHMARK(BM_KeystrokeDup)->Unit(benchmark::kMillisecond)->UseRealTime();

// The whole plan with numbers: the summary's end after the last key.
void BM_WholePlanDup(benchmark::State& state) {
    velmora::LivePreview preview(Context());
    for (auto _ : state) {
        preview.SetAnswers({"IMG%{dup}.%E", "1", false});
        preview.Complete();
        benchmark::DoNotOptimize(preview.Summary());
    }
}
BENCHMARK(BM_WholePlanDup)->Unit(benchmark::kMillisecond)->UseRealTime();

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

// The Presets menu's Enter at 100,000 selected files: the preset read from the registry file
// among 20 others, then its answers into the preview as the dialog shows it again. The store is a
// file of the benchmark's own (XDG_CONFIG_HOME), never the user's.
void BM_LoadPreset(benchmark::State& state) {
    static char config[] = "/tmp/velmora-presets-XXXXXX";
    static const bool made = [] {
        if (!::mkdtemp(config) || ::setenv("XDG_CONFIG_HOME", config, 1) != 0)
            std::abort();
        for (int i = 0; i < 20; ++i) {
            velmora::RenameOptions options;
            options.Mask = "IMG_" + std::to_string(i) + "_%#.%E";
            options.StartNumber = "1";
            options.Rules.Find = "^IMG_(\\d+)";
            options.Rules.Replace = "$1";
            options.Rules.Regex = 1;
            options.Rules.ExtensionCase = velmora::kCaseLower;
            if (!velmora::SavePreset(velmora::Settings(), "Software\\Far\\Plugins\\Velmora",
                                     "Набор " + std::to_string(i), options))
                std::abort();
        }
        return true;
    }();
    (void)made;
    velmora::LivePreview preview(Context());
    preview.SetAnswers({"IMG_%#.%E", "1", false});
    int which = 0;
    for (auto _ : state) {
        which = (which + 7) % 20;
        const velmora::RenameOptions loaded = velmora::LoadPreset(
            velmora::Settings(), "Software\\Far\\Plugins\\Velmora", "Набор " + std::to_string(which));
        velmora::PlanAnswers answers{loaded.Mask, loaded.StartNumber, loaded.WithoutZero != 0};
        answers.rules = loaded.Rules;
        preview.SetAnswers(answers);
        benchmark::DoNotOptimize(preview.Summary());
    }
    state.counters["checked"] = preview.Plan().checked;
}
BENCHMARK(BM_LoadPreset)->Unit(benchmark::kMillisecond)->UseRealTime();

// The preset's read alone, from the same file (made by BM_LoadPreset, which runs first).
void BM_ReadPreset(benchmark::State& state) {
    int which = 0;
    for (auto _ : state) {
        which = (which + 7) % 20;
        benchmark::DoNotOptimize(velmora::LoadPreset(velmora::Settings(), "Software\\Far\\Plugins\\Velmora",
                                                     "Набор " + std::to_string(which)));
    }
}
BENCHMARK(BM_ReadPreset)->Unit(benchmark::kMicrosecond)->UseRealTime();

// 10,000 photos with their EXIF dates, a second apart; made on first use, after the benchmarks
// above (the folder becomes the current directory).
velmora::RunContext& PhotoContext() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> photos;
        for (int i = 0; i < 10000; ++i)
            photos.push_back("DSC_" + std::to_string(10000 + i) + ".JPG");
        return photos;
    }();
    static DialogHost host(names);
    static velmora::bench::ScratchFolder folder("/tmp/velmora-keystroke-photos-XXXXXX", names);
    static const bool written = [] {
        for (std::size_t i = 0; i < names.size(); ++i) {
            char date[32];
            std::snprintf(date, sizeof date, "2024:07:14 %02zu:%02zu:%02zu", i / 3600 % 24, i / 60 % 60, i % 60);
            std::FILE* file = std::fopen(names[i].c_str(), "wb");
            const std::string bytes = velmora::test::JpegWithDates({date, "", ""});
            if (!file || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size())
                std::abort();
            std::fclose(file);
        }
        return true;
    }();
    static velmora::RunContext context{host, velmora::Files(),       velmora::Settings(), "",
                                       "",   velmora::HostText::Utf8};
    (void)written;
    return context;
}

// A keystroke in a template with the date taken, once the dialog has read every photo's date:
// the summary's plan asks the dialog's source again, which keeps what it read.
void BM_KeystrokeTaken(benchmark::State& state) {
    velmora::LivePreview preview(PhotoContext());
    preview.SetAnswers({"%{taken:YYYYMMDD_hhmmss}_%#.%E", "1", false});
    preview.Complete();
    bool longer = false;
    for (auto _ : state) {
        longer = !longer;
        preview.SetAnswers({longer ? "%{taken:YYYYMMDD_hhmmss}_%#x.%E" : "%{taken:YYYYMMDD_hhmmss}_%#.%E", "1",
                            false});
        benchmark::DoNotOptimize(preview.Summary());
    }
    state.counters["checked"] = preview.Plan().checked;
}
BENCHMARK(BM_KeystrokeTaken)->Unit(benchmark::kMillisecond)->UseRealTime();

// The whole plan of the 10,000 photos after a keystroke, their dates read already.
void BM_WholePlanTaken(benchmark::State& state) {
    velmora::LivePreview preview(PhotoContext());
    preview.SetAnswers({"%{taken:YYYYMMDD_hhmmss}_%#.%E", "1", false});
    preview.Complete();
    for (auto _ : state) {
        preview.SetAnswers({"%{taken:YYYYMMDD_hhmmss}_%#.%E", "1", false});
        preview.Complete();
        benchmark::DoNotOptimize(preview.Summary());
    }
    state.counters["renames"] = preview.Plan().renames;
}
BENCHMARK(BM_WholePlanTaken)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
