// The FAR 3 plug-in's exports, for a host that links the plug-in in-process (the tests do).
#pragma once

#include "far/Far3Abi.hpp"

extern "C" {
void VELMORA_FAR3_API GetGlobalInfoW(far3::GlobalInfo* info);
void VELMORA_FAR3_API SetStartupInfoW(const far3::PluginStartupInfo* info);
void VELMORA_FAR3_API GetPluginInfoW(far3::PluginInfo* info);
far3::HANDLE VELMORA_FAR3_API OpenW(const far3::OpenInfo* info);
}
