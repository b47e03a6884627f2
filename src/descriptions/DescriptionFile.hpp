// Which file of the current directory holds the descriptions: the first existing name of the
// host's "ListNames" setting, else "Descript.ion".
#pragma once

#include <string>

namespace velmora {

// The host's "Descriptions" key, a sibling of its plug-ins root key.
std::string DescriptionsKeyPath(const char* rootKey);

// Takes the next name of a comma-separated list starting at position into *name and returns
// where the following name starts; null (name untouched) at the end of the list.
const char* NextListName(const char* position, std::string* name);

// True when the path can be queried and is not a plain directory (attributes exactly 16).
bool FileExists(const std::string& path);

// Fills *name with the chosen description file; 1 when a listed name exists, 0 for the default.
int FindDescriptionFile(std::string* name);

}  // namespace velmora
