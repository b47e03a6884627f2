// The three functions the host looks up by name. They only hand over to the plug-in's code.
#include "plugin/Exports.hpp"

#include "far/FarAbi.hpp"
#include "plugin/HostServices.hpp"
#include "ports/RunContext.hpp"
#include "rename/RenameRun.hpp"

namespace {
const char* g_menuStrings[1];
}

VELMORA_EXPORT void VELMORA_WINAPI SetStartupInfo(const far::PluginStartupInfo* info) {
    velmora::SetHostServices(info);
}

VELMORA_EXPORT void VELMORA_WINAPI GetPluginInfo(far::PluginInfo* info) {
    info->StructSize = far::kPluginInfoStructSize;
    info->Flags = 0;
    info->DiskMenuStringsNumber = 0;
    // Asked for on every call, so the entry follows the host's current language.
    g_menuStrings[0] = velmora::GetText(velmora::MMenuEntry);
    info->PluginMenuStrings = g_menuStrings;
    info->PluginMenuStringsNumber = 1;
    info->PluginConfigStringsNumber = 0;
}

VELMORA_EXPORT far::HANDLE VELMORA_WINAPI OpenPlugin(int /*openFrom*/, far::INT_PTR /*item*/) {
    velmora::HostApi host(velmora::HostServices());
    // Whatever the run came to, the user has seen it in its boxes.
    (void)velmora::RunFromMenu(velmora::MakeRunContext(host));
    return far::kInvalidHandle;
}
