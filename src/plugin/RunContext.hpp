// Everything one run of the plug-in works with, handed to it by the entry point.
#pragma once

#include <string>

#include "platform/Platform.hpp"
#include "plugin/HostServices.hpp"

namespace velmora {

struct RunContext {
    HostApi host;
    FileSystem& files;
    Registry& registry;
    std::string settingsKey;  // the plug-in's options: RootKey + "\Velmora"
    std::string rootKey;      // the host's RootKey, beside which it keeps its description settings
};

// The context for a run in the host that called SetStartupInfo, with the system's file system
// and registry (or those a test installed in their place).
RunContext MakeRunContext();

}  // namespace velmora
