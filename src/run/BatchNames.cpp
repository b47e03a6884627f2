#include "run/BatchNames.hpp"

#include "far/HostConventions.hpp"
#include "platform/LetterCase.hpp"
#include "platform/PathNames.hpp"
#include "platform/Utf16.hpp"

namespace velmora {
namespace {

// Numbers tried for one item at most: far more than any folder holds names of one family, and a
// bound however the steps after the template treat the number.
constexpr std::uint32_t kMostTries = 1u << 22;
// A name's digit runs looked at for the number a template gave it.
constexpr int kMostRuns = 8;

bool HasAsciiLetter(std::string_view name) {
    for (const char c : name) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))
            return true;
    }
    return false;
}

}  // namespace

void BatchNames::Begin(const char* nameTemplate, const CounterParameters& counter, const NameSteps* steps,
                       LengthUnit unit, TokenFacts* facts, std::string_view keptName) {
    template_ = nameTemplate;
    counter_ = counter;
    steps_ = steps;
    unit_ = unit;
    facts_ = facts;
    numbers_ = facts && facts->tokens && facts->tokens->Reads(BracedToken::Kind::Dup);
    given_.clear();
    selected_.clear();
    selectedBuilt_ = false;
    if (facts_)
        facts_->dup = 0;
    if (!numbers_)
        return;
    // Windows hosts take names without letter case; far2l and velmora as their folder does, which
    // one known name tells (a FAT stick on Linux ignores case too).
    ignoresCase_ = text_ != HostText::Utf8;
    if (!ignoresCase_) {
        const std::size_t count = host_.SelectedCount();
        for (std::size_t i = 0; i < count; ++i) {
            const std::string name(host_.SelectedItem(i).name);
            if (!HasAsciiLetter(name))
                continue;
            std::string flipped = name;
            for (char& c : flipped) {
                if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))
                    c = static_cast<char>(c ^ 0x20);
            }
            ignoresCase_ = files_.SameFile(name, flipped);
            break;
        }
    }
    keptKey_.clear();
    if (!keptName.empty())
        KeyOf(keptName, &keptKey_);
}

void BatchNames::KeyOf(std::string_view name, std::string* key) const {
    key->clear();
    switch (text_) {
        case HostText::Oem:
            // FAR 1.x folds A-Z alone, whatever the code page.
            *key = far::FoldAscii(NameOnDisk(std::string(name)));
            return;
        case HostText::Unicode: {
            // FAR 3's system folds every letter, Cyrillic as Latin.
            const std::string onDisk = NameOnDisk(std::string(name));
            const CaseMapping& mapping = SystemCaseMapping();
            for (std::size_t at = 0; at < onDisk.size();)
                utf16_detail::AppendCodePoint(*key, mapping.Upper(utf16_detail::NextCodePoint(onDisk, &at)));
            return;
        }
        case HostText::Utf8:
            break;
    }
    if (ignoresCase_)
        *key = far::FoldAscii(name);
    else
        key->assign(name);
}

bool BatchNames::SameName(std::string_view a, std::string_view b) const {
    if (a == b)
        return true;
    if (!ignoresCase_)
        return false;
    std::string ka;
    std::string kb;
    KeyOf(a, &ka);
    KeyOf(b, &kb);
    return ka == kb;
}

void BatchNames::Expand(std::uint32_t index, const PanelItemText& item, std::uint32_t number,
                        std::string& out) {
    if (facts_) {
        facts_->writeTime = item.writeTime;
        facts_->creationTime = item.creationTime;
        facts_->dup = number;
    }
    steps_->Make(out, template_, item.name, index, counter_, unit_, facts_);
}

bool BatchNames::InFamily(std::uint32_t index, const PanelItemText& item, const std::string& name,
                          const std::string* first) {
    if (first)
        probe_ = *first;
    else
        Expand(index, item, 0, probe_);
    if (SameName(probe_, name))
        return true;
    // A number adds characters: a name no longer than the one without a number has none.
    if (name.size() <= probe_.size())
        return false;
    int runs = 0;
    for (std::size_t i = 0; i < name.size() && runs < kMostRuns;) {
        if (name[i] < '0' || name[i] > '9') {
            ++i;
            continue;
        }
        const std::size_t first = i;
        while (i < name.size() && name[i] >= '0' && name[i] <= '9')
            ++i;
        ++runs;
        // A number is written without leading zeros, in at most nine digits.
        if (name[first] == '0' || i - first > 9)
            continue;
        std::uint32_t number = 0;
        for (std::size_t d = first; d < i; ++d)
            number = number * 10u + static_cast<std::uint32_t>(name[d] - '0');
        Expand(index, item, number, probe_);
        if (SameName(probe_, name))
            return true;
    }
    return false;
}

std::int64_t BatchNames::SelectedNamed(const std::string& key) {
    if (!selectedBuilt_) {
        selectedBuilt_ = true;
        const std::size_t count = host_.SelectedCount();
        selected_.reserve(count);
        std::string itemKey;
        for (std::size_t i = 0; i < count; ++i) {
            KeyOf(host_.SelectedItem(i).name, &itemKey);
            selected_.emplace(itemKey, static_cast<std::uint32_t>(i));
        }
    }
    const auto found = selected_.find(key);
    return found == selected_.end() ? -1 : static_cast<std::int64_t>(found->second);
}

bool BatchNames::Free(std::uint32_t index, const std::string& name) {
    KeyOf(name, &key_);
    if (given_.count(key_) != 0 || (!keptKey_.empty() && key_ == keptKey_))
        return false;
    // Nothing there now: what an earlier item moved away from is free, and what it moved to
    // was given above.
    if (files_.Attributes(name) == kNoAttributes)
        return true;
    const std::int64_t other = SelectedNamed(key_);
    if (other < 0)
        return false;  // a file outside the batch
    if (static_cast<std::uint32_t>(other) == index)
        return true;  // the item's own name, in another letter case
    // A selected item keeps its name when its template gives it that name; else it moves away.
    PanelItemText item = host_.SelectedItem(static_cast<std::size_t>(other));
    otherName_.assign(item.name);
    item.name = otherName_;
    const std::string asked = name;
    return !InFamily(static_cast<std::uint32_t>(other), item, asked);
}

void BatchNames::Make(std::uint32_t index, const PanelItemText& item, std::string& out) {
    if (!numbers_) {
        Expand(index, item, 0, out);
        return;
    }
    // The item's own texts stay with it while other items are asked for theirs.
    oldName_.assign(item.name);
    PanelItemText self = item;
    self.name = oldName_;
    self.description = nullptr;
    Expand(index, self, 0, first_);
    std::string firstKey;
    KeyOf(first_, &firstKey);
    // An item whose name its template gives it keeps that name (in the template's letter case).
    if (InFamily(index, self, oldName_, &first_)) {
        out = probe_;
        std::string key;
        KeyOf(out, &key);
        given_.emplace(key, 0u);
        if (key == firstKey && given_[firstKey] == 0)
            given_[firstKey] = 1;
        return;
    }
    const auto hint = given_.find(firstKey);
    std::uint32_t number = hint == given_.end() ? 0 : hint->second;
    std::string previous;
    for (std::uint32_t tries = 0; tries < kMostTries; ++tries, ++number) {
        if (number == 0) {
            candidate_ = first_;
        } else {
            Expand(index, self, number, candidate_);
            // The steps or the cut lost the number: no number frees this name.
            if (SameName(candidate_, first_) || SameName(candidate_, previous))
                break;
        }
        if (Free(index, candidate_)) {
            out = candidate_;
            KeyOf(out, &key_);
            given_.emplace(key_, 0u);
            // The family's next item starts past this number: every smaller one is taken.
            std::uint32_t& next = given_[firstKey];
            if (next < number + 1)
                next = number + 1;
            return;
        }
        previous = candidate_;
    }
    // The name stays taken: the run stops at it as at any collision.
    out = first_;
}

}  // namespace velmora
