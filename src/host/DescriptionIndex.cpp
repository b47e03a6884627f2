#include "host/DescriptionIndex.hpp"

#include <algorithm>

#include "descriptions/DescriptionLines.hpp"
#include "far/HostConventions.hpp"

namespace velmora::host {
void DescriptionIndex::Clear() {
    descriptions_.clear();
    exact_.clear();
    folded_.clear();
}

void DescriptionIndex::ReleaseLookup() {
    decltype(exact_)().swap(exact_);
    decltype(folded_)().swap(folded_);
}

void DescriptionIndex::Parse(std::string_view contents) {
    Clear();
    // One record a line at most: sized once, the tables never rehash while they fill.
    std::size_t lines = static_cast<std::size_t>(std::count(contents.begin(), contents.end(), '\n')) + 1;
    descriptions_.reserve(lines);
    exact_.reserve(lines);
    folded_.reserve(lines);
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
        const std::string name(contents.substr(line.nameBegin, line.nameEnd - line.nameBegin));
        const std::size_t index = descriptions_.size();
        descriptions_.emplace_back(contents, line.textBegin, end - line.textBegin);
        haveRecord = true;
        exact_.emplace(name, index);
        folded_.emplace(far::FoldAscii(name), index);
    }
}

const std::string* DescriptionIndex::FindOne(const std::string& name) const {
    auto exact = exact_.find(name);
    if (exact != exact_.end())
        return &descriptions_[exact->second];
    auto folded = folded_.find(far::FoldAscii(name));
    if (folded != folded_.end())
        return &descriptions_[folded->second];
    return nullptr;
}

const std::string* DescriptionIndex::Find(const std::string& name) const {
    if (exact_.empty())
        return nullptr;
    if (const std::string* found = FindOne(name))
        return found;
    // Description lines are written without one trailing dot of the name.
    if (name.size() > 1 && name.back() == '.')
        return FindOne(name.substr(0, name.size() - 1));
    // And, as FAR reads them, a name without any dot matches a line that gives it a trailing one.
    if (name.find('.') == std::string::npos)
        return FindOne(name + ".");
    return nullptr;
}

}  // namespace velmora::host
