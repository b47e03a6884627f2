// The three functions the host looks up by name. They only hand over to the plug-in's code.
#include "plugin/Exports.hpp"

#include "journal/UndoFromMenu.hpp"
#include "far/FarAbi.hpp"
#include "far/HostConventions.hpp"
#include "plugin/HostServices.hpp"
#include "ports/RunContext.hpp"
#include "run/RenameRun.hpp"

namespace {
const char* g_menuStrings[2];
}

VELMORA_EXPORT void VELMORA_WINAPI SetStartupInfo(const far::PluginStartupInfo* info) {
    velmora::SetHostServices(info);
}

VELMORA_EXPORT void VELMORA_WINAPI GetPluginInfo(far::PluginInfo* info) {
    info->StructSize = far::kPluginInfoStructSize;
    info->Flags = 0;
    info->DiskMenuStringsNumber = 0;
    // Asked for on every call, so the entry follows the host's current language.
    g_menuStrings[far::kMenuRename] = velmora::GetText(velmora::MMenuEntry);
    g_menuStrings[far::kMenuUndo] = velmora::GetText(velmora::MUndoMenuEntry);
    info->PluginMenuStrings = g_menuStrings;
    info->PluginMenuStringsNumber = 2;
    info->PluginConfigStringsNumber = 0;
}

VELMORA_EXPORT far::HANDLE VELMORA_WINAPI OpenPlugin(int /*openFrom*/, far::INT_PTR item) {
    velmora::HostApi host(velmora::HostServices());
    // Whatever the run or the undo came to, the user has seen it in its boxes.
    if (item == far::kMenuUndo)
        (void)velmora::UndoFromMenu(velmora::MakeRunContext(host));
    else
        (void)velmora::RunFromMenu(velmora::MakeRunContext(host));
    return far::kInvalidHandle;
}
