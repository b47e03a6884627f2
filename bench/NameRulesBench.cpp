// Find/replace and letter case per name, as a batch of 100,000 applies them: each iteration is one
// name of the batch.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "naming/NameRules.hpp"

namespace {

constexpr std::size_t kBatch = 100000;

const std::vector<std::string>& Names() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> out;
        out.reserve(kBatch);
        for (std::size_t i = 0; i < kBatch; ++i) {
            std::string number = std::to_string(i % 10000);
            out.push_back("IMG_" + std::string(4 - number.size(), '0') + number + " holiday.JPG");
        }
        return out;
    }();
    return names;
}

velmora::NameRules RulesFor(int which) {
    velmora::NameRules rules;
    switch (which) {
        case 0:  // plain, matching case: a byte search
            rules.find = " ";
            rules.replace = "_";
            rules.matchCase = true;
            break;
        case 1:  // plain, without case
            rules.find = "holiday";
            rules.replace = "trip";
            break;
        case 2:  // regular expression
            rules.find = "^IMG_(\\d+) (\\w+)";
            rules.replace = "$2-$1";
            rules.regex = true;
            break;
        default:  // letter case only
            rules.nameCase = velmora::LetterCase::Title;
            rules.extensionCase = velmora::LetterCase::Lower;
    }
    return rules;
}

void BM_ApplyRules(benchmark::State& state) {
    const int which = static_cast<int>(state.range(0));
    velmora::CompiledRules rules;
    velmora::RegexError error{};
    if (!velmora::CompiledRules::Compile(RulesFor(which), velmora::SystemCaseMapping(), nullptr, &rules,
                                         &error)) {
        state.SkipWithError("rules do not compile");
        return;
    }
    const std::vector<std::string>& names = Names();
    std::string result;
    std::size_t index = 0;
    for (auto _ : state) {
        rules.Apply(names[index], &result);
        benchmark::DoNotOptimize(result.data());
        index = index + 1 == kBatch ? 0 : index + 1;
    }
    state.SetItemsProcessed(state.iterations());
    static const char* const labels[] = {"plain, match case", "plain, any case", "regex", "Title/lower case"};
    state.SetLabel(labels[which]);
}
BENCHMARK(BM_ApplyRules)->DenseRange(0, 3);

}  // namespace

BENCHMARK_MAIN();
