// The user interface of --yes and --cancel: the dialog is answered without being shown, boxes
// with buttons become one line on the error stream, and the progress boxes (one a file) one
// progress line: done/total, files per second and the time left.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>

#include "host/Options.hpp"
#include "host/UserInterface.hpp"

namespace velmora::host {

// The progress line for `done` of `total` files after `elapsedMs` milliseconds.
std::string ProgressText(std::size_t done, std::size_t total, std::uint64_t elapsedMs);

class ScriptedUi : public UserInterface {
public:
    using Clock = std::uint64_t (*)();
    // `showProgress`: the error stream is a terminal, so the progress line may be drawn on it;
    // `total`: the files of the batch; `clock`: milliseconds, monotonic.
    ScriptedUi(DialogAnswer answer, std::ostream& err, bool showProgress, std::size_t total = 0,
               Clock clock = nullptr);
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
    Clock clock_;
    bool progressShown_ = false;
    std::size_t started_ = 0;  // progress boxes so far: one a file the run has started on
    std::uint64_t start_ = 0;
    std::uint64_t lastProgress_ = 0;
};

// The text of a box without its title and buttons, joined by ": ".
std::string BoxText(const char* const* lines, int count, int buttons);

}  // namespace velmora::host
