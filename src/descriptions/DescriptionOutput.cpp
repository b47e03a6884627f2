#include "descriptions/DescriptionOutput.hpp"

#include <cstdint>
#include <cstring>
#include <utility>

#include "plugin/Messages.hpp"

namespace velmora {
namespace {

constexpr char kTempPrefix[] = "VL";

DescriptionFailure Failed(DescriptionStep step, const FileResult& result = FileResult::Success()) {
    return DescriptionFailure{step, result.Error()};
}

// Makes and creates an empty temporary file ("VL" prefix, the system's temporary directory);
// *destination is untouched when none can be made.
FileResult MakeTempFileName(FileSystem& files, std::string* destination) {
    const std::string directory = files.TempDirectory();
    // An empty directory would put the file in the current directory, among the user's files.
    if (directory.empty())
        return FileResult(std::make_error_code(std::errc::no_such_file_or_directory));
    return files.CreateTempFile(directory, kTempPrefix, destination);
}

}  // namespace

DescriptionFailure DescriptionOutput::Open(const std::string& chosenName) {
    const PluginHost& host = context_.host;
    FileSystem& files = context_.files;
    descriptionName_ = chosenName;
    descriptionExisted_ = files.Attributes(descriptionName_) != kNoAttributes;
    // A file that cannot be read has shown the host no descriptions either: it counts as plain.
    std::string start;
    const DescriptionCodePage readIn = descriptionExisted_ && encoding_->ReadsMark() &&
                                               files.ReadStart(descriptionName_, kLongestMark, &start)
                                           ? CodePageOfMark(start)
                                           : DescriptionCodePage::Plain;
    if (!encoding_->Begin(readIn)) {
        host.ShowWarning("DescUnicode", {host.GetText(MWarningTitle), host.GetText(MUnicodeDescriptions),
                                         descriptionName_.c_str(), host.GetText(MWarningButton)});
        return Failed(DescriptionStep::UnicodeFile);
    }
    std::string name;
    const FileResult made = MakeTempFileName(files, &name);
    if (!made) {
        // No temporary name was made by this run, so the box has none to show.
        host.ShowWarning("DescExist", {host.GetText(MWarningTitle), host.GetText(MCannotCreateTemp), "",
                                       host.GetText(MWarningButton)});
        return Failed(DescriptionStep::MakeTempName, made);
    }
    temp_ = TempFile(files, name);
    const FileResult opened = files.OpenForWriting(name, &file_);
    if (!opened) {
        // The empty file just made is of no use to anyone; it does not stay behind.
        temp_.Discard();
        host.ShowWarning("CanNotCreate", {host.GetText(MWarningTitle), host.GetText(MCannotCreateTemp),
                                          name.c_str(), host.GetText(MWarningButton)});
        return Failed(DescriptionStep::CreateTemp, opened);
    }
    return DescriptionFailure{};
}

DescriptionFailure DescriptionOutput::Write(const std::string& bytes) {
    if (!file_)
        return Failed(DescriptionStep::WriteLine);
    // One write of all bytes; nothing to write succeeds without writing.
    if (!bytes.empty()) {
        const FileResult written = file_->Write(bytes.data(), bytes.size());
        if (!written)
            return Failed(DescriptionStep::WriteLine, written);
    }
    bytesWritten_ += bytes.size();
    encoding_->Note(bytes);
    return DescriptionFailure{};
}

DescriptionFailure DescriptionOutput::WriteLine(std::string_view name, const char* description) {
    const bool quoted = name.find(' ') != std::string_view::npos;
    // Only the name's own last dot goes; the host reads "name" and "name." as the same file.
    if (!name.empty() && name.back() == '.')
        name.remove_suffix(1);
    const std::size_t descriptionLength = description ? std::strlen(description) : 0;
    line_.clear();
    line_.reserve(name.size() + descriptionLength + 5);
    if (quoted)
        line_.push_back('"');
    line_.append(name);
    if (quoted)
        line_.push_back('"');
    line_.push_back(' ');
    line_.append(description ? description : "", descriptionLength);
    line_.append("\r\n", 2);
    DescriptionFailure failure = Write(line_);
    if (failure)
        unwritten_ = line_;
    return failure;
}

// Writes the renamed file's line that the rename loop could not write; fails when it fails again
// or when half of it reached the file (nothing can be appended after half a line).
DescriptionFailure DescriptionOutput::WriteUnwrittenLine() {
    if (unwritten_.empty())
        return DescriptionFailure{};
    std::uint64_t size = 0;
    const FileResult sized = file_->Size(&size);
    if (!sized || size != bytesWritten_)
        return Failed(DescriptionStep::WriteLine, sized);
    DescriptionFailure failure = Write(unwritten_);
    if (!failure)
        unwritten_.clear();
    return failure;
}

// Writes a line for every item of the refreshed panel that has a description; stops at the first
// line that cannot be written (or when the panel cannot be read at all).
DescriptionFailure DescriptionOutput::WriteSecondPass() {
    PluginHost& host = context_.host;
    host.UpdatePanel();
    // Without the refreshed panel the new file would hold only the renamed files' lines and
    // replacing the old one would drop every other description.
    if (!host.ReadPanel())
        return Failed(DescriptionStep::ReadPanel);
    const std::size_t count = host.ItemCount();
    for (std::size_t i = 0; i < count; ++i) {
        const PanelItemText item = host.Item(i);
        if (!item.description || item.description[0] == '\0')
            continue;
        const DescriptionFailure failure = WriteLine(item.name, item.description);
        if (failure) {
            // The second pass reports its own failure; no line of it is tried again.
            unwritten_.clear();
            return failure;
        }
    }
    return DescriptionFailure{};
}

void DescriptionOutput::ShowCannotWrite() const {
    const PluginHost& host = context_.host;
    host.ShowWarning("CanNotWrite", {host.GetText(MWarningTitle), host.GetText(MCannotWriteTemp),
                                     temp_.Name().c_str(), host.GetText(MWarningButton)});
}

void DescriptionOutput::ShowCannotReplace(bool withTempName) const {
    const PluginHost& host = context_.host;
    if (withTempName) {
        host.ShowWarning(nullptr, {host.GetText(MWarningTitle), host.GetText(MCannotReplaceDescriptions),
                                   temp_.Name().c_str(), host.GetText(MOk)});
    } else {
        host.ShowWarning(nullptr,
                         {host.GetText(MWarningTitle), host.GetText(MCannotReplaceDescriptions), host.GetText(MOk)});
    }
}

DescriptionResult DescriptionOutput::Finish() {
    DescriptionResult result;
    if (!file_)
        return result;
    FileSystem& files = context_.files;

    // The rename loop has already reported the line it could not write: no second box for it.
    DescriptionFailure failure = WriteUnwrittenLine();
    const bool retried = !failure;
    if (!failure)
        failure = WriteSecondPass();
    if (!failure) {
        const FileResult encoded = encoding_->Finish(*file_, &bytesWritten_);
        if (!encoded)
            failure = Failed(DescriptionStep::Mark, encoded);
    }
    const bool written = !failure;
    if (!written && retried)
        ShowCannotWrite();

    std::uint64_t size = 0;
    // When the size cannot be queried, what this run wrote decides: an empty file must never
    // take the place of the old descriptions.
    if (!file_->Size(&size))
        size = bytesWritten_;
    const FileResult closed = file_->Close();
    file_.reset();

    if (size == 0) {
        // Nothing described: the description file stays exactly as it was.
        temp_.Discard();
        result.outcome = written ? DescriptionOutcome::NothingToWrite : DescriptionOutcome::LinesLost;
        result.failure = failure;
        return result;
    }
    if (!closed && written) {
        // The system may have dropped buffered lines: the file cannot be trusted.
        ShowCannotWrite();
        failure = Failed(DescriptionStep::Close, closed);
    }
    if (failure) {
        temp_.Discard();
        result.outcome = DescriptionOutcome::LinesLost;
        result.failure = failure;
        return result;
    }

    const std::uint32_t attributes = files.Attributes(descriptionName_);
    const bool presentNow = attributes != kNoAttributes;
    if (presentNow && !descriptionExisted_) {
        // Something took the name during the run (a file of the batch renamed to it, say): it is
        // the user's file, not an old description file. Keep the new descriptions aside.
        ShowCannotReplace(true);
        temp_.KeepInPlace();
        result.outcome = DescriptionOutcome::KeptAside;
        result.failure = Failed(DescriptionStep::Replace, FileResult(std::make_error_code(std::errc::file_exists)));
        return result;
    }
    if (presentNow && (attributes & kAttrReadOnly) != 0) {
        // A read-only description file is the user's way of freezing it.
        temp_.Discard();
        ShowCannotReplace(false);
        result.outcome = DescriptionOutcome::NotReplaced;
        result.failure =
            Failed(DescriptionStep::Replace, FileResult(std::make_error_code(std::errc::permission_denied)));
        return result;
    }
    const FileResult replaced = temp_.KeepAs(descriptionName_);
    if (replaced) {
        result.outcome = DescriptionOutcome::Replaced;
        return result;
    }
    result.failure = Failed(DescriptionStep::Replace, replaced);
    if (files.Attributes(descriptionName_) != kNoAttributes) {
        // The old file is still in place and untouched: the directory is as it was.
        temp_.Discard();
        ShowCannotReplace(false);
        result.outcome = DescriptionOutcome::NotReplaced;
    } else {
        // The temporary file is the only copy of the descriptions now: keep it and say where.
        ShowCannotReplace(true);
        temp_.KeepInPlace();
        result.outcome = DescriptionOutcome::KeptAside;
    }
    return result;
}

}  // namespace velmora
