// The POSIX host's description-file decoder on any bytes. The first byte picks the OEM code page;
// the rest is the file. Checks:
//  - no line is dropped or merged: the text has as many line feeds as the file;
//  - a marked file's text is the file without its leading marks, and never starts with one;
//  - valid UTF-8 (pure ASCII among it) is the file's own bytes, unchanged and not copied;
//  - from a code page that maps every byte, an unmarked file always gives valid UTF-8.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/posix/HostSystemText.hpp"

namespace {

struct CodePage {
    unsigned number;
    bool mapsEveryByte;
};

// Single-byte pages with and without gaps, double-byte pages, one that combines characters, and
// one the system has no converter for.
constexpr CodePage kCodePages[] = {{866, true},  {437, true},   {850, true},  {857, false},
                                   {874, false}, {932, false},  {936, false}, {949, false},
                                   {950, false}, {1258, false}, {720, false}};

constexpr std::string_view kMark = "\xEF\xBB\xBF";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const CodePage& page = kCodePages[data[0] % (sizeof kCodePages / sizeof kCodePages[0])];
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);

    std::string converted;
    const std::string_view text = velmora::host::DecodeDescriptionText(bytes, page.number, &converted);

    if (std::count(text.begin(), text.end(), '\n') != std::count(bytes.begin(), bytes.end(), '\n'))
        std::abort();

    std::string_view unmarked = bytes;
    while (unmarked.substr(0, kMark.size()) == kMark)
        unmarked.remove_prefix(kMark.size());
    const bool marked = unmarked.size() != bytes.size();
    const auto same = [](std::string_view a, std::string_view b) {
        return a.data() == b.data() && a.size() == b.size();
    };
    if (marked && (!same(text, unmarked) || text.substr(0, kMark.size()) == kMark))
        std::abort();
    if (!marked && velmora::host::IsUtf8(bytes) && !same(text, bytes))
        std::abort();
    if (!marked && page.mapsEveryByte && !velmora::host::IsUtf8(text))
        std::abort();
    return 0;
}
