// A host menu for the plug-in: lines in a scrolling box, the cursor on one of them; checked lines
// in warning colours. Enter chooses the line under the cursor, Esc chooses none.
#include <algorithm>
#include <vector>

#include "host/tui/ListBox.hpp"
#include "host/tui/Utf8.hpp"
#include "host/tui/Views.hpp"

namespace velmora::host::tui {
namespace {

class MenuView {
public:
    MenuView(Screen& screen, const HelpSource& help, const std::string& title, const std::string& bottom,
             const char* helpTopic, const std::vector<MenuLine>& lines, int selected,
             const std::vector<int>& breakKeys)
        : screen_(screen),
          help_(help),
          title_(title.empty() ? std::string() : " " + title + " "),
          bottom_(bottom),
          helpTopic_(helpTopic ? helpTopic : ""),
          lines_(lines),
          breakKeys_(breakKeys),
          list_(screen, ListBox::Layout{6, 0, 0, true}, static_cast<int>(lines.size()), selected) {}

    int Run(int* breakCode) {
        *breakCode = -1;
        const ListBox::Close close = list_.Run([this] { Draw(); },
                                               [this, breakCode](const Key& key) {
                                                   if (key.kind == Key::F1 && !helpTopic_.empty())
                                                       RunHelp(screen_, help_, helpTopic_);
                                                   *breakCode = BreakIndex(key);
                                                   return *breakCode >= 0;
                                               });
        const bool onLine = !lines_.empty();
        return (close == ListBox::Close::Enter || close == ListBox::Close::Key) && onLine ? list_.Cursor()
                                                                                          : -1;
    }

private:
    // The key's place among the break keys, by FAR's code of it; -1 when it is none of them.
    int BreakIndex(const Key& key) const {
        int code = 0;
        switch (key.kind) {
            case Key::Insert:
                code = far::kVkInsert;
                break;
            case Key::Delete:
                code = far::kVkDelete;
                break;
            case Key::F4:
                code = far::kVkF4;
                break;
            default:
                return -1;
        }
        for (std::size_t i = 0; i < breakKeys_.size(); ++i) {
            if (breakKeys_[i] == code)
                return static_cast<int>(i);
        }
        return -1;
    }

    void Draw() {
        const int x = list_.X(), y = list_.Y(), w = list_.Width(), h = list_.Height();
        const int inner = std::max(1, w - 4);
        list_.DrawFrame(title_);
        for (int r = 0; r < list_.Shown(); ++r) {
            const int index = list_.Top() + r;
            const MenuLine& line = lines_[static_cast<std::size_t>(index)];
            const Role role = index == list_.Cursor() ? Role::ListSelected
                              : line.checked          ? Role::Warning
                                                      : Role::Dialog;
            screen_.Fill(list_.BodyY() + r, x + 1, 1, w - 2, role);
            screen_.Put(list_.BodyY() + r, x + 2, (line.checked ? "! " : "  ") + Printable(line.text), inner,
                        role);
        }
        if (!bottom_.empty()) {
            const std::string bottom = " " + bottom_ + " ";
            screen_.Put(y + h - 1, x + (w - DisplayWidth(bottom)) / 2, bottom, w - 2, Role::Dialog);
        }
    }

    Screen& screen_;
    const HelpSource& help_;
    std::string title_;
    std::string bottom_;
    std::string helpTopic_;
    const std::vector<MenuLine>& lines_;
    const std::vector<int>& breakKeys_;
    ListBox list_;
};

}  // namespace

int RunMenu(Screen& screen, const HelpSource& help, const std::string& title, const std::string& bottom,
            const char* helpTopic, const std::vector<MenuLine>& lines, int selected,
            const std::vector<int>& breakKeys, int* breakCode) {
    MenuView view(screen, help, title, bottom, helpTopic, lines, selected, breakKeys);
    return view.Run(breakCode);
}

}  // namespace velmora::host::tui
