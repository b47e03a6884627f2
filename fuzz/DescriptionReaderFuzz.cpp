// Two checks of the host's description-file reader on any bytes:
//  - read as a description file, the bytes never crash the reader and every name it finds can be
//    looked up;
//  - names and descriptions written by the plug-in's own line writer read back unchanged, for
//    every name a directory can hold and every one-line description the format can carry.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "descriptions/DescriptionOutput.hpp"
#include "host/DescriptionIndex.hpp"
#include "platform/MemoryFile.hpp"
#include "plugin/HostServices.hpp"

namespace {

using velmora::FileResult;

// Just enough of a file system for the line writer: one temporary file, kept in memory.
class MemoryFileSystem : public velmora::FileSystem {
public:
    std::uint32_t Attributes(const std::string&) override { return velmora::kNoAttributes; }
    FileResult MoveNoReplace(const std::string&, const std::string&) override { return Refused(); }
    FileResult ReadStart(const std::string&, std::size_t, std::string*) override { return Refused(); }
    FileResult Delete(const std::string&) override { return FileResult::Success(); }
    bool SameFile(const std::string&, const std::string&) override { return false; }
    std::string TempDirectory() override { return "/memory/"; }
    FileResult CreateTempFile(const std::string& directory, const std::string& prefix,
                              std::string* name) override {
        *name = directory + prefix + "1.tmp";
        return FileResult::Success();
    }
    FileResult OpenForWriting(const std::string&, std::unique_ptr<velmora::WritableFile>* file) override {
        *file = std::make_unique<velmora::MemoryFile>(bytes);
        return FileResult::Success();
    }
    FileResult ReplaceAtomically(const std::string&, const std::string&) override { return Refused(); }

    std::shared_ptr<std::string> bytes = std::make_shared<std::string>();

private:
    static FileResult Refused() { return FileResult(std::make_error_code(std::errc::permission_denied)); }
};

class NoRegistry : public velmora::Registry {
public:
    bool Read(const std::string&, const std::string&, std::size_t, std::string*) override { return false; }
    bool WriteString(const std::string&, const std::string&, const std::string&) override { return false; }
    bool WriteDword(const std::string&, const std::string&, std::uint32_t) override { return false; }
};

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

    MemoryFileSystem files;
    NoRegistry registry;
    const far::PluginStartupInfo noHost{};
    velmora::HostApi noHostApi(noHost);
    const velmora::RunContext context{noHostApi, files, registry, "", ""};
    {
        velmora::DescriptionOutput output(context);
        if (output.Open("Descript.ion")) {
            std::abort();
        }
        for (const auto& [name, description] : pairs) {
            if (output.WriteLine(name, description.c_str())) {
                std::abort();
            }
        }
    }
    const std::string& file = *files.bytes;

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
