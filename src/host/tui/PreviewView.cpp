// The plan shown before the run starts: every selected file, old -> new, scrolling; the item the
// run stops at in warning colours with its reason, and the files after it set apart. Enter
// renames, Esc goes back to the dialog.
#include <algorithm>
#include <vector>

#include "host/Plan.hpp"
#include "host/tui/Utf8.hpp"
#include "host/tui/Views.hpp"

namespace velmora::host::tui {

namespace {

struct Row {
    std::string mark;  // two columns before the names
    std::string oldName;
    std::string newName;  // empty: the name stays
    std::string note;
    Role role = Role::Dialog;
};

// Control bytes would move the cursor: shown as "?" as the rest of the UI shows them.
std::string Shown(const std::string& name) {
    std::string shown = name;
    for (char& c : shown) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = '?';
    }
    return shown;
}

std::vector<Row> Rows(const Plan& plan) {
    std::vector<Row> rows;
    rows.reserve(plan.items.size() + 1);
    for (const PlanItem& item : plan.items) {
        Row row;
        row.oldName = Shown(item.oldName);
        switch (item.action) {
            case ItemAction::Rename:
                row.mark = "  ";
                row.newName = Shown(item.newName);
                break;
            case ItemAction::Keep:
                row.mark = "= ";
                row.note = "keeps its name";
                break;
            case ItemAction::Stop:
                row.mark = "! ";
                row.newName = Shown(item.newName);
                row.note = item.reason + ": " + ReasonText(item.reason);
                row.role = Role::Warning;
                break;
            case ItemAction::Unreached:
                row.mark = "  ";
                row.newName = Shown(item.newName);
                row.role = Role::List;
                break;
        }
        if (item.action == ItemAction::Unreached && !rows.empty() && rows.back().role == Role::Warning) {
            Row separator;
            separator.note = "the run stops here: the files below keep their names";
            separator.role = Role::Warning;
            rows.push_back(separator);
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

std::string Summary(const Plan& plan) {
    std::string text = std::to_string(plan.Count(ItemAction::Rename)) + " to rename";
    if (const std::size_t kept = plan.Count(ItemAction::Keep))
        text += ", " + std::to_string(kept) + " keep their names";
    for (const PlanItem& item : plan.items) {
        if (item.action == ItemAction::Stop)
            text += "; stops at " + Shown(item.oldName) + " (" + item.reason + ")";
    }
    return text;
}

class PreviewView {
public:
    PreviewView(Screen& screen, const Plan& plan) : screen_(screen), plan_(plan), rows_(Rows(plan)) {
        for (const Row& row : rows_)
            oldWidth_ = std::max(oldWidth_, DisplayWidth(row.oldName));
    }

    PreviewAnswer Run() {
        void* under = screen_.Save(0, 0, -1, -1);
        screen_.DiscardInput();
        PreviewAnswer answer = PreviewAnswer::Cancel;
        for (bool open = Fits() || WaitForRoom(screen_, kMinWidth, kMinHeight); open;) {
            Draw();
            const Key key = screen_.Read();
            const int page = std::max(1, BodyRows());
            switch (key.kind) {
                case Key::Up:
                    Scroll(-1);
                    break;
                case Key::Down:
                    Scroll(+1);
                    break;
                case Key::PageUp:
                    Scroll(-page);
                    break;
                case Key::PageDown:
                    Scroll(+page);
                    break;
                case Key::Home:
                    top_ = 0;
                    break;
                case Key::End:
                    Scroll(static_cast<int>(rows_.size()));
                    break;
                case Key::Enter:
                    answer = PreviewAnswer::Rename;
                    open = false;
                    break;
                case Key::Escape:
                    answer = PreviewAnswer::Back;
                    open = false;
                    break;
                case Key::Interrupt:
                case Key::Closed:
                    open = false;
                    break;
                case Key::Resize:
                    under = screen_.Resaved(under);
                    open = Fits() || WaitForRoom(screen_, kMinWidth, kMinHeight);
                    answer = open ? answer : PreviewAnswer::Back;
                    break;
                default:
                    break;
            }
        }
        screen_.Restore(under);
        screen_.HideCursor();
        screen_.Update();
        return answer;
    }

private:
    // The box: below the title bar, a row above the bottom, two columns from the sides.
    static constexpr int kMinWidth = 30;
    static constexpr int kMinHeight = 8;
    int X() const { return 2; }
    int Y() const { return 1; }
    int Width() const { return screen_.Cols() - 2 * X(); }
    int Height() const { return screen_.Rows() - Y() - 1; }
    bool Fits() const { return screen_.Cols() >= kMinWidth && screen_.Rows() >= kMinHeight; }
    // Inside the frame: the summary, the rows, the keys.
    int BodyRows() const { return Height() - 4; }

    void Scroll(int by) {
        const int last = std::max(0, static_cast<int>(rows_.size()) - BodyRows());
        top_ = std::max(0, std::min(last, top_ + by));
    }

    void Draw() {
        const int x = X(), y = Y(), w = Width(), h = Height();
        const int inner = std::max(1, w - 4);
        screen_.Fill(y, x, h, w, Role::Dialog);
        screen_.Frame(y, x, h, w, true, Role::Dialog);
        const std::string title = " Preview ";
        screen_.Put(y, x + (w - DisplayWidth(title)) / 2, title, w - 2, Role::Dialog);
        screen_.Put(y + 1, x + 2, Summary(plan_), inner, Role::Dialog);
        Scroll(0);
        const int nameWidth = std::max(8, std::min(oldWidth_, (inner - 5) / 2));
        for (int r = 0; r < BodyRows(); ++r) {
            const std::size_t index = static_cast<std::size_t>(top_ + r);
            const int row = y + 2 + r;
            if (index >= rows_.size())
                break;
            const Row& line = rows_[index];
            screen_.Fill(row, x + 1, 1, w - 2, line.role);
            if (line.oldName.empty()) {  // the stop separator
                screen_.Put(row, x + 2, "-- " + line.note + " --", inner, line.role);
                continue;
            }
            int used = screen_.Put(row, x + 2, line.mark, 2, line.role);
            const std::string oldName = line.oldName.substr(0, FitPrefix(line.oldName, nameWidth));
            used += screen_.Put(row, x + 2 + used, oldName, nameWidth, line.role);
            used = 2 + std::max(used - 2, nameWidth);
            std::string rest;
            if (!line.newName.empty())
                rest = " \xE2\x86\x92 " + line.newName;  // " → "
            if (!line.note.empty())
                rest += "   " + line.note;
            screen_.Put(row, x + 2 + used, rest, std::max(0, inner - used), line.role);
        }
        const int rowsShown = std::min(BodyRows(), static_cast<int>(rows_.size()));
        const std::string position = rows_.empty() ? std::string()
                                                   : " " + std::to_string(top_ + 1) + "-" +
                                                         std::to_string(top_ + rowsShown) + " of " +
                                                         std::to_string(rows_.size()) + " ";
        screen_.Put(y + h - 2, x + 2, "Enter rename   Esc back to the dialog   PgUp PgDn scroll", inner,
                    Role::Dialog);
        screen_.Put(y + h - 1, x + w - 2 - DisplayWidth(position), position, DisplayWidth(position),
                    Role::Dialog);
        screen_.HideCursor();
        screen_.Update();
    }

    Screen& screen_;
    const Plan& plan_;
    std::vector<Row> rows_;
    int oldWidth_ = 0;
    int top_ = 0;
};

}  // namespace

PreviewAnswer RunPreview(Screen& screen, const Plan& plan) {
    PreviewView view(screen, plan);
    return view.Run();
}

}  // namespace velmora::host::tui
