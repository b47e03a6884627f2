// The dates a name template can put into a name, as a calendar and a clock show them (local
// time), and where a photo's date taken comes from. The template reads them; what reads a file's
// bytes for them lives below it and is reached only through DateTakenSource.
#pragma once

#include <string>

namespace velmora {

// A wall-clock time: year 1601..9999, month 1..12, day 1..31, hour 0..23, minute and second 0..59.
struct CivilTime {
    int year = 1601;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// Which EXIF tag gave a photo's date taken.
enum class ExifDateTag { DateTimeOriginal, DateTimeDigitized, DateTime };

// The date a photo was taken, read from the file's own bytes.
class DateTakenSource {
public:
    virtual ~DateTakenSource() = default;
    // The date taken of the file at `path` (as the run names the file it renames); false when the
    // file has no readable one (any other kind of file, a damaged or missing tag, a file that
    // cannot be read). A source keeps what it read: a second question about the same path asks
    // the file system nothing.
    virtual bool DateTaken(const std::string& path, CivilTime* taken, ExifDateTag* tag) = 0;
};

}  // namespace velmora
