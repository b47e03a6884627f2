// The user interface of --yes and --cancel: the dialog is answered without being shown, boxes
// with buttons become one line on the error stream, and the progress boxes one progress line:
// done/total, files per second and the time left.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>

#include "host/Options.hpp"
#include "host/UserInterface.hpp"
#include "platform/Platform.hpp"

namespace velmora::host {

// The progress line for `done` of `total` files after `elapsedMs` milliseconds.
std::string ProgressText(std::size_t done, std::size_t total, std::uint64_t elapsedMs);

// The place in the batch (from 1) of the file a progress box is for, read from the box's line
// through the language's progress text ("%#. %F"): the number where the text has "%#" after
// nothing but plain text. 0 when the text has no such "%#" or the line does not follow it.
std::size_t ProgressPlace(std::string_view progressText, std::string_view line);

class ScriptedUi : public UserInterface {
public:
    // `showProgress`: the error stream is a terminal, so the progress line may be drawn on it;
    // `total`: the files of the batch; `progressText`: the language's text of the progress box's
    // line; `clock`: null for the system's.
    ScriptedUi(DialogAnswer answer, std::ostream& err, bool showProgress, std::size_t total = 0,
               std::string progressText = std::string(), Clock* clock = nullptr);
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
    std::size_t total_;
    std::string progressText_;
    Clock& clock_;
    bool progressShown_ = false;
    bool warnedSinceDialog_ = false;  // a warning box came after the dialog was answered
    std::size_t boxes_ = 0;  // progress boxes so far
    std::uint64_t start_ = 0;
    std::uint64_t lastProgress_ = 0;
};

// The text of a box without its title and buttons, joined by ": ".
std::string BoxText(const char* const* lines, int count, int buttons);

}  // namespace velmora::host
