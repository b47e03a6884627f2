// Fuji's RAF begins with a header of its own that says where a full-size JPEG lies in the file;
// that JPEG's EXIF is the photo's.
#include <cstring>

#include "media/Exif.hpp"
#include "media/MediaFile.hpp"

namespace velmora {

MediaRead ReadRaf(const FileBytes& file) {
    ByteReader bytes(file);
    const unsigned char* header = bytes.Get(0, 92, file.FileSize());
    if (header == nullptr || std::memcmp(header, "FUJIFILMCCD-RAW ", 16) != 0)
        return bytes.Answer();
    // The JPEG's offset and length, big-endian, at 84 and 88.
    const std::uint64_t start = Be32(header + 84);
    const std::uint64_t end = start + Be32(header + 88);
    ExifTexts texts;
    CollectJpeg(bytes, start, end, &texts);
    return bytes.Answer(FactsOfExif(texts));
}

}  // namespace velmora
