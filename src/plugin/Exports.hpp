// The plug-in's exports, for a host that links the plug-in in-process (the tests do).
#pragma once

#include "far/FarAbi.hpp"

extern "C" {
void VELMORA_WINAPI SetStartupInfo(const far::PluginStartupInfo* info);
void VELMORA_WINAPI GetPluginInfo(far::PluginInfo* info);
far::HANDLE VELMORA_WINAPI OpenPlugin(int openFrom, far::INT_PTR item);
}
