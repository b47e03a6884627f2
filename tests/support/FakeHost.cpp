#include "support/FakeHost.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string_view>
#include <utility>

#include "far/HostConventions.hpp"
#include "plugin/HostServices.hpp"
#include "ports/Messages.hpp"
#include "support/HostFocus.hpp"

namespace velmora::test {
namespace {
FakeHost* g_current = nullptr;
}  // namespace

struct FakeHostServices {
    static const char* VELMORA_WINAPI GetMsg(far::INT_PTR, int id) {
        static std::vector<std::string> texts;
        if (g_current)
            ++g_current->textsAsked;
        if (id < 0 || id >= 1000) {
            return "";
        }
        if (texts.empty()) {
            for (int i = 0; i < 1000; ++i) {
                texts.push_back(FakeHost::Text(i));
            }
        }
        return texts[static_cast<std::size_t>(id)].c_str();
    }

    static int VELMORA_WINAPI Message(far::INT_PTR, far::DWORD flags, const char* helpTopic,
                                      const char* const* items, int count, int buttons) {
        RecordedBox box;
        box.flags = flags;
        box.hasHelpTopic = helpTopic != nullptr;
        box.helpTopic = helpTopic ? helpTopic : "";
        for (int i = 0; i < count; ++i) {
            box.lines.emplace_back(items[i] ? items[i] : "(null)");
        }
        box.buttons = buttons;
        g_current->boxes.push_back(box);
        if (buttons > 1 && !g_current->questionAnswers.empty()) {
            const int answer = g_current->questionAnswers.front();
            g_current->questionAnswers.pop_front();
            return answer;
        }
        if (buttons > 0 && !g_current->boxAnswers.empty()) {
            const int answer = g_current->boxAnswers.front();
            g_current->boxAnswers.pop_front();
            return answer;
        }
        return 0;
    }

    static int VELMORA_WINAPI Menu(far::INT_PTR, int, int, int, far::DWORD, const char* title,
                                   const char* bottom, const char* helpTopic, const int* breakKeys,
                                   int* breakCode, const far::FarMenuItem* items, int count) {
        if (breakCode)
            *breakCode = -1;
        RecordedMenu menu;
        menu.title = title ? title : "";
        menu.bottom = bottom ? bottom : "";
        menu.helpTopic = helpTopic ? helpTopic : "";
        for (int i = 0; i < count; ++i) {
            menu.lines.emplace_back(far::FieldText(items[i].Text));
            menu.checked.push_back(items[i].Checked != 0);
            if (items[i].Selected)
                menu.selected = i;
        }
        for (const int* key = breakKeys; key && *key; ++key)
            menu.breakKeys.push_back(*key);
        g_current->menus.push_back(menu);
        if (!g_current->menuPresses.empty()) {
            const MenuPress press = g_current->menuPresses.front();
            g_current->menuPresses.pop_front();
            if (breakCode)
                *breakCode = press.breakCode;
            return press.line;
        }
        if (g_current->menuChoices.empty())
            return menu.selected;
        const int chosen = g_current->menuChoices.front();
        g_current->menuChoices.pop_front();
        return chosen;
    }

    static int VELMORA_WINAPI InputBox(const char*, const char*, const char*, const char* source, char* dest,
                                       int length, const char*, far::DWORD) {
        g_current->inputBoxes.emplace_back(source ? source : "");
        if (g_current->inputs.empty())
            return 0;
        const std::string typed = g_current->inputs.front().substr(0, static_cast<std::size_t>(length));
        g_current->inputs.pop_front();
        std::memcpy(dest, typed.c_str(), typed.size() + 1);
        return 1;
    }

    static int VELMORA_WINAPI Dialog(far::INT_PTR, int, int, int, int, const char*, far::FarDialogItem* items,
                                     int count) {
        g_current->shownDialogs.emplace_back(items, items + count);
        if (!g_current->dialogExits.empty()) {
            const int exit = g_current->dialogExits.front();
            g_current->dialogExits.pop_front();
            return exit;
        }
        if (g_current->dialogTemplate.empty() || count != far::kDialogItemCount)
            return -1;
        far::SetFieldText(items[far::kDialogTemplateItem].Data, g_current->dialogTemplate);
        items[far::kDialogSaveDescriptionItem].Selected = g_current->dialogDescriptions ? 1 : 0;
        if (!g_current->dialogResults.empty()) {
            const int result = g_current->dialogResults.front();
            g_current->dialogResults.pop_front();
            return result;
        }
        return far::kDialogOkItem;
    }

    static std::vector<FocusItem> FocusItems() {
        std::vector<FocusItem> items;
        for (int i = 0; i < g_current->runningCount_; ++i) {
            const far::FarDialogItem& item = g_current->running_[i];
            FocusItem focus;
            focus.x = item.X1;
            focus.y = item.Y1;
            focus.edit =
                item.Type == far::DI_EDIT || item.Type == far::DI_FIXEDIT || item.Type == far::DI_PSWEDIT;
            if (focus.edit || item.Type == far::DI_CHECKBOX)
                focus.kind = FocusKind::Field;
            else if (item.Type == far::DI_RADIOBUTTON)
                focus.kind = FocusKind::Radio;
            else if (item.Type == far::DI_BUTTON)
                focus.kind = FocusKind::Button;
            focus.selected = item.Selected != 0;
            items.push_back(focus);
        }
        return items;
    }

    static bool FocusKeyOf(int key, FocusKey* focusKey) {
        const std::pair<int, FocusKey> keys[] = {
            {far::KEY_TAB, FocusKey::Tab},   {far::KEY_SHIFTTAB, FocusKey::ShiftTab},
            {far::KEY_UP, FocusKey::Up},     {far::KEY_DOWN, FocusKey::Down},
            {far::KEY_LEFT, FocusKey::Left}, {far::KEY_RIGHT, FocusKey::Right},
        };
        for (const auto& [code, name] : keys) {
            if (code == key) {
                *focusKey = name;
                return true;
            }
        }
        return false;
    }

    static int VELMORA_WINAPI DialogEx(far::INT_PTR number, int x1, int y1, int x2, int y2, const char* help,
                                       far::FarDialogItem* items, int count, far::DWORD, far::DWORD,
                                       far::FARWINDOWPROC procedure, far::LONG_PTR param) {
        FakeHost& host = *g_current;
        if (!procedure)
            return Dialog(number, x1, y1, x2, y2, help, items, count);
        host.running_ = items;
        host.runningCount_ = count;
        const std::vector<FocusItem> focus = FocusItems();
        host.focus_ = -1;
        for (int i = 0; i < count && host.focus_ < 0; ++i)
            if (items[i].Focus && focus[static_cast<std::size_t>(i)].kind != FocusKind::None)
                host.focus_ = i;
        for (int i = 0; i < count && host.focus_ < 0; ++i)
            if (focus[static_cast<std::size_t>(i)].kind != FocusKind::None)
                host.focus_ = i;
        procedure(&host, far::DN_INITDIALOG, 0, param);
        // The user types the template before pressing any key the test gives.
        if (!host.dialogTemplate.empty() && count == far::kDialogItemCount)
            far::SetFieldText(items[far::kDialogTemplateItem].Data, host.dialogTemplate);
        host.closed_ = -1;
        const std::vector<int> keys = std::move(host.dialogKeys);
        host.dialogKeys.clear();
        for (const int key : keys) {
            if (!procedure(&host, far::DN_KEY, host.focus_, key)) {
                FocusKey focusKey = FocusKey::Tab;
                if (FocusKeyOf(key, &focusKey))
                    host.focus_ = HostMovesFocus(FocusItems(), host.focus_, focusKey);
            }
            host.focusPath.push_back(host.focus_);
            if (host.closed_ >= 0)
                break;
        }
        const int result =
            host.closed_ >= 0 ? host.closed_ : Dialog(number, x1, y1, x2, y2, help, items, count);
        host.running_ = nullptr;
        host.runningCount_ = 0;
        return result;
    }

    static far::LONG_PTR VELMORA_WINAPI SendDlgMessage(far::HANDLE dialog, int message, int item,
                                                       far::LONG_PTR param2) {
        FakeHost& host = *g_current;
        EXPECT_EQ(dialog, static_cast<far::HANDLE>(&host));
        if (item < 0 || item >= host.runningCount_)
            return 0;
        far::FarDialogItem& record = host.running_[item];
        switch (message) {
            case far::DM_GETTEXTPTR: {
                const std::string_view text = far::FieldText(record.Data);
                if (param2) {
                    std::memcpy(reinterpret_cast<char*>(param2), text.data(), text.size());
                    reinterpret_cast<char*>(param2)[text.size()] = '\0';
                }
                return static_cast<far::LONG_PTR>(text.size());
            }
            case far::DM_SETTEXTPTR:
                far::SetFieldText(record.Data, param2 ? reinterpret_cast<const char*>(param2) : "");
                return 1;
            case far::DM_GETCHECK:
                return record.Selected;
            case far::DM_SETCHECK:
                record.Selected = static_cast<int>(param2);
                return 1;
            case far::DM_CLOSE:
                host.closed_ = item;
                return 1;
            case far::DM_SETFOCUS:
                if (FocusItems()[static_cast<std::size_t>(item)].kind == FocusKind::None)
                    return 0;
                host.focus_ = item;
                return 1;
            default:
                return 0;
        }
    }

    static far::LONG_PTR VELMORA_WINAPI DefDlgProc(far::HANDLE, int message, int, far::LONG_PTR) {
        return message == far::DN_BTNCLICK || message == far::DN_INITDIALOG ? 1 : 0;
    }

    static int VELMORA_WINAPI Editor(const char* file, const char* title, int x1, int y1, int x2, int y2,
                                     far::DWORD flags, int startLine, int startChar) {
        FakeHost& host = *g_current;
        FakeHost::EditorCall call{file, title ? title : "", x1, y1, x2, y2, flags, startLine, startChar, {}};
        std::string error;
        if (!ReadWholeFile(SystemFileSystem(), file, &call.text, &error)) {
            ADD_FAILURE() << "the editor cannot open " << file << ": " << error;
            return far::EEC_OPEN_ERROR;
        }
        host.editorCalls.push_back(call);
        std::string text = call.text;
        const int result = host.onEdit ? host.onEdit(text) : far::EEC_NOT_MODIFIED;
        if (result == far::EEC_MODIFIED) {
            std::unique_ptr<WritableFile> out;
            EXPECT_TRUE(SystemFileSystem().OpenForWriting(file, &out));
            EXPECT_TRUE(out->Write(text.data(), text.size()));
            EXPECT_TRUE(out->Close());
        }
        return result;
    }

    static far::HANDLE VELMORA_WINAPI SaveScreen(int, int, int, int) { return nullptr; }
    static void VELMORA_WINAPI RestoreScreen(far::HANDLE) {}

    static int VELMORA_WINAPI Control(far::HANDLE panel, int command, void* param) {
        if (panel != far::kInvalidHandle) {
            return 0;
        }
        const auto value = reinterpret_cast<std::intptr_t>(param);
        g_current->controls.push_back({command, value > 1 ? 2 : value});
        switch (command) {
            case far::FCTL_UPDATEPANEL:
                if (g_current->onUpdatePanel) {
                    g_current->onUpdatePanel();
                }
                return 1;
            case far::FCTL_REDRAWPANEL:
                return 1;
            case far::FCTL_GETPANELINFO: {
                if (!g_current->panelInfoResult) {
                    return 0;
                }
                auto* info = static_cast<far::PanelInfo*>(param);
                *info = far::PanelInfo{};
                info->PanelItems = g_current->items_.empty() ? nullptr : g_current->items_.data();
                info->ItemsNumber = static_cast<int>(g_current->items_.size());
                info->SelectedItems = info->PanelItems;
                info->SelectedItemsNumber = info->ItemsNumber;
                std::strcpy(info->ColumnTypes, "N,Z");
                far::SetFieldText(info->CurDir, g_current->directory);
                return 1;
            }
            default:
                return 0;
        }
    }
};

void SelectRadioButton(far::FarDialogItem* items, int count, int index) {
    const auto isRadio = [&](int i) { return i >= 0 && i < count && items[i].Type == far::DI_RADIOBUTTON; };
    if (!isRadio(index))
        return;
    int first = index;
    while (isRadio(first - 1))
        --first;
    for (int i = first; isRadio(i); ++i)
        items[i].Selected = i == index ? 1 : 0;
}

FakeHost::FakeHost(std::string rootKey) : rootKey_(std::move(rootKey)) {
    g_current = this;
    info_.StructSize = static_cast<int>(sizeof info_);
    info_.ModuleNumber = 7;
    info_.RootKey = rootKey_.c_str();
    info_.GetMsg = &FakeHostServices::GetMsg;
    info_.Message = &FakeHostServices::Message;
    info_.Dialog = &FakeHostServices::Dialog;
    info_.Control = &FakeHostServices::Control;
    info_.SaveScreen = &FakeHostServices::SaveScreen;
    info_.RestoreScreen = &FakeHostServices::RestoreScreen;
    info_.InputBox = &FakeHostServices::InputBox;
    SetHostServices(&info_);
}

void FakeHost::OfferMenu() {
    info_.Menu = &FakeHostServices::Menu;
    SetHostServices(&info_);
}

void FakeHost::OfferDialogProcedure() {
    info_.DialogEx = &FakeHostServices::DialogEx;
    info_.SendDlgMessage = &FakeHostServices::SendDlgMessage;
    info_.DefDlgProc = &FakeHostServices::DefDlgProc;
    SetHostServices(&info_);
}

void FakeHost::OfferEditor() {
    info_.Editor = &FakeHostServices::Editor;
    SetHostServices(&info_);
}

FakeHost::~FakeHost() {
    // Leave no pointer into this object behind in the plug-in's copy of the record.
    const far::PluginStartupInfo none{};
    SetHostServices(&none);
    g_current = nullptr;
}

std::string FakeHost::Text(int id) {
    return id == MProgress ? "%#. %F" : "#" + std::to_string(id);
}

void FakeHost::AddItem(const std::string& name, const char* description, std::uint64_t size,
                       std::uint64_t writeTime, std::uint64_t creationTime) {
    far::PluginPanelItem item{};
    far::SetFindDataSize(item.FindData, size);
    const std::uint64_t listed = far::PanelFileTime(writeTime);
    item.FindData.ftLastWriteTime = {static_cast<far::DWORD>(listed & 0xFFFFFFFFu),
                                     static_cast<far::DWORD>(listed >> 32)};
    const std::uint64_t created = far::PanelFileTime(creationTime);
    item.FindData.ftCreationTime = {static_cast<far::DWORD>(created & 0xFFFFFFFFu),
                                    static_cast<far::DWORD>(created >> 32)};
    const std::size_t length = std::min(name.size(), sizeof item.FindData.cFileName - 1);
    std::memcpy(item.FindData.cFileName, name.data(), length);
    if (description) {
        descriptions_.emplace_back(description);
        item.Description = &descriptions_.back()[0];
    }
    items_.push_back(item);
}

void FakeHost::ClearItems() {
    items_.clear();
    descriptions_.clear();
}

RunContext FakeHost::Context(FileSystem& files, Registry& registry, Clock& clock) const {
    return RunContext{api_,    files,   registry, rootKey_ + "\\Velmora", rootKey_, kRecordHostText, nullptr,
                      nullptr, nullptr, clock};
}

}  // namespace velmora::test
