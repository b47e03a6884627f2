// The FAR 3 plug-in's file system: names in UTF-8 reach the wide functions whole, whatever the
// code pages, relative to the panel's folder, also past MAX_PATH; moves never replace; only
// regular files are opened for reading.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "far3/FakeFar3.hpp"
#include "naming/DateTaken.hpp"
#include "platform/Win32Unicode.hpp"
#include "platform/win32/WindowsPrelude.hpp"
#include "support/PhotoFiles.hpp"

namespace velmora::test {
namespace {

TEST(WideFileSystem, UnicodeNamesEvenPastMaxPath) {
    Far3Folder folder;
    // A folder path of more than MAX_PATH characters, which only the "\\?\" form reaches.
    std::string deep = folder.Path();
    while (deep.size() < 300) {
        deep += "\\" + std::string(60, 'd');
        ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + WideOf(deep)).c_str(), nullptr)) << GetLastError();
    }
    for (const std::string& directory : {folder.Path(), deep}) {
        SCOPED_TRACE(directory.size());
        const std::unique_ptr<FileSystem> files = MakeWideFileSystem(directory);
        const std::string photo = "\xE5\x86\x99\xE7\x9C\x9F \xF0\x9F\x8C\x85.jpg";  // 写真 🌅.jpg
        const std::string mountains = "\xD0\x93\xD0\xBE\xD1\x80\xD1\x8B.jpg";       // Горы.jpg
        std::unique_ptr<WritableFile> file;
        ASSERT_TRUE(files->OpenForWriting(photo, &file));
        ASSERT_TRUE(
            file->Write("\xFF\xFE"
                        "abc",
                        5));
        ASSERT_TRUE(file->Close());
        std::string start;
        ASSERT_TRUE(files->ReadStart(photo, 3, &start));
        EXPECT_EQ(start,
                  "\xFF\xFE"
                  "a");
        EXPECT_NE(files->Attributes(photo), kNoAttributes);
        std::unique_ptr<ReadableFile> readable;
        ASSERT_TRUE(files->OpenForReading(photo, &readable));
        EXPECT_EQ(readable->Size(), 5u);
        ASSERT_TRUE(readable->ReadAt(2, 10, &start));
        EXPECT_EQ(start, "abc");
        readable.reset();
        EXPECT_FALSE(files->OpenForReading(".", &readable));  // a folder is never read as a file
        // A photo's date taken through the wide names.
        const std::string taken = "\xD0\x93\xD0\xBE\xD1\x80\xD1\x8B 2.JPG";  // Горы 2.JPG
        const std::string jpeg = JpegWithDates({"2024:07:14 18:22:05", "", ""});
        ASSERT_TRUE(files->OpenForWriting(taken, &file));
        ASSERT_TRUE(file->Write(jpeg.data(), jpeg.size()));
        ASSERT_TRUE(file->Close());
        CivilTime date;
        ExifDateTag tag;
        ASSERT_TRUE(FileDateTaken(*files).DateTaken(taken, &date, &tag));
        EXPECT_EQ(date.second, 5);
        ASSERT_TRUE(files->Delete(taken));

        ASSERT_TRUE(files->OpenForWriting(mountains, &file));
        ASSERT_TRUE(file->Close());
        EXPECT_FALSE(files->MoveNoReplace(photo, mountains));  // never replaces
        ASSERT_TRUE(files->MoveNoReplace(photo, "IMG_1.jpg"));
        EXPECT_EQ(files->Attributes(photo), kNoAttributes);
        EXPECT_TRUE(files->SameFile("IMG_1.jpg", "img_1.JPG"));
        ASSERT_TRUE(files->ReplaceAtomically("IMG_1.jpg", mountains));
        ASSERT_TRUE(files->ReadStart(mountains, 10, &start));
        EXPECT_EQ(start,
                  "\xFF\xFE"
                  "abc");
        EXPECT_TRUE(files->Delete(mountains));
        EXPECT_EQ(files->Attributes(mountains), kNoAttributes);
    }
}

TEST(WideFileSystem, TemporaryFilesInUtf8) {
    Far3Folder folder;
    const std::unique_ptr<FileSystem> files = MakeWideFileSystem(folder.Path());
    const std::string temp = files->TempDirectory();
    ASSERT_FALSE(temp.empty());
    EXPECT_EQ(temp.back(), '\\');
    std::string name;
    ASSERT_TRUE(files->CreateTempFile(folder.Path() + "\\", "VL", &name));
    const std::string bare = name.substr(name.rfind('\\') + 1);
    EXPECT_EQ(bare.compare(0, 2, "VL"), 0) << bare;
    EXPECT_EQ(folder.Names(), std::vector<std::string>{bare});
    // No directory: the folder's own, under a bare name (never the root of the drive).
    std::string beside;
    ASSERT_TRUE(files->CreateTempFile("", ".VL", &beside));
    EXPECT_EQ(beside.compare(0, 3, ".VL"), 0) << beside;
    EXPECT_EQ(folder.Names().size(), 2u);
    EXPECT_TRUE(files->Delete(beside));
}

}  // namespace
}  // namespace velmora::test
