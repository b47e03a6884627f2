#include "descriptions/DescriptionOutput.hpp"

#include <cstdint>
#include <optional>
#include <utility>

#include "ports/Messages.hpp"

namespace velmora {
namespace {

DescriptionFailure Failed(DescriptionStep step, const FileResult& result = FileResult::Success()) {
    return DescriptionFailure{step, result.Error()};
}

}  // namespace

DescriptionFailure DescriptionOutput::Open(
    const std::string& chosenName, const std::function<void(const std::optional<std::string>&)>& onRead,
    const std::function<void(const std::string&)>& onTempName) {
    const PluginHost& host = context_.host;
    FileSystem& files = context_.files;
    descriptionName_ = chosenName;
    descriptionExisted_ = files.Attributes(descriptionName_) != kNoAttributes;
    std::optional<std::string> old;
    if (descriptionExisted_) {
        old.emplace();
        if (const FileResult read = files.ReadStart(descriptionName_, kWholeFile, &*old); !read) {
            // Without its old lines the file cannot be edited, and rebuilding it would lose them.
            host.ShowWarning("CanNotRead",
                             {host.GetText(MWarningTitle), host.GetText(MCannotReadDescriptions),
                              descriptionName_.c_str(), host.GetText(MWarningButton)});
            return Failed(DescriptionStep::ReadFile, read);
        }
    }
    if (onRead)
        onRead(old);
    if (!edit_.Load(std::move(old))) {
        host.ShowWarning("DescUnicode", {host.GetText(MWarningTitle), host.GetText(MUnicodeDescriptions),
                                         descriptionName_.c_str(), host.GetText(MWarningButton)});
        return Failed(DescriptionStep::UnicodeFile);
    }
    // Beside the description file: where the system's temporary folder is another volume (a
    // tmpfs /tmp), a replace from there is a copy and costs more than the edit itself.
    if (const std::string planned = FreeTempNameBeside(files, descriptionName_); !planned.empty()) {
        if (onTempName)
            onTempName(planned);
        if (files.CreateNewForWriting(planned, &file_)) {
            temp_ = TempFile(files, planned);
            return DescriptionFailure{};
        }
    }
    std::string name;
    const FileResult made = CreateTempFileFor(files, descriptionName_, &name);
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

bool DescriptionOutput::OtherFileNamed(std::string_view name, std::string_view renamed) {
    // Such lines are rare: the panel's names are gathered only for the first.
    if (!panelNames_) {
        panelNames_ = std::make_unique<std::unordered_set<std::string>>();
        PluginHost& host = context_.host;
        for (std::size_t i = 0, count = host.ItemCount(); i < count; ++i)
            panelNames_->emplace(host.Item(i).name);
    }
    if (panelNames_->count(std::string(name)) != 0)
        return true;
    // A file the panel does not show (hidden, filtered) keeps its line too. Where the system
    // ignores letter case the name reaches the renamed file itself, which is not another file.
    const std::string path(name);
    return context_.files.Attributes(path) != kNoAttributes &&
           !context_.files.SameFile(path, std::string(renamed));
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
        host.ShowWarning(nullptr, {host.GetText(MWarningTitle), host.GetText(MCannotReplaceDescriptions),
                                   host.GetText(MOk)});
    }
}

DescriptionResult DescriptionOutput::Finish(const std::function<void(std::string_view)>& onWrite,
                                            const std::function<void()>& onReplacing) {
    DescriptionResult result;
    if (!file_)
        return result;
    FileSystem& files = context_.files;

    if (!edit_.Changed()) {
        // No described file was renamed: the description file stays exactly as it was.
        (void)file_->Close();
        file_.reset();
        temp_.Discard();
        return result;
    }
    // Written as it is made: a file of megabytes is never held whole.
    FileResult written = FileResult::Success();
    edit_.Render([&](std::string_view piece) {
        if (onWrite)
            onWrite(piece);
        if (written)
            written = file_->Write(piece.data(), piece.size());
    });
    DescriptionFailure failure;
    if (!written)
        failure = Failed(DescriptionStep::WriteLine, written);
    const FileResult closed = file_->Close();
    file_.reset();
    // The system may have dropped buffered bytes at the close: the file cannot be trusted.
    if (!failure && !closed)
        failure = Failed(DescriptionStep::Close, closed);
    if (failure) {
        ShowCannotWrite();
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
        result.failure =
            Failed(DescriptionStep::Replace, FileResult(std::make_error_code(std::errc::file_exists)));
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
    if (onReplacing)
        onReplacing();
    const FileResult replaced = temp_.KeepAs(descriptionName_);
    if (replaced) {
        result.outcome = DescriptionOutcome::Replaced;
        // Only a look: the descriptions are in place whether or not the file could be hidden.
        if (!descriptionExisted_ && context_.hideNewDescriptionFile)
            (void)files.AddAttributes(descriptionName_, kAttrHidden);
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
