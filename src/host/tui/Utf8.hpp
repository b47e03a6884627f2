// UTF-8 stepping and display widths for the terminal UI. Text stays bytes: a byte that does not
// start a valid sequence counts as one character of width 1 (shown as "?"), so nothing is ever
// split or lost.
#pragma once

#include <cstddef>
#include <string>

namespace velmora::host::tui {

// Bytes of the character starting at pos (1 for an invalid or truncated sequence, 0 at the end).
std::size_t CharLength(const std::string& text, std::size_t pos);
// Start of the character ending just before pos (pos itself when pos is 0).
std::size_t PreviousChar(const std::string& text, std::size_t pos);
// The code point at pos, or -1 when the bytes there are not a valid sequence.
long DecodeChar(const std::string& text, std::size_t pos);
// Terminal columns of one code point as this UI draws it: 1 or 2 (non-printable ones become "?").
int CodePointWidth(long codePoint);
// Columns of text[begin, end).
int DisplayWidth(const std::string& text, std::size_t begin = 0, std::size_t end = std::string::npos);
// Appends the UTF-8 form of a code point.
void AppendUtf8(std::string* text, long codePoint);
// The longest prefix of text (whole characters) fitting in `columns`.
std::size_t FitPrefix(const std::string& text, int columns);

}  // namespace velmora::host::tui
