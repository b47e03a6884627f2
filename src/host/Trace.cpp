#include "host/Trace.hpp"

#include <cstring>

#include "platform/HostSystem.hpp"

namespace velmora::host {

std::string JsonStringOrNull(const char* text) {
    return text ? JsonString(text, std::strlen(text)) : std::string("null");
}

std::string DialogItemsJson(const far::FarDialogItem* items, int count) {
    std::string out = "[";
    for (int i = 0; i < count; ++i) {
        const far::FarDialogItem& item = items[i];
        if (i > 0)
            out.push_back(',');
        const void* nul = std::memchr(item.Data, '\0', sizeof(item.Data));
        std::size_t length =
            nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - item.Data) : sizeof(item.Data);
        out += "{\"type\":" + std::to_string(item.Type) + ",\"data\":" + JsonString(item.Data, length);
        bool isEdit =
            item.Type == far::DI_EDIT || item.Type == far::DI_FIXEDIT || item.Type == far::DI_PSWEDIT;
        if (isEdit && (item.Flags & far::DIF_HISTORY)) {
            // The field shares its storage with the check state; a pointer is no state.
            out += ",\"selected\":0,\"history\":" + JsonStringOrNull(item.History);
        } else {
            out += ",\"selected\":" + std::to_string(item.Selected);
        }
        out.push_back('}');
    }
    out.push_back(']');
    return out;
}

bool Trace::Open(const std::string& path, std::string* error) {
    stream_.open(StreamPath(path), std::ios::out | std::ios::app | std::ios::binary);
    if (!stream_.is_open()) {
        *error = "cannot open the trace file " + path;
        return false;
    }
    return true;
}

bool Trace::Close() {
    if (!stream_.is_open())
        return true;
    stream_.flush();
    bool good = stream_.good();
    stream_.close();
    return good && !stream_.fail();
}

void Trace::Dialog(const char* helpTopic, const std::string& itemsJson, int result) {
    if (!stream_.is_open())
        return;
    stream_ << "{\"service\":\"Dialog\",\"help\":" << JsonStringOrNull(helpTopic)
            << ",\"items\":" << itemsJson << ",\"result\":" << result << "}\n";
}

void Trace::DialogView(const std::string& itemsJson) {
    if (!stream_.is_open())
        return;
    stream_ << "{\"service\":\"DialogView\",\"items\":" << itemsJson << "}\n";
}

void Trace::Menu(const char* title, const std::vector<MenuLine>& lines, int result) {
    if (!stream_.is_open())
        return;
    std::string out = "{\"service\":\"Menu\",\"title\":" + JsonStringOrNull(title) + ",\"items\":[";
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0)
            out.push_back(',');
        out +=
            "{\"text\":" + JsonString(lines[i].text) + ",\"checked\":" + (lines[i].checked ? "1" : "0") + "}";
    }
    out += "],\"result\":" + std::to_string(result) + "}\n";
    stream_ << out;
}

void Trace::Message(std::uint32_t flags, const char* helpTopic, const char* const* lines, int count,
                    int buttons) {
    if (!stream_.is_open())
        return;
    std::string out = "{\"service\":\"Message\",\"flags\":" + std::to_string(flags) +
                      ",\"help\":" + JsonStringOrNull(helpTopic) + ",\"lines\":[";
    for (int i = 0; i < count; ++i) {
        if (i > 0)
            out.push_back(',');
        out += JsonStringOrNull(lines ? lines[i] : nullptr);
    }
    out += "],\"buttons\":" + std::to_string(buttons) + "}\n";
    stream_ << out;
}

void Trace::Control(int command) {
    if (!stream_.is_open())
        return;
    stream_ << "{\"service\":\"Control\",\"command\":" << command << "}\n";
}

}  // namespace velmora::host
