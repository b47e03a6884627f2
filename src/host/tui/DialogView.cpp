// The dialog: FAR's items drawn at their dialog-relative places, the focus moving over the
// items that take it, and the edit fields' text and check states written back on close.
#include <algorithm>
#include <cstring>
#include <vector>

#include "host/tui/EditLine.hpp"
#include "host/tui/History.hpp"
#include "host/tui/RadioGroup.hpp"
#include "host/tui/Utf8.hpp"
#include "host/tui/Views.hpp"

namespace velmora::host::tui {

namespace {

using far::FarDialogItem;

bool IsEdit(int type) {
    return type == far::DI_EDIT || type == far::DI_PSWEDIT || type == far::DI_FIXEDIT;
}

bool Focusable(int type) {
    return IsEdit(type) || type == far::DI_BUTTON || type == far::DI_CHECKBOX || type == far::DI_RADIOBUTTON;
}

// Item text as far as its 512 bytes go, even when the caller left no terminator.
std::string ItemText(const FarDialogItem& item) {
    return std::string(item.Data, strnlen(item.Data, sizeof(item.Data)));
}

struct Control {
    FarDialogItem* item;
    EditLine edit;
    int x = 0;  // dialog-relative column where the item is drawn
    std::string label;
};

std::string ButtonLabel(const FarDialogItem& item) {
    const std::string text = ItemText(item);
    return item.DefaultButton ? "{ " + text + " }" : "[ " + text + " ]";
}

int ItemWidth(const Control& control) {
    switch (control.item->Type) {
        case far::DI_BUTTON:
            return DisplayWidth(control.label);
        case far::DI_CHECKBOX:
        case far::DI_RADIOBUTTON:
            return 4 + DisplayWidth(control.label);
        default:
            return DisplayWidth(control.label);
    }
}

class DialogView {
public:
    DialogView(Screen& screen, const HelpSource& help, int x1, int y1, int x2, int y2, const char* helpTopic,
               FarDialogItem* items, int count, bool remember, DialogEvents* events = nullptr)
        : screen_(screen),
          help_(help),
          helpTopic_(helpTopic ? helpTopic : ""),
          remember_(remember),
          events_(events),
          idle_(events != nullptr) {
        width_ = std::max(1, x1 < 0 ? x2 : x2 - x1 + 1);
        height_ = std::max(1, y1 < 0 ? y2 : y2 - y1 + 1);
        x1_ = x1;
        y1_ = y1;
        controls_.reserve(static_cast<std::size_t>(count));
        for (int i = 0; i < count; ++i) {
            Control control{&items[i], EditLine(IsEdit(items[i].Type) ? ItemText(items[i]) : std::string()),
                            0, ""};
            control.label = items[i].Type == far::DI_BUTTON ? ButtonLabel(items[i]) : ItemText(items[i]);
            control.x = items[i].X1;
            controls_.push_back(std::move(control));
        }
        PlaceCentredGroups();
        focus_ = -1;
        for (int i = 0; i < count && focus_ < 0; ++i)
            if (items[i].Focus && Focusable(items[i].Type))
                focus_ = i;
        for (int i = 0; i < count && focus_ < 0; ++i)
            if (Focusable(items[i].Type))
                focus_ = i;
        if (focus_ >= 0 && IsEdit(controls_[focus_].item->Type))
            controls_[focus_].edit.SetUnchanged(true);
    }

    int Run() {
        int result = -1;
        void* under = screen_.Save(0, 0, -1, -1);
        screen_.DiscardInput();
        if (Fits() || WaitForRoom(screen_, width_, height_))
            result = Loop(&under);
        screen_.Restore(under);
        screen_.HideCursor();
        screen_.Update();
        WriteBack(result);
        return result;
    }

private:
    bool Fits() const { return screen_.Cols() >= width_ && screen_.Rows() >= height_; }

    int OriginX() const {
        return x1_ < 0 ? (screen_.Cols() - width_) / 2 : std::min(x1_, std::max(0, screen_.Cols() - width_));
    }
    int OriginY() const {
        return y1_ < 0 ? (screen_.Rows() - height_) / 2
                       : std::min(y1_, std::max(0, screen_.Rows() - height_));
    }

    // Consecutive items flagged DIF_CENTERGROUP on one line are centred together, a space apart.
    void PlaceCentredGroups() {
        for (std::size_t i = 0; i < controls_.size();) {
            if (!(controls_[i].item->Flags & far::DIF_CENTERGROUP)) {
                ++i;
                continue;
            }
            std::size_t end = i;
            int total = -1;
            while (end < controls_.size() && (controls_[end].item->Flags & far::DIF_CENTERGROUP) &&
                   controls_[end].item->Y1 == controls_[i].item->Y1) {
                total += ItemWidth(controls_[end]) + 1;
                ++end;
            }
            int x = std::max(0, (width_ - total) / 2);
            for (std::size_t j = i; j < end; ++j) {
                controls_[j].x = x;
                x += ItemWidth(controls_[j]) + 1;
            }
            i = end;
        }
    }

    // A live dialog: the plug-in learns the change, and what it shows in return is drawn.
    void Changed(int index) {
        if (!events_ || index < 0)
            return;
        FarDialogItem* item = controls_[index].item;
        if (IsEdit(item->Type)) {
            const std::string& text = controls_[index].edit.Text();
            const std::size_t length = std::min(text.size(), sizeof(item->Data) - 1);
            std::memcpy(item->Data, text.data(), length);
            item->Data[length] = '\0';
        }
        events_->Changed(index);
        ShowPluginTexts();
        idle_ = true;
    }

    void ShowPluginTexts() {
        for (Control& control : controls_) {
            if (control.item->Type == far::DI_TEXT && !(control.item->Flags & far::DIF_SEPARATOR))
                control.label = ItemText(*control.item);
        }
    }

    int Loop(void** under) {
        Draw();
        for (;;) {
            // While the plug-in has more to show, a pause between keys is its time: the first
            // after a key comes when the typing pauses, the next ones at once, until it is done.
            const Key key = idle_ ? screen_.Read(idleWait_) : screen_.Read();
            if (key.kind == Key::Idle) {
                idle_ = events_->Idle();
                idleWait_ = kBusyIdleMs;
                ShowPluginTexts();
                Draw();
                continue;
            }
            idleWait_ = kIdleMs;
            // The plug-in sees the keys that move the focus first, as FAR lets it.
            const int farKey = FarKeyOf(key);
            if (events_ && farKey && focus_ >= 0 && events_->Key(focus_, farKey)) {
                // The plug-in may close the dialog from its procedure, as with a button.
                if (const int closed = events_->TakeClose(); closed >= 0)
                    return closed;
                FollowPlugin();
                Draw();
                continue;
            }
            Control* focused = focus_ >= 0 ? &controls_[focus_] : nullptr;
            const int type = focused ? focused->item->Type : -1;
            const std::string before = IsEdit(type) ? focused->edit.Text() : std::string();
            const int checked = focused ? focused->item->Selected : 0;
            const int result = Handle(key, under, focused, type);
            if (result != kGoOn)
                return result;
            if (focused &&
                (IsEdit(type) ? focused->edit.Text() != before : focused->item->Selected != checked))
                Changed(static_cast<int>(focused - controls_.data()));
            FollowPlugin();
            Draw();
        }
    }

    static constexpr int kGoOn = -2;
    static constexpr int kIdleMs = 100;
    static constexpr int kBusyIdleMs = 1;

    // One key; kGoOn, or the dialog's result.
    int Handle(const Key& key, void** under, Control* focused, int type) {
        {
            switch (key.kind) {
                case Key::Escape:
                case Key::Interrupt:
                case Key::Closed:
                    return -1;
                case Key::Resize:
                    screen_.Restore(*under);
                    *under = nullptr;
                    if (!Fits() && !WaitForRoom(screen_, width_, height_))
                        return -1;
                    *under = screen_.Save(0, 0, -1, -1);
                    break;
                case Key::Tab:
                    MoveFocus(+1, true);
                    break;
                case Key::BackTab:
                    MoveFocus(-1, true);
                    break;
                case Key::Down:
                    MoveFocus(+1, false);
                    break;
                case Key::Up:
                    MoveFocus(-1, false);
                    break;
                case Key::Left:
                    if (IsEdit(type))
                        focused->edit.Left();
                    else
                        MoveAlongRow(-1);
                    break;
                case Key::Right:
                    if (IsEdit(type))
                        focused->edit.Right();
                    else
                        MoveAlongRow(+1);
                    break;
                case Key::Home:
                    if (IsEdit(type))
                        focused->edit.Home();
                    break;
                case Key::End:
                    if (IsEdit(type))
                        focused->edit.End();
                    break;
                case Key::Backspace:
                    if (IsEdit(type))
                        focused->edit.Backspace();
                    break;
                case Key::Delete:
                    if (IsEdit(type))
                        focused->edit.Delete();
                    break;
                case Key::ClearLine:
                    if (IsEdit(type))
                        focused->edit.Clear();
                    break;
                case Key::Text:
                    if (IsEdit(type)) {
                        if (type == far::DI_FIXEDIT && focused->item->X2 >= focused->item->X1 &&
                            DisplayWidth(focused->edit.Text()) >= focused->item->X2 - focused->item->X1 + 1 &&
                            !focused->edit.Unchanged())
                            screen_.Beep();
                        else if (!focused->edit.Insert(key.text))
                            screen_.Beep();
                    } else if (key.text == " ") {
                        if (type == far::DI_BUTTON)
                            return focus_;
                        Toggle(focus_);
                    }
                    break;
                case Key::Enter:
                    if (type == far::DI_BUTTON)
                        return focus_;
                    return DefaultResult();
                case Key::F1:
                    if (!helpTopic_.empty())
                        RunHelp(screen_, help_, helpTopic_);
                    break;
                case Key::OpenList:
                    if (IsEdit(type) && (focused->item->Flags & far::DIF_HISTORY))
                        OpenHistory(focused);
                    break;
                default:
                    break;
            }
        }
        return kGoOn;
    }

    int DefaultResult() const {
        for (std::size_t i = 0; i < controls_.size(); ++i)
            if (controls_[i].item->Type == far::DI_BUTTON && controls_[i].item->DefaultButton)
                return static_cast<int>(i);
        return focus_;
    }

    // The next item in item order that takes the focus, as FAR moves it: Tab passes over the radio
    // buttons that are off (a group is one stop), Up and Down stop at each.
    void MoveFocus(int step, bool wholeGroups) {
        const int count = static_cast<int>(controls_.size());
        if (focus_ < 0)
            return;
        for (int n = 1; n <= count; ++n) {
            const int i = ((focus_ + step * n) % count + count) % count;
            const FarDialogItem* item = controls_[i].item;
            if (Focusable(item->Type) &&
                !(wholeGroups && item->Type == far::DI_RADIOBUTTON && !item->Selected)) {
                SetFocus(i);
                return;
            }
        }
    }

    // Left and Right off an edit field: the nearest field, check box or radio button that way on
    // the row, else the item before or after, as FAR does.
    void MoveAlongRow(int step) {
        if (focus_ < 0)
            return;
        const FarDialogItem* at = controls_[focus_].item;
        int nearest = -1;
        for (int i = 0; i < static_cast<int>(controls_.size()); ++i) {
            const FarDialogItem* item = controls_[i].item;
            const int distance = (item->X1 - at->X1) * step;
            if (i == focus_ || item->Y1 != at->Y1 || distance <= 0 ||
                !(IsEdit(item->Type) || item->Type == far::DI_CHECKBOX || item->Type == far::DI_RADIOBUTTON))
                continue;
            if (nearest < 0 || distance < (controls_[nearest].item->X1 - at->X1) * step)
                nearest = i;
        }
        if (nearest >= 0)
            SetFocus(nearest);
        else
            MoveFocus(step, false);
    }

    void SetFocus(int i) {
        if (i == focus_ || i < 0 || i >= static_cast<int>(controls_.size()) ||
            !Focusable(controls_[i].item->Type))
            return;
        if (IsEdit(controls_[i].item->Type))
            controls_[i].edit.SetUnchanged(true);
        if (focus_ >= 0 && IsEdit(controls_[focus_].item->Type))
            controls_[focus_].edit.SetUnchanged(false);
        focus_ = i;
    }

    // Where the plug-in moved the focus, if it did.
    void FollowPlugin() {
        if (events_)
            SetFocus(events_->TakeFocus());
    }

    // The keys the plug-in may move the focus with, in FAR 1.x's numbering; 0 for any other.
    static int FarKeyOf(const Key& key) {
        switch (key.kind) {
            case Key::Tab:
                return far::KEY_TAB;
            case Key::BackTab:
                return far::KEY_SHIFTTAB;
            case Key::Up:
                return far::KEY_UP;
            case Key::Down:
                return far::KEY_DOWN;
            case Key::Left:
                return far::KEY_LEFT;
            case Key::Right:
                return far::KEY_RIGHT;
            case Key::F4:
                return far::KEY_F4;
            default:
                return 0;
        }
    }

    void Toggle(int index) {
        FarDialogItem* item = controls_[index].item;
        if (item->Type == far::DI_CHECKBOX) {
            item->Selected = item->Selected ? 0 : 1;
        } else if (item->Type == far::DI_RADIOBUTTON) {
            // The controls stand for the items in their order: the first one's item starts the array.
            SelectRadioButton(controls_.front().item, static_cast<int>(controls_.size()), index);
        }
    }

    // The box around a row, for joining a separator to its frame.
    const FarDialogItem* BoxAround(int row) const {
        for (const Control& control : controls_) {
            const FarDialogItem* item = control.item;
            if ((item->Type == far::DI_DOUBLEBOX || item->Type == far::DI_SINGLEBOX) && item->Y1 < row &&
                row < item->Y2)
                return item;
        }
        return nullptr;
    }

    void DrawSeparator(int ox, int oy, const Control& control) {
        const int row = oy + control.item->Y1;
        const FarDialogItem* box = BoxAround(control.item->Y1);
        const int left = box ? box->X1 : 0;
        const int right = box ? box->X2 : width_ - 1;
        const bool joinDouble = box && box->Type == far::DI_DOUBLEBOX;
        for (int x = left + 1; x < right; ++x)
            screen_.Draw(row, ox + x, Glyph::SingleHorizontal, Role::Dialog);
        if (box) {
            screen_.Draw(row, ox + left,
                         joinDouble ? Glyph::SeparatorLeftOfDouble : Glyph::SeparatorLeftOfSingle,
                         Role::Dialog);
            screen_.Draw(row, ox + right,
                         joinDouble ? Glyph::SeparatorRightOfDouble : Glyph::SeparatorRightOfSingle,
                         Role::Dialog);
        }
        if (!control.label.empty()) {
            const std::string text = " " + control.label + " ";
            const int w = std::min(DisplayWidth(text), std::max(0, right - left - 1));
            screen_.Put(row, ox + left + (right - left + 1 - w) / 2, text, w, Role::Dialog);
        }
    }

    void Draw() {
        const int ox = OriginX(), oy = OriginY();
        screen_.Fill(oy, ox, height_, width_, Role::Dialog);
        screen_.Shadow(oy, ox, height_, width_);
        int cursorY = -1, cursorX = -1;
        for (std::size_t i = 0; i < controls_.size(); ++i) {
            Control& control = controls_[i];
            const FarDialogItem& item = *control.item;
            const bool focused = static_cast<int>(i) == focus_;
            const int row = oy + item.Y1;
            const int room = std::max(0, width_ - control.x);
            const Role look = focused ? Role::DialogFocus : Role::Dialog;
            switch (item.Type) {
                case far::DI_DOUBLEBOX:
                case far::DI_SINGLEBOX: {
                    const int w = item.X2 - item.X1 + 1, h = item.Y2 - item.Y1 + 1;
                    screen_.Frame(row, ox + item.X1, h, w, item.Type == far::DI_DOUBLEBOX, Role::Dialog);
                    if (!control.label.empty() && w > 4) {
                        const std::string title = " " + control.label + " ";
                        const int tw = std::min(DisplayWidth(title), w - 4);
                        screen_.Put(row, ox + item.X1 + (w - tw) / 2, title, tw, Role::Dialog);
                    }
                    break;
                }
                case far::DI_TEXT:
                    if (item.Flags & far::DIF_SEPARATOR) {
                        DrawSeparator(ox, oy, control);
                    } else {
                        const int x = item.X1 < 0 ? (width_ - DisplayWidth(control.label)) / 2 : control.x;
                        const int w =
                            item.X2 > item.X1 ? std::min(item.X2 - item.X1 + 1, width_ - x) : width_ - x;
                        screen_.Put(row, ox + std::max(0, x), control.label, std::max(0, w), Role::Dialog);
                    }
                    break;
                case far::DI_VTEXT:
                    for (std::size_t pos = 0, r = 0; pos < control.label.size();
                         pos += CharLength(control.label, pos), ++r)
                        screen_.Put(row + static_cast<int>(r), ox + control.x,
                                    control.label.substr(pos, CharLength(control.label, pos)), 2,
                                    Role::Dialog);
                    break;
                case far::DI_EDIT:
                case far::DI_PSWEDIT:
                case far::DI_FIXEDIT: {
                    const int w = std::max(1, std::min(item.X2 - item.X1 + 1, width_ - control.x));
                    const EditLine::View view = control.edit.Layout(w);
                    std::string shown = control.edit.Text().substr(view.begin, view.end - view.begin);
                    if (item.Type == far::DI_PSWEDIT)
                        shown.assign(static_cast<std::size_t>(DisplayWidth(shown)), '*');
                    const Role role = focused && control.edit.Unchanged() ? Role::EditUnchanged : Role::Edit;
                    screen_.Fill(row, ox + control.x, 1, w, role);
                    screen_.Put(row, ox + control.x, shown, w, role);
                    if ((item.Flags & far::DIF_HISTORY) && item.X2 + 1 < width_)
                        screen_.Draw(row, ox + item.X2 + 1, Glyph::DownArrow, Role::Edit);
                    if (focused) {
                        cursorY = row;
                        cursorX = ox + control.x + view.cursorColumn;
                    }
                    break;
                }
                case far::DI_CHECKBOX:
                case far::DI_RADIOBUTTON: {
                    const bool check = item.Type == far::DI_CHECKBOX;
                    const std::string mark = check ? (item.Selected ? "[x] " : "[ ] ") : "( ) ";
                    screen_.Put(row, ox + control.x, mark + control.label, room, look);
                    // FAR's radio mark is a bullet; the screen draws it in the terminal's own way.
                    if (!check && item.Selected && room > 1)
                        screen_.Draw(row, ox + control.x + 1, Glyph::RadioMark, look);
                    if (focused) {
                        cursorY = row;
                        cursorX = ox + control.x + 1;
                    }
                    break;
                }
                case far::DI_BUTTON:
                    screen_.Put(row, ox + control.x, control.label, room, look);
                    if (focused) {
                        cursorY = row;
                        cursorX = ox + control.x + 2;
                    }
                    break;
                default:
                    break;
            }
        }
        if (cursorY >= 0)
            screen_.ShowCursor(cursorY, std::min(cursorX, screen_.Cols() - 1));
        else
            screen_.HideCursor();
        screen_.Update();
    }

    void OpenHistory(Control* control) {
        const std::vector<std::string> entries =
            LoadHistory(control->item->History ? control->item->History : "");
        if (entries.empty()) {
            screen_.Beep();
            return;
        }
        const int ox = OriginX(), oy = OriginY();
        const int fieldRow = oy + control->item->Y1;
        const int w = std::min(screen_.Cols(), std::max(12, control->item->X2 - control->item->X1 + 3));
        const int x = std::max(0, std::min(ox + control->x - 1, screen_.Cols() - w));
        const int below = screen_.Rows() - fieldRow - 1;
        const int above = fieldRow;
        const int wanted = static_cast<int>(entries.size()) + 2;
        const bool down = below >= std::min(wanted, 3) || below >= above;
        const int h = std::min(wanted, down ? below : above);
        if (h < 3) {
            screen_.Beep();
            return;
        }
        const int y = down ? fieldRow + 1 : fieldRow - h;
        const int visible = h - 2;
        void* under = screen_.Save(x, y, x + w - 1, y + h - 1);
        int selected = 0, top = 0;
        for (bool open = true; open;) {
            top = std::min(std::max(top, selected - visible + 1), selected);
            screen_.Fill(y, x, h, w, Role::List);
            screen_.Frame(y, x, h, w, false, Role::List);
            for (int r = 0; r < visible && top + r < static_cast<int>(entries.size()); ++r) {
                const Role role = top + r == selected ? Role::ListSelected : Role::List;
                screen_.Fill(y + 1 + r, x + 1, 1, w - 2, role);
                screen_.Put(y + 1 + r, x + 2, entries[top + r], w - 4, role);
            }
            screen_.HideCursor();
            screen_.Update();
            const Key key = screen_.Read();
            const int last = static_cast<int>(entries.size()) - 1;
            switch (key.kind) {
                case Key::Up:
                    selected = std::max(0, selected - 1);
                    break;
                case Key::Down:
                    selected = std::min(last, selected + 1);
                    break;
                case Key::PageUp:
                    selected = std::max(0, selected - visible);
                    break;
                case Key::PageDown:
                    selected = std::min(last, selected + visible);
                    break;
                case Key::Home:
                    selected = 0;
                    break;
                case Key::End:
                    selected = last;
                    break;
                case Key::Enter:
                    control->edit.SetText(entries[selected]);
                    control->edit.SetUnchanged(false);
                    open = false;
                    break;
                case Key::Escape:
                case Key::Interrupt:
                case Key::Closed:
                case Key::OpenList:
                case Key::Resize:
                    open = false;
                    break;
                default:
                    break;
            }
        }
        screen_.Restore(under);
    }

    void WriteBack(int result) {
        for (std::size_t i = 0; i < controls_.size(); ++i) {
            FarDialogItem* item = controls_[i].item;
            item->Focus = static_cast<int>(i) == focus_ ? 1 : 0;
            if (!IsEdit(item->Type))
                continue;
            const std::string& text = controls_[i].edit.Text();
            const std::size_t length = std::min(text.size(), sizeof(item->Data) - 1);
            std::memcpy(item->Data, text.data(), length);
            item->Data[length] = '\0';
        }
        if (!remember_ || result < 0 || controls_[result].item->Type != far::DI_BUTTON ||
            !controls_[result].item->DefaultButton)
            return;
        for (const Control& control : controls_) {
            const FarDialogItem* item = control.item;
            if (IsEdit(item->Type) && item->Type != far::DI_PSWEDIT && (item->Flags & far::DIF_HISTORY) &&
                item->History)
                RememberInHistory(item->History, control.edit.Text());
        }
    }

    Screen& screen_;
    const HelpSource& help_;
    std::string helpTopic_;
    bool remember_;
    int x1_, y1_, width_, height_;
    std::vector<Control> controls_;
    int focus_ = -1;
    DialogEvents* events_;
    bool idle_;               // the plug-in may have more to show
    int idleWait_ = kIdleMs;  // how long a pause must last before it is the plug-in's time
};

}  // namespace

int RunDialog(Screen& screen, const HelpSource& help, int x1, int y1, int x2, int y2, const char* helpTopic,
              FarDialogItem* items, int count, bool remember) {
    if (!items || count <= 0)
        return -1;
    DialogView view(screen, help, x1, y1, x2, y2, helpTopic, items, count, remember);
    return view.Run();
}

int RunLiveDialog(Screen& screen, const HelpSource& help, int x1, int y1, int x2, int y2,
                  const char* helpTopic, FarDialogItem* items, int count, bool remember,
                  DialogEvents& events) {
    if (!items || count <= 0)
        return -1;
    DialogView view(screen, help, x1, y1, x2, y2, helpTopic, items, count, remember, &events);
    return view.Run();
}

bool WaitForRoom(Screen& screen, int width, int height) {
    for (;;) {
        if (screen.Cols() >= width && screen.Rows() >= height)
            return true;
        screen.DrawBackground();
        const std::string message = "window too small: need " + std::to_string(width) + "x" +
                                    std::to_string(height) + " (Esc cancels)";
        screen.Put(std::min(1, screen.Rows() - 1), 0, message, screen.Cols(), Role::Warning);
        screen.HideCursor();
        screen.Update();
        const Key key = screen.Read();
        if (key.kind == Key::Escape || key.kind == Key::Interrupt || key.kind == Key::Closed)
            return false;
    }
}

}  // namespace velmora::host::tui
