#include "plugin/far3/Far3Host.hpp"

#include <array>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "far/HostConventions.hpp"
#include "platform/Utf16.hpp"
#include "plugin/far3/Far3Guids.hpp"
#include "preview/DialogLayout.hpp"
#include "preview/LivePreview.hpp"

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

// An edit field's text after the dialog closed, as the store keeps it (at most 259 bytes).
std::string EditText(const DialogHandle& dialog, int item) {
    const auto* text = reinterpret_cast<const wchar_t*>(dialog.Send(far3::DM_GETCONSTTEXTPTR, item));
    return std::string(OptionTextPrefix(ToUtf8(text), kOptionTextCapacity - 1, true));
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
    if (!item.Description)
        return PanelItemText{name_, nullptr, item.FileSize, writeTime};
    description_ = ToUtf8(item.Description);
    return PanelItemText{name_, description_.c_str(), item.FileSize, writeTime};
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

// The answers as they stand after the change FAR reports (the edit's record, or the switch's new
// state, in `state`).
void Refresh(const Far3LiveDialog& live, far3::HANDLE dialog, int changed, void* state) {
    PlanAnswers answers;
    answers.mask = TextOf(live, dialog, far::kDialogTemplateItem, changed, state);
    answers.startNumber = TextOf(live, dialog, far::kDialogStartNumberItem, changed, state);
    answers.withoutZero =
        changed == far::kDialogWithoutZeroItem
            ? reinterpret_cast<std::intptr_t>(state) == far3::BSTATE_CHECKED
            : live.info.SendDlgMessage(dialog, far3::DM_GETCHECK, far::kDialogWithoutZeroItem, nullptr) ==
                  far3::BSTATE_CHECKED;
    // A run that saves descriptions keeps the description file under its name.
    answers.saveDescriptions =
        live.descriptionsShown &&
        (changed == far::kDialogSaveDescriptionItem
             ? reinterpret_cast<std::intptr_t>(state) == far3::BSTATE_CHECKED
             : live.info.SendDlgMessage(dialog, far3::DM_GETCHECK, far::kDialogSaveDescriptionItem,
                                        nullptr) == far3::BSTATE_CHECKED);
    live.preview->SetAnswers(std::move(answers));
    ShowPreview(live, dialog);
}

std::intptr_t VELMORA_FAR3_API PreviewProcedure(far3::HANDLE dialog, std::intptr_t message,
                                                std::intptr_t param1, void* param2) {
    const Far3LiveDialog& live = *g_far3Dialog;
    switch (message) {
        case far3::DN_EDITCHANGE:
            if (param1 == far::kDialogTemplateItem || param1 == far::kDialogStartNumberItem)
                Refresh(live, dialog, static_cast<int>(param1), param2);
            break;
        case far3::DN_BTNCLICK:
            if (param1 == far::kDialogWithoutZeroItem || param1 == far::kDialogSaveDescriptionItem)
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

bool Far3Host::ShowPlanMenu(const PlanAnswers& answers) {
    if (!info_.Menu || !context_)
        return false;
    // FAR 3's menu takes text of any length: the entries are cut only where a line must end.
    const std::vector<PreviewEntry> entries = PlanEntries(*context_, answers, 1024);
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

bool Far3Host::AskOptions(RenameOptions& options, bool descriptionsShown, bool* save) {
    std::array<far3::FarDialogItem, far::kDialogItemCount> items{};
    std::array<std::wstring, far::kDialogItemCount> texts;
    std::array<std::wstring, far::kDialogItemCount> histories;
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
    texts[far::kDialogTemplateItem] = Wide(options.Mask);
    texts[far::kDialogStartNumberItem] = Wide(options.StartNumber);
    items[far::kDialogWithoutZeroItem].Selected = options.WithoutZero != 0;
    far3::FarDialogItem& saveItem = items[far::kDialogSaveDescriptionItem];
    if (descriptionsShown) {
        texts[far::kDialogSaveDescriptionItem] = Wide(GetText(MSaveDescriptions));
        saveItem.Selected = options.SaveDescription != 0;
    } else {
        // No descriptions column: nothing to save, so no switch is offered.
        saveItem.Type = far3::DI_TEXT;
        texts[far::kDialogSaveDescriptionItem].clear();
    }

    std::unique_ptr<LivePreview> preview;
    if (context_)
        preview = std::make_unique<LivePreview>(*context_);
    const std::wstring helpTopic = Wide(far::kDialogHelpTopic);
    for (;;) {
        if (preview) {
            preview->SetAnswers(PlanAnswers{ToUtf8(texts[far::kDialogTemplateItem].c_str()),
                                            ToUtf8(texts[far::kDialogStartNumberItem].c_str()),
                                            items[far::kDialogWithoutZeroItem].Selected != 0,
                                            descriptionsShown && saveItem.Selected != 0});
            for (int i = 0; i < far::kDialogListLines; ++i) {
                const auto line = static_cast<std::size_t>(i);
                texts[far::kDialogListFirstItem + i] =
                    line < preview->Lines().size() ? Wide(preview->Lines()[line]) : std::wstring();
            }
            texts[far::kDialogSummaryItem] = Wide(preview->Summary());
        }
        for (int i = 0; i < far::kDialogItemCount; ++i)
            items[i].Data = texts[i].c_str();

        const Far3LiveDialog live{info_, preview.get(), descriptionsShown};
        const Far3LiveDialog* previous = g_far3Dialog;
        g_far3Dialog = preview ? &live : nullptr;
        const DialogHandle dialog(
            info_, info_.DialogInit(&kPluginGuid, &kDialogGuid, -1, -1, kDialogWidth, kDialogHeight,
                                    helpTopic.c_str(), items.data(), items.size(), 0, 0,
                                    preview ? PreviewProcedure : nullptr, nullptr));
        const std::intptr_t result = dialog.IsOpen() ? info_.DialogRun(dialog.Get()) : -1;
        g_far3Dialog = previous;
        if (result != far::kDialogOkItem && result != far::kDialogPreviewItem)
            return false;
        options.Mask = EditText(dialog, far::kDialogTemplateItem);
        options.StartNumber = EditText(dialog, far::kDialogStartNumberItem);
        options.WithoutZero =
            dialog.Send(far3::DM_GETCHECK, far::kDialogWithoutZeroItem) == far3::BSTATE_CHECKED;
        *save = false;
        if (descriptionsShown) {
            options.SaveDescription =
                dialog.Send(far3::DM_GETCHECK, far::kDialogSaveDescriptionItem) == far3::BSTATE_CHECKED;
            *save = options.SaveDescription != 0;
        }
        if (result == far::kDialogOkItem)
            return true;
        // Preview: Enter in the plan's list answers as OK does; Esc shows the dialog again as the
        // user left it.
        if (ShowPlanMenu(PlanAnswers{options.Mask, options.StartNumber, options.WithoutZero != 0, *save}))
            return true;
        texts[far::kDialogTemplateItem] = Wide(options.Mask);
        texts[far::kDialogStartNumberItem] = Wide(options.StartNumber);
        items[far::kDialogWithoutZeroItem].Selected = options.WithoutZero != 0;
        if (descriptionsShown)
            saveItem.Selected = options.SaveDescription != 0;
    }
}

}  // namespace velmora
