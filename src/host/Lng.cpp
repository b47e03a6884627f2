#include "host/Lng.hpp"

#include "platform/TextLines.hpp"
#include "platform/HostSystem.hpp"

namespace velmora::host {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string Trimmed(const std::string& line, std::size_t begin, std::size_t end) {
    while (begin < end && IsBlank(line[begin]))
        ++begin;
    while (end > begin && (IsBlank(line[end - 1]) || line[end - 1] == '\r'))
        --end;
    return line.substr(begin, end - begin);
}

}  // namespace

bool Lng::Load(const std::string& path, std::string* error) {
    std::string contents;
    std::string reason;
    if (!ReadWholeFile(path, &contents, &reason)) {
        *error = "cannot read the language file " + path + ": " + reason;
        return false;
    }
    // The sources are UTF-8, the Windows package's copies already in the host's code page.
    return Parse(TextInHostCodePage(contents), path, error);
}

bool Lng::Parse(const std::string& contents, const std::string& name, std::string* error) {
    language_.clear();
    messages_.clear();
    std::size_t pos = 0;
    // Files saved by Windows editors start with a UTF-8 byte order mark.
    if (contents.compare(0, 3, "\xEF\xBB\xBF") == 0)
        pos = 3;
    bool haveHeader = false;
    std::size_t begin = 0;
    std::size_t end = 0;
    while (NextLine(contents, &pos, &begin, &end)) {
        const std::string line = Trimmed(contents, begin, end);
        if (line.empty() || line.compare(0, 2, "//") == 0)
            continue;
        if (!haveHeader) {
            static const std::string kHeader = ".Language=";
            if (line.compare(0, kHeader.size(), kHeader) != 0) {
                *error = "the language file " + name + " does not start with a \".Language=\" line";
                return false;
            }
            language_ = line.substr(kHeader.size());
            haveHeader = true;
            continue;
        }
        // As FAR does: only quoted lines are messages; the text runs to the last quote.
        if (line[0] != '"')
            continue;
        std::size_t last = line.rfind('"');
        if (last == 0)
            last = line.size();
        messages_.push_back(line.substr(1, last - 1));
    }
    if (!haveHeader) {
        *error = "the language file " + name + " is empty";
        return false;
    }
    return true;
}

const char* Lng::GetMsg(int id) const {
    if (id < 0 || static_cast<std::size_t>(id) >= messages_.size())
        return "";
    return messages_[static_cast<std::size_t>(id)].c_str();
}

}  // namespace velmora::host
