// Which file of the current directory holds the descriptions: the first existing name of the
// host's "ListNames" setting, else "Descript.ion".
#pragma once

#include <string>

#include "platform/Platform.hpp"
#include "ports/RunContext.hpp"

namespace velmora {

// True when the path can be queried and is not a plain directory (attributes exactly 16).
bool FileExists(FileSystem& files, const std::string& path);

// Fills *name with the chosen description file; true when a listed name exists, false for the
// default.
bool FindDescriptionFile(const RunContext& context, std::string* name);

}  // namespace velmora
