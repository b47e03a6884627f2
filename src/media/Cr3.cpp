// Canon's CR3 is an ISO base media file whose moov holds a uuid box of Canon's; in it, CMT1 is a
// TIFF whose first directory has the maker, model and DateTime, and CMT2 a TIFF whose first
// directory is the EXIF one (DateTimeOriginal and its fraction of a second).
#include <cstring>

#include "media/Exif.hpp"
#include "media/IsoBmff.hpp"
#include "media/MediaFile.hpp"

namespace velmora {
namespace {

constexpr unsigned char kCanonUuid[16] = {0x85, 0xc0, 0xb6, 0x87, 0x82, 0x0f, 0x11, 0xe0,
                                          0x81, 0x11, 0xf4, 0xce, 0x46, 0x2b, 0x6a, 0x48};

}  // namespace

MediaRead ReadCr3(const FileBytes& file) {
    ByteReader bytes(file);
    Box moov;
    if (!FindBox(bytes, 0, file.FileSize(), FourCc("moov"), &moov))
        return bytes.Answer();
    BoxWalk walk(bytes, moov.body, moov.end);
    Box box;
    while (walk.Next(&box)) {
        if (box.type != FourCc("uuid"))
            continue;
        const unsigned char* name = bytes.Get(box.body - 16, 16, box.end);
        if (name == nullptr || std::memcmp(name, kCanonUuid, 16) != 0)
            continue;
        ExifTexts texts;
        BoxWalk blocks(bytes, box.body, box.end);
        Box block;
        // The maker note (CMT3) and the thumbnail that follow are many KB: not walked past.
        int read = 0;
        while (read < 2 && blocks.Next(&block)) {
            if (block.type != FourCc("CMT1") && block.type != FourCc("CMT2"))
                continue;
            ++read;
            if (!CollectTiff(bytes, block.body, block.end, &texts))
                break;
        }
        return bytes.Answer(FactsOfExif(texts));
    }
    return bytes.Answer();
}

}  // namespace velmora
