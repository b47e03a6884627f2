// The readers of photo and clip formats over bytes built to each format's published layout
// (CR3, RAF and RW2 no tool here writes), read piece by piece as the date source reads a file,
// and over hostile shapes of each.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "media/Exif.hpp"
#include "media/MediaFile.hpp"
#include "support/HostRunner.hpp"

namespace velmora {
namespace {

std::string Be(std::uint64_t value, int bytes) {
    std::string out;
    for (int i = bytes - 1; i >= 0; --i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
    return out;
}
std::string Le(std::uint64_t value, int bytes) {
    std::string out;
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
    return out;
}

// A little-endian TIFF of ASCII tags: those below 0x8000 in the first directory, the others in
// the EXIF one it points to. `magic` 0x55 makes it a Panasonic RW2.
std::string Tiff(const std::vector<std::pair<std::uint16_t, std::string>>& tags, std::uint16_t magic = 42) {
    std::vector<std::pair<std::uint16_t, std::string>> first, exif;
    for (const auto& tag : tags)
        (tag.first < 0x8000 ? first : exif).push_back(tag);
    std::string values;
    const std::uint32_t firstAt = 8;
    const std::uint32_t exifAt =
        firstAt + 2 + 12 * static_cast<std::uint32_t>(first.size() + !exif.empty()) + 4;
    std::uint32_t dataAt = exifAt + (exif.empty() ? 0 : 2 + 12 * static_cast<std::uint32_t>(exif.size()) + 4);
    const auto directory = [&](const std::vector<std::pair<std::uint16_t, std::string>>& entries,
                               bool pointer) {
        std::string out = Le(entries.size() + pointer, 2);
        for (const auto& [tag, text] : entries) {
            const std::string value = text + '\0';
            out += Le(tag, 2) + Le(2, 2) + Le(value.size(), 4);
            if (value.size() <= 4) {
                out += value + std::string(4 - value.size(), '\0');
            } else {
                out += Le(dataAt + values.size(), 4);
                values += value;
            }
        }
        if (pointer)
            out += Le(0x8769, 2) + Le(4, 2) + Le(1, 4) + Le(exifAt, 4);
        return out + Le(0, 4);
    };
    std::string tiff = "II" + Le(magic, 2) + Le(firstAt, 4) + directory(first, !exif.empty());
    if (!exif.empty())
        tiff += directory(exif, false);
    return tiff + values;
}

const std::vector<std::pair<std::uint16_t, std::string>> kCamera = {{0x010F, "Canon  "},
                                                                    {0x0110, "EOS R5"},
                                                                    {0x0132, "2020:01:01 00:00:00"},
                                                                    {0x9003, "2026:12:08 13:08:33"},
                                                                    {0x9291, "5"}};
const char kCameraFacts[] = "2026-12-08 13:08:33.500 original, Canon, EOS R5";

std::string Box(const std::string& type, const std::string& body) {
    return Be(body.size() + 8, 4) + type + body;
}
std::string Riff(const std::string& name, const std::string& body) {
    return name + Le(body.size(), 4) + body + (body.size() % 2 ? std::string(1, '\0') : "");
}
std::string Jpeg(const std::string& tiff) {
    const std::string exif = std::string("Exif\0\0", 6) + tiff;
    return std::string("\xFF\xD8\xFF\xE1", 4) + Be(exif.size() + 2, 2) + exif + "\xFF\xD9";
}

std::string Cr3(const std::string& cmt1, const std::string& cmt2) {
    const std::string uuid("\x85\xc0\xb6\x87\x82\x0f\x11\xe0\x81\x11\xf4\xce\x46\x2b\x6a\x48", 16);
    const std::string canon =
        Box("CNCV", "CanonCR3_001/00.09.00/00.00.00") + Box("CMT1", cmt1) + Box("CMT2", cmt2);
    return Box("ftyp", "crx " + Be(1, 4) + "crx isom") +
           Box("moov", Box("uuid", uuid + canon) + Box("trak", std::string(40, '\0'))) +
           Box("mdat", std::string(64, 'x'));
}

std::string Raf(const std::string& jpeg) {
    std::string header = "FUJIFILMCCD-RAW 0201FF383501" + std::string(56, '\0');
    header.resize(84);
    const std::uint32_t at = 160;
    header += Be(at, 4) + Be(jpeg.size(), 4);
    header.resize(at, '\0');
    return header + jpeg + std::string(100, 'r');
}

std::string Png(const std::string& exif) {
    const auto chunk = [](const std::string& type, const std::string& data) {
        return Be(data.size(), 4) + type + data + "CRC!";
    };
    return std::string("\x89PNG\r\n\x1A\n", 8) + chunk("IHDR", std::string(13, '\1')) +
           chunk("IDAT", std::string(20, 'i')) + chunk("eXIf", exif) + chunk("IEND", "");
}

std::string WebP(const std::string& exif) {
    const std::string body = "WEBP" + Riff("VP8X", std::string(10, '\0')) +
                             Riff("VP8L", std::string(21, 'v')) + Riff("EXIF", exif);
    return Riff("RIFF", body);
}

std::string Avi(const std::string& idit) {
    const std::string hdrl = "hdrl" + Riff("avih", std::string(56, '\0')) + Riff("IDIT", idit);
    return Riff("RIFF", "AVI " + Riff("LIST", hdrl) + Riff("LIST", "movi" + std::string(300, 'f')));
}

// A movie with a movie header (version 0 or 1) and Apple's keys where given.
std::string MovieBox(std::uint64_t created, int version,
                     const std::vector<std::pair<std::string, std::string>>& keys = {}) {
    std::string mvhd = std::string(1, static_cast<char>(version)) + std::string(3, '\0');
    mvhd += version == 1 ? Be(created, 8) + Be(created, 8) : Be(created, 4) + Be(created, 4);
    mvhd += std::string(80, '\0');
    std::string moov = Box("mvhd", mvhd) + Box("trak", std::string(100, 't'));
    if (!keys.empty()) {
        std::string names = Be(0, 4) + Be(keys.size(), 4), items;
        for (std::size_t i = 0; i < keys.size(); ++i) {
            names += Be(8 + keys[i].first.size(), 4) + "mdta" + keys[i].first;
            items += Box(Be(i + 1, 4), Box("data", Be(1, 4) + Be(0, 4) + keys[i].second));
        }
        moov += Box("meta", Box("hdlr", std::string(25, '\0')) + Box("keys", names) + Box("ilst", items));
    }
    return Box("moov", moov);
}

const std::uint64_t k2026 = 3879576513;  // 2026-12-08 12:08:33 UTC in seconds since 1904

std::string Mp4(const std::string& moov, bool moovFirst) {
    const std::string ftyp = Box("ftyp", "isom" + Be(512, 4) + "isomiso2mp41");
    const std::string mdat = Box("mdat", std::string(5000, 'm'));
    return moovFirst ? ftyp + moov + mdat : ftyp + mdat + moov;
}

std::string Describe(const MediaRead& read) {
    if (read.outcome != MediaRead::Found)
        return "";
    const MediaFacts& f = read.facts;
    static const char* const kTags[] = {"original", "digitized", "datetime", "apple", "mvhd", "idit"};
    char text[96] = "no date";
    if (f.hasTaken)
        std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d %s", f.taken.year, f.taken.month,
                      f.taken.day, f.taken.hour, f.taken.minute, f.taken.second, f.taken.millisecond,
                      kTags[static_cast<int>(f.tag)]);
    return std::string(text) + ", " + f.make + ", " + f.model;
}

// Read as the date source reads: a head of 4 KB, then 4 KB at each place asked for. Every request
// must lie in the file and ask for bytes not given yet.
MediaRead ReadInPieces(MediaFormat format, const std::string& file, int* reads) {
    FileBytes bytes(file.size());
    bytes.Add(0, file.substr(0, 4096));
    *reads = 1;
    MediaRead read = ReadMedia(format, bytes);
    while (read.outcome == MediaRead::NeedBytes && *reads < 100) {
        EXPECT_LE(read.wantOffset + read.wantCount, file.size());
        EXPECT_EQ(bytes.At(read.wantOffset, read.wantCount), nullptr);
        ++*reads;
        bytes.Add(read.wantOffset, file.substr(read.wantOffset, std::max<std::size_t>(read.wantCount, 4096)));
        read = ReadMedia(format, bytes);
    }
    return read;
}

struct Case {
    const char* name;
    std::string bytes;
    const char* expected;  // Describe's text, "" for nothing
};

void Check(const std::vector<Case>& cases, int mostReads) {
    for (const Case& c : cases) {
        int reads = 0;
        const MediaRead read = ReadInPieces(MediaFormatOfName(c.name), c.bytes, &reads);
        EXPECT_EQ(Describe(read), c.expected) << c.name;
        EXPECT_LE(reads, mostReads) << c.name;
    }
}

TEST(MediaReaders, ReadEveryFormatBuiltToItsLayout) {
    const std::string tiff = Tiff(kCamera);
    const std::string far = std::string(70000, 'z');  // media between the head and the facts
    Check(
        {
            {"a.cr3",
             Cr3(Tiff({{0x010F, "Canon"}, {0x0110, "EOS R5"}, {0x0132, "2020:01:01 00:00:00"}}),
                 Tiff({{0x9003, "2026:12:08 13:08:33"}, {0x9291, "5"}})),
             kCameraFacts},
            {"a.raf", Raf(Jpeg(tiff)), kCameraFacts},
            {"a.RW2", Tiff(kCamera, 0x55), kCameraFacts},
            {"a.rwl", Tiff(kCamera, 0x55), kCameraFacts},
            {"a.srw", tiff, kCameraFacts},
            {"a.nrw", tiff, kCameraFacts},
            {"a.png", Png(tiff), kCameraFacts},
            {"a.webp", WebP(tiff), kCameraFacts},
            {"exif name.webp", WebP(std::string("Exif\0\0", 6) + tiff), kCameraFacts},
            // A JPEG saved under another format's name is read as the JPEG it is.
            {"jpeg.heic", Jpeg(tiff), kCameraFacts},
            // Each date with its own fraction: the digitized one's is not the original's.
            {"fractions.png",
             Png(Tiff({{0x9004, "2026:12:08 13:08:33"}, {0x9291, "123456"}, {0x9292, "07"}})),
             "2026-12-08 13:08:33.070 digitized, , "},
            {"maker only.png",
             Png(Tiff({{0x010F, "NIKON CORPORATION"}, {0x0110, std::string("NIKON Z 6  \0\0 ", 14)}})),
             "no date, NIKON CORPORATION, NIKON Z 6"},
            {"asctime.avi", Avi(std::string("SAT DEC 08 13:08:33 2026\n\0", 26)),
             "2026-12-08 13:08:33.000 idit, , "},
            {"exif form.avi", Avi("2026:12:08 13:08:33"), "2026-12-08 13:08:33.000 idit, , "},
            {"moov first.mp4", Mp4(MovieBox(k2026, 0), true), "2026-12-08 12:08:33.000 mvhd, , "},
            {"moov last.mov", Mp4(MovieBox(k2026, 1), false) + far, "2026-12-08 12:08:33.000 mvhd, , "},
            {"apple.mov",
             Mp4(MovieBox(k2026, 0,
                          {{"com.apple.quicktime.make", "Apple"},
                           {"com.apple.quicktime.creationdate", "2026-12-08T13:08:33+0100"},
                           {"com.apple.quicktime.model", "iPhone 15 Pro"}}),
                 false),
             "2026-12-08 13:08:33.000 apple, Apple, iPhone 15 Pro"},
            {"apple fraction.m4v",
             Mp4(MovieBox(0, 0, {{"com.apple.quicktime.creationdate", "2026-12-08T13:08:33.25-05:00"}}),
                 true),
             "2026-12-08 13:08:33.250 apple, , "},
            // A 64-bit mdat size, and an mdat of size 0 running to the end after moov.
            {"large.3gp",
             Box("ftyp", "3gp4" + Be(0, 4)) + Be(1, 4) + "mdat" + Be(16 + 9000, 8) + std::string(9000, 'm') +
                 MovieBox(k2026, 0),
             "2026-12-08 12:08:33.000 mvhd, , "},
            {"to end.3g2", Box("ftyp", "3g2a" + Be(0, 4)) + MovieBox(k2026, 0) + Be(0, 4) + "mdat" + far,
             "2026-12-08 12:08:33.000 mvhd, , "},
            // No date recorded: zero, the first year of QuickTime's clock, an unknown text.
            {"zero.mp4", Mp4(MovieBox(0, 0), true), ""},
            {"1904.mp4", Mp4(MovieBox(86400 * 30, 0), true), ""},
            {"bad apple.mov",
             Mp4(MovieBox(0, 0, {{"com.apple.quicktime.creationdate", "2026-13-08T13:08:33Z"}}), true), ""},
            {"no date.avi", Avi("SAT DEC 32 13:08:33 2026"), ""},
        },
        6);
}

// Sizes and offsets that point anywhere: nothing, or what was read before the damage, and never
// a read past the file or a loop.
TEST(MediaReaders, HostileShapesGiveNothing) {
    const std::string tiff = Tiff(kCamera);
    const std::string moov = MovieBox(k2026, 0);
    const std::string ftyp = Box("ftyp", "isom" + Be(0, 4));
    Check(
        {
            {"size below its header.mp4", ftyp + Be(4, 4) + "free" + moov, ""},
            {"size 1 below its header.mp4", ftyp + Be(1, 4) + "free" + Be(8, 8) + moov, ""},
            {"mdat past the end.mp4", ftyp + Be(1 << 30, 4) + "mdat" + moov, ""},
            {"moov past the end.mp4", ftyp + Be(moov.size() + 1, 4) + moov.substr(4), ""},
            {"huge 64-bit size.mp4", ftyp + Be(1, 4) + "mdat" + Be(~0ull, 8) + moov, ""},
            {"mvhd cut short.mp4", ftyp + Box("moov", Box("mvhd", std::string(5, '\0'))), ""},
            {"keys count huge.mov",
             ftyp + Box("moov", Box("meta", Box("keys", Be(0, 4) + Be(~0u, 4) + Be(3, 4) + "mdta") +
                                                Box("ilst", ""))),
             ""},
            {"no moov.mp4", ftyp + Box("mdat", "x"), ""},
            {"empty.heic", "", ""},
            {"not a box.heic", std::string(3000, '\xFF'), ""},
            {"no Canon box.cr3", ftyp + Box("moov", Box("uuid", std::string(16, 'u') + Box("CMT1", tiff))),
             ""},
            {"RAF pointing past the end.raf", Raf(Jpeg(tiff)).replace(84, 4, Be(~0u, 4)), ""},
            {"RAF cut inside its JPEG.raf", Raf(Jpeg(tiff)).substr(0, 180), ""},
            {"PNG chunk length huge.png",
             std::string("\x89PNG\r\n\x1A\n", 8) + Be(~0u, 4) + "IDAT" + Be(tiff.size(), 4) + "eXIf" + tiff,
             ""},
            // A PNG cut short keeps what its head holds.
            {"PNG eXIf past the end.png",
             std::string("\x89PNG\r\n\x1A\n", 8) + Be(1 << 20, 4) + "eXIf" + tiff, kCameraFacts},
            {"RIFF chunk past the end.webp", "RIFF" + Le(100, 4) + "WEBP" + "EXIF" + Le(~0u, 4) + "MM", ""},
            {"AVI movi list first, huge.avi",
             "RIFF" + Le(0, 4) + "AVI " + "LIST" + Le(~0u - 1, 4) + "movi" + std::string(50, 'f'), ""},
            {"AVI IDIT empty.avi", Avi(""), ""},
        },
        16);
    // Every cut of a good file: no read past its bytes, and facts only from what is there.
    for (const Case& c : std::vector<Case>{
             {"cut.cr3", Cr3(tiff, tiff), ""},
             {"cut.mov", Mp4(MovieBox(k2026, 1, {{"com.apple.quicktime.make", "A"}}), true), ""},
             {"cut.raf", Raf(Jpeg(tiff)), ""},
             {"cut.webp", WebP(tiff), ""},
             {"cut.png", Png(tiff), ""},
             {"cut.avi", Avi("2026:12:08 13:08:33"), ""}}) {
        for (std::size_t size = 0; size < c.bytes.size(); size += 7) {
            int reads = 0;
            ReadInPieces(MediaFormatOfName(c.name), c.bytes.substr(0, size), &reads);
            EXPECT_LE(reads, 16) << c.name << " cut at " << size;
        }
    }
}

// A JPEG under a RAF's name, shorter than a RAF's header: read from nothing, the reader first asks
// for the bytes that say it is a JPEG (found by fuzzing: it took the file for a short RAF).
TEST(MediaReaders, AFilesFirstBytesComeFirst) {
    const std::string jpeg = Jpeg(Tiff({{0x0132, "2026:12:08 13:08:33"}}));
    ASSERT_LT(jpeg.size(), 92u);
    FileBytes bytes(jpeg.size());
    MediaRead read = ReadMedia(MediaFormat::Raf, bytes);
    ASSERT_EQ(read.outcome, MediaRead::NeedBytes);
    EXPECT_EQ(read.wantOffset, 0u);
    bytes.Add(0, jpeg);
    EXPECT_EQ(Describe(ReadMedia(MediaFormat::Raf, bytes)), "2026-12-08 13:08:33.000 datetime, , ");
}

TEST(MediaReaders, SubSecondsAreMilliseconds) {
    const struct {
        std::string_view text;
        int milliseconds;
    } cases[] = {{"5", 500}, {"05", 50}, {"123456", 123}, {"12 ", 120}, {std::string_view("7\0", 2), 700},
                 {"", 0},    {"1a", 0},  {"-5", 0},       {"  ", 0}};
    for (const auto& c : cases)
        EXPECT_EQ(SubSecMilliseconds(c.text), c.milliseconds) << c.text;
}

// velmora's dry run says which date each name took: a clip's or a camcorder's own, or the
// modified time for a photo that records its maker but no date.
TEST(MediaReaders, ThePlanSaysTakenForAClipsOwnDate) {
    test::HostRunner host;
    ASSERT_TRUE(host.Dir().WriteFile(
        "клип.mov",
        Mp4(MovieBox(0, 0, {{"com.apple.quicktime.creationdate", "2026-12-08T13:08:33.25-05:00"}}), false)));
    ASSERT_TRUE(host.Dir().WriteFile("camcorder.avi", Avi("SAT DEC 08 13:08:34 2026")));
    ASSERT_TRUE(host.Dir().WriteFile("maker.png", Png(Tiff({{0x010F, "Apple"}}))));
    const test::HostResult result =
        host.Run({"-n", "--yes", "--json", "--all", "-m", "%{taken:YYYYMMDD_hhmmss}.%E"});
    EXPECT_EQ(result.status, 0) << result.err;
    const struct {
        const char* old;
        const char* line;  // what the line says from its new name on
    } cases[] = {
        {"клип.mov",
         "\"new\": \"20261208_130833.mov\", \"action\": \"rename\", \"reason\": \"\", \"date\": \"taken\"}"},
        {"camcorder.avi",
         "\"new\": \"20261208_130834.avi\", \"action\": \"rename\", \"reason\": \"\", \"date\": \"taken\"}"},
        {"maker.png", "\"date\": \"modified\"}"},
    };
    for (const auto& c : cases) {
        std::istringstream lines(result.out);
        std::string line;
        bool found = false;
        while (std::getline(lines, line)) {
            if (line.find("\"old\": \"" + std::string(c.old) + "\"") != std::string::npos) {
                found = true;
                EXPECT_NE(line.find(c.line), std::string::npos) << line;
            }
        }
        EXPECT_TRUE(found) << c.old << "\n" << result.out;
    }
}

}  // namespace
}  // namespace velmora
