// Any pattern and any name, with and without case: the matcher never crashes, every match it
// reports lies where a match can, a global replace that builds on the searches before it finds
// exactly what fresh searches find.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "FuzzInput.hpp"
#include "naming/NameRules.hpp"

namespace {

// The cost bound holds per search of a name of full length: a global replace costs one search,
// but a fresh search from every position costs one per character, so those run on the name's
// start only, and every input stays well within the fuzzer's time limit under the sanitizers.
constexpr std::size_t kMaxNameCharacters = 260;
constexpr std::size_t kMaxCheckedCharacters = 64;

// A global replace over the whole name, each search going on from the last: the matches move
// forward and lie inside the name.
void Replace(const velmora::Regex& regex, const std::u32string& text) {
    std::vector<std::size_t> slots;
    for (std::size_t from = 0; from <= text.size() && regex.Search(text, from, &slots, from != 0);) {
        if (slots[0] < from || slots[0] > slots[1] || slots[1] > text.size())
            std::abort();
        from = slots[1] == slots[0] ? slots[1] + 1 : slots[1];
    }
}

void Check(const velmora::Regex& regex, const std::u32string& text) {
    std::vector<std::size_t> slots;
    std::vector<std::size_t> fresh;
    // A fresh search from every position: the match is at or after it, its groups inside it.
    for (std::size_t from = 0; from <= text.size(); ++from) {
        if (!regex.Search(text, from, &slots))
            continue;
        if (slots.size() != 2 * (regex.GroupCount() + 1) || slots[0] < from || slots[0] > slots[1] ||
            slots[1] > text.size())
            std::abort();
        for (std::size_t g = 1; g <= regex.GroupCount(); ++g) {
            const std::size_t begin = slots[2 * g];
            const std::size_t end = slots[2 * g + 1];
            if ((begin == velmora::Regex::kNoPosition) != (end == velmora::Regex::kNoPosition))
                std::abort();
            if (begin != velmora::Regex::kNoPosition && (begin < slots[0] || begin > end || end > slots[1]))
                std::abort();
        }
    }
    // The searches of a global replace, each going on from the last: the same as fresh ones.
    for (std::size_t from = 0; from <= text.size();) {
        const bool found = regex.Search(text, from, &slots, from != 0);
        if (regex.Search(text, from, &fresh) != found || (found && slots != fresh))
            std::abort();
        if (!found)
            break;
        // The fresh search forgot what the chain knew: start the chain over from here.
        if (!regex.Search(text, from, &slots) || slots != fresh)
            std::abort();
        from = slots[1] == slots[0] ? slots[1] + 1 : slots[1];
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    velmora::fuzz::FuzzInput input(data, size);
    const std::string pattern = input.TakeUntilZero();
    const std::string name = input.Rest();
    const velmora::NameText utf8;
    std::u32string widePattern;
    std::u32string text;
    utf8.Decode(pattern, &widePattern);
    utf8.Decode(name, &text);
    if (text.size() > kMaxNameCharacters)
        text.resize(kMaxNameCharacters);
    for (const bool ignoreCase : {false, true}) {
        velmora::Regex regex;
        velmora::RegexError error{};
        if (!velmora::Regex::Compile(widePattern, ignoreCase, &regex, &error)) {
            if (error.offset > widePattern.size())
                std::abort();
            continue;
        }
        Replace(regex, text);
        Check(regex, text.substr(0, kMaxCheckedCharacters));
    }
    return 0;
}
