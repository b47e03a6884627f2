// What a photo or a clip records of itself: the time it was taken and the camera that took it. The
// readers of file formats fill it in; the name template puts it into names.
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

// Where a file's date taken was recorded: the three EXIF tags, in the order they are taken, then
// the places a clip keeps its date.
enum class ExifDateTag {
    DateTimeOriginal,
    DateTimeDigitized,
    DateTime,
    QuickTimeCreationDate,  // Apple's com.apple.quicktime.creationdate: wall-clock time where filmed
    MovieHeader,            // the movie header's creation time: a moment in UTC
    AviDateTime             // a DV camcorder's IDIT chunk
};

// What a photo or a clip records of itself, read from the file's own bytes.
struct MediaFacts {
    bool hasTaken = false;  // `taken` and `tag` hold the recorded date taken
    CivilTime taken;        // wall-clock time, milliseconds included where recorded
    ExifDateTag tag = ExifDateTag::DateTimeOriginal;
    std::string make;   // the camera's or phone's maker as recorded, trailing spaces and NULs cut
    std::string model;  // its model, the same way; both empty where the file records none

    bool Any() const { return hasTaken || !make.empty() || !model.empty(); }
};

}  // namespace velmora
