#include "host/tui/ListBox.hpp"

#include <algorithm>

#include "host/tui/Utf8.hpp"
#include "host/tui/Views.hpp"

namespace velmora::host::tui {

bool ListStep(Key::Kind kind, int page, int count, int* step) {
    switch (kind) {
        case Key::Up:
            *step = -1;
            return true;
        case Key::Down:
            *step = +1;
            return true;
        case Key::PageUp:
            *step = -page;
            return true;
        case Key::PageDown:
            *step = +page;
            return true;
        case Key::Home:
            *step = -count;
            return true;
        case Key::End:
            *step = count;
            return true;
        default:
            return false;
    }
}

std::string Printable(const std::string& text) {
    std::string shown = text;
    for (char& c : shown) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = '?';
    }
    return shown;
}

ListBox::ListBox(Screen& screen, const Layout& layout, int count, int cursor)
    : screen_(screen), layout_(layout), count_(count), cursor_(std::max(0, std::min(cursor, count - 1))) {}

ListBox::Close ListBox::Run(const std::function<void()>& draw, const std::function<bool(const Key&)>& other) {
    void* under = screen_.Save(0, 0, -1, -1);
    screen_.DiscardInput();
    Close close = Close::Gone;
    for (bool open = Fits() || WaitForRoom(screen_, kMinWidth, layout_.minHeight); open;) {
        Move(0);  // the page may have changed size
        draw();
        screen_.HideCursor();
        screen_.Update();
        const Key key = screen_.Read();
        int step = 0;
        if (ListStep(key.kind, std::max(1, BodyRows()), count_, &step)) {
            Move(step);
            continue;
        }
        switch (key.kind) {
            case Key::Enter:
                close = Close::Enter;
                open = false;
                break;
            case Key::Escape:
                close = Close::Escape;
                open = false;
                break;
            case Key::Interrupt:
            case Key::Closed:
                close = Close::Gone;
                open = false;
                break;
            case Key::Resize:
                under = screen_.Resaved(under);
                open = Fits() || WaitForRoom(screen_, kMinWidth, layout_.minHeight);
                if (!open)
                    close = Close::Shrunk;
                break;
            default:
                if (other(key)) {
                    close = Close::Key;
                    open = false;
                }
                break;
        }
    }
    screen_.Restore(under);
    screen_.HideCursor();
    screen_.Update();
    return close;
}

int ListBox::Shown() const {
    return std::max(0, std::min(BodyRows(), count_ - top_));
}

void ListBox::DrawFrame(const std::string& title) const {
    const int x = X(), y = Y(), w = Width(), h = Height();
    screen_.Fill(y, x, h, w, Role::Dialog);
    screen_.Frame(y, x, h, w, true, Role::Dialog);
    screen_.Put(y, x + (w - DisplayWidth(title)) / 2, title, w - 2, Role::Dialog);
}

bool ListBox::Fits() const {
    return screen_.Cols() >= kMinWidth && screen_.Rows() >= layout_.minHeight;
}

void ListBox::Move(int by) {
    if (!layout_.cursor) {
        const int last = std::max(0, count_ - BodyRows());
        top_ = std::max(0, std::min(last, top_ + by));
        return;
    }
    if (count_ == 0)
        return;
    cursor_ = std::max(0, std::min(count_ - 1, cursor_ + by));
    if (cursor_ < top_)
        top_ = cursor_;
    if (cursor_ >= top_ + BodyRows())
        top_ = cursor_ - BodyRows() + 1;
}

}  // namespace velmora::host::tui
