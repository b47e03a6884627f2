// Rebuilding the description file: a temporary file written line by line during the run, then put
// in the place of the old one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <system_error>

#include "descriptions/DescriptionEncoding.hpp"
#include "platform/Platform.hpp"
#include "platform/TempFile.hpp"
#include "plugin/RunContext.hpp"

namespace velmora {

// The step at which the rewrite failed.
enum class DescriptionStep {
    None,
    MakeTempName,  // no temporary name could be made
    CreateTemp,    // the temporary file could not be opened for writing
    WriteLine,     // a line could not be written
    UnicodeFile,   // the description file is in Unicode, which this host cannot write: left as it is
    ReadPanel,     // the refreshed panel could not be read
    Mark,          // the file could not be given its code page (a mark put in front, a conversion)
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
    LinesLost,       // a line could not be written: the old file is kept, the new one discarded
    NotReplaced,     // the old file could not be replaced and is as it was; the new one discarded
    KeptAside,       // the new descriptions are only in the temporary file, kept for the user
    LeftUnicode,     // the description file is in Unicode, which this host cannot write: left as it was
};

struct DescriptionResult {
    DescriptionOutcome outcome = DescriptionOutcome::NothingToWrite;
    DescriptionFailure failure;
};

class DescriptionOutput {
public:
    explicit DescriptionOutput(const RunContext& context)
        : context_(context), encoding_(MakeDescriptionEncoding(context.text, context.oem)) {}
    DescriptionOutput(const DescriptionOutput&) = delete;
    DescriptionOutput& operator=(const DescriptionOutput&) = delete;

    // Opens the temporary output for the chosen description file, relative to the directory.
    // On failure the warning box has been shown and nothing was left behind; a description file
    // this host cannot write (UnicodeFile) is only named in its box.
    DescriptionFailure Open(const std::string& chosenName);
    bool IsOpen() const { return file_ != nullptr; }
    // The temporary file's name ("" until one is made).
    const std::string& TempName() const { return temp_.Name(); }

    // Appends one line: the name (quoted when it has a space, one trailing "." dropped), a space,
    // the description and CR LF. Shows no box: the caller does.
    DescriptionFailure WriteLine(std::string_view name, const char* description);

    // The second pass over the refreshed panel, then the replace. Shows its own boxes.
    DescriptionResult Finish();

private:
    DescriptionFailure Write(const std::string& bytes);
    DescriptionFailure WriteUnwrittenLine();
    DescriptionFailure WriteSecondPass();
    void ShowCannotWrite() const;
    void ShowCannotReplace(bool withTempName) const;

    const RunContext& context_;
    std::unique_ptr<DescriptionEncoding> encoding_;
    std::string descriptionName_;  // the chosen description file, relative to the directory
    // Whether anything stood at descriptionName_ when it was chosen. A description file that
    // appears only later is a file of the user's and is never replaced.
    bool descriptionExisted_ = false;
    TempFile temp_;  // declared before file_: the file is closed before the guard deletes it
    std::unique_ptr<WritableFile> file_;
    std::uint64_t bytesWritten_ = 0;  // for when the file's size cannot be queried
    std::string line_;                // each line is built here; its capacity serves the next line
    // A renamed file's line whose write failed: its file is already renamed, so the line is tried
    // once more, first, before the second pass; it is never silently dropped.
    std::string unwritten_;
};

}  // namespace velmora
