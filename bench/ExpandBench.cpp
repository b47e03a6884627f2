// Expansions per second for a batch-sized run: each iteration is one item of a large selection.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "naming/NameTemplate.hpp"

namespace {

constexpr std::uint32_t kBatch = 100000;

const char* const kShortName = "DSC_0042.holiday.jpeg";

// A template that lands just under the cut with a typical name, so every pass runs.
const std::string& LongTemplate() {
    static const std::string text = std::string(200, 'p') + "_%N_%#_%H_%T.%E";
    return text;
}

const char* TemplateFor(int which) {
    switch (which) {
        case 0:
            return "%F";
        case 1:
            return "IMG_%#.%E";
        case 2:
            return "%N_%H.%E";
        default:
            return LongTemplate().c_str();
    }
}

const char* LabelFor(int which) {
    static const char* const labels[] = {"%F", "IMG_%#.%E", "%N_%H.%E", "long near 260"};
    return labels[which];
}

// The run's way: one buffer kept for the whole batch.
void BM_ExpandInto(benchmark::State& state) {
    const char* nameTemplate = TemplateFor(static_cast<int>(state.range(0)));
    const std::uint32_t start = velmora::StartValue("0001");
    const std::uint32_t bound = velmora::CounterWidthBound("0001", start, kBatch);
    std::string result;
    std::uint32_t index = 0;
    for (auto _ : state) {
        velmora::ExpandTemplateInto(result, nameTemplate, kShortName, index, {start, kBatch, bound, false});
        benchmark::DoNotOptimize(result.data());
        index = index + 1 == kBatch ? 0 : index + 1;
    }
    state.SetItemsProcessed(state.iterations());
    state.SetLabel(LabelFor(static_cast<int>(state.range(0))));
}
BENCHMARK(BM_ExpandInto)->DenseRange(0, 3);

// A fresh result string per call: one allocation each.
void BM_ExpandReturned(benchmark::State& state) {
    const char* nameTemplate = TemplateFor(static_cast<int>(state.range(0)));
    const std::uint32_t start = velmora::StartValue("0001");
    const std::uint32_t bound = velmora::CounterWidthBound("0001", start, kBatch);
    std::uint32_t index = 0;
    for (auto _ : state) {
        std::string result =
            velmora::ExpandTemplate(nameTemplate, kShortName, index, {start, kBatch, bound, false});
        benchmark::DoNotOptimize(result.data());
        index = index + 1 == kBatch ? 0 : index + 1;
    }
    state.SetItemsProcessed(state.iterations());
    state.SetLabel(LabelFor(static_cast<int>(state.range(0))));
}
BENCHMARK(BM_ExpandReturned)->DenseRange(0, 3);

}  // namespace

BENCHMARK_MAIN();
