// The rename dialog's live preview and its Preview button, through the velmora host's scripted
// dialog (which types the answers into the plug-in's dialog procedure) and through a fake host
// whose clock runs fast.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <system_error>
#include <vector>

#include "far/HostConventions.hpp"
#include "journal/JsonLine.hpp"
#include "plan/PlanCursor.hpp"
#include "preview/LivePreview.hpp"
#include "support/FakeHost.hpp"
#include "support/HostRunner.hpp"
#include "support/MemoryRegistry.hpp"
#include "support/PhotoFiles.hpp"

namespace velmora::test {
namespace {

const std::string kMountains = "\xD0\x93\xD0\xBE\xD1\x80\xD1\x8B.jpg";  // Горы.jpg
const std::string kSea = "\xE6\xB5\xB7\xE8\xBE\xB9.jpg";                // 海边.jpg

struct MenuCall {
    std::vector<std::string> texts;
    std::vector<bool> checked;
    int result = -2;
};

MenuCall MenuOf(const HostResult& result) {
    MenuCall menu;
    const std::vector<std::string> calls = result.Calls("Menu");
    EXPECT_EQ(calls.size(), 1u);
    if (calls.empty())
        return menu;
    const std::string& line = calls[0];
    menu.result = std::stoi(line.substr(line.rfind("\"result\":") + 9));
    // Each item is {"text":...,"checked":0|1}.
    for (std::size_t at = line.find("{\"text\":"); at != std::string::npos;
         at = line.find("{\"text\":", at + 1)) {
        JsonObject item;
        const std::size_t end = line.find('}', at);
        EXPECT_TRUE(ParseJsonObject(line.substr(at, end - at + 1), &item));
        menu.texts.push_back(JsonText(item, "text").value_or(""));
        menu.checked.push_back(line.compare(end - 1, 1, "1") == 0);
    }
    return menu;
}

// A run that goes through the Preview button and Enter in the plan's list does what OK does:
// the same names on disk, the same warning; the list names every item and marks the stop.
TEST(LivePreview, RunFromThePreviewListIsTheRunFromOk) {
    struct Case {
        std::vector<std::string> files;
        std::vector<std::string> selected;
        std::string mask;
        int stopAt;  // the item the list marks, -1 for none
    } cases[] = {
        {{kMountains, kSea, "c.txt"}, {kMountains, kSea, "c.txt"}, "%##_%F", -1},
        {{"a.txt", "b.txt", "2.txt", kSea}, {"a.txt", "b.txt", kSea}, "%#.txt", 1},
        {{kMountains, "x"}, {kMountains, "x"}, "%F", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mask);
        HostRunner viaOk;
        HostRunner viaList;
        viaOk.MakeFiles(c.files);
        viaList.MakeFiles(c.files);
        std::vector<std::string> args = {"--yes", "-m", c.mask, "-s", "1", "--"};
        args.insert(args.end(), c.selected.begin(), c.selected.end());
        const HostResult ok = viaOk.Run(args);
        args.insert(args.begin(), "--via-preview");
        const HostResult list = viaList.Run(args);

        EXPECT_EQ(list.status, ok.status) << list.err;
        EXPECT_EQ(viaList.Dir().ListNames(), viaOk.Dir().ListNames());
        EXPECT_EQ(list.WarningBoxes(), ok.WarningBoxes());
        const MenuCall menu = MenuOf(list);
        EXPECT_EQ(menu.texts.size(), c.selected.size());
        for (std::size_t i = 0; i < menu.texts.size(); ++i) {
            EXPECT_EQ(menu.texts[i].rfind(c.selected[i] + " -> ", 0), 0u) << menu.texts[i];
            const bool stop = static_cast<int>(i) == c.stopAt;
            EXPECT_EQ(menu.checked[i], stop) << menu.texts[i];
            EXPECT_EQ(menu.texts[i].find("STOP") != std::string::npos, stop) << menu.texts[i];
        }
        EXPECT_EQ(menu.result, c.stopAt < 0 ? 0 : c.stopAt);
    }
}

// A clock that moves 100 ms each time it is read: every look at it finds the budget spent.
class RushingClock final : public Clock {
public:
    std::uint64_t Milliseconds() override { return now_ += 100; }

private:
    std::uint64_t now_ = 0;
};

// The panel's files and nothing else: the plan finds every name it looks up among them.
class PanelFiles final : public FileSystem {
public:
    std::uint32_t Attributes(const std::string& path) override {
        ++queries;
        return names.count(path) ? kAttrArchive : kNoAttributes;
    }
    bool ListNames(const std::string&, std::vector<DirectoryEntry>* entries) override {
        entries->clear();
        for (const std::string& name : names)
            entries->push_back(DirectoryEntry{name, kAttrArchive, 0, 0});
        return listable;
    }
    FileResult MoveNoReplace(const std::string&, const std::string&) override { return No(); }
    FileResult ReadStart(const std::string&, std::size_t, std::string*) override { return No(); }
    FileResult Delete(const std::string&) override { return No(); }
    bool SameFile(const std::string& a, const std::string& b) override { return a == b; }
    std::string TempDirectory() override { return std::string(); }
    FileResult CreateTempFile(const std::string&, const std::string&, std::string*) override { return No(); }
    FileResult OpenForWriting(const std::string&, std::unique_ptr<WritableFile>*) override { return No(); }
    FileResult ReplaceAtomically(const std::string&, const std::string&) override { return No(); }
    FileResult OpenForReading(const std::string& path, std::unique_ptr<ReadableFile>* file) override {
        ++opened[path];
        const auto found = contents.find(path);
        if (found == contents.end())
            return No();
        *file = std::make_unique<Bytes>(found->second);
        return FileResult::Success();
    }

    std::set<std::string> names;
    std::map<std::string, std::string> contents;  // what OpenForReading gives
    std::map<std::string, int> opened;            // how often each was opened
    bool listable = false;
    int queries = 0;

private:
    class Bytes final : public ReadableFile {
    public:
        explicit Bytes(std::string bytes) : bytes_(std::move(bytes)) {}
        std::uint64_t Size() const override { return bytes_.size(); }
        FileResult ReadAt(std::uint64_t offset, std::size_t count, std::string* bytes) override {
            *bytes = offset < bytes_.size() ? bytes_.substr(static_cast<std::size_t>(offset), count) : "";
            return FileResult::Success();
        }

    private:
        std::string bytes_;
    };

    static FileResult No() { return FileResult(std::make_error_code(std::errc::operation_not_permitted)); }
};

// A large selection is checked a slice a message: the summary says how far the check got until
// the plan is complete, and the list is the first items' expansion all along. Where the folder
// can be listed, the plan asks nothing of the system name by name.
TEST(LivePreview, LargeSelectionIsCheckedASliceAtATime) {
    for (const bool listable : {false, true}) {
        SCOPED_TRACE(listable ? "folder listed" : "names queried");
        FakeHost host;
        PanelFiles files;
        files.listable = listable;
        std::vector<std::string> names;
        for (int i = 0; i < 5000; ++i)
            names.push_back("f" + std::to_string(i) + ".txt");
        // Item 5000 becomes 5009.txt, the name of a file outside the selection: the run stops
        // there.
        names.push_back("5010.txt");
        for (const std::string& name : names) {
            host.AddItem(name, nullptr);
            files.names.insert(name);
        }
        files.names.insert("5009.txt");
        MemoryRegistry registry;
        RushingClock clock;
        const RunContext context = host.Context(files, registry, clock);
        ASSERT_TRUE(context.host.ReadPanel());

        LivePreview preview(context);
        preview.SetAnswers(PlanAnswers{"%#.txt", "9", true});
        ASSERT_EQ(preview.Lines().size(), static_cast<std::size_t>(far::kDialogListLines));
        EXPECT_EQ(preview.Lines()[1], "f1.txt" + FakeHost::Text(MPreviewArrow) + "10.txt");
        EXPECT_FALSE(preview.IsComplete());
        // The opening plans the lines the list shows: a dialog answered at once asks no more.
        const std::uint32_t first = preview.Plan().checked;
        EXPECT_EQ(first, static_cast<std::uint32_t>(far::kDialogListLines));
        // The folder is read in the first idle time: no name is asked for after it.
        const int queriesBefore = files.queries;
        EXPECT_TRUE(preview.Advance());
        // Over the folder's names the plan begins again, a slice at least as far.
        if (listable)
            EXPECT_GE(preview.Plan().checked, first);
        else
            EXPECT_GT(preview.Plan().checked, first);

        preview.Complete();
        EXPECT_TRUE(preview.IsComplete());
        EXPECT_TRUE(preview.Plan().stops);
        EXPECT_EQ(preview.Plan().stopIndex, 5000u);
        EXPECT_EQ(preview.Plan().stopReason, "FileExist");
        EXPECT_FALSE(preview.Advance());
        if (listable) {
            EXPECT_EQ(files.queries, queriesBefore);
        } else {
            EXPECT_GT(files.queries, 5000);
        }

        // A key pressed before any idle time plans a keystroke's budget, over the folder's names.
        LivePreview typed(context);
        typed.SetAnswers(PlanAnswers{"%#.txt", "9", true});
        const int queriesTyped = files.queries;
        typed.SetAnswers(PlanAnswers{"%#.txt", "10", true});
        EXPECT_GT(typed.Plan().checked, static_cast<std::uint32_t>(far::kDialogListLines));
        if (listable) {
            EXPECT_EQ(files.queries, queriesTyped);
        }
    }
}

// The dialog reads each photo's date taken once however often the answers change, and its plans
// and the lines agree with it; a template that cannot run has no plan, and its problem is the
// summary.
TEST(LivePreview, ReadsEachPhotoOnceWhileTheUserTypes) {
    FakeHost host;
    PanelFiles files;
    for (int i = 0; i < 30; ++i) {
        const std::string name = "IMG_" + std::to_string(i) + ".jpg";
        host.AddItem(name, nullptr);
        files.names.insert(name);
        files.contents[name] = JpegWithDates({"2024:07:14 18:22:" + std::to_string(10 + i), "", ""});
    }
    MemoryRegistry registry;
    const RunContext context = host.Context(files, registry);
    ASSERT_TRUE(context.host.ReadPanel());

    LivePreview preview(context);
    for (const char* typed : {"%{taken", "%{taken}", "%{taken:YYYY}", "%{taken:YYYYMMDD_hhmmss}.%E"}) {
        preview.SetAnswers(PlanAnswers{typed, "1", false});
        preview.Complete();
    }
    EXPECT_EQ(preview.Lines()[0], "IMG_0.jpg" + FakeHost::Text(MPreviewArrow) + "20240714_182210.jpg");
    EXPECT_TRUE(preview.Plan().Complete());
    EXPECT_FALSE(preview.Plan().stops);
    EXPECT_EQ(preview.Plan().renames, 30u);
    for (const auto& [name, count] : files.opened)
        EXPECT_EQ(count, 1) << name;
    EXPECT_EQ(files.opened.size(), 30u);

    preview.SetAnswers(PlanAnswers{"%{taken:YYYY", "1", false});
    EXPECT_EQ(preview.ProblemMessage(), MBadTemplate);
    EXPECT_EQ(preview.Summary(), preview.RulesProblem());
    EXPECT_FALSE(preview.RulesProblem().empty());
    EXPECT_EQ(preview.Plan().total, 0u);
}

}  // namespace
}  // namespace velmora::test
