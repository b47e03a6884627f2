#include "media/Exif.hpp"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace velmora {
namespace {

constexpr std::uint16_t kTagMake = 0x010F;
constexpr std::uint16_t kTagModel = 0x0110;
constexpr std::uint16_t kTagDateTime = 0x0132;
constexpr std::uint16_t kTagExifIfd = 0x8769;
constexpr std::uint16_t kTagDateTimeOriginal = 0x9003;
constexpr std::uint16_t kTagDateTimeDigitized = 0x9004;
constexpr std::uint16_t kTagSubSecTime = 0x9290;
constexpr std::uint16_t kTagSubSecTimeOriginal = 0x9291;
constexpr std::uint16_t kTagSubSecTimeDigitized = 0x9292;

constexpr std::uint16_t kTypeByte = 1;
constexpr std::uint16_t kTypeAscii = 2;
constexpr std::uint16_t kTypeLong = 4;
constexpr std::uint16_t kTypeUndefined = 7;
constexpr std::uint16_t kTypeIfd = 13;

constexpr std::size_t kDateLength = 19;  // "YYYY:MM:DD hh:mm:ss"
constexpr std::size_t kEntrySize = 12;
// Longer makers and models are not names a camera gives itself; a fraction of a second has no
// use past its third digit.
constexpr std::size_t kMostText = 64;
constexpr std::size_t kMostSubSec = 16;
// APP1 comes first in a JPEG, after APP0 at most; a marker walk that has not met it this far into
// the file is not going to.
constexpr std::uint64_t kJpegSearchEnd = 1 << 20;

class Tiff {
public:
    Tiff(ByteReader& bytes, std::uint64_t base, std::uint64_t end) : bytes_(bytes), base_(base), end_(end) {}

    void Collect(ExifTexts* texts) {
        const unsigned char* header = bytes_.Get(base_, 8, end_);
        if (header == nullptr)
            return;
        if (header[0] == 'I' && header[1] == 'I')
            bigEndian_ = false;
        else if (header[0] == 'M' && header[1] == 'M')
            bigEndian_ = true;
        else
            return;
        // 42 is TIFF's own; Olympus marks its raw files "RO" (and "RS") in the same place, Panasonic
        // its RW2 and RWL with 0x55.
        const std::uint16_t magic = U16(header + 2);
        if (magic != 42 && magic != 0x4F52 && magic != 0x5352 && magic != 0x55)
            return;
        std::uint32_t exifIfd = 0;
        bool hasExifIfd = false;
        // Only the first directory and the EXIF one are read, never a chain of them, so no loop
        // can form.
        ScanIfd(U32(header + 4), texts, &exifIfd, &hasExifIfd);
        if (hasExifIfd && !bytes_.Needs())
            ScanIfd(exifIfd, texts, nullptr, nullptr);
    }

private:
    std::uint16_t U16(const unsigned char* p) const {
        return static_cast<std::uint16_t>(bigEndian_ ? (p[0] << 8) | p[1] : (p[1] << 8) | p[0]);
    }
    std::uint32_t U32(const unsigned char* p) const { return bigEndian_ ? Be32(p) : Le32(p); }

    // A directory cut short by the end of its region gives the entries before the cut.
    void ScanIfd(std::uint32_t offset, ExifTexts* texts, std::uint32_t* exifIfd, bool* hasExifIfd) {
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
            if (tag == kTagExifIfd && exifIfd != nullptr && !*hasExifIfd && values >= 1 &&
                (type == kTypeLong || type == kTypeIfd)) {
                *hasExifIfd = true;
                *exifIfd = U32(entry + 8);
                continue;
            }
            // Each tag read, with the fewest and most of its bytes taken.
            static constexpr struct {
                std::uint16_t tag;
                std::string ExifTexts::*text;
                std::size_t least, most;
            } kTexts[] = {
                {kTagMake, &ExifTexts::make, 1, kMostText},
                {kTagModel, &ExifTexts::model, 1, kMostText},
                {kTagDateTime, &ExifTexts::dateTime, kDateLength, kDateLength},
                {kTagDateTimeOriginal, &ExifTexts::original, kDateLength, kDateLength},
                {kTagDateTimeDigitized, &ExifTexts::digitized, kDateLength, kDateLength},
                {kTagSubSecTime, &ExifTexts::subSec, 1, kMostSubSec},
                {kTagSubSecTimeOriginal, &ExifTexts::subSecOriginal, 1, kMostSubSec},
                {kTagSubSecTimeDigitized, &ExifTexts::subSecDigitized, 1, kMostSubSec},
            };
            const auto* known = std::find_if(std::begin(kTexts), std::end(kTexts),
                                             [&](const auto& t) { return t.tag == tag; });
            if (known == std::end(kTexts))
                continue;
            std::string* text = &(texts->*known->text);
            const std::size_t least = known->least, most = known->most;
            if (!text->empty() || values < least ||
                (type != kTypeAscii && type != kTypeByte && type != kTypeUndefined))
                continue;
            const std::size_t length = values < most ? values : most;
            // Up to four bytes of value sit in the entry; more, and the field holds where they are.
            const unsigned char* value =
                values <= 4 ? entry + 8 : bytes_.Get(base_ + U32(entry + 8), length, end_);
            if (value == nullptr)
                continue;
            text->assign(reinterpret_cast<const char*>(value), length);
            // A blank or zero date is no date: a later structure's may count.
            CivilTime date;
            if (least == kDateLength && !ParseExifDateTime(*text, &date))
                text->clear();
        }
    }

    ByteReader& bytes_;
    std::uint64_t base_;
    std::uint64_t end_;
    bool bigEndian_ = false;
};

// A JPEG may carry more than one EXIF segment; the first that records anything is the photo's.
bool Recorded(const ExifTexts& texts) {
    return !texts.original.empty() || !texts.digitized.empty() || !texts.dateTime.empty() ||
           !texts.make.empty() || !texts.model.empty();
}

}  // namespace

bool CollectTiff(ByteReader& bytes, std::uint64_t base, std::uint64_t end, ExifTexts* texts) {
    Tiff(bytes, base, end).Collect(texts);
    return !bytes.Needs();
}

bool CollectJpeg(ByteReader& bytes, std::uint64_t start, std::uint64_t end, ExifTexts* texts) {
    const unsigned char* soi = bytes.Get(start, 2, end);
    if (soi == nullptr || soi[0] != 0xFF || soi[1] != 0xD8)
        return !bytes.Needs();
    std::uint64_t at = start + 2;
    while (at < start + kJpegSearchEnd && !Recorded(*texts)) {
        const unsigned char* marker = bytes.Get(at, 2, end);
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
        const unsigned char* length = bytes.Get(at + 2, 2, end);
        if (length == nullptr)
            break;
        const std::uint32_t size = Be16(length);
        if (size < 2)
            break;
        if (kind == 0xE1 && size >= 2 + 6 + 8) {
            const unsigned char* name = bytes.Get(at + 4, 6, end);
            if (name == nullptr)
                break;
            const std::uint64_t segmentEnd = at + 2 + size < end ? at + 2 + size : end;
            if (std::memcmp(name, "Exif\0\0", 6) == 0 && !CollectTiff(bytes, at + 10, segmentEnd, texts))
                break;
        }
        at += 2 + size;
    }
    return !bytes.Needs();
}

std::uint64_t SkipExifName(ByteReader& bytes, std::uint64_t at, std::uint64_t end) {
    const unsigned char* name = bytes.Get(at, 6, end);
    return name != nullptr && std::memcmp(name, "Exif\0\0", 6) == 0 ? at + 6 : at;
}

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
    if (!IsValidCivilTime(parsed))
        return false;
    *time = parsed;
    return true;
}

int SubSecMilliseconds(std::string_view text) {
    std::size_t end = 0;
    while (end < text.size() && text[end] != '\0')
        ++end;
    while (end > 0 && text[end - 1] == ' ')
        --end;
    if (end == 0)
        return 0;
    int milliseconds = 0;
    for (std::size_t i = 0; i < 3; ++i) {
        int digit = 0;
        if (i < end) {
            if (text[i] < '0' || text[i] > '9')
                return 0;
            digit = text[i] - '0';
        }
        milliseconds = milliseconds * 10 + digit;
    }
    for (std::size_t i = 3; i < end; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return 0;
    }
    return milliseconds;
}

MediaFacts FactsOfExif(const ExifTexts& texts) {
    MediaFacts facts;
    const struct {
        const std::string& date;
        const std::string& subSec;
        ExifDateTag tag;
    } order[] = {{texts.original, texts.subSecOriginal, ExifDateTag::DateTimeOriginal},
                 {texts.digitized, texts.subSecDigitized, ExifDateTag::DateTimeDigitized},
                 {texts.dateTime, texts.subSec, ExifDateTag::DateTime}};
    for (const auto& choice : order) {
        if (ParseExifDateTime(choice.date, &facts.taken)) {
            facts.taken.millisecond = SubSecMilliseconds(choice.subSec);
            facts.hasTaken = true;
            facts.tag = choice.tag;
            break;
        }
    }
    facts.make = RecordedText(reinterpret_cast<const unsigned char*>(texts.make.data()), texts.make.size());
    facts.model =
        RecordedText(reinterpret_cast<const unsigned char*>(texts.model.data()), texts.model.size());
    return facts;
}

MediaRead ReadExif(const FileBytes& file) {
    ByteReader bytes(file);
    const unsigned char* start = bytes.Get(0, 2, file.FileSize());
    if (start == nullptr)
        return bytes.Answer();
    ExifTexts texts;
    if (start[0] == 0xFF && start[1] == 0xD8)
        CollectJpeg(bytes, 0, file.FileSize(), &texts);
    else
        CollectTiff(bytes, 0, file.FileSize(), &texts);
    return bytes.Answer(FactsOfExif(texts));
}

bool ReadExifDate(std::string_view file, CivilTime* taken, ExifDateTag* tag) {
    FileBytes bytes(file.size());
    bytes.Add(0, std::string(file));
    const MediaRead read = ReadExif(bytes);
    if (read.outcome != MediaRead::Found || !read.facts.hasTaken)
        return false;
    *taken = read.facts.taken;
    *tag = read.facts.tag;
    return true;
}

}  // namespace velmora
