// velmora.exe works in the OEM code page, as FAR 1.x does, on a Russian system (OEM 866, ANSI
// 1251): names, description files and language texts meet in OEM and nothing is lost on the way.
#if defined(_WIN32)
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/Lng.hpp"
#include "platform/HostSystem.hpp"
#include "support/HostRunner.hpp"
#include "support/TempDir.hpp"
#include "support/win32/Win32Support.hpp"

namespace velmora::test {
namespace {

// The cases need a page that holds Cyrillic, which Wine takes from the locale.
void ExpectRussianSystem() {
    ASSERT_EQ(OemCodePage(), 866u)
        << "run the Windows tests with LANG=ru_RU.UTF-8 (scripts/deps.sh makes it)";
}

TEST(Win32Oem, CyrillicNamesKeepTheirDescriptions) {
    ExpectRussianSystem();
    HostRunner host;
    host.MakeFiles({Oem("фото.txt"), Oem("Новый год.txt"), Oem("мама.txt")});
    host.Dir().WriteFile(
        "Descript.ion",
        Oem("фото.txt Отпуск в горах\r\n\"Новый год.txt\" Ёлка и подарки\r\nмама.txt Мама\r\n"));
    // A list in OEM, as a FAR user's tools write it, is taken as it is.
    host.Dir().WriteFile("list.txt", Oem("фото.txt\r\nНовый год.txt\r\n"));
    const HostResult result =
        host.Run({"--yes", "--mask", Oem("снимок %#.%E"), "--start", "1", "--save-descriptions", "1",
                  "--select-from", host.Dir().PathOf("list.txt")});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(result.WarningBoxes().empty());
    EXPECT_EQ(
        ListUtf8Names(host.Dir().Path()),
        (std::vector<std::string>{"Descript.ion", "list.txt", "мама.txt", "снимок 1.txt", "снимок 2.txt"}));
    EXPECT_EQ(host.Dir().ReadFile("Descript.ion"),
              Oem("\"снимок 1.txt\" Отпуск в горах\r\n\"снимок 2.txt\" Ёлка и подарки\r\nмама.txt Мама\r\n"));
}

TEST(Win32Oem, NameTheOemPageCannotHoldStaysWithItsDescription) {
    ExpectRussianSystem();
    HostRunner host;
    host.MakeFiles({Oem("фото.txt"), Oem("мама.txt")});
    ASSERT_TRUE(WriteUtf8NamedFile(host.Dir().PathOf("照片.txt"), "photo"));
    // The file functions, and FAR 1.x with them, give such a name with "?" for what OEM lacks.
    const std::string described = Oem("фото.txt Отпуск\r\n??.txt Китай\r\nмама.txt Мама\r\n");
    host.Dir().WriteFile("Descript.ion", described);
    // A list in UTF-8 is converted as the file functions convert names.
    host.Dir().WriteFile("list.txt", "фото.txt\n照片.txt\nмама.txt\n");
    const HostResult result = host.Run({"--yes", "--mask", "x_%#.%E", "--start", "1", "--save-descriptions",
                                        "1", "--select-from", host.Dir().PathOf("list.txt")});
    EXPECT_EQ(result.status, 1) << result.err;
    ASSERT_EQ(result.WarningBoxes().size(), 1u) << result.err;
    EXPECT_EQ(result.Boxes("CanNotMove").size(), 1u) << result.WarningBoxes()[0];
    EXPECT_EQ(ListUtf8Names(host.Dir().Path()),
              (std::vector<std::string>{"Descript.ion", "list.txt", "x_1.txt", "мама.txt", "照片.txt"}));
    EXPECT_EQ(host.Dir().ReadFile("Descript.ion"),
              Oem("x_1.txt Отпуск\r\n??.txt Китай\r\nмама.txt Мама\r\n"));
}

// Braced tokens in FAR 1.x's text: a range counts bytes of the OEM page, the folder's name is in
// it too, and a refused token is placed by the byte.
TEST(Win32Oem, TokensCountOemBytes) {
    ExpectRussianSystem();
    HostRunner host;
    host.MakeFiles({Oem("Договор 7.pdf")});
    HostResult result = host.Run({"--yes", "--all", "-m", Oem("%{N:1-7} №%{N:-1}.%E")});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(ListUtf8Names(host.Dir().Path()), std::vector<std::string>{"Договор №7.pdf"});
    result = host.Run({"--yes", "--all", "-m", Oem("Счёт %{n:x}")});
    EXPECT_EQ(result.status, 1);
    ASSERT_EQ(result.Boxes("BadTemplate").size(), 1u) << result.err;
    EXPECT_NE(result.Boxes("BadTemplate")[0].find("bad range in %{n:x} at character 6"), std::string::npos)
        << result.Boxes("BadTemplate")[0];
}

// The sources are UTF-8, with or without a byte-order mark; the package's copies are CP866.
TEST(Win32Oem, LanguageFilesGiveOemTexts) {
    ExpectRussianSystem();
    const std::string build = VELMORA_BUILD_DIR;
    std::string source;
    std::string error;
    ASSERT_TRUE(
        host::ReadWholeFile(std::string(VELMORA_SOURCE_DIR) + "/lang/VelmoraRus.lng", &source, &error))
        << error;
    TempDir dir;
    ASSERT_TRUE(dir.WriteFile("marked.lng", "\xEF\xBB\xBF" + source));
    host::Lng utf8;
    ASSERT_TRUE(utf8.Parse(source, "source", &error)) << error;
    for (const std::string& path :
         {build + "/VelmoraRus.lng", build + "/package-texts/VelmoraRus.lng", dir.PathOf("marked.lng")}) {
        SCOPED_TRACE(path);
        host::Lng lng;
        ASSERT_TRUE(lng.Load(path, &error)) << error;
        ASSERT_EQ(lng.Count(), utf8.Count());
        for (int id = 0; id < static_cast<int>(utf8.Count()); ++id)
            EXPECT_EQ(lng.GetMsg(id), Oem(utf8.GetMsg(id))) << id;
    }
}

// The program itself: arguments come from the system in UTF-16, and every path named on the
// command line is opened by the OEM file functions.
TEST(Win32Oem, TheProgramTakesCyrillicArgumentsAndPaths) {
    ExpectRussianSystem();
    HostRunner host;
    const std::string folder = Oem("Отпуск 2024");
    ASSERT_TRUE(host.Dir().MakeDirectory(folder));
    ASSERT_TRUE(host.Dir().WriteFile(folder + "/" + Oem("фото.txt"), "x"));
    ASSERT_TRUE(host.Dir().WriteFile(folder + "/Descript.ion", Oem("фото.txt Горы\r\n")));
    const std::string trace = host.Dir().PathOf(Oem("журнал.jsonl"));
    const HostResult result = host.RunProgram(
        {"-C", folder, "--yes", "--mask", Oem("снимок_%#.%E"), "--save-descriptions", "1", "--lang",
         std::string(VELMORA_BUILD_DIR) + "/VelmoraRus.lng", "--trace", trace, Oem("фото.txt")});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(ListUtf8Names(host.Dir().PathOf(folder)),
              (std::vector<std::string>{"Descript.ion", "снимок_0.txt"}));
    EXPECT_EQ(host.Dir().ReadFile(folder + "/Descript.ion"), Oem("снимок_0.txt Горы\r\n"));
    const std::string traced = host.Dir().ReadFile(Oem("журнал.jsonl"));
    EXPECT_NE(traced.find(Json(Oem("Velmora: групповое переименование"))), std::string::npos) << traced;
}

TEST(Win32Oem, TheProgramKeepsTheDescriptionFileAmongTheSelected) {
    ExpectRussianSystem();
    HostRunner host;
    host.MakeFiles({Oem("фото.txt"), Oem("мама.txt")});
    host.Dir().WriteFile("Descript.ion", Oem("фото.txt Отпуск в горах\r\nмама.txt Мама\r\n"));
    const HostResult result = host.RunProgram({"--all", "--yes", "--mask", "x_%#.%E", "--start", "1",
                                               "--save-descriptions", "1", "--trace", host.TracePath()});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(result.WarningBoxes().empty());
    // Descript.ion takes the first number; the counter still follows the positions.
    EXPECT_EQ(ListUtf8Names(host.Dir().Path()),
              (std::vector<std::string>{"Descript.ion", "x_2.txt", "x_3.txt"}));
    // The lines in the file's order, under the new names.
    EXPECT_EQ(host.Dir().ReadFile("Descript.ion"), Oem("x_3.txt Отпуск в горах\r\nx_2.txt Мама\r\n"));
}

}  // namespace
}  // namespace velmora::test
#endif
