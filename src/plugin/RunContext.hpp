// Everything one run of the plug-in works with, handed to it by the entry point.
#pragma once

#include <string>

#include "platform/Platform.hpp"
#include "plugin/PluginHost.hpp"

namespace velmora {

struct RunContext {
    PluginHost& host;
    FileSystem& files;
    Registry& registry;
    std::string settingsKey;  // the plug-in's options: RootKey + "\Velmora"
    std::string rootKey;      // the host's RootKey, beside which it keeps its description settings
};

}  // namespace velmora
