#include "far3/FakeFar3.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <utility>

#include "platform/win32/WindowsPrelude.hpp"
#include "plugin/far3/Far3Exports.hpp"
#include "plugin/far3/Far3Guids.hpp"
#include "ports/Messages.hpp"
#include "support/HostFocus.hpp"

// windows.h names DefDlgProc as a macro; here it is the FAR 3 service of that name.
#undef DefDlgProc

namespace velmora::test {
namespace {

namespace fs = std::filesystem;

FakeFar3* g_far = nullptr;
std::atomic<unsigned> g_folders{0};

bool SameGuid(const far3::GUID& a, const far3::GUID& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

std::wstring Decode(unsigned codePage, const std::string& bytes) {
    if (bytes.empty())
        return std::wstring();
    const int length =
        MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), &text[0], length);
    return text;
}

std::string Encode(unsigned codePage, const std::wstring& text) {
    if (text.empty())
        return std::string();
    const int length = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                           0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), &bytes[0], length, nullptr,
                        nullptr);
    return bytes;
}

std::wstring Upper(std::wstring text) {
    if (!text.empty())
        CharUpperBuffW(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

// A description file's text as FAR 3 reads it: the code page from its mark, else OEM.
std::wstring DescriptionText(const std::string& bytes) {
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0)
        return Decode(CP_UTF8, bytes.substr(3));
    if (bytes.compare(0, 2, "\xFF\xFE") == 0 || bytes.compare(0, 2, "\xFE\xFF") == 0) {
        const bool little = bytes[0] == '\xFF';
        std::wstring text;
        for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
            const auto low = static_cast<unsigned char>(bytes[little ? i : i + 1]);
            const auto high = static_cast<unsigned char>(bytes[little ? i + 1 : i]);
            text.push_back(static_cast<wchar_t>(low | (high << 8)));
        }
        return text;
    }
    return Decode(CP_OEMCP, bytes);
}

// Lines "name description" or "\"name\" description"; the first line for a name wins.
std::map<std::wstring, std::wstring> ParseDescriptions(const std::wstring& text) {
    std::map<std::wstring, std::wstring> descriptions;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos)
            end = text.size();
        std::wstring line = text.substr(start, end - start);
        start = end + 1;
        while (!line.empty() && (line.back() == L'\r' || line.back() == L' '))
            line.pop_back();
        if (line.empty() || line[0] == L' ' || line[0] == L'\t')
            continue;
        std::size_t nameEnd;
        std::wstring name;
        if (line[0] == L'"') {
            nameEnd = line.find(L'"', 1);
            if (nameEnd == std::wstring::npos)
                continue;
            name = line.substr(1, nameEnd - 1);
            ++nameEnd;
        } else {
            nameEnd = line.find_first_of(L" \t");
            if (nameEnd == std::wstring::npos)
                nameEnd = line.size();
            name = line.substr(0, nameEnd);
        }
        const std::size_t text = line.find_first_not_of(L" \t", nameEnd);
        descriptions.emplace(Upper(name), text == std::wstring::npos ? std::wstring() : line.substr(text));
    }
    return descriptions;
}

// Deletes a folder with everything in it, read-only files too, past MAX_PATH as well (the
// library's remove_all stops there).
void RemoveTree(const std::wstring& path) {
    const std::wstring full = path.compare(0, 4, L"\\\\?\\") == 0 ? path : L"\\\\?\\" + path;
    WIN32_FIND_DATAW entry;
    const HANDLE find = FindFirstFileW((full + L"\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = entry.cFileName;
            if (name == L"." || name == L"..")
                continue;
            const std::wstring child = full + L"\\" + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(child);
            } else {
                SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(child.c_str());
            }
        } while (FindNextFileW(find, &entry));
        FindClose(find);
    }
    RemoveDirectoryW(full.c_str());
}

}  // namespace

std::wstring WideOf(const std::string& utf8) {
    return Decode(CP_UTF8, utf8);
}

std::string Utf8Of(const wchar_t* text) {
    return text ? Encode(CP_UTF8, text) : std::string();
}

std::string OemOf(const std::string& utf8) {
    return Encode(CP_OEMCP, WideOf(utf8));
}

Far3Folder::Far3Folder() {
    wchar_t temp[MAX_PATH + 1];
    GetTempPathW(MAX_PATH + 1, temp);
    const fs::path path = fs::path(temp) / (L"velmora-far3-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                                            std::to_wstring(++g_folders));
    // One left by a crashed run with the same process number must not show in this one.
    RemoveTree(path.wstring());
    fs::create_directories(path);
    path_ = Utf8Of(path.wstring().c_str());
}

Far3Folder::~Far3Folder() {
    RemoveTree(WideOf(path_));
}

void Far3Folder::Write(const std::string& name, const std::string& bytes) const {
    std::ofstream out(fs::path(WideOf(path_)) / WideOf(name), std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::string Far3Folder::Read(const std::string& name) const {
    std::ifstream in(fs::path(WideOf(path_)) / WideOf(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> Far3Folder::Names() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(fs::path(WideOf(path_))))
        names.push_back(Utf8Of(entry.path().filename().wstring().c_str()));
    std::sort(names.begin(), names.end());
    return names;
}

// The services FAR 3 offers, as host as the plug-in calls them.
struct Far3Services {
    static intptr_t VELMORA_FAR3_API Message(const far3::GUID* plugin, const far3::GUID* id,
                                             far3::UINT64 flags, const wchar_t* help,
                                             const wchar_t* const* items, size_t count, intptr_t buttons) {
        EXPECT_TRUE(SameGuid(*plugin, kPluginGuid));
        g_far->calls.push_back("Message");
        if (buttons == 0 && !(flags & far3::FMSG_WARNING)) {
            EXPECT_TRUE(SameGuid(*id, kProgressGuid));
            ++g_far->progressBoxes;
            return -1;
        }
        Far3Box box;
        box.id = *id;
        box.flags = flags;
        box.hasHelp = help != nullptr;
        box.help = Utf8Of(help);
        for (size_t i = 0; i < count; ++i)
            box.lines.push_back(Utf8Of(items[i]));
        box.buttons = buttons;
        g_far->boxes.push_back(box);
        if (buttons > 1 && !g_far->questionAnswers.empty()) {
            const std::intptr_t answer = g_far->questionAnswers.front();
            g_far->questionAnswers.pop_front();
            return answer;
        }
        return buttons > 1 ? g_far->questionAnswer : 0;
    }

    static const wchar_t* VELMORA_FAR3_API GetMsg(const far3::GUID* plugin, intptr_t id) {
        EXPECT_TRUE(SameGuid(*plugin, kPluginGuid));
        // Texts with a character beyond ASCII, so that boxes show whether they were converted.
        static std::vector<std::wstring> texts;
        if (texts.empty()) {
            for (int i = 0; i < MessageCount; ++i)
                texts.push_back(L"\u2116" + std::to_wstring(i));
        }
        return id >= 0 && id < MessageCount ? texts[static_cast<size_t>(id)].c_str() : L"";
    }

    static intptr_t VELMORA_FAR3_API PanelControl(far3::HANDLE panel, int command, intptr_t param1,
                                                  void* param2) {
        EXPECT_EQ(panel, far3::PANEL_ACTIVE);
        g_far->calls.push_back("Control(" + std::to_string(command) + "," + std::to_string(param1) + ")");
        return g_far->Control(command, param1, param2);
    }

    static far3::HANDLE VELMORA_FAR3_API SaveScreen(intptr_t x1, intptr_t y1, intptr_t x2, intptr_t y2) {
        EXPECT_EQ(x1 + y1, 0);
        EXPECT_EQ(x2 + y2, -2);
        g_far->calls.push_back("SaveScreen");
        return reinterpret_cast<far3::HANDLE>(static_cast<intptr_t>(0x5C));
    }

    static void VELMORA_FAR3_API RestoreScreen(far3::HANDLE screen) {
        EXPECT_EQ(screen, reinterpret_cast<far3::HANDLE>(static_cast<intptr_t>(0x5C)));
        g_far->calls.push_back("RestoreScreen");
    }

    static far3::HANDLE VELMORA_FAR3_API DialogInit(const far3::GUID* plugin, const far3::GUID* id,
                                                    intptr_t x1, intptr_t y1, intptr_t x2, intptr_t y2,
                                                    const wchar_t* help, const far3::FarDialogItem* items,
                                                    size_t count, intptr_t reserved, far3::UINT64 flags,
                                                    far3::FARWINDOWPROC proc, void* param) {
        EXPECT_EQ(reserved, 0);
        EXPECT_EQ(flags, 0u);
        g_far->procedure_ = proc;
        g_far->procedureData_ = param;
        g_far->calls.push_back("Dialog");
        Far3Dialog dialog{*plugin, *id, x1, y1, x2, y2, Utf8Of(help), {}};
        for (size_t i = 0; i < count; ++i) {
            const far3::FarDialogItem& item = items[i];
            dialog.items.push_back(Far3ShownItem{item.Type, item.X1, item.Y1, item.X2, item.Y2, item.Selected,
                                                 item.Flags, Utf8Of(item.History), Utf8Of(item.Data)});
        }
        g_far->dialogs.push_back(dialog);
        g_far->running_ = dialog.items;
        return reinterpret_cast<far3::HANDLE>(&g_far->running_);
    }

    // The radio buttons next to `index`, up to an item of another kind on either side, are its
    // group: selecting it clears the others, as FAR does.
    static std::pair<std::size_t, std::size_t> RadioGroup(const std::vector<Far3ShownItem>& items,
                                                          std::size_t index) {
        const auto isRadio = [&items](std::size_t i) {
            return i < items.size() && items[i].type == far3::DI_RADIOBUTTON;
        };
        std::size_t first = index;
        while (first > 0 && isRadio(first - 1))
            --first;
        std::size_t end = index;
        while (isRadio(end))
            ++end;
        return {first, end};
    }
    static void SelectRadio(std::vector<Far3ShownItem>& items, std::size_t index) {
        const auto [first, end] = RadioGroup(items, index);
        for (std::size_t i = first; i < end; ++i)
            items[i].selected = i == index ? 1 : 0;
    }

    // Radio buttons the answer selected: each is selected as FAR does, or, with a procedure, told to
    // it as a click while the old mark still stands, and moved only when the procedure agrees.
    static void ClickRadios(far3::HANDLE dialog, const std::vector<Far3ShownItem>& before) {
        FakeFar3& host = *g_far;
        for (std::size_t i = 0; i < host.running_.size(); ++i) {
            if (host.running_[i].type != far3::DI_RADIOBUTTON || host.running_[i].selected == 0 ||
                before[i].selected != 0)
                continue;
            if (host.procedure_) {
                const auto [first, end] = RadioGroup(host.running_, i);
                for (std::size_t j = first; j < end; ++j) {
                    if (j != i)
                        host.running_[j].selected = before[j].selected;
                }
                if (!host.procedure_(dialog, far3::DN_BTNCLICK, static_cast<intptr_t>(i),
                                     reinterpret_cast<void*>(intptr_t{1})))
                    continue;
            }
            SelectRadio(host.running_, i);
        }
    }

    // The answers typed into a dialog with a procedure: each changed field or switch is told to
    // it as FAR tells a keystroke, then the dialog idles until the procedure changes nothing more.
    static void TypeAnswers(far3::HANDLE dialog) {
        FakeFar3& host = *g_far;
        far3::FARWINDOWPROC proc = host.procedure_;
        proc(dialog, far3::DN_INITDIALOG, 0, host.procedureData_);
        const std::vector<Far3ShownItem> before = host.running_;
        if (host.answer)
            host.answer(host.running_);
        ClickRadios(dialog, before);
        for (std::size_t i = 0; i < host.running_.size(); ++i) {
            const Far3ShownItem& item = host.running_[i];
            if (item.type == far3::DI_EDIT && item.data != before[i].data) {
                const std::wstring text = WideOf(item.data);
                far3::FarDialogItem record{};
                record.Type = item.type;
                record.Data = text.c_str();
                proc(dialog, far3::DN_EDITCHANGE, static_cast<intptr_t>(i), &record);
            } else if (item.type == far3::DI_CHECKBOX && item.selected != before[i].selected) {
                proc(dialog, far3::DN_BTNCLICK, static_cast<intptr_t>(i),
                     reinterpret_cast<void*>(item.selected));
            }
        }
        for (int idle = 0; idle < 100000; ++idle) {
            std::vector<std::string> texts;
            for (const Far3ShownItem& item : host.running_)
                texts.push_back(item.data);
            proc(dialog, far3::DN_ENTERIDLE, 0, nullptr);
            bool changed = false;
            for (std::size_t i = 0; i < texts.size(); ++i)
                changed = changed || texts[i] != host.running_[i].data;
            if (!changed)
                break;
        }
        host.liveViews.push_back(host.running_);
    }

    static std::vector<FocusItem> FocusItems() {
        std::vector<FocusItem> items;
        for (const Far3ShownItem& item : g_far->running_) {
            FocusItem focus;
            focus.x = static_cast<int>(item.x1);
            focus.y = static_cast<int>(item.y1);
            focus.edit = item.type == far3::DI_EDIT;
            if (focus.edit || item.type == far3::DI_CHECKBOX)
                focus.kind = FocusKind::Field;
            else if (item.type == far3::DI_RADIOBUTTON)
                focus.kind = FocusKind::Radio;
            else if (item.type == far3::DI_BUTTON)
                focus.kind = FocusKind::Button;
            focus.selected = item.selected != 0;
            items.push_back(focus);
        }
        return items;
    }

    // The keys pressed, each offered to the procedure first as FAR 3 does.
    static void PressKeys(far3::HANDLE dialog) {
        FakeFar3& host = *g_far;
        const std::vector<FocusItem> focus = FocusItems();
        host.focus_ = -1;
        for (std::size_t i = 0; i < focus.size() && host.focus_ < 0; ++i)
            if ((host.running_[i].flags & far3::DIF_FOCUS) && focus[i].kind != FocusKind::None)
                host.focus_ = static_cast<int>(i);
        for (std::size_t i = 0; i < focus.size() && host.focus_ < 0; ++i)
            if (focus[i].kind != FocusKind::None)
                host.focus_ = static_cast<int>(i);
        for (const auto& [key, shift] : host.dialogKeys) {
            far3::INPUT_RECORD input{};
            input.EventType = far3::kKeyEvent;
            input.Event.KeyEvent.bKeyDown = 1;
            input.Event.KeyEvent.wRepeatCount = 1;
            input.Event.KeyEvent.wVirtualKeyCode = key;
            input.Event.KeyEvent.dwControlKeyState = shift ? far3::kShiftPressed : 0;
            if (!host.procedure_(dialog, far3::DN_CONTROLINPUT, host.focus_, &input)) {
                const std::pair<std::uint16_t, FocusKey> keys[] = {{far3::kVkUp, FocusKey::Up},
                                                                   {far3::kVkDown, FocusKey::Down},
                                                                   {far3::kVkLeft, FocusKey::Left},
                                                                   {far3::kVkRight, FocusKey::Right}};
                if (key == far3::kVkTab)
                    host.focus_ =
                        HostMovesFocus(FocusItems(), host.focus_, shift ? FocusKey::ShiftTab : FocusKey::Tab);
                for (const auto& [code, name] : keys)
                    if (code == key)
                        host.focus_ = HostMovesFocus(FocusItems(), host.focus_, name);
            }
            host.focusPath.push_back(host.focus_);
        }
    }

    static intptr_t VELMORA_FAR3_API Editor(const wchar_t* file, const wchar_t* title, intptr_t x1,
                                            intptr_t y1, intptr_t x2, intptr_t y2, far3::UINT64 flags,
                                            intptr_t startLine, intptr_t startChar, uintptr_t codePage) {
        EXPECT_EQ(std::vector<intptr_t>({x1, y1, x2, y2, startLine, startChar}),
                  std::vector<intptr_t>({0, 0, -1, -1, -1, -1}));
        FakeFar3::EditorCall call{Utf8Of(file), Utf8Of(title), flags, codePage, {}};
        {
            std::ifstream in(std::filesystem::path(file), std::ios::binary);
            if (!in)
                return far3::EEC_OPEN_ERROR;
            call.bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
        g_far->editorCalls.push_back(call);
        std::string bytes = call.bytes;
        const intptr_t result = g_far->onEdit ? g_far->onEdit(bytes) : far3::EEC_NOT_MODIFIED;
        if (result == far3::EEC_MODIFIED) {
            std::ofstream out(std::filesystem::path(file), std::ios::binary | std::ios::trunc);
            out << bytes;
        }
        return result;
    }

    static intptr_t VELMORA_FAR3_API DialogRun(far3::HANDLE dialog) {
        EXPECT_EQ(dialog, &g_far->running_);
        g_far->closed_ = -1;
        if (g_far->procedure_) {
            TypeAnswers(dialog);
            PressKeys(dialog);
            if (g_far->closed_ >= 0) {
                // Closed from the procedure: the keys were this showing's.
                g_far->dialogKeys.clear();
                return g_far->closed_;
            }
        } else if (g_far->answer) {
            const std::vector<Far3ShownItem> before = g_far->running_;
            g_far->answer(g_far->running_);
            ClickRadios(dialog, before);
        }
        g_far->dialogTexts_.clear();
        for (const Far3ShownItem& item : g_far->running_)
            g_far->dialogTexts_.push_back(WideOf(item.data));
        if (!g_far->exits.empty()) {
            const std::intptr_t exit = g_far->exits.front();
            g_far->exits.pop_front();
            return exit;
        }
        return g_far->dialogExit;
    }

    static intptr_t VELMORA_FAR3_API DefDlgProc(far3::HANDLE, intptr_t message, intptr_t, void*) {
        return message == far3::DN_BTNCLICK || message == far3::DN_INITDIALOG ? 1 : 0;
    }

    static intptr_t VELMORA_FAR3_API Menu(const far3::GUID* plugin, const far3::GUID* id, intptr_t, intptr_t,
                                          intptr_t, far3::UINT64, const wchar_t* title, const wchar_t* bottom,
                                          const wchar_t*, const far3::FarKey* breakKeys, intptr_t* breakCode,
                                          const far3::FarMenuItem* items, size_t count) {
        EXPECT_TRUE(SameGuid(*plugin, kPluginGuid));
        EXPECT_FALSE(SameGuid(*id, kDialogGuid));
        g_far->calls.push_back("Menu");
        if (breakCode)
            *breakCode = -1;
        FakeFar3::Menu menu;
        menu.title = Utf8Of(title);
        menu.bottom = Utf8Of(bottom);
        intptr_t cursor = 0;
        for (size_t i = 0; i < count; ++i) {
            menu.texts.push_back(Utf8Of(items[i].Text));
            menu.checked.push_back((items[i].Flags & far3::MIF_CHECKED) != 0);
            if (items[i].Flags & far3::MIF_SELECTED)
                cursor = menu.cursor = static_cast<intptr_t>(i);
        }
        for (const far3::FarKey* key = breakKeys; key && key->VirtualKeyCode; ++key)
            menu.breakKeys.push_back(key->VirtualKeyCode);
        menu.result = g_far->menuEsc ? -1 : cursor;
        if (!g_far->menuPresses.empty()) {
            if (breakCode)
                *breakCode = g_far->menuPresses.front().first;
            menu.result = g_far->menuPresses.front().second;
            g_far->menuPresses.pop_front();
        }
        g_far->menus.push_back(menu);
        return menu.result;
    }

    static intptr_t VELMORA_FAR3_API InputBox(const far3::GUID* plugin, const far3::GUID* id, const wchar_t*,
                                              const wchar_t*, const wchar_t*, const wchar_t* source,
                                              wchar_t* dest, size_t size, const wchar_t*, far3::UINT64) {
        EXPECT_TRUE(SameGuid(*plugin, kPluginGuid));
        EXPECT_FALSE(SameGuid(*id, kDialogGuid));
        g_far->inputBoxes.push_back(Utf8Of(source));
        if (g_far->inputs.empty())
            return 0;
        const std::wstring typed = WideOf(g_far->inputs.front()).substr(0, size - 1);
        g_far->inputs.pop_front();
        std::copy(typed.begin(), typed.end(), dest);
        dest[typed.size()] = L'\0';
        return 1;
    }

    static void VELMORA_FAR3_API DialogFree(far3::HANDLE dialog) {
        EXPECT_EQ(dialog, &g_far->running_);
        g_far->calls.push_back("DialogFree");
    }

    static intptr_t VELMORA_FAR3_API SendDlgMessage(far3::HANDLE dialog, intptr_t message, intptr_t item,
                                                    void* param2) {
        EXPECT_EQ(dialog, &g_far->running_);
        const auto index = static_cast<size_t>(item);
        if (index >= g_far->running_.size())
            return 0;
        if (message == far3::DM_GETCONSTTEXTPTR) {
            // While the dialog runs its text is the item's as it stands now.
            g_far->dialogTexts_.resize(g_far->running_.size());
            g_far->dialogTexts_[index] = WideOf(g_far->running_[index].data);
            return reinterpret_cast<intptr_t>(g_far->dialogTexts_[index].c_str());
        }
        if (message == far3::DM_SETTEXTPTR) {
            g_far->running_[index].data = Utf8Of(static_cast<const wchar_t*>(param2));
            return 1;
        }
        if (message == far3::DM_GETCHECK)
            return g_far->running_[index].selected;
        if (message == far3::DM_CLOSE) {
            g_far->closed_ = static_cast<int>(index);
            return 1;
        }
        if (message == far3::DM_SETFOCUS) {
            if (FocusItems()[index].kind == FocusKind::None)
                return 0;
            g_far->focus_ = static_cast<int>(index);
            return 1;
        }
        if (message == far3::DM_SETCHECK) {
            if (g_far->running_[index].type == far3::DI_RADIOBUTTON)
                SelectRadio(g_far->running_, index);
            else
                g_far->running_[index].selected = reinterpret_cast<intptr_t>(param2);
            return 1;
        }
        return 0;
    }

    static intptr_t VELMORA_FAR3_API SettingsControl(far3::HANDLE handle, int command, intptr_t param1,
                                                     void* param2) {
        FakeFar3& host = *g_far;
        switch (command) {
            case far3::SCTL_CREATE: {
                auto* create = static_cast<far3::FarSettingsCreate*>(param2);
                EXPECT_EQ(handle, far3::kInvalidHandle);
                EXPECT_EQ(param1, far3::PSL_ROAMING);
                EXPECT_EQ(create->StructSize, sizeof(far3::FarSettingsCreate));
                // Only a plug-in's own GUID opens a store.
                if (!SameGuid(create->Guid, kPluginGuid))
                    return 0;
                ++host.settingsHandles_;
                create->Handle = &host.settings;
                return 1;
            }
            case far3::SCTL_FREE:
                EXPECT_EQ(handle, &host.settings);
                --host.settingsHandles_;
                host.enumNames_.clear();
                host.enumTexts_.clear();
                return 1;
            case far3::SCTL_CREATESUBKEY:
            case far3::SCTL_OPENSUBKEY: {
                auto* value = static_cast<far3::FarSettingsValue*>(param2);
                if (value->Root >= host.settingsRoots_.size() || !value->Value || !*value->Value)
                    return 0;
                const std::string& parent = host.settingsRoots_[value->Root];
                const std::string path = (parent.empty() ? "" : parent + "\\") + Utf8Of(value->Value);
                const bool made =
                    std::find(host.subkeys_.begin(), host.subkeys_.end(), path) != host.subkeys_.end();
                if (command == far3::SCTL_OPENSUBKEY && !made)
                    return 0;
                if (!made)
                    host.subkeys_.push_back(path);
                host.settingsRoots_.push_back(path);
                return static_cast<intptr_t>(host.settingsRoots_.size() - 1);
            }
            case far3::SCTL_ENUM: {
                auto* listing = static_cast<far3::FarSettingsEnum*>(param2);
                if (listing->Root >= host.settingsRoots_.size())
                    return 0;
                const std::string& path = host.settingsRoots_[listing->Root];
                const std::string prefix = path.empty() ? "" : path + "\\";
                host.enumNames_.clear();
                for (const std::string& key : host.subkeys_) {
                    if (key.compare(0, prefix.size(), prefix) == 0 && key.size() > prefix.size() &&
                        key.find('\\', prefix.size()) == std::string::npos) {
                        host.enumTexts_.push_back(WideOf(key.substr(prefix.size())));
                        host.enumNames_.push_back({host.enumTexts_.back().c_str(), far3::FST_SUBKEY});
                    }
                }
                listing->Count = host.enumNames_.size();
                listing->Items = host.enumNames_.data();
                return 1;
            }
            case far3::SCTL_DELETE: {
                auto* value = static_cast<far3::FarSettingsValue*>(param2);
                if (value->Root == 0 || value->Root >= host.settingsRoots_.size() || value->Value)
                    return 0;
                const std::string path = host.settingsRoots_[value->Root];
                const auto within = [&path](const std::string& key) {
                    return key == path || key.compare(0, path.size() + 1, path + "\\") == 0;
                };
                host.subkeys_.erase(std::remove_if(host.subkeys_.begin(), host.subkeys_.end(), within),
                                    host.subkeys_.end());
                for (auto it = host.settings.begin(); it != host.settings.end();)
                    it = within(it->first) ? host.settings.erase(it) : std::next(it);
                return 1;
            }
            case far3::SCTL_GET:
            case far3::SCTL_SET: {
                EXPECT_EQ(handle, &host.settings);
                auto* item = static_cast<far3::FarSettingsItem*>(param2);
                EXPECT_EQ(item->StructSize, sizeof(far3::FarSettingsItem));
                if (item->Root >= host.settingsRoots_.size())
                    return 0;
                const std::string& key = host.settingsRoots_[item->Root];
                const std::string name = (key.empty() ? "" : key + "\\") + Utf8Of(item->Name);
                if (command == far3::SCTL_SET) {
                    Far3Setting& value = host.settings[name];
                    value.type = item->Type;
                    value.number = item->Type == far3::FST_QWORD ? item->Value.Number : 0;
                    value.text = item->Type == far3::FST_STRING ? item->Value.String : L"";
                    return 1;
                }
                const auto found = host.settings.find(name);
                // A value of another type than the one asked for is not given.
                if (found == host.settings.end() || found->second.type != item->Type)
                    return 0;
                if (item->Type == far3::FST_QWORD)
                    item->Value.Number = found->second.number;
                else
                    item->Value.String = found->second.text.c_str();
                return 1;
            }
            default:
                return 0;
        }
    }
};

FakeFar3::FakeFar3(std::string folder) : folder_(std::move(folder)), state_(folder_ + ".state") {
    g_far = this;
    // The undo journal goes beside the folder, not into the system's state directory.
    SetEnvironmentVariableW(L"XDG_STATE_HOME", WideOf(state_).c_str());
    // FAR's start-up record and standard functions are locals of its own, gone after the call.
    far3::PluginStartupInfo info{};
    alignas(8) unsigned char standardFunctions[far3::At(200, 400)] = {};
    const std::size_t standardSize = sizeof standardFunctions;
    std::memcpy(standardFunctions, &standardSize, sizeof standardSize);
    info.StructSize = sizeof info;
    info.ModuleName = L"Velmora.dll";
    info.Message = &Far3Services::Message;
    info.GetMsg = &Far3Services::GetMsg;
    info.PanelControl = &Far3Services::PanelControl;
    info.SaveScreen = &Far3Services::SaveScreen;
    info.RestoreScreen = &Far3Services::RestoreScreen;
    info.FSF = standardFunctions;
    info.DialogInit = &Far3Services::DialogInit;
    info.DialogRun = &Far3Services::DialogRun;
    info.DialogFree = &Far3Services::DialogFree;
    info.SendDlgMessage = &Far3Services::SendDlgMessage;
    info.DefDlgProc = &Far3Services::DefDlgProc;
    info.Menu = &Far3Services::Menu;
    info.InputBox = &Far3Services::InputBox;
    info.Editor = &Far3Services::Editor;
    info.SettingsControl = &Far3Services::SettingsControl;
    SetStartupInfoW(&info);
    std::memset(static_cast<void*>(&info), 0xCD, sizeof info);
    std::memset(standardFunctions, 0xCD, sizeof standardFunctions);
}

void FakeFar3::PutSetting(const std::string& keyPath, const std::string& name, const std::string& text) {
    for (std::size_t end = keyPath.find('\\');; end = keyPath.find('\\', end + 1)) {
        const std::string path = keyPath.substr(0, end);
        if (std::find(subkeys_.begin(), subkeys_.end(), path) == subkeys_.end())
            subkeys_.push_back(path);
        if (end == std::string::npos)
            break;
    }
    settings[keyPath + "\\" + name] = {far3::FST_STRING, 0, WideOf(text)};
}

FakeFar3::~FakeFar3() {
    g_far = nullptr;
    SetEnvironmentVariableW(L"XDG_STATE_HOME", nullptr);
    std::error_code ignored;
    fs::remove_all(fs::path(WideOf(state_)), ignored);
}

far3::HANDLE FakeFar3::Open(const far3::GUID* entry) {
    ReadFolder();
    far3::OpenInfo open{};
    open.StructSize = sizeof open;
    open.OpenFrom = far3::OPEN_PLUGINSMENU;
    open.Guid = entry ? entry : &kMenuGuid;
    const far3::HANDLE result = OpenW(&open);
    EXPECT_EQ(settingsHandles_, 0) << "a settings handle was not freed";
    return result;
}

void FakeFar3::ReadFolder() {
    std::vector<std::wstring> keep;
    for (const Entry& entry : entries_) {
        if (entry.selected)
            keep.push_back(entry.name);
    }
    if (entries_.empty()) {
        for (const std::string& name : selection)
            keep.push_back(WideOf(name));
    }
    entries_.assign(1, Entry{L"..", FILE_ATTRIBUTE_DIRECTORY, 0, {}, {}, false, L"", false});
    const fs::path folder(WideOf(folder_));
    std::map<std::wstring, std::wstring> descriptions;
    // FAR loads descriptions only for a view that shows them.
    if (columns.find(L'Z') != std::wstring::npos) {
        for (const wchar_t* listed : {L"Descript.ion", L"Files.bbs"}) {
            std::ifstream in(folder / listed, std::ios::binary);
            if (in) {
                descriptions = ParseDescriptions(DescriptionText(
                    std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>())));
                break;
            }
        }
    }
    std::vector<std::wstring> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().wstring());
    std::sort(names.begin(), names.end());
    for (const std::wstring& name : names) {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        GetFileAttributesExW((folder / name).wstring().c_str(), GetFileExInfoStandard, &data);
        const std::uint64_t size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        const far3::FILETIME time{data.ftLastWriteTime.dwLowDateTime, data.ftLastWriteTime.dwHighDateTime};
        const far3::FILETIME created{data.ftCreationTime.dwLowDateTime, data.ftCreationTime.dwHighDateTime};
        Entry entry{name, data.dwFileAttributes, size, time, created, false, L"", false};
        const auto found = descriptions.find(Upper(name));
        if (found != descriptions.end()) {
            entry.hasDescription = true;
            entry.description = found->second;
        }
        for (const auto& [named, text] : describedElsewhere) {
            if (!entry.hasDescription && WideOf(named) == name) {
                entry.hasDescription = true;
                entry.description = WideOf(text);
            }
        }
        entry.selected = std::find(keep.begin(), keep.end(), name) != keep.end();
        entries_.push_back(entry);
    }
}

std::intptr_t FakeFar3::PutItem(const Entry& entry, void* param2) {
    const std::size_t nameBytes = (entry.name.size() + 1) * sizeof(wchar_t);
    const std::size_t descriptionBytes =
        entry.hasDescription ? (entry.description.size() + 1) * sizeof(wchar_t) : 0;
    const std::size_t needed = sizeof(far3::PluginPanelItem) + nameBytes + descriptionBytes;
    if (!param2)
        return static_cast<std::intptr_t>(needed);
    auto* request = static_cast<far3::FarGetPluginPanelItem*>(param2);
    EXPECT_EQ(request->StructSize, sizeof(far3::FarGetPluginPanelItem));
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(request->Item) % 8, 0u) << "the item buffer is not 8-aligned";
    if (request->Size < needed || !request->Item)
        return static_cast<std::intptr_t>(needed);
    auto* bytes = reinterpret_cast<unsigned char*>(request->Item);
    std::memset(bytes, 0, needed);
    far3::PluginPanelItem& item = *request->Item;
    auto* name = reinterpret_cast<wchar_t*>(bytes + sizeof(far3::PluginPanelItem));
    std::memcpy(name, entry.name.c_str(), nameBytes);
    item.FileName = name;
    if (entry.hasDescription) {
        auto* description = reinterpret_cast<wchar_t*>(bytes + sizeof(far3::PluginPanelItem) + nameBytes);
        std::memcpy(description, entry.description.c_str(), descriptionBytes);
        item.Description = description;
    }
    item.FileAttributes = entry.attributes;
    item.FileSize = entry.size;
    item.LastWriteTime = entry.writeTime;
    item.CreationTime = entry.creationTime;
    item.Flags = entry.selected ? far3::PPIF_SELECTED : 0;
    return static_cast<std::intptr_t>(needed);
}

std::intptr_t FakeFar3::Control(int command, std::intptr_t param1, void* param2) {
    std::vector<const Entry*> selected;
    for (const Entry& entry : entries_) {
        if (entry.selected)
            selected.push_back(&entry);
    }
    // With nothing selected the item under the cursor, the first entry, stands in.
    if (selected.empty() && entries_.size() > 1)
        selected.push_back(&entries_[1]);
    switch (command) {
        case far3::FCTL_GETPANELINFO: {
            auto* info = static_cast<far3::PanelInfo*>(param2);
            EXPECT_EQ(info->StructSize, sizeof(far3::PanelInfo));
            *info = far3::PanelInfo{};
            info->StructSize = sizeof *info;
            info->Flags = panelFlags;
            info->PanelType = panelType;
            info->ItemsNumber = entries_.size();
            info->SelectedItemsNumber = selected.size();
            return 1;
        }
        case far3::FCTL_GETCOLUMNTYPES: {
            const auto length = static_cast<std::intptr_t>(columns.size() + 1);
            if (param2 && param1 >= length)
                std::memcpy(param2, columns.c_str(), static_cast<std::size_t>(length) * sizeof(wchar_t));
            return length;
        }
        case far3::FCTL_GETPANELDIRECTORY: {
            const std::wstring name = WideOf(folder_);
            const std::size_t needed = sizeof(far3::FarPanelDirectory) + (name.size() + 1) * sizeof(wchar_t);
            if (!param2)
                return static_cast<std::intptr_t>(needed);
            auto* folder = static_cast<far3::FarPanelDirectory*>(param2);
            EXPECT_EQ(folder->StructSize, sizeof(far3::FarPanelDirectory));
            if (static_cast<std::size_t>(param1) < needed)
                return static_cast<std::intptr_t>(needed);
            auto* text = reinterpret_cast<wchar_t*>(folder + 1);
            std::memcpy(text, name.c_str(), (name.size() + 1) * sizeof(wchar_t));
            folder->Name = text;
            folder->Param = L"";
            folder->File = L"";
            return static_cast<std::intptr_t>(needed);
        }
        case far3::FCTL_GETPANELITEM:
            if (param1 < 0 || static_cast<std::size_t>(param1) >= entries_.size())
                return 0;
            return PutItem(entries_[static_cast<std::size_t>(param1)], param2);
        case far3::FCTL_GETSELECTEDPANELITEM:
            if (param1 < 0 || static_cast<std::size_t>(param1) >= selected.size())
                return 0;
            return PutItem(*selected[static_cast<std::size_t>(param1)], param2);
        case far3::FCTL_UPDATEPANEL:
            ReadFolder();
            return 1;
        case far3::FCTL_REDRAWPANEL:
            return 1;
        default:
            return 0;
    }
}

}  // namespace velmora::test
