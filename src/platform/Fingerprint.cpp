#include "platform/Fingerprint.hpp"

#include <algorithm>
#include <cstring>

namespace velmora {
namespace {

constexpr std::uint64_t kPrime1 = 0x9E3779B185EBCA87ull;
constexpr std::uint64_t kPrime2 = 0xC2B2AE3D27D4EB4Full;
constexpr std::uint64_t kPrime3 = 0x165667B19E3779F9ull;
constexpr std::uint64_t kPrime4 = 0x85EBCA77C2B2AE63ull;
constexpr std::uint64_t kPrime5 = 0x27D4EB2F165667C5ull;

std::uint64_t RotateLeft(std::uint64_t value, int bits) {
    return value << bits | value >> (64 - bits);
}

// Little-endian, whatever the machine.
std::uint64_t Read64(const unsigned char* at) {
    std::uint64_t value;
    std::memcpy(&value, at, sizeof value);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    value = __builtin_bswap64(value);
#endif
    return value;
}

std::uint64_t Read32(const unsigned char* at) {
    return static_cast<std::uint64_t>(at[0]) | static_cast<std::uint64_t>(at[1]) << 8 |
           static_cast<std::uint64_t>(at[2]) << 16 | static_cast<std::uint64_t>(at[3]) << 24;
}

std::uint64_t Round(std::uint64_t lane, std::uint64_t input) {
    lane += input * kPrime2;
    return RotateLeft(lane, 31) * kPrime1;
}

std::uint64_t Merge(std::uint64_t hash, std::uint64_t lane) {
    hash ^= Round(0, lane);
    return hash * kPrime1 + kPrime4;
}

}  // namespace

std::uint64_t Fnv1a64(std::string_view bytes) {
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    return hash;
}

Xxh64Stream::Xxh64Stream() : lanes_{kPrime1 + kPrime2, kPrime2, 0, 0 - kPrime1} {}

void Xxh64Stream::Update(std::string_view bytes) {
    const auto* at = reinterpret_cast<const unsigned char*>(bytes.data());
    const unsigned char* const end = at + bytes.size();
    total_ += bytes.size();
    if (pendingSize_ > 0) {
        const std::size_t take = std::min<std::size_t>(32 - pendingSize_, bytes.size());
        std::memcpy(pending_ + pendingSize_, at, take);
        pendingSize_ += take;
        at += take;
        if (pendingSize_ < 32)
            return;
        for (int i = 0; i < 4; ++i)
            lanes_[i] = Round(lanes_[i], Read64(pending_ + 8 * i));
        pendingSize_ = 0;
    }
    for (; end - at >= 32; at += 32) {
        for (int i = 0; i < 4; ++i)
            lanes_[i] = Round(lanes_[i], Read64(at + 8 * i));
    }
    std::memcpy(pending_, at, static_cast<std::size_t>(end - at));
    pendingSize_ = static_cast<std::size_t>(end - at);
}

std::uint64_t Xxh64Stream::Digest() const {
    std::uint64_t hash;
    if (total_ >= 32) {
        hash = RotateLeft(lanes_[0], 1) + RotateLeft(lanes_[1], 7) + RotateLeft(lanes_[2], 12) +
               RotateLeft(lanes_[3], 18);
        for (const std::uint64_t lane : lanes_)
            hash = Merge(hash, lane);
    } else {
        hash = kPrime5;
    }
    hash += total_;
    const unsigned char* at = pending_;
    const unsigned char* const end = pending_ + pendingSize_;
    for (; end - at >= 8; at += 8)
        hash = RotateLeft(hash ^ Round(0, Read64(at)), 27) * kPrime1 + kPrime4;
    if (end - at >= 4) {
        hash = RotateLeft(hash ^ Read32(at) * kPrime1, 23) * kPrime2 + kPrime3;
        at += 4;
    }
    for (; at < end; ++at)
        hash = RotateLeft(hash ^ *at * kPrime5, 11) * kPrime1;
    hash ^= hash >> 33;
    hash *= kPrime2;
    hash ^= hash >> 29;
    hash *= kPrime3;
    hash ^= hash >> 32;
    return hash;
}

std::uint64_t Xxh64(std::string_view bytes) {
    Xxh64Stream stream;
    stream.Update(bytes);
    return stream.Digest();
}

}  // namespace velmora
