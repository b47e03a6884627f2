// The photo's date taken as the template asks for it: read from the file through the platform's
// file system, once a file, and kept for the life of the source (a dialog's live preview asks
// again at every key).
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>

#include "naming/FileDates.hpp"
#include "platform/Platform.hpp"

namespace velmora {

class FileDateTaken final : public DateTakenSource {
public:
    // `files` must outlive the source.
    explicit FileDateTaken(FileSystem& files) : files_(files) {}

    const MediaFacts* Facts(const std::string& path) override;

    // Whether a file of this name is looked into at all: its extension is one of the formats read
    // (jpg jpeg jpe tif tiff dng nef nrw cr2 cr3 arw orf pef srw rw2 rwl raf heic heif hif avif png
    // webp mp4 mov m4v 3gp 3g2 avi, in any letter case). Any other name costs no system call.
    static bool IsPhotoName(std::string_view path);

private:
    MediaFacts Read(const std::string& path);

    FileSystem& files_;
    std::unordered_map<std::string, MediaFacts> answers_;
};

}  // namespace velmora
