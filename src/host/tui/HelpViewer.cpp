// The help window: one topic of the help file, its heading fixed at the top and its body
// scrolling below; Tab moves between links, Enter follows one, Backspace goes back.
#include <algorithm>
#include <fstream>
#include <sstream>
#include <vector>

#include "host/tui/HelpFile.hpp"
#include "host/tui/ListBox.hpp"
#include "host/tui/Utf8.hpp"
#include "host/tui/Views.hpp"

namespace velmora::host::tui {

namespace {

bool ReadFile(const std::string& path, std::string* text) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream out;
    out << in.rdbuf();
    *text = out.str();
    return true;
}

HelpLine Plain(const std::string& text) {
    HelpLine line;
    line.spans.push_back(HelpSpan{text, HelpStyle::Normal, ""});
    return line;
}

class HelpView {
public:
    HelpView(Screen& screen, const HelpSource& help) : screen_(screen), help_(help) {}

    void Run(const std::string& topic) {
        void* under = screen_.Save(0, 0, -1, -1);
        Open(topic);
        for (bool open = true; open;) {
            Layout();
            Draw();
            const Key key = screen_.Read();
            int step = 0;
            switch (key.kind) {
                case Key::Home:  // unlike the other steps, drops the selected link even when it stays in view
                    top_ = 0, link_ = -1;
                    break;
                case Key::Tab:
                    NextLink(+1);
                    break;
                case Key::BackTab:
                    NextLink(-1);
                    break;
                case Key::Enter:
                    if (link_ >= 0) {
                        const HelpSpan& span = rows_[links_[link_].row].spans[links_[link_].span];
                        back_.push_back(topic_.name.empty() ? current_ : topic_.name);
                        Open(span.topic);
                    }
                    break;
                case Key::Backspace:
                    if (!back_.empty()) {
                        const std::string previous = back_.back();
                        back_.pop_back();
                        Open(previous);
                    }
                    break;
                case Key::Resize:
                    under = screen_.Resaved(under);
                    break;
                case Key::Escape:
                case Key::Interrupt:
                case Key::Closed:
                    open = false;
                    break;
                default:
                    if (ListStep(key.kind, std::max(1, BodyRows()), static_cast<int>(rows_.size()), &step))
                        Scroll(step);
                    break;
            }
        }
        screen_.Restore(under);
        screen_.Update();
    }

private:
    struct LinkPlace {
        std::size_t row;
        std::size_t span;
    };

    int Width() const { return screen_.Cols(); }
    int Top() const { return std::min(1, screen_.Rows() - 1); }
    int Height() const { return screen_.Rows() - Top(); }
    int BodyRows() const {
        return Height() - 2 - (heading_.empty() ? 0 : static_cast<int>(heading_.size()) + 1);
    }

    void Open(const std::string& topic) {
        current_ = topic;
        topic_ = HelpTopic();
        std::string text;
        if (help_.file.empty() || !ReadFile(help_.file, &text)) {
            topic_.lines.push_back(Plain(" The help file cannot be read:"));
            topic_.lines.push_back(Plain(" " + (help_.file.empty() ? std::string("(none)") : help_.file)));
        } else if (!FindHelpTopic(text, topic, &topic_)) {
            topic_.lines.push_back(Plain(" The help topic \"" + topic + "\" is not in"));
            topic_.lines.push_back(Plain(" " + help_.file));
        }
        top_ = 0;
        link_ = -1;
        width_ = -1;
    }

    // Wraps the topic for the current width and finds its links.
    void Layout() {
        const int inner = std::max(1, Width() - 4);
        if (inner == width_)
            return;
        width_ = inner;
        heading_.clear();
        rows_.clear();
        for (const HelpLine& line : topic_.lines) {
            std::vector<HelpLine>& target = line.heading && rows_.empty() ? heading_ : rows_;
            for (HelpLine& row : WrapHelpLine(line, inner))
                target.push_back(std::move(row));
        }
        links_.clear();
        for (std::size_t r = 0; r < rows_.size(); ++r)
            for (std::size_t s = 0; s < rows_[r].spans.size(); ++s)
                if (rows_[r].spans[s].style == HelpStyle::Link)
                    links_.push_back(LinkPlace{r, s});
        if (link_ >= static_cast<int>(links_.size()))
            link_ = -1;
    }

    void Scroll(int delta) {
        const int last = std::max(0, static_cast<int>(rows_.size()) - BodyRows());
        top_ = std::max(0, std::min(last, top_ + delta));
        // A selected link that left the page is no longer selected.
        if (link_ >= 0) {
            const int row = static_cast<int>(links_[link_].row);
            if (row < top_ || row >= top_ + BodyRows())
                link_ = -1;
        }
    }

    void NextLink(int step) {
        if (links_.empty())
            return;
        const int count = static_cast<int>(links_.size());
        link_ = link_ < 0 ? (step > 0 ? 0 : count - 1) : (link_ + step + count) % count;
        const int row = static_cast<int>(links_[link_].row);
        if (row < top_)
            top_ = row;
        if (row >= top_ + BodyRows())
            top_ = row - BodyRows() + 1;
    }

    void DrawLine(int y, const HelpLine& line, int selectedSpan) {
        const int inner = width_;
        int x = 2;
        if (line.centred || line.heading)
            x += std::max(0, (inner - DisplayWidth(PlainText(line))) / 2);
        for (std::size_t s = 0; s < line.spans.size(); ++s) {
            const HelpSpan& span = line.spans[s];
            Role role = Role::Help;
            if (span.style == HelpStyle::Highlight || line.heading)
                role = Role::HelpHighlight;
            if (span.style == HelpStyle::Link)
                role = static_cast<int>(s) == selectedSpan ? Role::HelpLinkSelected : Role::HelpLink;
            x += screen_.Put(y, x, span.text, std::max(0, 2 + inner - x), role);
        }
    }

    void Draw() {
        const int y0 = Top(), h = Height(), w = Width();
        screen_.Fill(y0, 0, h, w, Role::Help);
        screen_.Frame(y0, 0, h, w, true, Role::Help);
        const std::string title = " Help ";
        screen_.Put(y0, std::max(0, (w - DisplayWidth(title)) / 2), title, w, Role::Help);
        int y = y0 + 1;
        for (const HelpLine& line : heading_)
            DrawLine(y++, line, -1);
        if (!heading_.empty()) {
            for (int x = 1; x < w - 1; ++x)
                screen_.Draw(y, x, Glyph::SingleHorizontal, Role::Help);
            screen_.Draw(y, 0, Glyph::SeparatorLeftOfDouble, Role::Help);
            screen_.Draw(y, w - 1, Glyph::SeparatorRightOfDouble, Role::Help);
            ++y;
        }
        for (int r = 0; r < BodyRows() && top_ + r < static_cast<int>(rows_.size()); ++r) {
            const std::size_t row = static_cast<std::size_t>(top_ + r);
            const int selected =
                link_ >= 0 && links_[link_].row == row ? static_cast<int>(links_[link_].span) : -1;
            DrawLine(y + r, rows_[row], selected);
        }
        const std::string keys = " Esc close  PgUp/PgDn scroll  Tab/Enter links ";
        if (h > 2)
            screen_.Put(y0 + h - 1, std::max(1, (w - DisplayWidth(keys)) / 2), keys, w - 2, Role::Help);
        screen_.HideCursor();
        screen_.Update();
    }

    Screen& screen_;
    const HelpSource& help_;
    std::string current_;
    HelpTopic topic_;
    std::vector<HelpLine> heading_;
    std::vector<HelpLine> rows_;
    std::vector<LinkPlace> links_;
    std::vector<std::string> back_;
    int width_ = -1;
    int top_ = 0;
    int link_ = -1;
};

}  // namespace

void RunHelp(Screen& screen, const HelpSource& help, const std::string& topic) {
    HelpView view(screen, help);
    view.Run(topic);
}

}  // namespace velmora::host::tui
