// The readers of file formats do no I/O. Each is given the pieces of a file read so far and either
// answers or names the bytes it needs next, so that a caller reads a file's head and then only
// the few places its structures point to. Every byte is untrusted: offsets, counts and lengths
// are checked against the file's size, and nothing past the pieces given is ever touched.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "media/MediaFacts.hpp"

namespace velmora {

// Pieces of one file's bytes, each at its place in the file, and the file's size.
class FileBytes {
public:
    explicit FileBytes(std::uint64_t fileSize) : fileSize_(fileSize) {}
    // The file's bytes from `offset` on (fewer than the rest of the file is fine).
    void Add(std::uint64_t offset, std::string bytes);
    std::uint64_t FileSize() const { return fileSize_; }
    // The `count` bytes at `offset` when one piece holds all of them; null otherwise.
    const unsigned char* At(std::uint64_t offset, std::size_t count) const;
    // How many bytes the pieces hold together.
    std::uint64_t Held() const;

private:
    struct Piece {
        std::uint64_t offset;
        std::string bytes;
    };
    std::uint64_t fileSize_;
    std::vector<Piece> pieces_;
};

struct MediaRead {
    enum Outcome {
        Found,     // facts hold what the file records (a date taken, a maker or model, or all)
        Missing,   // not a file the reader knows, or nothing recorded in it
        NeedBytes  // the answer depends on the file's bytes at wantOffset (wantCount of them)
    };
    Outcome outcome = Missing;
    MediaFacts facts;
    // A movie header's date is a moment, not a wall-clock time: facts.taken holds it in UTC, and
    // these are its FILETIME ticks (100 ns since 1601, UTC) for the caller to show in local time.
    std::uint64_t utcTicks = 0;
    std::uint64_t wantOffset = 0;
    std::size_t wantCount = 0;
};

// What one reading asks of the file's bytes, within a region (a structure ends where its box,
// chunk or segment ends). A read that the region cannot hold fails; one the file holds but the
// pieces do not yet fails too and remembers what to read, which ends the reading with NeedBytes.
class ByteReader {
public:
    explicit ByteReader(const FileBytes& file) : file_(file) {}

    const unsigned char* Get(std::uint64_t offset, std::size_t count, std::uint64_t end);
    bool Needs() const { return needs_; }
    std::uint64_t FileSize() const { return file_.FileSize(); }
    // NeedBytes when a read waits for bytes, else Found with the facts when they hold anything,
    // else Missing.
    MediaRead Answer(const MediaFacts& facts) const;
    MediaRead Answer() const { return Answer(MediaFacts()); }

private:
    const FileBytes& file_;
    bool needs_ = false;
    std::uint64_t wantOffset_ = 0;
    std::size_t wantCount_ = 0;
};

inline std::uint16_t Be16(const unsigned char* p) {
    return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
}
inline std::uint32_t Be32(const unsigned char* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}
inline std::uint64_t Be64(const unsigned char* p) {
    return (std::uint64_t{Be32(p)} << 32) | Be32(p + 4);
}
inline std::uint32_t Le32(const unsigned char* p) {
    return (std::uint32_t{p[3]} << 24) | (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[1]} << 8) | p[0];
}

// A text as a file records a maker or model: up to its first NUL, trailing spaces cut.
std::string RecordedText(const unsigned char* bytes, std::size_t count);

// The days of a month (1..12) of a year in the proleptic Gregorian calendar.
int DaysInMonth(std::uint64_t year, int month);
// Whether a date lies in the calendar CivilTime holds (1601..9999, real days of each month).
bool IsValidCivilTime(const CivilTime& time);

}  // namespace velmora
