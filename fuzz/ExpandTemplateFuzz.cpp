// Any template, any item name and any counter figures: the expansion never crashes, never
// grows past the cut, and agrees with itself whichever entry point is used. A template whose
// braced tokens parse expands with them in every unit of the hosts, and a range gives only
// characters the name had.
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
    const velmora::LengthUnit units[] = {velmora::LengthUnit::Byte, velmora::LengthUnit::Utf8Byte,
                                         velmora::LengthUnit::Utf8Character};
    const velmora::LengthUnit unit = units[(flags >> 1) % 3];
    velmora::TemplateTokens tokens;
    velmora::TemplateError error;
    if (!tokens.Parse(nameTemplate, unit, &error)) {
        if (error.token.empty() || error.token.compare(0, 2, "%{") != 0)
            std::abort();
        return 0;
    }
    velmora::TokenFacts facts;
    facts.tokens = &tokens;
    facts.folder = "folder";
    facts.writeTime = static_cast<std::uint64_t>(index) * 123456789u;
    facts.creationTime = static_cast<std::uint64_t>(total) << 24;
    std::string withTokens;
    velmora::ExpandTemplateInto(withTokens, nameTemplate.c_str(), itemName, index,
                                {start, total, bound, withoutZero}, unit, &facts);
    // Within the cut, whatever the tokens gave.
    std::string cut = withTokens;
    velmora::CutExpandedName(cut, unit);
    if (cut != withTokens)
        std::abort();
    // A range alone (the template is that one token, nothing after its brace) is a piece of the name.
    if (tokens.List().size() == 1 && nameTemplate.size() > 4 && nameTemplate.compare(0, 4, "%{F:") == 0 &&
        nameTemplate.find('}') == nameTemplate.size() - 1 && itemName.find(withTokens) == std::string::npos)
        std::abort();
    return 0;
}
