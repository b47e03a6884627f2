#include "plugin/HostServices.hpp"

#include <cstring>
#include <vector>

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

const char* GetText(int id) {
    if (!g_info.GetMsg) {
        return "";
    }
    const char* text = g_info.GetMsg(g_info.ModuleNumber, id);
    return text ? text : "";
}

int ShowWarning(const char* helpTopic, std::initializer_list<const char*> lines) {
    std::vector<const char*> items(lines.begin(), lines.end());
    return g_info.Message(g_info.ModuleNumber, far::FMSG_WARNING, helpTopic, items.data(),
                          static_cast<int>(items.size()), 1);
}

int ControlPanel(int command, void* param) {
    return g_info.Control(far::kInvalidHandle, command, param);
}

}  // namespace velmora
