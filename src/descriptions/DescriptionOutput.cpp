#include "descriptions/DescriptionOutput.hpp"

#include <cstdint>
#include <cstring>
#include <utility>

#include "plugin/HostServices.hpp"

namespace velmora {
namespace {

constexpr char kTempPrefix[] = "VL";
// far2l reads a description file as UTF-8 only after this mark; without it the file is taken in
// the OEM code page, and UTF-8 text comes back garbled.
constexpr char kUtf8Mark[] = "\xEF\xBB\xBF";

bool HasNonAscii(const std::string& bytes) {
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return true;
    }
    return false;
}

void ShowCannotWrite(const DescriptionOutput& output) {
    ShowWarning("CanNotWrite", {GetText(MWarningTitle), GetText(MCannotWriteTemp), output.tempName.c_str(),
                                GetText(MWarningButton)});
}

// Builds the whole line in the record's buffer and writes it with one call.
int WriteLine(DescriptionOutput& output, const char* name, std::size_t nameLength, const char* description) {
    if (!output.file) {
        return 0;
    }
    const bool quoted = std::memchr(name, ' ', nameLength) != nullptr;
    // Only the name's own last dot goes; the host reads "name" and "name." as the same file.
    if (nameLength > 0 && name[nameLength - 1] == '.') {
        --nameLength;
    }
    const std::size_t descriptionLength = description ? std::strlen(description) : 0;
    std::string& line = output.line;
    line.clear();
    line.reserve(nameLength + descriptionLength + 5);
    if (quoted) {
        line.push_back('"');
    }
    line.append(name, nameLength);
    if (quoted) {
        line.push_back('"');
    }
    line.push_back(' ');
    line.append(description ? description : "", descriptionLength);
    line.append("\r\n", 2);
    if (!WriteAllBytes(*output.file, line.data(), line.size())) {
        return 0;
    }
    output.bytesWritten += line.size();
    output.wroteNonAscii = output.wroteNonAscii || HasNonAscii(line);
    return 1;
}

// Writes the renamed file's line that the rename loop could not write; false when it fails again
// or when half of it reached the file (nothing can be appended after half a line).
bool WriteUnwrittenLine(DescriptionOutput& output) {
    if (output.unwritten.empty()) {
        return true;
    }
    std::uint64_t size = 0;
    if (!output.file->Size(&size) || size != output.bytesWritten ||
        !WriteAllBytes(*output.file, output.unwritten.data(), output.unwritten.size())) {
        return false;
    }
    output.bytesWritten += output.unwritten.size();
    output.wroteNonAscii = output.wroteNonAscii || HasNonAscii(output.unwritten);
    output.unwritten.clear();
    return true;
}

// Writes a line for every item of the refreshed panel that has a description; false after the
// first line that cannot be written (or when the panel cannot be read at all).
bool WriteSecondPass(DescriptionOutput& output) {
    ControlPanel(far::FCTL_UPDATEPANEL, reinterpret_cast<void*>(static_cast<std::intptr_t>(1)));
    ControlPanel(far::FCTL_REDRAWPANEL, nullptr);
    far::PanelInfo panel{};
    // Without the refreshed panel the new file would hold only the renamed files' lines and
    // replacing the old one would drop every other description.
    if (!ControlPanel(far::FCTL_GETPANELINFO, &panel)) {
        return false;
    }
    if (!panel.PanelItems) {
        return true;
    }
    for (int i = 0; i < panel.ItemsNumber; ++i) {
        const far::PluginPanelItem& item = panel.PanelItems[i];
        if (!item.Description || item.Description[0] == '\0') {
            continue;
        }
        const std::string_view name = far::FieldText(item.FindData.cFileName);
        if (!WriteLine(output, name.data(), name.size(), item.Description)) {
            return false;
        }
    }
    return true;
}

bool Exists(const std::string& path) {
    return Files().Attributes(path) != kNoAttributes;
}

}  // namespace

DescriptionOutput& CurrentDescriptionOutput() {
    static DescriptionOutput output;
    return output;
}

bool MakeTempFileName(std::string* destination) {
    if (!destination) {
        return false;
    }
    FileSystem& files = Files();
    const std::string directory = files.TempDirectory();
    // An empty directory would put the file in the current directory, among the user's files.
    if (directory.empty()) {
        return false;
    }
    std::string name = files.CreateTempFile(directory, kTempPrefix);
    if (name.empty()) {
        return false;
    }
    *destination = std::move(name);
    return true;
}

bool WriteAllBytes(WritableFile& file, const char* bytes, std::size_t count) {
    return count == 0 || file.Write(bytes, count);
}

int OpenDescriptionOutput(const std::string& chosenName) {
    DescriptionOutput& output = CurrentDescriptionOutput();
    output.file.reset();
    output.bytesWritten = 0;
    output.wroteNonAscii = false;
    output.unwritten.clear();
    output.descriptionName = chosenName;
    output.descriptionExisted = Exists(output.descriptionName);
    if (!MakeTempFileName(&output.tempName)) {
        // The name shown is whatever an earlier run left in the record (empty on the first run).
        ShowWarning("DescExist", {GetText(MWarningTitle), GetText(MCannotCreateTemp), output.tempName.c_str(),
                                  GetText(MWarningButton)});
        return 0;
    }
    output.file = Files().OpenForWriting(output.tempName);
    if (!output.file) {
        // The empty file just made is of no use to anyone; do not leave it behind.
        Files().Delete(output.tempName);
        ShowWarning("CanNotCreate", {GetText(MWarningTitle), GetText(MCannotCreateTemp),
                                     output.tempName.c_str(), GetText(MWarningButton)});
        return 0;
    }
    return 1;
}

int WriteDescriptionLine(const char* name, const char* description) {
    DescriptionOutput& output = CurrentDescriptionOutput();
    if (WriteLine(output, name, std::strlen(name), description)) {
        return 1;
    }
    output.unwritten = output.line;
    return 0;
}

FinishResult FinishDescriptionOutput(int runState) {
    FinishResult result{runState, 1};
    DescriptionOutput& output = CurrentDescriptionOutput();
    if (!output.file) {
        return result;
    }
    FileSystem& files = Files();

    // The rename loop has already reported the line it could not write: no second box for it.
    const bool retried = WriteUnwrittenLine(output);
    // A file of pure ASCII reads the same in every code page and stays without a mark.
    const bool written = retried && WriteSecondPass(output) &&
                         (!far::kHostStringsAreUtf8 || !output.wroteNonAscii ||
                          output.file->Prepend(kUtf8Mark, sizeof kUtf8Mark - 1));
    if (written && far::kHostStringsAreUtf8 && output.wroteNonAscii)
        output.bytesWritten += sizeof kUtf8Mark - 1;
    if (!written) {
        if (retried) {
            ShowCannotWrite(output);
        }
        result.runState = 2;
    }

    std::uint64_t size = 0;
    // When the size cannot be queried, what this run wrote decides: an empty file must never
    // take the place of the old descriptions.
    if (!output.file->Size(&size)) {
        size = output.bytesWritten;
    }
    const bool closed = output.file->Close();
    output.file.reset();

    if (size == 0) {
        // Nothing described: the description file stays exactly as it was.
        files.Delete(output.tempName);
        return result;
    }
    if (!closed && written) {
        // The system may have dropped buffered lines: the file cannot be trusted.
        ShowCannotWrite(output);
        result.runState = 2;
    }
    if (result.runState == 2) {
        files.Delete(output.tempName);
        return result;
    }

    const std::string& target = output.descriptionName;
    const std::uint32_t attributes = files.Attributes(target);
    const bool presentNow = attributes != kNoAttributes;
    if (presentNow && !output.descriptionExisted) {
        // Something took the name during the run (a file of the batch renamed to it, say): it is
        // the user's file, not an old description file. Keep the new descriptions aside.
        result.completed = 0;
        ShowWarning(nullptr, {GetText(MWarningTitle), GetText(MCannotReplaceDescriptions),
                              output.tempName.c_str(), GetText(MOk)});
        return result;
    }
    if (presentNow && (attributes & kAttrReadOnly) != 0) {
        // A read-only description file is the user's way of freezing it.
        files.Delete(output.tempName);
        result.completed = 0;
        ShowWarning(nullptr, {GetText(MWarningTitle), GetText(MCannotReplaceDescriptions), GetText(MOk)});
        return result;
    }
    if (files.ReplaceAtomically(output.tempName, target)) {
        return result;
    }
    result.completed = 0;
    if (Exists(target)) {
        // The old file is still in place and untouched: the directory is as it was.
        files.Delete(output.tempName);
        ShowWarning(nullptr, {GetText(MWarningTitle), GetText(MCannotReplaceDescriptions), GetText(MOk)});
    } else {
        // The temporary file is the only copy of the descriptions now: keep it and say where.
        ShowWarning(nullptr, {GetText(MWarningTitle), GetText(MCannotReplaceDescriptions),
                              output.tempName.c_str(), GetText(MOk)});
    }
    return result;
}

}  // namespace velmora
