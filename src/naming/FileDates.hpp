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
    int millisecond = 0;  // 0..999; 0 where the source keeps no finer time
};

// Which EXIF tag gave a photo's date taken.
enum class ExifDateTag { DateTimeOriginal, DateTimeDigitized, DateTime };

// What a photo or a clip records of itself, read from the file's own bytes.
struct MediaFacts {
    bool hasTaken = false;  // `taken` and `tag` hold the recorded date taken
    CivilTime taken;        // wall-clock time, milliseconds included where recorded
    ExifDateTag tag = ExifDateTag::DateTimeOriginal;
    std::string make;   // the camera's or phone's maker as recorded, trailing spaces and NULs cut
    std::string model;  // its model, the same way; both empty where the file records none
};

// The facts of photos and clips, read from the files' own bytes.
class DateTakenSource {
public:
    virtual ~DateTakenSource() = default;
    // The facts of the file at `path` (as the run names the file it renames); null when the file
    // records none (any other kind of file, damaged or missing tags, a file that cannot be read).
    // A source keeps what it read: a second question about the same path asks the file system
    // nothing, and the facts stay valid for the source's life.
    virtual const MediaFacts* Facts(const std::string& path) = 0;

    // The date taken alone: false when the file records none.
    bool DateTaken(const std::string& path, CivilTime* taken, ExifDateTag* tag) {
        const MediaFacts* facts = Facts(path);
        if (facts == nullptr || !facts->hasTaken)
            return false;
        *taken = facts->taken;
        *tag = facts->tag;
        return true;
    }
};

}  // namespace velmora
