// A FAR 3 for tests, in-process: it hands the plug-in its start-up record (a local that is gone
// afterwards, as FAR's is), plays the active panel over a real folder, reading the folder's
// description file as FAR 3 does, answers the dialog as the test says, keeps a settings store, and
// records every box, dialog and panel call. Its texts reach the plug-in in UTF-16 and come back
// through the system's own converters, so a conversion fault of the plug-in's shows. One at a
// time.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "far/Far3Abi.hpp"

namespace velmora::test {

// Text through the system's converters, independent of the plug-in's own.
std::wstring WideOf(const std::string& utf8);
std::string Utf8Of(const wchar_t* text);
// UTF-8 text in the OEM code page (866 on the Russian system the tests run on).
std::string OemOf(const std::string& utf8);

// A folder of the test's own below the temporary directory, names in UTF-8; removed with
// everything in it when the object goes.
class Far3Folder {
public:
    Far3Folder();
    ~Far3Folder();
    Far3Folder(const Far3Folder&) = delete;
    Far3Folder& operator=(const Far3Folder&) = delete;

    const std::string& Path() const { return path_; }
    void Write(const std::string& name, const std::string& bytes) const;
    std::string Read(const std::string& name) const;
    std::vector<std::string> Names() const;  // sorted

private:
    std::string path_;
};

struct Far3Box {
    far3::GUID id{};
    far3::UINT64 flags = 0;
    bool hasHelp = false;
    std::string help;
    std::vector<std::string> lines;
    std::intptr_t buttons = 0;
};

struct Far3ShownItem {
    int type = 0;
    std::intptr_t x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    std::intptr_t selected = 0;
    far3::UINT64 flags = 0;
    std::string history;  // "" when none
    std::string data;
};

struct Far3Dialog {
    far3::GUID plugin{};
    far3::GUID id{};
    std::intptr_t x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    std::string help;
    std::vector<Far3ShownItem> items;  // as the plug-in filled them
};

struct Far3Setting {
    int type = far3::FST_UNKNOWN;
    far3::UINT64 number = 0;
    std::wstring text;
};

class FakeFar3 {
public:
    explicit FakeFar3(std::string folder);
    ~FakeFar3();
    FakeFar3(const FakeFar3&) = delete;
    FakeFar3& operator=(const FakeFar3&) = delete;

    // F11 and the plug-in's entry: OpenW from the plug-ins menu; its result. `entry` is the menu
    // item's GUID (null: the rename).
    far3::HANDLE Open(const far3::GUID* entry = nullptr);

    // The panel. Selected names in panel order; none: the first entry is under the cursor.
    std::vector<std::string> selection;
    std::wstring columns = L"N,Z";
    // Descriptions FAR found elsewhere than in a description file, by name (UTF-8).
    std::map<std::string, std::string> describedElsewhere;
    int panelType = far3::PTYPE_FILEPANEL;
    far3::UINT64 panelFlags = far3::PFLAGS_REALNAMES;

    // The user in the dialog: changes to the items, then the item that closes it (-1: Esc).
    std::function<void(std::vector<Far3ShownItem>&)> answer;
    std::intptr_t dialogExit = 9;
    std::deque<std::intptr_t> exits;  // taken first, one a dialog, before dialogExit

    // Keys pressed in a dialog with a procedure once the answers are typed: the virtual key and
    // whether Shift is down. Each goes to the procedure as DN_CONTROLINPUT; FAR acts on those it
    // leaves alone, moving the focus in item order, and follows DM_SETFOCUS. focusPath gets the
    // focused item after each key.
    std::vector<std::pair<std::uint16_t, bool>> dialogKeys;
    std::vector<int> focusPath;

    // A dialog with a procedure: its items as the procedure left them once the answers were
    // typed and the dialog idled, one a dialog shown.
    std::vector<std::vector<Far3ShownItem>> liveViews;
    // The menus shown: each line's text and whether it is checked; Enter on the line under the
    // cursor, or Esc when menuEsc.
    struct Menu {
        std::string title;
        std::string bottom;
        std::vector<std::string> texts;
        std::vector<bool> checked;
        std::intptr_t result = -1;
        std::intptr_t cursor = -1;  // the line the plug-in put the cursor on
        std::vector<std::uint16_t> breakKeys;
    };
    std::vector<Menu> menus;
    bool menuEsc = false;
    // The user's keys in each menu before the rule above: a break key's index (-1 for Enter) on a
    // line (-1: Esc).
    std::deque<std::pair<std::intptr_t, std::intptr_t>> menuPresses;
    // The lines typed in each input box, in turn (none left: Esc), and the text each started with.
    std::deque<std::string> inputs;
    std::vector<std::string> inputBoxes;

    // FAR 3's editor: each call recorded, the file as it opened (bytes); `onEdit` plays the user on
    // the bytes and gives the editor's result (EEC_*).
    struct EditorCall {
        std::string file;  // UTF-8
        std::string title;
        far3::UINT64 flags = 0;
        std::uintptr_t codePage = 0;
        std::string bytes;
    };
    std::vector<EditorCall> editorCalls;
    std::function<std::intptr_t(std::string& bytes)> onEdit;

    // The button the user takes in a box of more than one (a question): from questionAnswers in
    // turn, then questionAnswer.
    std::intptr_t questionAnswer = 0;
    std::deque<std::intptr_t> questionAnswers;

    std::vector<Far3Box> boxes;  // boxes with buttons; progress boxes are counted
    int progressBoxes = 0;
    std::vector<Far3Dialog> dialogs;
    std::vector<std::string> calls;  // "SaveScreen", "Control(2,1)", "Dialog", "RestoreScreen", ...
    // The plug-in's values by name, those of a subkey by its path: "Presets\\Name\\velmora".
    std::map<std::string, Far3Setting> settings;
    bool settingsOpen() const { return settingsHandles_ != 0; }
    // A text value in the subkey `keyPath` ("Presets\\Name"), the subkeys made as the plug-in's
    // own writes make them.
    void PutSetting(const std::string& keyPath, const std::string& name, const std::string& text);

private:
    friend struct Far3Services;
    struct Entry {
        std::wstring name;
        std::uint32_t attributes = 0;
        std::uint64_t size = 0;
        far3::FILETIME writeTime{};
        far3::FILETIME creationTime{};
        bool hasDescription = false;
        std::wstring description;
        bool selected = false;
    };
    void ReadFolder();
    std::intptr_t Control(int command, std::intptr_t param1, void* param2);
    std::intptr_t PutItem(const Entry& entry, void* param2);

    std::string folder_;
    std::string state_;           // XDG_STATE_HOME while the host lives: the journals
    std::vector<Entry> entries_;  // ".." first
    std::vector<std::wstring> dialogTexts_;
    std::vector<Far3ShownItem> running_;
    far3::FARWINDOWPROC procedure_ = nullptr;
    int focus_ = -1;
    int closed_ = -1;  // the item the procedure closed the dialog with (DM_CLOSE)
    void* procedureData_ = nullptr;
    int settingsHandles_ = 0;
    std::vector<std::string> settingsRoots_{""};  // the key path of each root index handed out
    std::vector<std::string> subkeys_;            // the subkeys made, by path
    std::deque<std::wstring> enumTexts_;          // the names of the last listing, until SCTL_FREE
    std::vector<far3::FarSettingsName> enumNames_;
};

}  // namespace velmora::test
