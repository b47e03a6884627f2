// What a Unicode host on Windows (FAR 3) needs of the system beyond the plug-in's common file
// system: files named in UTF-8 and reached through the wide (UTF-16) functions, so that every
// name works whatever the code pages, and text in a Windows code page. Windows only.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/Platform.hpp"

namespace velmora {

// Files named in UTF-8, relative to `directory` (UTF-8; "" for the current directory) unless a
// name is a full path. Behaves as the system's file system does (moves never replace, and so
// on), through the wide functions; paths of MAX_PATH characters and more take the "\\?\" form.
std::unique_ptr<FileSystem> MakeWideFileSystem(std::string directory);

// UTF-8 text in a Windows code page, with no best-fit substitutes; false when some character has
// no place there.
bool EncodeInCodePage(unsigned codePage, std::string_view utf8, std::string* bytes);

}  // namespace velmora
