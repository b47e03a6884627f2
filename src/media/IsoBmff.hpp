// The boxes of ISO base media files (HEIF, AVIF, CR3, MP4, MOV, 3GP): each begins with its size and
// type, a size of 1 puts a 64-bit size after the type, and a size of 0 runs to the end of what
// holds it. Walked by their sizes alone, so a box's content is read only when asked for.
#pragma once

#include <cstdint>

#include "media/MediaRead.hpp"

namespace velmora {

constexpr std::uint32_t FourCc(const char (&text)[5]) {
    return (std::uint32_t{static_cast<unsigned char>(text[0])} << 24) |
           (std::uint32_t{static_cast<unsigned char>(text[1])} << 16) |
           (std::uint32_t{static_cast<unsigned char>(text[2])} << 8) | static_cast<unsigned char>(text[3]);
}

struct Box {
    std::uint32_t type = 0;
    std::uint64_t start = 0;  // its first byte
    std::uint64_t body = 0;   // its content's first byte (after a uuid box's 16 bytes of name too)
    std::uint64_t end = 0;    // one past its last byte
};

// The boxes of one level, from `start` to `end` of the file. A box whose size is below its header's
// or runs past `end` ends the walk, as do the bytes not read yet (the reader then needs them) and a
// bound on the boxes of one level that hostile files cannot stretch.
class BoxWalk {
public:
    BoxWalk(ByteReader& bytes, std::uint64_t start, std::uint64_t end)
        : bytes_(bytes), at_(start), end_(end) {}
    bool Next(Box* box);

private:
    ByteReader& bytes_;
    std::uint64_t at_;
    std::uint64_t end_;
    int walked_ = 0;
};

// The first box of `type` among the children of `start`..`end`; false where there is none.
bool FindBox(ByteReader& bytes, std::uint64_t start, std::uint64_t end, std::uint32_t type, Box* found);

// An unsigned number of 0, 4 or 8 bytes, big-endian (the sizes ISO boxes give their fields).
bool ReadSized(ByteReader& bytes, std::uint64_t at, std::uint64_t end, int size, std::uint64_t* value);

}  // namespace velmora
