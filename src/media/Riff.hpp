// RIFF files (WebP, AVI): chunks of a four-character name and a little-endian length, padded to
// an even length; a LIST chunk holds a list type and chunks of its own.
#pragma once

#include <cstdint>
#include <cstring>

#include "media/MediaRead.hpp"

namespace velmora {

struct Chunk {
    char name[4] = {};
    std::uint64_t body = 0;  // its content's first byte
    std::uint64_t end = 0;   // one past its content, the padding not counted
};

// The chunks of one level, from `start` to `end`. A chunk running past `end` is cut there (a file
// cut short keeps the chunks before the cut); the walk stops at the end, at bytes not read yet and
// at a bound hostile files cannot stretch.
class ChunkWalk {
public:
    ChunkWalk(ByteReader& bytes, std::uint64_t start, std::uint64_t end)
        : bytes_(bytes), at_(start), end_(end) {}
    bool Next(Chunk* chunk) {
        if (at_ >= end_ || end_ - at_ < 8 || ++walked_ > 4096)
            return false;
        const unsigned char* header = bytes_.Get(at_, 8, end_);
        if (header == nullptr)
            return false;
        std::memcpy(chunk->name, header, 4);
        chunk->body = at_ + 8;
        const std::uint64_t length = Le32(header + 4);
        chunk->end = length < end_ - chunk->body ? chunk->body + length : end_;
        at_ = chunk->end + (length & 1);
        return true;
    }

private:
    ByteReader& bytes_;
    std::uint64_t at_;
    std::uint64_t end_;
    int walked_ = 0;
};

// Whether the file is a RIFF one of this form ("WEBP", "AVI "): its chunks then lie from 12 on.
inline bool IsRiff(ByteReader& bytes, const char (&form)[5]) {
    const unsigned char* header = bytes.Get(0, 12, bytes.FileSize());
    return header != nullptr && std::memcmp(header, "RIFF", 4) == 0 && std::memcmp(header + 8, form, 4) == 0;
}

}  // namespace velmora
