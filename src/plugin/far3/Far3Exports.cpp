// The four functions FAR 3 looks up by name. They keep FAR's records and hand over to the run.
#include "plugin/far3/Far3Exports.hpp"

#include <cstring>
#include <memory>
#include <string>

#include "journal/UndoFromMenu.hpp"
#include "far/HostConventions.hpp"
#include "platform/CodePage.hpp"
#include "platform/Utf16.hpp"
#include "platform/Win32Unicode.hpp"
#include "plugin/far3/Far3Guids.hpp"
#include "plugin/far3/Far3Host.hpp"
#include "plugin/far3/Far3Settings.hpp"
#include "ports/Messages.hpp"
#include "ports/RunContext.hpp"
#include "run/RenameRun.hpp"

namespace velmora {
namespace {

// FAR hands over records that are locals of its own: both are copied, and the copy of the start-up
// record points at the copy of the standard functions.
far3::PluginStartupInfo g_info{};
alignas(8) unsigned char g_standardFunctions[far3::At(200, 400)];
const wchar_t* g_menuStrings[2];

// FAR's own "Descriptions" options are out of a plug-in's reach (FAR keeps them under a private
// root of its settings): its defaults stand in, which are also those of a fresh FAR 3.
constexpr char kFarListNames[] = "Descript.ion,Files.bbs";

// The folder of the plug-in module, in UTF-8 with its separator: ModuleName is its full path.
std::string ModuleDirectory() {
    if (!g_info.ModuleName)
        return std::string();
    const std::wstring module = g_info.ModuleName;
    const std::size_t slash = module.find_last_of(L"\\/");
    if (slash == std::wstring::npos)
        return std::string();
    std::string directory;
    AppendUtf8(directory, module.data(), slash + 1);
    return directory;
}

}  // namespace
}  // namespace velmora

using namespace velmora;

extern "C" void VELMORA_FAR3_API GetGlobalInfoW(far3::GlobalInfo* info) {
    // FAR has set StructSize; the records measured were those of build 6727.
    info->MinFarVersion = far3::VersionInfo{3, 0, 0, 6727, 0};
    info->Version =
        far3::VersionInfo{VELMORA_VERSION_MAJOR, VELMORA_VERSION_MINOR, VELMORA_VERSION_PATCH, 0, 0};
    info->Guid = kPluginGuid;
    info->Title = L"Velmora";
    info->Description = L"Batch rename that keeps file descriptions";
    info->Author = L"Velmora developers";
}

extern "C" void VELMORA_FAR3_API SetStartupInfoW(const far3::PluginStartupInfo* info) {
    g_info = far3::PluginStartupInfo{};
    const std::size_t size = info->StructSize < sizeof g_info ? info->StructSize : sizeof g_info;
    std::memcpy(static_cast<void*>(&g_info), info, size);
    std::memset(g_standardFunctions, 0, sizeof g_standardFunctions);
    if (info->FSF) {
        std::size_t fsfSize = *static_cast<const std::size_t*>(info->FSF);
        if (fsfSize > sizeof g_standardFunctions)
            fsfSize = sizeof g_standardFunctions;
        std::memcpy(g_standardFunctions, info->FSF, fsfSize);
        g_info.FSF = g_standardFunctions;
    }
}

extern "C" void VELMORA_FAR3_API GetPluginInfoW(far3::PluginInfo* info) {
    // FAR has set StructSize. Asked for on every call, so the entry follows FAR's language.
    info->Flags = 0;
    g_menuStrings[0] = g_info.GetMsg ? g_info.GetMsg(&kPluginGuid, MMenuEntry) : L"Velmora";
    g_menuStrings[1] = g_info.GetMsg ? g_info.GetMsg(&kPluginGuid, MUndoMenuEntry) : L"Velmora: undo";
    info->DiskMenu = far3::PluginMenuItem{nullptr, nullptr, 0};
    info->PluginMenu = far3::PluginMenuItem{kMenuGuids, g_menuStrings, 2};
    info->PluginConfig = far3::PluginMenuItem{nullptr, nullptr, 0};
    info->CommandPrefix = nullptr;
}

extern "C" far3::HANDLE VELMORA_FAR3_API OpenW(const far3::OpenInfo* info) {
    Far3Host host(g_info);
    std::string directory;
    // Names are the panel's own, relative to its folder; without one there is nothing to rename.
    if (!host.PanelDirectory(&directory))
        return nullptr;
    const std::unique_ptr<FileSystem> files = MakeWideFileSystem(directory);
    Far3Settings settings(g_info);
    // FAR 3 reads a description file without a mark in the OEM code page (its AnsiByDefault off).
    const std::unique_ptr<CodePage> oem = OpenCodePage(SystemOemCodePage());
    RunContext context{host, *files, settings, "", "", HostText::Unicode, kFarListNames, oem.get()};
    context.hideNewDescriptionFile = true;
    context.journalFallback = far::JournalFallbackRoot(ModuleDirectory());
    host.SetRunContext(&context);
    // Whatever the run or the undo came to, the user has seen it in its boxes. No panel is opened.
    if (info && info->Guid && std::memcmp(info->Guid, &kUndoMenuGuid, sizeof kUndoMenuGuid) == 0)
        (void)UndoFromMenu(context);
    else
        (void)RunFromMenu(context);
    return nullptr;
}
