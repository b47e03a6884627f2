// Dialog history lists (the texts entered before in a field with a history name), kept in the
// settings store under Software\Far\SavedDialogHistory\<name>: "Count" and "Line0".."Line15",
// most recent first. Values, not one NUL-separated block, because the store takes texts only.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace velmora::host::tui {

constexpr std::size_t kHistoryEntries = 16;

std::string HistoryKey(const std::string& name);
// The stored entries; missing or unreadable ones are left out.
std::vector<std::string> LoadHistory(const std::string& name);
// entries with text put first: an equal older entry is dropped, the list is cut to 16, and an
// empty text changes nothing.
std::vector<std::string> AddToHistory(std::vector<std::string> entries, const std::string& text);
// Loads, adds and stores; store failures are ignored (history is a convenience).
void RememberInHistory(const std::string& name, const std::string& text);

}  // namespace velmora::host::tui
