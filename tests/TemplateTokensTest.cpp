// The template's braced tokens: what each gives for a file, in the host's characters, and what is
// refused before anything runs.
#include <gtest/gtest.h>

#include <cstdint>
#include <ctime>
#include <map>
#include <string>

#include "naming/NameTemplate.hpp"
#include "naming/NewName.hpp"

namespace velmora {
namespace {

// FILETIME ticks of a local time, as the test's own C library reckons it.
std::uint64_t LocalTicks(int year, int month, int day, int hour, int minute, int second) {
    std::tm fields{};
    fields.tm_year = year - 1900;
    fields.tm_mon = month - 1;
    fields.tm_mday = day;
    fields.tm_hour = hour;
    fields.tm_min = minute;
    fields.tm_sec = second;
    fields.tm_isdst = -1;
    const std::time_t when = std::mktime(&fields);
    return (static_cast<std::uint64_t>(when) + 11644473600ull) * 10000000ull + 1234567;
}

class FakeDateTaken final : public DateTakenSource {
public:
    const MediaFacts* Facts(const std::string& path) override {
        ++asked[path];
        if (const auto found = media.find(path); found != media.end())
            return &found->second;
        const auto found = dates.find(path);
        if (found == dates.end())
            return nullptr;
        facts.hasTaken = true;
        facts.taken = found->second;
        return &facts;
    }
    MediaFacts facts;
    std::map<std::string, CivilTime> dates;
    std::map<std::string, MediaFacts> media;
    std::map<std::string, int> asked;
};

struct Expanded {
    std::string name;
    bool usedTaken = false;
};

Expanded Expand(const std::string& nameTemplate, const std::string& name, LengthUnit unit,
                DateTakenSource* taken = nullptr, const std::string& folder = "Scans") {
    TemplateTokens tokens;
    TemplateError error;
    EXPECT_TRUE(tokens.Parse(nameTemplate, unit, &error)) << error.token;
    TokenFacts facts;
    facts.tokens = &tokens;
    facts.now = CivilTime{2030, 1, 2, 3, 4, 5, 7};
    facts.folder = folder;
    facts.taken = taken;
    facts.writeTime = LocalTicks(2024, 1, 14, 18, 22, 5);
    facts.creationTime = LocalTicks(2023, 12, 31, 23, 59, 59);
    Expanded out;
    ExpandTemplateInto(out.name, nameTemplate.c_str(), name, 6, {1, 20, 21, false}, unit, &facts);
    out.usedTaken = facts.usedTaken;
    return out;
}

// Cyrillic, CJK and an emoji (one code point, a surrogate pair in UTF-16).
const std::string kTrip = "\xD0\x9E\xD1\x82\xD0\xBF\xD1\x83\xD1\x81\xD0\xBA";  // Отпуск
const std::string kSea = "\xE6\xB5\xB7\xE8\xBE\xB9";                           // 海边
const std::string kWave = "\xF0\x9F\x8C\x8A";                                  // 🌊

TEST(TemplateTokens, EachTokenGivesItsText) {
    FakeDateTaken taken;
    taken.dates["IMG_1.jpg"] = CivilTime{2019, 8, 9, 7, 6, 5, 42};
    MediaFacts phone;
    phone.make = "Sony/Ericsson";
    phone.model = "K800i: \"*?\x01";
    taken.media["clip.mp4"] = phone;
#if defined(_WIN32)
    const std::string kPhone = "Sony_Ericsson K800i_ ____";
#else
    const std::string kPhone = "Sony_Ericsson K800i: \"*?\x01";
#endif
    const struct {
        std::string nameTemplate;
        std::string name;
        LengthUnit unit;
        std::string expected;
        bool usedTaken;
    } cases[] = {
        {"%{mdate:YYYYMMDD_hhmmss}_%#.%E", "a.jpg", LengthUnit::Utf8Byte, "20240114_182205_07.jpg", false},
        {"%{mdate}", "a.jpg", LengthUnit::Byte, "2024-01-14", false},
        {"%{cdate:YY.MM.DD hh-mm-ss}", "a.jpg", LengthUnit::Byte, "23.12.31 23-59-59", false},
        {"%{taken:YYYY-MM-DD hh.mm.ss}", "IMG_1.jpg", LengthUnit::Byte, "2019-08-09 07.06.05", true},
        // A file without a date taken: its modified time.
        {"%{taken:YYYYMMDD}", "IMG_2.jpg", LengthUnit::Byte, "20240114", false},
        {"%{now:YYYYMMDDhhmmss}", "a.jpg", LengthUnit::Byte, "20300102030405", false},
        // Milliseconds: of the panel's time, of the date taken, of the batch's start.
        {"%{mdate:hhmmssfff}|%{taken:ssfff}|%{now:fff}", "a.jpg", LengthUnit::Byte, "182205123|05123|007",
         false},
        {"%{taken:ss.fff}", "IMG_1.jpg", LengthUnit::Byte, "05.042", true},
        // Who made it, as a name may hold it; nothing for a file that does not say.
        {"%{make} %{model}", "clip.mp4", LengthUnit::Utf8Byte, kPhone, false},
        {"[%{make}%{model}]", "a.jpg", LengthUnit::Utf8Byte, "[]", false},
        // The first file of a name has no number.
        {"IMG%{dup}%{dup: (#)}.%E", "a.jpg", LengthUnit::Byte, "IMG.jpg", false},
        {"%{folder} %#.%E", "a.jpg", LengthUnit::Byte, "Scans 07.jpg", false},
        // Words in any letter case; fields only as written (a lower-case "y" is copied).
        {"%{MDATE:yyYYYY}", "a.jpg", LengthUnit::Byte, "yy2024", false},
        {"%{N:1-3}|%{n:-2-}|%{E:2}|%{F:-5--3}", "photo.jpeg", LengthUnit::Byte, "pho|to|p|.jp", false},
        // Past the name: what lies inside, maybe nothing.
        {"[%{N:3-99}][%{N:9-}][%{E:-9--5}][%{N:-99-2}]", "ab.c", LengthUnit::Byte, "[][][][ab]", false},
        // Code points in UTF-8 hosts, counted the same with either cut.
        {"%{N:1-3}|%{N:-1}|%{F:-5-}", kTrip + " " + kSea + kWave + ".jpg", LengthUnit::Utf8Character,
         "\xD0\x9E\xD1\x82\xD0\xBF|" + kWave + "|" + kWave + ".jpg", false},
        {"%{N:9-10}", kTrip + " " + kSea + kWave + ".jpg", LengthUnit::Utf8Byte, "\xE8\xBE\xB9" + kWave,
         false},
        // Bytes of the OEM page in FAR 1.x: CP866 "Отпуск".
        {"%{N:2-3}", "\x8E\xE2\xAF\xE3\xE1\xAA.jpg", LengthUnit::Byte, "\xE2\xAF", false},
        {"%{folder}-%{N:1}", kTrip + ".jpg", LengthUnit::Utf8Character, kTrip + "-\xD0\x9E", false},
        // Tokens go through the cut like any other text.
        {"%F%{F:1-}", std::string(200, 'x'), LengthUnit::Byte, std::string(260, 'x'), false},
        // "%%{" is a percent sign and plain text.
        {"%%{N:1}", "a.jpg", LengthUnit::Byte, "%{N:1}", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.nameTemplate);
        const Expanded out =
            Expand(c.nameTemplate, c.name, c.unit, &taken, c.name.find(kTrip) == 0 ? kTrip : "Scans");
        EXPECT_EQ(out.name, c.expected);
        EXPECT_EQ(out.usedTaken, c.usedTaken);
    }
}

TEST(TemplateTokens, RefusedTokensSayWhatAndWhere) {
    const struct {
        std::string nameTemplate;
        LengthUnit unit;
        TokenProblem problem;
        std::size_t offset;
        std::string token;
    } cases[] = {
        {"%{bogus}", LengthUnit::Byte, TokenProblem::UnknownToken, 0, "%{bogus}"},
        {"IMG_%{}", LengthUnit::Byte, TokenProblem::UnknownToken, 4, "%{}"},
        {"%#%{mdate:YYYY", LengthUnit::Byte, TokenProblem::UnclosedBrace, 2, "%{mdate:YYYY"},
        {"%{mdate:}", LengthUnit::Byte, TokenProblem::BadFormat, 0, "%{mdate:}"},
        {"%{taken:yyyy.dd}", LengthUnit::Byte, TokenProblem::BadFormat, 0, "%{taken:yyyy.dd}"},
        {"%{now:YYYY/MM}", LengthUnit::Byte, TokenProblem::BadFormat, 0, "%{now:YYYY/MM}"},
        {"%{folder:x}", LengthUnit::Byte, TokenProblem::NoArgument, 0, "%{folder:x}"},
        {"%{make:x}", LengthUnit::Byte, TokenProblem::NoArgument, 0, "%{make:x}"},
        {"%{dup:_}", LengthUnit::Byte, TokenProblem::BadDup, 0, "%{dup:_}"},
        {"%{dup:/#}", LengthUnit::Byte, TokenProblem::BadDup, 0, "%{dup:/#}"},
        {"%{N}", LengthUnit::Byte, TokenProblem::BadRange, 0, "%{N}"},
        {"%{N:0-2}", LengthUnit::Byte, TokenProblem::BadRange, 0, "%{N:0-2}"},
        {"%{E:1-x}", LengthUnit::Byte, TokenProblem::BadRange, 0, "%{E:1-x}"},
        {"%{F:1--}", LengthUnit::Byte, TokenProblem::BadRange, 0, "%{F:1--}"},
        {"%{F:12345678901}", LengthUnit::Byte, TokenProblem::BadRange, 0, "%{F:12345678901}"},
        // Where, in the host's characters: code points in UTF-8, bytes in OEM.
        {kTrip + " %{N:a}", LengthUnit::Utf8Byte, TokenProblem::BadRange, 7, "%{N:a}"},
        {kTrip + " %{N:a}", LengthUnit::Byte, TokenProblem::BadRange, 13, "%{N:a}"},
        // The first refused token counts; "%%{" is none.
        {"%%{x} %{n:1} %{x", LengthUnit::Byte, TokenProblem::UnclosedBrace, 13, "%{x"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.nameTemplate);
        TemplateTokens tokens;
        TemplateError error;
        ASSERT_FALSE(tokens.Parse(c.nameTemplate, c.unit, &error));
        EXPECT_EQ(error.problem, c.problem);
        EXPECT_EQ(error.offset, c.offset);
        EXPECT_EQ(error.token, c.token);
        EXPECT_TRUE(tokens.List().empty());
    }
}

TEST(TemplateTokens, FolderIsTheLastComponentAndEmptyAtARoot) {
    const struct {
        const char* directory;
        std::string name;
    } cases[] = {
        {"/home/u/Scans", "Scans"},  {"/home/u/Scans/", "Scans"},   {"/", ""}, {"C:\\", ""}, {"C:", ""},
        {"D:\\Photo\\2024", "2024"}, {"\\\\srv\\share\\", "share"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FolderName(c.directory), c.name) << c.directory;
}

// Letter case and replace take the token's text like the rest of the name.
TEST(TemplateTokens, StepsTakeTheTokensText) {
    RuleOptions options;
    options.Find = "-";
    options.Replace = "_";
    options.NameCase = kCaseUpper;
    NameSteps steps;
    RegexError error{};
    ASSERT_TRUE(steps.Compile(options, HostText::Utf8, &error));
    TemplateTokens tokens;
    TemplateError tokenError;
    const std::string nameTemplate = "%{folder}-%{mdate}.%E";
    ASSERT_TRUE(tokens.Parse(nameTemplate, LengthUnit::Utf8Byte, &tokenError));
    TokenFacts facts;
    facts.tokens = &tokens;
    facts.folder = "scans";
    facts.writeTime = LocalTicks(2024, 1, 14, 18, 22, 5);
    std::string out;
    steps.Make(out, nameTemplate.c_str(), "a.jpg", 0, {1, 1, 2, false}, LengthUnit::Utf8Byte, &facts);
    EXPECT_EQ(out, "SCANS_2024_01_14.jpg");
}

}  // namespace
}  // namespace velmora
