// Fingerprints of file contents: 64-bit hashes that tell whether bytes are still the same, not
// secrets. Both are standard algorithms, so a journal can be checked with common tools
// (`xxhsum -H64`).
#pragma once

#include <cstdint>
#include <string_view>

namespace velmora {

// FNV-1a, 64 bits: a byte at a time, simple and slow (4 cycles a byte).
std::uint64_t Fnv1a64(std::string_view bytes);

// XXH64 with seed 0: 32 bytes a step in four independent lanes, some twenty times faster.
std::uint64_t Xxh64(std::string_view bytes);

}  // namespace velmora
