// PNG keeps EXIF in an eXIf chunk (a TIFF structure, though some writers put "Exif\0\0" first).
// Chunks are walked by their lengths; image data is stepped over unread.
#include <cstring>

#include "media/Exif.hpp"
#include "media/MediaFile.hpp"

namespace velmora {
namespace {

// More chunks than a PNG's head holds before its image data and a few after.
constexpr int kMostChunks = 4096;

}  // namespace

MediaRead ReadPng(const FileBytes& file) {
    ByteReader bytes(file);
    const std::uint64_t fileSize = file.FileSize();
    const unsigned char* signature = bytes.Get(0, 8, fileSize);
    if (signature == nullptr || std::memcmp(signature, "\x89PNG\r\n\x1A\n", 8) != 0)
        return bytes.Answer();
    std::uint64_t at = 8;
    for (int chunks = 0; chunks < kMostChunks; ++chunks) {
        const unsigned char* header = bytes.Get(at, 8, fileSize);
        if (header == nullptr)
            break;
        const std::uint64_t data = at + 8;
        const std::uint64_t end = data + Be32(header);
        if (std::memcmp(header + 4, "eXIf", 4) == 0) {
            ExifTexts texts;
            CollectTiff(bytes, SkipExifName(bytes, data, end), end, &texts);
            return bytes.Answer(FactsOfExif(texts));
        }
        if (std::memcmp(header + 4, "IEND", 4) == 0)
            break;
        at = end + 4;  // the CRC
    }
    return bytes.Answer();
}

}  // namespace velmora
