#include "host/PluginLoader.hpp"

namespace velmora::host {

bool LoadedPlugin::Load(const std::string& path, std::string* error) {
    std::string reason;
    if (!module_.Load(path, &reason)) {
        *error = "cannot load the plug-in " + path + ": " + reason;
        return false;
    }
    struct Export {
        const char* name;
        void* address;
    };
    Export exports[] = {{"SetStartupInfo", module_.Symbol("SetStartupInfo")},
                        {"GetPluginInfo", module_.Symbol("GetPluginInfo")},
                        {"OpenPlugin", module_.Symbol("OpenPlugin")}};
    for (const Export& entry : exports) {
        if (!entry.address) {
            *error = "the plug-in " + path + " does not export " + entry.name;
            return false;
        }
    }
    // A data pointer from the loader turned into a function pointer, as dlsym/GetProcAddress
    // callers must.
    entryPoints_.setStartupInfo = reinterpret_cast<far::SetStartupInfoFn>(exports[0].address);
    entryPoints_.getPluginInfo = reinterpret_cast<far::GetPluginInfoFn>(exports[1].address);
    entryPoints_.openPlugin = reinterpret_cast<far::OpenPluginFn>(exports[2].address);
    return true;
}

}  // namespace velmora::host
