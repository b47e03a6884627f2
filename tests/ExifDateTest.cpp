// The photo's date taken: the reader of the EXIF date tags over made-up and hostile bytes, the
// source that reads files through the file system, and both against what exiftool writes.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "media/Exif.hpp"
#include "naming/DateTaken.hpp"
#include "platform/Platform.hpp"
#include "support/FaultyFileSystem.hpp"
#include "support/PhotoFiles.hpp"
#include "support/TempDir.hpp"

#if defined(_WIN32)
#include "support/win32/Win32Support.hpp"
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace velmora {
namespace {

using test::PhotoDates;
using test::TiffLayout;

const char kTaken[] = "2024:07:14 18:22:05";
const char kDigitized[] = "2024:07:15 01:02:03";
const char kChanged[] = "2023:01:02 03:04:05";

std::string Text(const CivilTime& t) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d:%02d:%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour,
                  t.minute, t.second);
    return text;
}

// "" when the bytes hold no date, else the date and the tag's name.
std::string Read(const std::string& bytes) {
    CivilTime taken;
    ExifDateTag tag = ExifDateTag::DateTime;
    if (!ReadExifDate(bytes, &taken, &tag))
        return "";
    static const char* const kTags[] = {"Original", "Digitized", "DateTime"};
    return Text(taken) + " " + kTags[static_cast<int>(tag)];
}

TEST(ExifDate, ParsesOnlyWholeValidDates) {
    const struct {
        const char* text;
        bool valid;
    } cases[] = {
        {"2024:07:14 18:22:05", true},   {"2024:02:29 00:00:00", true},  {"2000:02:29 23:59:59", true},
        {"2024:07:14 18:22:05\0", true}, {"0000:00:00 00:00:00", false}, {"                   ", false},
        {"2023:02:29 12:00:00", false},  {"1900:02:29 12:00:00", false}, {"2024:13:01 00:00:00", false},
        {"2024:04:31 00:00:00", false},  {"2024:07:14 24:00:00", false}, {"2024:07:14 18:60:05", false},
        {"2024:07:14 18:22:60", false},  {"2024-07-14 18:22:05", false}, {"2024:07:14T18:22:05", false},
        {"2024:07:14 18:22:0", false},   {"1600:12:31 23:59:59", false}, {"2024:7:14 18:22:05 ", false},
    };
    for (const auto& c : cases) {
        CivilTime time;
        EXPECT_EQ(ParseExifDateTime(c.text, &time), c.valid) << c.text;
        if (c.valid) {
            EXPECT_EQ(Text(time), std::string(c.text).substr(0, 19));
        }
    }
}

// Every layout a camera writes, and the order the tags are taken in: a blank or zero date is no
// date, and the next tag counts.
TEST(ExifDate, TakesTheFirstValidTagInEveryLayout) {
    const struct {
        PhotoDates dates;
        const char* expected;
    } cases[] = {
        {{kTaken, kDigitized, kChanged}, "2024:07:14 18:22:05 Original"},
        {{"0000:00:00 00:00:00", kDigitized, kChanged}, "2024:07:15 01:02:03 Digitized"},
        {{"", "                   ", kChanged}, "2023:01:02 03:04:05 DateTime"},
        {{"2024:02:30 10:00:00", "", "    :  :     :  :  "}, ""},
        {{"", "", ""}, ""},
    };
    const struct {
        const char* name;
        bool jpeg;
        TiffLayout layout;
        bool jfif;
    } layouts[] = {
        {"JPEG, Intel order", true, {}, false},
        {"JPEG after JFIF, Motorola order", true, {true, 42, 0}, true},
        {"TIFF", false, {}, false},
        {"TIFF written after its image", false, {true, 42, 70000}, false},
        {"ORF IIRO", false, {false, 0x4F52, 0}, false},
        {"ORF MMOR", false, {true, 0x4F52, 0}, false},
    };
    for (const auto& layout : layouts) {
        for (const auto& c : cases) {
            const std::string bytes = layout.jpeg ? test::JpegWithDates(c.dates, layout.layout, layout.jfif)
                                                  : test::TiffWithDates(c.dates, layout.layout);
            EXPECT_EQ(Read(bytes), c.expected) << layout.name << ", " << c.dates.original;
        }
    }
}

// Damage anywhere falls back to the next tag or to nothing, and never reads past the bytes.
TEST(ExifDate, HostileBytesGiveNoDateOrTheNextOne) {
    const std::string jpeg = test::JpegWithDates({kTaken, kDigitized, kChanged});
    const std::string tiff = test::TiffWithDates({kTaken, kDigitized, kChanged});
    // Every cut of a good file: the date only when all of its bytes are there (each copy is a
    // fresh allocation, so ASan sees a read past its end).
    for (const std::string* whole : {&jpeg, &tiff}) {
        for (std::size_t size = 0; size < whole->size(); ++size) {
            const std::string found = Read(whole->substr(0, size));
            EXPECT_TRUE(found.empty() || found.compare(0, 19, kTaken) == 0 ||
                        found.compare(0, 19, kDigitized) == 0 || found.compare(0, 19, kChanged) == 0)
                << size << ": " << found;
        }
    }
    const std::size_t exifStart = 12;  // SOI, APP1 marker and length, "Exif\0\0"
    const auto patched = [](std::string bytes, std::size_t at, std::string with) {
        bytes.replace(at, with.size(), with);
        return bytes;
    };
    const auto number = [](std::size_t value) {
        std::string bytes;
        for (int i = 0; i < 4; ++i)
            bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
        return bytes;
    };
    // The layout TiffWithDates writes: the first directory at 10 with the image's 8 tags,
    // DateTime and the Exif pointer (it sorts last); the Exif directory after it, with
    // DateTimeOriginal first.
    const std::size_t firstAt = 10;
    const std::size_t pointerEntry = firstAt + 2 + 12 * 9;
    const std::size_t exifAt = firstAt + 2 + 12 * 10 + 4;
    const std::size_t original = exifAt + 2;
    const struct {
        const char* name;
        std::string bytes;
        const char* expected;
    } cases[] = {
        {"nothing", "", ""},
        {"a JPEG's first marker alone", std::string("\xFF\xD8", 2), ""},
        {"a JPEG of fill bytes", "\xFF\xD8" + std::string(5000, '\xFF'), ""},
        // A photo cut short keeps the date its head holds.
        {"an APP1 longer than the file", patched(jpeg, 4, std::string("\xFF\xFF", 2)),
         "2024:07:14 18:22:05 Original"},
        {"a segment length below 2", patched(jpeg, 4, std::string("\x00\x01", 2)), ""},
        {"no Exif name", patched(jpeg, 6, "Exig"), ""},
        {"an unknown byte order", patched(tiff, 0, "IM"), ""},
        {"BigTIFF", patched(tiff, 2, std::string("\x2B\x00", 2)), ""},
        {"the first directory past the end", patched(tiff, 4, "\xF0\xFF\xFF\xFF"), ""},
        {"DateTimeOriginal's value past the end", patched(tiff, original + 8, "\xF0\xFF\xFF\xFF"),
         "2024:07:15 01:02:03 Digitized"},
        {"DateTimeOriginal's value in the last bytes", patched(tiff, original + 8, number(tiff.size() - 5)),
         "2024:07:15 01:02:03 Digitized"},
        {"an entry count past the end", patched(tiff, firstAt, "\xFF\xFF"), "2024:07:14 18:22:05 Original"},
        {"the Exif directory pointing at the first", patched(tiff, pointerEntry + 8, number(firstAt)),
         "2023:01:02 03:04:05 DateTime"},
        {"the first directory's next one pointing at itself", patched(tiff, exifAt - 4, number(firstAt)),
         "2024:07:14 18:22:05 Original"},
        {"the Exif pointer of a wrong type", patched(tiff, pointerEntry + 2, std::string("\x03\0", 2)),
         "2023:01:02 03:04:05 DateTime"},
        {"a date of a wrong type", patched(tiff, original + 2, std::string("\x05\0", 2)),
         "2024:07:15 01:02:03 Digitized"},
        {"a date of 18 characters", patched(tiff, original + 4, number(18)), "2024:07:15 01:02:03 Digitized"},
        {"a JPEG's first directory past its APP1", patched(jpeg, exifStart + 4, number(240)), ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Read(c.bytes), c.expected) << c.name;
}

// A head alone tells the caller where to read next; the directories far into a big TIFF then
// need only their own bytes.
TEST(ExifDate, AsksForTheBytesItNeeds) {
    const std::string tiff = test::TiffWithDates({kTaken, "", ""}, {false, 42, 3000000});
    FileBytes bytes(tiff.size());
    bytes.Add(0, tiff.substr(0, 4096));
    int reads = 0;
    MediaRead read = ReadExif(bytes);
    while (read.outcome == MediaRead::NeedBytes && reads < 10) {
        ++reads;
        ASSERT_GE(read.wantOffset, 3000000u);
        bytes.Add(read.wantOffset, tiff.substr(read.wantOffset, 4096));
        read = ReadExif(bytes);
    }
    ASSERT_EQ(read.outcome, MediaRead::Found);
    EXPECT_EQ(Text(read.facts.taken), kTaken);
    EXPECT_LE(reads, 2);
    EXPECT_LT(bytes.Held(), 3u * 4096);
}

// The file system below the source, counting what it opens and reads.
class CountingFiles : public test::FaultyFileSystem {
public:
    FileResult OpenForReading(const std::string& path, std::unique_ptr<ReadableFile>* file) override {
        std::unique_ptr<ReadableFile> opened;
        const FileResult result = FaultyFileSystem::OpenForReading(path, &opened);
        if (opened)
            *file = std::make_unique<Counted>(std::move(opened), &bytesRead);
        return result;
    }
    std::uint64_t bytesRead = 0;

private:
    class Counted final : public ReadableFile {
    public:
        Counted(std::unique_ptr<ReadableFile> file, std::uint64_t* total)
            : file_(std::move(file)), total_(total) {}
        std::uint64_t Size() const override { return file_->Size(); }
        FileResult ReadAt(std::uint64_t offset, std::size_t count, std::string* bytes) override {
            const FileResult result = file_->ReadAt(offset, count, bytes);
            *total_ += bytes->size();
            return result;
        }

    private:
        std::unique_ptr<ReadableFile> file_;
        std::uint64_t* total_;
    };
};

// A name as the host's file functions take it: UTF-8 here, the OEM page in the FAR 1.x build.
std::string HostName(const std::string& utf8) {
#if defined(_WIN32)
    return test::Oem(utf8);
#else
    return utf8;
#endif
}

TEST(FileDateTaken, ReadsPhotosOnceAndRefusesWhatIsNoPhoto) {
    test::TempDir dir;
    const std::string photo = test::JpegWithDates({kTaken, "", ""});
    ASSERT_TRUE(dir.WriteFile(HostName("Отпуск 2024 - 001.JPG"), photo));
    ASSERT_TRUE(dir.WriteFile(HostName("снимок.Tiff"), test::TiffWithDates({"", "", kChanged})));
    // A colour profile of 60 KB before the EXIF: the head read first does not reach it.
    const std::string profile = "\xFF\xE2\xEA\x62" + std::string(60000, 'p');
    ASSERT_TRUE(dir.WriteFile("profile first.jpg", photo.substr(0, 2) + profile + photo.substr(2)));
    ASSERT_TRUE(dir.WriteFile("photo.txt", photo));
    ASSERT_TRUE(dir.WriteFile("empty.jpg", ""));
    ASSERT_TRUE(dir.WriteFile("not a photo.jpg", "plain text, no photo"));
    ASSERT_TRUE(dir.MakeDirectory("folder.jpg"));
    const struct {
        std::string name;
        const char* expected;  // "" for no date
        int opens;             // what the first question costs
    } cases[] = {
        {HostName("Отпуск 2024 - 001.JPG"), kTaken, 1},
        {HostName("снимок.Tiff"), kChanged, 1},
        {"profile first.jpg", kTaken, 1},
        {"photo.txt", "", 0},
        {"photo", "", 0},
        {"empty.jpg", "", 1},
        {"not a photo.jpg", "", 1},
        {"folder.jpg", "", 1},
        {"missing.jpg", "", 1},
#if defined(_WIN32)
        // A device's name, whatever follows it: never read.
        {"NUL.jpg", "", 1},
#endif
    };
    CountingFiles files;
    FileDateTaken source(files);
    for (const auto& c : cases) {
        for (int time = 0; time < 2; ++time) {
            const int before = files.Count("OpenForReading");
            CivilTime taken;
            ExifDateTag tag;
            const bool found = source.DateTaken(dir.PathOf(c.name), &taken, &tag);
            EXPECT_EQ(found ? Text(taken) : "", c.expected) << c.name;
            // A second question is answered from what the first one read.
            EXPECT_EQ(files.Count("OpenForReading") - before, time == 0 ? c.opens : 0) << c.name;
        }
    }
    EXPECT_LT(files.bytesRead, 5 * 4096u);
}

#if !defined(_WIN32)
// What could make a reader wait or read for ever: a FIFO with no writer, a huge file that is
// mostly holes, a file no one may read.
TEST(FileDateTaken, NeverWaitsAndReadsOnlyTheHead) {
    test::TempDir dir;
    ASSERT_EQ(::mkfifo(dir.PathOf("pipe.jpg").c_str(), 0600), 0);
    // 4 GB of holes after a photo's head, and a TIFF whose directories were written at 3 GB.
    ASSERT_TRUE(dir.WriteFile("huge.jpg", test::JpegWithDates({kTaken, "", ""})));
    ASSERT_EQ(::truncate(dir.PathOf("huge.jpg").c_str(), 4LL << 30), 0);
    const test::TiffPieces tiff = test::TiffWithDatesInPieces({"", kDigitized, ""}, {true, 42, 3u << 30});
    ASSERT_TRUE(dir.WriteFile("far.tif", tiff.head));
    {
        const int fd = ::open(dir.PathOf("far.tif").c_str(), O_WRONLY);
        ASSERT_GE(fd, 0);
        EXPECT_EQ(::pwrite(fd, tiff.tail.data(), tiff.tail.size(), tiff.tailAt),
                  static_cast<ssize_t>(tiff.tail.size()));
        ::close(fd);
    }
    ASSERT_TRUE(dir.WriteFile("locked.jpg", test::JpegWithDates({kTaken, "", ""})));
    ASSERT_EQ(::chmod(dir.PathOf("locked.jpg").c_str(), 0), 0);
    const struct {
        const char* name;
        const char* expected;
    } cases[] = {
        {"pipe.jpg", ""},
        {"huge.jpg", kTaken},
        {"far.tif", kDigitized},
        {"locked.jpg", ::geteuid() == 0 ? kTaken : ""},
    };
    CountingFiles files;
    FileDateTaken source(files);
    for (const auto& c : cases) {
        CivilTime taken;
        ExifDateTag tag;
        const bool found = source.DateTaken(dir.PathOf(c.name), &taken, &tag);
        EXPECT_EQ(found ? Text(taken) : "", c.expected) << c.name;
    }
    EXPECT_LT(files.bytesRead, 200u * 1024);
}

// exiftool writes the tags (and damaged ones: its "#" writes the text as given) onto bare photos
// of each format; the reader takes the date exiftool shows.
TEST(FileDateTaken, GivesTheDatesExiftoolWrote) {
    if (std::system("exiftool -ver >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "exiftool is missing (scripts/deps.sh installs libimage-exiftool-perl)";
    const std::string tiff = test::TiffWithDates({});
    const struct {
        const char* extension;
        std::string bare;
    } formats[] = {
        {"jpg", test::BareJpeg()},
        {"tif", tiff},
        // DNGVersion 1.4.0.0 makes the TIFF a DNG to exiftool.
        {"dng", test::TiffWithDates({}, {}, {{0xC612, 1, 4, 0x0401}})},
        {"nef", tiff},
        {"cr2", tiff},
        {"arw", tiff},
        {"pef", tiff},
        {"orf", test::TiffWithDates({}, {false, 0x4F52, 0})},
    };
    const struct {
        const char* tags;
        const char* expected;
    } cases[] = {
        {"-DateTimeOriginal='2021:03:04 05:06:07' -CreateDate='2020:01:01 00:00:01' -ModifyDate='2019:01:01 "
         "00:00:02'",
         "2021:03:04 05:06:07"},
        {"-DateTimeOriginal#='0000:00:00 00:00:00' -CreateDate='2020:01:01 00:00:01'", "2020:01:01 00:00:01"},
        {"-DateTimeOriginal#='    :  :     :  :  ' -CreateDate#='2020:02:30 00:00:00' "
         "-ModifyDate='2019:12:31 23:59:59'",
         "2019:12:31 23:59:59"},
        {"-Artist=Me", ""},
    };
    // One exiftool run a case writes the tags on a photo of every format.
    test::TempDir dir;
    CountingFiles files;
    FileDateTaken source(files);
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        std::string paths;
        for (const auto& format : formats) {
            const std::string name = "фото " + std::to_string(i) + "." + format.extension;
            ASSERT_TRUE(dir.WriteFile(name, format.bare));
            paths += " '" + dir.PathOf(name) + "'";
        }
        ASSERT_EQ(
            std::system(("exiftool -q -q -overwrite_original " + std::string(cases[i].tags) + paths).c_str()),
            0)
            << cases[i].tags;
        for (const auto& format : formats) {
            const std::string name = "фото " + std::to_string(i) + "." + format.extension;
            CivilTime taken;
            ExifDateTag tag;
            const bool found = source.DateTaken(dir.PathOf(name), &taken, &tag);
            EXPECT_EQ(found ? Text(taken) : "", cases[i].expected) << name << ": " << cases[i].tags;
        }
    }
}

// The facts as a line: the date with its milliseconds, the maker, the model; "" for none.
std::string FactsText(const MediaFacts* facts) {
    if (facts == nullptr)
        return "";
    std::string text = "-";
    if (facts->hasTaken) {
        char ms[8];
        std::snprintf(ms, sizeof ms, ".%03d", facts->taken.millisecond);
        text = Text(facts->taken) + ms;
    }
    return text + " " + facts->make + " / " + facts->model;
}

// What exiftool reads of a file, as the same line: DateTimeOriginal with its SubSecTimeOriginal,
// else Apple's CreationDate as written, else the movie header's CreateDate in local time (exiftool
// shows a zero one as 1904-01-01; it is no date).
std::string ExiftoolFacts(const std::string& path) {
    const std::string command =
        "exiftool -s3 -f -n -api QuickTimeUTC -DateTimeOriginal -SubSecTimeOriginal "
        "-Keys:CreationDate -QuickTime:CreateDate -Make -Model '" +
        path + "'";
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr)
        return "exiftool failed";
    std::vector<std::string> lines;
    char line[256];
    while (std::fgets(line, sizeof line, pipe) != nullptr) {
        std::string value(line);
        while (!value.empty() && (value.back() == '\n' || value.back() == '\r'))
            value.pop_back();
        lines.push_back(value == "-" ? "" : value);
    }
    ::pclose(pipe);
    if (lines.size() != 6)
        return "exiftool gave " + std::to_string(lines.size()) + " lines";
    const auto valid = [](const std::string& date) {
        return date.size() >= 19 && date.compare(0, 4, "0000") != 0 && date.compare(0, 4, "1904") != 0;
    };
    std::string date;
    std::string fraction = "000";
    if (valid(lines[0])) {
        date = lines[0].substr(0, 19);
        fraction = (lines[1] + "000").substr(0, 3);
    } else if (valid(lines[2])) {
        date = lines[2].substr(0, 19);
        if (lines[2].size() > 20 && lines[2][19] == '.')
            fraction =
                (lines[2].substr(20, lines[2].find_first_not_of("0123456789", 20) - 20) + "000").substr(0, 3);
    } else if (valid(lines[3])) {
        date = lines[3].substr(0, 19);
    }
    if (date.empty() && lines[4].empty() && lines[5].empty())
        return "";
    return (date.empty() ? "-" : date + "." + fraction) + " " + lines[4] + " / " + lines[5];
}

// Photos and clips as phones and cameras save them, made by the tools that make them, against
// exiftool's own reading. A time zone east of UTC shows that a movie header's time is shown in
// local time, and Apple's as written.
TEST(FileDateTaken, ReadsPhoneMediaAsExiftoolDoes) {
    for (const char* tool : {"exiftool -ver", "ffmpeg -version", "heif-enc --version", "cwebp -version"}) {
        if (std::system((std::string(tool) + " >/dev/null 2>&1").c_str()) != 0)
            GTEST_SKIP() << tool << ": missing (scripts/deps.sh installs it)";
    }
    test::TempDir dir;
    const std::string d = "'" + dir.PathOf("") + "/";
    const std::string video = "ffmpeg -v error -f lavfi -i color=c=blue:s=176x144:d=1:r=5 -c:v mpeg4 ";
    const std::string at = "-metadata creation_time=2026-12-08T12:08:33Z ";
    const std::string photo =
        "'-DateTimeOriginal=2026:12:08 13:08:33' -SubSecTimeOriginal=5 -Make=Apple "
        "'-Model=iPhone 15 Pro' ";
    const char* commands[] = {
        "ffmpeg -v error -f lavfi -i color=c=red:s=16x16 -frames:v 1 {}src.png'",
        "heif-enc -q 50 {}src.png' -o {}фото.heic' >/dev/null",
        "heif-enc --avif {}src.png' -o {}фото.avif' >/dev/null",
        "heif-enc --avif {}src.png' -o {}bare.avif' >/dev/null",
        "cwebp -quiet {}src.png' -o {}фото.webp'",
        "cp {}src.png' {}фото.png'",
        "exiftool -q -q -overwrite_original PHOTO {}фото.heic' {}фото.avif' {}фото.webp' {}фото.png'",
        "VIDEO AT {}moov last.mp4'",
        "VIDEO AT -movflags +faststart {}moov first.MP4'",
        "VIDEO {}no date.mp4'",
        "ffmpeg -v error -f lavfi -i color=c=blue:s=176x144:d=1:r=5 -c:v h263 AT {}clip.3gp'",
        "VIDEO AT {}видео.mov'",
        "exiftool -q -q -overwrite_original '-Keys:CreationDate=2026:12:08 13:08:33.250+01:00' "
        "-Keys:Make=Apple "
        "'-Keys:Model=iPhone 15 Pro' {}видео.mov'",
    };
    for (std::string command : commands) {
        for (const auto& [from, to] : {std::pair<std::string, std::string>{"{}", d},
                                       {"PHOTO ", photo},
                                       {"VIDEO ", video},
                                       {"AT ", at}}) {
            for (std::size_t i; (i = command.find(from)) != std::string::npos;)
                command.replace(i, from.size(), to);
        }
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
    }
    const std::string zone = std::getenv("TZ") ? std::getenv("TZ") : "";
    ::setenv("TZ", "UTC-3", 1);
    ::tzset();
    CountingFiles files;
    FileDateTaken source(files);
    const struct {
        const char* name;
        const char* expected;
    } cases[] = {
        {"фото.heic", "2026:12:08 13:08:33.500 Apple / iPhone 15 Pro"},
        {"фото.avif", "2026:12:08 13:08:33.500 Apple / iPhone 15 Pro"},
        {"фото.webp", "2026:12:08 13:08:33.500 Apple / iPhone 15 Pro"},
        {"фото.png", "2026:12:08 13:08:33.500 Apple / iPhone 15 Pro"},
        {"bare.avif", ""},
        {"moov last.mp4", "2026:12:08 15:08:33.000  / "},
        {"moov first.MP4", "2026:12:08 15:08:33.000  / "},
        {"no date.mp4", ""},
        {"clip.3gp", "2026:12:08 15:08:33.000  / "},
        {"видео.mov", "2026:12:08 13:08:33.250 Apple / iPhone 15 Pro"},
    };
    for (const auto& c : cases) {
        const std::string path = dir.PathOf(c.name);
        EXPECT_EQ(FactsText(source.Facts(path)), c.expected) << c.name;
        EXPECT_EQ(FactsText(source.Facts(path)), ExiftoolFacts(path)) << c.name;
    }
    zone.empty() ? ::unsetenv("TZ") : ::setenv("TZ", zone.c_str(), 1);
    ::tzset();
}

// A clip whose moov lies after 3 GB of media: the media is stepped over, not read. A FIFO with a
// clip's name is not waited on.
TEST(FileDateTaken, ReadsAClipsMoovAfterItsMediaAlone) {
    test::TempDir dir;
    ASSERT_EQ(::mkfifo(dir.PathOf("pipe.mp4").c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo(dir.PathOf("pipe.heic").c_str(), 0600), 0);
    const auto box = [](const std::string& type, const std::string& body) {
        const std::uint32_t size = static_cast<std::uint32_t>(body.size() + 8);
        return std::string{static_cast<char>(size >> 24), static_cast<char>(size >> 16),
                           static_cast<char>(size >> 8), static_cast<char>(size)} +
               type + body;
    };
    // A movie header of 2026-12-08 12:08:33 UTC (seconds since 1904), a track of 200 KB.
    const std::string mvhd = box("mvhd", std::string(4, '\0') + "\xE7\x3D\xA3\xC1" + std::string(92, '\0'));
    const std::string moov = box("moov", mvhd + box("trak", std::string(200000, 't')) + box("udta", ""));
    const std::uint64_t mdat = 3ull << 30;
    std::string head = box("ftyp", "isom") + std::string("\0\0\0\1mdat", 8);
    for (int i = 7; i >= 0; --i)
        head += static_cast<char>((mdat >> (8 * i)) & 0xFF);
    ASSERT_TRUE(dir.WriteFile("big.mp4", head));
    {
        const int fd = ::open(dir.PathOf("big.mp4").c_str(), O_WRONLY);
        ASSERT_GE(fd, 0);
        EXPECT_EQ(::pwrite(fd, moov.data(), moov.size(), 12 + mdat), static_cast<ssize_t>(moov.size()));
        ::close(fd);
    }
    CountingFiles files;
    FileDateTaken source(files);
    EXPECT_EQ(FactsText(source.Facts(dir.PathOf("pipe.mp4"))), "");
    EXPECT_EQ(FactsText(source.Facts(dir.PathOf("pipe.heic"))), "");
    const MediaFacts* facts = source.Facts(dir.PathOf("big.mp4"));
    ASSERT_NE(facts, nullptr);
    EXPECT_EQ(facts->tag, ExifDateTag::MovieHeader);
    EXPECT_LT(files.bytesRead, 4 * 4096u);
}
#endif

}  // namespace
}  // namespace velmora
