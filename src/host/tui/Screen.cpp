#include "host/tui/Screen.hpp"

#include "host/tui/Utf8.hpp"

#define NCURSES_WIDECHAR 1

#include <curses.h>
#include <langinfo.h>
#include <unistd.h>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <set>

namespace velmora::host::tui {

namespace {

// Milliseconds to wait for the rest of an escape sequence: long enough for any local terminal
// and ssh over a decent link, short enough that Esc feels immediate.
constexpr int kEscapeDelay = 25;
constexpr int kSequenceWait = 50;
// Consecutive read errors in blocking mode mean stdin is gone (end of file, hang-up).
constexpr int kErrorsBeforeClosed = 20;

struct SavedArea {
    WINDOW* copy;
    int x1, y1, x2, y2;
};

// The pairs behind the roles (pair 0 is the terminal's default).
enum Pair : short {
    kPairBackground = 1,
    kPairTitle,
    kPairDialog,
    kPairFocus,
    kPairEdit,
    kPairEditUnchanged,
    kPairWarning,
    kPairWarningFocus,
    kPairList,
    kPairListSelected,
    kPairHelp,
    kPairHelpHighlight,
    kPairHelpLink,
    kPairHelpLinkSelected,
    kPairShadow,
};

SCREEN* g_exitScreen = nullptr;

// Whatever way the process leaves, the terminal is not left in raw mode on the other screen.
void RestoreTerminalAtExit() {
    if (g_exitScreen) {
        set_term(g_exitScreen);
        if (!isendwin())
            endwin();
    }
}

}  // namespace

struct Screen::State {
    SCREEN* screen = nullptr;
    std::string savedLocale;
    bool colours = false;
    bool utf8 = false;
    int errors = 0;
    std::string title;
    std::set<SavedArea*> saved;
};

Screen::Screen() : state_(new State) {}

Screen::~Screen() {
    Leave();
}

bool Screen::Active() const {
    return state_->screen && !isendwin();
}

bool Screen::Enter(const std::string& title) {
    State& s = *state_;
    if (s.screen) {
        if (isendwin()) {
            refresh();
        }
        return true;
    }
    s.title = title;
    // Curses needs the user's character set to draw and read UTF-8; only LC_CTYPE changes, and it
    // is put back when the screen is left.
    const char* previous = std::setlocale(LC_CTYPE, nullptr);
    s.savedLocale = previous ? previous : "C";
    std::setlocale(LC_CTYPE, "");
    if (std::strcmp(nl_langinfo(CODESET), "UTF-8") != 0 &&
        std::strcmp(nl_langinfo(CODESET), "ANSI_X3.4-1968") == 0) {
        // No locale configured (a bare container or ssh session): names on Linux are UTF-8 and
        // so are nearly all terminals, so that is the better guess than ASCII.
        std::setlocale(LC_CTYPE, "C.UTF-8");
    }
    s.utf8 = std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0;
    std::fflush(stdout);
    s.screen = newterm(nullptr, stdout, stdin);
    if (!s.screen) {
        std::setlocale(LC_CTYPE, s.savedLocale.c_str());
        return false;
    }
    set_term(s.screen);
    static bool hooked = false;
    if (!hooked) {
        hooked = std::atexit(RestoreTerminalAtExit) == 0;
    }
    g_exitScreen = s.screen;
    raw();
    noecho();
    nonl();
    intrflush(stdscr, FALSE);
    keypad(stdscr, TRUE);
    meta(stdscr, TRUE);
    set_escdelay(kEscapeDelay);
    s.colours = has_colors();
    if (s.colours) {
        start_color();
        const short background = use_default_colors() == OK ? -1 : COLOR_BLACK;
        const short foreground = background == -1 ? -1 : COLOR_WHITE;
        init_pair(kPairBackground, foreground, background);
        init_pair(kPairTitle, COLOR_BLACK, COLOR_CYAN);
        init_pair(kPairDialog, COLOR_BLACK, COLOR_WHITE);
        init_pair(kPairFocus, COLOR_BLACK, COLOR_CYAN);
        init_pair(kPairEdit, COLOR_BLACK, COLOR_CYAN);
        init_pair(kPairEditUnchanged, COLOR_BLUE, COLOR_CYAN);
        init_pair(kPairWarning, COLOR_WHITE, COLOR_RED);
        init_pair(kPairWarningFocus, COLOR_BLACK, COLOR_WHITE);
        init_pair(kPairList, COLOR_BLACK, COLOR_WHITE);
        init_pair(kPairListSelected, COLOR_WHITE, COLOR_BLACK);
        init_pair(kPairHelp, COLOR_BLACK, COLOR_CYAN);
        init_pair(kPairHelpHighlight, COLOR_WHITE, COLOR_CYAN);
        init_pair(kPairHelpLink, COLOR_YELLOW, COLOR_CYAN);
        init_pair(kPairHelpLinkSelected, COLOR_BLACK, COLOR_WHITE);
        init_pair(kPairShadow, COLOR_WHITE, COLOR_BLACK);
    }
    DrawBackground();
    Update();
    return true;
}

void Screen::Suspend() {
    State& s = *state_;
    if (!s.screen || isendwin())
        return;
    set_term(s.screen);
    curs_set(1);
    endwin();
}

void Screen::Leave() {
    State& s = *state_;
    if (!s.screen)
        return;
    for (SavedArea* area : s.saved) {
        delwin(area->copy);
        delete area;
    }
    s.saved.clear();
    set_term(s.screen);
    if (!isendwin()) {
        curs_set(1);
        endwin();
    }
    delscreen(s.screen);
    if (g_exitScreen == s.screen)
        g_exitScreen = nullptr;
    s.screen = nullptr;
    std::setlocale(LC_CTYPE, s.savedLocale.c_str());
}

int Screen::Rows() const {
    return LINES;
}
int Screen::Cols() const {
    return COLS;
}

static void Look(bool colours, Role role, attr_t* attr, short* pair) {
    struct Entry {
        short pair;
        attr_t colourAttr;
        attr_t monoAttr;
    };
    static const Entry kLooks[] = {
        {kPairBackground, A_NORMAL, A_NORMAL},                // Background
        {kPairTitle, A_NORMAL, A_REVERSE},                    // TitleBar
        {kPairDialog, A_NORMAL, A_REVERSE},                   // Dialog
        {kPairFocus, A_NORMAL, A_NORMAL},                     // DialogFocus
        {kPairEdit, A_NORMAL, A_UNDERLINE},                   // Edit
        {kPairEditUnchanged, A_NORMAL, A_UNDERLINE | A_DIM},  // EditUnchanged
        {kPairWarning, A_BOLD, A_REVERSE | A_BOLD},           // Warning
        {kPairWarningFocus, A_NORMAL, A_NORMAL},              // WarningFocus
        {kPairList, A_NORMAL, A_REVERSE},                     // List
        {kPairListSelected, A_BOLD, A_NORMAL},                // ListSelected
        {kPairHelp, A_NORMAL, A_NORMAL},                      // Help
        {kPairHelpHighlight, A_BOLD, A_BOLD},                 // HelpHighlight
        {kPairHelpLink, A_BOLD, A_UNDERLINE},                 // HelpLink
        {kPairHelpLinkSelected, A_NORMAL, A_REVERSE},         // HelpLinkSelected
    };
    const Entry& entry = kLooks[static_cast<int>(role)];
    *pair = colours ? entry.pair : 0;
    *attr = colours ? entry.colourAttr : entry.monoAttr;
}

int Screen::Put(int y, int x, const std::string& text, int width, Role role) {
    if (!state_->screen || y < 0 || y >= LINES)
        return 0;
    attr_t attr;
    short pair;
    Look(state_->colours, role, &attr, &pair);
    int used = 0;
    for (std::size_t pos = 0; pos < text.size(); pos += CharLength(text, pos)) {
        long cp = DecodeChar(text, pos);
        // Control characters, invalid bytes and marks of width 0 would upset the column count.
        if (cp < 0x20 || cp == 0x7F ||
            (cp > 0x7F && (!state_->utf8 || ::wcwidth(static_cast<wchar_t>(cp)) < 1)))
            cp = '?';
        const int w = CodePointWidth(cp);
        if (used + w > width || x + used + w > COLS)
            break;
        if (x + used >= 0) {
            wchar_t wide[2] = {static_cast<wchar_t>(cp), L'\0'};
            cchar_t cell;
            setcchar(&cell, wide, attr, pair, nullptr);
            mvadd_wch(y, x + used, &cell);
        }
        used += w;
    }
    return used;
}

void Screen::Fill(int y, int x, int height, int width, Role role) {
    const std::string blank(static_cast<std::size_t>(std::max(width, 0)), ' ');
    for (int row = y; row < y + height; ++row)
        Put(row, x, blank, width, role);
}

void Screen::Draw(int y, int x, Glyph glyph, Role role) {
    if (!state_->screen || y < 0 || y >= LINES || x < 0 || x >= COLS)
        return;
    static const wchar_t kWide[] = {L'\u2554', L'\u2557', L'\u255A', L'\u255D', L'\u2550', L'\u2551',
                                    L'\u250C', L'\u2510', L'\u2514', L'\u2518', L'\u2500', L'\u2502',
                                    L'\u255F', L'\u2562', L'\u251C', L'\u2524', L'\u2193', L'\u2022'};
    attr_t attr;
    short pair;
    Look(state_->colours, role, &attr, &pair);
    const int index = static_cast<int>(glyph);
    if (state_->utf8) {
        wchar_t wide[2] = {kWide[index], L'\0'};
        cchar_t cell;
        setcchar(&cell, wide, attr, pair, nullptr);
        mvadd_wch(y, x, &cell);
        return;
    }
    const cchar_t* fallback[] = {
        WACS_D_ULCORNER, WACS_D_URCORNER, WACS_D_LLCORNER, WACS_D_LRCORNER, WACS_D_HLINE, WACS_D_VLINE,
        WACS_ULCORNER,   WACS_URCORNER,   WACS_LLCORNER,   WACS_LRCORNER,   WACS_HLINE,   WACS_VLINE,
        WACS_LTEE,       WACS_RTEE,       WACS_LTEE,       WACS_RTEE,       WACS_DARROW,  WACS_BULLET};
    cchar_t cell = *fallback[index];
    wchar_t wide[CCHARW_MAX + 1];
    attr_t ignoredAttr;
    short ignoredPair;
    getcchar(&cell, wide, &ignoredAttr, &ignoredPair, nullptr);
    setcchar(&cell, wide, attr | A_ALTCHARSET, pair, nullptr);
    mvadd_wch(y, x, &cell);
}

void Screen::Frame(int y, int x, int height, int width, bool doubleLine, Role role) {
    if (height < 2 || width < 2)
        return;
    const Glyph h = doubleLine ? Glyph::DoubleHorizontal : Glyph::SingleHorizontal;
    const Glyph v = doubleLine ? Glyph::DoubleVertical : Glyph::SingleVertical;
    Draw(y, x, doubleLine ? Glyph::DoubleTopLeft : Glyph::SingleTopLeft, role);
    Draw(y, x + width - 1, doubleLine ? Glyph::DoubleTopRight : Glyph::SingleTopRight, role);
    Draw(y + height - 1, x, doubleLine ? Glyph::DoubleBottomLeft : Glyph::SingleBottomLeft, role);
    Draw(y + height - 1, x + width - 1, doubleLine ? Glyph::DoubleBottomRight : Glyph::SingleBottomRight,
         role);
    for (int col = x + 1; col < x + width - 1; ++col) {
        Draw(y, col, h, role);
        Draw(y + height - 1, col, h, role);
    }
    for (int row = y + 1; row < y + height - 1; ++row) {
        Draw(row, x, v, role);
        Draw(row, x + width - 1, v, role);
    }
}

void Screen::Shadow(int y, int x, int height, int width) {
    if (!state_->screen || !state_->colours)
        return;
    auto darken = [](int row, int col, int count) {
        if (row < 0 || row >= LINES || col >= COLS)
            return;
        count = std::min(count, COLS - col);
        if (count > 0)
            mvchgat(row, col, count, A_DIM, kPairShadow, nullptr);
    };
    for (int row = y + 1; row < y + height; ++row)
        darken(row, x + width, 2);
    darken(y + height, x + 2, width);
}

void Screen::ShowCursor(int y, int x) {
    if (!state_->screen)
        return;
    move(y, x);
    curs_set(1);
}

void Screen::HideCursor() {
    if (state_->screen)
        curs_set(0);
}

void Screen::Update() {
    if (state_->screen)
        refresh();
}

void Screen::Beep() {
    if (state_->screen)
        beep();
}

void Screen::DiscardInput() {
    if (state_->screen)
        flushinp();
}

void* Screen::Resaved(void* saved) {
    DrawBackground();
    Restore(saved);
    return Save(0, 0, -1, -1);
}

void Screen::DrawBackground() {
    if (!state_->screen)
        return;
    Fill(0, 0, LINES, COLS, Role::Background);
    Fill(0, 0, 1, COLS, Role::TitleBar);
    Put(0, 1, state_->title.empty() ? std::string("velmora") : state_->title, COLS - 2, Role::TitleBar);
}

namespace {

Key Make(Key::Kind kind) {
    Key key;
    key.kind = kind;
    return key;
}

// Keys the terminfo entry names only by capability (modified cursor keys).
Key FromKeyName(int code) {
    const char* name = keyname(code);
    if (!name)
        return Make(Key::None);
    const std::string n = name;
    if (n == "kDN3" || n == "kDN5" || n == "kDN7")
        return Make(Key::OpenList);
    if (n.compare(0, 3, "kDN") == 0)
        return Make(Key::Down);
    if (n.compare(0, 3, "kUP") == 0)
        return Make(Key::Up);
    if (n.compare(0, 4, "kLFT") == 0)
        return Make(Key::Left);
    if (n.compare(0, 4, "kRIT") == 0)
        return Make(Key::Right);
    if (n.compare(0, 4, "kHOM") == 0)
        return Make(Key::Home);
    if (n.compare(0, 4, "kEND") == 0)
        return Make(Key::End);
    if (n.compare(0, 4, "kDC") == 0)
        return Make(Key::Delete);
    if (n.compare(0, 3, "kIC") == 0)
        return Make(Key::Insert);
    return Make(Key::None);
}

Key FromCode(int code) {
    switch (code) {
        case KEY_UP:
            return Make(Key::Up);
        case KEY_DOWN:
            return Make(Key::Down);
        case KEY_LEFT:
            return Make(Key::Left);
        case KEY_RIGHT:
            return Make(Key::Right);
        case KEY_HOME:
        case KEY_A1:
            return Make(Key::Home);
        case KEY_END:
        case KEY_C1:
            return Make(Key::End);
        case KEY_PPAGE:
        case KEY_A3:
            return Make(Key::PageUp);
        case KEY_NPAGE:
        case KEY_C3:
            return Make(Key::PageDown);
        case KEY_BACKSPACE:
            return Make(Key::Backspace);
        case KEY_DC:
            return Make(Key::Delete);
        case KEY_ENTER:
            return Make(Key::Enter);
        case KEY_BTAB:
            return Make(Key::BackTab);
        case KEY_RESIZE:
            return Make(Key::Resize);
        case KEY_F(1):
            return Make(Key::F1);
        case KEY_F(4):
            return Make(Key::F4);
        case KEY_IC:
            return Make(Key::Insert);
        case KEY_SDC:
            return Make(Key::Delete);
        case KEY_SHOME:
            return Make(Key::Home);
        case KEY_SEND:
            return Make(Key::End);
        case KEY_SLEFT:
            return Make(Key::Left);
        case KEY_SRIGHT:
            return Make(Key::Right);
        default:
            return code > KEY_MAX ? FromKeyName(code) : Make(Key::None);
    }
}

// The final part of "ESC [ params final" or "ESC O final" that the terminfo entry did not know.
Key FromSequence(char introducer, const std::string& params, char final) {
    int base = 0, modifier = 1;
    const std::size_t semicolon = params.find(';');
    if (!params.empty() && params.find_first_not_of("0123456789;") == std::string::npos) {
        base = std::atoi(params.c_str());
        if (semicolon != std::string::npos)
            modifier = std::atoi(params.c_str() + semicolon + 1);
    }
    const bool ctrlOrAlt = modifier == 3 || modifier == 5 || modifier == 7;
    switch (final) {
        case 'A':
            return Make(Key::Up);
        case 'B':
            return Make(ctrlOrAlt ? Key::OpenList : Key::Down);
        case 'b':
            return Make(introducer == 'O' ? Key::OpenList : Key::None);  // rxvt Ctrl+Down
        case 'C':
            return Make(Key::Right);
        case 'D':
            return Make(Key::Left);
        case 'H':
            return Make(Key::Home);
        case 'F':
            return Make(Key::End);
        case 'Z':
            return Make(Key::BackTab);
        case 'P':
            return Make(Key::F1);
        case 'S':
            return Make(Key::F4);
        case 'M':
            return Make(introducer == 'O' ? Key::Enter : Key::None);
        case '~':
            switch (base) {
                case 1:
                case 7:
                    return Make(Key::Home);
                case 4:
                case 8:
                    return Make(Key::End);
                case 2:
                    return Make(Key::Insert);
                case 3:
                    return Make(Key::Delete);
                case 5:
                    return Make(Key::PageUp);
                case 6:
                    return Make(Key::PageDown);
                case 11:
                    return Make(Key::F1);
                case 14:
                    return Make(Key::F4);
                default:
                    return Make(Key::None);
            }
        default:
            return Make(Key::None);
    }
}

}  // namespace

Key Screen::ReadAfterEscape() {
    // The rest of a sequence arrives with the Esc; a lone Esc is followed by silence.
    timeout(kSequenceWait);
    wint_t c = 0;
    int r = get_wch(&c);
    Key key = Make(Key::None);
    if (r == ERR) {
        key = Make(Key::Escape);
    } else if (r == KEY_CODE_YES) {
        // Alt with a key the terminal encodes as ESC + sequence.
        const Key inner = FromCode(static_cast<int>(c));
        key = Make(inner.kind == Key::Down || inner.kind == Key::OpenList ? Key::OpenList : Key::None);
    } else if (c == 27) {
        const Key inner = ReadAfterEscape();
        if (inner.kind == Key::Escape)
            key = Make(Key::Escape);
        else if (inner.kind == Key::Down || inner.kind == Key::OpenList)
            key = Make(Key::OpenList);
    } else if (c == '[' || c == 'O') {
        const char introducer = static_cast<char>(c);
        std::string params;
        char final = 0;
        for (int count = 0; count < 16; ++count) {
            wint_t next = 0;
            if (get_wch(&next) != OK)
                break;
            if (introducer == '[' && params.empty() && next == '[') {
                // Linux console function keys: ESC [ [ A is F1, ESC [ [ D is F4.
                wint_t letter = 0;
                if (get_wch(&letter) == OK && (letter == 'A' || letter == 'D'))
                    key = Make(letter == 'A' ? Key::F1 : Key::F4);
                final = '\0';
                params = "[";
                break;
            }
            if (introducer == 'O' || (next >= 0x40 && next <= 0x7E)) {
                final = static_cast<char>(next);
                break;
            }
            params.push_back(static_cast<char>(next));
        }
        if (final)
            key = FromSequence(introducer, params, final);
    }
    timeout(-1);
    return key;
}

Key Screen::Read() {
    return Read(-1);
}

Key Screen::Read(int waitMs) {
    if (!state_->screen)
        return Make(Key::Closed);
    timeout(waitMs);
    wint_t c = 0;
    const int r = get_wch(&c);
    if (r == ERR && waitMs >= 0)
        return Make(Key::Idle);
    if (r == ERR) {
        return Make(++state_->errors >= kErrorsBeforeClosed ? Key::Closed : Key::None);
    }
    state_->errors = 0;
    if (r == KEY_CODE_YES)
        return FromCode(static_cast<int>(c));
    switch (c) {
        case 27:
            return ReadAfterEscape();
        case 9:
            return Make(Key::Tab);
        case 10:
        case 13:
            return Make(Key::Enter);
        case 8:
        case 127:
            return Make(Key::Backspace);
        case 25:
            return Make(Key::ClearLine);
        case 3:
            return Make(Key::Interrupt);
        default:
            break;
    }
    if (c < 0x20 || (c >= 0x80 && c < 0xA0) || c > 0x10FFFF)
        return Make(Key::None);
    Key key = Make(Key::Text);
    AppendUtf8(&key.text, static_cast<long>(c));
    return key;
}

void* Screen::Save(int x1, int y1, int x2, int y2) {
    if (!state_->screen)
        return nullptr;
    WINDOW* copy = dupwin(stdscr);
    if (!copy)
        return nullptr;
    if (x2 < 0 || x2 >= COLS)
        x2 = COLS - 1;
    if (y2 < 0 || y2 >= LINES)
        y2 = LINES - 1;
    auto* area = new SavedArea{copy, std::max(x1, 0), std::max(y1, 0), x2, y2};
    state_->saved.insert(area);
    return area;
}

void Screen::Restore(void* handle) {
    auto* area = static_cast<SavedArea*>(handle);
    if (!state_->screen || !state_->saved.count(area))
        return;
    int rows = 0, cols = 0;
    getmaxyx(area->copy, rows, cols);
    const int y2 = std::min({area->y2, rows - 1, LINES - 1});
    const int x2 = std::min({area->x2, cols - 1, COLS - 1});
    if (area->y1 <= y2 && area->x1 <= x2)
        copywin(area->copy, stdscr, area->y1, area->x1, area->y1, area->x1, y2, x2, FALSE);
    Forget(handle);
}

void Screen::Forget(void* handle) {
    auto* area = static_cast<SavedArea*>(handle);
    if (!state_->saved.erase(area))
        return;
    delwin(area->copy);
    delete area;
}

}  // namespace velmora::host::tui
