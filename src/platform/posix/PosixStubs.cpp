// Placeholder until the POSIX platform lands; delete this file then.
#include <cstdlib>

#include "platform/Platform.hpp"

namespace velmora {
FileSystem& SystemFileSystem() { std::abort(); }
Registry& SystemRegistry() { std::abort(); }
}  // namespace velmora
