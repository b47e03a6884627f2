#include "plugin/HostServices.hpp"

#include <cstring>
#include <vector>

#include "plugin/RunContext.hpp"

namespace velmora {
namespace {

far::PluginStartupInfo g_info{};
std::string g_settingsKeyPath;

}  // namespace

void SetHostServices(const far::PluginStartupInfo* info) {
    g_info = far::PluginStartupInfo{};
    // The host's record is temporary and may be shorter than ours past the kept part.
    std::memcpy(static_cast<void*>(&g_info), info, far::kKeptStartupBytes);
    g_settingsKeyPath = HostRootKey();
    g_settingsKeyPath += "\\Velmora";
}

const far::PluginStartupInfo& HostServices() {
    return g_info;
}

const char* HostRootKey() {
    return g_info.RootKey ? g_info.RootKey : "";
}

const std::string& SettingsKeyPath() {
    return g_settingsKeyPath;
}

const char* HostApi::GetText(int id) const {
    if (!info_->GetMsg) {
        return "";
    }
    const char* text = info_->GetMsg(info_->ModuleNumber, id);
    return text ? text : "";
}

int HostApi::ShowWarning(const char* helpTopic, std::initializer_list<const char*> lines) const {
    std::vector<const char*> items(lines.begin(), lines.end());
    return info_->Message(info_->ModuleNumber, far::FMSG_WARNING, helpTopic, items.data(),
                          static_cast<int>(items.size()), 1);
}

void HostApi::ShowProgress(const char* title, const char* line) const {
    const char* lines[] = {title, line};
    info_->Message(info_->ModuleNumber, 0, nullptr, lines, 2, 0);
}

int HostApi::Dialog(int x1, int y1, int x2, int y2, const char* helpTopic, far::FarDialogItem* items,
                    int count) const {
    return info_->Dialog(info_->ModuleNumber, x1, y1, x2, y2, helpTopic, items, count);
}

int HostApi::ControlPanel(int command, void* param) const {
    return info_->Control(far::kInvalidHandle, command, param);
}

far::HANDLE HostApi::SaveScreen() const {
    return info_->SaveScreen(0, 0, -1, -1);
}

void HostApi::RestoreScreen(far::HANDLE screen) const {
    info_->RestoreScreen(screen);
}

const char* GetText(int id) {
    return HostApi(g_info).GetText(id);
}

RunContext MakeRunContext() {
    return RunContext{HostApi(g_info), Files(), Settings(), g_settingsKeyPath, HostRootKey()};
}

}  // namespace velmora
