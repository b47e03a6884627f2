// MP4, MOV and 3GP: the top-level boxes are walked by their sizes, mdat (the media, nearly all of
// the file) is stepped over unread, and moov may come before or after it. In moov, Apple's meta
// box pairs keys (com.apple.quicktime.creationdate, .make, .model) with their values in ilst; the
// movie header mvhd has the creation time every writer fills in.
#include <string>
#include <string_view>
#include <utility>

#include "media/IsoBmff.hpp"
#include "media/MediaFile.hpp"

namespace velmora {
namespace {

// Seconds from 1601-01-01 (FILETIME's start) to 1904-01-01 (QuickTime's).
constexpr std::uint64_t kSeconds1601To1904 = 9561628800;
constexpr std::uint64_t kTicksPerSecond = 10000000;
// A movie header's time within its first year (from 1904-01-01): a camera whose clock was never
// set, or a writer that left the field as zero.
constexpr std::uint64_t kUnsetTime = 366 * 86400;
// Past the last year a name's date can have (9999).
constexpr std::uint64_t kPastLastYear = 8096ull * 366 * 86400;
// An Apple value longer than this is no date, maker or model.
constexpr std::size_t kMostValue = 64;

struct AppleKeys {
    std::uint32_t creationDate = 0, make = 0, model = 0;  // their indices in keys, 1 on; 0: absent
};

// QuickTime's meta box has no version and flags; ISO's has them. The first four bytes of content
// tell: zero is no child box's size.
std::uint64_t MetaChildren(ByteReader& bytes, const Box& meta) {
    const unsigned char* first = bytes.Get(meta.body, 4, meta.end);
    return first != nullptr && Be32(first) == 0 ? meta.body + 4 : meta.body;
}

void ReadKeys(ByteReader& bytes, const Box& keys, AppleKeys* found) {
    const unsigned char* count = bytes.Get(keys.body + 4, 4, keys.end);
    if (count == nullptr)
        return;
    std::uint64_t at = keys.body + 8;
    const std::uint32_t entries = Be32(count);
    for (std::uint32_t index = 1; index <= entries && at < keys.end; ++index) {
        const unsigned char* entry = bytes.Get(at, 8, keys.end);
        if (entry == nullptr)
            return;
        const std::uint32_t size = Be32(entry);
        if (size < 8 || size > keys.end - at)
            return;
        const std::string_view kPrefix = "com.apple.quicktime.";
        if (Be32(entry + 4) == FourCc("mdta") && size - 8 > kPrefix.size() &&
            size - 8 <= kPrefix.size() + 16) {
            const unsigned char* name = bytes.Get(at + 8, size - 8, keys.end);
            if (name == nullptr)
                return;
            const std::string_view key(reinterpret_cast<const char*>(name), size - 8);
            if (key == "com.apple.quicktime.creationdate")
                found->creationDate = index;
            else if (key == "com.apple.quicktime.make")
                found->make = index;
            else if (key == "com.apple.quicktime.model")
                found->model = index;
        }
        at += size;
    }
}

// The text of ilst's item for the key at `index`: its data box, of the UTF-8 type.
std::string ItemText(ByteReader& bytes, const Box& ilst, std::uint32_t index) {
    Box item, data;
    BoxWalk walk(bytes, ilst.body, ilst.end);
    while (walk.Next(&item)) {
        if (item.type != index)
            continue;
        if (!FindBox(bytes, item.body, item.end, FourCc("data"), &data))
            return "";
        const unsigned char* type = bytes.Get(data.body, 8, data.end);
        if (type == nullptr || Be32(type) != 1)
            return "";
        const std::uint64_t length = data.end - data.body - 8;
        const std::size_t count = length < kMostValue ? static_cast<std::size_t>(length) : kMostValue;
        const unsigned char* text = bytes.Get(data.body + 8, count, data.end);
        return text == nullptr ? "" : std::string(reinterpret_cast<const char*>(text), count);
    }
    return "";
}

bool Digits(std::string_view text, std::size_t at, std::size_t count, int* value) {
    if (at + count > text.size())
        return false;
    *value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        *value = *value * 10 + (text[i] - '0');
    }
    return true;
}

// "YYYY-MM-DDThh:mm:ss", a fraction of a second maybe, then the offset from UTC, which is left
// alone: the wall-clock time where the clip was filmed is its date.
bool ParseIsoDateTime(std::string_view text, CivilTime* time) {
    CivilTime parsed;
    if (!Digits(text, 0, 4, &parsed.year) || text.size() < 19 || text[4] != '-' ||
        !Digits(text, 5, 2, &parsed.month) || text[7] != '-' || !Digits(text, 8, 2, &parsed.day) ||
        (text[10] != 'T' && text[10] != ' ') || !Digits(text, 11, 2, &parsed.hour) || text[13] != ':' ||
        !Digits(text, 14, 2, &parsed.minute) || text[16] != ':' || !Digits(text, 17, 2, &parsed.second))
        return false;
    if (text.size() > 20 && (text[19] == '.' || text[19] == ',')) {
        int scale = 100;
        for (std::size_t i = 20; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, scale /= 10)
            parsed.millisecond += (text[i] - '0') * scale;
    }
    if (!IsValidCivilTime(parsed))
        return false;
    *time = parsed;
    return true;
}

// Seconds since 1601-01-01 as a calendar date and a clock time (the proleptic Gregorian calendar).
CivilTime CivilOfSeconds1601(std::uint64_t seconds) {
    CivilTime time;
    std::uint64_t days = seconds / 86400;
    const std::uint64_t rest = seconds % 86400;
    time.hour = static_cast<int>(rest / 3600);
    time.minute = static_cast<int>(rest / 60 % 60);
    time.second = static_cast<int>(rest % 60);
    // 400 years are 146097 days, and 1601 begins such a cycle.
    std::uint64_t year = 1601 + days / 146097 * 400;
    days %= 146097;
    const auto yearDays = [](std::uint64_t y) { return DaysInMonth(y, 2) == 29 ? 366u : 365u; };
    while (days >= yearDays(year)) {
        days -= yearDays(year);
        ++year;
    }
    int month = 1;
    while (days >= static_cast<std::uint64_t>(DaysInMonth(year, month))) {
        days -= static_cast<std::uint64_t>(DaysInMonth(year, month));
        ++month;
    }
    time.year = year > 9999 ? 10000 : static_cast<int>(year);
    time.month = month;
    time.day = static_cast<int>(days) + 1;
    return time;
}

}  // namespace

MediaRead ReadQuickTime(const FileBytes& file) {
    ByteReader bytes(file);
    Box moov;
    if (!FindBox(bytes, 0, file.FileSize(), FourCc("moov"), &moov))
        return bytes.Answer();
    MediaFacts facts;
    std::uint64_t created = 0;  // seconds since 1904, UTC
    BoxWalk walk(bytes, moov.body, moov.end);
    Box box;
    while (walk.Next(&box)) {
        if (box.type == FourCc("mvhd")) {
            const unsigned char* version = bytes.Get(box.body, 4, box.end);
            if (version == nullptr)
                continue;
            const unsigned char* time = bytes.Get(box.body + 4, version[0] == 1 ? 8 : 4, box.end);
            if (time != nullptr)
                created = version[0] == 1 ? Be64(time) : Be32(time);
        } else if (box.type == FourCc("meta")) {
            const std::uint64_t children = MetaChildren(bytes, box);
            Box keys, ilst;
            AppleKeys found;
            if (!FindBox(bytes, children, box.end, FourCc("keys"), &keys))
                continue;
            ReadKeys(bytes, keys, &found);
            if (!FindBox(bytes, children, box.end, FourCc("ilst"), &ilst))
                continue;
            if (found.creationDate != 0 && !facts.hasTaken &&
                ParseIsoDateTime(ItemText(bytes, ilst, found.creationDate), &facts.taken)) {
                facts.hasTaken = true;
                facts.tag = ExifDateTag::QuickTimeCreationDate;
            }
            for (const auto& [index, text] :
                 {std::pair{found.make, &facts.make}, std::pair{found.model, &facts.model}}) {
                if (index != 0 && text->empty()) {
                    const std::string value = ItemText(bytes, ilst, index);
                    *text = RecordedText(reinterpret_cast<const unsigned char*>(value.data()), value.size());
                }
            }
        }
    }
    MediaRead read = bytes.Answer(facts);
    if (read.outcome == MediaRead::NeedBytes || facts.hasTaken || created < kUnsetTime ||
        created > kPastLastYear)
        return read;
    const CivilTime utc = CivilOfSeconds1601(created + kSeconds1601To1904);
    if (!IsValidCivilTime(utc))
        return read;
    read.outcome = MediaRead::Found;
    read.facts.hasTaken = true;
    read.facts.taken = utc;
    read.facts.tag = ExifDateTag::MovieHeader;
    read.utcTicks = (created + kSeconds1601To1904) * kTicksPerSecond;
    return read;
}

}  // namespace velmora
