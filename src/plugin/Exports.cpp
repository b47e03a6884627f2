// The three functions the host looks up by name. They only hand over to the plug-in's code.
#include "plugin/Exports.hpp"

#include "far/FarAbi.hpp"
#include "plugin/HostServices.hpp"
#include "plugin/RunContext.hpp"
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
    const velmora::RunContext context = velmora::MakeRunContext();
    far::HANDLE screen = context.host.SaveScreen();
    // Whatever the run came to, the user has seen it in its boxes; the panel is refreshed in any
    // case, since even a stopped run may have renamed files.
    const velmora::RunReport report = velmora::RunRename(context);
    (void)report;
    context.host.RestoreScreen(screen);
    context.host.ControlPanel(far::FCTL_UPDATEPANEL, reinterpret_cast<void*>(1));
    context.host.ControlPanel(far::FCTL_REDRAWPANEL, nullptr);
    return far::kInvalidHandle;
}
