// Any template, any item name and any counter figures: the expansion never crashes, never
// grows past the cut, and agrees with itself whichever entry point is used.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "FuzzInput.hpp"
#include "naming/NameTemplate.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    velmora::fuzz::FuzzInput input(data, size);
    const std::uint32_t flags = input.TakeNumber();
    const std::uint32_t index = input.TakeNumber();
    const std::uint32_t total = input.TakeNumber();
    const std::string startText = input.TakeUntilZero();
    const std::string nameTemplate = input.TakeUntilZero();
    const std::string itemName = input.Rest();
    const bool withoutZero = (flags & 1) != 0;

    const std::uint32_t start = velmora::StartValue(startText);
    const std::uint32_t bound = velmora::CounterWidthBound(startText, start, total);
    const std::string result =
        velmora::ExpandTemplate(nameTemplate.c_str(), itemName, index, {start, total, bound, withoutZero});
    if (result.size() > velmora::kMaxExpandedLength) {
        std::abort();
    }
    // The run reuses one buffer for a whole batch; what it held before must not leak through.
    std::string reused = itemName + nameTemplate + std::string(300, 'x');
    velmora::ExpandTemplateInto(reused, nameTemplate.c_str(), itemName, index, {start, total, bound, withoutZero});
    if (reused != result) {
        std::abort();
    }
    // A template without "%" is copied as it stands, up to the cut.
    if (nameTemplate.find('%') == std::string::npos &&
        result != nameTemplate.substr(0, velmora::kMaxExpandedLength)) {
        std::abort();
    }
    // "%F" alone gives the name, up to the cut.
    if (velmora::ExpandTemplate("%F", itemName, index, {start, total, bound, withoutZero}) !=
        itemName.substr(0, velmora::kMaxExpandedLength)) {
        std::abort();
    }
    if (velmora::ExpandTemplate(nullptr, itemName, index, {start, total, bound, withoutZero}) != "") {
        std::abort();
    }
    return 0;
}
