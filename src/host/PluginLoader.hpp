// Where the host finds the plug-in's three entry points: in a loaded module, or linked into the
// same program (the tests).
#pragma once

#include <string>

#include "far/FarAbi.hpp"
#include "platform/HostSystem.hpp"

namespace velmora::host {

struct PluginEntryPoints {
    far::SetStartupInfoFn setStartupInfo = nullptr;
    far::GetPluginInfoFn getPluginInfo = nullptr;
    far::OpenPluginFn openPlugin = nullptr;
};

class LoadedPlugin {
public:
    // Loads the module and looks up the three exports by their plain names. False with a message
    // fit for the user when the module cannot be loaded or an export is missing.
    bool Load(const std::string& path, std::string* error);
    const PluginEntryPoints& EntryPoints() const { return entryPoints_; }

private:
    Module module_;
    PluginEntryPoints entryPoints_;
};

}  // namespace velmora::host
