// The line format of a description file as the FAR hosts read it, shared by the plug-in's rewrite
// and the velmora host's panel so that both see the same names in the same lines.
//
// A line is a name (in double quotes when it holds blanks), blanks, then the description up to the
// line end (LF or CR LF). A line that starts with a blank continues the description above it; an
// empty line describes nothing.
#pragma once

#include <cstddef>
#include <string_view>

#include "platform/TextLines.hpp"

namespace velmora {

inline bool IsDescriptionBlank(char c) {
    return c == ' ' || c == '\t';
}

// One line, taken apart. Offsets are into the text the line came from.
struct DescriptionLine {
    enum Kind { Empty, Continuation, Named } kind = Empty;
    std::size_t nameBegin = 0;  // the name, without its quotes
    std::size_t nameEnd = 0;
    std::size_t tokenEnd = 0;   // past the name and its closing quote, where the rest of the line starts
    std::size_t textBegin = 0;  // the description (or the continued text), after the blanks
};

// Reads the line [begin, end) of text. A quoted name without its closing quote runs to the line end.
inline DescriptionLine ParseDescriptionLine(std::string_view text, std::size_t begin, std::size_t end) {
    DescriptionLine line;
    if (begin == end)
        return line;
    std::size_t p = begin;
    if (IsDescriptionBlank(text[p])) {
        while (p < end && IsDescriptionBlank(text[p]))
            ++p;
        line.kind = DescriptionLine::Continuation;
        line.textBegin = p;
        return line;
    }
    line.kind = DescriptionLine::Named;
    if (text[p] == '"') {
        std::size_t close = text.find('"', p + 1);
        if (close == std::string_view::npos || close > end)
            close = end;
        line.nameBegin = p + 1;
        line.nameEnd = close;
        p = close < end ? close + 1 : end;
    } else {
        line.nameBegin = p;
        while (p < end && !IsDescriptionBlank(text[p]))
            ++p;
        line.nameEnd = p;
    }
    line.tokenEnd = p;
    while (p < end && IsDescriptionBlank(text[p]))
        ++p;
    line.textBegin = p;
    return line;
}

}  // namespace velmora
