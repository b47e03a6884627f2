// The plan shown before the run starts: every selected file, old -> new, scrolling; the item the
// run stops at in warning colours with its reason, and the files after it set apart. Enter
// renames, Esc goes back to the dialog.
#include <algorithm>
#include <vector>

#include "host/Plan.hpp"
#include "host/tui/ListBox.hpp"
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

std::vector<Row> Rows(const Plan& plan) {
    std::vector<Row> rows;
    rows.reserve(plan.items.size() + 1);
    for (const PlanItem& item : plan.items) {
        Row row;
        row.oldName = Printable(item.oldName);
        switch (item.action) {
            case ItemAction::Rename:
                row.mark = "  ";
                row.newName = Printable(item.newName);
                break;
            case ItemAction::Keep:
                row.mark = "= ";
                row.note = "keeps its name";
                break;
            case ItemAction::Stop:
                row.mark = "! ";
                row.newName = Printable(item.newName);
                row.note = item.reason + ": " + ReasonText(item.reason);
                row.role = Role::Warning;
                break;
            case ItemAction::Unreached:
                row.mark = "  ";
                row.newName = Printable(item.newName);
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
            text += "; stops at " + Printable(item.oldName) + " (" + item.reason + ")";
    }
    return text;
}

class PreviewView {
public:
    PreviewView(Screen& screen, const Plan& plan)
        : screen_(screen),
          plan_(plan),
          rows_(Rows(plan)),
          // Inside the frame: the summary, the rows, the keys.
          list_(screen, ListBox::Layout{8, 1, 1, false}, static_cast<int>(rows_.size())) {
        for (const Row& row : rows_)
            oldWidth_ = std::max(oldWidth_, DisplayWidth(row.oldName));
    }

    PreviewAnswer Run() {
        switch (list_.Run([this] { Draw(); }, [](const Key&) { return false; })) {
            case ListBox::Close::Enter:
                return PreviewAnswer::Rename;
            case ListBox::Close::Escape:
            case ListBox::Close::Shrunk:
                return PreviewAnswer::Back;
            case ListBox::Close::Gone:
            case ListBox::Close::Key:
                break;
        }
        return PreviewAnswer::Cancel;
    }

private:
    void Draw() {
        const int x = list_.X(), y = list_.Y(), w = list_.Width(), h = list_.Height();
        const int inner = std::max(1, w - 4);
        list_.DrawFrame(" Preview ");
        screen_.Put(y + 1, x + 2, Summary(plan_), inner, Role::Dialog);
        const int nameWidth = std::max(8, std::min(oldWidth_, (inner - 5) / 2));
        for (int r = 0; r < list_.Shown(); ++r) {
            const Row& line = rows_[static_cast<std::size_t>(list_.Top() + r)];
            const int row = list_.BodyY() + r;
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
        const std::string position = rows_.empty() ? std::string()
                                                   : " " + std::to_string(list_.Top() + 1) + "-" +
                                                         std::to_string(list_.Top() + list_.Shown()) +
                                                         " of " + std::to_string(rows_.size()) + " ";
        screen_.Put(y + h - 2, x + 2, "Enter rename   Esc back to the dialog   PgUp PgDn scroll", inner,
                    Role::Dialog);
        screen_.Put(y + h - 1, x + w - 2 - DisplayWidth(position), position, DisplayWidth(position),
                    Role::Dialog);
    }

    Screen& screen_;
    const Plan& plan_;
    std::vector<Row> rows_;
    ListBox list_;
    int oldWidth_ = 0;
};

}  // namespace

PreviewAnswer RunPreview(Screen& screen, const Plan& plan) {
    PreviewView view(screen, plan);
    return view.Run();
}

}  // namespace velmora::host::tui
