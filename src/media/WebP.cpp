// WebP keeps EXIF in a RIFF chunk named EXIF: a TIFF structure, after "Exif\0\0" in some writers'
// files.
#include <cstring>

#include "media/Exif.hpp"
#include "media/MediaFile.hpp"
#include "media/Riff.hpp"

namespace velmora {

MediaRead ReadWebP(const FileBytes& file) {
    ByteReader bytes(file);
    if (!IsRiff(bytes, "WEBP"))
        return bytes.Answer();
    ChunkWalk walk(bytes, 12, file.FileSize());
    Chunk chunk;
    while (walk.Next(&chunk)) {
        if (std::memcmp(chunk.name, "EXIF", 4) == 0) {
            ExifTexts texts;
            CollectTiff(bytes, SkipExifName(bytes, chunk.body, chunk.end), chunk.end, &texts);
            return bytes.Answer(FactsOfExif(texts));
        }
    }
    return bytes.Answer();
}

}  // namespace velmora
