// What every reader of a media format must hold on any bytes: it never reads outside what it was
// given, each request lies inside the file and asks for bytes not given yet, a date it finds is a
// valid one, and a file read piece by piece, as the date source reads it (a head, then each place
// the reader asks for), gives the same answer as the whole file at once.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <string>

#include "FuzzInput.hpp"
#include "media/MediaFile.hpp"

namespace velmora::fuzz {

inline bool SameFacts(const MediaRead& a, const MediaRead& b) {
    const CivilTime& x = a.facts.taken;
    const CivilTime& y = b.facts.taken;
    return a.outcome == b.outcome && a.facts.hasTaken == b.facts.hasTaken && a.facts.make == b.facts.make &&
           a.facts.model == b.facts.model && a.utcTicks == b.utcTicks &&
           (!a.facts.hasTaken || (a.facts.tag == b.facts.tag && x.year == y.year && x.month == y.month &&
                                  x.day == y.day && x.hour == y.hour && x.minute == y.minute &&
                                  x.second == y.second && x.millisecond == y.millisecond));
}

inline void FuzzMedia(MediaFormat format, FuzzInput& input) {
    // The first bytes choose how big the head and each later piece are.
    const std::uint32_t split = input.TakeNumber();
    const std::string file = input.Rest();

    FileBytes whole(file.size());
    whole.Add(0, file);
    const MediaRead all = ReadMedia(format, whole);
    if (all.outcome == MediaRead::NeedBytes || (all.outcome == MediaRead::Found && !all.facts.Any()) ||
        (all.facts.hasTaken && !IsValidCivilTime(all.facts.taken)))
        std::abort();

    const std::size_t head = split & 0xFFF;
    // Pieces of at least 64 bytes: smaller ones only make each input slower (every answer reads the
    // pieces from the start again), not the reader's checks any different.
    const std::size_t piece = ((split >> 12) & 0x3FF) * 4 + 64;
    FileBytes bytes(file.size());
    bytes.Add(0, file.substr(0, head));
    MediaRead read = ReadMedia(format, bytes);
    for (int reads = 0; read.outcome == MediaRead::NeedBytes; ++reads) {
        if (read.wantOffset > file.size() || read.wantCount > file.size() - read.wantOffset ||
            bytes.At(read.wantOffset, read.wantCount) != nullptr || reads > 100000)
            std::abort();
        const std::size_t count = read.wantCount > piece ? read.wantCount : piece;
        bytes.Add(read.wantOffset, file.substr(read.wantOffset, count));
        read = ReadMedia(format, bytes);
    }
    if (!SameFacts(read, all))
        std::abort();
}

}  // namespace velmora::fuzz
