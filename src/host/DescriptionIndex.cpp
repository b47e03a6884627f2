#include "host/DescriptionIndex.hpp"

#include <algorithm>

#include "descriptions/DescriptionLines.hpp"
#include "far/HostConventions.hpp"

namespace velmora::host {
namespace {

template <bool kFold>
bool Same(std::string_view a, std::string_view b) {
    return kFold ? far::EqualIgnoringAsciiCase(a, b) : a == b;
}

}  // namespace

void DescriptionIndex::Clear() {
    descriptions_.clear();
    ReleaseLookup();
}

void DescriptionIndex::ReleaseLookup() {
    std::string().swap(names_);
    std::vector<Name>().swap(records_);
    std::vector<std::uint32_t>().swap(recordDescription_);
    std::vector<std::uint32_t>().swap(exact_);
    std::vector<std::uint32_t>().swap(folded_);
}

template <bool kFold>
std::size_t DescriptionIndex::Slot(const std::vector<std::uint32_t>& table, std::string_view name) const {
    const std::size_t mask = table.size() - 1;
    for (std::size_t slot = static_cast<std::size_t>(far::NameHash(name, kFold)) & mask;;
         slot = (slot + 1) & mask) {
        const std::uint32_t held = table[slot];
        if (held == 0)
            return slot;
        const Name& record = records_[held - 1];
        if (Same<kFold>(std::string_view(names_).substr(record.at, record.size), name))
            return slot;
    }
}

void DescriptionIndex::Parse(std::string_view contents) {
    Clear();
    // One record a line at most: the tables are sized once, at most half full.
    const std::size_t lines =
        static_cast<std::size_t>(std::count(contents.begin(), contents.end(), '\n')) + 1;
    std::size_t slots = 16;
    while (slots < 2 * lines)
        slots *= 2;
    exact_.assign(slots, 0);
    folded_.assign(slots, 0);
    descriptions_.reserve(lines);
    records_.reserve(lines);
    std::size_t pos = 0;
    std::size_t begin = 0;
    std::size_t end = 0;
    bool haveRecord = false;
    while (NextLine(contents, &pos, &begin, &end)) {
        const DescriptionLine line = ParseDescriptionLine(contents, begin, end);
        if (line.kind == DescriptionLine::Empty)
            continue;
        if (line.kind == DescriptionLine::Continuation) {
            // Continuation lines belong to the record above; joined so that the panel shows them.
            if (haveRecord && line.textBegin < end) {
                std::string& description = descriptions_.back();
                if (!description.empty())
                    description += ' ';
                description.append(contents, line.textBegin, end - line.textBegin);
            }
            continue;
        }
        haveRecord = false;
        if (line.nameBegin == line.nameEnd)
            continue;
        const std::string_view name = contents.substr(line.nameBegin, line.nameEnd - line.nameBegin);
        descriptions_.emplace_back(contents, line.textBegin, end - line.textBegin);
        haveRecord = true;
        // The first line of a name wins, in either table.
        const std::size_t exact = Slot<false>(exact_, name);
        const std::size_t folded = Slot<true>(folded_, name);
        if (exact_[exact] != 0 && folded_[folded] != 0)
            continue;
        records_.push_back(
            Name{static_cast<std::uint32_t>(names_.size()), static_cast<std::uint32_t>(name.size())});
        names_.append(name);
        recordDescription_.push_back(static_cast<std::uint32_t>(descriptions_.size() - 1));
        const auto number = static_cast<std::uint32_t>(records_.size());
        if (exact_[exact] == 0)
            exact_[exact] = number;
        if (folded_[folded] == 0)
            folded_[folded] = number;
    }
}

const std::string* DescriptionIndex::FindOne(std::string_view name) const {
    if (const std::uint32_t held = exact_[Slot<false>(exact_, name)])
        return &descriptions_[recordDescription_[held - 1]];
    if (const std::uint32_t held = folded_[Slot<true>(folded_, name)])
        return &descriptions_[recordDescription_[held - 1]];
    return nullptr;
}

const std::string* DescriptionIndex::Find(const std::string& name) const {
    if (records_.empty())
        return nullptr;
    if (const std::string* found = FindOne(name))
        return found;
    // Description lines are written without one trailing dot of the name.
    if (name.size() > 1 && name.back() == '.')
        return FindOne(std::string_view(name).substr(0, name.size() - 1));
    // And, as FAR reads them, a name without any dot matches a line that gives it a trailing one.
    if (name.find('.') == std::string::npos)
        return FindOne(name + ".");
    return nullptr;
}

}  // namespace velmora::host
