// AVI from DV camcorders records when it was filmed in an IDIT chunk in the header list, as text:
// "SAT DEC 08 13:08:33 2026" (C's asctime) or EXIF's "2026:12:08 13:08:33". The movi list, the
// frames, is stepped over unread.
#include <cstring>
#include <string_view>

#include "media/Exif.hpp"
#include "media/MediaFile.hpp"
#include "media/Riff.hpp"

namespace velmora {
namespace {

constexpr std::size_t kMostText = 64;

bool Number(std::string_view text, int* value) {
    if (text.empty() || text.size() > 4)
        return false;
    *value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return false;
        *value = *value * 10 + (c - '0');
    }
    return true;
}

// asctime's form: a weekday, a month's name, the day, the time, the year; words apart by spaces.
bool ParseAsctime(std::string_view text, CivilTime* time) {
    std::string_view words[5];
    std::size_t count = 0;
    std::size_t at = 0;
    while (count < 5) {
        while (at < text.size() && text[at] == ' ')
            ++at;
        const std::size_t start = at;
        while (at < text.size() && text[at] != ' ' && text[at] != '\n' && text[at] != '\r' &&
               text[at] != '\0')
            ++at;
        if (at == start)
            break;
        words[count++] = text.substr(start, at - start);
    }
    if (count != 5 || words[1].size() != 3 || words[3].size() != 8 || words[3][2] != ':' ||
        words[3][5] != ':')
        return false;
    static const char kMonths[] = "JANFEBMARAPRMAYJUNJULAUGSEPOCTNOVDEC";
    CivilTime parsed;
    parsed.month = 0;
    for (int month = 0; month < 12; ++month) {
        bool same = true;
        for (int i = 0; i < 3; ++i) {
            const char c = words[1][static_cast<std::size_t>(i)];
            same = same && (c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c) == kMonths[month * 3 + i];
        }
        if (same)
            parsed.month = month + 1;
    }
    if (parsed.month == 0 || !Number(words[2], &parsed.day) || words[4].size() != 4 ||
        !Number(words[4], &parsed.year) || !Number(words[3].substr(0, 2), &parsed.hour) ||
        !Number(words[3].substr(3, 2), &parsed.minute) || !Number(words[3].substr(6, 2), &parsed.second) ||
        !IsValidCivilTime(parsed))
        return false;
    *time = parsed;
    return true;
}

// IDIT among the chunks of `start`..`end`, or in the lists among them down to `depth` levels.
bool FindIdit(ByteReader& bytes, std::uint64_t start, std::uint64_t end, int depth, Chunk* idit) {
    ChunkWalk walk(bytes, start, end);
    Chunk chunk;
    while (walk.Next(&chunk)) {
        if (std::memcmp(chunk.name, "IDIT", 4) == 0) {
            *idit = chunk;
            return true;
        }
        if (depth > 0 && std::memcmp(chunk.name, "LIST", 4) == 0) {
            const unsigned char* type = bytes.Get(chunk.body, 4, chunk.end);
            if (type != nullptr && std::memcmp(type, "movi", 4) != 0 &&
                FindIdit(bytes, chunk.body + 4, chunk.end, depth - 1, idit))
                return true;
        }
    }
    return false;
}

}  // namespace

MediaRead ReadAvi(const FileBytes& file) {
    ByteReader bytes(file);
    if (!IsRiff(bytes, "AVI "))
        return bytes.Answer();
    // IDIT sits in the header list; the movi list, the frames, is stepped over.
    Chunk idit;
    if (!FindIdit(bytes, 12, file.FileSize(), 1, &idit))
        return bytes.Answer();
    const std::uint64_t length = idit.end - idit.body;
    const std::size_t count = length < kMostText ? static_cast<std::size_t>(length) : kMostText;
    const unsigned char* text = bytes.Get(idit.body, count, idit.end);
    MediaFacts facts;
    if (text == nullptr)
        return bytes.Answer(facts);
    const std::string_view date(reinterpret_cast<const char*>(text), count);
    if (ParseAsctime(date, &facts.taken) || ParseExifDateTime(date, &facts.taken)) {
        facts.hasTaken = true;
        facts.tag = ExifDateTag::AviDateTime;
    }
    return bytes.Answer(facts);
}

}  // namespace velmora
