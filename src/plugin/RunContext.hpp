// Everything one run of the plug-in works with, handed to it by the entry point.
#pragma once

#include <string>

#include "platform/Platform.hpp"
#include "plugin/PluginHost.hpp"

namespace velmora {

class CodePageEncoder;

struct RunContext {
    PluginHost& host;
    FileSystem& files;
    Registry& registry;
    std::string settingsKey;  // the plug-in's options: RootKey + "\Velmora"
    std::string rootKey;      // the host's RootKey, beside which it keeps its description settings
    HostText text = HostText::Oem;
    // The host's list of description file names when the plug-in cannot read the host's own
    // setting (FAR 3); null: read from the registry beside the root key.
    const char* listNames = nullptr;
    // A Unicode host's OEM code page, for description files without a mark.
    const CodePageEncoder* oem = nullptr;
};

}  // namespace velmora
