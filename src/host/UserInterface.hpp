// How the velmora host shows what the plug-in asks for: scripted (answers from the command line,
// boxes to stderr) or in the terminal.
#pragma once

#include <cstdint>

#include "far/FarAbi.hpp"

namespace velmora {
struct Plan;
}  // namespace velmora

namespace velmora::host {

using velmora::Plan;

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
    virtual void* SaveScreen(int x1, int y1, int x2, int y2) = 0;
    virtual void RestoreScreen(void* screen) = 0;
    // Shows what the run will do before it starts (where the interface can): old -> new, the
    // names that clash, where it stops.
    virtual PreviewAnswer Preview(const Plan& plan) {
        (void)plan;
        return PreviewAnswer::Rename;
    }
};

}  // namespace velmora::host
