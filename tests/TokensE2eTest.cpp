// Braced tokens through the velmora host and the plug-in: dates set on disk, the folder's name, a
// same-second collision that stops the batch and loses nothing, refused templates, the plan's
// JSON, and undo.
#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "support/HostRunner.hpp"
#include "support/PhotoFiles.hpp"

namespace velmora::test {
namespace {

namespace fs = std::filesystem;

// Sets a file's modified time to a local time, as `touch -d` does.
void Touch(const std::string& path, int year, int month, int day, int hour, int minute, int second) {
    std::tm fields{};
    fields.tm_year = year - 1900;
    fields.tm_mon = month - 1;
    fields.tm_mday = day;
    fields.tm_hour = hour;
    fields.tm_min = minute;
    fields.tm_sec = second;
    fields.tm_isdst = -1;
    const auto when =
        std::chrono::system_clock::from_time_t(std::mktime(&fields)) + std::chrono::milliseconds(500);
    // Half a second in, so that the clocks' conversion cannot carry it into the next second.
    const auto fileNow = fs::file_time_type::clock::now();
    const auto systemNow = std::chrono::system_clock::now();
    fs::last_write_time(fs::u8path(path),
                        fileNow + std::chrono::duration_cast<fs::file_time_type::duration>(when - systemNow));
}

TEST(Tokens, ModifiedTimesOnDiskAndACollisionThatLosesNothing) {
    HostRunner host;
    host.MakeFiles({"a.jpg", "b.jpg", "c.jpg"});
    Touch(host.Dir().PathOf("a.jpg"), 2024, 7, 14, 18, 22, 5);
    Touch(host.Dir().PathOf("b.jpg"), 2024, 7, 14, 18, 22, 5);
    Touch(host.Dir().PathOf("c.jpg"), 2023, 1, 2, 8, 0, 0);

    // Two photos of the same second and no counter: the second stops the batch.
    HostResult result = host.Run({"--yes", "--all", "-m", "%{mdate:YYYYMMDD_hhmmss}.%E"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.Boxes("FileExist").size(), 1u) << result.err;
    EXPECT_EQ(host.Dir().ListNames(), (std::vector<std::string>{"20240714_182205.jpg", "b.jpg", "c.jpg"}));
    ASSERT_EQ(host.Run({"-u"}).status, 0);

    // A counter tells them apart.
    result = host.Run({"--yes", "--all", "-m", "%{mdate:YYYYMMDD_hhmmss}_%#.%E"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(host.Dir().ListNames(),
              (std::vector<std::string>{"20230102_080000_2.jpg", "20240714_182205_0.jpg",
                                        "20240714_182205_1.jpg"}));
    ASSERT_EQ(host.Run({"-u"}).status, 0);
    EXPECT_EQ(host.Dir().ListNames(), (std::vector<std::string>{"a.jpg", "b.jpg", "c.jpg"}));
}

TEST(Tokens, RefusedTemplatesRenameAndStoreNothing) {
    const struct {
        std::string mask;
        std::string says;
    } cases[] = {
        {"%{bogus}", "unknown token %{bogus} at character 1"},
        {"IMG %{mdate:YYYY", "unclosed brace in %{mdate:YYYY at character 5"},
        {"%{N:0}", "bad range in %{N:0} at character 1"},
        {"%{taken:dd}", "bad date format in %{taken:dd} at character 1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mask);
        HostRunner host;
        host.MakeFiles({"a.txt"});
        const HostResult result = host.Run({"--yes", "-m", c.mask, "a.txt"});
        EXPECT_EQ(result.status, 1);
        const std::vector<std::string> boxes = result.Boxes("BadTemplate");
        ASSERT_EQ(boxes.size(), 1u) << result.err;
        EXPECT_NE(boxes[0].find(c.says), std::string::npos) << boxes[0];
        EXPECT_EQ(host.Dir().ListNames(), std::vector<std::string>{"a.txt"});
        EXPECT_FALSE(host.HasStoredOptions());
    }
}

TEST(Tokens, FolderAndRangesInCyrillic) {
#if defined(_WIN32)
    GTEST_SKIP() << "UTF-8 names; the OEM host's bytes are counted in the TemplateTokens tests";
#endif
    HostRunner host;
    const std::string folder = "\xD0\xA1\xD0\xBA\xD0\xB0\xD0\xBD\xD1\x8B";  // Сканы
    const std::string old =
        "\xD0\x94\xD0\xBE\xD0\xB3\xD0\xBE\xD0\xB2\xD0\xBE\xD1\x80 \xE2\x84\x96 7.pdf";  // Договор № 7.pdf
    fs::create_directory(fs::u8path(host.Dir().PathOf(folder)));
    const std::string inside = host.Dir().PathOf(folder);
    ASSERT_TRUE(host.Dir().WriteFile(folder + "/" + old, "x"));
    const HostResult result =
        host.RunRaw({"-C", inside, "--lang", std::string(VELMORA_BUILD_DIR) + "/VelmoraEng.lng", "--trace",
                     host.TracePath(), "--yes", "--all", "-m", "%{folder} %#, %{N:1-7}.%{E:-2-}"});
    EXPECT_EQ(result.status, 0) << result.err;
    // "Договор" is seven letters; the last two of "pdf".
    EXPECT_EQ(
        host.Dir().ListNames(folder),
        std::vector<std::string>{folder + " 0, \xD0\x94\xD0\xBE\xD0\xB3\xD0\xBE\xD0\xB2\xD0\xBE\xD1\x80.df"});
}

TEST(Tokens, ThePlanSaysWhichDateATakenTokenUsed) {
    HostRunner host;
    host.MakeFiles({"notes.txt"});
    // The photo's date taken, a JPEG without EXIF, and a file that is no photo at all.
    ASSERT_TRUE(host.Dir().WriteFile("a.jpg", JpegWithDates({"2019:08:09 07:06:05", "", ""})));
    ASSERT_TRUE(host.Dir().WriteFile("b.jpg", BareJpeg()));
    Touch(host.Dir().PathOf("a.jpg"), 2021, 3, 4, 5, 6, 7);
    Touch(host.Dir().PathOf("b.jpg"), 2021, 3, 4, 5, 6, 7);
    Touch(host.Dir().PathOf("notes.txt"), 2022, 3, 4, 5, 6, 7);
    HostResult result = host.Run({"-n", "--yes", "--json", "--all", "-m", "%{taken:YYYYMMDD_hhmmss}.%E"});
    EXPECT_EQ(result.status, 0) << result.err;
    for (const char* line : {"\"new\": \"20190809_070605.jpg\", \"action\": \"rename\", \"reason\": \"\", "
                             "\"date\": \"taken\"",
                             "\"new\": \"20210304_050607.jpg\", \"action\": \"rename\", \"reason\": \"\", "
                             "\"date\": \"modified\"",
                             "\"new\": \"20220304_050607.txt\", \"action\": \"rename\", \"reason\": \"\", "
                             "\"date\": \"modified\""})
        EXPECT_NE(result.out.find(line), std::string::npos) << line << "\n" << result.out;
    // Without a taken token the plan says nothing of dates.
    result = host.Run({"-n", "--yes", "--json", "--all", "-m", "%{mdate:YYYY}_%#.%E"});
    EXPECT_EQ(result.out.find("\"date\""), std::string::npos) << result.out;
    EXPECT_EQ(host.Dir().ListNames(), (std::vector<std::string>{"a.jpg", "b.jpg", "notes.txt"}));

    // The run names them as the plan said, and undo takes it back.
    result = host.Run({"--yes", "--all", "-m", "%{taken:YYYYMMDD_hhmmss}.%E"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(host.Dir().ListNames(), (std::vector<std::string>{"20190809_070605.jpg", "20210304_050607.jpg",
                                                                "20220304_050607.txt"}));
    ASSERT_EQ(host.Run({"-u"}).status, 0);
    EXPECT_EQ(host.Dir().ListNames(), (std::vector<std::string>{"a.jpg", "b.jpg", "notes.txt"}));
}

// A burst of one second gets numbers only where names are taken: a dry run without --yes
// plans them, the run gives them, the same template again changes nothing, and undo takes them
// back.
TEST(Tokens, DupNumbersABurstAndUndoTakesThemBack) {
    HostRunner host;
    const std::string kept = "20240714_182205.jpg";  // a file outside the batch holds the first name
#if defined(_WIN32)
    const std::string sea = "sea.jpg";  // velmora.exe's names are OEM bytes
#else
    const std::string sea = "\xD0\xBC\xD0\xBE\xD1\x80\xD0\xB5.jpg";  // море
#endif
    host.MakeFiles({"a.jpg", "b.jpg", sea, kept});
    for (const std::string& name : {std::string("a.jpg"), std::string("b.jpg"), sea, kept})
        Touch(host.Dir().PathOf(name), 2024, 7, 14, 18, 22, 5);
    const std::vector<std::string> batch{"a.jpg", "b.jpg", sea};
    const auto run = [&](std::vector<std::string> args) {
        args.insert(args.end(), {"-m", "%{mdate:YYYYMMDD_hhmmss}%{dup}.%E", "--"});
        args.insert(args.end(), batch.begin(), batch.end());
        return host.Run(args);
    };
    HostResult result = run({"-n", "--json"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.out.find("\"new\": \"20240714_182205_3.jpg\""), std::string::npos) << result.out;

    const std::vector<std::string> numbered{kept, "20240714_182205_1.jpg", "20240714_182205_2.jpg",
                                            "20240714_182205_3.jpg"};
    result = run({"--yes"});
    EXPECT_EQ(result.status, 0) << result.err;
    ASSERT_EQ(host.Dir().ListNames(), numbered);

    result = host.Run({"--yes", "--all", "-m", "%{mdate:YYYYMMDD_hhmmss}%{dup}.%E"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(host.Dir().ListNames(), numbered);

    ASSERT_EQ(host.Run({"-u"}).status, 0);
    EXPECT_EQ(host.Dir().ListNames(), (std::vector<std::string>{kept, "a.jpg", "b.jpg", sea}));
}

}  // namespace
}  // namespace velmora::test
