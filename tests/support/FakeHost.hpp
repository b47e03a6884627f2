// A host for module tests: installs its own service record with SetHostServices, records every
// box and panel command, answers FCTL_GETPANELINFO with items the test prepares (all of them
// selected), and leaves the rename dialog with OK and a template the test gives.
// One FakeHost at a time; the services are restored to "no host" when it goes away.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "far/FarAbi.hpp"
#include "platform/Platform.hpp"
#include "plugin/HostServices.hpp"
#include "ports/RunContext.hpp"

namespace velmora::test {

struct RecordedBox {
    far::DWORD flags = 0;
    bool hasHelpTopic = false;  // false for a null help topic
    std::string helpTopic;
    std::vector<std::string> lines;
    int buttons = 0;
};

struct RecordedControl {
    int command = 0;
    std::intptr_t param = 0;  // the parameter as an integer; 2 stands for "a pointer"
    bool operator==(const RecordedControl& other) const {
        return command == other.command && param == other.param;
    }
};

// The user selects radio button `index` as FAR lets them: the radio buttons next to it, up to an
// item of another kind on either side, are its group, and every other one of them is cleared.
void SelectRadioButton(far::FarDialogItem* items, int count, int index);

// A menu the plug-in showed: its lines, the line it put the cursor on, its break keys.
struct RecordedMenu {
    std::string title;
    std::string bottom;
    std::string helpTopic;
    std::vector<std::string> lines;
    std::vector<bool> checked;
    int selected = -1;  // the line under the cursor
    std::vector<int> breakKeys;
};

// What the user does in a menu: a break key (its index in the menu's list, -1 for Enter) on a line
// (-1: Esc).
struct MenuPress {
    int breakCode = -1;
    int line = -1;
};

class FakeHost {
public:
    explicit FakeHost(std::string rootKey = "Software\\Far\\Plugins");
    ~FakeHost();
    FakeHost(const FakeHost&) = delete;
    FakeHost& operator=(const FakeHost&) = delete;

    // The text GetMsg gives for a message number: "#<id>"; for the progress line, the language
    // files' own text.
    static std::string Text(int id);

    // A run's context with this host's services and the given file system, registry and clock.
    RunContext Context(FileSystem& files, Registry& registry, Clock& clock = MonotonicClock()) const;

    // Appends an item to the panel that GETPANELINFO reports; a null description stays null. The
    // file's size, write and creation times (FILETIME ticks) are listed as this build's host
    // lists them (far2l: whole milliseconds).
    void AddItem(const std::string& name, const char* description, std::uint64_t size = 0,
                 std::uint64_t writeTime = 0, std::uint64_t creationTime = 0);
    void ClearItems();

    std::vector<RecordedBox> boxes;
    std::vector<RecordedControl> controls;
    int textsAsked = 0;                   // GetMsg calls
    int panelInfoResult = 1;              // what GETPANELINFO returns
    std::function<void()> onUpdatePanel;  // runs on FCTL_UPDATEPANEL, before it returns
    std::string dialogTemplate;           // OK with this template; empty: Esc
    bool dialogDescriptions = false;      // the dialog's "update descriptions" answer
    std::string directory;                // the panel's folder (CurDir)

    // The dialog closes with these items first, one a showing, before it closes as dialogTemplate
    // says; `shownDialogs` gets its items as the plug-in filled them, each time it is shown.
    std::deque<int> dialogExits;
    std::vector<std::vector<far::FarDialogItem>> shownDialogs;
    // Input boxes (InputBox, as FAR 1.x and far2l offer it): the lines typed in each, in turn (none
    // left: Esc).
    std::deque<std::string> inputs;
    std::vector<std::string> inputBoxes;  // the text each input box started with
    // The button taken in each box with more than one (a question), in turn; none left: the first.
    std::deque<int> questionAnswers;

    // DialogEx, SendDlgMessage and DefDlgProc, as FAR 1.71 and far2l offer them: the dialog then
    // runs with the plug-in's procedure. The keys in dialogKeys (FAR 1.x's codes, as DN_KEY gives
    // them) go to it one by one before the dialog closes; the host acts on those it leaves alone
    // as FAR does, moving the focus in item order, and follows DM_SETFOCUS. focusPath gets the
    // focused item after each key.
    void OfferDialogProcedure();
    std::vector<int> dialogKeys;
    std::vector<int> focusPath;
    // The results the dialog closes with before it closes with OK (or Esc), one a showing; a key
    // that makes the procedure close the dialog (DM_CLOSE) ends that showing with its item.
    std::deque<int> dialogResults;
    // The buttons the boxes with buttons are answered with, in turn; then the first.
    std::deque<int> boxAnswers;

    // The editor service, as FAR 1.x and far2l offer it. Each call is recorded; `onEdit` plays the
    // user on the file (its bytes in and out) and gives the editor's result (EEC_*).
    struct EditorCall {
        std::string file;
        std::string title;
        int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
        far::DWORD flags = 0;
        int startLine = 0, startChar = 0;
        std::string text;  // the file as the editor opened it
    };
    void OfferEditor();
    std::vector<EditorCall> editorCalls;
    std::function<int(std::string& text)> onEdit;

    // The Menu service, as FAR 1.71 and far2l offer it: each menu is recorded, and the user
    // presses the next of menuPresses (a break key on a line), else chooses the next of
    // menuChoices (-1: Esc), else the line under the cursor.
    void OfferMenu();
    std::vector<RecordedMenu> menus;
    std::deque<MenuPress> menuPresses;
    std::deque<int> menuChoices;

private:
    friend struct FakeHostServices;
    std::string rootKey_;
    far::PluginStartupInfo info_{};
    mutable HostApi api_{info_};  // the adapter every context of this host runs through
    std::vector<far::PluginPanelItem> items_;
    std::deque<std::string> descriptions_;   // stable storage for the items' description pointers
    far::FarDialogItem* running_ = nullptr;  // the dialog with a procedure being shown
    int runningCount_ = 0;
    int focus_ = -1;
    int closed_ = -1;  // the item the procedure closed the dialog with
};

}  // namespace velmora::test
