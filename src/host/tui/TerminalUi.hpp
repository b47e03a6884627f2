// The velmora host's interactive face: the plug-in's dialog, message boxes and help drawn with
// ncurses on the terminal the host runs in.
#pragma once

#include <memory>
#include <string>

#include "host/UserInterface.hpp"

namespace velmora::host {

struct TerminalUiConfig {
    // The .hlf file beside the plug-in, chosen by language; F1 shows topics from it.
    std::string helpFile;
    // Shown on the terminal's title line while the UI is up (may be empty).
    std::string title;
    // Confirmed texts go into the dialog's history lists (not for a plan, which keeps nothing).
    bool rememberHistory = true;
};

// Starts the terminal UI on stdin/stdout. Returns null when the terminal cannot be driven
// (error set to a message fit for the user); the terminal is left as it was then.
std::unique_ptr<UserInterface> MakeTerminalUi(const TerminalUiConfig& config, std::string* error = nullptr);

}  // namespace velmora::host
