#include "host/Services.hpp"

#include <cstring>
#include <memory>
#include <vector>

#include "far/HostConventions.hpp"
#include "ports/Messages.hpp"
#include "platform/HostSystem.hpp"
#include "settings/Settings.hpp"

namespace velmora::host {
namespace {

ServiceSession* g_session = nullptr;

// The host's number for the plug-in; it only has one.
constexpr far::INT_PTR kModuleNumber = 0;

// Dialog items the command line can answer.
constexpr int kMaskItem = far::kDialogTemplateItem;
constexpr int kStartItem = far::kDialogStartNumberItem;
constexpr int kWithoutZeroItem = far::kDialogWithoutZeroItem;
constexpr int kSaveDescriptionsItem = far::kDialogSaveDescriptionItem;

bool IsEditField(const far::FarDialogItem& item) {
    return item.Type == far::DI_EDIT || item.Type == far::DI_FIXEDIT;
}

bool TakesFocus(const far::FarDialogItem& item) {
    return IsEditField(item) || item.Type == far::DI_PSWEDIT || item.Type == far::DI_BUTTON ||
           item.Type == far::DI_CHECKBOX || item.Type == far::DI_RADIOBUTTON;
}

// A dialog shown with a procedure: the handle the plug-in's messages come back with.
class HostDialog final : public DialogEvents {
public:
    HostDialog(far::FarDialogItem* items, int count, far::FARWINDOWPROC procedure, far::LONG_PTR data)
        : items_(items), count_(count), procedure_(procedure), data_(data) {}

    far::LONG_PTR Send(int message, int param1, far::LONG_PTR param2) {
        return procedure_(this, message, param1, param2);
    }

    // The item's new text or check state is in the items already; the plug-in learns it as it
    // would from a key.
    void Changed(int item) override {
        if (item < 0 || item >= count_)
            return;
        if (IsEditField(items_[item]))
            Send(far::DN_EDITCHANGE, item, reinterpret_cast<far::LONG_PTR>(&items_[item]));
        else if (items_[item].Type == far::DI_CHECKBOX || items_[item].Type == far::DI_RADIOBUTTON)
            Send(far::DN_BTNCLICK, item, items_[item].Selected);
    }

    bool Idle() override {
        const std::vector<char> before = Snapshot();
        Send(far::DN_ENTERIDLE, 0, 0);
        return Snapshot() != before;
    }

    bool Key(int item, int key) override { return Send(far::DN_KEY, item, key) != 0; }

    int TakeFocus() override {
        const int item = focus_;
        focus_ = -1;
        return item;
    }

    int TakeClose() override {
        const int item = close_;
        close_ = -1;
        return item;
    }

    // What the dialog's own messages do to its items and data.
    far::LONG_PTR Answer(int message, int param1, far::LONG_PTR param2) {
        const bool valid = param1 >= 0 && param1 < count_;
        switch (message) {
            case far::DM_GETDLGDATA:
                return data_;
            case far::DM_SETDLGDATA: {
                const far::LONG_PTR previous = data_;
                data_ = param2;
                return previous;
            }
            case far::DM_GETTEXTPTR: {
                if (!valid)
                    return 0;
                const std::string_view text = far::FieldText(items_[param1].Data);
                if (param2) {
                    std::memcpy(reinterpret_cast<char*>(param2), text.data(), text.size());
                    reinterpret_cast<char*>(param2)[text.size()] = '\0';
                }
                return static_cast<far::LONG_PTR>(text.size());
            }
            case far::DM_SETTEXTPTR:
                if (!valid)
                    return 0;
                far::SetFieldText(items_[param1].Data, param2 ? reinterpret_cast<const char*>(param2) : "");
                return 1;
            case far::DM_GETCHECK:
                return valid ? items_[param1].Selected : 0;
            case far::DM_SETCHECK:
                if (!valid)
                    return 0;
                items_[param1].Selected = static_cast<int>(param2);
                return 1;
            case far::DM_SETFOCUS:
                if (!valid || !TakesFocus(items_[param1]))
                    return 0;
                focus_ = param1;
                return 1;
            case far::DM_CLOSE:
                // As in FAR: the dialog ends with this item as its result (-1: none).
                close_ = param1 >= 0 && param1 < count_ ? param1 : -1;
                return 1;
            case far::DM_ENABLEREDRAW:
            case far::DM_REDRAW:
                return 1;
            default:
                return 0;
        }
    }

private:
    std::vector<char> Snapshot() const {
        const char* bytes = reinterpret_cast<const char*>(items_);
        return std::vector<char>(bytes,
                                 bytes + sizeof(far::FarDialogItem) * static_cast<std::size_t>(count_));
    }

    far::FarDialogItem* items_;
    int count_;
    far::FARWINDOWPROC procedure_;
    far::LONG_PTR data_;
    int focus_ = -1;  // where the plug-in moved the focus, for the dialog on screen to follow
    int close_ = -1;  // the item the plug-in closed the dialog with
};

// Shows the dialog until the gate lets its closing button through.
int ShowDialog(ServiceSession& session, int x1, int y1, int x2, int y2, const char* helpTopic,
               far::FarDialogItem* items, int count, HostDialog* live) {
    int result = -1;
    session.editPressInFlight = false;
    if (session.cancelDialog) {
        session.cancelDialog = false;
        return -1;
    }
    for (;;) {
        const HostOptions* answers = session.answers;
        if (answers && (answers->edit || !answers->editFrom.empty()) && count >= far::kDialogItemCount &&
            !session.editPressed) {
            // The command line's Edit names: the button, before anything else the dialog offers.
            session.editPressed = true;
            session.editPressInFlight = true;
            result = far::kDialogEditNamesItem;
        } else if (live && session.answers && session.answers->viaPreview && count >= far::kDialogItemCount &&
                   !session.previewPressed) {
            session.previewPressed = true;
            result = far::kDialogPreviewItem;
        } else {
            result = live ? session.ui->LiveDialog(x1, y1, x2, y2, helpTopic, items, count, *live)
                          : session.ui->Dialog(x1, y1, x2, y2, helpTopic, items, count);
        }
        if (!session.gate || result < 0)
            break;
        const DialogGate::Verdict verdict = session.gate->Confirm(items, count, result);
        if (verdict == DialogGate::Verdict::Proceed)
            break;
        if (verdict == DialogGate::Verdict::Cancel) {
            result = -1;
            break;
        }
    }
    return result;
}

int VELMORA_WINAPI DialogService(far::INT_PTR /*pluginNumber*/, int x1, int y1, int x2, int y2,
                                 const char* helpTopic, far::FarDialogItem* items, int count) {
    ServiceSession* session = g_session;
    if (!session || !items || count <= 0)
        return -1;
    std::string itemsJson;
    if (session->trace && session->trace->IsOpen())
        itemsJson = DialogItemsJson(items, count);
    if (session->answers)
        ApplyDialogAnswers(*session->answers, items, count);
    const int result = ShowDialog(*session, x1, y1, x2, y2, helpTopic, items, count, nullptr);
    if (session->trace)
        session->trace->Dialog(helpTopic, itemsJson, result);
    return result;
}

// A dialog with the plug-in's procedure. The command line's answers are typed into it one by one,
// each change told to the procedure as a keystroke would be; a traced scripted dialog then idles
// until the procedure has nothing more to show, and the trace gets the dialog as it then stands.
int VELMORA_WINAPI DialogExService(far::INT_PTR pluginNumber, int x1, int y1, int x2, int y2,
                                   const char* helpTopic, far::FarDialogItem* items, int count,
                                   far::DWORD /*reserved*/, far::DWORD /*flags*/,
                                   far::FARWINDOWPROC procedure, far::LONG_PTR data) {
    if (!procedure)
        return DialogService(pluginNumber, x1, y1, x2, y2, helpTopic, items, count);
    ServiceSession* session = g_session;
    if (!session || !items || count <= 0)
        return -1;
    std::string itemsJson;
    if (session->trace && session->trace->IsOpen())
        itemsJson = DialogItemsJson(items, count);
    HostDialog dialog(items, count, procedure, data);
    dialog.Send(far::DN_INITDIALOG, 0, data);
    // The command line answers the dialog once: shown again (back from the plug-in's list of the
    // plan), it keeps what the user left in it.
    if (session->answers && !session->answersTyped) {
        session->answersTyped = true;
        // Answers for a dialog nobody sees are typed into it only when the trace is to show what
        // the plug-in made of them: a large batch's run pays for no preview it never shows.
        const bool shown = session->answers->answer == DialogAnswer::Ask;
        const bool traced = session->trace && session->trace->IsOpen();
        if (shown || traced)
            ApplyDialogAnswers(*session->answers, items, count,
                               [&dialog](int item) { dialog.Changed(item); });
        else
            ApplyDialogAnswers(*session->answers, items, count);
        if (!shown && traced) {
            // A plan is finite: the procedure stops changing the dialog once it is worked out.
            while (dialog.Idle()) {
            }
            session->trace->DialogView(DialogItemsJson(items, count));
        }
    }
    const int result = ShowDialog(*session, x1, y1, x2, y2, helpTopic, items, count, &dialog);
    if (session->trace)
        session->trace->Dialog(helpTopic, itemsJson, result);
    return result;
}

far::LONG_PTR VELMORA_WINAPI SendDlgMessageService(far::HANDLE dialog, int message, int param1,
                                                   far::LONG_PTR param2) {
    return dialog ? static_cast<HostDialog*>(dialog)->Answer(message, param1, param2) : 0;
}

far::LONG_PTR VELMORA_WINAPI DefDlgProcService(far::HANDLE /*dialog*/, int message, int /*param1*/,
                                               far::LONG_PTR /*param2*/) {
    // As in FAR: a click and the start are accepted, everything else is left to the host.
    return message == far::DN_BTNCLICK || message == far::DN_INITDIALOG ? 1 : 0;
}

// The names file rewritten with `text`; false with a reason.
bool WriteNamesFile(const std::string& path, const std::string& text, std::string* error) {
    const FileResult result = WriteWholeFile(SystemFileSystem(), path, text);
    if (!result)
        *error = path + ": " + result.Error().message();
    return static_cast<bool>(result);
}

// The host's editor: the lines of --edit-from, handed over once, or the user's own editor
// ($VISUAL, else $EDITOR, else the system's) in the terminal. An editor that fails, or
// lines that cannot be had, leave the names as they were; when the command line pressed the
// button, the dialog is then cancelled, and nothing is renamed.
int VELMORA_WINAPI EditorService(const char* fileName, const char* /*title*/, int /*x1*/, int /*y1*/,
                                 int /*x2*/, int /*y2*/, far::DWORD /*flags*/, int /*startLine*/,
                                 int /*startChar*/) {
    ServiceSession* session = g_session;
    if (!session || !fileName)
        return far::EEC_OPEN_ERROR;
    const HostOptions* answers = session->answers;
    const auto fail = [session](const std::string& message) {
        *session->err << "velmora: " << message << '\n';
        session->warningShown = true;
        if (session->editPressInFlight)
            session->cancelDialog = true;
        return far::EEC_LOADING_INTERRUPTED;
    };
    std::string error;
    if (answers && !answers->editFrom.empty()) {
        // Lines from a file are not edited again: a script cannot answer a second time.
        if (session->editFromUsed) {
            session->cancelDialog = true;
            return far::EEC_LOADING_INTERRUPTED;
        }
        session->editFromUsed = true;
        std::string text;
        const bool fromStdin = answers->editFrom == "-";
        if (!(fromStdin ? ReadStandardInput(&text, &error) : ReadWholeFile(answers->editFrom, &text, &error)))
            return fail("cannot read the new names " +
                        (fromStdin ? std::string("on standard input") : answers->editFrom) + ": " + error);
        // Names as the panel spells them: a UTF-8 list in the host's code page.
        text = TextInHostCodePage(text);
        if (!WriteNamesFile(fileName, text, &error))
            return fail("cannot write the new names to " + error);
        session->editorText = std::move(text);
        return far::EEC_MODIFIED;
    }
    std::string command = Environment("VISUAL");
    if (command.empty())
        command = Environment("EDITOR");
    if (command.empty())
        command = DefaultEditor();
    std::string before;
    ReadWholeFile(fileName, &before, &error);
    const int status = session->ui->RunOutside([&] { return RunEditor(command, fileName, &error); });
    if (status != 0) {
        return fail(status < 0 ? error
                               : "the editor '" + command + "' exited with status " + std::to_string(status) +
                                     "; the names stay as they were");
    }
    if (!ReadWholeFile(fileName, &session->editorText, &error))
        return fail(error);
    // Lines refused once and given back unchanged to a dialog nobody answers: the same box would
    // come for ever, so the user's editor is taken to have given up.
    const bool scripted = answers && answers->answer != DialogAnswer::Ask;
    if (scripted && ++session->editorRuns > 1 && session->editorText == before)
        return fail("the editor left the refused names as they were; nothing renamed");
    return far::EEC_MODIFIED;
}

int VELMORA_WINAPI MenuService(far::INT_PTR /*pluginNumber*/, int /*x*/, int /*y*/, int /*maxHeight*/,
                               far::DWORD /*flags*/, const char* title, const char* bottom,
                               const char* helpTopic, const int* breakKeys, int* breakCode,
                               const far::FarMenuItem* items, int count) {
    ServiceSession* session = g_session;
    if (breakCode)
        *breakCode = -1;
    std::vector<int> keys;
    for (const int* key = breakKeys; key && *key != 0; ++key)
        keys.push_back(*key);
    // A menu with break keys may be empty: one of them can still act on it (Ins in a list).
    if (!session || (!items && count > 0) || count < 0 || (count == 0 && keys.empty()))
        return -1;
    std::vector<MenuLine> lines(static_cast<std::size_t>(count));
    int selected = 0;
    for (int i = 0; i < count; ++i) {
        lines[static_cast<std::size_t>(i)] = MenuLine{std::string(far::FieldText(items[i].Text)),
                                                      items[i].Checked != 0, items[i].Separator != 0};
        if (items[i].Selected)
            selected = i;
    }
    int result = -1;
    int pressed = -1;
    if (session->answers && session->answers->answer != DialogAnswer::Ask)
        result = session->answers->answer == DialogAnswer::Yes && count > 0 ? selected : -1;
    else
        result = session->ui->Menu(title ? title : "", bottom ? bottom : "", helpTopic, lines, selected, keys,
                                   &pressed);
    if (breakCode)
        *breakCode = pressed;
    if (session->trace)
        session->trace->Menu(title, lines, result);
    return result;
}

// The input box as a small dialog of the host's own: the line, then OK and Cancel. A dialog that
// is answered without being shown has nobody to type the line.
int VELMORA_WINAPI InputBoxService(const char* title, const char* subTitle, const char* /*historyName*/,
                                   const char* srcText, char* destText, int destLength, const char* helpTopic,
                                   far::DWORD flags) {
    ServiceSession* session = g_session;
    if (!session || !destText || destLength <= 0 ||
        (session->answers && session->answers->answer != DialogAnswer::Ask))
        return 0;
    constexpr int kWidth = 72;
    constexpr int kHeight = 8;
    far::FarDialogItem items[6];
    std::memset(static_cast<void*>(items), 0, sizeof items);
    const auto put = [&](int index, int type, int x1, int y1, int x2, far::DWORD itemFlags,
                         const char* text) {
        far::FarDialogItem& item = items[index];
        item.Type = type;
        item.X1 = x1;
        item.Y1 = y1;
        item.X2 = x2;
        item.Y2 = y1;
        item.Flags = itemFlags;
        far::SetFieldText(item.Data, text ? text : "");
    };
    const char* ok = session->lng ? session->lng->GetMsg(MOk) : "OK";
    const char* cancel = session->lng ? session->lng->GetMsg(MCancel) : "Cancel";
    put(0, far::DI_DOUBLEBOX, 3, 1, kWidth - 4, 0, title);
    items[0].Y2 = kHeight - 2;
    put(1, far::DI_TEXT, 5, 2, 0, 0, subTitle);
    put(2, far::DI_EDIT, 5, 3, kWidth - 6, 0, srcText);
    items[2].Focus = 1;
    put(3, far::DI_TEXT, 0, 4, 0, far::DIF_SEPARATOR, "");
    put(4, far::DI_BUTTON, 0, 5, 0, far::DIF_CENTERGROUP, ok);
    items[4].DefaultButton = 1;
    put(5, far::DI_BUTTON, 0, 5, 0, far::DIF_CENTERGROUP, cancel);
    const int result = session->ui->Dialog(-1, -1, kWidth, kHeight, helpTopic, items, 6);
    const std::string_view text = far::FieldText(items[2].Data);
    if (result != 4 || (text.empty() && !(flags & far::FIB_ENABLEEMPTY)))
        return 0;
    const std::string_view kept =
        OptionTextPrefix(text, static_cast<std::size_t>(destLength), far::kHostStringsAreUtf8);
    std::memcpy(destText, kept.data(), kept.size());
    destText[kept.size()] = '\0';
    return 1;
}

int VELMORA_WINAPI MessageService(far::INT_PTR /*pluginNumber*/, far::DWORD flags, const char* helpTopic,
                                  const char* const* items, int count, int buttons) {
    ServiceSession* session = g_session;
    if (!session)
        return -1;
    if (!items || count < 0)
        count = 0;
    if (buttons < 0)
        buttons = 0;
    if (buttons > count)
        buttons = count;
    if (session->trace)
        session->trace->Message(flags, helpTopic, items, count, buttons);
    if (flags & far::FMSG_WARNING)
        session->warningShown = true;
    return session->ui->Message(flags, helpTopic, items, count, buttons);
}

const char* VELMORA_WINAPI GetMsgService(far::INT_PTR /*pluginNumber*/, int id) {
    ServiceSession* session = g_session;
    return session && session->lng ? session->lng->GetMsg(id) : "";
}

int VELMORA_WINAPI ControlService(far::HANDLE /*plugin*/, int command, void* param) {
    ServiceSession* session = g_session;
    if (!session)
        return 0;
    if (session->trace)
        session->trace->Control(command);
    switch (command) {
        case far::FCTL_GETPANELINFO:
            if (!param)
                return 0;
            if (session->sharedPanelInfo && !session->updatePending) {
                *static_cast<far::PanelInfo*>(param) = *session->sharedPanelInfo;
                return 1;
            }
            if (session->updatePending) {
                session->sharedPanelInfo = nullptr;
                session->updatePending = false;
                const bool keep = session->updateKeepsSelection;
                session->updateKeepsSelection = true;
                std::string error;
                if (!session->panel->Update(keep, &error)) {
                    *session->err << "velmora: " << error << '\n';
                    session->panelFailed = true;
                    // A panel from before the update would hand out names that may be gone.
                    return 0;
                }
                if (!session->panel->DescriptionError().empty())
                    *session->err << "velmora: " << session->panel->DescriptionError() << '\n';
            }
            session->panel->Fill(session->currentDirectory, static_cast<far::PanelInfo*>(param));
            session->lastPanelInfo = *static_cast<far::PanelInfo*>(param);
            return 1;
        case far::FCTL_UPDATEPANEL:
            // As in FAR: a non-null parameter keeps the selection. The directory is read when the
            // panel is next asked for (a 100,000-file run ends with an update nobody reads).
            session->updatePending = true;
            if (!param)
                session->updateKeepsSelection = false;
            return 1;
        case far::FCTL_REDRAWPANEL:
            return 1;
        default:
            // There is no other panel and no plug-in panel to close.
            return 0;
    }
}

far::HANDLE VELMORA_WINAPI SaveScreenService(int x1, int y1, int x2, int y2) {
    ServiceSession* session = g_session;
    return session ? session->ui->SaveScreen(x1, y1, x2, y2) : nullptr;
}

void VELMORA_WINAPI RestoreScreenService(far::HANDLE screen) {
    ServiceSession* session = g_session;
    if (session)
        session->ui->RestoreScreen(screen);
}

}  // namespace

ActiveSession::ActiveSession(ServiceSession* session) : previous_(g_session) {
    g_session = session;
}

ActiveSession::~ActiveSession() {
    g_session = previous_;
}

void FillStartupInfo(const std::string& moduleName, const char* rootKey, far::PluginStartupInfo* info) {
    std::memset(info, 0, sizeof(*info));
    info->StructSize = static_cast<int>(sizeof(*info));
    far::SetFieldText(info->ModuleName, moduleName);
    info->ModuleNumber = kModuleNumber;
    info->RootKey = rootKey;
    info->Dialog = DialogService;
    info->Message = MessageService;
    info->GetMsg = GetMsgService;
    info->Control = ControlService;
    info->SaveScreen = SaveScreenService;
    info->RestoreScreen = RestoreScreenService;
    info->Menu = MenuService;
    info->InputBox = InputBoxService;
    info->DialogEx = DialogExService;
    info->SendDlgMessage = SendDlgMessageService;
    info->DefDlgProc = DefDlgProcService;
    info->Editor = EditorService;
}

void ApplyDialogAnswers(const HostOptions& answers, far::FarDialogItem* items, int count,
                        const std::function<void(int)>& changed) {
    auto typed = [&changed](int item) {
        if (changed)
            changed(item);
    };
    auto text = [&](const std::optional<std::string>& answer, int item) {
        if (answer && count > item && IsEditField(items[item])) {
            far::SetFieldText(items[item].Data, *answer);
            typed(item);
        }
    };
    auto check = [&](const std::optional<int>& answer, int item) {
        if (answer && count > item && items[item].Type == far::DI_CHECKBOX) {
            items[item].Selected = *answer;
            typed(item);
        }
    };
    // A group of four radio buttons, one a letter case: the chosen one on, the others off, as a
    // click leaves them.
    auto radio = [&](const std::optional<std::uint32_t>& answer, int first) {
        if (!answer || *answer >= kCaseCount || count < first + static_cast<int>(kCaseCount))
            return;
        for (int i = 0; i < static_cast<int>(kCaseCount); ++i) {
            if (items[first + i].Type != far::DI_RADIOBUTTON)
                return;
        }
        const int chosen = first + static_cast<int>(*answer);
        for (int i = 0; i < static_cast<int>(kCaseCount); ++i)
            items[first + i].Selected = first + i == chosen ? 1 : 0;
        typed(chosen);
    };
    if (answers.mask && count > kMaskItem && IsEditField(items[kMaskItem])) {
        far::SetFieldText(items[kMaskItem].Data, *answers.mask);
        typed(kMaskItem);
    }
    if (answers.start && count > kStartItem && IsEditField(items[kStartItem])) {
        far::SetFieldText(items[kStartItem].Data, *answers.start);
        typed(kStartItem);
    }
    if (answers.withoutZero && count > kWithoutZeroItem && items[kWithoutZeroItem].Type == far::DI_CHECKBOX) {
        items[kWithoutZeroItem].Selected = *answers.withoutZero;
        typed(kWithoutZeroItem);
    }
    if (answers.saveDescriptions && count > kSaveDescriptionsItem &&
        items[kSaveDescriptionsItem].Type == far::DI_CHECKBOX) {
        items[kSaveDescriptionsItem].Selected = *answers.saveDescriptions;
        typed(kSaveDescriptionsItem);
    }
    text(answers.find, far::kDialogFindItem);
    text(answers.replace, far::kDialogReplaceItem);
    check(answers.regex, far::kDialogRegexItem);
    check(answers.matchCase, far::kDialogMatchCaseItem);
    check(answers.firstOnly, far::kDialogFirstOnlyItem);
    radio(answers.nameCase, far::kDialogNameCaseFirstItem);
    radio(answers.extensionCase, far::kDialogExtensionCaseFirstItem);
}

}  // namespace velmora::host
