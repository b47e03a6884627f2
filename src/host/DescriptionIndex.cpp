#include "host/DescriptionIndex.hpp"

#include <algorithm>

#include "far/HostConventions.hpp"
#include "host/TextLines.hpp"

namespace velmora::host {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

}  // namespace

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
    std::size_t p = 0;
    std::size_t lineEnd = 0;
    bool haveRecord = false;
    while (NextLine(contents, &pos, &p, &lineEnd)) {
        if (p == lineEnd)
            continue;

        if (IsBlank(contents[p])) {
            while (p < lineEnd && IsBlank(contents[p]))
                ++p;
            // Continuation lines belong to the record above; joined so nothing is lost when the
            // description is written back as one line.
            if (haveRecord && p < lineEnd) {
                std::string& description = descriptions_.back();
                if (!description.empty())
                    description += ' ';
                description.append(contents, p, lineEnd - p);
            }
            continue;
        }

        std::string name;
        if (contents[p] == '"') {
            std::size_t close = contents.find('"', p + 1);
            if (close == std::string::npos || close > lineEnd)
                close = lineEnd;
            name.assign(contents, p + 1, close - p - 1);
            p = close < lineEnd ? close + 1 : lineEnd;
        } else {
            std::size_t nameEnd = p;
            while (nameEnd < lineEnd && !IsBlank(contents[nameEnd]))
                ++nameEnd;
            name.assign(contents, p, nameEnd - p);
            p = nameEnd;
        }
        while (p < lineEnd && IsBlank(contents[p]))
            ++p;
        haveRecord = false;
        if (name.empty())
            continue;
        std::size_t index = descriptions_.size();
        descriptions_.emplace_back(contents, p, lineEnd - p);
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
