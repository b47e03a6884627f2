// The ncurses screen behind the terminal UI: starting and leaving curses mode, colours by role,
// drawing UTF-8 text and frames, saving and restoring screen areas, and reading keys in a form
// that never mistakes part of an escape sequence for Esc.
#pragma once

#include <memory>
#include <string>

namespace velmora::host::tui {

enum class Role {
    Background,
    TitleBar,
    Dialog,
    DialogFocus,  // focused button or check box
    Edit,
    EditUnchanged,  // an edit field's text before it was edited
    Warning,
    WarningFocus,
    List,
    ListSelected,
    Help,
    HelpHighlight,
    HelpLink,
    HelpLinkSelected,
};

enum class Glyph {
    DoubleTopLeft,
    DoubleTopRight,
    DoubleBottomLeft,
    DoubleBottomRight,
    DoubleHorizontal,
    DoubleVertical,
    SingleTopLeft,
    SingleTopRight,
    SingleBottomLeft,
    SingleBottomRight,
    SingleHorizontal,
    SingleVertical,
    SeparatorLeftOfDouble,   // ╟
    SeparatorRightOfDouble,  // ╢
    SeparatorLeftOfSingle,   // ├
    SeparatorRightOfSingle,  // ┤
    DownArrow,
    RadioMark,  // • inside a selected radio button's "( )"
};

struct Key {
    enum Kind {
        None,  // nothing to act on (an unknown sequence, a mouse event)
        Text,  // text holds one typed character
        Tab,
        BackTab,
        Up,
        Down,
        Left,
        Right,
        Home,
        End,
        PageUp,
        PageDown,
        Backspace,
        Delete,
        Enter,
        Escape,
        F1,
        F4,
        Insert,
        ClearLine,  // Ctrl+Y
        OpenList,   // Ctrl+Down, Alt+Down
        Resize,
        Interrupt,  // Ctrl+C
        Closed,     // the terminal is gone
        Idle,       // nothing typed in the time given to Read
    };
    Kind kind = None;
    std::string text;
};

class Screen {
public:
    Screen();
    ~Screen();
    Screen(const Screen&) = delete;
    Screen& operator=(const Screen&) = delete;

    // Checks that the terminal on stdin/stdout can be driven, without entering curses mode.
    static bool Usable(std::string* error);

    // Enters curses mode (the first time: sets it up and draws the background). False when the
    // terminal cannot be set up.
    bool Enter(const std::string& title);
    // Leaves curses mode and gives the terminal back as it was.
    void Leave();
    // Gives the terminal to another program for a while (an editor); the next Enter takes it back
    // and draws everything again.
    void Suspend();
    bool Active() const;

    int Rows() const;
    int Cols() const;

    // Draws text from (y, x) in at most `width` columns; returns the columns used.
    int Put(int y, int x, const std::string& text, int width, Role role);
    void Fill(int y, int x, int height, int width, Role role);
    void Draw(int y, int x, Glyph glyph, Role role);
    void Frame(int y, int x, int height, int width, bool doubleLine, Role role);
    // Darkens the cells right of and below a box, as FAR's shadow does.
    void Shadow(int y, int x, int height, int width);
    void ShowCursor(int y, int x);
    void HideCursor();
    void Update();
    void Beep();
    // Drops keys typed ahead, so a key pressed while a batch ran cannot answer the next question.
    void DiscardInput();
    Key Read();
    // The next key, or Idle when none comes within `waitMs` milliseconds.
    Key Read(int waitMs);

    // A copy of a screen area; restored exactly by Restore and then freed.
    void* Save(int x1, int y1, int x2, int y2);
    void Restore(void* saved);
    void Forget(void* saved);

    void DrawBackground();
    // After a resize, for a view that saved the whole screen under it: the background drawn
    // anew, `saved` put back and freed; returns the new copy of the whole screen.
    void* Resaved(void* saved);

private:
    struct State;
    std::unique_ptr<State> state_;
    Key ReadAfterEscape();
};

}  // namespace velmora::host::tui
