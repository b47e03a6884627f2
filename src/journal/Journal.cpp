#include "journal/Journal.hpp"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "journal/JsonLine.hpp"
#include "platform/PathNames.hpp"
#include "platform/TextLines.hpp"

namespace velmora {
namespace {

constexpr char kJournalSuffix[] = ".journal";
constexpr char kDoneSuffix[] = ".done";
constexpr char kUndoneSuffix[] = ".undone";
constexpr char kBeforeSuffix[] = ".before";    // the old description file, kept under a name of its own
constexpr char kPlannedSuffix[] = ".planned";  // the new one's hash, from just before it is put in place
constexpr std::size_t kNumberDigits = 8;

std::string Reason(const FileResult& result) {
    return result.Error().message();
}

std::string Number(unsigned long number) {
    char text[24];
    std::snprintf(text, sizeof text, "%0*lu", static_cast<int>(kNumberDigits), number);
    return text;
}

// The run numbers journaled in a directory, ascending.
std::vector<unsigned long> RunNumbers(FileSystem& files, const std::string& directory) {
    std::vector<DirectoryEntry> entries;
    std::string ignored;
    std::vector<unsigned long> numbers;
    if (!files.ListDirectory(directory, &entries, &ignored))
        return numbers;
    const std::size_t suffix = sizeof kJournalSuffix - 1;
    for (const DirectoryEntry& entry : entries) {
        const std::string& name = entry.name;
        if (name.size() != kNumberDigits + suffix ||
            name.compare(kNumberDigits, suffix, kJournalSuffix) != 0 ||
            !std::all_of(name.begin(), name.begin() + kNumberDigits,
                         [](char c) { return c >= '0' && c <= '9'; }))
            continue;
        numbers.push_back(std::stoul(name.substr(0, kNumberDigits)));
    }
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

std::string Json(const std::optional<std::string>& text) {
    return text ? JsonString(*text) : std::string("null");
}

// The first line; "template" and "edited" came after format 2's first builds, which read past them.
std::string Header(const std::string& directory, const std::string& nameTemplate, bool edited) {
    return "{\"journal\": " + std::to_string(kJournalVersion) + ", \"directory\": " + JsonString(directory) +
           ", \"time\": " + std::to_string(static_cast<unsigned long long>(std::time(nullptr))) +
           ", \"template\": " + JsonString(nameTemplate) + (edited ? ", \"edited\": 1" : "");
}

std::string BaseOf(const std::string& journalPath) {
    return journalPath.substr(0, journalPath.size() - (sizeof kJournalSuffix - 1));
}

// The folder of a directory's journals.
std::string JournalsOf(FileSystem& files, const std::string& root, const std::string& panelDirectory,
                       std::string* directory) {
    *directory = files.FullPath(panelDirectory);
    return root + PathSeparator() + DirectoryKey(*directory);
}

bool IsAbsolute(const std::string& path) {
    return !path.empty() && (path[0] == '/' || path[0] == '\\' || (path.size() > 2 && path[1] == ':'));
}

}  // namespace

std::string JournalRoot(FileSystem& files, const std::string& fallback) {
    // The XDG rule: a relative path is to be ignored. Honoured on Windows too, where it lets a
    // user or a test keep journals apart.
    const std::string base = files.Environment("XDG_STATE_HOME");
    if (IsAbsolute(base))
        return base + PathSeparator() + "velmora";
    const std::string system = files.StateDirectory();
    if (IsAbsolute(system))
        return system + PathSeparator() + StateFolderName();
    return fallback;
}

std::string DirectoryKey(const std::string& directory) {
    // FNV-1a whatever the journal's version: the folders of earlier journals keep their names.
    return ContentHash(directory, 1);
}

namespace {

std::string HashText(std::uint64_t hash) {
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

}  // namespace

std::string ContentHash(std::string_view bytes, int journalVersion) {
    return HashText(journalVersion < 2 ? Fnv1a64(bytes) : Xxh64(bytes));
}

std::string ContentHasher::Text() const {
    static_assert(kJournalVersion == 2, "the fingerprint of the journal's format");
    return HashText(stream_.Digest());
}

// Writes through a buffer: a journal of 100,000 renames is neither one string in memory nor
// 100,000 system calls. The first failure sticks.
class BufferedOutput {
public:
    explicit BufferedOutput(WritableFile& file) : file_(file) {}
    void Append(const std::string& text) {
        buffer_ += text;
        Appended();
    }
    // For a line written straight into the buffer; Appended() once it is there.
    std::string& Buffer() { return buffer_; }
    void Appended() {
        if (buffer_.size() >= kChunk)
            (void)Flush();  // a failure is kept for the last Flush to report
    }
    // Bytes of any size, written straight from where they are once the buffer is out.
    void AppendLarge(std::string_view bytes) {
        if (bytes.size() < kChunk) {
            buffer_.append(bytes);
            Appended();
            return;
        }
        (void)Flush();
        if (result_)
            result_ = file_.Write(bytes.data(), bytes.size());
    }
    FileResult Flush() {
        if (result_ && !buffer_.empty())
            result_ = file_.Write(buffer_.data(), buffer_.size());
        buffer_.clear();
        return result_;
    }

private:
    static constexpr std::size_t kChunk = 64 * 1024;
    WritableFile& file_;
    std::string buffer_;
    FileResult result_;
};

namespace {

// A small file next to the journal (.done, .undone): its name says what it is about.
bool WriteSmallFile(FileSystem& files, const std::string& path, const std::string& text, std::string* error) {
    const FileResult result = WriteWholeFile(files, path, text);
    if (!result)
        *error = "cannot write " + path + ": " + Reason(result);
    return static_cast<bool>(result);
}

// The first line of one of a run's small files (.done, .planned) as a JSON object.
bool ReadSmallFile(FileSystem& files, const std::string& path, JsonObject* object) {
    constexpr std::size_t kEnough = 4096;
    std::string text;
    return files.ReadStart(path, kEnough, &text) &&
           ParseJsonObject(std::string_view(text).substr(0, text.find('\n')), object);
}

}  // namespace

bool JournalWriter::WriteBeside(const std::string& path, const std::string& text, std::string* error) {
    return WriteSmallFile(files_, path, text, error);
}

JournalWriter::JournalWriter(FileSystem& files, std::string root) : files_(files), root_(std::move(root)) {}

// A journal begun and never committed goes with its temporary file (TempFile's guard).
JournalWriter::~JournalWriter() = default;

namespace {

void DeleteRun(FileSystem& files, const std::string& base) {
    // The journal last: a run whose journal is gone is gone, whatever is left of the rest.
    for (const char* suffix : {kDoneSuffix, kUndoneSuffix, kBeforeSuffix, kPlannedSuffix, kJournalSuffix})
        (void)files.Delete(base + suffix);
}

bool IsKeyName(const std::string& name) {
    return name.size() == 16 && std::all_of(name.begin(), name.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
           });
}

}  // namespace

void JournalWriter::Prune() {
    const std::vector<unsigned long> numbers = RunNumbers(files_, journals_);
    for (std::size_t i = 0; i + limits_.runs < numbers.size(); ++i)
        DeleteRun(files_, journals_ + PathSeparator() + Number(numbers[i]));
    PruneBytes();
}

// The journals of every folder together stay within limits_.bytes, the oldest run of any folder
// going first, never the one just put in place. Only the listings are read: a run's files are
// counted by their sizes.
void JournalWriter::PruneBytes() {
    struct Kept {
        std::uint64_t writeTime;  // of its journal
        std::string base;
        std::uint64_t bytes;
    };
    std::vector<DirectoryEntry> folders;
    std::string ignored;
    if (!files_.ListDirectory(root_, &folders, &ignored))
        return;
    std::vector<Kept> runs;
    std::uint64_t total = 0;
    const std::string current = path_.empty() ? std::string() : BaseOf(path_);
    for (const DirectoryEntry& folder : folders) {
        if ((folder.attributes & kAttrDirectory) == 0 || !IsKeyName(folder.name))
            continue;
        const std::string journals = root_ + PathSeparator() + folder.name;
        std::vector<DirectoryEntry> entries;
        if (!files_.ListDirectory(journals, &entries, &ignored))
            continue;
        std::sort(entries.begin(), entries.end(),
                  [](const DirectoryEntry& a, const DirectoryEntry& b) { return a.name < b.name; });
        for (const DirectoryEntry& entry : entries) {
            const std::size_t dot = entry.name.find('.');
            if (dot != kNumberDigits || (entry.attributes & kAttrDirectory) != 0 ||
                !std::all_of(entry.name.begin(), entry.name.begin() + dot,
                             [](char c) { return c >= '0' && c <= '9'; }))
                continue;
            const std::string base = journals + PathSeparator() + entry.name.substr(0, dot);
            if (runs.empty() || runs.back().base != base)
                runs.push_back(Kept{0, base, 0});
            runs.back().bytes += entry.size;
            if (entry.name.compare(dot, std::string::npos, kJournalSuffix) == 0)
                runs.back().writeTime = entry.writeTime;
            total += entry.size;
        }
    }
    if (total <= limits_.bytes)
        return;
    std::sort(runs.begin(), runs.end(), [](const Kept& a, const Kept& b) {
        return a.writeTime != b.writeTime ? a.writeTime < b.writeTime : a.base < b.base;
    });
    for (const Kept& run : runs) {
        if (total <= limits_.bytes)
            break;
        if (run.base == current)
            continue;
        DeleteRun(files_, run.base);
        total -= run.bytes;
    }
}

bool JournalWriter::Begin(const std::string& panelDirectory, std::string* error) {
    // Keyed by the one spelling of the folder, whichever way a host names it.
    const std::string directory = files_.FullPath(panelDirectory);
    directory_ = directory;
    path_.clear();
    renames_ = 0;
    if (root_.empty()) {
        *error = "no place for the journal: the system names no state directory";
        return false;
    }
    journals_ = root_ + PathSeparator() + DirectoryKey(directory);
    header_ = Header(directory, template_, edited_);
    if (!files_.MakeDirectories(journals_, error))
        return false;
    std::string name;
    FileResult result = files_.CreateTempFile(journals_ + PathSeparator(), "VL", &name);
    if (!result) {
        *error = "cannot create a file in " + journals_ + ": " + Reason(result);
        return false;
    }
    temp_ = std::make_unique<TempFile>(files_, name);
    result = files_.OpenForWriting(name, &file_);
    if (!result) {
        temp_.reset();
        *error = "cannot write " + name + ": " + Reason(result);
        WriteUnavailable(*error);
        return false;
    }
    output_ = std::make_unique<BufferedOutput>(*file_);
    output_->Append(header_ + "}\n");
    return true;
}

void JournalWriter::Add(std::string_view oldName, std::string_view newName, std::uint64_t size,
                        std::uint64_t writeTime, bool aside) {
    if (!output_)
        return;
    // Straight into the buffer: this runs once a file, before the first rename. Names that need
    // no escape (most batches) are copied in with the text around them in one piece.
    static constexpr char kOld[] = "{\"old\": \"";
    static constexpr char kNew[] = "\", \"new\": \"";
    static constexpr char kSize[] = "\", \"size\": ";
    static constexpr char kTime[] = ", \"time\": ";
    constexpr std::size_t kDigits = 24;  // more than a 64-bit number has
    std::string& line = output_->Buffer();
    const std::size_t start = line.size();
    const auto put = [](char* at, const char* text, std::size_t size) {
        std::memcpy(at, text, size);
        return at + size;
    };
    if (IsPlainJson(oldName) && IsPlainJson(newName)) {
        line.resize(start + sizeof kOld + oldName.size() + sizeof kNew + newName.size() + sizeof kSize +
                    sizeof kTime + 2 * kDigits + 2);
        char* at = &line[start];
        at = put(at, kOld, sizeof kOld - 1);
        at = put(at, oldName.data(), oldName.size());
        at = put(at, kNew, sizeof kNew - 1);
        at = put(at, newName.data(), newName.size());
        at = put(at, kSize, sizeof kSize - 1);
        at = std::to_chars(at, at + kDigits, size).ptr;
        at = put(at, kTime, sizeof kTime - 1);
        at = std::to_chars(at, at + kDigits, writeTime).ptr;
        *at++ = '}';
        *at++ = '\n';
        line.resize(static_cast<std::size_t>(at - line.data()));
    } else {
        line.append("{\"old\": ");
        AppendJsonString(oldName.data(), oldName.size(), &line);
        line.append(", \"new\": ");
        AppendJsonString(newName.data(), newName.size(), &line);
        char digits[kDigits];
        line.append(kSize + 1, sizeof kSize - 2);
        line.append(digits,
                    static_cast<std::size_t>(std::to_chars(digits, digits + kDigits, size).ptr - digits));
        line.append(kTime, sizeof kTime - 1);
        line.append(digits, static_cast<std::size_t>(std::to_chars(digits, digits + kDigits, writeTime).ptr -
                                                     digits));
        line.append("}\n");
    }
    if (aside)
        line.insert(line.size() - 2, ", \"aside\": 1");
    output_->Appended();
    ++renames_;
}

void JournalWriter::AddDescriptions(const std::string& descriptionFile,
                                    const std::optional<std::string>& before,
                                    const std::optional<std::string>& planned) {
    if (!output_)
        return;
    std::string& line = output_->Buffer();
    if (!before) {
        line += "{\"descriptions\": ";
        AppendJsonString(descriptionFile.data(), descriptionFile.size(), &line);
        line += ", \"before\": null, \"planned\": " + Json(planned) + "}\n";
        output_->Appended();
        return;
    }
    // The old file is never escaped nor copied in memory: either it is kept itself, under a second
    // name beside the journal (when the run replaces it, its bytes stay there), or its bytes
    // follow their line as they are, with a line end of their own.
    const bool beside = KeepBeside(descriptionFile, before->size());
    line += beside ? "{\"descriptions_beside\": " : "{\"descriptions_follow\": ";
    AppendJsonString(descriptionFile.data(), descriptionFile.size(), &line);
    line += ", \"size\": " + std::to_string(before->size()) + ", \"planned\": " + Json(planned) + "}\n";
    output_->Appended();
    if (!beside) {
        output_->AppendLarge(*before);
        output_->Append("\n");
    }
}

bool JournalWriter::KeepBeside(const std::string& descriptionFile, std::size_t size) {
    const std::string name = temp_->Name() + kBeforeSuffix;
    if (!files_.LinkSoleFile(descriptionFile, name))
        return false;
    auto kept = std::make_unique<TempFile>(files_, name);
    // The bytes the run read, unless the file changed in between.
    DirectoryEntry entry{};
    if (!files_.Query(name, &entry) || entry.size != size)
        return false;
    before_ = std::move(kept);
    return true;
}

bool JournalWriter::Commit(const std::string& descriptionFile, const std::optional<std::string>* before,
                           const std::optional<std::string>& planned, std::string* error) {
    if (!output_) {
        *error = "the journal was not begun";
        return false;
    }
    std::string failure;
    if (before && !descriptionFile.empty())
        AddDescriptions(descriptionFile, *before, planned);
    std::string last = "{\"renames\": " + std::to_string(renames_);
    if (!tempDescriptions_.empty())
        last += ", \"temp\": " + JsonString(tempDescriptions_);
    output_->Append(last + "}\n");
    FileResult result = output_->Flush();
    output_.reset();
    if (result)
        result = file_->Close();
    file_.reset();
    if (failure.empty() && !result)
        failure = "cannot write " + temp_->Name() + ": " + Reason(result);
    // Numbered after every journal already there; the move never replaces, so two runs never
    // share a number.
    const std::vector<unsigned long> numbers = RunNumbers(files_, journals_);
    unsigned long next = numbers.empty() ? 1 : numbers.back() + 1;
    for (int attempt = 0; failure.empty() && attempt < 100; ++attempt, ++next) {
        const std::string target = journals_ + PathSeparator() + Number(next) + kJournalSuffix;
        result = files_.MoveNoReplace(temp_->Name(), target);
        if (result) {
            temp_->KeepInPlace();
            if (before_ && !PlaceBefore(target, &failure)) {
                (void)files_.Delete(target);
                break;
            }
            path_ = target;
            Prune();
            return true;
        }
        if (result.Error() != std::errc::file_exists)
            failure = "cannot put the journal in " + journals_ + ": " + Reason(result);
    }
    temp_.reset();
    before_.reset();
    *error = failure.empty() ? "cannot number the journal in " + journals_ : failure;
    WriteUnavailable(*error);
    return false;
}

bool JournalWriter::LastRunEnded(std::string* directory) {
    *directory = directory_;
    const std::vector<unsigned long> numbers = RunNumbers(files_, journals_);
    if (numbers.empty())
        return true;
    const std::string base = journals_ + PathSeparator() + Number(numbers.back());
    return files_.Attributes(base + kDoneSuffix) != kNoAttributes ||
           files_.Attributes(base + kUndoneSuffix) != kNoAttributes;
}

void JournalWriter::Retract() {
    if (path_.empty())
        return;
    const std::string base = path_.substr(0, path_.size() - (sizeof kJournalSuffix - 1));
    (void)files_.Delete(base + kBeforeSuffix);
    (void)files_.Delete(path_);
    path_.clear();
}

// The old description file's second name, beside the journal now numbered `journal`.
bool JournalWriter::PlaceBefore(const std::string& journal, std::string* failure) {
    const std::string target =
        journal.substr(0, journal.size() - (sizeof kJournalSuffix - 1)) + kBeforeSuffix;
    FileResult result = files_.MoveNoReplace(before_->Name(), target);
    if (!result && result.TargetExists()) {
        // Left by a journal of this number that never got in place.
        (void)files_.Delete(target);
        result = files_.MoveNoReplace(before_->Name(), target);
    }
    if (!result) {
        *failure = "cannot put the old description file in " + journals_ + ": " + Reason(result);
        return false;
    }
    before_->KeepInPlace();
    return true;
}

// In the journal's place when it cannot be written: why, for undo to say. A file of its own,
// small, so that it may succeed where the journal failed.
void JournalWriter::WriteUnavailable(const std::string& reason) {
    const std::vector<unsigned long> numbers = RunNumbers(files_, journals_);
    const std::string path =
        journals_ + PathSeparator() + Number(numbers.empty() ? 1 : numbers.back() + 1) + kJournalSuffix;
    if (files_.Attributes(path) != kNoAttributes)
        return;
    std::string ignored;
    if (WriteBeside(path, header_ + ", \"unavailable\": " + JsonString(reason) + "}\n", &ignored))
        Prune();
}

void JournalWriter::Replacing(const std::string& hash) {
    if (path_.empty())
        return;
    std::string ignored;  // without it, undo after a kill just then leaves the new file and says so
    (void)WriteBeside(BaseOf(path_) + kPlannedSuffix, "{\"planned\": " + JsonString(hash) + "}\n", &ignored);
}

bool JournalWriter::Finish(std::size_t renamed, const std::optional<std::string>& written,
                           std::string* error) {
    if (path_.empty())
        return true;
    const std::string base = BaseOf(path_);
    const bool done = WriteBeside(base + kDoneSuffix,
                                  "{\"finished\": 1, \"written\": " + Json(written) +
                                      ", \"renamed\": " + std::to_string(renamed) + "}\n",
                                  error);
    if (done)
        (void)files_.Delete(base + kPlannedSuffix);
    return done;
}

namespace {

// The newest run journaled for the folder; `standing`: the newest not yet undone.
JournalLookup ReadNewestRun(FileSystem& files, const std::string& root, const std::string& panelDirectory,
                            bool standing, JournalRun* run, std::string* path, std::string* error) {
    *run = JournalRun();
    if (root.empty())
        return JournalLookup::None;
    std::string directory;
    const std::string journals = JournalsOf(files, root, panelDirectory, &directory);
    const std::vector<unsigned long> numbers = RunNumbers(files, journals);
    for (std::size_t i = numbers.size(); i-- > 0;) {
        const std::string base = journals + PathSeparator() + Number(numbers[i]);
        if (standing && files.Attributes(base + kUndoneSuffix) != kNoAttributes)
            continue;
        *path = base + kJournalSuffix;
        return ReadRunAt(files, *path, directory, run, error);
    }
    return numbers.empty() ? JournalLookup::None : JournalLookup::Undone;
}

}  // namespace

std::string LocalRunTime(const std::optional<std::uint64_t>& seconds) {
    if (!seconds)
        return std::string();
    const std::time_t time = static_cast<std::time_t>(*seconds);
    const std::tm* local = std::localtime(&time);
    char text[32];
    if (!local || std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", local) == 0)
        return std::string();
    return text;
}

JournalLookup ReadLatestRun(FileSystem& files, const std::string& root, const std::string& panelDirectory,
                            JournalRun* run, std::string* path, std::string* error) {
    return ReadNewestRun(files, root, panelDirectory, false, run, path, error);
}

JournalLookup ReadStandingRun(FileSystem& files, const std::string& root, const std::string& panelDirectory,
                              JournalRun* run, std::string* path, std::string* error) {
    return ReadNewestRun(files, root, panelDirectory, true, run, path, error);
}

JournalLookup ReadRunAt(FileSystem& files, const std::string& journalPath, const std::string& panelDirectory,
                        JournalRun* run, std::string* error) {
    *run = JournalRun();
    const std::string directory = files.FullPath(panelDirectory);
    const std::string* path = &journalPath;
    const std::string base = BaseOf(journalPath);
    std::string text;
    std::string reason;
    if (!ReadWholeFile(files, *path, &text, &reason)) {
        *error = "cannot read the journal: " + reason;
        return JournalLookup::Unreadable;
    }
    auto damaged = [&](std::size_t line) {
        *error = "the journal " + *path + " is damaged (line " + std::to_string(line) + ")";
        return JournalLookup::Unreadable;
    };
    std::size_t pos = 0, begin = 0, end = 0, line = 0;
    JsonObject object;
    bool complete = false;
    while (NextLine(text, &pos, &begin, &end)) {
        ++line;
        if (!ParseJsonObject(std::string_view(text).substr(begin, end - begin), &object))
            return damaged(line);
        if (line == 1) {
            const std::optional<std::string> named = JsonText(object, "directory");
            if (!JsonNumber(object, "journal") || !named)
                return damaged(line);
            // Two directories whose keys collide keep apart by the name inside.
            if (*named != directory)
                return JournalLookup::None;
            run->directory = *named;
            run->version = static_cast<int>(std::min<std::uint64_t>(*JsonNumber(object, "journal"), 1000));
            run->time = JsonNumber(object, "time");
            run->nameTemplate = JsonText(object, "template").value_or(std::string());
            if (const auto unavailable = JsonText(object, "unavailable")) {
                run->unavailable = *unavailable;
                return JournalLookup::Found;
            }
            continue;
        }
        if (const auto descriptions = JsonText(object, "descriptions")) {
            run->descriptionFile = *descriptions;
            run->descriptionsBefore = JsonText(object, "before");
            run->plannedHash = JsonText(object, "planned");
            continue;
        }
        const auto beside = JsonText(object, "descriptions_beside");
        const auto follow = beside ? std::nullopt : JsonText(object, "descriptions_follow");
        if (beside || follow) {
            // The old file's bytes: beside the journal, or after this line.
            const auto size = JsonNumber(object, "size");
            std::string kept;
            if (beside) {
                if (!size || !ReadWholeFile(files, base + kBeforeSuffix, &kept, &reason) ||
                    kept.size() != *size)
                    return damaged(line);
            } else {
                if (!size || pos >= text.size() || *size >= text.size() - pos || text[pos + *size] != '\n')
                    return damaged(line + 1);
                kept = text.substr(pos, *size);
                pos += *size + 1;
                ++line;
            }
            run->descriptionFile = beside ? *beside : *follow;
            run->descriptionsBefore = std::move(kept);
            run->plannedHash = JsonText(object, "planned");
            continue;
        }
        if (const auto count = JsonNumber(object, "renames")) {
            if (*count != run->renames.size())
                return damaged(line);
            run->tempDescriptions = JsonText(object, "temp").value_or(std::string());
            complete = true;
            break;
        }
        JournalRename rename;
        const auto oldName = JsonText(object, "old");
        const auto newName = JsonText(object, "new");
        const auto size = JsonNumber(object, "size");
        const auto time = JsonNumber(object, "time");
        if (!oldName || !newName || !size || !time)
            return damaged(line);
        run->renames.push_back(
            JournalRename{*oldName, *newName, *size, *time, JsonNumber(object, "aside").value_or(0) != 0});
    }
    if (!complete)
        return damaged(line + 1);

    if (ReadSmallFile(files, base + kDoneSuffix, &object) && JsonNumber(object, "finished")) {
        run->finished = true;
        run->writtenHash = JsonText(object, "written");
        run->renamed = JsonNumber(object, "renamed");
    }
    // Killed after its new description file was written in full: what that file holds.
    if (!run->finished && !run->plannedHash && ReadSmallFile(files, base + kPlannedSuffix, &object))
        run->plannedHash = JsonText(object, "planned");
    run->undone = files.Attributes(base + kUndoneSuffix) != kNoAttributes;
    return JournalLookup::Found;
}

bool MarkUndone(FileSystem& files, const std::string& journalPath, std::string* error) {
    const std::string base = BaseOf(journalPath);
    return WriteSmallFile(files, base + kUndoneSuffix, "{\"undone\": 1}\n", error);
}

namespace {

// The first line of a file, read alone where it is short.
bool FirstLine(FileSystem& files, const std::string& path, std::string* line) {
    constexpr std::size_t kEnough = 64 * 1024;
    std::string bytes;
    if (!files.ReadStart(path, kEnough, &bytes))
        return false;
    std::size_t end = bytes.find('\n');
    if (end == std::string::npos && bytes.size() >= kEnough) {
        if (!files.ReadStart(path, kWholeFile, &bytes))
            return false;
        end = bytes.find('\n');
    }
    if (end == std::string::npos)
        return false;
    *line = bytes.substr(0, end);
    return true;
}

// How many renames a journal holds, from its last line: only the file's end is read.
std::optional<std::uint64_t> RenamesCounted(FileSystem& files, const std::string& path) {
    constexpr std::size_t kTail = 64 * 1024;
    std::string bytes;
    std::uint64_t from = 0;
    std::unique_ptr<ReadableFile> file;
    if (files.OpenForReading(path, &file)) {
        const std::uint64_t size = file->Size();
        from = size > kTail ? size - kTail : 0;
        if (!file->ReadAt(from, static_cast<std::size_t>(size - from), &bytes))
            return std::nullopt;
    } else if (!files.ReadStart(path, kWholeFile, &bytes)) {
        return std::nullopt;
    }
    if (bytes.empty() || bytes.back() != '\n')
        return std::nullopt;
    bytes.pop_back();
    const std::size_t start = bytes.rfind('\n');
    if (start == std::string::npos && from > 0)
        return std::nullopt;
    JsonObject object;
    if (!ParseJsonObject(std::string_view(bytes).substr(start == std::string::npos ? 0 : start + 1), &object))
        return std::nullopt;
    return JsonNumber(object, "renames");
}

}  // namespace

std::vector<JournalBatch> ListBatches(FileSystem& files, const std::string& root,
                                      const std::string& panelDirectory) {
    std::vector<JournalBatch> batches;
    if (root.empty())
        return batches;
    std::string directory;
    const std::string journals = JournalsOf(files, root, panelDirectory, &directory);
    const std::vector<unsigned long> numbers = RunNumbers(files, journals);
    for (std::size_t i = numbers.size(); i-- > 0;) {
        const std::string base = journals + PathSeparator() + Number(numbers[i]);
        JournalBatch batch;
        batch.path = base + kJournalSuffix;
        batch.undone = files.Attributes(base + kUndoneSuffix) != kNoAttributes;
        std::string line;
        JsonObject header;
        if (!FirstLine(files, batch.path, &line) || !ParseJsonObject(line, &header) ||
            !JsonNumber(header, "journal")) {
            batch.damaged = true;
            batches.push_back(std::move(batch));
            continue;
        }
        // Two directories whose keys collide keep apart by the name inside.
        if (JsonText(header, "directory") != directory)
            continue;
        batch.time = JsonNumber(header, "time");
        batch.nameTemplate = JsonText(header, "template").value_or(std::string());
        batch.edited = JsonNumber(header, "edited").value_or(0) != 0;
        if (JsonText(header, "unavailable")) {
            batch.unavailable = true;
            batches.push_back(std::move(batch));
            continue;
        }
        std::optional<std::uint64_t> renamed;
        JsonObject object;
        if (ReadSmallFile(files, base + kDoneSuffix, &object))
            renamed = JsonNumber(object, "renamed");
        if (!renamed)
            renamed = RenamesCounted(files, batch.path);
        if (renamed)
            batch.files = *renamed;
        else
            batch.damaged = true;
        batches.push_back(std::move(batch));
    }
    return batches;
}

}  // namespace velmora
