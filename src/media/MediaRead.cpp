#include "media/MediaRead.hpp"

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

const unsigned char* ByteReader::Get(std::uint64_t offset, std::size_t count, std::uint64_t end) {
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

MediaRead ByteReader::Answer(const MediaFacts& facts) const {
    MediaRead read;
    if (needs_) {
        read.outcome = MediaRead::NeedBytes;
        read.wantOffset = wantOffset_;
        read.wantCount = wantCount_;
    } else if (facts.Any()) {
        read.outcome = MediaRead::Found;
        read.facts = facts;
    }
    return read;
}

std::string RecordedText(const unsigned char* bytes, std::size_t count) {
    std::size_t length = 0;
    while (length < count && bytes[length] != 0)
        ++length;
    while (length > 0 && bytes[length - 1] == ' ')
        --length;
    return std::string(reinterpret_cast<const char*>(bytes), length);
}

int DaysInMonth(std::uint64_t year, int month) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

bool IsValidCivilTime(const CivilTime& time) {
    if (time.year < 1601 || time.year > 9999 || time.month < 1 || time.month > 12 || time.day < 1 ||
        time.hour < 0 || time.hour > 23 || time.minute < 0 || time.minute > 59 || time.second < 0 ||
        time.second > 59 || time.millisecond < 0 || time.millisecond > 999)
        return false;
    return time.day <= DaysInMonth(static_cast<std::uint64_t>(time.year), time.month);
}

}  // namespace velmora
