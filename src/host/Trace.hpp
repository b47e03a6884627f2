// The --trace log: one JSON object a line for each Dialog, Message and Control call the plug-in
// makes, so tests and users can see exactly what the plug-in asked of its host.
#pragma once

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "far/FarAbi.hpp"
#include "host/UserInterface.hpp"

namespace velmora::host {

// Bytes of the valid UTF-8 character at text[0] (1 for ASCII), or 0 when none starts there.
std::size_t ValidUtf8Length(const char* text, std::size_t size);

// A JSON string literal (quotes included) for bytes. Valid UTF-8 passes through; every byte
// that is not part of a valid UTF-8 sequence is written as \u00XX.
std::string JsonString(const char* data, std::size_t size);
// The same literal appended to `out`.
void AppendJsonString(const char* data, std::size_t size, std::string* out);
inline std::string JsonString(const std::string& text) {
    return JsonString(text.data(), text.size());
}
// "null" for a null pointer.
std::string JsonStringOrNull(const char* text);

// The items of a dialog as a JSON array: type, data and the check state of each item, and for
// an edit field with a history list the history name instead of the check state.
std::string DialogItemsJson(const far::FarDialogItem* items, int count);

class Trace {
public:
    // Opens the file for appending; false with a message when it cannot.
    bool Open(const std::string& path, std::string* error);
    bool IsOpen() const { return stream_.is_open(); }
    // Closes the file; false when something could not be written.
    bool Close();

    void Dialog(const char* helpTopic, const std::string& itemsJson, int result);
    void Message(std::uint32_t flags, const char* helpTopic, const char* const* lines, int count,
                 int buttons);
    void Control(int command);
    // The dialog as the plug-in's procedure left it once the answers were typed.
    void DialogView(const std::string& itemsJson);
    void Menu(const char* title, const std::vector<MenuLine>& lines, int result);

private:
    std::ofstream stream_;
};

}  // namespace velmora::host
