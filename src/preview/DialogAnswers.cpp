#include "preview/DialogAnswers.hpp"

#include "far/HostConventions.hpp"

namespace velmora {
namespace {

std::uint32_t CaseOf(const DialogItemReader& read, int first, int clicked) {
    const int count = static_cast<int>(kCaseCount);
    if (clicked >= first && clicked < first + count)
        return static_cast<std::uint32_t>(clicked - first);
    for (int i = 0; i < count; ++i) {
        if (read.isOn(first + i))
            return static_cast<std::uint32_t>(i);
    }
    return kCaseUnchanged;
}

std::string Stored(const std::string& text, bool utf8) {
    return std::string(OptionTextPrefix(text, kOptionTextCapacity - 1, utf8));
}

}  // namespace

PlanAnswers ReadDialogAnswers(const DialogItemReader& read, bool descriptionsShown, int clicked) {
    PlanAnswers answers;
    answers.mask = read.text(far::kDialogTemplateItem);
    answers.startNumber = read.text(far::kDialogStartNumberItem);
    answers.withoutZero = read.isOn(far::kDialogWithoutZeroItem);
    answers.saveDescriptions = descriptionsShown && read.isOn(far::kDialogSaveDescriptionItem);
    RuleOptions& rules = answers.rules;
    rules.Find = read.text(far::kDialogFindItem);
    rules.Replace = read.text(far::kDialogReplaceItem);
    rules.Regex = read.isOn(far::kDialogRegexItem) ? 1 : 0;
    rules.MatchCase = read.isOn(far::kDialogMatchCaseItem) ? 1 : 0;
    rules.FirstOnly = read.isOn(far::kDialogFirstOnlyItem) ? 1 : 0;
    rules.NameCase = CaseOf(read, far::kDialogNameCaseFirstItem, clicked);
    rules.ExtensionCase = CaseOf(read, far::kDialogExtensionCaseFirstItem, clicked);
    return answers;
}

void StoreAnswers(const PlanAnswers& answers, bool descriptionsShown, bool utf8, RenameOptions& options) {
    options.Mask = Stored(answers.mask, utf8);
    options.StartNumber = Stored(answers.startNumber, utf8);
    options.WithoutZero = answers.withoutZero ? 1 : 0;
    if (descriptionsShown)
        options.SaveDescription = answers.saveDescriptions ? 1 : 0;
    options.Rules = answers.rules;
    options.Rules.Find = Stored(answers.rules.Find, utf8);
    options.Rules.Replace = Stored(answers.rules.Replace, utf8);
}

}  // namespace velmora
