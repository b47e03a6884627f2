#include "platform/Platform.hpp"

namespace velmora {

FileResult FileSystem::AddAttributes(const std::string&, std::uint32_t) {
    return FileResult(std::make_error_code(std::errc::operation_not_supported));
}
namespace {
FileSystem* g_files = nullptr;
Registry* g_registry = nullptr;
Clock* g_clock = nullptr;
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

FileSystem& Files() {
    return g_files ? *g_files : SystemFileSystem();
}
Registry& Settings() {
    return g_registry ? *g_registry : SystemRegistry();
}
Clock& MonotonicClock() {
    return g_clock ? *g_clock : SystemClock();
}
void SetFileSystem(FileSystem* replacement) {
    g_files = replacement;
}
void SetRegistry(Registry* replacement) {
    g_registry = replacement;
}
void SetClock(Clock* replacement) {
    g_clock = replacement;
}

}  // namespace velmora
