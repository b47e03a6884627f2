// The --trace log: one JSON object a line for each Dialog, Message and Control call the plug-in
// makes, so tests and users can see exactly what the plug-in asked of its host.
#pragma once

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "journal/JsonLine.hpp"
#include "far/FarAbi.hpp"
#include "host/UserInterface.hpp"

namespace velmora::host {

// The engine's JSON text, which the trace writes too.
using velmora::AppendJsonString;
using velmora::JsonString;
using velmora::ValidUtf8Length;

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
