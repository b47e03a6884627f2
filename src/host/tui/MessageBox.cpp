// Message boxes: a title in the frame, the text lines centred (wrapped when wider than the
// screen), and a row of buttons. Without buttons the box is only drawn (progress).
#include <algorithm>
#include <vector>

#include "host/tui/HelpFile.hpp"
#include "host/tui/Utf8.hpp"
#include "host/tui/Views.hpp"

namespace velmora::host::tui {

namespace {

class MessageView {
public:
    MessageView(Screen& screen, const HelpSource& help, std::uint32_t flags, const char* helpTopic,
                const char* const* lines, int count, int buttons)
        : screen_(screen), help_(help), flags_(flags), helpTopic_(helpTopic ? helpTopic : "") {
        count = std::max(count, 0);
        buttons = std::max(0, std::min(buttons, count - 1));
        auto line = [&](int i) { return std::string(lines[i] ? lines[i] : ""); };
        if (count > 0)
            title_ = line(0);
        for (int i = 1; i < count - buttons; ++i)
            text_.push_back(line(i));
        for (int i = count - buttons; i < count; ++i)
            buttons_.push_back("[ " + line(i) + " ]");
    }

    int Run() {
        if (buttons_.empty()) {
            Draw();
            return -1;
        }
        void* under = screen_.Save(0, 0, -1, -1);
        screen_.DiscardInput();
        int result = -1;
        for (bool waiting = true; waiting;) {
            Draw();
            const Key key = screen_.Read();
            const int count = static_cast<int>(buttons_.size());
            switch (key.kind) {
                case Key::Left:
                case Key::Up:
                case Key::BackTab:
                    focus_ = (focus_ + count - 1) % count;
                    break;
                case Key::Right:
                case Key::Down:
                case Key::Tab:
                    focus_ = (focus_ + 1) % count;
                    break;
                case Key::Enter:
                    result = focus_;
                    waiting = false;
                    break;
                case Key::Text:
                    if (key.text == " ") {
                        result = focus_;
                        waiting = false;
                    }
                    break;
                case Key::Escape:
                case Key::Interrupt:
                case Key::Closed:
                    waiting = false;
                    break;
                case Key::F1:
                    if (!helpTopic_.empty())
                        RunHelp(screen_, help_, helpTopic_);
                    break;
                case Key::Resize:
                    under = screen_.Resaved(under);
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
    void Draw() {
        const bool warning = (flags_ & far::FMSG_WARNING) != 0;
        const Role role = warning ? Role::Warning : Role::Dialog;
        const Role focusRole = warning ? Role::WarningFocus : Role::DialogFocus;
        // Three columns of margin, the frame and a space on each side.
        const int maxInner = std::max(1, screen_.Cols() - 10);
        std::vector<std::string> rows;
        for (const std::string& text : text_) {
            HelpLine line;
            line.spans.push_back(HelpSpan{text, HelpStyle::Normal, ""});
            for (const HelpLine& row : WrapHelpLine(line, maxInner))
                rows.push_back(PlainText(row));
        }
        int buttonsWidth = -1;
        for (const std::string& button : buttons_)
            buttonsWidth += DisplayWidth(button) + 1;
        int inner = std::max(buttonsWidth, DisplayWidth(title_) + 2);
        for (const std::string& row : rows)
            inner = std::max(inner, DisplayWidth(row));
        inner = std::min(inner, maxInner);
        const int w = std::min(inner + 10, screen_.Cols());
        const int buttonRows = buttons_.empty() ? 0 : 1;
        const int maxRows = std::max(0, screen_.Rows() - 4 - buttonRows);
        if (static_cast<int>(rows.size()) > maxRows)
            rows.resize(static_cast<std::size_t>(maxRows));
        const int h = std::min(static_cast<int>(rows.size()) + buttonRows + 4, screen_.Rows());
        const int x = std::max(0, (screen_.Cols() - w) / 2);
        const int y = std::max(0, (screen_.Rows() - h) / 2);
        screen_.Fill(y, x, h, w, role);
        screen_.Shadow(y, x, h, w);
        screen_.Frame(y + 1, x + 3, h - 2, w - 6, true, role);
        if (!title_.empty()) {
            const std::string title = " " + title_ + " ";
            const int tw = std::min(DisplayWidth(title), std::max(0, w - 10));
            screen_.Put(y + 1, x + (w - tw) / 2, title, tw, role);
        }
        for (std::size_t r = 0; r < rows.size(); ++r) {
            const int rw = std::min(DisplayWidth(rows[r]), inner);
            const int rx = (flags_ & far::FMSG_LEFTALIGN) ? x + 5 : x + (w - rw) / 2;
            screen_.Put(y + 2 + static_cast<int>(r), rx, rows[r], inner, role);
        }
        if (!buttons_.empty()) {
            const int by = y + 2 + static_cast<int>(rows.size());
            int bx = x + std::max(0, (w - buttonsWidth) / 2);
            for (std::size_t b = 0; b < buttons_.size(); ++b) {
                const bool focused = static_cast<int>(b) == focus_;
                const int used = screen_.Put(by, bx, buttons_[b], x + w - bx, focused ? focusRole : role);
                bx += used + 1;
            }
        }
        screen_.HideCursor();
        screen_.Update();
    }

    Screen& screen_;
    const HelpSource& help_;
    std::uint32_t flags_;
    std::string helpTopic_;
    std::string title_;
    std::vector<std::string> text_;
    std::vector<std::string> buttons_;
    int focus_ = 0;
};

}  // namespace

int RunMessage(Screen& screen, const HelpSource& help, std::uint32_t flags, const char* helpTopic,
               const char* const* lines, int count, int buttons) {
    if (!lines || count <= 0)
        return -1;
    MessageView view(screen, help, flags, helpTopic, lines, count, buttons);
    return view.Run();
}

}  // namespace velmora::host::tui
