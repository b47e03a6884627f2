// The formats whose own bytes tell when a photo or clip was taken, each read by a reader of its
// own (one file each), and the choice of reader by a file's name.
#pragma once

#include <string_view>

#include "media/MediaRead.hpp"

namespace velmora {

enum class MediaFormat {
    None,       // not looked into
    Exif,       // JPEG, TIFF and the raw files built on TIFF
    Heif,       // HEIC, HEIF, HIF, AVIF: the EXIF item of the meta box
    Cr3,        // Canon's CR3: the TIFF blocks in CMT1 and CMT2
    QuickTime,  // MP4, MOV, M4V, 3GP, 3G2: Apple's keys, else the movie header
    Raf,        // Fuji's RAF: the JPEG its header points to
    Png,        // the eXIf chunk
    WebP,       // the RIFF EXIF chunk
    Avi         // the RIFF IDIT chunk
};

// By the extension, in any letter case; None for every other name.
MediaFormat MediaFormatOfName(std::string_view path);

// The reader of the format, or the JPEG one for a JPEG saved under another format's name (its
// first bytes say so).
MediaRead ReadMedia(MediaFormat format, const FileBytes& bytes);

MediaRead ReadHeif(const FileBytes& bytes);
MediaRead ReadCr3(const FileBytes& bytes);
MediaRead ReadQuickTime(const FileBytes& bytes);
MediaRead ReadRaf(const FileBytes& bytes);
MediaRead ReadPng(const FileBytes& bytes);
MediaRead ReadWebP(const FileBytes& bytes);
MediaRead ReadAvi(const FileBytes& bytes);

}  // namespace velmora
