#include "plugin/RenameDialog.hpp"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "plugin/HostServices.hpp"
#include "plugin/RecordPresets.hpp"
#include "preview/DialogAnswers.hpp"
#include "preview/DialogFocus.hpp"
#include "preview/LivePreview.hpp"
#include "preview/NameEdit.hpp"

namespace velmora {
namespace {

far::DWORD FlagsOf(const DialogRow& row) {
    far::DWORD flags = 0;
    if (row.history)
        flags |= far::DIF_HISTORY;
    if (row.separator)
        flags |= far::DIF_BOXCOLOR | far::DIF_SEPARATOR;
    if (row.centerGroup)
        flags |= far::DIF_CENTERGROUP;
    return flags;
}

int TypeOf(DialogItemKind kind) {
    switch (kind) {
        case DialogItemKind::DoubleBox:
            return far::DI_DOUBLEBOX;
        case DialogItemKind::Edit:
            return far::DI_EDIT;
        case DialogItemKind::CheckBox:
            return far::DI_CHECKBOX;
        case DialogItemKind::Button:
            return far::DI_BUTTON;
        case DialogItemKind::RadioButton:
            return far::DI_RADIOBUTTON;
        case DialogItemKind::Text:
            break;
    }
    return far::DI_TEXT;
}

constexpr int kTemplateItem = far::kDialogTemplateItem;
constexpr int kStartNumberItem = far::kDialogStartNumberItem;
constexpr int kWithoutZeroItem = far::kDialogWithoutZeroItem;
constexpr int kSaveDescriptionItem = far::kDialogSaveDescriptionItem;
constexpr int kCaseGroups[] = {far::kDialogNameCaseFirstItem, far::kDialogExtensionCaseFirstItem};

void SetData(far::FarDialogItem& item, const char* text) {
    far::SetFieldText(item.Data, text);
}

// The stored letter case as the group's radio buttons: the one chosen is selected. A value the
// store should never hold leaves the letters as they are.
void SelectCase(DialogItems& items, int first, std::uint32_t letterCase) {
    const std::uint32_t chosen = letterCase < kCaseCount ? letterCase : kCaseUnchanged;
    for (std::uint32_t i = 0; i < kCaseCount; ++i)
        items[first + static_cast<int>(i)].Selected = i == chosen ? 1 : 0;
}

// The answers the items hold, read as every host reads them.
PlanAnswers AnswersOf(const DialogItems& items) {
    const DialogItemReader read{
        [&items](int item) { return std::string(far::FieldText(items[item].Data)); },
        [&items](int item) { return items[item].Selected != 0; },
    };
    return ReadDialogAnswers(read, items[kSaveDescriptionItem].Type == far::DI_CHECKBOX);
}

}  // namespace

void BuildDialogItems(const HostApi& host, DialogItems& items) {
    for (int i = 0; i < far::kDialogItemCount; ++i) {
        const DialogRow& row = kDialogRows[i];
        far::FarDialogItem& item = items[i];
        std::memset(static_cast<void*>(&item), 0, sizeof item);
        item.Type = TypeOf(row.kind);
        item.X1 = row.x1;
        item.Y1 = row.y1;
        item.X2 = row.x2;
        item.Y2 = row.y2;
        item.Focus = row.focus ? 1 : 0;
        if (row.history) {
            item.History = row.history;
        } else {
            item.Selected = 0;
        }
        item.Flags = FlagsOf(row);
        item.DefaultButton = row.defaultButton ? 1 : 0;
        SetData(item, row.textId >= 0 ? host.GetText(row.textId) : row.text);
    }
}

void FillDialogItems(const HostApi& host, DialogItems& items, const RenameOptions& options,
                     bool descriptionsShown) {
    SetData(items[kTemplateItem], options.Mask.c_str());
    SetData(items[kStartNumberItem], options.StartNumber.c_str());
    items[kWithoutZeroItem].Selected = static_cast<int>(options.WithoutZero);
    const RuleOptions& rules = options.Rules;
    SetData(items[far::kDialogFindItem], rules.Find.c_str());
    SetData(items[far::kDialogReplaceItem], rules.Replace.c_str());
    items[far::kDialogRegexItem].Selected = rules.Regex != 0 ? 1 : 0;
    items[far::kDialogMatchCaseItem].Selected = rules.MatchCase != 0 ? 1 : 0;
    items[far::kDialogFirstOnlyItem].Selected = rules.FirstOnly != 0 ? 1 : 0;
    SelectCase(items, far::kDialogNameCaseFirstItem, rules.NameCase);
    SelectCase(items, far::kDialogExtensionCaseFirstItem, rules.ExtensionCase);
    far::FarDialogItem& save = items[kSaveDescriptionItem];
    if (descriptionsShown) {
        save.Type = far::DI_CHECKBOX;
        SetData(save, host.GetText(MSaveDescriptions));
        save.Selected = static_cast<int>(options.SaveDescription);
    } else {
        // No descriptions column: nothing to save, so no switch is offered.
        save.Type = far::DI_TEXT;
        SetData(save, "");
        save.Selected = 0;
    }
}

int ShowDialog(const HostApi& host, DialogItems& items) {
    return host.Dialog(-1, -1, kDialogWidth, kDialogHeight, far::kDialogHelpTopic, items.data(),
                       far::kDialogItemCount);
}

bool ReadDialogItems(const DialogItems& items, RenameOptions& options) {
    const PlanAnswers answers = AnswersOf(items);
    StoreAnswers(answers, items[kSaveDescriptionItem].Type == far::DI_CHECKBOX, far::kHostStringsAreUtf8,
                 options);
    return answers.saveDescriptions;
}

}  // namespace velmora

namespace velmora {
namespace {

// What the dialog procedure works with: the host's services and the preview it keeps.
struct LiveDialog {
    const far::PluginStartupInfo& info;
    LivePreview& preview;
    bool descriptionsShown;  // item 7 is the descriptions switch
    const PluginHost& host;
    NameEdit& edit;
    int& keyFocus;  // the item focused when F4 closed the dialog; -1 for the button
};

bool HasDialogProcedure(const far::PluginStartupInfo& info) {
    return static_cast<std::size_t>(info.StructSize) >=
               offsetof(far::PluginStartupInfo, DefDlgProc) + sizeof(void*) &&
           info.DialogEx && info.SendDlgMessage && info.DefDlgProc;
}

bool IsCaseItem(int item) {
    for (const int first : kCaseGroups) {
        if (item >= first && item < first + static_cast<int>(kCaseCount))
            return true;
    }
    return false;
}

// Items whose change the preview follows.
bool IsRuleEdit(int item) {
    return item == far::kDialogFindItem || item == far::kDialogReplaceItem;
}
bool IsRuleSwitch(int item) {
    return item == far::kDialogRegexItem || item == far::kDialogMatchCaseItem ||
           item == far::kDialogFirstOnlyItem || IsCaseItem(item);
}

void PutPreview(const LivePreview& preview, DialogItems& items) {
    for (int i = 0; i < far::kDialogListLines; ++i) {
        const std::size_t line = static_cast<std::size_t>(i);
        SetData(items[far::kDialogListFirstItem + i],
                line < preview.Lines().size() ? preview.Lines()[line].c_str() : "");
    }
    SetData(items[far::kDialogSummaryItem], preview.Summary().c_str());
}

std::string ItemText(const LiveDialog& live, far::HANDLE dialog, int item) {
    char text[sizeof(far::FarDialogItem::Data)] = {};
    live.info.SendDlgMessage(dialog, far::DM_GETTEXTPTR, item, reinterpret_cast<far::LONG_PTR>(text));
    text[sizeof text - 1] = '\0';
    return text;
}

// An edit field's text after the change the host reports: the record it hands over for the
// field that changed, else the dialog's.
std::string EditText(const LiveDialog& live, far::HANDLE dialog, int item, int changed, far::LONG_PTR state) {
    return changed == item && state
               ? std::string(far::FieldText(reinterpret_cast<const far::FarDialogItem*>(state)->Data))
               : ItemText(live, dialog, item);
}

bool Checked(const LiveDialog& live, far::HANDLE dialog, int item, int changed, far::LONG_PTR state) {
    return changed == item ? state != 0 : live.info.SendDlgMessage(dialog, far::DM_GETCHECK, item, 0) != 0;
}

void ShowSummary(const LiveDialog& live, far::HANDLE dialog) {
    const std::string summary = live.preview.Summary();
    live.info.SendDlgMessage(dialog, far::DM_SETTEXTPTR, far::kDialogSummaryItem,
                             reinterpret_cast<far::LONG_PTR>(summary.c_str()));
}

// The answers as they stand after the change the host reports (`changed`, whose new state is in
// `state`: the edit's record, or the switch's new check state), and the preview for them.
void Refresh(const LiveDialog& live, far::HANDLE dialog, int changed, far::LONG_PTR state) {
    const DialogItemReader read{
        [&](int item) { return EditText(live, dialog, item, changed, state); },
        [&](int item) { return Checked(live, dialog, item, changed, state); },
    };
    // A run that saves descriptions keeps the description file under its name.
    PlanAnswers answers = ReadDialogAnswers(read, live.descriptionsShown, IsCaseItem(changed) ? changed : -1);
    // Names written by hand stay until the user drops them for the template's.
    if (live.edit.AskDrop(live.host, answers)) {
        live.preview.SetGivenNames({});
        live.info.SendDlgMessage(dialog, far::DM_SETCHECK, far::kDialogEditNamesItem, 0);
    }
    live.preview.SetAnswers(std::move(answers));
    for (int i = 0; i < far::kDialogListLines; ++i) {
        const std::size_t line = static_cast<std::size_t>(i);
        const char* text = line < live.preview.Lines().size() ? live.preview.Lines()[line].c_str() : "";
        live.info.SendDlgMessage(dialog, far::DM_SETTEXTPTR, far::kDialogListFirstItem + i,
                                 reinterpret_cast<far::LONG_PTR>(text));
    }
    ShowSummary(live, dialog);
}

// The keys the host moves the focus with, as the focus routine names them.
bool FocusKeyOf(far::LONG_PTR key, FocusKey* focusKey) {
    switch (key) {
        case far::KEY_TAB:
            *focusKey = FocusKey::Tab;
            return true;
        case far::KEY_SHIFTTAB:
            *focusKey = FocusKey::ShiftTab;
            return true;
        case far::KEY_UP:
            *focusKey = FocusKey::Up;
            return true;
        case far::KEY_DOWN:
            *focusKey = FocusKey::Down;
            return true;
        case far::KEY_LEFT:
            *focusKey = FocusKey::Left;
            return true;
        case far::KEY_RIGHT:
            *focusKey = FocusKey::Right;
            return true;
        default:
            return false;
    }
}

// The focus in screen order where the host would move it in item order: true when the procedure
// moved it and the host must leave the key alone.
bool MoveFocus(const LiveDialog& live, far::HANDLE dialog, int focused, far::LONG_PTR key) {
    FocusKey focusKey = FocusKey::Tab;
    if (!FocusKeyOf(key, &focusKey))
        return false;
    const std::vector<FocusItem> items = RenameDialogFocusItems(live.descriptionsShown, [&](int item) {
        return live.info.SendDlgMessage(dialog, far::DM_GETCHECK, item, 0) != 0;
    });
    const int target = ScreenFocusTarget(items, focused, focusKey);
    if (target < 0)
        return false;
    live.info.SendDlgMessage(dialog, far::DM_SETFOCUS, target, 0);
    return true;
}

// The dialog being shown. The procedure is called only while DialogEx runs, so one pointer,
// put back when a dialog ends, serves every dialog however they nest; it needs nothing of the
// host to find its state (the host's record is the one this dialog was shown through).
const LiveDialog* g_liveDialog = nullptr;

far::LONG_PTR VELMORA_WINAPI PreviewProcedure(far::HANDLE dialog, int message, int param1,
                                              far::LONG_PTR param2) {
    const LiveDialog* live = g_liveDialog;
    switch (message) {
        case far::DN_EDITCHANGE:
            if (param1 == far::kDialogTemplateItem || param1 == far::kDialogStartNumberItem ||
                IsRuleEdit(param1))
                Refresh(*live, dialog, param1, param2);
            break;
        case far::DN_BTNCLICK:
            if (param1 == far::kDialogWithoutZeroItem || param1 == far::kDialogSaveDescriptionItem ||
                IsRuleSwitch(param1))
                Refresh(*live, dialog, param1, param2);
            break;
        case far::DN_ENTERIDLE:
            // The check for the stop goes on while the user reads.
            if (live->preview.Advance())
                ShowSummary(*live, dialog);
            break;
        case far::DN_KEY:
            // F4 edits, as it does everywhere in the host: the dialog closes as the button closes it.
            if (param2 == far::KEY_F4) {
                live->keyFocus = param1;
                live->info.SendDlgMessage(dialog, far::DM_CLOSE, far::kDialogEditNamesItem, 0);
                return 1;
            }
            if (MoveFocus(*live, dialog, param1, param2))
                return 1;
            break;
        default:
            break;
    }
    return live->info.DefDlgProc(dialog, message, param1, param2);
}

int ShowLiveDialog(const far::PluginStartupInfo& info, const LiveDialog& live, DialogItems& items) {
    const LiveDialog* previous = g_liveDialog;
    g_liveDialog = &live;
    const int result =
        info.DialogEx(info.ModuleNumber, -1, -1, kDialogWidth, kDialogHeight, far::kDialogHelpTopic,
                      items.data(), far::kDialogItemCount, 0, 0, PreviewProcedure, 0);
    g_liveDialog = previous;
    return result;
}

// The whole plan in the host's menu; true when the user chose to run it.
bool ShowPlanMenu(const HostApi& host, const far::PluginStartupInfo& info, const RunContext& context,
                  const PlanAnswers& answers, DateTakenSource* dateTaken,
                  const std::vector<std::string>& names) {
    if (!info.Menu)
        return false;
    const std::vector<PreviewEntry> entries =
        PlanEntries(context, answers, sizeof(far::FarMenuItem::Text) - 1, dateTaken, names);
    std::vector<far::FarMenuItem> items(entries.size());
    bool marked = false;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        far::FarMenuItem& item = items[i];
        std::memset(static_cast<void*>(&item), 0, sizeof item);
        // The host's record holds bytes: UTF-8 is cut before a character, never inside one.
        far::SetFieldText(item.Text,
                          OptionTextPrefix(entries[i].text, sizeof item.Text - 1, far::kHostStringsAreUtf8));
        item.Checked = entries[i].stop ? 1 : 0;
        // The cursor starts on the stop, the line the user needs to see first.
        item.Selected = entries[i].stop && !marked ? 1 : 0;
        marked = marked || entries[i].stop;
    }
    const int chosen =
        info.Menu(info.ModuleNumber, -1, -1, 0, far::FMENU_WRAPMODE | far::FMENU_SHOWAMPERSAND,
                  host.GetText(MPreviewTitle), host.GetText(MPreviewBottom), far::kPreviewHelpTopic, nullptr,
                  nullptr, items.data(), static_cast<int>(items.size()));
    return chosen >= 0;
}

// A find and replace that cannot run is named in a box, and the dialog comes back with the answers
// as the user left them: nothing is renamed or stored.
bool RefuseRules(const HostApi& host, LivePreview& preview, PlanAnswers answers) {
    preview.SetAnswers(std::move(answers), false);
    const std::string problem = preview.RulesProblem();
    if (problem.empty())
        return false;
    host.ShowWarning(preview.ProblemTopic(),
                     {host.GetText(MWarningTitle), host.GetText(preview.ProblemMessage()), problem.c_str(),
                      host.GetText(MWarningButton)});
    return true;
}

// The host's editor, modal, on the file of names. Not EF_DELETEONCLOSE: the names are read after
// the editor closes, and the file is removed then. EF_DISABLEHISTORY keeps a temporary name out
// of the user's history of edited files.
EditorResult OpenHostEditor(const far::PluginStartupInfo& info, const std::string& file,
                            const std::string& title) {
    if (!info.Editor)
        return EditorResult::Failed;
    switch (info.Editor(file.c_str(), title.c_str(), 0, 0, -1, -1, far::EF_DISABLEHISTORY, -1, -1)) {
        case far::EEC_MODIFIED:
        case far::EEC_NOT_MODIFIED:
            return EditorResult::Closed;
        case far::EEC_LOADING_INTERRUPTED:
            return EditorResult::Interrupted;
        default:
            return EditorResult::Failed;
    }
}

bool SameAnswers(const PlanAnswers& a, const PlanAnswers& b) {
    return a.mask == b.mask && a.startNumber == b.startNumber && a.withoutZero == b.withoutZero &&
           a.saveDescriptions == b.saveDescriptions && a.rules == b.rules;
}

// The dialog again with the focus where the user left it: on the Edit names button, or on the
// item F4 was pressed in.
void FocusAfterEdit(DialogItems& items, int keyFocus) {
    const int focus =
        keyFocus >= 0 && keyFocus < far::kDialogItemCount ? keyFocus : far::kDialogEditNamesItem;
    for (far::FarDialogItem& item : items)
        item.Focus = 0;
    items[focus].Focus = 1;
}

}  // namespace

bool AskRenameOptions(HostApi& host, const far::PluginStartupInfo& info, RenameOptions& options,
                      bool descriptionsShown, bool* save, std::vector<std::string>* editedNames) {
    DialogItems items;
    BuildDialogItems(host, items);
    FillDialogItems(host, items, options, descriptionsShown);
    const RunContext context = MakeRunContext(host);
    LivePreview preview(context);
    NameEdit edit;
    int keyFocus = -1;
    LiveDialog live{info, preview, descriptionsShown, host, edit, keyFocus};
    for (;;) {
        // The dialog opens with the preview of its answers in place, with a procedure or without.
        preview.SetAnswers(AnswersOf(items));
        PutPreview(preview, items);
        items[far::kDialogEditNamesItem].Selected = edit.Active() ? 1 : 0;
        keyFocus = -1;
        const int result =
            HasDialogProcedure(info) ? ShowLiveDialog(info, live, items) : ShowDialog(host, items);
        if (result == far::kDialogPresetsItem) {
            // The dialog comes back with a preset's answers, or with the user's as they left them.
            OfferPresets(host, info, context, items, options, descriptionsShown);
            continue;
        }
        if (result == far::kDialogEditNamesItem) {
            // The live dialog kept the preview's answers as typed; a plain one shows them only now.
            const PlanAnswers answers = AnswersOf(items);
            if (!SameAnswers(preview.Answers(), answers))
                preview.SetAnswers(answers);
            if (edit.Edit(context, preview, [&info](const std::string& file, const std::string& title) {
                    return OpenHostEditor(info, file, title);
                }))
                preview.SetGivenNames(edit.Names());
            FocusAfterEdit(items, keyFocus);
            continue;
        }
        // A dialog without a procedure learns of a change after an edit only now.
        if (result == far::kDialogOkItem && edit.AskDrop(host, AnswersOf(items))) {
            preview.SetGivenNames({});
            continue;
        }
        // Names written by hand run whatever the template says: this dialog's, or those a host that
        // plans the answers itself gives the run (it hands the item back marked).
        const bool namesGiven = edit.Active() || items[far::kDialogEditNamesItem].Selected != 0;
        if ((result == far::kDialogOkItem || result == far::kDialogPreviewItem) && !namesGiven &&
            RefuseRules(host, preview, AnswersOf(items)))
            continue;
        if (result == far::kDialogPreviewItem) {
            // The items hold the answers as the user left them: Esc in the menu shows them again.
            if (!ShowPlanMenu(host, info, context, AnswersOf(items), preview.DateTaken(), edit.Names()))
                continue;
        } else if (result != far::kDialogOkItem) {
            return false;
        }
        *save = ReadDialogItems(items, options);
        *editedNames = edit.Take();
        return true;
    }
}

}  // namespace velmora
