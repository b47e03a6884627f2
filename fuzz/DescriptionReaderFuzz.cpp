// Three checks of the description file's reader and editor on any bytes:
//  - read as a description file, the bytes never crash the reader and every name it finds can be
//    looked up;
//  - edited with every other named line renamed, no line is ever dropped: the file keeps its
//    number of lines, and every line not renamed comes through byte for byte;
//  - names and descriptions written by the plug-in's editor as new lines read back unchanged, for
//    every name a directory can hold and every one-line description the format can carry.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "descriptions/DescriptionEdit.hpp"
#include "descriptions/DescriptionLines.hpp"
#include "host/DescriptionIndex.hpp"

namespace {

std::string Fold(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

// What a line holds of a name: the writer drops one trailing dot.
std::string WrittenName(const std::string& name) {
    return !name.empty() && name.back() == '.' ? name.substr(0, name.size() - 1) : name;
}

// Names the format can carry: a directory's names without the characters that end a name field
// (a tab ends an unquoted name, a quote ends a quoted one, line breaks end the line).
bool CarriedName(const std::string& name) {
    if (WrittenName(name).empty() || name.find_first_of(std::string("\t\"\r\n/\0", 6)) != std::string::npos) {
        return false;
    }
    return name.find_first_not_of('.') != std::string::npos;
}

bool CarriedDescription(const std::string& description) {
    return !description.empty() && description[0] != ' ' && description[0] != '\t' &&
           description.find_first_of(std::string("\r\n\0", 3)) == std::string::npos;
}

std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    for (std::size_t pos = 0; pos < text.size();) {
        std::size_t end = text.find('\n', pos);
        end = end == std::string_view::npos ? text.size() : end + 1;
        lines.push_back(text.substr(pos, end - pos));
        pos = end;
    }
    return lines;
}

// Renames every other named line of a FAR 1.x file (bytes as they are) and checks that nothing else
// changed.
void CheckNoLineDropped(const std::string& input) {
    velmora::DescriptionEdit edit(velmora::HostText::Oem, nullptr);
    if (!edit.Load(input))
        return;
    const std::vector<std::string_view> before = Lines(input);
    // Each named line's name, and every name's key: names that differ only in letter case or a
    // trailing dot are one file to the host.
    std::vector<std::string> names(before.size());
    std::set<std::string> keys;
    const auto keyOf = [](const std::string& name) {
        std::string key = Fold(name);
        if (!key.empty() && key.back() == '.')
            key.pop_back();
        return key;
    };
    for (std::size_t i = 0; i < before.size(); ++i) {
        std::string_view line = before[i];
        const std::size_t end = line.size() - (line.size() && line.back() == '\n' ? 1 : 0);
        const velmora::DescriptionLine parsed =
            velmora::ParseDescriptionLine(line, 0, end && line[end - 1] == '\r' ? end - 1 : end);
        if (parsed.kind != velmora::DescriptionLine::Named || parsed.nameBegin == parsed.nameEnd)
            continue;
        names[i] = std::string(line.substr(parsed.nameBegin, parsed.nameEnd - parsed.nameBegin));
        keys.insert(keyOf(names[i]));
    }
    std::vector<bool> renamed(before.size(), false);
    std::set<std::string> seen;
    for (std::size_t i = 0; i < before.size(); ++i) {
        if (names[i].empty())
            continue;
        if (!seen.insert(keyOf(names[i])).second || seen.size() % 2 == 0)
            continue;
        // A new name no line names: a line of the new name would be stale, and go.
        std::string newName = "R" + std::to_string(i);
        while (keys.count(keyOf(newName)))
            newName += "_";
        edit.Renamed(names[i], newName, nullptr);
        renamed[i] = true;
    }
    const std::string output = edit.Changed() ? edit.Render() : input;
    const std::vector<std::string_view> after = Lines(output);
    if (after.size() != before.size())
        std::abort();
    for (std::size_t i = 0; i < before.size(); ++i) {
        if (!renamed[i] && after[i] != before[i])
            std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);

    velmora::host::DescriptionIndex raw;
    raw.Parse(input);
    std::size_t lines = 1;
    for (char c : input) {
        lines += c == '\n';
    }
    if (raw.Count() > lines) {
        std::abort();
    }
    // Every leading word of a line is a candidate name; looking each up must be safe.
    for (std::size_t pos = 0; pos < input.size();) {
        std::size_t end = input.find('\n', pos);
        if (end == std::string::npos) {
            end = input.size();
        }
        const std::string line = input.substr(pos, end - pos);
        (void)raw.Find(line.substr(0, line.find(' ')));
        pos = end + 1;
    }

    CheckNoLineDropped(input);

    // The round trip: zero bytes separate name, description, name, description, ...
    std::vector<std::pair<std::string, std::string>> pairs;
    std::set<std::string> taken;
    for (std::size_t pos = 0; pos < input.size();) {
        std::size_t nameEnd = input.find('\0', pos);
        if (nameEnd == std::string::npos) {
            break;
        }
        std::size_t descriptionEnd = input.find('\0', nameEnd + 1);
        if (descriptionEnd == std::string::npos) {
            descriptionEnd = input.size();
        }
        std::string name = input.substr(pos, nameEnd - pos);
        std::string description = input.substr(nameEnd + 1, descriptionEnd - nameEnd - 1);
        pos = descriptionEnd + 1;
        if (!CarriedName(name) || !CarriedDescription(description)) {
            continue;
        }
        // Names that the host's lookup cannot tell apart (case, the dropped dot) are one file.
        const std::string folded = Fold(name);
        const std::string foldedWritten = Fold(WrittenName(name));
        if (taken.count(folded) || taken.count(foldedWritten)) {
            continue;
        }
        taken.insert(folded);
        taken.insert(foldedWritten);
        pairs.emplace_back(std::move(name), std::move(description));
    }
    if (pairs.empty()) {
        return 0;
    }

    velmora::DescriptionEdit edit(velmora::HostText::Oem, nullptr);
    if (!edit.Load(std::nullopt))
        std::abort();
    for (const auto& [name, description] : pairs)
        edit.Renamed("\x01not in the file", name, description.c_str());
    const std::string file = edit.Render();

    velmora::host::DescriptionIndex index;
    index.Parse(file);
    for (const auto& [name, description] : pairs) {
        const std::string* found = index.Find(name);
        if (found == nullptr || *found != description) {
            std::abort();
        }
    }
    return 0;
}
