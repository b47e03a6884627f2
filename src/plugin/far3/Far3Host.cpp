#include "plugin/far3/Far3Host.hpp"

#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "far/HostConventions.hpp"
#include "platform/Utf16.hpp"
#include "plugin/far3/Far3Guids.hpp"
#include "preview/DialogAnswers.hpp"
#include "preview/DialogFocus.hpp"
#include "preview/DialogLayout.hpp"
#include "preview/LivePreview.hpp"
#include "preview/NameEdit.hpp"

namespace velmora {
namespace {

std::wstring Wide(std::string_view utf8) {
    return ToUtf16<wchar_t>(utf8);
}

// A token of the column list starting with "Z" is a descriptions column (Z, ZC, ...).
bool HasDescriptionColumn(const std::wstring& columns) {
    std::size_t start = 0;
    while (start <= columns.size()) {
        std::size_t end = columns.find(L',', start);
        if (end == std::wstring::npos)
            end = columns.size();
        if (end > start && columns[start] == L'Z')
            return true;
        start = end + 1;
    }
    return false;
}

int TypeOf(DialogItemKind kind) {
    switch (kind) {
        case DialogItemKind::DoubleBox:
            return far3::DI_DOUBLEBOX;
        case DialogItemKind::Edit:
            return far3::DI_EDIT;
        case DialogItemKind::CheckBox:
            return far3::DI_CHECKBOX;
        case DialogItemKind::Button:
            return far3::DI_BUTTON;
        case DialogItemKind::RadioButton:
            return far3::DI_RADIOBUTTON;
        case DialogItemKind::Text:
            break;
    }
    return far3::DI_TEXT;
}

far3::UINT64 FlagsOf(const DialogRow& row) {
    far3::UINT64 flags = 0;
    if (row.focus)
        flags |= far3::DIF_FOCUS;
    if (row.history)
        flags |= far3::DIF_HISTORY;
    if (row.separator)
        flags |= far3::DIF_BOXCOLOR | far3::DIF_SEPARATOR;
    if (row.centerGroup)
        flags |= far3::DIF_CENTERGROUP;
    if (row.defaultButton)
        flags |= far3::DIF_DEFAULTBUTTON;
    return flags;
}

// Owns a dialog from DialogInit to DialogFree.
class DialogHandle {
public:
    DialogHandle(const far3::PluginStartupInfo& info, far3::HANDLE handle) : info_(info), handle_(handle) {}
    DialogHandle(const DialogHandle&) = delete;
    DialogHandle& operator=(const DialogHandle&) = delete;
    ~DialogHandle() {
        if (IsOpen())
            info_.DialogFree(handle_);
    }
    bool IsOpen() const { return handle_ != nullptr && handle_ != far3::kInvalidHandle; }
    std::intptr_t Send(int message, std::intptr_t param1) const {
        return info_.SendDlgMessage(handle_, message, param1, nullptr);
    }
    far3::HANDLE Get() const { return handle_; }

private:
    const far3::PluginStartupInfo& info_;
    far3::HANDLE handle_;
};

// An edit field's text after the dialog closed.
std::string EditText(const DialogHandle& dialog, int item) {
    return ToUtf8(reinterpret_cast<const wchar_t*>(dialog.Send(far3::DM_GETCONSTTEXTPTR, item)));
}

bool IsChecked(const DialogHandle& dialog, int item) {
    return dialog.Send(far3::DM_GETCHECK, item) == far3::BSTATE_CHECKED;
}

constexpr int kCaseGroups[] = {far::kDialogNameCaseFirstItem, far::kDialogExtensionCaseFirstItem};

// The first radio button of the letter case group that holds `item`; -1 for any other item.
int CaseGroupOf(std::intptr_t item) {
    for (const int first : kCaseGroups) {
        if (item >= first && item < first + static_cast<int>(kCaseCount))
            return first;
    }
    return -1;
}

// The answers after OK or Preview, into `options`; the run's save flag into *save.
void ReadAnswers(const DialogHandle& dialog, bool descriptionsShown, RenameOptions& options, bool* save) {
    const DialogItemReader read{
        [&dialog](int item) { return EditText(dialog, item); },
        [&dialog](int item) { return IsChecked(dialog, item); },
    };
    const PlanAnswers answers = ReadDialogAnswers(read, descriptionsShown);
    StoreAnswers(answers, descriptionsShown, true, options);
    *save = answers.saveDescriptions;
}

using Far3Items = std::array<far3::FarDialogItem, far::kDialogItemCount>;
using Far3Texts = std::array<std::wstring, far::kDialogItemCount>;

// The options as the dialog's fields show them (the descriptions switch only where it is offered).
void PutAnswers(const RenameOptions& options, bool descriptionsShown, Far3Items& items, Far3Texts& texts) {
    texts[far::kDialogTemplateItem] = Wide(options.Mask);
    texts[far::kDialogStartNumberItem] = Wide(options.StartNumber);
    items[far::kDialogWithoutZeroItem].Selected = options.WithoutZero != 0;
    if (descriptionsShown)
        items[far::kDialogSaveDescriptionItem].Selected = options.SaveDescription != 0;
    const RuleOptions& rules = options.Rules;
    texts[far::kDialogFindItem] = Wide(rules.Find);
    texts[far::kDialogReplaceItem] = Wide(rules.Replace);
    items[far::kDialogRegexItem].Selected = rules.Regex != 0;
    items[far::kDialogMatchCaseItem].Selected = rules.MatchCase != 0;
    items[far::kDialogFirstOnlyItem].Selected = rules.FirstOnly != 0;
    const std::uint32_t cases[] = {rules.NameCase, rules.ExtensionCase};
    for (std::size_t group = 0; group < 2; ++group) {
        // A value the store should never hold leaves the letters as they are.
        const std::uint32_t chosen = cases[group] < kCaseCount ? cases[group] : kCaseUnchanged;
        for (std::uint32_t i = 0; i < kCaseCount; ++i)
            items[kCaseGroups[group] + static_cast<int>(i)].Selected = i == chosen;
    }
}

PlanAnswers AnswersOf(const RenameOptions& options, bool descriptionsShown) {
    return PlanAnswers{options.Mask, options.StartNumber, options.WithoutZero != 0,
                       descriptionsShown && options.SaveDescription != 0, options.Rules};
}

}  // namespace

const char* Far3Host::GetText(int id) const {
    auto found = texts_.find(id);
    if (found == texts_.end()) {
        const wchar_t* text = info_.GetMsg ? info_.GetMsg(&kPluginGuid, id) : nullptr;
        found = texts_.emplace(id, ToUtf8(text)).first;
    }
    return found->second.c_str();
}

int Far3Host::ShowWarning(const char* helpTopic, std::initializer_list<const char*> lines) const {
    return ShowBox(helpTopic, std::vector<const char*>(lines), 1, true);
}

int Far3Host::ShowBox(const char* helpTopic, const std::vector<const char*>& lines, int buttons,
                      bool warning) const {
    std::vector<std::wstring> texts;
    texts.reserve(lines.size());
    for (const char* line : lines)
        texts.push_back(Wide(line ? line : ""));
    std::vector<const wchar_t*> items;
    for (const std::wstring& text : texts)
        items.push_back(text.c_str());
    const std::wstring topic = helpTopic ? Wide(helpTopic) : std::wstring();
    return static_cast<int>(info_.Message(
        &kPluginGuid, &WarningGuid(helpTopic), warning ? far3::FMSG_WARNING : 0,
        helpTopic ? topic.c_str() : nullptr, items.data(), items.size(), static_cast<std::size_t>(buttons)));
}

int Far3Host::ShowList(const char* helpTopic, const char* title, const char* bottom,
                       const std::vector<ListLine>& lines, int selected) const {
    if (!info_.Menu)
        return kNoList;
    std::vector<std::wstring> texts;
    texts.reserve(lines.size());
    std::vector<far3::FarMenuItem> items(lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        texts.push_back(Wide(lines[i].text));
        items[i].Text = texts.back().c_str();
        if (lines[i].checked)
            items[i].Flags |= far3::MIF_CHECKED;
        if (static_cast<int>(i) == selected)
            items[i].Flags |= far3::MIF_SELECTED;
    }
    const std::wstring wideTitle = Wide(title ? title : "");
    const std::wstring wideBottom = Wide(bottom ? bottom : "");
    const std::wstring topic = Wide(helpTopic ? helpTopic : "");
    return static_cast<int>(info_.Menu(&kPluginGuid, &kUndoListGuid, -1, -1, 0,
                                       far3::FMENU_WRAPMODE | far3::FMENU_SHOWAMPERSAND, wideTitle.c_str(),
                                       wideBottom.c_str(), helpTopic ? topic.c_str() : nullptr, nullptr,
                                       nullptr, items.data(), items.size()));
}

void Far3Host::ShowProgress(const char* title, const char* line) const {
    const std::wstring texts[] = {Wide(title), Wide(line)};
    const wchar_t* items[] = {texts[0].c_str(), texts[1].c_str()};
    info_.Message(&kPluginGuid, &kProgressGuid, 0, nullptr, items, 2, 0);
}

void Far3Host::SaveScreen() {
    screen_ = info_.SaveScreen(0, 0, -1, -1);
}

void Far3Host::RestoreScreen() {
    info_.RestoreScreen(screen_);
    screen_ = nullptr;
}

std::intptr_t Far3Host::Control(int command, std::intptr_t param1, void* param2) const {
    return info_.PanelControl(far3::PANEL_ACTIVE, command, param1, param2);
}

bool Far3Host::ReadPanel() {
    panel_ = far3::PanelInfo{};
    panel_.StructSize = sizeof panel_;
    showsDescriptions_ = false;
    if (!Control(far3::FCTL_GETPANELINFO, 0, &panel_))
        return false;
    if (panel_.PanelType != far3::PTYPE_FILEPANEL || (panel_.Flags & far3::PFLAGS_REALNAMES) == 0) {
        panel_ = far3::PanelInfo{};
        return false;
    }
    const std::intptr_t length = Control(far3::FCTL_GETCOLUMNTYPES, 0, nullptr);
    if (length > 0) {
        std::wstring columns(static_cast<std::size_t>(length), L'\0');
        Control(far3::FCTL_GETCOLUMNTYPES, length, &columns[0]);
        columns.resize(std::wcslen(columns.c_str()));
        showsDescriptions_ = HasDescriptionColumn(columns);
    }
    return true;
}

PanelItemText Far3Host::FetchItem(int command, std::size_t index) {
    name_.clear();
    description_.clear();
    const auto position = static_cast<std::intptr_t>(index);
    const std::intptr_t needed = Control(command, position, nullptr);
    if (needed < static_cast<std::intptr_t>(sizeof(far3::PluginPanelItem)))
        return PanelItemText{name_, nullptr};
    itemBuffer_.assign((static_cast<std::size_t>(needed) + 7) / 8, 0);
    far3::FarGetPluginPanelItem request{sizeof request, itemBuffer_.size() * 8,
                                        reinterpret_cast<far3::PluginPanelItem*>(itemBuffer_.data())};
    if (Control(command, position, &request) <= 0)
        return PanelItemText{name_, nullptr};
    const far3::PluginPanelItem& item = *request.Item;
    name_ = ToUtf8(item.FileName);
    const std::uint64_t writeTime = (static_cast<std::uint64_t>(item.LastWriteTime.dwHighDateTime) << 32) |
                                    item.LastWriteTime.dwLowDateTime;
    const std::uint64_t creationTime = (static_cast<std::uint64_t>(item.CreationTime.dwHighDateTime) << 32) |
                                       item.CreationTime.dwLowDateTime;
    if (!item.Description)
        return PanelItemText{name_, nullptr, item.FileSize, writeTime, creationTime};
    description_ = ToUtf8(item.Description);
    return PanelItemText{name_, description_.c_str(), item.FileSize, writeTime, creationTime};
}

PanelItemText Far3Host::SelectedItem(std::size_t index) {
    return FetchItem(far3::FCTL_GETSELECTEDPANELITEM, index);
}

PanelItemText Far3Host::Item(std::size_t index) {
    return FetchItem(far3::FCTL_GETPANELITEM, index);
}

void Far3Host::UpdatePanel() {
    Control(far3::FCTL_UPDATEPANEL, 1, nullptr);
    Control(far3::FCTL_REDRAWPANEL, 0, nullptr);
}

bool Far3Host::PanelDirectory(std::string* directory) {
    const std::intptr_t needed = Control(far3::FCTL_GETPANELDIRECTORY, 0, nullptr);
    if (needed < static_cast<std::intptr_t>(sizeof(far3::FarPanelDirectory)))
        return false;
    std::vector<std::uint64_t> buffer((static_cast<std::size_t>(needed) + 7) / 8, 0);
    auto* folder = reinterpret_cast<far3::FarPanelDirectory*>(buffer.data());
    folder->StructSize = sizeof(far3::FarPanelDirectory);
    if (Control(far3::FCTL_GETPANELDIRECTORY, static_cast<std::intptr_t>(buffer.size() * 8), folder) <= 0 ||
        !folder->Name)
        return false;
    *directory = ToUtf8(folder->Name);
    return true;
}

namespace {

// The dialog being shown, for its procedure: FAR calls it only inside DialogRun.
struct Far3LiveDialog {
    const far3::PluginStartupInfo& info;
    LivePreview* preview;
    bool descriptionsShown;  // item 7 is the descriptions switch
    const PluginHost& host;
    NameEdit& edit;
    std::intptr_t* keyFocus;  // the item focused when F4 closed the dialog; -1 for the button
};
const Far3LiveDialog* g_far3Dialog = nullptr;

std::string TextOf(const Far3LiveDialog& live, far3::HANDLE dialog, int item, int changed, void* state) {
    const wchar_t* text = changed == item && state
                              ? static_cast<const far3::FarDialogItem*>(state)->Data
                              : reinterpret_cast<const wchar_t*>(live.info.SendDlgMessage(
                                    dialog, far3::DM_GETCONSTTEXTPTR, item, nullptr));
    return ToUtf8(text);
}

void SetText(const Far3LiveDialog& live, far3::HANDLE dialog, int item, const std::string& text) {
    const std::wstring wide = Wide(text);
    live.info.SendDlgMessage(dialog, far3::DM_SETTEXTPTR, item, const_cast<wchar_t*>(wide.c_str()));
}

void ShowPreview(const Far3LiveDialog& live, far3::HANDLE dialog) {
    const std::vector<std::string>& lines = live.preview->Lines();
    for (int i = 0; i < far::kDialogListLines; ++i) {
        const auto line = static_cast<std::size_t>(i);
        SetText(live, dialog, far::kDialogListFirstItem + i,
                line < lines.size() ? lines[line] : std::string());
    }
    SetText(live, dialog, far::kDialogSummaryItem, live.preview->Summary());
}

bool CheckOf(const Far3LiveDialog& live, far3::HANDLE dialog, int item, int changed, void* state) {
    return changed == item
               ? reinterpret_cast<std::intptr_t>(state) == far3::BSTATE_CHECKED
               : live.info.SendDlgMessage(dialog, far3::DM_GETCHECK, item, nullptr) == far3::BSTATE_CHECKED;
}

// The answers as they stand after the change FAR reports (the edit's record, or the switch's new
// state, in `state`). A radio button just clicked is the selected one of its group: FAR moves the
// mark only after the procedure has answered.
void Refresh(const Far3LiveDialog& live, far3::HANDLE dialog, int changed, void* state) {
    const DialogItemReader read{
        [&](int item) { return TextOf(live, dialog, item, changed, state); },
        [&](int item) { return CheckOf(live, dialog, item, changed, state); },
    };
    // A run that saves descriptions keeps the description file under its name.
    PlanAnswers answers =
        ReadDialogAnswers(read, live.descriptionsShown, CaseGroupOf(changed) >= 0 ? changed : -1);
    // Names written by hand stay until the user drops them for the template's.
    if (live.edit.AskDrop(live.host, answers))
        live.preview->SetGivenNames({});
    live.preview->SetAnswers(std::move(answers));
    ShowPreview(live, dialog);
}

// The keys FAR moves the focus with, unmodified but for Shift on Tab.
bool FocusKeyOf(const far3::INPUT_RECORD& input, FocusKey* focusKey) {
    if (input.EventType != far3::kKeyEvent || !input.Event.KeyEvent.bKeyDown)
        return false;
    const std::uint32_t state = input.Event.KeyEvent.dwControlKeyState;
    if (state &
        (far3::kLeftAltPressed | far3::kRightAltPressed | far3::kLeftCtrlPressed | far3::kRightCtrlPressed))
        return false;
    const bool shift = (state & far3::kShiftPressed) != 0;
    switch (input.Event.KeyEvent.wVirtualKeyCode) {
        case far3::kVkTab:
            *focusKey = shift ? FocusKey::ShiftTab : FocusKey::Tab;
            return true;
        case far3::kVkUp:
            *focusKey = FocusKey::Up;
            return !shift;
        case far3::kVkDown:
            *focusKey = FocusKey::Down;
            return !shift;
        case far3::kVkLeft:
            *focusKey = FocusKey::Left;
            return !shift;
        case far3::kVkRight:
            *focusKey = FocusKey::Right;
            return !shift;
        default:
            return false;
    }
}

// F4 without Ctrl or Alt, pressed: Edit names, as F4 edits everywhere in FAR.
bool IsEditKey(const void* input) {
    if (!input)
        return false;
    const far3::INPUT_RECORD& record = *static_cast<const far3::INPUT_RECORD*>(input);
    return record.EventType == far3::kKeyEvent && record.Event.KeyEvent.bKeyDown &&
           record.Event.KeyEvent.wVirtualKeyCode == far3::kVkF4 &&
           (record.Event.KeyEvent.dwControlKeyState &
            (far3::kLeftAltPressed | far3::kRightAltPressed | far3::kLeftCtrlPressed |
             far3::kRightCtrlPressed | far3::kShiftPressed)) == 0;
}

// The focus in screen order where FAR would move it in item order: true when the procedure moved
// it and FAR must leave the key alone.
bool MoveFocus(const Far3LiveDialog& live, far3::HANDLE dialog, std::intptr_t focused, const void* input) {
    FocusKey focusKey = FocusKey::Tab;
    if (!input || !FocusKeyOf(*static_cast<const far3::INPUT_RECORD*>(input), &focusKey))
        return false;
    const std::vector<FocusItem> items = RenameDialogFocusItems(live.descriptionsShown, [&](int item) {
        return live.info.SendDlgMessage(dialog, far3::DM_GETCHECK, item, nullptr) == far3::BSTATE_CHECKED;
    });
    const int target = ScreenFocusTarget(items, static_cast<int>(focused), focusKey);
    if (target < 0)
        return false;
    live.info.SendDlgMessage(dialog, far3::DM_SETFOCUS, target, nullptr);
    return true;
}

std::intptr_t VELMORA_FAR3_API PreviewProcedure(far3::HANDLE dialog, std::intptr_t message,
                                                std::intptr_t param1, void* param2) {
    const Far3LiveDialog& live = *g_far3Dialog;
    if (message == far3::DN_CONTROLINPUT && MoveFocus(live, dialog, param1, param2))
        return 1;
    if (message == far3::DN_CONTROLINPUT && live.preview && IsEditKey(param2)) {
        *live.keyFocus = param1;
        live.info.SendDlgMessage(dialog, far3::DM_CLOSE, far::kDialogEditNamesItem, nullptr);
        return 1;
    }
    // Without a run's context there is no preview to keep live.
    switch (live.preview ? message : 0) {
        case far3::DN_EDITCHANGE:
            if (param1 == far::kDialogTemplateItem || param1 == far::kDialogStartNumberItem ||
                param1 == far::kDialogFindItem || param1 == far::kDialogReplaceItem)
                Refresh(live, dialog, static_cast<int>(param1), param2);
            break;
        case far3::DN_BTNCLICK:
            if (param1 == far::kDialogWithoutZeroItem || param1 == far::kDialogSaveDescriptionItem ||
                param1 == far::kDialogRegexItem || param1 == far::kDialogMatchCaseItem ||
                param1 == far::kDialogFirstOnlyItem || CaseGroupOf(param1) >= 0)
                Refresh(live, dialog, static_cast<int>(param1), param2);
            break;
        case far3::DN_ENTERIDLE:
            // The check for the stop goes on while the user reads.
            if (live.preview->Advance())
                SetText(live, dialog, far::kDialogSummaryItem, live.preview->Summary());
            break;
        default:
            break;
    }
    return live.info.DefDlgProc(dialog, message, param1, param2);
}

}  // namespace

bool Far3Host::ShowPlanMenu(const PlanAnswers& answers, DateTakenSource* dateTaken,
                            const std::vector<std::string>& names) {
    if (!info_.Menu || !context_)
        return false;
    // FAR 3's menu takes text of any length: the entries are cut only where a line must end.
    const std::vector<PreviewEntry> entries = PlanEntries(*context_, answers, 1024, dateTaken, names);
    std::vector<std::wstring> texts;
    texts.reserve(entries.size());
    std::vector<far3::FarMenuItem> items(entries.size());
    bool marked = false;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        texts.push_back(Wide(entries[i].text));
        far3::FarMenuItem& item = items[i];
        item.Text = texts.back().c_str();
        if (entries[i].stop) {
            item.Flags |= far3::MIF_CHECKED;
            // The cursor starts on the stop, the line the user needs to see first.
            if (!marked)
                item.Flags |= far3::MIF_SELECTED;
            marked = true;
        }
    }
    const std::wstring title = Wide(GetText(MPreviewTitle));
    const std::wstring bottom = Wide(GetText(MPreviewBottom));
    const std::wstring topic = Wide(far::kPreviewHelpTopic);
    return info_.Menu(&kPluginGuid, &kPreviewMenuGuid, -1, -1, 0,
                      far3::FMENU_WRAPMODE | far3::FMENU_SHOWAMPERSAND, title.c_str(), bottom.c_str(),
                      topic.c_str(), nullptr, nullptr, items.data(), items.size()) >= 0;
}

namespace {

// FAR 3's editor, modal, on the file of names, in UTF-8 named outright: the plug-in writes the
// names so, and every name fits it, where FAR's default for a file without a mark (the ANSI or
// OEM code page, or its guess) could not hold a Chinese name in a Russian system, and a guess
// could read the file in another page. Not EF_DELETEONCLOSE: the names are read after the editor
// closes, and the file is removed then; EF_DISABLEHISTORY keeps the temporary name out of the
// user's history of edited files.
EditorResult OpenFar3Editor(const far3::PluginStartupInfo& info, const std::string& file,
                            const std::string& title) {
    if (!info.Editor)
        return EditorResult::Failed;
    const std::wstring wideFile = Wide(file);
    const std::wstring wideTitle = Wide(title);
    switch (info.Editor(wideFile.c_str(), wideTitle.c_str(), 0, 0, -1, -1, far3::EF_DISABLEHISTORY, -1, -1,
                        far3::kCodePageUtf8)) {
        case far3::EEC_MODIFIED:
        case far3::EEC_NOT_MODIFIED:
            return EditorResult::Closed;
        case far3::EEC_LOADING_INTERRUPTED:
            return EditorResult::Interrupted;
        default:
            return EditorResult::Failed;
    }
}

}  // namespace

bool Far3Host::AskOptions(RenameOptions& options, bool descriptionsShown, bool* save) {
    editedNames_.clear();
    NameEdit edit;
    Far3Items items{};
    Far3Texts texts;
    Far3Texts histories;
    for (int i = 0; i < far::kDialogItemCount; ++i) {
        const DialogRow& row = kDialogRows[i];
        texts[i] = Wide(row.textId >= 0 ? GetText(row.textId) : row.text);
        far3::FarDialogItem& item = items[i];
        item.Type = TypeOf(row.kind);
        item.X1 = row.x1;
        item.Y1 = row.y1;
        item.X2 = row.x2;
        item.Y2 = row.y2;
        item.Flags = FlagsOf(row);
        if (row.history) {
            histories[i] = Wide(row.history);
            item.History = histories[i].c_str();
        }
    }
    if (descriptionsShown) {
        texts[far::kDialogSaveDescriptionItem] = Wide(GetText(MSaveDescriptions));
    } else {
        // No descriptions column: nothing to save, so no switch is offered.
        items[far::kDialogSaveDescriptionItem].Type = far3::DI_TEXT;
        texts[far::kDialogSaveDescriptionItem].clear();
    }
    PutAnswers(options, descriptionsShown, items, texts);

    std::unique_ptr<LivePreview> preview;
    if (context_)
        preview = std::make_unique<LivePreview>(*context_);
    const std::wstring helpTopic = Wide(far::kDialogHelpTopic);
    for (;;) {
        if (preview) {
            preview->SetAnswers(AnswersOf(options, descriptionsShown));
            for (int i = 0; i < far::kDialogListLines; ++i) {
                const auto line = static_cast<std::size_t>(i);
                texts[far::kDialogListFirstItem + i] =
                    line < preview->Lines().size() ? Wide(preview->Lines()[line]) : std::wstring();
            }
            texts[far::kDialogSummaryItem] = Wide(preview->Summary());
        }
        for (int i = 0; i < far::kDialogItemCount; ++i)
            items[i].Data = texts[i].c_str();

        std::intptr_t keyFocus = -1;
        const Far3LiveDialog live{info_, preview.get(), descriptionsShown, *this, edit, &keyFocus};
        const Far3LiveDialog* previous = g_far3Dialog;
        g_far3Dialog = &live;
        const DialogHandle dialog(info_, info_.DialogInit(&kPluginGuid, &kDialogGuid, -1, -1, kDialogWidth,
                                                          kDialogHeight, helpTopic.c_str(), items.data(),
                                                          items.size(), 0, 0, PreviewProcedure, nullptr));
        const std::intptr_t result = dialog.IsOpen() ? info_.DialogRun(dialog.Get()) : -1;
        g_far3Dialog = previous;
        if (result == far::kDialogPresetsItem) {
            // The dialog comes back with a preset's answers, or with the user's as they left them.
            bool ignored = false;
            ReadAnswers(dialog, descriptionsShown, options, &ignored);
            OfferPresets(options, descriptionsShown);
            PutAnswers(options, descriptionsShown, items, texts);
            continue;
        }
        if (result == far::kDialogEditNamesItem) {
            // The fields as the user left them, the editor, then the dialog again.
            ReadAnswers(dialog, descriptionsShown, options, save);
            if (preview) {
                const PlanAnswers answers = AnswersOf(options, descriptionsShown);
                preview->SetAnswers(answers);
                if (edit.Edit(*context_, *preview, [this](const std::string& file, const std::string& title) {
                        return OpenFar3Editor(info_, file, title);
                    })) {
                    preview->SetGivenNames(edit.Names());
                }
            }
            PutAnswers(options, descriptionsShown, items, texts);
            for (far3::FarDialogItem& item : items)
                item.Flags &= ~far3::DIF_FOCUS;
            const bool inRange = keyFocus >= 0 && keyFocus < far::kDialogItemCount;
            items[inRange ? static_cast<std::size_t>(keyFocus) : far::kDialogEditNamesItem].Flags |=
                far3::DIF_FOCUS;
            continue;
        }
        if (result != far::kDialogOkItem && result != far::kDialogPreviewItem)
            return false;
        ReadAnswers(dialog, descriptionsShown, options, save);
        const PlanAnswers answers = AnswersOf(options, descriptionsShown);
        std::string problem;
        if (preview) {
            preview->SetAnswers(answers, false);
            // Names written by hand run whatever the template says.
            if (!edit.Active())
                problem = preview->RulesProblem();
        }
        if (!problem.empty()) {
            // Nothing runs and nothing is stored: the dialog comes back as the user left it.
            ShowWarning(preview->ProblemTopic(), {GetText(MWarningTitle), GetText(preview->ProblemMessage()),
                                                  problem.c_str(), GetText(MWarningButton)});
        } else if (result == far::kDialogOkItem ||
                   ShowPlanMenu(answers, preview ? preview->DateTaken() : nullptr, edit.Names())) {
            // Preview: Enter in the plan's list answers as OK does.
            editedNames_ = edit.Take();
            return true;
        }
        // Esc in the plan's list, or answers that cannot run: the dialog again, as the user left it.
        PutAnswers(options, descriptionsShown, items, texts);
    }
}

}  // namespace velmora
