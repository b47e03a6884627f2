// Description files as far2l reads them: UTF-8 after a byte-order mark, otherwise the OEM code
// page of the locale. Files written by Linux tools are UTF-8 without a mark, so a line that is
// valid UTF-8 is kept as it stands; only the other lines are decoded.
#include "platform/posix/HostSystemText.hpp"

#include <memory>

#include "platform/CodePage.hpp"
#include "platform/HostSystem.hpp"

namespace velmora::host {
namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

}  // namespace

std::string_view DecodeDescriptionText(std::string_view bytes, unsigned oemCodePage, std::string* converted) {
    // A file marked twice (a tool that marks what it saves, over a marked file) loses every mark,
    // or the first name would begin with one.
    bool marked = false;
    while (bytes.substr(0, kUtf8Mark.size()) == kUtf8Mark) {
        bytes.remove_prefix(kUtf8Mark.size());
        marked = true;
    }
    if (marked || IsUtf8(bytes))
        return bytes;
    const std::unique_ptr<CodePage> oem = OpenCodePage(oemCodePage);
    if (!oem)
        return bytes;
    converted->clear();
    converted->reserve(bytes.size() * 2);
    AppendLinesInUtf8(oem.get(), bytes, converted);
    return *converted;
}

std::string_view DescriptionText(std::string_view bytes, std::string* converted) {
    return DecodeDescriptionText(bytes, SystemOemCodePage(), converted);
}

}  // namespace velmora::host
