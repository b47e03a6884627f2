// How the velmora host on POSIX reads a description file for the plug-in: UTF-8 after a mark, valid
// UTF-8 as it stands, anything else from the locale's OEM code page as far2l reads it; and whole
// runs that rename described files and read the rebuilt file back.
#if !defined(_WIN32)

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "host/Panel.hpp"
#include "platform/posix/HostSystemText.hpp"
#include "support/Env.hpp"
#include "support/HostRunner.hpp"

namespace velmora::test {
namespace {

const std::string kMark = "\xEF\xBB\xBF";
// The same texts in UTF-8 and in CP866.
const std::string kPhoto = "\xD1\x84\xD0\xBE\xD1\x82\xD0\xBE.txt";  // фото.txt
const std::string kPhoto866 = "\xE4\xAE\xE2\xAE.txt";
const std::string kHoliday =  // Отпуск в горах
    "\xD0\x9E\xD1\x82\xD0\xBF\xD1\x83\xD1\x81\xD0\xBA \xD0\xB2 \xD0\xB3\xD0\xBE\xD1\x80\xD0\xB0\xD1\x85";
const std::string kHoliday866 = "\x8E\xE2\xAF\xE3\xE1\xAA \xA2 \xA3\xAE\xE0\xA0\xE5";
const std::string kNotes = "\xD0\x97\xD0\xB0\xD0\xBC\xD0\xB5\xD1\x82\xD0\xBA\xD0\xB8";  // Заметки
const std::string kNotes866 = "\x87\xA0\xAC\xA5\xE2\xAA\xA8";
// UTF-8 only.
const std::string kChineseFile = "\xE6\x96\x87\xE4\xBB\xB6.txt";                  // 文件.txt
const std::string kChinese = "\xE4\xB8\xAD\xE6\x96\x87\xE6\x8F\x8F\xE8\xBF\xB0";  // 中文描述
const std::string kEmojiFile = "\xF0\x9F\x98\x80.png";                            // 😀.png
const std::string kParty =                                                        // 🎉 вечеринка
    "\xF0\x9F\x8E\x89 \xD0\xB2\xD0\xB5\xD1\x87\xD0\xB5\xD1\x80\xD0\xB8\xD0\xBD\xD0\xBA\xD0\xB0";

// Well-formed UTF-8 only: no stray or missing continuation, overlong form, surrogate or value past
// U+10FFFF.
TEST(DescriptionText, Utf8Validity) {
    for (const std::string& bytes :
         {std::string("plain ascii text"), kHoliday + kChinese + kParty, std::string("\xF4\x8F\xBF\xBF")})
        EXPECT_TRUE(host::IsUtf8(bytes)) << ::testing::PrintToString(bytes);
    for (const std::string& bytes : {std::string("ab\x80"), std::string("\xE4\xB8"), std::string("\xC0\xAF"),
                                     std::string("\xE0\x80\xAF"), std::string("\xED\xA0\x80"),
                                     std::string("\xF4\x90\x80\x80"), kHoliday866})
        EXPECT_FALSE(host::IsUtf8(bytes)) << ::testing::PrintToString(bytes);
}

TEST(DescriptionText, LocaleGivesFar2lsOemCodePage) {
    const std::pair<unsigned, std::vector<const char*>> cases[] = {
        {866,
         {"C", "C.UTF-8", "POSIX", "", "ru_RU.UTF-8", "uk_UA.UTF-8", "en_USA", "sr_RS@latin", "xx_YY.UTF-8"}},
        {850, {"de_DE.UTF-8", "fr_FR", "en_GB.UTF-8"}},
        {437, {"en_US.UTF-8"}},
        {857, {"tr_TR.ISO-8859-9"}},
        {932, {"ja_JP.eucJP"}},
        {950, {"zh_TW.UTF-8"}}};
    for (const auto& [codePage, locales] : cases) {
        for (const char* locale : locales)
            EXPECT_EQ(host::OemCodePageOfLocale(locale), codePage) << locale;
    }
}

// LC_ALL over LC_CTYPE over LANG, an empty value counting as unset (null: not set at all).
TEST(DescriptionText, LocaleComesFromTheEnvironmentAsSetlocaleTakesIt) {
    struct Case {
        const char* values[3];
        const char* locale;
    } cases[] = {
        {{nullptr, nullptr, nullptr}, "C"},
        {{nullptr, "de_DE.UTF-8", "ru_RU.UTF-8"}, "de_DE.UTF-8"},
        {{"en_US.UTF-8", "de_DE.UTF-8", "ru_RU.UTF-8"}, "en_US.UTF-8"},
        {{"", "", "fr_FR.UTF-8"}, "fr_FR.UTF-8"},
    };
    for (const Case& c : cases) {
        std::vector<std::unique_ptr<ScopedEnv>> env;
        for (int i = 0; i < 3; ++i) {
            const char* name = i == 0 ? "LC_ALL" : i == 1 ? "LC_CTYPE" : "LANG";
            env.push_back(c.values[i] ? std::make_unique<ScopedEnv>(name, c.values[i])
                                      : std::make_unique<ScopedEnv>(name));
        }
        EXPECT_EQ(host::TextLocale(), c.locale);
    }
}

TEST(DescriptionText, Decoding) {
    struct Case {
        const char* what;
        std::string bytes;
        unsigned codePage;
        std::string text;
    } cases[] = {
        {"marked UTF-8 loses the mark", kMark + kChineseFile + " " + kChinese + "\r\n", 866,
         kChineseFile + " " + kChinese + "\r\n"},
        {"UTF-8 without a mark as it stands", kEmojiFile + " " + kParty + "\r\n", 866,
         kEmojiFile + " " + kParty + "\r\n"},
        {"marked twice", kMark + kMark + "a.txt x\r\n", 866, "a.txt x\r\n"},
        {"after a mark, bytes that are no UTF-8 stay", kMark + "a.txt \xFF\x80\r\n", 866,
         "a.txt \xFF\x80\r\n"},
        {"CP866 under C or ru_RU", kPhoto866 + " " + kHoliday866 + "\r\nnotes " + kNotes866 + "\r\n", 866,
         kPhoto + " " + kHoliday + "\r\nnotes " + kNotes + "\r\n"},
        {"no UTF-8 under en_US is CP437", "caf\x82.txt Men\x81\r\n", 437, "caf\xC3\xA9.txt Men\xC3\xBC\r\n"},
        {"each line on its own", "a.txt " + kParty + "\n" + kPhoto866 + " " + kNotes866 + "\n", 866,
         "a.txt " + kParty + "\n" + kPhoto + " " + kNotes + "\n"},
        {"a byte CP857 cannot map stays", "x\xD5y \x80\n", 857, "x\xD5y \xC3\x87\n"},
        {"a cut double-byte character stays", "\x82\xA0\x82\nb \x82", 932, "\xE3\x81\x82\x82\nb \x82"},
        {"a code page the system lacks leaves the bytes", "caf\x82\n", 9999, "caf\x82\n"},
    };
    for (const Case& c : cases) {
        std::string converted;
        EXPECT_EQ(host::DecodeDescriptionText(c.bytes, c.codePage, &converted), c.text) << c.what;
    }
}

class InDirectory {
public:
    explicit InDirectory(const std::string& path) : saved_(std::filesystem::current_path()) {
        std::filesystem::current_path(path);
    }
    ~InDirectory() { std::filesystem::current_path(saved_); }

private:
    std::filesystem::path saved_;
};

// Every described entry of the directory with its description, read as the host reads it.
std::map<std::string, std::string> ReadBack(const HostRunner& host) {
    InDirectory in(host.Dir().Path());
    host::Panel panel("N,Z", {"Descript.ion"});
    std::string error;
    EXPECT_TRUE(panel.Read(&error)) << error;
    std::map<std::string, std::string> described;
    for (const host::PanelEntry& entry : panel.Entries()) {
        if (entry.description)
            described[entry.name] = *entry.description;
    }
    return described;
}

// Read, rename, write, read back: every described file keeps its text, whatever encoding the
// file had and whatever the plug-in writes it in.
TEST(DescriptionText, RoundTripsThroughTheHost) {
    struct Case {
        const char* what;
        std::vector<const char*> locales;
        std::vector<std::string> files;
        std::string listing;
        std::vector<std::string> selected;
        std::map<std::string, std::string> after;
    } cases[] = {
        {"marked, the first line renamed",
         {"C"},
         {kPhoto, kChineseFile, kEmojiFile, "notes.txt"},
         kMark + kPhoto + " " + kHoliday + "\r\n" + kChineseFile + " " + kChinese + "\r\n" + kEmojiFile +
             " " + kParty + "\r\nnotes.txt plain\r\n",
         {kPhoto, kChineseFile, kEmojiFile},
         {{kPhoto + ".r", kHoliday},
          {kChineseFile + ".r", kChinese},
          {kEmojiFile + ".r", kParty},
          {"notes.txt", "plain"}}},
        {"far2l's OEM file and Cyrillic names on disk",
         {"C", "C.UTF-8", "ru_RU.UTF-8"},
         {kPhoto, "notes.txt"},
         kPhoto866 + " " + kHoliday866 + "\r\nnotes.txt " + kNotes866 + "\r\n",
         {kPhoto},
         {{kPhoto + ".r", kHoliday}, {"notes.txt", kNotes}}},
        {"CP437 under en_US",
         {"en_US.UTF-8"},
         {"caf\xC3\xA9.txt"},
         "caf\x82.txt Men\x81\r\n",
         {"caf\xC3\xA9.txt"},
         {{"caf\xC3\xA9.txt.r", "Men\xC3\xBC"}}},
        // Written before the plug-in marked its files: UTF-8 lines, and a name that is no UTF-8.
        {"a name on disk that is no UTF-8",
         {"C"},
         {"\xFF.txt", kPhoto, "notes.txt"},
         "\xFF.txt " + kNotes + "\r\n" + kPhoto + " " + kHoliday + "\r\nnotes.txt " + kChinese + "\r\n",
         {"\xFF.txt", kPhoto},
         {{"\xFF.txt.r", kNotes}, {kPhoto + ".r", kHoliday}, {"notes.txt", kChinese}}},
    };
    for (const Case& c : cases) {
        for (const char* locale : c.locales) {
            SCOPED_TRACE(std::string(c.what) + " under " + locale);
            ScopedEnv all("LC_ALL", locale);
            HostRunner host;
            host.MakeFiles(c.files);
            host.Dir().WriteFile("Descript.ion", c.listing);
            std::vector<std::string> args = {"--yes", "--save-descriptions", "1", "--mask", "%F.r", "--"};
            args.insert(args.end(), c.selected.begin(), c.selected.end());
            const HostResult result = host.Run(args);
            EXPECT_EQ(result.status, 0) << result.err;
            EXPECT_EQ(ReadBack(host), c.after);
        }
    }
}

}  // namespace
}  // namespace velmora::test

#endif  // !defined(_WIN32)
