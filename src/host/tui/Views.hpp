// The screens the terminal UI shows, each a modal loop over a Screen.
#pragma once

#include <cstdint>
#include <string>

#include "far/FarAbi.hpp"
#include "host/UserInterface.hpp"
#include "host/tui/Screen.hpp"

namespace velmora::host::tui {

// Where F1 looks for topics.
struct HelpSource {
    std::string file;
};

// `remember`: the texts confirmed with the default button go into their history lists.
int RunDialog(Screen& screen, const HelpSource& help, int x1, int y1, int x2, int y2, const char* helpTopic,
              far::FarDialogItem* items, int count, bool remember = true);
// The same dialog kept live: each change goes to `events` at once, and the texts the plug-in sets
// in return are shown; while the plug-in has more to show, the dialog idles between keys.
int RunLiveDialog(Screen& screen, const HelpSource& help, int x1, int y1, int x2, int y2,
                  const char* helpTopic, far::FarDialogItem* items, int count, bool remember,
                  DialogEvents& events);
// A scrolling menu: the chosen line's index, or -1. A key of `breakKeys` (FAR's codes) closes it
// too: its index in *breakCode (else -1), and the line under the cursor as the result.
int RunMenu(Screen& screen, const HelpSource& help, const std::string& title, const std::string& bottom,
            const char* helpTopic, const std::vector<MenuLine>& lines, int selected,
            const std::vector<int>& breakKeys, int* breakCode);
int RunMessage(Screen& screen, const HelpSource& help, std::uint32_t flags, const char* helpTopic,
               const char* const* lines, int count, int buttons);
void RunHelp(Screen& screen, const HelpSource& help, const std::string& topic);
// The plan, before the run starts: Enter renames, Esc goes back to the dialog.
PreviewAnswer RunPreview(Screen& screen, const Plan& plan);

// Shown instead of a view that does not fit; true once it fits again, false when the user
// gave up (Esc) or the terminal went away.
bool WaitForRoom(Screen& screen, int width, int height);

}  // namespace velmora::host::tui
