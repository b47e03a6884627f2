// Text files read line by line: language files, journals, description files.
#pragma once

#include <cstddef>
#include <string_view>

namespace velmora {

// Steps through text line by line. Sets [*begin, *end) to the line starting at *pos, without its
// LF or CR LF (files written on Windows end their lines with CR LF), and moves *pos past it.
// False at the end of the text.
inline bool NextLine(std::string_view text, std::size_t* pos, std::size_t* begin, std::size_t* end) {
    if (*pos >= text.size()) {
        return false;
    }
    std::size_t newline = text.find('\n', *pos);
    if (newline == std::string_view::npos) {
        newline = text.size();
    }
    *begin = *pos;
    *end = newline;
    if (*end > *begin && text[*end - 1] == '\r') {
        --*end;
    }
    *pos = newline + 1;
    return true;
}

}  // namespace velmora
