#include "platform/Platform.hpp"

namespace velmora {
namespace {
FileSystem* g_files = nullptr;
Registry* g_registry = nullptr;
}  // namespace

FileSystem& Files() { return g_files ? *g_files : SystemFileSystem(); }
Registry& Settings() { return g_registry ? *g_registry : SystemRegistry(); }
void SetFileSystem(FileSystem* replacement) { g_files = replacement; }
void SetRegistry(Registry* replacement) { g_registry = replacement; }

}  // namespace velmora
