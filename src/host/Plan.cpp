#include "host/Plan.hpp"

#include "far/FarAbi.hpp"
#include "host/Trace.hpp"

namespace velmora::host {
namespace {

std::size_t Utf8Length(const std::string& text, std::size_t pos) {
    return ValidUtf8Length(text.data() + pos, text.size() - pos);
}

bool IsControl(unsigned char c) {
    return c < 0x20 || c == 0x7F;
}

// C1 controls (U+0080 to U+009F) steer some terminals as ESC sequences do.
bool IsC1(const std::string& text, std::size_t pos, std::size_t length) {
    return length == 2 && static_cast<unsigned char>(text[pos]) == 0xC2 &&
           static_cast<unsigned char>(text[pos + 1]) < 0xA0;
}

bool IsPlainShellChar(char c) {
    const auto u = static_cast<unsigned char>(c);
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || u >= 0x80 ||
           std::string_view("._+,%@=:/-").find(c) != std::string_view::npos;
}

void AppendHexByte(std::string* out, unsigned char byte) {
    static const char kHex[] = "0123456789abcdef";
    *out += "\\x";
    out->push_back(kHex[byte >> 4]);
    out->push_back(kHex[byte & 0xF]);
}

// What may reach a terminal of a description: control bytes as \xNN, nothing else changed.
std::string Printable(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (IsControl(static_cast<unsigned char>(c)))
            AppendHexByte(&out, static_cast<unsigned char>(c));
        else
            out.push_back(c);
    }
    return out;
}

}  // namespace

const char* ActionName(ItemAction action) {
    switch (action) {
        case ItemAction::Rename:
            return "rename";
        case ItemAction::Keep:
            return "keep";
        case ItemAction::Stop:
            return "stop";
        case ItemAction::Unreached:
            return "unreached";
    }
    return "";
}

std::string ReasonText(const std::string& reason) {
    if (reason == "FileExist")
        return "the new name is taken";
    if (reason == "CanNotMove")
        return "the file cannot be renamed";
    if (reason == "BadName")
        return "the new name is empty or holds a character no file name may have";
    if (reason == "CanNotWrite")
        return "a description line cannot be written";
    return reason;
}

std::string QuoteName(const std::string& name) {
    bool plain = !name.empty() && name[0] != '~' && name[0] != '#';
    bool needsEscapes = false;
    for (std::size_t pos = 0; pos < name.size();) {
        const auto c = static_cast<unsigned char>(name[pos]);
        std::size_t length = 1;
        if (c >= 0x80 && far::kHostStringsAreUtf8) {
            length = Utf8Length(name, pos);
            if (length == 0 || IsC1(name, pos, length))
                needsEscapes = true;
            length = length == 0 ? 1 : length;
        } else if (IsControl(c)) {
            needsEscapes = true;
        }
        plain = plain && IsPlainShellChar(name[pos]);
        pos += length;
    }
    if (plain && !needsEscapes)
        return name;
    std::string out;
    if (!needsEscapes) {
        out = "'";
        for (const char c : name)
            out += c == '\'' ? std::string("'\\''") : std::string(1, c);
        return out + "'";
    }
    out = "$'";
    for (std::size_t pos = 0; pos < name.size();) {
        const auto c = static_cast<unsigned char>(name[pos]);
        std::size_t length = c >= 0x80 && far::kHostStringsAreUtf8 ? Utf8Length(name, pos) : 1;
        if (length == 0 || IsControl(c) || IsC1(name, pos, length)) {
            for (std::size_t i = 0; i < (length == 0 ? 1 : length); ++i)
                AppendHexByte(&out, static_cast<unsigned char>(name[pos + i]));
            pos += length == 0 ? 1 : length;
            continue;
        }
        if (c == '\\' || c == '\'')
            out.push_back('\\');
        out.append(name, pos, length);
        pos += length;
    }
    return out + "'";
}

std::string PlanTable(const Plan& plan) {
    std::string text;
    for (const PlanItem& item : plan.items) {
        std::string line = ActionName(item.action);
        line.resize(11, ' ');
        line += QuoteName(item.oldName);
        if (item.action != ItemAction::Keep)
            line += " -> " + QuoteName(item.newName);
        if (!item.reason.empty())
            line += "   (" + item.reason + ": " + ReasonText(item.reason) + ")";
        text += line + "\n";
        if (item.description)
            text += "             " + Printable(*item.description) + "\n";
    }
    const std::size_t renamed = plan.Count(ItemAction::Rename);
    text += std::to_string(renamed) + (renamed == 1 ? " file" : " files") + " to rename, " +
            std::to_string(plan.Count(ItemAction::Keep)) + " kept";
    const std::size_t unreached = plan.Count(ItemAction::Unreached);
    if (plan.Count(ItemAction::Stop) > 0)
        text += ", then the run stops" +
                (unreached > 0 ? " and leaves " + std::to_string(unreached) + " untried" : std::string());
    text += ".\n";
    if (plan.savesDescriptions && !plan.descriptionFile.empty())
        text += "Descriptions are kept in " + QuoteName(plan.descriptionFile) + ".\n";
    for (const std::string& warning : plan.warnings)
        text += "The run would warn: " + Printable(warning) + "\n";
    return text;
}

std::string PlanJson(const Plan& plan) {
    std::string text;
    for (const PlanItem& item : plan.items) {
        text += "{\"old\": " + JsonString(item.oldName) + ", \"new\": " + JsonString(item.newName) +
                ", \"action\": \"" + ActionName(item.action) + "\", \"reason\": " + JsonString(item.reason);
        if (!item.date.empty())
            text += ", \"date\": \"" + item.date + "\"";
        if (plan.savesDescriptions)
            text += ", \"description\": " +
                    (item.description ? JsonString(*item.description) : std::string("null"));
        text += "}\n";
    }
    return text;
}

}  // namespace velmora::host
