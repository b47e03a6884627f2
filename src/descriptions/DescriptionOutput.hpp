// The description file's rewrite: the old file read when the run starts, the renamed files'
// lines edited as they are renamed, and the new file written to a temporary file that then takes
// the place of the old one in one step.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <unordered_set>

#include "descriptions/DescriptionEdit.hpp"
#include "platform/Platform.hpp"
#include "platform/TempFile.hpp"
#include "ports/RunContext.hpp"

namespace velmora {

// The step at which the rewrite failed.
enum class DescriptionStep {
    None,
    MakeTempName,  // no temporary name could be made
    CreateTemp,    // the temporary file could not be opened for writing
    WriteLine,     // the new file could not be written
    UnicodeFile,   // the description file is in Unicode, which this host cannot write: left as it is
    ReadFile,      // the description file could not be read: left as it is
    Close,         // the system reported a failure when the file was closed
    Replace,       // the new file could not be put in the place of the old one
};

// A failure: its step and the system's reason (empty where the system gave none).
struct DescriptionFailure {
    DescriptionStep step = DescriptionStep::None;
    std::error_code error;
    explicit operator bool() const { return step != DescriptionStep::None; }
};

enum class DescriptionOutcome {
    Replaced,        // the new description file is in place
    NothingToWrite,  // nothing was described: the description file is as it was
    LinesLost,       // the new file could not be written: the old file is kept, the new one discarded
    NotReplaced,     // the old file could not be replaced and is as it was; the new one discarded
    KeptAside,       // the new descriptions are only in the temporary file, kept for the user
    LeftUnicode,     // the description file is in Unicode, which this host cannot write: left as it was
    LeftUnread,      // the description file could not be read: left as it was
};

struct DescriptionResult {
    DescriptionOutcome outcome = DescriptionOutcome::NothingToWrite;
    DescriptionFailure failure;
};

class DescriptionOutput {
public:
    explicit DescriptionOutput(const RunContext& context)
        : context_(context), edit_(context.text, context.oem) {
        edit_.SetOtherFileQuery([this](std::string_view name, std::string_view renamed) {
            return OtherFileNamed(name, renamed);
        });
    }
    DescriptionOutput(const DescriptionOutput&) = delete;
    DescriptionOutput& operator=(const DescriptionOutput&) = delete;

    // Reads the chosen description file, relative to the directory, and opens the temporary
    // output. On failure the warning box has been shown and nothing was left behind; a description
    // file this host cannot write (UnicodeFile) or cannot read (ReadFile) is only named in its box.
    // `onRead`, when given, is shown the file's bytes as they were read (none: no such file)
    // before the edit takes them over. `onTempName`, when given, is told the name of the
    // temporary file beside the description file before the file is made under it, so that a
    // run killed afterwards has it on record (a name picked by the system, where the folder takes
    // no file of a name given, or in the temporary folder, is told of no one).
    DescriptionFailure Open(const std::string& chosenName,
                            const std::function<void(const std::optional<std::string>&)>& onRead = {},
                            const std::function<void(const std::string&)>& onTempName = {});
    bool IsOpen() const { return file_ != nullptr; }
    // The temporary file's name ("" until one is made): beside the description file, or in the
    // system's temporary directory where its folder takes no new file.
    const std::string& TempName() const { return temp_.Name(); }

    // A file the run renamed: its description follows it (see DescriptionEdit::Renamed).
    void Renamed(std::string_view oldName, std::string_view newName, const char* panelDescription) {
        edit_.Renamed(oldName, newName, panelDescription);
    }

    // Writes the new file and puts it in place when anything changed. Shows its own boxes.
    // `onWrite`, when given, is shown the new file's bytes as they are written, in pieces;
    // `onReplacing` is called once they are all written, just before the new file takes the old
    // one's place.
    DescriptionResult Finish(const std::function<void(std::string_view)>& onWrite = {},
                             const std::function<void()>& onReplacing = {});

private:
    // Whether a file other than the renamed `renamed` is spelled exactly `name` (see
    // DescriptionEdit::SetOtherFileQuery).
    bool OtherFileNamed(std::string_view name, std::string_view renamed);
    void ShowCannotWrite() const;
    void ShowCannotReplace(bool withTempName) const;

    const RunContext& context_;
    DescriptionEdit edit_;
    std::string descriptionName_;  // the chosen description file, relative to the directory
    // Whether anything stood at descriptionName_ when it was chosen. A description file that
    // appears only later is a file of the user's and is never replaced.
    bool descriptionExisted_ = false;
    // The panel's names as it listed them before the batch, gathered when first asked.
    std::unique_ptr<std::unordered_set<std::string>> panelNames_;
    TempFile temp_;  // declared before file_: the file is closed before the guard deletes it
    std::unique_ptr<WritableFile> file_;
};

}  // namespace velmora
