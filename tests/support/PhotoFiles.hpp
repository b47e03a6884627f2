// Photos made up byte by byte for the tests and the benchmark: the smallest JPEG and TIFF a
// viewer (and exiftool) accepts, and ones carrying the three EXIF date tags with any text.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace velmora::test {

// The date tags' texts; an empty one is a tag the photo lacks. Each is written as it is, with
// the terminating zero the format asks for.
struct PhotoDates {
    std::string original;   // DateTimeOriginal, in the EXIF directory
    std::string digitized;  // DateTimeDigitized, in the EXIF directory
    std::string dateTime;   // DateTime, in the first directory
};

struct TiffLayout {
    bool bigEndian = false;
    std::uint16_t magic = 42;  // 0x4F52 for an Olympus raw file ("IIRO", "MMOR")
    // Image bytes between the header and the first directory, as a TIFF written in one pass has.
    std::uint32_t dataBefore = 0;
    // A maker note of this many bytes in the EXIF directory, as cameras fill their EXIF with.
    std::uint32_t makerNote = 0;
};

namespace photo_detail {

class Writer {
public:
    explicit Writer(bool bigEndian) : bigEndian_(bigEndian) {}
    void U16(std::uint32_t value) { Bytes(value, 2); }
    void U32(std::uint32_t value) { Bytes(value, 4); }
    std::string& Out() { return out_; }

private:
    void Bytes(std::uint32_t value, int count) {
        for (int i = 0; i < count; ++i) {
            const int shift = 8 * (bigEndian_ ? count - 1 - i : i);
            out_ += static_cast<char>((value >> shift) & 0xFF);
        }
    }
    bool bigEndian_;
    std::string out_;
};

struct Entry {
    std::uint16_t tag;
    std::uint16_t type;
    std::uint32_t count;
    std::string data;       // values longer than four bytes, placed after the directories
    std::uint32_t inlined;  // the value field otherwise
};

}  // namespace photo_detail

// A TIFF in two pieces: the header with the pixel, and the directories with their values, which
// go at `tailAt` (zeros, or a hole, between them).
struct TiffPieces {
    std::string head;
    std::uint32_t tailAt = 0;
    std::string tail;
};

// A TIFF structure: the header, the first directory (a 1x1 grey image's tags, DateTime, the
// pointer to the EXIF directory) and the EXIF directory (DateTimeOriginal, DateTimeDigitized).
// `extra` entries (tag, type, count, inline value) join the first directory.
inline TiffPieces TiffWithDatesInPieces(const PhotoDates& dates, const TiffLayout& layout = {},
                                        const std::vector<std::vector<std::uint32_t>>& extra = {}) {
    using photo_detail::Entry;
    const auto ascii = [](std::uint16_t tag, const std::string& text) {
        return Entry{tag, 2, static_cast<std::uint32_t>(text.size() + 1), text + '\0', 0};
    };
    std::vector<Entry> first = {{0x0100, 3, 1, "", 1}, {0x0101, 3, 1, "", 1}, {0x0102, 3, 1, "", 8},
                                {0x0103, 3, 1, "", 1}, {0x0106, 3, 1, "", 1}, {0x0111, 4, 1, "", 0},
                                {0x0116, 3, 1, "", 1}, {0x0117, 4, 1, "", 1}};
    for (const auto& e : extra)
        first.push_back(
            Entry{static_cast<std::uint16_t>(e[0]), static_cast<std::uint16_t>(e[1]), e[2], "", e[3]});
    if (!dates.dateTime.empty())
        first.push_back(ascii(0x0132, dates.dateTime));
    std::vector<Entry> exif;
    if (!dates.original.empty())
        exif.push_back(ascii(0x9003, dates.original));
    if (!dates.digitized.empty())
        exif.push_back(ascii(0x9004, dates.digitized));
    if (layout.makerNote > 0)
        exif.push_back(Entry{0x927C, 7, layout.makerNote, std::string(layout.makerNote, '\x55'), 0});
    if (!exif.empty())
        first.push_back(Entry{0x8769, 4, 1, "", 0});
    // Directories' entries go in ascending tag order.
    const auto byTag = [](const Entry& a, const Entry& b) { return a.tag < b.tag; };
    std::sort(first.begin(), first.end(), byTag);

    const std::uint32_t pixel = 8;
    const std::uint32_t firstAt = (8 + 1 + layout.dataBefore + 1) & ~1u;
    const std::uint32_t exifAt = firstAt + 2 + 12 * static_cast<std::uint32_t>(first.size()) + 4;
    std::uint32_t dataAt = exifAt + (exif.empty() ? 0 : 2 + 12 * static_cast<std::uint32_t>(exif.size()) + 4);
    for (Entry& e : first) {
        if (e.tag == 0x0111)
            e.inlined = pixel;
        if (e.tag == 0x8769)
            e.inlined = exifAt;
    }

    photo_detail::Writer w(layout.bigEndian);
    w.Out() += layout.bigEndian ? "MM" : "II";
    w.U16(layout.magic);
    w.U32(firstAt);
    w.Out() += '\x80';  // the one pixel
    TiffPieces pieces;
    pieces.head = w.Out();
    pieces.tailAt = firstAt;
    w.Out().clear();
    std::string values;
    const auto directory = [&](const std::vector<Entry>& entries) {
        w.U16(static_cast<std::uint32_t>(entries.size()));
        for (const Entry& e : entries) {
            w.U16(e.tag);
            w.U16(e.type);
            w.U32(e.count);
            if (e.data.empty()) {
                // A short value sits in the field's first bytes, whatever the byte order.
                if (e.type == 3) {
                    w.U16(e.inlined);
                    w.U16(0);
                } else {
                    w.U32(e.inlined);
                }
            } else {
                w.U32(dataAt + static_cast<std::uint32_t>(values.size()));
                values += e.data;
                if (values.size() % 2)
                    values += '\0';
            }
        }
        w.U32(0);
    };
    directory(first);
    if (!exif.empty())
        directory(exif);
    pieces.tail = w.Out() + values;
    return pieces;
}

inline std::string TiffWithDates(const PhotoDates& dates, const TiffLayout& layout = {},
                                 const std::vector<std::vector<std::uint32_t>>& extra = {}) {
    TiffPieces pieces = TiffWithDatesInPieces(dates, layout, extra);
    pieces.head.resize(pieces.tailAt, '\0');
    return pieces.head + pieces.tail;
}

// The smallest baseline JPEG: one grey pixel, no metadata.
inline std::string BareJpegImage(std::size_t padding = 0) {
    std::string image("\xFF\xDB\x00\x43\x00", 5);
    image += std::string(64, '\x01');
    image += std::string("\xFF\xC0\x00\x0B\x08\x00\x01\x00\x01\x01\x01\x11\x00", 13);
    for (const char table : {'\x00', '\x10'}) {
        image += std::string("\xFF\xC4\x00\x14", 4) + table + '\x01' + std::string(15, '\0') + '\0';
    }
    image += std::string("\xFF\xDA\x00\x08\x01\x01\x00\x00\x3F\x00", 10);
    // The pixel: a zero difference and the end of the block, then padding of zero bytes (which
    // decode as more of the same and never form a marker).
    image += '\x3F';
    image += std::string(padding, '\0');
    image += "\xFF\xD9";
    return image;
}

// A JPEG whose APP1 holds the dates as EXIF (after a JFIF APP0 when `jfif`), then the image with
// `padding` bytes of image data.
inline std::string JpegWithDates(const PhotoDates& dates, const TiffLayout& layout = {}, bool jfif = false,
                                 std::size_t padding = 0) {
    std::string jpeg("\xFF\xD8", 2);
    if (jfif)
        jpeg += std::string("\xFF\xE0\x00\x10JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00", 18);
    const std::string exif = std::string("Exif\0\0", 6) + TiffWithDates(dates, layout);
    const std::size_t length = exif.size() + 2;
    jpeg += "\xFF\xE1";
    jpeg += static_cast<char>(length >> 8);
    jpeg += static_cast<char>(length & 0xFF);
    return jpeg + exif + BareJpegImage(padding);
}

inline std::string BareJpeg() {
    return "\xFF\xD8" + BareJpegImage();
}

}  // namespace velmora::test
