// HEIC, HEIF and AVIF keep their EXIF as an item of the file: the meta box's iinf names the item
// of type "Exif", its iloc says where the item's bytes lie (in the file, or in the meta box's own
// idat), and those bytes begin with the distance from their fifth byte to the TIFF header.
#include "media/Exif.hpp"
#include "media/IsoBmff.hpp"
#include "media/MediaFile.hpp"

namespace velmora {
namespace {

// A full box's content begins with its version (one byte) and flags (three).
bool Version(ByteReader& bytes, const Box& box, int* version) {
    const unsigned char* field = bytes.Get(box.body, 4, box.end);
    if (field == nullptr)
        return false;
    *version = field[0];
    return true;
}

// The item ID of the first item of type "Exif" that iinf lists.
bool FindExifItem(ByteReader& bytes, const Box& iinf, std::uint32_t* item) {
    int version = 0;
    if (!Version(bytes, iinf, &version))
        return false;
    BoxWalk walk(bytes, iinf.body + 4 + (version == 0 ? 2 : 4), iinf.end);
    Box infe;
    while (walk.Next(&infe)) {
        if (infe.type != FourCc("infe"))
            continue;
        int infeVersion = 0;
        if (!Version(bytes, infe, &infeVersion) || infeVersion < 2)
            continue;
        const std::size_t idSize = infeVersion == 2 ? 2 : 4;
        const unsigned char* fields = bytes.Get(infe.body + 4, idSize + 2 + 4, infe.end);
        if (fields == nullptr)
            continue;
        if (Be32(fields + idSize + 2) == FourCc("Exif")) {
            *item = idSize == 2 ? Be16(fields) : Be32(fields);
            return true;
        }
    }
    return false;
}

struct Extent {
    int constructionMethod = 0;  // 0: at an offset in the file; 1: in the meta box's idat
    std::uint64_t offset = 0;
    std::uint64_t length = 0;  // 0: to the end
};

// Where the item's first extent lies, as iloc records it.
bool FindExtent(ByteReader& bytes, const Box& iloc, std::uint32_t item, Extent* extent) {
    int version = 0;
    if (!Version(bytes, iloc, &version) || version > 2)
        return false;
    const unsigned char* sizes = bytes.Get(iloc.body + 4, 2, iloc.end);
    if (sizes == nullptr)
        return false;
    const int offsetSize = sizes[0] >> 4, lengthSize = sizes[0] & 15, baseSize = sizes[1] >> 4;
    const int indexSize = version >= 1 ? sizes[1] & 15 : 0;
    std::uint64_t at = iloc.body + 6;
    const int idSize = version == 2 ? 4 : 2;
    std::uint64_t items = 0;
    if (version == 2) {
        if (!ReadSized(bytes, at, iloc.end, 4, &items))
            return false;
    } else {
        const unsigned char* count = bytes.Get(at, 2, iloc.end);
        if (count == nullptr)
            return false;
        items = Be16(count);
    }
    at += idSize;
    for (std::uint64_t i = 0; i < items; ++i) {
        const unsigned char* id = bytes.Get(at, static_cast<std::size_t>(idSize), iloc.end);
        if (id == nullptr)
            return false;
        const std::uint32_t itemId = idSize == 2 ? Be16(id) : Be32(id);
        at += idSize;
        int method = 0;
        if (version >= 1) {
            const unsigned char* field = bytes.Get(at, 2, iloc.end);
            if (field == nullptr)
                return false;
            method = field[1] & 15;
            at += 2;
        }
        std::uint64_t base = 0;
        at += 2;  // data_reference_index
        if (!ReadSized(bytes, at, iloc.end, baseSize, &base))
            return false;
        at += static_cast<std::uint64_t>(baseSize);
        const unsigned char* counts = bytes.Get(at, 2, iloc.end);
        if (counts == nullptr)
            return false;
        const std::uint32_t extents = Be16(counts);
        at += 2;
        const std::uint64_t extentSize =
            static_cast<std::uint64_t>(indexSize) + static_cast<std::uint64_t>(offsetSize) + lengthSize;
        if (itemId == item && extents >= 1) {
            std::uint64_t offset = 0, length = 0;
            if (indexSize != 0 && indexSize != 4 && indexSize != 8)
                return false;
            if (!ReadSized(bytes, at + indexSize, iloc.end, offsetSize, &offset) ||
                !ReadSized(bytes, at + indexSize + offsetSize, iloc.end, lengthSize, &length))
                return false;
            extent->constructionMethod = method;
            extent->offset = base + offset;
            extent->length = length;
            return base + offset >= base;
        }
        at += extentSize * extents;
        if (at > iloc.end)
            return false;
    }
    return false;
}

}  // namespace

MediaRead ReadHeif(const FileBytes& file) {
    ByteReader bytes(file);
    const std::uint64_t fileSize = file.FileSize();
    Box meta;
    if (!FindBox(bytes, 0, fileSize, FourCc("meta"), &meta))
        return bytes.Answer();
    Box iinf, iloc, idat;
    const bool hasIdat = FindBox(bytes, meta.body + 4, meta.end, FourCc("idat"), &idat);
    std::uint32_t item = 0;
    Extent extent;
    if (!FindBox(bytes, meta.body + 4, meta.end, FourCc("iinf"), &iinf) ||
        !FindExifItem(bytes, iinf, &item) ||
        !FindBox(bytes, meta.body + 4, meta.end, FourCc("iloc"), &iloc) ||
        !FindExtent(bytes, iloc, item, &extent))
        return bytes.Answer();
    std::uint64_t start = extent.offset, end = fileSize;
    if (extent.constructionMethod == 1) {
        if (!hasIdat || extent.offset > idat.end - idat.body)
            return bytes.Answer();
        start = idat.body + extent.offset;
        end = idat.end;
    } else if (extent.constructionMethod != 0) {
        return bytes.Answer();
    }
    if (extent.length != 0 && extent.length < end - start)
        end = start + extent.length;
    if (start >= end)
        return bytes.Answer();
    const unsigned char* skip = bytes.Get(start, 4, end);
    if (skip == nullptr || Be32(skip) > end - start - 4)
        return bytes.Answer();
    ExifTexts texts;
    CollectTiff(bytes, start + 4 + Be32(skip), end, &texts);
    return bytes.Answer(FactsOfExif(texts));
}

}  // namespace velmora
