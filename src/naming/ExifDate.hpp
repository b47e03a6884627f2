// The date a photo was taken, read from the bytes of a JPEG (EXIF in APP1), a TIFF or a raw file
// built on TIFF (DNG, NEF, CR2, ARW, ORF, PEF). Only the three date tags are read: no library for
// the whole of EXIF, whose other tags (maker notes, thumbnails) a name never needs.
//
// The reader does no I/O. It is given the pieces of the file read so far and either answers or
// names the bytes it needs next, so that a caller reads a file's head and, only when the tags point
// further (a TIFF written with its directory at the end), the few places they point to. Every byte
// is untrusted: offsets, counts and lengths are checked against the file's size, and nothing past
// the pieces given is ever touched.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "naming/FileDates.hpp"

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

struct ExifDateRead {
    enum Outcome {
        Found,     // taken and tag say what the file holds
        Missing,   // not a photo the reader knows, or no valid date in it
        NeedBytes  // the answer depends on the file's bytes at wantOffset (wantCount of them)
    };
    Outcome outcome = Missing;
    CivilTime taken;
    ExifDateTag tag = ExifDateTag::DateTimeOriginal;
    std::uint64_t wantOffset = 0;
    std::size_t wantCount = 0;
};

// DateTimeOriginal, else DateTimeDigitized, else DateTime, each only when it is a valid
// "YYYY:MM:DD hh:mm:ss"; a blank or zero date counts as missing and the next tag is taken.
ExifDateRead ReadExifDate(const FileBytes& bytes);

// The same over a whole file's bytes, or over a head of it when the file is no longer than that:
// false when the bytes hold no valid date.
bool ReadExifDate(std::string_view file, CivilTime* taken, ExifDateTag* tag);

// A date tag's text, "YYYY:MM:DD hh:mm:ss", checked field by field (the calendar's days of the
// month, leap years). What follows the 19 characters is not looked at.
bool ParseExifDateTime(std::string_view text, CivilTime* time);

}  // namespace velmora
