// The plug-in's copy of the host's start-up record and the texts it resolves through the host.
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

// Keeps the part of the host's record the plug-in uses and builds the settings key path.
void SetHostServices(const far::PluginStartupInfo* info);
const far::PluginStartupInfo& HostServices();
// The host's RootKey ("" when the host gave none).
const char* HostRootKey();
// RootKey followed by "\Velmora".
const std::string& SettingsKeyPath();

// The host's text for a message number ("" when the host has none).
const char* GetText(int id);

// A warning box (FMSG_WARNING) whose last line is its one button.
int ShowWarning(const char* helpTopic, std::initializer_list<const char*> lines);

// Control on the active panel.
int ControlPanel(int command, void* param);

}  // namespace velmora
