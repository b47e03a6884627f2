// Fingerprints of file contents: 64-bit hashes that tell whether bytes are still the same, not
// secrets. Both are standard algorithms, so a journal can be checked with common tools
// (`xxhsum -H64`).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace velmora {

// FNV-1a, 64 bits: a byte at a time, simple and slow (4 cycles a byte).
std::uint64_t Fnv1a64(std::string_view bytes);

// XXH64 with seed 0: 32 bytes a step in four independent lanes, some twenty times faster.
std::uint64_t Xxh64(std::string_view bytes);

// XXH64 of bytes that come in pieces: the same value as Xxh64 of them all.
class Xxh64Stream {
public:
    Xxh64Stream();
    void Update(std::string_view bytes);
    std::uint64_t Digest() const;

private:
    std::uint64_t lanes_[4];
    unsigned char pending_[32];  // the start of a stripe not yet complete
    std::size_t pendingSize_ = 0;
    std::uint64_t total_ = 0;
};

}  // namespace velmora
