// The plug-in's copy of the host's start-up record, and the host's services as a run uses them.
#pragma once

#include <initializer_list>
#include <string>

#include "far/FarAbi.hpp"

namespace velmora {

// Numbers of the texts in the language files; the .lng files follow this order line by line.
enum MessageId : int {
    MMenuEntry = 0,
    MTemplateLabel = 1,
    MSaveDescriptions = 2,
    MStartNumberLabel = 3,
    MWithoutZero = 4,
    MOk = 5,
    MCancel = 6,
    MTitle = 7,
    MProgress = 8,
    MWarningTitle = 9,
    MFileExists = 10,
    MUnused = 11,
    MCannotRename = 12,
    MCannotCreateTemp = 13,
    MCannotWriteTemp = 14,
    MCannotReplaceDescriptions = 15,
    MRenameTo = 16,
    MWarningButton = 17,
    MessageCount = 18,
};

// What SetStartupInfo keeps for the plug-in's lifetime: the part of the host's record the
// plug-in uses, and the settings key path built from its RootKey. This is the plug-in's only
// module-level state; everything a run needs is handed to the run.
void SetHostServices(const far::PluginStartupInfo* info);
const far::PluginStartupInfo& HostServices();
// The host's RootKey ("" when the host gave none).
const char* HostRootKey();
// RootKey followed by "\Velmora".
const std::string& SettingsKeyPath();

// The host's services for one run, through the host's record.
class HostApi {
public:
    explicit HostApi(const far::PluginStartupInfo& info) : info_(&info) {}

    // The host's text for a message number ("" when the host has none).
    const char* GetText(int id) const;
    // A warning box (FMSG_WARNING) whose last line is its one button.
    int ShowWarning(const char* helpTopic, std::initializer_list<const char*> lines) const;
    // A box without buttons that stays on screen while the work goes on.
    void ShowProgress(const char* title, const char* line) const;
    int Dialog(int x1, int y1, int x2, int y2, const char* helpTopic, far::FarDialogItem* items, int count) const;
    // Control on the active panel.
    int ControlPanel(int command, void* param) const;
    far::HANDLE SaveScreen() const;
    void RestoreScreen(far::HANDLE screen) const;

private:
    const far::PluginStartupInfo* info_;
};

// GetText through the record SetStartupInfo kept (for the menu entry, asked outside any run).
const char* GetText(int id);

}  // namespace velmora
