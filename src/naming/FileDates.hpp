// The dates a name template can put into a name, as a calendar and a clock show them (local
// time), and where a photo's date taken comes from. The template reads them; what reads a file's
// bytes for them lives below it and is reached only through DateTakenSource.
#pragma once

#include <string>

#include "media/MediaFacts.hpp"

namespace velmora {

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
