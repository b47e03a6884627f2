// EXIF as a JPEG (in APP1), a TIFF, or a raw file built on TIFF records it (DNG, NEF, NRW, CR2,
// ARW, ORF, PEF, SRW, RW2, RWL), and as other formats embed it: the three date tags with their
// fractions of a second, the maker and the model. No library for the whole of EXIF, whose other
// tags (maker notes, thumbnails) a name never needs.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "media/MediaRead.hpp"

namespace velmora {

// The texts of the tags read, as recorded (empty where absent or unreadable).
struct ExifTexts {
    std::string dateTime, original, digitized;
    std::string subSec, subSecOriginal, subSecDigitized;
    std::string make, model;
};

// A JPEG or a TIFF-shaped file, told apart by its first bytes.
MediaRead ReadExif(const FileBytes& bytes);

// The TIFF structure at `base` (its offsets count from there), ending at `end`: the first
// directory and the EXIF one. Tags already in `texts` are kept (the first structure read wins).
// False when the reader needs more bytes.
bool CollectTiff(ByteReader& bytes, std::uint64_t base, std::uint64_t end, ExifTexts* texts);

// The EXIF of a JPEG's APP1 segments, the JPEG lying at `start`..`end` of the file.
bool CollectJpeg(ByteReader& bytes, std::uint64_t start, std::uint64_t end, ExifTexts* texts);

// Where "Exif\0\0" begins an EXIF block (as some writers of WebP and PNG put it), the TIFF
// header after it; else `at`.
std::uint64_t SkipExifName(ByteReader& bytes, std::uint64_t at, std::uint64_t end);

// DateTimeOriginal, else DateTimeDigitized, else DateTime, each only when it is a valid
// "YYYY:MM:DD hh:mm:ss", with the milliseconds of its own SubSecTime tag; and the maker and model.
MediaFacts FactsOfExif(const ExifTexts& texts);

// The same over a whole file's bytes: false when they hold no valid date.
bool ReadExifDate(std::string_view file, CivilTime* taken, ExifDateTag* tag);

// A date tag's text, "YYYY:MM:DD hh:mm:ss", checked field by field (the calendar's days of the
// month, leap years). What follows the 19 characters is not looked at.
bool ParseExifDateTime(std::string_view text, CivilTime* time);

// A SubSecTime tag's digits as milliseconds: the first three, padded on the right ("5" is 500);
// 0 for an empty or malformed text.
int SubSecMilliseconds(std::string_view text);

}  // namespace velmora
