// The scrolling box the host's lists share (the plan before a run, the plug-in's menus): the whole
// screen below the title bar, a row above the bottom and two columns from the sides, its rows
// scrolling between fixed lines at the top and bottom, and the modal loop that moves through it.
#pragma once

#include <functional>
#include <string>

#include "host/tui/Screen.hpp"

namespace velmora::host::tui {

// How far a moving key takes a list of `count` rows shown `page` at a time: a row, a page, or to
// either end. False for a key that does not move a list.
bool ListStep(Key::Kind kind, int page, int count, int* step);

// Control bytes would move the terminal's cursor: shown as "?" as the rest of the UI shows them.
std::string Printable(const std::string& text);

class ListBox {
public:
    struct Layout {
        int minHeight = 6;    // the terminal rows below which the box waits for room
        int above = 0;        // fixed lines inside the frame above the rows
        int below = 0;        // and below them
        bool cursor = false;  // a chosen row the page follows, or a page that scrolls alone
    };

    enum class Close {
        Enter,
        Escape,
        Gone,    // Ctrl+C, the terminal went away, or no room for the box to begin with
        Shrunk,  // the terminal became too small and the user gave up waiting for room
        Key,     // a key the caller's `other` took as closing the box
    };

    ListBox(Screen& screen, const Layout& layout, int count, int cursor = 0);

    // Draws the page with `draw` and reads keys until the box closes, giving `other` the keys the
    // list does not use (true from it closes the box); the screen under the box is put back.
    Close Run(const std::function<void()>& draw, const std::function<bool(const Key&)>& other);

    int X() const { return 2; }
    int Y() const { return 1; }
    int Width() const { return screen_.Cols() - 2 * X(); }
    int Height() const { return screen_.Rows() - Y() - 1; }
    int BodyRows() const { return Height() - 2 - layout_.above - layout_.below; }
    int BodyY() const { return Y() + 1 + layout_.above; }
    int Top() const { return top_; }
    int Cursor() const { return cursor_; }
    // The rows on the page, from Top().
    int Shown() const;

    // The frame filled, `title` centred on its top line.
    void DrawFrame(const std::string& title) const;

private:
    static constexpr int kMinWidth = 30;
    bool Fits() const;
    void Move(int by);

    Screen& screen_;
    Layout layout_;
    int count_;
    int cursor_;
    int top_ = 0;
};

}  // namespace velmora::host::tui
