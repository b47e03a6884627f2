// The last run of a directory taken back from the journal the plug-in wrote, by velmora --undo and
// by the plug-in's own menu entry (velmora --menu 2), and what it leaves alone when things changed
// since.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <map>

#include "far/HostConventions.hpp"
#include "journal/Journal.hpp"
#include "journal/JsonLine.hpp"
#include "journal/Undo.hpp"
#include "platform/HostSystem.hpp"
#include "plugin/Exports.hpp"
#include "support/FakeHost.hpp"
#include "support/FaultyFileSystem.hpp"
#include "support/HostRunner.hpp"

namespace velmora::test {
namespace {

const std::string kMountains = "\xD0\x93\xD0\xBE\xD1\x80\xD1\x8B.jpg";  // Горы.jpg
const std::string kSea = "\xE6\xB5\xB7\xE8\xBE\xB9.jpg";                // 海边.jpg
#if defined(_WIN32)
const std::string kOdd = "odd\xFF name.raw";  // an OEM byte
#else
const std::string kOdd = "odd\xFF\nname.raw";  // no UTF-8, a line end
#endif
const std::string kDescriptions = "DSC_1.jpg Holiday, day one\r\n" + kMountains +
                                  " \xD0\x9E\xD1\x82\xD0\xBF\xD1\x83\xD1\x81\xD0\xBA\r\n" + kSea +
                                  " \xE6\xB5\xB7\xE8\xBE\xB9 \xF0\x9F\x8C\x85\r\n";

std::vector<std::string> Before() {
    return {"DSC_1.jpg", kMountains, kSea, kOdd};
}

// Renames the four files with descriptions: IMG_1.jpg ... IMG_4.raw.
HostResult RenameAll(const HostRunner& host) {
    std::vector<std::string> args = {"-yd", "-m", "IMG_%#.%E", "-s", "1", "--"};
    for (const std::string& name : Before())
        args.push_back(name);
    return host.Run(args);
}

HostRunner& Prepared(HostRunner& host) {
    host.MakeFiles(Before());
    host.Dir().WriteFile("Descript.ion", kDescriptions);
    return host;
}

// The folder of the panel's journals, and a file of it.
std::string JournalFile(const HostRunner& host, const std::string& name) {
    const std::string folder = SystemFileSystem().FullPath(host.Dir().Path());
    return host.StateHome() + "/velmora/" + DirectoryKey(folder) + "/" + name;
}

void Rewrite(const std::string& path, const std::string& from, const std::string& to) {
    std::string text;
    std::string error;
    ASSERT_TRUE(ReadWholeFile(SystemFileSystem(), path, &text, &error)) << error;
    const std::size_t at = text.find(from);
    ASSERT_NE(at, std::string::npos) << text;
    text.replace(at, from.size(), to);
    std::unique_ptr<WritableFile> file;
    ASSERT_TRUE(SystemFileSystem().OpenForWriting(path, &file));
    ASSERT_TRUE(file->Write(text.data(), text.size()));
    ASSERT_TRUE(file->Close());
}

// The last journal as velmora wrote it before the plug-in did: format 1 (the old description
// file in a JSON string, FNV-1a fingerprints), no time in the header, no count of renames in the
// .done file.
void MakeJournalOld(const HostRunner& host) {
    std::string text;
    std::string error;
    const std::string journal = JournalFile(host, "00000001.journal");
    JournalRun run;
    std::string path;
    ASSERT_EQ(ReadLatestRun(SystemFileSystem(), host.StateHome() + "/velmora", host.Dir().Path(), &run, &path,
                            &error),
              JournalLookup::Found);
    ASSERT_TRUE(run.descriptionsBefore);
    ASSERT_TRUE(ReadWholeFile(SystemFileSystem(), journal, &text, &error)) << error;
    // The header without its time, the renames, then the descriptions' line of format 1.
    const std::size_t renames = text.find('\n') + 1;
    const std::size_t follow = text.find("{\"descriptions_");
    ASSERT_NE(follow, std::string::npos);
    std::size_t after = text.find('\n', follow) + 1;
    if (text.compare(follow, 22, "{\"descriptions_follow\"") == 0)
        after += run.descriptionsBefore->size() + 1;
    std::string header = text.substr(0, text.find(", \"time\": ")) + "}\n";
    header.replace(header.find("\"journal\": 2"), 12, "\"journal\": 1");
    text = header + text.substr(renames, follow - renames) +
           "{\"descriptions\": \"Descript.ion\", \"before\": " + JsonString(*run.descriptionsBefore) +
           ", \"planned\": null}\n" + text.substr(after);
    std::unique_ptr<WritableFile> file;
    ASSERT_TRUE(SystemFileSystem().OpenForWriting(journal, &file));
    ASSERT_TRUE(file->Write(text.data(), text.size()));
    ASSERT_TRUE(file->Close());
    const std::string done = JournalFile(host, "00000001.done");
    ASSERT_TRUE(ReadWholeFile(SystemFileSystem(), host.Dir().Path() + "/Descript.ion", &text, &error));
    const std::string written = ContentHash(text, 1);
    ASSERT_TRUE(SystemFileSystem().OpenForWriting(done, &file));
    text = "{\"finished\": 1, \"written\": \"" + written + "\"}\n";
    ASSERT_TRUE(file->Write(text.data(), text.size()));
    ASSERT_TRUE(file->Close());
}

bool Holds(const std::string& box, const std::string& text) {
    return box.find(Json(text)) != std::string::npos;
}

TEST(Undo, TakesTheLastRunBackOnce) {
    HostRunner host;
    Prepared(host);
    const std::vector<std::string> before = host.Dir().ListNames();
    const HostResult run = RenameAll(host);
    ASSERT_EQ(run.status, 0) << run.err;
    const std::vector<std::string> renamed = host.Dir().ListNames();
    ASSERT_NE(renamed, before);

    // --dry-run shows the way back, last rename first, and changes nothing.
    HostResult result = host.Run({"-u", "-n", "--json"});
    EXPECT_EQ(result.status, 0) << result.err;
    std::vector<std::string> moves;
    std::size_t begin = 0;
    for (std::size_t end; (end = result.out.find('\n', begin)) != std::string::npos; begin = end + 1) {
        JsonObject line;
        ASSERT_TRUE(ParseJsonObject(result.out.substr(begin, end - begin), &line));
        moves.push_back(JsonText(line, "old").value_or("") + ">" + JsonText(line, "new").value_or("") + ":" +
                        JsonText(line, "action").value_or(""));
    }
    EXPECT_EQ(moves,
              (std::vector<std::string>{"IMG_4.raw>" + kOdd + ":rename", "IMG_3.jpg>" + kSea + ":rename",
                                        "IMG_2.jpg>" + kMountains + ":rename", "IMG_1.jpg>DSC_1.jpg:rename",
                                        "Descript.ion>Descript.ion:restore"}));
    EXPECT_EQ(host.Dir().ListNames(), renamed);

    result = host.Run({"--undo"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(host.Dir().ListNames(), before);
    EXPECT_EQ(host.Dir().ReadFile(kMountains), "content of " + kMountains);
    EXPECT_EQ(host.Dir().ReadFile("Descript.ion"), kDescriptions);

    result = host.Run({"--undo"});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("nothing to undo"), std::string::npos) << result.err;
    EXPECT_EQ(host.Dir().ListNames(), before);
}

// a -> b with b renamed away first: back in reverse order, each name free when its turn comes.
TEST(Undo, ChainComesBackInReverse) {
    HostRunner host;
    host.MakeFiles({"a.txt", "a.txt.txt"});
    ASSERT_EQ(host.Run({"-y", "-m", "%N", "a.txt", "a.txt.txt"}).status, 0);
    ASSERT_EQ(host.Dir().ListNames(), (std::vector<std::string>{"a", "a.txt"}));
    ASSERT_EQ(host.Run({"-u"}).status, 0);
    EXPECT_EQ(host.Dir().ReadFile("a.txt"), "content of a.txt");
    EXPECT_EQ(host.Dir().ReadFile("a.txt.txt"), "content of a.txt.txt");
}

// Whatever changed since the run is named and left as it is; the rest comes back; exit 1.
TEST(Undo, LeavesWhatChangedSince) {
    HostRunner host;
    Prepared(host);
    ASSERT_EQ(RenameAll(host).status, 0);
    host.Dir().WriteFile("IMG_1.jpg", "edited since");                  // not the file the run renamed
    host.Dir().WriteFile(kMountains, "a new file under the old name");  // the old name is taken
    std::remove(host.Dir().PathOf("IMG_3.jpg").c_str());                // gone
    host.Dir().WriteFile("Descript.ion", "edited\r\n");

    HostResult result = host.Run({"-u"});
    EXPECT_EQ(result.status, 1);
    for (const std::string& named :
         {std::string("IMG_1.jpg: not the file"), std::string("IMG_2.jpg: its old name"),
          std::string("IMG_3.jpg: gone"), std::string("Descript.ion: changed")})
        EXPECT_NE(result.err.find("left alone: " + named), std::string::npos) << result.err;
    EXPECT_EQ(host.Dir().ListNames(),
              (std::vector<std::string>{"Descript.ion", "IMG_1.jpg", "IMG_2.jpg", kOdd, kMountains}));
    EXPECT_EQ(host.Dir().ReadFile(kMountains), "a new file under the old name");
    EXPECT_EQ(host.Dir().ReadFile("Descript.ion"), "edited\r\n");
    // Not marked undone: once the user clears the way, the rest can still come back.
    std::remove(host.Dir().PathOf(kMountains).c_str());
    EXPECT_EQ(host.Run({"-u"}).status, 1) << "IMG_1.jpg and IMG_3.jpg are still not as the run left them";
    EXPECT_EQ(host.Dir().ReadFile(kMountains), "content of " + kMountains);
}

// The journal is never a reason for a run to fail: the run goes on, and undo says why it cannot
// take it back.
TEST(Undo, RunGoesOnWithoutAJournal) {
    HostRunner host;
    Prepared(host);
    {
        ScopedEnv state("XDG_STATE_HOME", host.Dir().PathOf("Descript.ion"));  // a file, not a directory
        HostResult result = RenameAll(host);
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(host.Dir().ListNames(), (std::vector<std::string>{"Descript.ion", "IMG_1.jpg", "IMG_2.jpg",
                                                                    "IMG_3.jpg", "IMG_4.raw"}));
        result = host.Run({"-u"});
        EXPECT_EQ(result.status, 1);
        EXPECT_NE(result.err.find("nothing to undo"), std::string::npos) << result.err;
    }

    // A journal that fails half-way leaves a note saying why in its place.
    FaultyFileSystem files;
    files.FailOperation("Write", 1);
    JournalWriter writer(files, host.StateHome() + "/velmora");
    std::string error;
    ASSERT_TRUE(writer.Begin(host.Dir().Path(), &error)) << error;
    writer.Add("a", "b", 1, 2);
    EXPECT_FALSE(writer.Commit("", nullptr, std::nullopt, &error));
    const HostResult result = host.Run({"-u"});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("cannot be undone: its journal could not be written (cannot write "),
              std::string::npos)
        << result.err;
}

TEST(Undo, JournalKeepsTheLastTwentyRuns) {
    HostRunner host;
    host.MakeFiles({"a0"});
    host.Dir().WriteFile("Descript.ion", "a0 the file\r\n");
    for (int i = 0; i < 22; ++i)
        ASSERT_EQ(host.Run({"-yd", "-m", "a" + std::to_string(i + 1), "a" + std::to_string(i)}).status, 0);
    const std::string journals =
        host.StateHome() + "/velmora/" + DirectoryKey(std::filesystem::canonical(host.Dir().Path()).string());
    std::vector<host::DirectoryEntry> entries;
    std::string error;
    ASSERT_TRUE(host::ReadDirectory(journals, &entries, &error)) << error;
    std::vector<std::string> names;
    for (const host::DirectoryEntry& entry : entries)
        names.push_back(entry.name);
    std::sort(names.begin(), names.end());
    std::vector<std::string> expected;
    for (int i = 3; i <= 22; ++i) {
        char base[16];
        std::snprintf(base, sizeof base, "%08d", i);
#if !defined(_WIN32)
        expected.push_back(std::string(base) + ".before");
#endif
        expected.push_back(std::string(base) + ".done");
        expected.push_back(std::string(base) + ".journal");
    }
    EXPECT_EQ(names, expected);
    // The last one is the one undone.
    EXPECT_EQ(host.Run({"-u"}).status, 0);
    EXPECT_EQ(host.Dir().ListNames(), (std::vector<std::string>{"Descript.ion", "a21"}));
    EXPECT_EQ(host.Dir().ReadFile("Descript.ion"), "a21 the file\r\n");
}

// Where journals go: $XDG_STATE_HOME when absolute, else the system's state directory, else the
// host's own place (beside the plug-in), else nowhere.
TEST(Undo, JournalRootFollowsTheEnvironment) {
    struct Place final : FaultyFileSystem {
        std::string xdg, state;
        std::string Environment(const char* name) override {
            return std::string(name) == "XDG_STATE_HOME" ? xdg : std::string();
        }
        std::string StateDirectory() override { return state; }
    };
#if defined(_WIN32)
    const std::string state = "C:\\Users\\u\\AppData\\Local", own = "C:\\xdg", folder = "\\Velmora";
    const std::string xdgFolder = "\\velmora";
#else
    const std::string state = "/home/u/.local/state", own = "/xdg", folder = "/velmora", xdgFolder = folder;
#endif
    const struct {
        std::string xdg, state, fallback, root;
    } cases[] = {
        {own, state, "", own + xdgFolder},
        {"relative/state", state, "", state + folder},
        {"", "", "/plugins/Velmora/Journal", "/plugins/Velmora/Journal"},
        {"", "", "", ""},
    };
    for (const auto& c : cases) {
        Place files;
        files.xdg = c.xdg;
        files.state = c.state;
        EXPECT_EQ(JournalRoot(files, c.fallback), c.root) << c.xdg << " | " << c.state;
    }
}

// The old description file goes into the journal in pieces; whatever its size and bytes (UTF-8,
// OEM bytes that are no UTF-8, quotes and controls, no line end at the close) it comes back whole.
TEST(Undo, JournalKeepsLargeDescriptionFilesWhole) {
    HostRunner host;
    std::string before = "\xEF\xBB\xBF";
    for (int i = 0; i < 6000; ++i)
        before += "DSC_" + std::to_string(i) + ".jpg \xD0\xA1\xD0\xBD\xD0\xB8\xD0\xBC\xD0\xBE\xD0\xBA \"" +
                  std::to_string(i) + "\" \xAE\xE2\x8C \x01\t\\ \xE6\xB5\xB7\r\n";
    before += "last line without an end \xF0\x9F\x8C\x85";
    JournalWriter writer(SystemFileSystem(), host.StateHome() + "/velmora");
    std::string error;
    ASSERT_TRUE(writer.Begin(host.Dir().Path(), &error)) << error;
    writer.AddDescriptions("Descript.ion", before, std::nullopt);
    writer.Add("a", "b", 1, 2);
    ASSERT_TRUE(writer.Commit("", nullptr, std::nullopt, &error)) << error;
    JournalRun run;
    std::string path;
    ASSERT_EQ(ReadLatestRun(SystemFileSystem(), host.StateHome() + "/velmora", host.Dir().Path(), &run, &path,
                            &error),
              JournalLookup::Found)
        << error;
    ASSERT_GT(before.size(), 3u * 64 * 1024);
    EXPECT_EQ(run.descriptionFile, "Descript.ion");
    EXPECT_TRUE(run.descriptionsBefore == before);
    EXPECT_EQ(run.renames.size(), 1u);

    // Cut anywhere in or around the bytes, the journal is damaged, never read past its end.
    std::string text;
    ASSERT_TRUE(ReadWholeFile(SystemFileSystem(), path, &text, &error)) << error;
    const std::size_t bytes = text.find(before);
    for (const std::size_t cut :
         {bytes - 1, bytes, bytes + 1000, bytes + before.size(), bytes + before.size() + 1}) {
        std::unique_ptr<WritableFile> file;
        ASSERT_TRUE(SystemFileSystem().OpenForWriting(path, &file));
        ASSERT_TRUE(file->Write(text.data(), cut));
        ASSERT_TRUE(file->Close());
        EXPECT_EQ(ReadLatestRun(SystemFileSystem(), host.StateHome() + "/velmora", host.Dir().Path(), &run,
                                &path, &error),
                  JournalLookup::Unreadable)
            << cut;
    }
}

// The old description file stays beside the journal as a second name of it (no copy) when it has
// no other name, else its bytes go into the journal; either way undo brings them back.
TEST(Undo, OldDescriptionFileIsKeptWithoutACopy) {
    namespace fs = std::filesystem;
    for (const bool secondName : {false, true}) {
        SCOPED_TRACE(secondName ? "a file with a second name" : "a file of one name");
        HostRunner host;
        Prepared(host);
        if (secondName)
            fs::create_hard_link(host.Dir().PathOf("Descript.ion"), host.Dir().PathOf("Descript.bak"));
        ASSERT_EQ(RenameAll(host).status, 0);
        const fs::path kept = JournalFile(host, "00000001.before");
#if defined(_WIN32)
        EXPECT_FALSE(fs::exists(kept));  // no second names made on Windows
#else
        EXPECT_EQ(fs::exists(kept), !secondName);
        if (!secondName) {
            EXPECT_EQ(fs::hard_link_count(kept), 1u);
            std::string bytes;
            std::string error;
            ASSERT_TRUE(ReadWholeFile(SystemFileSystem(), kept.string(), &bytes, &error)) << error;
            EXPECT_EQ(bytes, kDescriptions);
        }
#endif
        const HostResult undone = host.Run({"-u"});
        EXPECT_EQ(undone.status, 0) << undone.err;
        EXPECT_EQ(host.Dir().ReadFile("Descript.ion"), kDescriptions);
    }
}

// The journal's fingerprints are the standard algorithms: FNV-1a (format 1, and the folders'
// names) and XXH64 (values from xxhsum -H64), over every path of XXH64's tail.
TEST(Undo, FingerprintsAreTheStandardOnes) {
    const struct {
        std::string bytes;
        const char* fnv;
        const char* xxh;
    } cases[] = {
        {"", "cbf29ce484222325", "ef46db3751d8e999"},
        {"a", "af63dc4c8601ec8c", "d24ec4f1a98c6e5b"},
        {"abc", nullptr, "44bc2cf5ad770999"},
        {"abcd", nullptr, "de0327b0d25d92cc"},
        {"\xD0\x9E\xD1\x82\xD0\xBF\xD1\x83\xD1\x81\xD0\xBA", nullptr, "4b2c8db721c02e1d"},
        {"0123456789abcdef0123456789abcdef", nullptr, "642a94958e71e6c5"},
        {"The quick brown fox jumps over the lazy dog, \xD1\x81\xD0\xBD\xD0\xB8\xD0\xBC\xD0\xBE\xD0\xBA 1 "
         "\xD0\xB8\xD0\xB7 \xD0\xBE\xD1\x82\xD0\xBF\xD1\x83\xD1\x81\xD0\xBA\xD0\xB0\r\n",
         nullptr, "b8b272d305b563e0"},
    };
    for (const auto& c : cases) {
        if (c.fnv) {
            EXPECT_EQ(ContentHash(c.bytes, 1), c.fnv) << c.bytes;
        }
        EXPECT_EQ(ContentHash(c.bytes, 2), c.xxh) << c.bytes;
        // The run fingerprints its file as it writes it, in pieces cut anywhere.
        for (std::size_t cut = 0; cut <= c.bytes.size(); ++cut) {
            ContentHasher pieces;
            pieces.Add(std::string_view(c.bytes).substr(0, cut / 2));
            pieces.Add(std::string_view(c.bytes).substr(cut / 2, cut - cut / 2));
            pieces.Add(std::string_view(c.bytes).substr(cut));
            EXPECT_EQ(pieces.Text(), c.xxh) << cut;
        }
    }
}

// The plug-in's menu entry takes back the last run of the panel's folder, journaled by the plug-in
// in any host, or by an older velmora; velmora -u then finds nothing left to do.
TEST(Undo, MenuEntryTakesTheRunBack) {
    for (const bool old : {false, true}) {
        SCOPED_TRACE(old ? "journal of an older velmora" : "journal of the plug-in");
        HostRunner host;
        Prepared(host);
        const std::vector<std::string> before = host.Dir().ListNames();
        ASSERT_EQ(RenameAll(host).status, 0);
        if (old)
            MakeJournalOld(host);

        HostResult result = host.Run({"--menu", "2", "--yes"});
        EXPECT_EQ(result.status, 0) << result.err;
        const std::vector<std::string> question = result.Boxes("UndoBatch");
        ASSERT_EQ(question.size(), 1u) << result.err;
        EXPECT_TRUE(Holds(question[0], "4 files get their old names back")) << question[0];
        EXPECT_TRUE(Holds(question[0], SystemFileSystem().FullPath(host.Dir().Path()))) << question[0];
        EXPECT_TRUE(Holds(question[0], "and the description file its old lines")) << question[0];
        EXPECT_EQ(question[0].find("renamed at ") != std::string::npos, !old) << question[0];
        EXPECT_NE(question[0].find("\"buttons\":2"), std::string::npos);
        EXPECT_EQ(result.Boxes("UndoLeft").size(), 0u);
        EXPECT_EQ(host.Dir().ListNames(), before);
        EXPECT_EQ(host.Dir().ReadFile(kSea), "content of " + kSea);
        EXPECT_EQ(host.Dir().ReadFile("Descript.ion"), kDescriptions);

        result = host.Run({"-u"});
        EXPECT_EQ(result.status, 1);
        EXPECT_NE(result.err.find("undone already"), std::string::npos) << result.err;
    }
}

// Without a run to take back the menu's box says so, and No takes nothing back.
TEST(Undo, MenuEntryChangesNothingWithoutARunToTakeBack) {
    enum Scene { NoRun, Declined, UndoneAlready, NotJournaled, Damaged };
    const struct {
        Scene scene;
        const char* answer;
        const char* box;
        const char* line;
    } cases[] = {
        {NoRun, "--yes", "UndoNothing", "There is no batch rename to undo in this folder."},
        {Declined, "--cancel", "", "4 files"},  // the list closed: no box
        {UndoneAlready, "--yes", "UndoNothing", "There is no batch rename to undo in this folder."},
        {NotJournaled, "--yes", "UndoNothing", "The last batch rename here was not journaled:"},
        {Damaged, "--yes", "UndoNothing", "The journal of the last batch rename here cannot be read:"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.box + std::string(" ") + c.line);
        HostRunner host;
        Prepared(host);
        if (c.scene == Declined || c.scene == UndoneAlready || c.scene == Damaged) {
            ASSERT_EQ(RenameAll(host).status, 0);
        }
        if (c.scene == UndoneAlready) {
            ASSERT_EQ(host.Run({"-u"}).status, 0);
        }
        if (c.scene == Damaged)
            Rewrite(JournalFile(host, "00000001.journal"), "{\"renames\": 4", "{\"renames\": 5");
        if (c.scene == NotJournaled) {
            // A journal that failed half-way leaves a note saying why in its place.
            FaultyFileSystem files;
            files.FailOperation("Write", 1);
            JournalWriter writer(files, host.StateHome() + "/velmora");
            std::string error;
            ASSERT_TRUE(writer.Begin(host.Dir().Path(), &error)) << error;
            writer.Add("DSC_1.jpg", "IMG_1.jpg", 1, 2);
            EXPECT_FALSE(writer.Commit("", nullptr, std::nullopt, &error));
        }
        const std::vector<std::string> before = host.Dir().ListNames();
        const std::string descriptions = host.Dir().ReadFile("Descript.ion");

        const HostResult result = host.Run({"--menu", "2", c.answer});
        if (c.scene == Declined) {
            const std::vector<std::string> menus = result.Calls("Menu");
            ASSERT_EQ(menus.size(), 1u) << result.err;
            EXPECT_NE(menus[0].find(c.line), std::string::npos) << menus[0];
            EXPECT_TRUE(result.Calls("Message").empty());
        } else {
            const std::vector<std::string> boxes = result.Boxes(c.box);
            ASSERT_EQ(boxes.size(), 1u) << result.err;
            EXPECT_TRUE(Holds(boxes[0], c.line)) << boxes[0];
            EXPECT_EQ(result.Calls("Message").size(), 1u) << "one box, nothing more";
        }
        EXPECT_EQ(host.Dir().ListNames(), before);
        EXPECT_EQ(host.Dir().ReadFile("Descript.ion"), descriptions);
    }
}

// velmora's --menu picks entries as the host whose plug-in it loads shows them, sorted by text
// with that host's collation. With texts the entries once had, F11 Enter opened the undo: an undo
// entry named without the plug-in's name everywhere, and a rename entry named "Velmora batch
// rename" in far2l, whose collation puts ':' before ' ' (bytes, as FAR 1.x compares, do not).
TEST(Undo, MenuEntriesAreSortedAsTheHostsSortThem) {
    HostRunner host;
    Prepared(host);
    TempDir texts;
    std::string lng, error;
    ASSERT_TRUE(
        ReadWholeFile(SystemFileSystem(), std::string(VELMORA_BUILD_DIR) + "/VelmoraEng.lng", &lng, &error));
    ASSERT_TRUE(texts.WriteFile("Unnamed.lng", lng));
    Rewrite(texts.PathOf("Unnamed.lng"), "\"Velmora: undo last batch rename\"", "\"Undo last batch rename\"");
    ASSERT_TRUE(texts.WriteFile("Spaced.lng", lng));
    Rewrite(texts.PathOf("Spaced.lng"), "\"Velmora: batch rename\"", "\"Velmora batch rename\"");
#if defined(_WIN32)
    const bool spacedOpensUndo = false;
#else
    const bool spacedOpensUndo = true;
#endif
    const struct {
        const char* lng;
        bool opensUndo;
    } cases[] = {{"Unnamed.lng", true}, {"Spaced.lng", spacedOpensUndo}, {"", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lng);
        std::vector<std::string> args = {"--menu", "1", "--yes", "--mask", "%N.new"};
        if (*c.lng)
            args.insert(args.end(), {"--lang", texts.PathOf(c.lng)});
        const HostResult result = host.Run(args);
        EXPECT_EQ(result.Boxes("UndoNothing").size(), c.opensUndo ? 1u : 0u) << result.err;
        EXPECT_EQ(result.Calls("Dialog").size(), c.opensUndo ? 0u : 1u) << result.err;
    }
}

// What changed since the run is left alone and named in a warning box, a few names and then how
// many more; the rest comes back.
TEST(Undo, MenuEntryNamesWhatItLeavesAlone) {
    HostRunner host;
    std::vector<std::string> names;
    for (int i = 1; i <= 8; ++i)
        names.push_back("\xD1\x84\xD0\xBE\xD1\x82\xD0\xBE" + std::to_string(i) + ".jpg");  // фотоN.jpg
    host.MakeFiles(names);
    std::vector<std::string> args = {"-y", "-m", "\xE7\x85\xA7%#.%E", "-s", "1", "--"};  // 照N.jpg
    args.insert(args.end(), names.begin(), names.end());
    ASSERT_EQ(host.Run(args).status, 0);
    // The first seven edited since; the eighth comes back.
    for (int i = 1; i <= 7; ++i)
        host.Dir().WriteFile("\xE7\x85\xA7" + std::to_string(i) + ".jpg", "edited since");

    const HostResult result = host.Run({"--menu", "2", "--yes"});
    EXPECT_EQ(result.status, 1);
    const std::vector<std::string> left = result.Boxes("UndoLeft");
    ASSERT_EQ(left.size(), 1u) << result.err;
    // Last renamed first: 7, 6, 5, 4, 3 named, then the other two counted.
    for (int i = 3; i <= 7; ++i)
        EXPECT_TRUE(Holds(left[0], "\xE7\x85\xA7" + std::to_string(i) + ".jpg")) << left[0];
    EXPECT_FALSE(Holds(left[0],
                       "\xE7\x85\xA7"
                       "2.jpg"))
        << left[0];
    EXPECT_TRUE(Holds(left[0], "and 2 more")) << left[0];
    EXPECT_TRUE(host.Dir().Exists(names[7]));
    EXPECT_EQ(host.Dir().ReadFile("\xE7\x85\xA7"
                                  "1.jpg"),
              "edited since");
}

// A run that stopped at an occupied name journaled every rename it would have tried: undo takes
// back the ones done and leaves the file it stopped at, and the other file, without a word.
TEST(Undo, StoppedRunComesBackWithoutComplaint) {
    HostRunner host;
    host.MakeFiles({"a", "b", "c", "b.new"});
    const HostResult run = host.Run({"-y", "-m", "%F.new", "a", "b", "c"});
    ASSERT_EQ(run.status, 1);
    ASSERT_EQ(host.Dir().ListNames(), (std::vector<std::string>{"a.new", "b", "b.new", "c"}));
    const HostResult result = host.Run({"-u"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(host.Dir().ListNames(), (std::vector<std::string>{"a", "b", "b.new", "c"}));
    EXPECT_EQ(host.Dir().ReadFile("b.new"), "content of b.new");
}

// A run cut off once its new description file took the old one's place but before it recorded
// its end (here: the end's record fails to be written): undo knows the new file and puts the old
// one back, as after a whole run.
TEST(Undo, RunCutOffAfterTheDescriptionFileIsReplaced) {
    int doneWrite = 0;
    {
        HostRunner host;
        FaultyFileSystem files;
        {
            ScopedFileSystem installed(&files);
            ASSERT_EQ(RenameAll(Prepared(host)).status, 0);
        }
        const auto& log = files.Log();
        const auto done = std::find_if(log.begin(), log.end(), [](const std::string& entry) {
            return entry.find(".done") != std::string::npos;
        });
        ASSERT_NE(done, log.end()) << files.LogText();
        doneWrite = static_cast<int>(done - log.begin()) + 1;
    }
    HostRunner host;
    FaultyFileSystem files;
    files.FailOperation(doneWrite);
    {
        ScopedFileSystem installed(&files);
        ASSERT_EQ(RenameAll(Prepared(host)).status, 0);
    }
    ASSERT_NE(files.LogText().find("injected failure"), std::string::npos);
    ASSERT_NE(host.Dir().ReadFile("Descript.ion"), kDescriptions);
    const HostResult result = host.Run({"-u"});
    EXPECT_EQ(result.status, 0) << result.err;
    std::vector<std::string> before = Before();
    before.push_back("Descript.ion");
    std::sort(before.begin(), before.end());
    EXPECT_EQ(host.Dir().ListNames(), before);
    EXPECT_EQ(host.Dir().ReadFile("Descript.ion"), kDescriptions);
}

// A file is known again by its size and the write time the host's panel gave, in whatever unit
// that host lists times: FAR's 100 ns, far2l's whole milliseconds. Any other difference is another
// file, left alone.
TEST(Undo, KnowsTheFileByTheTimeItsHostListed) {
    struct Disk final : FaultyFileSystem {
        std::map<std::string, DirectoryEntry> entries;
        bool Query(const std::string& path, DirectoryEntry* entry) override {
            const auto found = entries.find(path);
            if (found == entries.end())
                return false;
            *entry = found->second;
            return true;
        }
    };
    constexpr std::uint64_t kTime = 134411718879627690ull;  // 2026-12-08 02:51:27.962769 UTC
    constexpr std::uint64_t kMs = 134411718879620000ull;    // the same, as far2l lists it
    const struct {
        const char* what;
        std::uint64_t journaled;
        const char* name;  // where the file is now
        std::uint64_t size, time;
        UndoAction action;
    } cases[] = {
        {"FAR: the very time", kTime, "new", 10, kTime, UndoAction::Rename},
        {"far2l: the time cut to the millisecond", kMs, "new", 10, kTime, UndoAction::Rename},
        {"far2l: the run never got to it", kMs, "old", 10, kTime, UndoAction::Already},
        {"far2l: written a millisecond later", kMs, "new", 10, kTime + 10000, UndoAction::Left},
        {"far2l: written just before", kMs, "new", 10, kMs - 1, UndoAction::Left},
        {"far2l: another size", kMs, "new", 11, kTime, UndoAction::Left},
        {"FAR: 100 ns later", kTime, "new", 10, kTime + 1, UndoAction::Left},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Disk disk;
        disk.entries[c.name] = DirectoryEntry{c.name, kAttrArchive, c.size, c.time};
        JournalRun run;
        run.renames.push_back(JournalRename{"old", "new", 10, c.journaled});
        const UndoPlan plan = PlanUndo(disk, run);
        ASSERT_EQ(plan.steps.size(), 1u);
        EXPECT_EQ(plan.steps[0].action, c.action);
        EXPECT_EQ(plan.steps[0].reason,
                  c.action == UndoAction::Left ? UndoReason::NotTheFile : UndoReason::None);
    }
}

// The prepared files' write times given a part below the millisecond, as a file system of finer
// times keeps them, where the host lists coarser times than the system's (far2l).
void GiveFineTimes(const HostRunner& host) {
    namespace fs = std::filesystem;
    if (far::PanelFileTime(1) != 0)
        return;
    for (const std::string& name : Before()) {
        const fs::path path = host.Dir().PathOf(name);
        const auto whole = std::chrono::floor<std::chrono::seconds>(fs::last_write_time(path));
        fs::last_write_time(path, std::chrono::time_point_cast<fs::file_time_type::duration>(
                                      whole + std::chrono::nanoseconds(962769013)));
        DirectoryEntry entry{};
        ASSERT_TRUE(SystemFileSystem().Query(path.string(), &entry));
        ASSERT_NE(entry.writeTime % 10000, 0u);
    }
}

// The plug-in opened from far2l's plug-ins menu in the prepared folder, its panel listing the
// prepared files still there, each with its description, size and time; the boxes it showed. A
// far2l of its own each time: a velmora run in between hands the plug-in its own host.
std::vector<std::string> OpenInFar2l(const HostRunner& host, far::INT_PTR entry) {
    const std::map<std::string, std::string> descriptions = {
        {"DSC_1.jpg", "Holiday, day one"},
        {kMountains, "\xD0\x9E\xD1\x82\xD0\xBF\xD1\x83\xD1\x81\xD0\xBA"},
        {kSea, "\xE6\xB5\xB7\xE8\xBE\xB9 \xF0\x9F\x8C\x85"}};
    FakeHost far2l;
    far2l.directory = SystemFileSystem().FullPath(host.Dir().Path());
    far2l.dialogTemplate = "IMG_%#.%E";
    far2l.dialogDescriptions = true;
    for (const std::string& name : Before()) {
        DirectoryEntry listed{};
        if (!SystemFileSystem().Query(host.Dir().PathOf(name), &listed))
            continue;
        const auto description = descriptions.find(name);
        far2l.AddItem(name, description == descriptions.end() ? nullptr : description->second.c_str(),
                      listed.size, listed.writeTime);
    }
    const std::filesystem::path saved = std::filesystem::current_path();
    std::filesystem::current_path(host.Dir().Path());
    OpenPlugin(0, entry);
    std::filesystem::current_path(saved);
    std::vector<std::string> topics;
    for (const RecordedBox& box : far2l.boxes)
        topics.push_back(box.helpTopic);
    return topics;
}

// One batch, two hosts, one journal: a run of the plug-in in far2l is taken back by velmora -u, and
// a run of velmora by the plug-in's menu entry in far2l, names and description file alike. Each
// then finds nothing left to do in the other.
TEST(Undo, OneBatchAcrossHosts) {
    for (const bool far2lRuns : {true, false}) {
        SCOPED_TRACE(far2lRuns ? "run in far2l, undone by velmora" : "run by velmora, undone in far2l");
        HostRunner host;
        Prepared(host);
        GiveFineTimes(host);
        const std::vector<std::string> before = host.Dir().ListNames();
        if (far2lRuns)
            OpenInFar2l(host, far::kMenuRename);
        else
            ASSERT_EQ(RenameAll(host).status, 0);
        for (const std::string& name : Before())
            ASSERT_FALSE(host.Dir().Exists(name)) << name;
        ASSERT_NE(host.Dir().ReadFile("Descript.ion"), kDescriptions);

        if (far2lRuns) {
            const HostResult undone = host.Run({"-u"});
            EXPECT_EQ(undone.status, 0) << undone.err;
        } else {
            EXPECT_EQ(OpenInFar2l(host, far::kMenuUndo), std::vector<std::string>{"UndoBatch"});
        }
        EXPECT_EQ(host.Dir().ListNames(), before);
        EXPECT_EQ(host.Dir().ReadFile(kSea), "content of " + kSea);
        EXPECT_EQ(host.Dir().ReadFile("Descript.ion"), kDescriptions);

        // Marked undone where the other host looks too.
        if (far2lRuns) {
            EXPECT_EQ(OpenInFar2l(host, far::kMenuUndo), std::vector<std::string>{"UndoNothing"});
        } else {
            const HostResult again = host.Run({"-u"});
            EXPECT_EQ(again.status, 1);
            EXPECT_NE(again.err.find("undone already"), std::string::npos) << again.err;
        }
        EXPECT_EQ(host.Dir().ListNames(), before);
    }
}

// A run cut short left its temporary description file: the menu's undo removes it and says so
// in its box.
TEST(Undo, MenuRemovesTheTemporaryFileOfARunCutShort) {
    HostRunner host;
    host.MakeFiles({"a.txt"});
    JournalWriter writer(SystemFileSystem(), host.StateHome() + "/velmora");
    std::string error;
    ASSERT_TRUE(writer.Begin(host.Dir().Path(), &error)) << error;
    writer.Add("a.txt", "b.txt", 0, 0);
    writer.TempDescriptions(".VL1A2B.tmp");
    ASSERT_TRUE(writer.Commit("", nullptr, std::nullopt, &error)) << error;
    ASSERT_TRUE(host.Dir().WriteFile(".VL1A2B.tmp", ""));

    const HostResult result = host.Run({"--menu", "2", "--yes"});
    const std::vector<std::string> boxes = result.Boxes("UndoBatch");
    ASSERT_EQ(boxes.size(), 1u) << result.err;
    EXPECT_TRUE(Holds(boxes[0], "Removed .VL1A2B.tmp, the temporary file of a rename that was cut short"))
        << boxes[0];
    EXPECT_FALSE(host.Dir().Exists(".VL1A2B.tmp"));
}

// Only the run's own temporary description file is ever removed: the name on record, of the
// run's form, not the description file, made since the run began, and the run never ended.
TEST(Undo, LeftoverTemporaryFileIsOnlyEverTheRunsOwn) {
    const struct {
        const char* what;
        const char* recorded;  // the name on record, made in the folder
        bool finished;
        std::int64_t madeSecondsAfterRun;
        bool removed;
    } cases[] = {
        {"the run's own", ".VL1A2B3C.tmp", false, 0, true},
        {"a run that ended put it in place or kept it for the user", ".VL1A2B3C.tmp", true, 0, false},
        {"not of the run's form", "notes.tmp", false, 0, false},
        {"the description file itself", "Descript.ion", false, 0, false},
        {"older than the run", ".VL1A2B3C.tmp", false, -3600, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        ASSERT_TRUE(dir.WriteFile(c.recorded, "half a description file"));
        const std::string path = dir.PathOf(c.recorded);
        const auto now = std::filesystem::last_write_time(path);
        std::filesystem::last_write_time(path, now + std::chrono::seconds(c.madeSecondsAfterRun));
        JournalRun run;
        run.time = static_cast<std::uint64_t>(std::time(nullptr));
        run.finished = c.finished;
        run.descriptionFile = dir.PathOf("Descript.ion");
        run.tempDescriptions = path;
        const std::string leftover = LeftoverTemp(SystemFileSystem(), run);
        EXPECT_EQ(leftover, c.removed ? path : std::string());
        EXPECT_EQ(RemoveLeftoverTemp(SystemFileSystem(), leftover), c.removed);
        EXPECT_EQ(dir.Exists(c.recorded), !c.removed);
    }
}

// The selection of every file of the panel but the description file, in name order.
std::vector<std::string> Selection(const HostRunner& host) {
    std::vector<std::string> names;
    for (const std::string& name : host.Dir().ListNames()) {
        if (name != "Descript.ion")
            names.push_back(name);
    }
    return names;
}

// A line of --undo-list --json: template and state.
std::vector<std::string> ListStates(const HostRunner& host) {
    const HostResult result = host.Run({"--undo-list", "--json"});
    EXPECT_EQ(result.status, 0) << result.err;
    std::vector<std::string> states;
    std::size_t begin = 0;
    for (std::size_t end; (end = result.out.find('\n', begin)) != std::string::npos; begin = end + 1) {
        JsonObject line;
        EXPECT_TRUE(ParseJsonObject(result.out.substr(begin, end - begin), &line)) << result.out;
        states.push_back(JsonText(line, "template").value_or("?") + " " +
                         std::to_string(JsonNumber(line, "files").value_or(0)) + " " +
                         JsonText(line, "state").value_or("?"));
    }
    return states;
}

// Three batches in one folder, with descriptions: each undo, velmora's -u or the menu's entry,
// takes the newest not yet undone, and the folder and its description file come back as they were
// before that batch. A journal of a build that did not record the template still lists and undoes.
TEST(Undo, StepsBackBatchByBatch) {
    const std::vector<std::string> templates = {"IMG_%#.%E", "\xD0\xA4\xD0\xBE\xD1\x82\xD0\xBE %#.%E",
                                                "%N \xE5\x86\x99\xE7\x9C\x9F.%E"};  // Фото, 写真
    for (const bool menu : {false, true}) {
        SCOPED_TRACE(menu ? "the menu's undo" : "velmora -u");
        HostRunner host;
        Prepared(host);
        std::vector<std::vector<std::string>> names;
        std::vector<std::string> descriptions;
        for (const std::string& mask : templates) {
            names.push_back(host.Dir().ListNames());
            descriptions.push_back(host.Dir().ReadFile("Descript.ion"));
            std::vector<std::string> args = {"-yd", "-m", mask, "-s", "1", "--"};
            for (const std::string& name : Selection(host))
                args.push_back(name);
            ASSERT_EQ(host.Run(args).status, 0);
        }
        Rewrite(JournalFile(host, "00000001.journal"), ", \"template\": " + JsonString(templates[0]), "");
        EXPECT_EQ(ListStates(host), (std::vector<std::string>{templates[2] + " 4 next",
                                                              templates[1] + " 4 waiting", " 4 waiting"}));
        const std::string listed = host.Run({"--undo-list"}).out;
        EXPECT_NE(listed.find("4 files       next"), std::string::npos) << listed;

        for (int batch = 2; batch >= 0; --batch) {
            SCOPED_TRACE(batch);
            const HostResult result = host.Run(menu ? std::vector<std::string>{"--menu", "2", "--yes"}
                                                    : std::vector<std::string>{"-u"});
            EXPECT_EQ(result.status, 0) << result.err;
            EXPECT_EQ(host.Dir().ListNames(), names[batch]);
            EXPECT_EQ(host.Dir().ReadFile("Descript.ion"), descriptions[batch]);
            if (!menu)
                continue;
            // The list: newest first, the undone ones marked, the cursor on the one taken.
            const std::vector<std::string> lists = result.Calls("Menu");
            ASSERT_EQ(lists.size(), 1u);
            for (int line = 0; line < 3; ++line) {
                const std::string item = "{\"text\":";
                std::size_t at = 0;
                for (int i = 0; i <= line; ++i)
                    at = lists[0].find(item, at + 1);
                const std::string text = lists[0].substr(at, lists[0].find('}', at) - at);
                EXPECT_NE(text.find("4 files"), std::string::npos) << text;
                if (line < 2) {
                    EXPECT_NE(text.find(JsonString(templates[2 - line]).substr(1, 4)), std::string::npos)
                        << text;
                }
                EXPECT_EQ(text.find("\"checked\":1") != std::string::npos, line < 2 - batch) << text;
            }
            EXPECT_NE(lists[0].find("\"result\":" + std::to_string(2 - batch)), std::string::npos)
                << lists[0];
            EXPECT_EQ(result.Boxes("UndoBatch").size(), 1u);
        }
        EXPECT_EQ(ListStates(host), (std::vector<std::string>{templates[2] + " 4 undone",
                                                              templates[1] + " 4 undone", " 4 undone"}));
        const HostResult result = host.Run({"-u"});
        EXPECT_EQ(result.status, 1);
        EXPECT_NE(result.err.find("every run kept of it was undone already"), std::string::npos)
            << result.err;
    }
}

// The menu's list in far2l: a batch chosen out of turn is refused with a box that says why, and
// the list comes back with the cursor on the batch that can be taken; Esc takes nothing back.
TEST(Undo, MenuTakesOnlyTheNextBatch) {
    HostRunner host;
    host.MakeFiles({"a"});
    for (const char* to : {"b", "c", "d"})
        ASSERT_EQ(host.Run({"-y", "-m", to, "--", Selection(host)[0]}).status, 0);
    ASSERT_EQ(host.Run({"-u"}).status, 0);  // back to c
    const auto open = [&host](std::deque<int> choices) {
        FakeHost far2l;
        far2l.OfferMenu();
        far2l.menuChoices = std::move(choices);
        far2l.directory = SystemFileSystem().FullPath(host.Dir().Path());
        const std::filesystem::path saved = std::filesystem::current_path();
        std::filesystem::current_path(host.Dir().Path());
        OpenPlugin(0, far::kMenuUndo);
        std::filesystem::current_path(saved);
        std::vector<std::string> shown;
        for (const RecordedMenu& menu : far2l.menus) {
            EXPECT_EQ(menu.title, FakeHost::Text(MUndoListTitle));
            EXPECT_EQ(menu.checked, (std::vector<bool>{true, false, false}));
            shown.push_back("menu@" + std::to_string(menu.selected));
        }
        for (const RecordedBox& box : far2l.boxes)
            shown.push_back(box.helpTopic + (box.lines.size() > 1 ? ":" + box.lines[1] : ""));
        return shown;
    };
    EXPECT_EQ(open({-1}), (std::vector<std::string>{"menu@1"}));
    EXPECT_EQ(host.Dir().ListNames(), (std::vector<std::string>{"c"}));
    EXPECT_EQ(open({2, 0}),
              (std::vector<std::string>{
                  "menu@1", "menu@1", "menu@1", "UndoList:" + FakeHost::Text(MUndoLaterFirst),
                  "UndoList:" + FakeHost::Text(MUndoAlready), "UndoBatch:" + FakeHost::Text(MUndoFiles)}));
    EXPECT_EQ(host.Dir().ListNames(), (std::vector<std::string>{"b"}));
}

// A batch of which something changed since stays the next one while an undo brings more of it
// back; once nothing more can come, it counts as undone and the next undo takes the one before.
TEST(Undo, BatchLeftInPartDoesNotHoldTheOnesBefore) {
    HostRunner host;
    host.MakeFiles({"a", "x"});
    ASSERT_EQ(host.Run({"-y", "-m", "b", "--", "a"}).status, 0);
    ASSERT_EQ(host.Run({"-y", "-m", "%N1", "--", "b", "x"}).status, 0);
    host.Dir().WriteFile("x1", "edited since the run");
    HostResult result = host.Run({"-u"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(host.Dir().ListNames(), (std::vector<std::string>{"b", "x1"}));
    result = host.Run({"-u"});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("the next undo takes the run before it"), std::string::npos) << result.err;
    EXPECT_EQ(host.Run({"-u"}).status, 0);
    EXPECT_EQ(host.Dir().ListNames(), (std::vector<std::string>{"a", "x1"}));
}

// At most so many runs a folder, at most so many bytes for every folder together, the oldest run
// of any folder going first; the run just journaled stays whatever its size.
TEST(Undo, JournalLimits) {
    TempDir state, first, second;
    const std::string root = state.PathOf("velmora");
    const std::string name(1000, 'n');
    int made = 0;
    const auto journal = [&](const TempDir& folder, int renames, const JournalLimits& limits) {
        JournalWriter writer(SystemFileSystem(), root);
        writer.Limits(limits);
        std::string error;
        EXPECT_TRUE(writer.Begin(folder.Path(), &error)) << error;
        for (int i = 0; i < renames; ++i)
            writer.Add(name, name + "1", 1, 2);
        EXPECT_TRUE(writer.Commit("", nullptr, std::nullopt, &error)) << error;
        // Apart in time as runs are, whatever the file system's clock.
        const std::string newest = ListBatches(SystemFileSystem(), root, folder.Path()).front().path;
        std::filesystem::last_write_time(newest, std::filesystem::file_time_type::clock::now() -
                                                     std::chrono::hours(1) + std::chrono::seconds(++made));
        return std::filesystem::file_size(newest);
    };
    const auto kept = [&](const TempDir& folder) {
        return ListBatches(SystemFileSystem(), root, folder.Path()).size();
    };

    JournalLimits limits{3, 1u << 30};
    std::uintmax_t size = 0;  // of a run of one rename
    for (int i = 0; i < 5; ++i)
        size = journal(first, 1, limits);
    EXPECT_EQ(kept(first), 3u);

    // Room for five runs of one rename, in either folder.
    limits = JournalLimits{20, size * 11 / 2};
    journal(second, 1, limits);
    journal(second, 1, limits);
    EXPECT_EQ(kept(first), 3u);
    EXPECT_EQ(kept(second), 2u);
    journal(second, 2, limits);  // two runs' worth more: the first folder's two oldest go
    EXPECT_EQ(kept(first), 1u);
    EXPECT_EQ(kept(second), 3u);
    journal(first, 20, limits);  // past the limit alone: kept, and only it
    EXPECT_EQ(kept(first), 1u);
    EXPECT_EQ(kept(second), 0u);
    EXPECT_EQ(ListBatches(SystemFileSystem(), root, first.Path())[0].files, 20u);
}

}  // namespace
}  // namespace velmora::test
