// The host as one run of the plug-in uses it: texts, boxes, the active panel, the rename dialog
// and the screen. Each host interface has its adapter (FAR 1.x and far2l records in
// HostServices; FAR 3 in plugin/far3/); the run and the description rewrite know only this.
// Text is in the host's byte encoding: OEM on FAR 1.x, UTF-8 on far2l and FAR 3.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "naming/HostText.hpp"
#include "settings/Settings.hpp"

namespace velmora {

// One panel entry as the run reads it. The views stay valid until the adapter is asked for
// another item or reads the panel again.
struct PanelItemText {
    std::string_view name;
    const char* description = nullptr;  // null when the item has none
    // As the panel lists the file: by these the undo journal knows it again.
    std::uint64_t size = 0;
    std::uint64_t writeTime = 0;  // FILETIME ticks (100 ns since 1601)
    // As the panel gives it (on POSIX hosts the status change time); FILETIME ticks.
    std::uint64_t creationTime = 0;
};

// One line of a host's menu; a checked line carries the host's mark.
struct ListLine {
    std::string text;
    bool checked = false;
};

// What ShowList gives when the host shows no menus.
constexpr int kNoList = -2;

class PluginHost {
public:
    virtual ~PluginHost() = default;

    // The host's text for a message number ("" when the host has none).
    virtual const char* GetText(int id) const = 0;
    // A warning box whose last line is its one button; the button's index, or -1.
    virtual int ShowWarning(const char* helpTopic, std::initializer_list<const char*> lines) const = 0;
    // A box of any number of lines whose last `buttons` lines are its buttons; a warning box when
    // `warning`. The button's index, or -1 when the box was closed without one.
    virtual int ShowBox(const char* helpTopic, const std::vector<const char*>& lines, int buttons,
                        bool warning) const = 0;
    // A box without buttons that stays on screen while the work goes on.
    virtual void ShowProgress(const char* title, const char* line) const = 0;
    // The host's menu of lines, the cursor on `selected`: the chosen line's index, -1 when it was
    // closed without one, kNoList when the host has no menu to show.
    virtual int ShowList(const char* helpTopic, const char* title, const char* bottom,
                         const std::vector<ListLine>& lines, int selected) const {
        (void)helpTopic, (void)title, (void)bottom, (void)lines, (void)selected;
        return kNoList;
    }

    // Keeps the screen as it is, and puts it back, around everything a run shows.
    virtual void SaveScreen() = 0;
    virtual void RestoreScreen() = 0;

    // Reads the active panel; false when the host gives none to work on. The answers below are
    // about the panel last read.
    virtual bool ReadPanel() = 0;
    // Whether the panel shows a descriptions column.
    virtual bool ShowsDescriptions() const = 0;
    // The selection (the item under the cursor when nothing is selected), in panel order.
    virtual std::size_t SelectedCount() const = 0;
    virtual PanelItemText SelectedItem(std::size_t index) = 0;
    // Every item of the panel.
    virtual std::size_t ItemCount() const = 0;
    virtual PanelItemText Item(std::size_t index) = 0;
    // The folder the panel shows, as the host names it; false when it names none (a plug-in's
    // panel, say).
    virtual bool PanelDirectory(std::string* directory) = 0;
    // Has the host read the folder again, keeping the selection, and redraw the panel.
    virtual void UpdatePanel() = 0;

    // Shows the rename dialog filled with the options; the switch for descriptions is offered
    // only when they are shown. After OK the answers are in `options`, *save says whether this
    // run rewrites the description file, and the result is true.
    virtual bool AskOptions(RenameOptions& options, bool descriptionsShown, bool* save) = 0;
    // After OK: the new names the user wrote in the host's editor, one for each selected item;
    // empty when the template makes them.
    virtual std::vector<std::string> TakeEditedNames() { return {}; }
};

}  // namespace velmora
