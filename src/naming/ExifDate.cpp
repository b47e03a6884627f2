#include "naming/ExifDate.hpp"

#include <cstring>
#include <utility>

namespace velmora {

void FileBytes::Add(std::uint64_t offset, std::string bytes) {
    if (!bytes.empty())
        pieces_.push_back(Piece{offset, std::move(bytes)});
}

const unsigned char* FileBytes::At(std::uint64_t offset, std::size_t count) const {
    for (const Piece& piece : pieces_) {
        if (offset < piece.offset)
            continue;
        const std::uint64_t skip = offset - piece.offset;
        if (skip > piece.bytes.size() || count > piece.bytes.size() - skip)
            continue;
        return reinterpret_cast<const unsigned char*>(piece.bytes.data()) + skip;
    }
    return nullptr;
}

std::uint64_t FileBytes::Held() const {
    std::uint64_t held = 0;
    for (const Piece& piece : pieces_)
        held += piece.bytes.size();
    return held;
}

namespace {

constexpr std::uint16_t kTagDateTime = 0x0132;
constexpr std::uint16_t kTagExifIfd = 0x8769;
constexpr std::uint16_t kTagDateTimeOriginal = 0x9003;
constexpr std::uint16_t kTagDateTimeDigitized = 0x9004;

constexpr std::uint16_t kTypeByte = 1;
constexpr std::uint16_t kTypeAscii = 2;
constexpr std::uint16_t kTypeLong = 4;
constexpr std::uint16_t kTypeUndefined = 7;
constexpr std::uint16_t kTypeIfd = 13;

constexpr std::size_t kDateLength = 19;  // "YYYY:MM:DD hh:mm:ss"
constexpr std::size_t kEntrySize = 12;
// APP1 comes first in a JPEG, after APP0 at most; a marker walk that has not met it this far into
// the file is not going to.
constexpr std::uint64_t kJpegSearchEnd = 1 << 20;

// Where a tag's value lies, relative to the TIFF header; absent when the tag was not seen.
struct Place {
    bool present = false;
    std::uint32_t offset = 0;
};

// Access to the file's bytes within one region (a TIFF structure ends where its JPEG segment ends).
// A read that the region cannot hold fails; one the file holds but the pieces do not yet fails too
// and remembers what to read, which ends the reading with NeedBytes.
class Bytes {
public:
    explicit Bytes(const FileBytes& file) : file_(file) {}

    const unsigned char* Get(std::uint64_t offset, std::size_t count, std::uint64_t end) {
        if (end > file_.FileSize())
            end = file_.FileSize();
        if (offset > end || count > end - offset)
            return nullptr;
        const unsigned char* bytes = file_.At(offset, count);
        if (bytes == nullptr && !needs_) {
            needs_ = true;
            wantOffset_ = offset;
            wantCount_ = count;
        }
        return bytes;
    }
    bool Needs() const { return needs_; }
    ExifDateRead Need() const {
        ExifDateRead read;
        read.outcome = ExifDateRead::NeedBytes;
        read.wantOffset = wantOffset_;
        read.wantCount = wantCount_;
        return read;
    }
    std::uint64_t FileSize() const { return file_.FileSize(); }

private:
    const FileBytes& file_;
    bool needs_ = false;
    std::uint64_t wantOffset_ = 0;
    std::size_t wantCount_ = 0;
};

class Tiff {
public:
    Tiff(Bytes& bytes, std::uint64_t base, std::uint64_t end) : bytes_(bytes), base_(base), end_(end) {}

    ExifDateRead Read() {
        const unsigned char* header = bytes_.Get(base_, 8, end_);
        if (header == nullptr)
            return Answer();
        if (header[0] == 'I' && header[1] == 'I')
            bigEndian_ = false;
        else if (header[0] == 'M' && header[1] == 'M')
            bigEndian_ = true;
        else
            return Answer();
        // 42 is TIFF's own; Olympus marks its raw files "RO" (and "RS") in the same place.
        const std::uint16_t magic = U16(header + 2);
        if (magic != 42 && magic != 0x4F52 && magic != 0x5352)
            return Answer();

        Place dateTime, exifIfd, original, digitized;
        ScanIfd(U32(header + 4), &dateTime, &exifIfd, nullptr, nullptr);
        if (bytes_.Needs())
            return bytes_.Need();
        if (exifIfd.present) {
            ScanIfd(exifIfd.offset, nullptr, nullptr, &original, &digitized);
            if (bytes_.Needs())
                return bytes_.Need();
        }
        const std::pair<Place, ExifDateTag> order[] = {{original, ExifDateTag::DateTimeOriginal},
                                                       {digitized, ExifDateTag::DateTimeDigitized},
                                                       {dateTime, ExifDateTag::DateTime}};
        for (const auto& [place, tag] : order) {
            if (!place.present)
                continue;
            const unsigned char* text = bytes_.Get(base_ + place.offset, kDateLength, end_);
            if (bytes_.Needs())
                return bytes_.Need();
            CivilTime taken;
            if (text != nullptr &&
                ParseExifDateTime(std::string_view(reinterpret_cast<const char*>(text), kDateLength),
                                  &taken)) {
                ExifDateRead read;
                read.outcome = ExifDateRead::Found;
                read.taken = taken;
                read.tag = tag;
                return read;
            }
        }
        return ExifDateRead();
    }

private:
    ExifDateRead Answer() const { return bytes_.Needs() ? bytes_.Need() : ExifDateRead(); }

    std::uint16_t U16(const unsigned char* p) const {
        return static_cast<std::uint16_t>(bigEndian_ ? (p[0] << 8) | p[1] : (p[1] << 8) | p[0]);
    }
    std::uint32_t U32(const unsigned char* p) const {
        return bigEndian_ ? (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) |
                                (std::uint32_t{p[2]} << 8) | p[3]
                          : (std::uint32_t{p[3]} << 24) | (std::uint32_t{p[2]} << 16) |
                                (std::uint32_t{p[1]} << 8) | p[0];
    }

    // The tags asked for (a null place is not looked for) among one directory's entries. Only the
    // first directory and the EXIF one are read, never a chain of them, so no loop can form. A
    // directory cut short by the end of its region gives the entries before the cut.
    void ScanIfd(std::uint32_t offset, Place* dateTime, Place* exifIfd, Place* original, Place* digitized) {
        const std::uint64_t start = base_ + offset;
        const unsigned char* count = bytes_.Get(start, 2, end_);
        if (count == nullptr)
            return;
        const std::uint16_t entries = U16(count);
        for (std::uint32_t i = 0; i < entries; ++i) {
            const unsigned char* entry = bytes_.Get(start + 2 + i * kEntrySize, kEntrySize, end_);
            if (entry == nullptr)
                return;
            const std::uint16_t tag = U16(entry);
            const std::uint16_t type = U16(entry + 2);
            const std::uint32_t values = U32(entry + 4);
            Place* date = tag == kTagDateTime            ? dateTime
                          : tag == kTagDateTimeOriginal  ? original
                          : tag == kTagDateTimeDigitized ? digitized
                                                         : nullptr;
            if (date != nullptr && !date->present && values >= kDateLength &&
                (type == kTypeAscii || type == kTypeByte || type == kTypeUndefined)) {
                // More than four bytes of value: the field holds where they are.
                date->present = true;
                date->offset = U32(entry + 8);
            }
            if (tag == kTagExifIfd && exifIfd != nullptr && !exifIfd->present && values >= 1 &&
                (type == kTypeLong || type == kTypeIfd)) {
                exifIfd->present = true;
                exifIfd->offset = U32(entry + 8);
            }
        }
    }

    Bytes& bytes_;
    std::uint64_t base_;
    std::uint64_t end_;
    bool bigEndian_ = false;
};

ExifDateRead ReadJpeg(Bytes& bytes) {
    const std::uint64_t fileSize = bytes.FileSize();
    std::uint64_t at = 2;
    while (at < kJpegSearchEnd) {
        const unsigned char* marker = bytes.Get(at, 2, fileSize);
        if (marker == nullptr || marker[0] != 0xFF)
            break;
        const unsigned char kind = marker[1];
        if (kind == 0xFF) {  // fill byte before a marker
            ++at;
            continue;
        }
        if (kind == 0xD9 || kind == 0xDA)  // end of image, start of the scan: no more metadata
            break;
        if (kind == 0x01 || kind == 0xD8 || (kind >= 0xD0 && kind <= 0xD7)) {  // markers without length
            at += 2;
            continue;
        }
        const unsigned char* length = bytes.Get(at + 2, 2, fileSize);
        if (length == nullptr)
            break;
        const std::uint32_t size = (std::uint32_t{length[0]} << 8) | length[1];
        if (size < 2)
            break;
        if (kind == 0xE1 && size >= 2 + 6 + 8) {
            const unsigned char* name = bytes.Get(at + 4, 6, fileSize);
            if (name == nullptr)
                break;
            if (std::memcmp(name, "Exif\0\0", 6) == 0) {
                ExifDateRead read = Tiff(bytes, at + 10, at + 2 + size).Read();
                if (read.outcome != ExifDateRead::Missing)
                    return read;
            }
        }
        at += 2 + size;
    }
    return bytes.Needs() ? bytes.Need() : ExifDateRead();
}

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

}  // namespace

bool ParseExifDateTime(std::string_view text, CivilTime* time) {
    if (text.size() < kDateLength)
        return false;
    static const char kPattern[] = "dddd:dd:dd dd:dd:dd";
    for (std::size_t i = 0; i < kDateLength; ++i) {
        const bool digit = text[i] >= '0' && text[i] <= '9';
        if (kPattern[i] == 'd' ? !digit : text[i] != kPattern[i])
            return false;
    }
    const auto number = [&](std::size_t at, std::size_t digits) {
        int value = 0;
        for (std::size_t i = at; i < at + digits; ++i)
            value = value * 10 + (text[i] - '0');
        return value;
    };
    CivilTime parsed;
    parsed.year = number(0, 4);
    parsed.month = number(5, 2);
    parsed.day = number(8, 2);
    parsed.hour = number(11, 2);
    parsed.minute = number(14, 2);
    parsed.second = number(17, 2);
    if (parsed.year < 1601 || parsed.month < 1 || parsed.month > 12 || parsed.day < 1 ||
        parsed.day > DaysInMonth(parsed.year, parsed.month) || parsed.hour > 23 || parsed.minute > 59 ||
        parsed.second > 59)
        return false;
    *time = parsed;
    return true;
}

ExifDateRead ReadExifDate(const FileBytes& file) {
    Bytes bytes(file);
    const unsigned char* start = bytes.Get(0, 2, file.FileSize());
    if (start == nullptr)
        return bytes.Needs() ? bytes.Need() : ExifDateRead();
    if (start[0] == 0xFF && start[1] == 0xD8)
        return ReadJpeg(bytes);
    return Tiff(bytes, 0, file.FileSize()).Read();
}

bool ReadExifDate(std::string_view file, CivilTime* taken, ExifDateTag* tag) {
    FileBytes bytes(file.size());
    bytes.Add(0, std::string(file));
    const ExifDateRead read = ReadExifDate(bytes);
    if (read.outcome != ExifDateRead::Found)
        return false;
    *taken = read.taken;
    *tag = read.tag;
    return true;
}

}  // namespace velmora
