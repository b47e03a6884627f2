// How the velmora host shows what the plug-in asks for: scripted (answers from the command line,
// boxes to stderr) or in the terminal.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "far/FarAbi.hpp"

namespace velmora {
struct Plan;
}  // namespace velmora

namespace velmora::host {

using velmora::Plan;

// A dialog with a procedure, as the interface showing it reports to the plug-in.
class DialogEvents {
public:
    virtual ~DialogEvents() = default;
    // The user changed the item: its new text or check state is in the items.
    virtual void Changed(int item) = 0;
    // Nothing typed for a while; true when the plug-in changed the dialog.
    virtual bool Idle() = 0;
    // A key for the focused item before the dialog acts on it, in FAR 1.x's numbering: true when
    // the plug-in took it, and the dialog leaves it alone.
    virtual bool Key(int item, int key) {
        (void)item, (void)key;
        return false;
    }
    // The item the plug-in moved the focus to since the last call, or -1.
    virtual int TakeFocus() { return -1; }
    // The item the plug-in closed the dialog with (DM_CLOSE) since the last call, or -1.
    virtual int TakeClose() { return -1; }
};

// One line of a host menu.
struct MenuLine {
    std::string text;
    bool checked = false;
    bool separator = false;
};

enum class PreviewAnswer {
    Rename,  // go ahead
    Back,    // back to the dialog
    Cancel,  // give up: nothing is renamed
};

class UserInterface {
public:
    virtual ~UserInterface() = default;
    // Shows a dialog; edit texts and check states are written back into items. Returns the index
    // of the item that closed it, or -1. x1/y1 of -1 centre the dialog with x2/y2 as its size.
    virtual int Dialog(int x1, int y1, int x2, int y2, const char* helpTopic, far::FarDialogItem* items,
                       int count) = 0;
    // Shows a box: lines[0] is the title, the last `buttons` lines are buttons. With buttons it
    // waits and returns the button's index (or -1); without, it returns at once and the box stays.
    virtual int Message(std::uint32_t flags, const char* helpTopic, const char* const* lines, int count,
                        int buttons) = 0;
    // The same dialog kept live: every change is reported to `events` as it is made, and the
    // items the plug-in changes in return are shown. Without a live view, a plain dialog.
    virtual int LiveDialog(int x1, int y1, int x2, int y2, const char* helpTopic, far::FarDialogItem* items,
                           int count, DialogEvents& events) {
        (void)events;
        return Dialog(x1, y1, x2, y2, helpTopic, items, count);
    }
    // A menu of lines, the cursor on `selected`: the chosen line's index, or -1 (Esc). A key of
    // `breakKeys` (FAR's codes: the virtual key in the low word, no modifiers) closes it too, with
    // its index in *breakCode and the line under the cursor (-1 when there is none); else
    // *breakCode is -1.
    virtual int Menu(const std::string& title, const std::string& bottom, const char* helpTopic,
                     const std::vector<MenuLine>& lines, int selected, const std::vector<int>& breakKeys,
                     int* breakCode) {
        (void)title, (void)bottom, (void)helpTopic, (void)lines, (void)selected, (void)breakKeys;
        *breakCode = -1;
        return -1;
    }
    // Runs another program that takes the terminal (the user's editor), the interface out of
    // its way meanwhile; what `run` returns.
    virtual int RunOutside(const std::function<int()>& run) { return run(); }
    virtual void* SaveScreen(int x1, int y1, int x2, int y2) = 0;
    virtual void RestoreScreen(void* screen) = 0;
    // Shows what the run will do before it starts (where the interface can): old -> new, the
    // names that clash, where it stops.
    virtual PreviewAnswer Preview(const Plan& plan) {
        (void)plan;
        return PreviewAnswer::Rename;
    }
};

struct TerminalUiConfig {
    // The .hlf file beside the plug-in, chosen by language; F1 shows topics from it.
    std::string helpFile;
    // Shown on the terminal's title line while the UI is up (may be empty).
    std::string title;
    // Confirmed texts go into the dialog's history lists (not for a plan, which keeps nothing).
    bool rememberHistory = true;
};

// Starts the terminal UI (tui/, in builds with a terminal dialog) on stdin/stdout. Returns null when the
// terminal cannot be driven (error set to a message fit for the user); the terminal is left as it was then.
std::unique_ptr<UserInterface> MakeTerminalUi(const TerminalUiConfig& config, std::string* error = nullptr);

}  // namespace velmora::host
