#include "media/MediaFile.hpp"

#include "far/HostConventions.hpp"
#include "media/Exif.hpp"

namespace velmora {

MediaFormat MediaFormatOfName(std::string_view path) {
    const std::size_t dot = path.find_last_of("./\\");
    if (dot == std::string_view::npos || path[dot] != '.')
        return MediaFormat::None;
    const std::string_view extension = path.substr(dot + 1);
    if (extension.size() < 3 || extension.size() > 4)
        return MediaFormat::None;
    static constexpr struct {
        std::string_view extension;
        MediaFormat format;
    } kFormats[] = {
        {"jpg", MediaFormat::Exif},      {"jpeg", MediaFormat::Exif},     {"jpe", MediaFormat::Exif},
        {"tif", MediaFormat::Exif},      {"tiff", MediaFormat::Exif},     {"dng", MediaFormat::Exif},
        {"nef", MediaFormat::Exif},      {"nrw", MediaFormat::Exif},      {"cr2", MediaFormat::Exif},
        {"arw", MediaFormat::Exif},      {"orf", MediaFormat::Exif},      {"pef", MediaFormat::Exif},
        {"srw", MediaFormat::Exif},      {"rw2", MediaFormat::Exif},      {"rwl", MediaFormat::Exif},
        {"heic", MediaFormat::Heif},     {"heif", MediaFormat::Heif},     {"hif", MediaFormat::Heif},
        {"avif", MediaFormat::Heif},     {"cr3", MediaFormat::Cr3},       {"mp4", MediaFormat::QuickTime},
        {"mov", MediaFormat::QuickTime}, {"m4v", MediaFormat::QuickTime}, {"3gp", MediaFormat::QuickTime},
        {"3g2", MediaFormat::QuickTime}, {"raf", MediaFormat::Raf},       {"png", MediaFormat::Png},
        {"webp", MediaFormat::WebP},     {"avi", MediaFormat::Avi},
    };
    for (const auto& known : kFormats) {
        if (far::EqualIgnoringAsciiCase(extension, known.extension))
            return known.format;
    }
    return MediaFormat::None;
}

MediaRead ReadMedia(MediaFormat format, const FileBytes& bytes) {
    // Which reader reads a file depends on its first bytes: they are asked for first, or a file's
    // answer would depend on how it was read.
    if (format != MediaFormat::None && bytes.FileSize() >= 2) {
        const unsigned char* start = bytes.At(0, 2);
        if (start == nullptr) {
            MediaRead read;
            read.outcome = MediaRead::NeedBytes;
            read.wantCount = 2;
            return read;
        }
        if (start[0] == 0xFF && start[1] == 0xD8)
            return ReadExif(bytes);
    }
    switch (format) {
        case MediaFormat::None:
            return MediaRead();
        case MediaFormat::Exif:
            return ReadExif(bytes);
        case MediaFormat::Heif:
            return ReadHeif(bytes);
        case MediaFormat::Cr3:
            return ReadCr3(bytes);
        case MediaFormat::QuickTime:
            return ReadQuickTime(bytes);
        case MediaFormat::Raf:
            return ReadRaf(bytes);
        case MediaFormat::Png:
            return ReadPng(bytes);
        case MediaFormat::WebP:
            return ReadWebP(bytes);
        case MediaFormat::Avi:
            return ReadAvi(bytes);
    }
    return MediaRead();
}

}  // namespace velmora
