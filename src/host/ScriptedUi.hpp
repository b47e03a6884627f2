// The user interface of --yes and --cancel: the dialog is answered without being shown, boxes
// with buttons become one line on the error stream, progress boxes an overwritten status line.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>

#include "host/Options.hpp"
#include "host/UserInterface.hpp"

namespace velmora::host {

class ScriptedUi : public UserInterface {
public:
    // `showProgress`: the error stream is a terminal, so progress boxes may be drawn on it.
    ScriptedUi(DialogAnswer answer, std::ostream& err, bool showProgress);
    ~ScriptedUi() override;

    int Dialog(int x1, int y1, int x2, int y2, const char* helpTopic, far::FarDialogItem* items,
               int count) override;
    int Message(std::uint32_t flags, const char* helpTopic, const char* const* lines, int count,
                int buttons) override;
    void* SaveScreen(int x1, int y1, int x2, int y2) override;
    void RestoreScreen(void* screen) override;

    // Clears the progress line, if one is on screen.
    void Finish();

private:
    DialogAnswer answer_;
    std::ostream& err_;
    bool showProgress_;
    bool progressShown_ = false;
    std::uint64_t lastProgress_ = 0;
};

// The text of a box without its title and buttons, joined by ": ".
std::string BoxText(const char* const* lines, int count, int buttons);

}  // namespace velmora::host
