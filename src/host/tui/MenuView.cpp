// A host menu for the plug-in: lines in a scrolling box, the cursor on one of them; checked lines
// in warning colours. Enter chooses the line under the cursor, Esc chooses none.
#include <algorithm>
#include <vector>

#include "host/tui/Utf8.hpp"
#include "host/tui/Views.hpp"

namespace velmora::host::tui {
namespace {

class MenuView {
public:
    MenuView(Screen& screen, const HelpSource& help, const std::string& title, const std::string& bottom,
             const char* helpTopic, const std::vector<MenuLine>& lines, int selected)
        : screen_(screen),
          help_(help),
          title_(title.empty() ? std::string() : " " + title + " "),
          bottom_(bottom),
          helpTopic_(helpTopic ? helpTopic : ""),
          lines_(lines),
          cursor_(std::max(0, std::min(selected, static_cast<int>(lines.size()) - 1))) {}

    int Run() {
        void* under = screen_.Save(0, 0, -1, -1);
        screen_.DiscardInput();
        int result = -1;
        for (bool open = Fits() || WaitForRoom(screen_, kMinWidth, kMinHeight); open;) {
            Draw();
            const Key key = screen_.Read();
            const int page = std::max(1, BodyRows());
            switch (key.kind) {
                case Key::Up:
                    Move(-1);
                    break;
                case Key::Down:
                    Move(+1);
                    break;
                case Key::PageUp:
                    Move(-page);
                    break;
                case Key::PageDown:
                    Move(+page);
                    break;
                case Key::Home:
                    Move(-static_cast<int>(lines_.size()));
                    break;
                case Key::End:
                    Move(static_cast<int>(lines_.size()));
                    break;
                case Key::Enter:
                    result = lines_.empty() ? -1 : cursor_;
                    open = false;
                    break;
                case Key::F1:
                    if (!helpTopic_.empty())
                        RunHelp(screen_, help_, helpTopic_);
                    break;
                case Key::Escape:
                case Key::Interrupt:
                case Key::Closed:
                    open = false;
                    break;
                case Key::Resize:
                    under = screen_.Resaved(under);
                    open = Fits() || WaitForRoom(screen_, kMinWidth, kMinHeight);
                    break;
                default:
                    break;
            }
        }
        screen_.Restore(under);
        screen_.HideCursor();
        screen_.Update();
        return result;
    }

private:
    static constexpr int kMinWidth = 30;
    static constexpr int kMinHeight = 6;
    int X() const { return 2; }
    int Y() const { return 1; }
    int Width() const { return screen_.Cols() - 2 * X(); }
    int Height() const { return screen_.Rows() - Y() - 1; }
    bool Fits() const { return screen_.Cols() >= kMinWidth && screen_.Rows() >= kMinHeight; }
    int BodyRows() const { return Height() - 2; }

    void Move(int by) {
        if (lines_.empty())
            return;
        cursor_ = std::max(0, std::min(static_cast<int>(lines_.size()) - 1, cursor_ + by));
        if (cursor_ < top_)
            top_ = cursor_;
        if (cursor_ >= top_ + BodyRows())
            top_ = cursor_ - BodyRows() + 1;
    }

    void Draw() {
        const int x = X(), y = Y(), w = Width(), h = Height();
        const int inner = std::max(1, w - 4);
        Move(0);
        screen_.Fill(y, x, h, w, Role::Dialog);
        screen_.Frame(y, x, h, w, true, Role::Dialog);
        screen_.Put(y, x + (w - DisplayWidth(title_)) / 2, title_, w - 2, Role::Dialog);
        for (int r = 0; r < BodyRows(); ++r) {
            const std::size_t index = static_cast<std::size_t>(top_ + r);
            if (index >= lines_.size())
                break;
            const MenuLine& line = lines_[index];
            const Role role = static_cast<int>(index) == cursor_ ? Role::ListSelected
                              : line.checked                     ? Role::Warning
                                                                 : Role::Dialog;
            screen_.Fill(y + 1 + r, x + 1, 1, w - 2, role);
            std::string text = (line.checked ? "! " : "  ") + line.text;
            for (char& c : text) {
                if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
                    c = '?';
            }
            screen_.Put(y + 1 + r, x + 2, text, inner, role);
        }
        if (!bottom_.empty()) {
            const std::string bottom = " " + bottom_ + " ";
            screen_.Put(y + h - 1, x + (w - DisplayWidth(bottom)) / 2, bottom, w - 2, Role::Dialog);
        }
        screen_.HideCursor();
        screen_.Update();
    }

    Screen& screen_;
    const HelpSource& help_;
    std::string title_;
    std::string bottom_;
    std::string helpTopic_;
    const std::vector<MenuLine>& lines_;
    int cursor_ = 0;
    int top_ = 0;
};

}  // namespace

int RunMenu(Screen& screen, const HelpSource& help, const std::string& title, const std::string& bottom,
            const char* helpTopic, const std::vector<MenuLine>& lines, int selected) {
    MenuView view(screen, help, title, bottom, helpTopic, lines, selected);
    return view.Run();
}

}  // namespace velmora::host::tui
