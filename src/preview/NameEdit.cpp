#include "preview/NameEdit.hpp"

#include <cstdio>
#include <memory>
#include <system_error>
#include <unordered_map>
#include <utility>

#include "naming/NameRules.hpp"
#include "platform/CodePage.hpp"
#include "platform/LetterCase.hpp"
#include "platform/PathNames.hpp"
#include "platform/TempFile.hpp"
#include "platform/Utf16.hpp"
#include "ports/Messages.hpp"
#include "preview/LivePreview.hpp"
#include "run/RenameRun.hpp"

namespace velmora {
namespace {

// Each line ended as the system's own editors end it: what the user expects to see saved.
constexpr std::string_view kLineEnd = kTextLineEnd;

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

const CodePage* OemPage() {
    static const std::unique_ptr<CodePage> page = OpenCodePage(SystemOemCodePage());
    return page.get();
}

std::size_t LengthOf(std::string_view name, HostText text) {
    // Windows counts UTF-16 units; POSIX and FAR 1.x's OEM text count bytes.
    return text == HostText::Unicode ? ToUtf16<char16_t>(name).size() : name.size();
}

// The name as the system compares it with the others: the spelling it keeps (Windows drops
// trailing dots and spaces), in one letter case where the system ignores case, as the file
// system's table does it: UTF-16 unit by unit.
std::u16string CompareKey(const std::string& name, HostText text) {
    const std::string onDisk = NameOnDisk(name);
    std::string utf8;
    if (text == HostText::Oem && OemPage())
        OemPage()->Decode(onDisk, &utf8);
    else
        utf8 = onDisk;
    std::u16string key = ToUtf16<char16_t>(utf8);
    if (kNamesIgnoreCase) {
        const CaseMapping& mapping = SystemCaseMapping();
        for (char16_t& unit : key) {
            if (unit < 0xD800 || unit > 0xDFFF)
                unit = static_cast<char16_t>(mapping.Upper(unit));
        }
    }
    return key;
}

EditCheck Problem(EditProblem problem, std::size_t line, std::string detail = std::string()) {
    EditCheck check;
    check.problem = problem;
    check.line = line;
    check.detail = std::move(detail);
    return check;
}

}  // namespace

std::string EditorText(const std::vector<std::string>& names) {
    std::size_t size = 0;
    for (const std::string& name : names)
        size += name.size() + kLineEnd.size();
    std::string text;
    text.reserve(size);
    for (const std::string& name : names) {
        text += name;
        text += kLineEnd;
    }
    return text;
}

EditCheck ReadEditedNames(std::string_view text, std::size_t count, HostText hostText,
                          std::vector<std::string>* names) {
    if (hostText != HostText::Oem && text.substr(0, kUtf8Mark.size()) == kUtf8Mark)
        text.remove_prefix(kUtf8Mark.size());
    std::vector<std::string> lines;
    lines.reserve(count);
    for (std::size_t pos = 0; pos < text.size();) {
        std::size_t end = text.find('\n', pos);
        const std::size_t next = end == std::string_view::npos ? text.size() : end + 1;
        if (end == std::string_view::npos)
            end = text.size();
        if (end > pos && text[end - 1] == '\r')
            --end;
        lines.emplace_back(text.substr(pos, end - pos));
        pos = next;
    }
    if (lines.size() != count) {
        EditCheck check = Problem(EditProblem::LineCount, 0);
        check.lines = lines.size();
        return check;
    }
    std::unordered_map<std::u16string, std::size_t> seen;
    seen.reserve(lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& name = lines[i];
        const std::size_t line = i + 1;
        if (name.empty())
            return Problem(EditProblem::EmptyLine, line);
        if (const std::size_t at =
                FindRefusedCharacter(name, RefusedNameCharacters(), kRefusesControlCharacters);
            at != std::string::npos) {
            const unsigned char c = static_cast<unsigned char>(name[at]);
            char code[8];
            std::snprintf(code, sizeof code, "0x%02X", c);
            return Problem(EditProblem::RefusedCharacter, line,
                           c < 0x20 ? std::string(code) : name.substr(at, 1));
        }
        const std::string onDisk = NameOnDisk(name);
        if (onDisk.empty() || onDisk == "." || onDisk == "..")
            return Problem(EditProblem::NotAName, line, name);
        if (LengthOf(name, hostText) > kMaxEditedNameLength)
            return Problem(EditProblem::TooLong, line);
        const auto inserted = seen.emplace(CompareKey(name, hostText), line);
        if (!inserted.second) {
            EditCheck check = Problem(EditProblem::SameName, line, name);
            check.otherLine = inserted.first->second;
            return check;
        }
    }
    *names = std::move(lines);
    return EditCheck{};
}

std::string EditProblemText(const PluginHost& host, const EditCheck& check, std::size_t count) {
    const std::string line = std::to_string(check.line);
    switch (check.problem) {
        case EditProblem::LineCount:
            return FormatText(host.GetText(MEditLineCount),
                              {std::to_string(check.lines), std::to_string(count)});
        case EditProblem::EmptyLine:
            return FormatText(host.GetText(MEditEmptyLine), {line});
        case EditProblem::RefusedCharacter:
            return FormatText(host.GetText(MEditRefusedCharacter), {line, check.detail});
        case EditProblem::NotAName:
            return FormatText(host.GetText(MEditNotAName), {line, check.detail});
        case EditProblem::TooLong:
            return FormatText(host.GetText(MEditTooLong), {line, std::to_string(kMaxEditedNameLength)});
        case EditProblem::SameName:
            return FormatText(host.GetText(MEditSameName),
                              {std::to_string(check.otherLine), line, check.detail});
        case EditProblem::None:
            break;
    }
    return std::string();
}

bool NameEdit::Changed(const PlanAnswers& answers) const {
    return answers.mask != basis_.mask || answers.startNumber != basis_.startNumber ||
           answers.withoutZero != basis_.withoutZero || !(answers.rules == basis_.rules);
}

bool NameEdit::AskDrop(const PluginHost& host, const PlanAnswers& answers) {
    if (!Active() || asked_ || !Changed(answers))
        return false;
    asked_ = true;
    const int answer = host.ShowBox(
        "EditNames",
        {host.GetText(MEditTitle), host.GetText(MEditDropQuestion), host.GetText(MYes), host.GetText(MNo)}, 2,
        false);
    if (answer != 0)
        return false;
    Drop();
    return true;
}

bool NameEdit::Edit(const RunContext& context, LivePreview& preview, const OpenEditor& open) {
    PluginHost& host = context.host;
    FileSystem& files = context.files;
    const std::size_t count = host.SelectedCount();
    // A template or expression that cannot run makes no names: the old ones are where to start.
    std::vector<std::string> start;
    if (Active()) {
        start = names_;
    } else if (preview.RulesProblem().empty()) {
        start = preview.TemplateNames();
    } else {
        start.reserve(count);
        for (std::size_t i = 0; i < count; ++i)
            start.emplace_back(host.SelectedItem(i).name);
    }
    const auto refuse = [&](int message, const std::string& detail) {
        host.ShowWarning("EditNames", {host.GetText(MWarningTitle), host.GetText(message), detail.c_str(),
                                       host.GetText(MWarningButton)});
        return false;
    };

    // In the system's temporary directory, never the panel's folder: the editor may leave files
    // of its own beside the one it edits.
    std::string name;
    const std::string directory = files.TempDirectory();
    if (const FileResult made = directory.empty()
                                    ? FileResult(std::make_error_code(std::errc::no_such_file_or_directory))
                                    : files.CreateTempFile(directory, "VL", &name);
        !made)
        return refuse(MEditCannotWrite, directory + ": " + made.Error().message());
    TempFile file(files, name);
    if (const FileResult written = WriteWholeFile(files, name, EditorText(start)); !written)
        return refuse(MEditCannotWrite, name + ": " + written.Error().message());
    const std::string title = FormatText(host.GetText(MEditorTitle), {std::to_string(count)});
    for (;;) {
        switch (open(name, title)) {
            case EditorResult::Closed:
                break;
            case EditorResult::Interrupted:
                return false;
            case EditorResult::Failed:
                return refuse(MEditorFailed, name);
        }
        std::string text;
        std::string error;
        if (!ReadWholeFile(files, name, &text, &error))
            return refuse(MEditorFailed, error);
        std::vector<std::string> names;
        const EditCheck check = ReadEditedNames(text, count, context.text, &names);
        if (check.problem == EditProblem::None) {
            if (!Active() && names == start)
                return false;  // nothing edited: the template still makes the names
            names_ = std::move(names);
            basis_ = preview.Answers();
            asked_ = false;
            return true;
        }
        // The file keeps what the user wrote: editing again starts from it.
        const std::string problem = EditProblemText(host, check, count);
        const int answer = host.ShowBox(
            "EditNames",
            {host.GetText(MEditTitle), problem.c_str(), host.GetText(MEditAgain), host.GetText(MEditDrop)}, 2,
            true);
        if (answer != 0) {
            const bool had = Active();
            Drop();
            return had;
        }
    }
}

}  // namespace velmora
