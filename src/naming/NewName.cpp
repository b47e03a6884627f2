#include "naming/NewName.hpp"

#include <memory>

#include "platform/CodePage.hpp"
#include "platform/LetterCase.hpp"
#include "platform/PathNames.hpp"

namespace velmora {
namespace {

LetterCase CaseOf(std::uint32_t stored) {
    switch (stored) {
        case kCaseLower:
            return LetterCase::Lower;
        case kCaseUpper:
            return LetterCase::Upper;
        case kCaseTitle:
            return LetterCase::Title;
        default:
            return LetterCase::Unchanged;
    }
}

// FAR 1.x's text is the system's OEM code page: its letters are found and cased as characters of
// that page. Opened once, on first use.
const CodePage* OemCodePage() {
    static const std::unique_ptr<CodePage> page = OpenCodePage(SystemOemCodePage());
    return page.get();
}

}  // namespace

NameRules RulesOf(const RuleOptions& options) {
    NameRules rules;
    rules.find = options.Find;
    rules.replace = options.Replace;
    rules.regex = options.Regex != 0;
    rules.matchCase = options.MatchCase != 0;
    rules.firstOnly = options.FirstOnly != 0;
    rules.nameCase = CaseOf(options.NameCase);
    rules.extensionCase = CaseOf(options.ExtensionCase);
    return rules;
}

bool NameSteps::Compile(const RuleOptions& options, HostText text, RegexError* error) {
    active_ = false;
    const NameRules rules = RulesOf(options);
    if (!rules.Active())
        return true;
    if (!CompiledRules::Compile(rules, SystemCaseMapping(), text == HostText::Oem ? OemCodePage() : nullptr,
                                &rules_, error))
        return false;
    active_ = true;
    return true;
}

void NameSteps::Make(std::string& out, const char* nameTemplate, std::string_view oldName,
                     std::uint32_t index, const CounterParameters& counter, LengthUnit unit,
                     TokenFacts* facts) const {
    if (!active_) {
        ExpandTemplateInto(out, nameTemplate, oldName, index, counter, unit, facts);
        return;
    }
    ExpandTemplateUncut(expanded_, nameTemplate, oldName, index, counter, unit, facts);
    rules_.Apply(expanded_, &out);
    CutExpandedName(out, unit);
}

bool NameSteps::Refuses(std::string_view name) const {
    return active_ && (name.empty() || FindRefusedCharacter(name, RefusedNameCharacters(),
                                                            kRefusesControlCharacters) != std::string_view::npos);
}

}  // namespace velmora
