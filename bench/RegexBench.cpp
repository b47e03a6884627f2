// The regular expression's cost per name, as the live preview and the run apply it: each
// iteration is one name through the find/replace rules (global, without case). The common patterns
// run over a batch of ordinary names; the hostile ones over one 260-character name that keeps every
// alternative of theirs alive, and report "too complex" when the engine refuses them.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "naming/NameRules.hpp"

namespace {

constexpr std::size_t kBatch = 100000;

std::string Repeat(const std::string& piece, std::size_t times) {
    std::string out;
    for (std::size_t i = 0; i < times; ++i)
        out += piece;
    return out;
}

struct Case {
    const char* label;
    std::string find;
    std::string replace;
    std::string namePiece = "a";  // hostile: repeated to a name of 260 characters
};

const std::vector<Case>& CommonCases() {
    static const std::vector<Case> cases = {
        {"^IMG_(\\d+)", "^IMG_(\\d+)", "P$1"},
        {"a plain word", "holiday", "trip"},
        {"(\\w+)-(\\w+)", "(\\w+)-(\\w+)", "$2-$1"},
    };
    return cases;
}

const std::vector<std::string>& CommonNames() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> out;
        out.reserve(kBatch);
        for (std::size_t i = 0; i < kBatch; ++i) {
            std::string number = std::to_string(i % 10000);
            out.push_back("IMG_" + std::string(4 - number.size(), '0') + number + " holiday-trip.JPG");
        }
        return out;
    }();
    return names;
}

// The patterns that cost the most per name: the shapes that made the old matcher slow, and the
// costliest the engine accepts that a search found (each on the name that keeps them busiest).
const std::vector<Case>& HostileCases() {
    static const std::vector<Case> cases = {
        {"((a?)x60){20}$", "(" + Repeat("(a?)", 60) + "){20}$", "x"},
        {"((a?)x120){20}$", "(" + Repeat("(a?)", 120) + "){20}$", "x"},
        {"((a?){3}){1000,}", "((a?){3}){1000,}", "x"},
        {"(a{0,80}){0,80}$", "(a{0,80}){0,80}$", "x"},
        {"(a?)x64", Repeat("(a?)", 64), "x"},
        {"(a?)x4999", Repeat("(a?)", 4999), "x"},
        {"[^b]{0,2000}c", "[^b]{0,2000}c", "x"},
        {"(?:.?){1900}b", "(?:.?){1900}b", "x"},
        {"(?:(a?)x8){100}b", "(?:" + Repeat("(a?)", 8) + "){100}b", "x"},
        {"(?:(?:(x)?){600}a)* on abab..", "(?:(?:(x)?){600}a)*", "x", "ab"},
        {"(a|aa|aaa){1,200}b", "(a|aa|aaa){1,200}b", "x"},
        {"(?:a?|b?){650}c", "(?:a?|b?){650}c", "x"},
        {"(.?){100}(.?){100}b", "(.?){100}(.?){100}b", "x"},
        {"((((((a?)*)*)*)*)*)*b", "((((((a?)*)*)*)*)*)*b", "x"},
        {"(\\w*\\w*\\w*){50}$", "(\\w*\\w*\\w*){50}$", "x"},
    };
    return cases;
}

velmora::NameRules Rules(const Case& c) {
    velmora::NameRules rules;
    rules.find = c.find;
    rules.replace = c.replace;
    rules.regex = true;
    return rules;
}

void Run(benchmark::State& state, const Case& c, const std::vector<std::string>& names) {
    state.SetLabel(c.label);
    velmora::CompiledRules rules;
    velmora::RegexError error{};
    if (!velmora::CompiledRules::Compile(Rules(c), velmora::SystemCaseMapping(), nullptr, &rules, &error)) {
        state.SkipWithError("too complex");
        return;
    }
    std::string result;
    std::size_t index = 0;
    for (auto _ : state) {
        rules.Apply(names[index], &result);
        benchmark::DoNotOptimize(result.data());
        index = index + 1 == names.size() ? 0 : index + 1;
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_CommonPattern(benchmark::State& state) {
    Run(state, CommonCases()[static_cast<std::size_t>(state.range(0))], CommonNames());
}
BENCHMARK(BM_CommonPattern)->DenseRange(0, 2);

void BM_HostilePattern(benchmark::State& state) {
    const Case& c = HostileCases()[static_cast<std::size_t>(state.range(0))];
    std::string name = Repeat(c.namePiece, 260 / c.namePiece.size());
    Run(state, c, {name});
}
BENCHMARK(BM_HostilePattern)->DenseRange(0, 14)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
