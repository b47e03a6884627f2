#include "host/tui/History.hpp"

#include <algorithm>

#include "platform/Platform.hpp"
#include "settings/Settings.hpp"

namespace velmora::host::tui {

namespace {
// An entry is an item text: at most 511 bytes plus the terminator.
constexpr std::size_t kEntryCapacity = 512;
}  // namespace

std::string HistoryKey(const std::string& name) {
    return "Software\\Far\\SavedDialogHistory\\" + name;
}

std::vector<std::string> LoadHistory(const std::string& name) {
    const std::string key = HistoryKey(name);
    std::uint32_t count = ReadRegistryDword(Settings(), key, "Count", 0);
    count = std::min<std::uint32_t>(count, kHistoryEntries);
    std::vector<std::string> entries;
    for (std::uint32_t i = 0; i < count; ++i) {
        std::string bytes;
        if (!Settings().Read(key, "Line" + std::to_string(i), kEntryCapacity, &bytes))
            continue;
        // A stored string carries its terminator; the text ends at the first NUL.
        bytes.resize(std::min(bytes.find('\0'), bytes.size()));
        // A hand-edited store may repeat an entry; the first (most recent) one counts.
        if (!bytes.empty() && std::find(entries.begin(), entries.end(), bytes) == entries.end())
            entries.push_back(bytes);
    }
    return entries;
}

std::vector<std::string> AddToHistory(std::vector<std::string> entries, const std::string& text) {
    if (text.empty())
        return entries;
    entries.erase(std::remove(entries.begin(), entries.end(), text), entries.end());
    entries.insert(entries.begin(), text);
    if (entries.size() > kHistoryEntries)
        entries.resize(kHistoryEntries);
    return entries;
}

void RememberInHistory(const std::string& name, const std::string& text) {
    if (name.empty() || text.empty())
        return;
    const std::vector<std::string> entries = AddToHistory(LoadHistory(name), text);
    // One batch: the lines and their count reach the store together.
    std::vector<RegistryWrite> values;
    values.reserve(entries.size() + 1);
    for (std::size_t i = 0; i < entries.size(); ++i)
        values.push_back(RegistryWrite::String("Line" + std::to_string(i), entries[i]));
    values.push_back(RegistryWrite::Dword("Count", static_cast<std::uint32_t>(entries.size())));
    Settings().WriteValues(HistoryKey(name), values);
}

}  // namespace velmora::host::tui
