// The date-taken reader on any bytes: it never reads outside what it was given, a date it finds is
// a valid one, and a file read piece by piece, as the source reads it (a head, then each place the
// reader asks for), gives the same answer as the whole file at once.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "FuzzInput.hpp"
#include "media/Exif.hpp"

namespace {

bool Same(const velmora::CivilTime& a, const velmora::CivilTime& b) {
    return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour &&
           a.minute == b.minute && a.second == b.second;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    velmora::fuzz::FuzzInput input(data, size);
    // The first bytes choose how big the head and each later piece are.
    const std::uint32_t split = input.TakeNumber();
    const std::string file = input.Rest();

    velmora::CivilTime whole;
    velmora::ExifDateTag wholeTag = velmora::ExifDateTag::DateTime;
    const bool found = velmora::ReadExifDate(file, &whole, &wholeTag);
    if (found) {
        char text[20];
        std::snprintf(text, sizeof text, "%04d:%02d:%02d %02d:%02d:%02d", whole.year, whole.month, whole.day,
                      whole.hour, whole.minute, whole.second);
        velmora::CivilTime again;
        if (!velmora::ParseExifDateTime(std::string_view(text, 19), &again) || !Same(again, whole))
            std::abort();
    }

    const std::size_t head = split & 0xFFF;
    // Pieces of at least 64 bytes: smaller ones only make each input slower (every answer reads the
    // pieces from the start again), not the reader's checks any different.
    const std::size_t piece = ((split >> 12) & 0x3FF) * 4 + 64;
    velmora::FileBytes bytes(file.size());
    bytes.Add(0, file.substr(0, head));
    velmora::MediaRead read = velmora::ReadExif(bytes);
    for (int reads = 0; read.outcome == velmora::MediaRead::NeedBytes; ++reads) {
        // Each request lies inside the file, and is for bytes not given yet.
        if (read.wantOffset > file.size() || read.wantCount > file.size() - read.wantOffset ||
            bytes.At(read.wantOffset, read.wantCount) != nullptr || reads > 100000)
            std::abort();
        const std::size_t count = read.wantCount > piece ? read.wantCount : piece;
        bytes.Add(read.wantOffset, file.substr(read.wantOffset, count));
        read = velmora::ReadExif(bytes);
    }
    if ((read.outcome == velmora::MediaRead::Found) != found)
        std::abort();
    if (found && (!Same(read.facts.taken, whole) || read.facts.tag != wholeTag))
        std::abort();
    return 0;
}
