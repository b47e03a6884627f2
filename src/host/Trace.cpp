#include "host/Trace.hpp"

#include <cstring>

#include "platform/HostSystem.hpp"

namespace velmora::host {

std::size_t ValidUtf8Length(const char* text, std::size_t size) {
    if (size == 0)
        return 0;
    const unsigned char* data = reinterpret_cast<const unsigned char*>(text);
    unsigned char lead = data[0];
    std::size_t length;
    unsigned char low = 0x80, high = 0xBF;  // range of the second byte
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0;
        else if (lead == 0xED)
            high = 0x9F;  // no UTF-16 surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        else if (lead == 0xF4)
            high = 0x8F;  // nothing above U+10FFFF
    } else {
        return 0;
    }
    if (size < length)
        return 0;
    if (data[1] < low || data[1] > high)
        return 0;
    for (std::size_t i = 2; i < length; ++i) {
        if (data[i] < 0x80 || data[i] > 0xBF)
            return 0;
    }
    return length;
}

namespace {

void AppendEscapedByte(unsigned char byte, std::string* out) {
    static const char kHex[] = "0123456789abcdef";
    out->append("\\u00");
    out->push_back(kHex[byte >> 4]);
    out->push_back(kHex[byte & 0xF]);
}

}  // namespace

void AppendJsonString(const char* data, std::size_t size, std::string* out) {
    out->push_back('"');
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(data);
    std::size_t i = 0;
    while (i < size) {
        // A run that needs no escape goes in one piece: printable ASCII and whole UTF-8
        // characters (a name, a line of a description file).
        std::size_t plain = i;
        while (plain < size) {
            const unsigned char b = bytes[plain];
            if (b >= 0x20 && b < 0x80 && b != '"' && b != '\\') {
                ++plain;
            } else if (b >= 0xC2 && b <= 0xDF && plain + 1 < size && (bytes[plain + 1] & 0xC0) == 0x80) {
                plain += 2;  // Cyrillic and most other scripts: two bytes a character
            } else if (b >= 0x80) {
                const std::size_t length = ValidUtf8Length(data + plain, size - plain);
                if (length == 0)
                    break;
                plain += length;
            } else {
                break;
            }
        }
        out->append(data + i, plain - i);
        i = plain;
        if (i == size)
            break;
        const unsigned char c = bytes[i];
        if (c >= 0x80) {
            AppendEscapedByte(c, out);
            ++i;
            continue;
        }
        switch (c) {
            case '"':
                out->append("\\\"");
                break;
            case '\\':
                out->append("\\\\");
                break;
            case '\n':
                out->append("\\n");
                break;
            case '\r':
                out->append("\\r");
                break;
            case '\t':
                out->append("\\t");
                break;
            default:
                AppendEscapedByte(c, out);
        }
        ++i;
    }
    out->push_back('"');
}

std::string JsonString(const char* data, std::size_t size) {
    std::string out;
    out.reserve(size + 2);
    AppendJsonString(data, size, &out);
    return out;
}

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
