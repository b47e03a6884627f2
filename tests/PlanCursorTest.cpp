// The plan a slice at a time equals what the plug-in's run then does, over random batches: chains,
// occupied targets, names the panel does not show, letter-case renames where case is ignored.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "plan/PlanCursor.hpp"
#include "ports/Messages.hpp"
#include "preview/LivePreview.hpp"
#include "run/RenameRun.hpp"
#include "support/FakeHost.hpp"
#include "support/MemoryRegistry.hpp"

namespace velmora::test {
namespace {

std::string Folded(std::string name) {
    for (char& c : name)
        c = c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
    return name;
}

// A folder in memory with the system's move semantics: never replacing, and, where letter case
// is ignored, a change of case of the file itself allowed (as MoveFile does).
class MemoryFolder final : public FileSystem {
public:
    explicit MemoryFolder(bool ignoresCase) : ignoresCase_(ignoresCase) {}

    void Add(const std::string& name) { names_[Key(name)] = name; }
    const std::map<std::string, std::string>& Names() const { return names_; }
    int MostQueries() const {
        int most = 0;
        for (const auto& [name, count] : queries)
            most = std::max(most, count);
        return most;
    }

    std::map<std::string, int> queries;  // by key: how often the attributes were asked for

    std::uint32_t Attributes(const std::string& path) override {
        ++queries[Key(path)];
        return names_.count(Key(path)) ? kAttrArchive : kNoAttributes;
    }
    FileResult MoveNoReplace(const std::string& from, const std::string& to) override {
        if (!names_.count(Key(from)))
            return FileResult(std::make_error_code(std::errc::no_such_file_or_directory));
        if (Key(from) != Key(to) && names_.count(Key(to)))
            return FileResult(std::make_error_code(std::errc::file_exists));
        names_.erase(Key(from));
        names_[Key(to)] = to;
        return FileResult::Success();
    }
    FileResult ReadStart(const std::string&, std::size_t, std::string*) override { return Refused(); }
    FileResult Delete(const std::string&) override { return Refused(); }
    bool SameFile(const std::string& a, const std::string& b) override {
        return names_.count(Key(a)) && Key(a) == Key(b);
    }
    std::string TempDirectory() override { return ""; }
    FileResult CreateTempFile(const std::string&, const std::string&, std::string*) override {
        return Refused();
    }
    FileResult OpenForWriting(const std::string&, std::unique_ptr<WritableFile>*) override {
        return Refused();
    }
    FileResult ReplaceAtomically(const std::string&, const std::string&) override { return Refused(); }

private:
    static FileResult Refused() { return FileResult(std::make_error_code(std::errc::permission_denied)); }
    std::string Key(const std::string& name) const { return ignoresCase_ ? Folded(name) : name; }

    bool ignoresCase_;
    std::map<std::string, std::string> names_;  // by key: the spelling
};

struct Told {
    std::uint32_t index;
    std::string oldName, newName;
    ItemAction action;
    std::string reason;
    bool operator==(const Told& o) const {
        return index == o.index && oldName == o.oldName && newName == o.newName && action == o.action &&
               reason == o.reason;
    }
};

class Recorder final : public RunObserver {
public:
    void Item(std::uint32_t index, std::string_view oldName, std::string_view newName, ItemAction action,
              const char* reason) override {
        items.push_back({index, std::string(oldName), std::string(newName), action, reason});
    }
    std::vector<Told> items;
};

bool SameSummary(const PlanSummary& a, const PlanSummary& b) {
    return a.total == b.total && a.checked == b.checked && a.renames == b.renames && a.keeps == b.keeps &&
           a.stops == b.stops && a.stopIndex == b.stopIndex && a.stopName == b.stopName &&
           a.stopTarget == b.stopTarget && a.stopReason == b.stopReason;
}

// Plans in slices of `slice`; the summary, and every item the observer learnt.
PlanSummary PlanInSlices(const RunContext& context, const PlanAnswers& answers, std::uint32_t slice,
                         std::vector<Told>* items) {
    Recorder recorder;
    PlanCursor cursor(context, answers, &recorder);
    for (int guard = 0; !cursor.Advance(slice) && guard < 100000; ++guard) {
    }
    *items = recorder.items;
    return cursor.Summary();
}

TEST(PlanCursor, EqualsTheRunOverRandomBatches) {
    const char* const kTemplates[] = {"f%#.txt",           "%F", "F%#.TXT",     "%N.txt",   "f%#.%E",
                                      "g%#.txt",           "%N", "f%{dup}.txt", "%N%{dup}", "F%{dup:#}.TXT",
                                      "%{N:1}%{dup:-#}.%E"};
    std::mt19937 random(20);
    int stops = 0;
    int caseRenames = 0;
    for (int round = 0; round < 300; ++round) {
        const bool ignoresCase = random() % 2 == 0;
        MemoryFolder folder(ignoresCase);
        FakeHost host;
        // Files f1..f9 in random order; some are on disk but not on the panel (filtered out).
        std::vector<int> numbers{1, 2, 3, 4, 5, 6, 7, 8, 9};
        std::shuffle(numbers.begin(), numbers.end(), random);
        const std::size_t shown = 1 + random() % numbers.size();
        for (std::size_t i = 0; i < numbers.size(); ++i) {
            const std::string name = "f" + std::to_string(numbers[i]) + (i % 3 == 0 ? ".txt" : ".TXT");
            folder.Add(name);
            if (i < shown)
                host.AddItem(name, nullptr);
        }
        PlanAnswers answers;
        answers.mask = kTemplates[random() % std::size(kTemplates)];
        answers.startNumber = std::to_string(random() % 6);
        answers.withoutZero = random() % 2 == 0;
        SCOPED_TRACE(answers.mask + " from " + answers.startNumber + (ignoresCase ? ", case ignored" : ""));

        MemoryRegistry registry;
        RenameOptions options;
        options.StartNumber = answers.startNumber;
        options.WithoutZero = answers.withoutZero ? 1 : 0;
        StoreOptions(registry, "Software\\Far\\Plugins\\Velmora", options);
        host.dialogTemplate = answers.mask;
        RunContext context = host.Context(folder, registry);
        ASSERT_TRUE(context.host.ReadPanel());

        const std::map<std::string, std::string> before = folder.Names();
        std::vector<Told> planned;
        const PlanSummary whole = PlanInSlices(context, answers, 1000, &planned);
        EXPECT_EQ(folder.Names(), before) << "the plan touched the folder";
        EXPECT_LE(folder.MostQueries(), 1) << "a name was asked for twice";
        for (const std::uint32_t slice : {1u, 7u}) {
            std::vector<Told> sliced;
            EXPECT_TRUE(SameSummary(PlanInSlices(context, answers, slice, &sliced), whole)) << slice;
            EXPECT_EQ(sliced, planned) << slice;
        }

        Recorder run;
        InPanelOrder inOrder(&run);
        context.observer = &inOrder;
        RunRename(context);
        ASSERT_EQ(planned, run.items);
        EXPECT_TRUE(whole.Complete());
        EXPECT_EQ(whole.total, run.items.size());
        std::uint32_t renames = 0;
        std::uint32_t keeps = 0;
        for (const Told& item : run.items) {
            renames += item.action == ItemAction::Rename;
            keeps += item.action == ItemAction::Keep;
            caseRenames += item.action == ItemAction::Rename && item.oldName != item.newName &&
                           Folded(item.oldName) == Folded(item.newName);
            if (item.action == ItemAction::Stop) {
                ++stops;
                EXPECT_TRUE(whole.stops);
                EXPECT_EQ(whole.stopIndex, item.index);
                EXPECT_EQ(whole.stopName, item.oldName);
                EXPECT_EQ(whole.stopTarget, item.newName);
                EXPECT_EQ(whole.stopReason, item.reason);
            }
        }
        EXPECT_EQ(whole.renames, renames);
        EXPECT_EQ(whole.keeps, keeps);
    }
    // The batches did meet occupied targets and changes of letter case.
    EXPECT_GT(stops, 30);
    EXPECT_GT(caseRenames, 10);
}

// The number "%{dup}" gives, as the plan and the run both decide it: only where the name is
// taken, by an earlier item of the batch or a file that keeps its name; names compared as the
// host compares them.
TEST(PlanCursor, DupNumbersOnlyWhereTheNameIsTaken) {
    const struct Case {
        const char* what;
        HostText text;  // Oem and Unicode: a Windows host, names compared without letter case
        bool ignoresCase;
        std::vector<std::string> outside;  // on disk, not in the batch
        std::vector<std::string> batch;
        std::string mask;
        std::vector<std::string> expected;  // each item's new name
        std::string find = "", replace = "";
        std::uint32_t nameCase = kCaseUnchanged;
        bool regex = false;
    } cases[] = {
        {"a burst",
         HostText::Utf8,
         false,
         {},
         {"a.jpg", "b.jpg", "c.jpg"},
         "IMG%{dup}.%E",
         {"IMG.jpg", "IMG_1.jpg", "IMG_2.jpg"}},
        {"its own text",
         HostText::Utf8,
         false,
         {},
         {"a.jpg", "b.jpg"},
         "IMG%{dup: (#)}.jpg",
         {"IMG.jpg", "IMG (1).jpg"}},
        {"files outside the batch keep their names",
         HostText::Utf8,
         false,
         {"IMG.jpg", "IMG_2.jpg"},
         {"a.jpg", "b.jpg"},
         "IMG%{dup}.jpg",
         {"IMG_1.jpg", "IMG_3.jpg"}},
        {"a Windows host: a name in another case is taken",
         HostText::Oem,
         true,
         {"img.JPG"},
         {"a.jpg", "b.jpg"},
         "IMG%{dup}.jpg",
         {"IMG_1.jpg", "IMG_2.jpg"}},
        {"and between items of the batch",
         HostText::Unicode,
         true,
         {},
         {"a.jpg", "B.jpg"},
         "IMG%{dup}.%E",
         {"IMG.jpg", "IMG_1.jpg"}},
        {"a POSIX host: it is another name",
         HostText::Utf8,
         false,
         {"img.JPG"},
         {"a.jpg"},
         "IMG%{dup}.jpg",
         {"IMG.jpg"}},
        {"the same template again changes nothing",
         HostText::Utf8,
         false,
         {},
         {"IMG_2.jpg", "IMG.jpg", "IMG_1.jpg"},
         "IMG%{dup}.jpg",
         {"IMG_2.jpg", "IMG.jpg", "IMG_1.jpg"}},
        {"a name kept in the batch is passed over",
         HostText::Oem,
         true,
         {},
         {"a.jpg", "img_1.jpg", "b.jpg"},
         "IMG%{dup}.jpg",
         {"IMG.jpg", "IMG_1.jpg", "IMG_2.jpg"}},
        {"a name the batch renames away is free",
         HostText::Utf8,
         false,
         {},
         {"xa.jpg", "a.jpg"},
         "%{N:2-}%{dup}.jpg",
         {"a.jpg", ".jpg"}},
        {"after find and replace and letter case",
         HostText::Oem,
         true,
         {"PHOTO.JPG"},
         {"a.jpg", "b.jpg"},
         "IMG%{dup}.jpg",
         {"PHOTO_1.JPG", "PHOTO_2.JPG"},
         "IMG",
         "Photo",
         kCaseUpper},
        {"a number the steps take away frees nothing: the collision stops the batch",
         HostText::Utf8,
         false,
         {},
         {"a.jpg", "b.jpg"},
         "IMG%{dup}.jpg",
         {"IMG.jpg", "IMG.jpg"},
         "_[0-9]+",
         "",
         kCaseUnchanged,
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MemoryFolder folder(c.ignoresCase);
        FakeHost host;
        for (const std::string& name : c.outside)
            folder.Add(name);
        for (const std::string& name : c.batch) {
            folder.Add(name);
            host.AddItem(name, nullptr);
        }
        MemoryRegistry registry;
        RenameOptions options;
        options.Rules.Find = c.find;
        options.Rules.Replace = c.replace;
        options.Rules.Regex = c.regex ? 1 : 0;
        options.Rules.NameCase = c.nameCase;
        options.Rules.ExtensionCase = c.nameCase;
        StoreOptions(registry, "Software\\Far\\Plugins\\Velmora", options);
        host.dialogTemplate = c.mask;
        RunContext context = host.Context(folder, registry);
        context.text = c.text;
        ASSERT_TRUE(context.host.ReadPanel());
        PlanAnswers answers;
        answers.mask = c.mask;
        answers.rules = options.Rules;
        std::vector<Told> planned;
        PlanInSlices(context, answers, 1, &planned);
        // The dialog's list says the same before anything moves.
        LivePreview preview(context);
        preview.SetAnswers(answers);
        ASSERT_EQ(preview.Lines().size(), c.expected.size());
        for (std::size_t i = 0; i < c.expected.size(); ++i)
            EXPECT_EQ(preview.Lines()[i], c.batch[i] + FakeHost::Text(MPreviewArrow) + c.expected[i]);
        Recorder run;
        InPanelOrder inOrder(&run);
        context.observer = &inOrder;
        RunRename(context);
        EXPECT_EQ(planned, run.items);
        ASSERT_EQ(run.items.size(), c.expected.size());
        for (std::size_t i = 0; i < c.expected.size(); ++i)
            EXPECT_EQ(run.items[i].newName, c.expected[i]) << i;
    }
}

}  // namespace
}  // namespace velmora::test
