// The rename dialog's summary at 100,000 selected items: the whole plan, a slice at a time, in a
// folder that holds the files (each name the plan has not seen is asked of the file system once).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "SelectionFolder.hpp"
#include "plan/PlanCursor.hpp"

namespace {

constexpr std::uint32_t kBatch = 100000;
constexpr std::uint32_t kSlice = 1000;

// Defaults for every setting.
class EmptyRegistry final : public velmora::Registry {
public:
    bool Read(const std::string&, const std::string&, std::size_t, std::string*) override { return false; }
    bool WriteString(const std::string&, const std::string&, const std::string&) override { return false; }
    bool WriteDword(const std::string&, const std::string&, std::uint32_t) override { return false; }
};

// A batch of kBatch files in a scratch folder of their own, and the answers that rename every one
// to a free name: the most work a plan does per item.
struct Batch {
    std::vector<std::string> names = velmora::bench::CameraNames(kBatch);
    velmora::bench::ScratchFolder folder{"/var/tmp/velmora-plan-bench-XXXXXX", names};
    velmora::bench::SelectionHost host{names};
    EmptyRegistry registry;
    velmora::RunContext context{host, velmora::SystemFileSystem(), registry, "Velmora",
                                "",   velmora::HostText::Utf8};
    velmora::PlanAnswers answers = Answers();

    static velmora::PlanAnswers Answers() {
        velmora::PlanAnswers answers;
        answers.mask = "IMG_%#.%E";
        answers.startNumber = "1";
        return answers;
    }
};

// The whole plan, a slice at a time.
void BM_PlanCursorWholeBatch(benchmark::State& state) {
    Batch batch;
    for (auto _ : state) {
        velmora::PlanCursor cursor(batch.context, batch.answers);
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
    Batch batch;
    for (auto _ : state) {
        velmora::PlanCursor cursor(batch.context, batch.answers);
        cursor.Advance(kSlice);
        benchmark::DoNotOptimize(cursor.Summary().renames);
    }
}
BENCHMARK(BM_PlanCursorFirstSlice)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
