#include "host/tui/EditLine.hpp"

#include "host/tui/Utf8.hpp"

namespace velmora::host::tui {

EditLine::EditLine(const std::string& text, std::size_t maxBytes) : maxBytes_(maxBytes) {
    SetText(text);
}

void EditLine::SetText(const std::string& text) {
    std::size_t length = 0;
    while (length < text.size()) {
        const std::size_t next = length + CharLength(text, length);
        if (next > maxBytes_)
            break;
        length = next;
    }
    text_ = text.substr(0, length);
    cursor_ = text_.size();
    first_ = 0;
}

bool EditLine::Insert(const std::string& character) {
    if (character.empty())
        return true;
    if (unchanged_) {
        text_.clear();
        cursor_ = first_ = 0;
        unchanged_ = false;
    }
    if (text_.size() + character.size() > maxBytes_)
        return false;
    text_.insert(cursor_, character);
    cursor_ += character.size();
    return true;
}

void EditLine::Left() {
    Accept();
    cursor_ = PreviousChar(text_, cursor_);
}

void EditLine::Right() {
    Accept();
    cursor_ += CharLength(text_, cursor_);
}

void EditLine::Home() {
    Accept();
    cursor_ = 0;
}

void EditLine::End() {
    Accept();
    cursor_ = text_.size();
}

void EditLine::Backspace() {
    Accept();
    if (cursor_ == 0)
        return;
    const std::size_t start = PreviousChar(text_, cursor_);
    text_.erase(start, cursor_ - start);
    cursor_ = start;
}

void EditLine::Delete() {
    Accept();
    text_.erase(cursor_, CharLength(text_, cursor_));
}

void EditLine::Clear() {
    Accept();
    text_.clear();
    cursor_ = first_ = 0;
}

EditLine::View EditLine::Layout(int width) {
    if (width < 1)
        width = 1;
    if (first_ > cursor_)
        first_ = cursor_;
    // The cursor needs a cell of its own, so the text before it must be narrower than the field.
    while (first_ < cursor_ && DisplayWidth(text_, first_, cursor_) >= width)
        first_ += CharLength(text_, first_);
    // Scroll back when the rest of the text would leave the field partly empty.
    while (first_ > 0) {
        const std::size_t previous = PreviousChar(text_, first_);
        if (DisplayWidth(text_, previous) >= width)
            break;
        first_ = previous;
    }
    View view{first_, first_, DisplayWidth(text_, first_, cursor_)};
    int used = 0;
    while (view.end < text_.size()) {
        const int w = CodePointWidth(DecodeChar(text_, view.end));
        if (used + w > width)
            break;
        used += w;
        view.end += CharLength(text_, view.end);
    }
    return view;
}

}  // namespace velmora::host::tui
