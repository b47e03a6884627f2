// The new bytes of a description file after a batch: the old file with the lines of the renamed
// files given their new names, and every other byte as it was. Pure text work, no I/O.
//
// A description file holds more than a panel shows (lines of files that are gone, hidden, filtered
// out or named in a way the host cannot match), so the file is edited, never rebuilt from the
// panel: a line the run did not rename is copied byte for byte, continuation lines, quoting,
// spacing and line ends included.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/CodePage.hpp"
#include "ports/PluginHost.hpp"

namespace velmora {

// The code page a description file's first bytes announce.
enum class DescriptionCodePage {
    Plain,    // no mark: the host's OEM code page
    Utf8,     // EF BB BF
    Utf16Le,  // FF FE
    Utf16Be,  // FE FF
};
DescriptionCodePage CodePageOfMark(std::string_view start);

class DescriptionEdit {
public:
    // `oem`: the code page in which the host reads a file without a mark, for a host whose text is
    // Unicode (far2l, FAR 3); null for FAR 1.x, whose text is already OEM.
    DescriptionEdit(HostText text, const CodePage* oem);

    // Takes the old file's bytes (none: there is no file yet). False when this host cannot write
    // such a file back without losing text, so that it must be left as it is: a Unicode file read
    // by FAR 1.x (which has squeezed its names through OEM), UTF-16 that does not convert back.
    bool Load(std::optional<std::string> bytes);

    // An item renamed in the host's text. The line the host shows for its old name (the first of
    // that exact name, else the first in another ASCII letter case) takes the new name where it
    // stands; when the file has none and the panel showed a description (found elsewhere), a line
    // is added at the end. Any other line of the new name goes with the batch's end (see Settle).
    void Renamed(std::string_view oldName, std::string_view newName, const char* panelDescription);

    // Tells whether a file other than `renamed` (a new name of the batch) has exactly the spelling
    // `name` (both in the host's text): asked only for a line that names a new name in another
    // letter case, which the host shows for the renamed file unless it is such a file's own. The
    // batch's own renames are answered without it. Without it such lines stay.
    using OtherFileQuery = std::function<bool(std::string_view name, std::string_view renamed)>;
    void SetOtherFileQuery(OtherFileQuery query) { otherFile_ = std::move(query); }

    // Whether the file changes at all.
    bool Changed();

    // The new file, handed to `write` in pieces of some 64 KiB (a piece always ends between two
    // characters); unchanged text is handed over where it stands, without a copy.
    void Render(const std::function<void(std::string_view)>& write);
    // The new file, whole.
    std::string Render();

private:
    // How the working text is held.
    enum class Text {
        Bytes,  // the host's own bytes (FAR 1.x: OEM throughout)
        Utf8,   // UTF-8: marked, converted from UTF-16, or a file without a mark that is UTF-8
        Oem,    // a file without a mark in the host's OEM code page, read by a Unicode host
    };
    struct Entry {
        std::uint64_t hash;       // with `shadowed`, known once the table is built
        std::uint32_t lineBegin;  // where the name (or its opening quote) starts
        std::uint32_t nameBegin;
        std::uint32_t nameEnd;
        std::uint32_t tokenEnd;
        std::uint32_t lineEnd;  // before its CR LF
        bool claimed;
        bool shadowed;  // a line before it has the same hash
    };
    // A span of names_: a name or description stored for the output.
    struct Stored {
        std::uint32_t at = 0;
        std::uint32_t size = 0;
        bool utf8 = false;  // in UTF-8 rather than in the file's text (Oem only)
    };
    struct Claim {
        std::uint32_t lineBegin;
        std::uint32_t tokenEnd;
        Stored name;
    };
    struct Added {
        Stored name;
        Stored description;
    };
    // A stale line with its continuation lines: the stretch of the old file left out.
    struct Cut {
        std::uint32_t begin;
        std::uint32_t end;
    };

    std::string_view Working() const { return std::string_view(file_).substr(base_); }
    bool Same(std::string_view a, std::string_view b, bool folded) const;
    Entry* Find(std::string_view key);
    Entry* FindLine(std::string_view name);
    std::string_view NameOf(const Entry& entry) const {
        return Working().substr(entry.nameBegin, entry.nameEnd - entry.nameBegin);
    }
    // Parses the next named line into entries_; false at the file's end.
    bool ParseNext();
    // The line after the last one claimed, parsed when first reached; null at the file's end.
    Entry* NextEntry();
    // Parses the lines not yet reached and builds the table over all of them.
    void Index();
    // Settles whether a file without a mark is UTF-8 through and through (Text::Utf8).
    void Decide();
    // Keeps the spellings under which a line names a new name in this file, for Settle; `written`
    // is the name as stored for its line, if any.
    void AddTarget(std::string_view newName, const Stored* written);
    // Finds the lines that still name a new name once the batch is over: the renames succeeded,
    // so no file of that name existed and such a line could only shadow the renamed file's own.
    // So does a line of a new name in another letter case, unless a file has its very spelling.
    // Only lines no rename claimed count: a line claimed by an earlier rename is its file's, and
    // one a later rename of the batch claims (a file the host matched to it by letter case) is
    // that file's too, which is why this waits for the batch's end.
    void Settle();
    // Whether a file other than the renamed one has the spelling of a line's name after the batch;
    // `inOem`: the line's name is in the file's OEM code page.
    bool OtherFileNamed(std::string_view lineName, bool inOem, std::string_view target, bool targetInOem);
    std::string HostSpelling(std::string_view name, bool inOem) const;
    // Where the line of an entry ends with its continuation lines, past the last one's line end.
    std::size_t RecordEnd(const Entry& entry) const;
    // Keeps host text for the output, in the file's code page where it has a place. The old line
    // it goes into ("" for a new one), when UTF-8 as it stands, keeps UTF-8 names.
    Stored Store(std::string_view hostText, std::string_view line);
    class Output;
    void AppendToken(Output& out, const Stored& name) const;
    void AppendStored(std::string& out, const Stored& stored) const;
    // File text for the output; after a switch to UTF-8 each line converted on its own.
    void AppendText(Output& out, std::string_view text) const;

    HostText host_;
    const CodePage* oem_;
    DescriptionCodePage readIn_ = DescriptionCodePage::Plain;
    Text text_ = Text::Bytes;
    bool undecided_ = false;  // Oem until Decide() has looked at the file
    std::string file_;        // the old file (UTF-16 converted to UTF-8)
    std::size_t base_ = 0;    // where the text starts after a UTF-8 mark
    // One per named line, in file order. Files are mostly renamed in the order their lines stand
    // in, so lines are parsed as the renames reach them, and the table is built only when a name
    // is not on the next line.
    std::vector<Entry> entries_;
    std::size_t parsed_ = 0;  // where the lines not yet parsed start, in Working()
    std::size_t next_ = 0;    // the entry after the last one claimed
    bool indexed_ = false;
    // Open addressing over entries_ (the hash's high half, then index + 1; 0 is free), probed
    // linearly: of two lines of one name, the first in the file comes first on the probe, as the
    // host reads the first.
    std::vector<std::uint64_t> slots_;
    std::vector<Claim> claims_;
    std::vector<Added> added_;
    // The new names as lines of this file spell them, in names_; the old lines that Settle found
    // naming one of them, in file order.
    std::vector<Stored> targets_;
    std::vector<bool> targetInOem_;  // by target: spelled in the file's OEM code page
    // The batch's renames in order, by the hash of each name (the low bit: 1 for the new name, 0
    // for the old one): which names the batch freed and took, without keeping the names.
    std::vector<std::uint64_t> renameEvents_;
    std::unordered_map<std::uint64_t, bool> lastEvents_;  // by hash: the name's file exists after
    OtherFileQuery otherFile_;
    std::vector<Cut> stale_;
    bool settled_ = true;
    std::string names_;  // the stored names and descriptions
    bool switchToUtf8_ = false;
    std::string scratch_;
};

}  // namespace velmora
