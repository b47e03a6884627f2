// The terminal dialog started as the host's UserInterface.
#include "host/UserInterface.hpp"

#include <exception>

#include "host/tui/Screen.hpp"
#include "host/tui/Views.hpp"

namespace velmora::host {

namespace {

using tui::Screen;

// Curses mode starts with the first thing shown, so that whatever the host prints before (a
// failed plug-in load, a usage error) reaches the normal screen; it ends when the UI is destroyed.
class TerminalUi : public UserInterface {
public:
    explicit TerminalUi(const TerminalUiConfig& config) : config_(config) { help_.file = config.helpFile; }
    ~TerminalUi() override { screen_.Leave(); }

    // Nothing may escape into the plug-in's C frames; a failure inside the UI answers "cancel",
    // which never starts a batch.
    int Dialog(int x1, int y1, int x2, int y2, const char* helpTopic, far::FarDialogItem* items,
               int count) override {
        try {
            if (!screen_.Enter(config_.title))
                return -1;
            return tui::RunDialog(screen_, help_, x1, y1, x2, y2, helpTopic, items, count,
                                  config_.rememberHistory);
        } catch (const std::exception&) {
            return -1;
        }
    }

    int LiveDialog(int x1, int y1, int x2, int y2, const char* helpTopic, far::FarDialogItem* items,
                   int count, DialogEvents& events) override {
        try {
            if (!screen_.Enter(config_.title))
                return -1;
            return tui::RunLiveDialog(screen_, help_, x1, y1, x2, y2, helpTopic, items, count,
                                      config_.rememberHistory, events);
        } catch (const std::exception&) {
            return -1;
        }
    }

    int Menu(const std::string& title, const std::string& bottom, const char* helpTopic,
             const std::vector<MenuLine>& lines, int selected, const std::vector<int>& breakKeys,
             int* breakCode) override {
        *breakCode = -1;
        try {
            if (!screen_.Enter(config_.title))
                return -1;
            return tui::RunMenu(screen_, help_, title, bottom, helpTopic, lines, selected, breakKeys,
                                breakCode);
        } catch (const std::exception&) {
            *breakCode = -1;
            return -1;
        }
    }

    int Message(std::uint32_t flags, const char* helpTopic, const char* const* lines, int count,
                int buttons) override {
        try {
            if (!screen_.Enter(config_.title))
                return -1;
            return tui::RunMessage(screen_, help_, flags, helpTopic, lines, count, buttons);
        } catch (const std::exception&) {
            return -1;
        }
    }

    PreviewAnswer Preview(const Plan& plan) override {
        try {
            if (!screen_.Enter(config_.title))
                return PreviewAnswer::Cancel;
            return tui::RunPreview(screen_, plan);
        } catch (const std::exception&) {
            return PreviewAnswer::Cancel;
        }
    }

    int RunOutside(const std::function<int()>& run) override {
        screen_.Suspend();
        return run();
    }

    void* SaveScreen(int x1, int y1, int x2, int y2) override {
        try {
            if (!screen_.Enter(config_.title))
                return nullptr;
            return screen_.Save(x1, y1, x2, y2);
        } catch (const std::exception&) {
            return nullptr;
        }
    }

    void RestoreScreen(void* saved) override {
        if (!screen_.Active()) {
            screen_.Forget(saved);
            return;
        }
        screen_.Restore(saved);
        screen_.Update();
    }

private:
    TerminalUiConfig config_;
    tui::HelpSource help_;
    Screen screen_;
};

}  // namespace

std::unique_ptr<UserInterface> MakeTerminalUi(const TerminalUiConfig& config, std::string* error) {
    std::string reason;
    if (!Screen::Usable(&reason)) {
        if (error)
            *error = reason;
        return nullptr;
    }
    return std::make_unique<TerminalUi>(config);
}

}  // namespace velmora::host
