#include "platform/Platform.hpp"

namespace velmora {
namespace {
FileSystem* g_files = nullptr;
Registry* g_registry = nullptr;
}  // namespace

bool Registry::WriteValues(const std::string& keyPath, const std::vector<RegistryWrite>& values) {
    bool all = true;
    for (const RegistryWrite& value : values) {
        const bool stored = value.isDword ? WriteDword(keyPath, value.name, value.number)
                                          : WriteString(keyPath, value.name, value.text);
        all = stored && all;
    }
    return all;
}

FileSystem& Files() { return g_files ? *g_files : SystemFileSystem(); }
Registry& Settings() { return g_registry ? *g_registry : SystemRegistry(); }
void SetFileSystem(FileSystem* replacement) { g_files = replacement; }
void SetRegistry(Registry* replacement) { g_registry = replacement; }

}  // namespace velmora
