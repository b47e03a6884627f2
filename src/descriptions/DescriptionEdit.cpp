#include "descriptions/DescriptionEdit.hpp"

#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>

#include "descriptions/DescriptionLines.hpp"
#include "far/HostConventions.hpp"
#include "platform/Utf16.hpp"

namespace velmora {
namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

bool HasNonAscii(std::string_view bytes) {
    std::size_t pos = 0;
    // Eight bytes at a time: a description file is long.
    for (; pos + 8 <= bytes.size(); pos += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes.data() + pos, sizeof word);
        if (word & 0x8080808080808080ull)
            return true;
    }
    for (; pos < bytes.size(); ++pos) {
        if (static_cast<unsigned char>(bytes[pos]) >= 0x80)
            return true;
    }
    return false;
}

std::u16string Utf16Units(std::string_view bytes, bool little) {
    std::u16string units;
    units.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        units.push_back(static_cast<char16_t>(little ? first | second << 8 : first << 8 | second));
    }
    return units;
}

std::string Utf16Bytes(std::string_view utf8, bool little) {
    std::u16string units;
    AppendUtf16(units, utf8);
    std::string bytes;
    bytes.reserve(units.size() * 2);
    for (const char16_t unit : units) {
        const char low = static_cast<char>(unit & 0xFF);
        const char high = static_cast<char>(unit >> 8);
        bytes.push_back(little ? low : high);
        bytes.push_back(little ? high : low);
    }
    return bytes;
}

// The other spelling under which the host finds a name's line: lines are written without one
// trailing dot of the name, and a name without any dot also matches a line that gives it one.
std::string DotVariant(std::string_view name) {
    if (name.size() > 1 && name.back() == '.')
        return std::string(name.substr(0, name.size() - 1));
    if (!name.empty() && name.find('.') == std::string_view::npos)
        return std::string(name) + '.';
    return std::string();
}

}  // namespace

DescriptionCodePage CodePageOfMark(std::string_view start) {
    if (start.substr(0, kUtf8Mark.size()) == kUtf8Mark)
        return DescriptionCodePage::Utf8;
    if (start.substr(0, 2) == "\xFF\xFE")
        return DescriptionCodePage::Utf16Le;
    if (start.substr(0, 2) == "\xFE\xFF")
        return DescriptionCodePage::Utf16Be;
    return DescriptionCodePage::Plain;
}

DescriptionEdit::DescriptionEdit(HostText text, const CodePage* oem) : host_(text), oem_(oem) {}

bool DescriptionEdit::Load(std::optional<std::string> bytes) {
    if (!bytes) {
        // A new file is one without a mark.
        readIn_ = DescriptionCodePage::Plain;
        text_ = host_ == HostText::Oem ? Text::Bytes : Text::Oem;
        return true;
    }
    // Offsets are kept in 32 bits; a description file of 4 GiB is no text file to edit.
    if (bytes->size() >= std::numeric_limits<std::uint32_t>::max() / 2)
        return false;
    readIn_ = CodePageOfMark(*bytes);
    file_ = std::move(*bytes);
    base_ = 0;
    if (host_ == HostText::Oem) {
        if (readIn_ != DescriptionCodePage::Plain)
            return false;
        text_ = Text::Bytes;
    } else if (readIn_ == DescriptionCodePage::Utf8) {
        text_ = Text::Utf8;
        base_ = kUtf8Mark.size();
    } else if (readIn_ == DescriptionCodePage::Plain) {
        // A file without a mark that is UTF-8 through and through was written by a tool that
        // speaks UTF-8: it stays UTF-8, without a mark, and new names join it in UTF-8.
        // Asked only when a name is not ASCII: for ASCII names both readings are the same.
        text_ = Text::Oem;
        undecided_ = true;
    } else {
        const bool little = readIn_ == DescriptionCodePage::Utf16Le;
        const std::u16string units = Utf16Units(std::string_view(file_).substr(2), little);
        std::string utf8;
        AppendUtf8(utf8, units.data(), units.size());
        // Only text that comes back to the very same bytes is edited.
        if (file_.substr(0, 2) + Utf16Bytes(utf8, little) != file_)
            return false;
        file_ = std::move(utf8);
        text_ = Text::Utf8;
    }

    return true;
}

bool DescriptionEdit::ParseNext() {
    const std::string_view text = Working();
    std::size_t begin = 0;
    std::size_t end = 0;
    while (NextLine(text, &parsed_, &begin, &end)) {
        const DescriptionLine line = ParseDescriptionLine(text, begin, end);
        if (line.kind != DescriptionLine::Named || line.nameBegin == line.nameEnd)
            continue;
        // The hash waits for the table: a file renamed in its own order never needs one.
        entries_.push_back(
            Entry{0, static_cast<std::uint32_t>(begin), static_cast<std::uint32_t>(line.nameBegin),
                  static_cast<std::uint32_t>(line.nameEnd), static_cast<std::uint32_t>(line.tokenEnd),
                  static_cast<std::uint32_t>(end), false, false});
        return true;
    }
    return false;
}

DescriptionEdit::Entry* DescriptionEdit::NextEntry() {
    if (next_ == entries_.size() && !indexed_)
        ParseNext();
    return next_ < entries_.size() ? &entries_[next_] : nullptr;
}

void DescriptionEdit::Index() {
    while (ParseNext()) {
    }
    indexed_ = true;
    std::size_t size = 16;
    while (size < entries_.size() * 2)
        size *= 2;
    slots_.assign(size, 0);
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        Entry& entry = entries_[i];
        entry.hash = far::NameHash(NameOf(entry), true);
        const std::uint64_t tag = entry.hash >> 32;
        std::size_t at = static_cast<std::size_t>(entry.hash) & (size - 1);
        for (; slots_[at] != 0; at = (at + 1) & (size - 1)) {
            if (slots_[at] >> 32 == tag && entries_[(slots_[at] & 0xFFFFFFFFu) - 1].hash == entry.hash)
                entry.shadowed = true;
        }
        slots_[at] = tag << 32 | (i + 1);
    }
}

bool DescriptionEdit::Same(std::string_view a, std::string_view b, bool folded) const {
    return folded ? far::EqualIgnoringAsciiCase(a, b) : a == b;
}

DescriptionEdit::Entry* DescriptionEdit::Find(std::string_view key) {
    if (key.empty())
        return nullptr;
    // The line after the last one claimed, when it names the key exactly and no line before it
    // has its hash: every line before it is then claimed or of another name, so it is the one the
    // host reads (before the table is built, every line before it is claimed).
    if (Entry* next = NextEntry(); next && !next->claimed && !next->shadowed && NameOf(*next) == key)
        return next;
    if (!indexed_)
        Index();
    const std::uint64_t hash = far::NameHash(key, true);
    const std::uint64_t tag = hash >> 32;
    const std::size_t mask = slots_.size() - 1;
    // The exact spelling first, then another letter case: every host, far2l too, shows a line
    // of another letter case for a file that has none of its own.
    for (const bool folded : {false, true}) {
        for (std::size_t at = static_cast<std::size_t>(hash) & mask; slots_[at] != 0; at = (at + 1) & mask) {
            if (slots_[at] >> 32 != tag)
                continue;
            Entry& entry = entries_[(slots_[at] & 0xFFFFFFFFu) - 1];
            if (entry.hash == hash && !entry.claimed && Same(NameOf(entry), key, folded))
                return &entry;
        }
    }
    return nullptr;
}

void DescriptionEdit::Decide() {
    if (!undecided_)
        return;
    undecided_ = false;
    if (HasNonAscii(file_) && IsUtf8(file_))
        text_ = Text::Utf8;
}

// The line of a name in the host's text: as the host reads the file, or, in a file without a
// mark, by the name's own bytes (a line a UTF-8 tool wrote, which far2l itself cannot match).
DescriptionEdit::Entry* DescriptionEdit::FindLine(std::string_view name) {
    if (undecided_ && HasNonAscii(name))
        Decide();
    if (text_ == Text::Oem && oem_ && HasNonAscii(name) && oem_->Encode(name, &scratch_)) {
        if (Entry* entry = Find(scratch_))
            return entry;
    }
    return Find(name);
}

DescriptionEdit::Stored DescriptionEdit::Store(std::string_view hostText, std::string_view line) {
    Stored stored;
    stored.at = static_cast<std::uint32_t>(names_.size());
    if (undecided_ && HasNonAscii(hostText))
        Decide();
    if (text_ == Text::Oem && HasNonAscii(hostText)) {
        // A line that is UTF-8 as it stands keeps UTF-8 names.
        if (HasNonAscii(line) && IsUtf8(line)) {
            stored.utf8 = true;
        } else if (oem_ && oem_->Encode(hostText, &scratch_)) {
            hostText = scratch_;
        } else {
            // No place in the file's code page: the whole file becomes UTF-8, as FAR 3 does.
            stored.utf8 = true;
            switchToUtf8_ = true;
        }
    }
    names_.append(hostText);
    stored.size = static_cast<std::uint32_t>(hostText.size());
    return stored;
}

void DescriptionEdit::AddTarget(std::string_view newName, const Stored* written) {
    if (undecided_ && HasNonAscii(newName))
        Decide();
    const auto add = [&](std::string_view spelling, bool inOem) {
        targetInOem_.push_back(inOem);
        // Mostly the name just written for the line: its bytes serve again.
        if (written && std::string_view(names_).substr(written->at, written->size) == spelling) {
            targets_.push_back(*written);
            return;
        }
        targets_.push_back(Stored{static_cast<std::uint32_t>(names_.size()),
                                  static_cast<std::uint32_t>(spelling.size()), false});
        names_.append(spelling);
    };
    // In a file read in the OEM code page, by its OEM bytes and, as FindLine does, by its own.
    if (text_ == Text::Oem && oem_ && HasNonAscii(newName) && oem_->Encode(newName, &scratch_))
        add(scratch_, true);
    add(newName, false);
}

void DescriptionEdit::Renamed(std::string_view oldName, std::string_view newName,
                              const char* panelDescription) {
    Entry* entry = FindLine(oldName);
    if (!entry) {
        const std::string variant = DotVariant(oldName);
        if (!variant.empty())
            entry = FindLine(variant);
    }
    // One trailing dot goes: the host reads "name" and "name." as the same file.
    const std::string_view written =
        newName.size() > 1 && newName.back() == '.' ? newName.substr(0, newName.size() - 1) : newName;
    const Stored* stored = nullptr;
    if (entry) {
        entry->claimed = true;
        next_ = static_cast<std::size_t>(entry - entries_.data()) + 1;
        const std::string_view line = Working().substr(entry->lineBegin, entry->lineEnd - entry->lineBegin);
        claims_.push_back(Claim{entry->lineBegin, entry->tokenEnd, Store(written, line)});
        stored = &claims_.back().name;
    } else if (panelDescription && panelDescription[0] != '\0') {
        Added added;
        added.name = Store(written, std::string_view());
        added.description = Store(panelDescription, std::string_view());
        added_.push_back(added);
        stored = &added_.back().name;
    }
    // On Windows the file itself loses that dot, so lines of the name without it are the stale
    // ones; on far2l's file systems "name." is a name of its own, and "name" another file's.
    const std::string_view target = host_ != HostText::Utf8 ? written : newName;
    AddTarget(target, stored);
    renameEvents_.push_back(far::NameHash(oldName, false) & ~std::uint64_t{1});
    renameEvents_.push_back(far::NameHash(target, false) | 1);
    lastEvents_.clear();
    settled_ = false;
}

std::size_t DescriptionEdit::RecordEnd(const Entry& entry) const {
    const std::string_view text = Working();
    std::size_t pos = entry.lineBegin;
    std::size_t begin = 0;
    std::size_t end = 0;
    NextLine(text, &pos, &begin, &end);
    std::size_t recordEnd = std::min(pos, text.size());
    // Continuation lines belong to it, also after an empty line; empty lines after its last stay.
    while (NextLine(text, &pos, &begin, &end)) {
        const DescriptionLine line = ParseDescriptionLine(text, begin, end);
        if (line.kind == DescriptionLine::Named)
            break;
        if (line.kind == DescriptionLine::Continuation)
            recordEnd = std::min(pos, text.size());
    }
    return recordEnd;
}

void DescriptionEdit::Settle() {
    if (settled_)
        return;
    settled_ = true;
    stale_.clear();
    // Lines no rename reached are read now; a file renamed in its own order has claimed them all
    // by the end, and then nothing more is done.
    while (!indexed_ && ParseNext()) {
    }
    if (std::all_of(entries_.begin(), entries_.end(), [](const Entry& e) { return e.claimed; }))
        return;
    // The lines nobody claimed, in file order, against a small table of the new names (not the
    // lines' table, which a look-up of each new name would miss the cache in): by first byte and
    // length before any hash, so that lines of other names cost no hash.
    const std::string_view stored(names_);
    const auto spelling = [&](const Stored& target) { return stored.substr(target.at, target.size); };
    // Names are filed without letter case: a line in another case is stale too, unless it is
    // another file's.
    const auto firstByte = [](std::string_view name) {
        const char c = name[0];
        return static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    };
    std::vector<std::uint64_t> filter(256, 0);
    std::size_t size = 16;
    while (size < targets_.size() * 2)
        size *= 2;
    std::vector<std::uint32_t> table(size, 0);
    const std::size_t mask = size - 1;
    for (std::size_t t = 0; t < targets_.size(); ++t) {
        const std::string_view name = spelling(targets_[t]);
        if (name.empty())
            continue;
        filter[firstByte(name)] |= 1ull << (name.size() & 63);
        std::size_t at = static_cast<std::size_t>(far::NameHash(name, true)) & mask;
        while (table[at] != 0)
            at = (at + 1) & mask;
        table[at] = static_cast<std::uint32_t>(t + 1);
    }
    for (const Entry& entry : entries_) {
        const std::string_view name = NameOf(entry);
        if (entry.claimed || (filter[firstByte(name)] >> (name.size() & 63) & 1) == 0)
            continue;
        bool stale = false;
        for (std::size_t at = static_cast<std::size_t>(far::NameHash(name, true)) & mask;
             table[at] != 0 && !stale; at = (at + 1) & mask) {
            const std::size_t t = table[at] - 1;
            const std::string_view target = spelling(targets_[t]);
            if (target == name) {
                stale = true;
            } else if (far::EqualIgnoringAsciiCase(target, name)) {
                // Read as the host reads the line: in the OEM code page where the target that
                // matched it is spelled so.
                stale = !OtherFileNamed(name, targetInOem_[t], target, targetInOem_[t]);
            }
        }
        if (stale)
            stale_.push_back(Cut{entry.lineBegin, static_cast<std::uint32_t>(RecordEnd(entry))});
    }
}

std::string DescriptionEdit::HostSpelling(std::string_view name, bool inOem) const {
    std::string text;
    if (inOem && oem_)
        oem_->Decode(name, &text);
    else
        text.assign(name);
    return text;
}

bool DescriptionEdit::OtherFileNamed(std::string_view lineName, bool inOem, std::string_view target,
                                     bool targetInOem) {
    if (!otherFile_)
        return true;
    const std::string name = HostSpelling(lineName, inOem);
    // The batch's last word on the name, if it renamed a file from or to it: gathered by the
    // first such line, for all of them.
    if (lastEvents_.empty() && !renameEvents_.empty()) {
        lastEvents_.reserve(renameEvents_.size());
        for (const std::uint64_t event : renameEvents_)
            lastEvents_[event & ~std::uint64_t{1}] = (event & 1) != 0;
    }
    if (const auto last = lastEvents_.find(far::NameHash(name, false) & ~std::uint64_t{1});
        last != lastEvents_.end())
        return last->second;
    return otherFile_(name, HostSpelling(target, targetInOem));
}

bool DescriptionEdit::Changed() {
    Settle();
    return !claims_.empty() || !added_.empty() || !stale_.empty();
}

// The new file on its way out: small appends gather in a buffer handed over once it holds a
// piece; long stretches of the old file go straight through.
class DescriptionEdit::Output {
public:
    static constexpr std::size_t kPiece = 64 * 1024;

    Output(const std::function<void(std::string_view)>& write, DescriptionCodePage codePage)
        : write_(write),
          utf16_(codePage == DescriptionCodePage::Utf16Le || codePage == DescriptionCodePage::Utf16Be),
          little_(codePage == DescriptionCodePage::Utf16Le) {
        buffer_.reserve(kPiece + 4096);
    }
    // For text made in place (a name, a line converted); Appended() once it is there.
    std::string& Buffer() { return buffer_; }
    void Appended() {
        if (buffer_.size() >= kPiece)
            Flush();
    }
    void Append(std::string_view text) {
        if (text.size() < kPiece || utf16_) {
            buffer_.append(text);
            Appended();
            return;
        }
        Flush();
        write_(text);
    }
    void Flush() {
        if (buffer_.empty())
            return;
        if (utf16_) {
            // Every piece ends between two characters, so each converts on its own.
            const std::string bytes = Utf16Bytes(buffer_, little_);
            write_(bytes);
        } else {
            write_(buffer_);
        }
        buffer_.clear();
    }

private:
    const std::function<void(std::string_view)>& write_;
    bool utf16_;
    bool little_;
    std::string buffer_;
};

void DescriptionEdit::AppendStored(std::string& out, const Stored& stored) const {
    const std::string_view bytes = std::string_view(names_).substr(stored.at, stored.size);
    if (switchToUtf8_ && !stored.utf8 && oem_)
        oem_->Decode(bytes, &out);
    else
        out.append(bytes);
}

void DescriptionEdit::AppendToken(Output& out, const Stored& name) const {
    const std::string_view bytes = std::string_view(names_).substr(name.at, name.size);
    // Quoted when a blank would end it; the host reads the quotes away.
    const bool quoted = bytes.find_first_of(" \t") != std::string_view::npos;
    std::string& buffer = out.Buffer();
    if (quoted)
        buffer.push_back('"');
    AppendStored(buffer, name);
    if (quoted)
        buffer.push_back('"');
    out.Appended();
}

void DescriptionEdit::AppendText(Output& out, std::string_view text) const {
    if (!switchToUtf8_) {
        out.Append(text);
        return;
    }
    // Each line as the host read it: in UTF-8 when it is UTF-8 as it stands, else in OEM; some
    // lines at a time, so that the buffer stays a piece.
    while (!text.empty()) {
        std::size_t end = std::min(text.size(), Output::kPiece);
        if (end < text.size()) {
            const std::size_t lineEnd = text.find('\n', end - 1);
            end = lineEnd == std::string_view::npos ? text.size() : lineEnd + 1;
        }
        AppendLinesInUtf8(oem_, text.substr(0, end), &out.Buffer());
        out.Appended();
        text.remove_prefix(end);
    }
}

void DescriptionEdit::Render(const std::function<void(std::string_view)>& write) {
    Settle();
    const std::string_view text = Working();
    Output out(write, readIn_);
    if (readIn_ == DescriptionCodePage::Utf16Le)
        write("\xFF\xFE");
    else if (readIn_ == DescriptionCodePage::Utf16Be)
        write("\xFE\xFF");
    else if (readIn_ == DescriptionCodePage::Utf8 || switchToUtf8_)
        out.Append(kUtf8Mark);

    std::vector<const Claim*> inFileOrder;
    inFileOrder.reserve(claims_.size());
    for (const Claim& claim : claims_)
        inFileOrder.push_back(&claim);
    // Files are mostly renamed in the order their lines stand in.
    const auto byLine = [](const Claim* a, const Claim* b) { return a->lineBegin < b->lineBegin; };
    if (!std::is_sorted(inFileOrder.begin(), inFileOrder.end(), byLine))
        std::sort(inFileOrder.begin(), inFileOrder.end(), byLine);
    std::size_t copied = 0;
    bool lineOpen = false;  // the output so far ends inside a line
    // A moved line keeps its place; a stale line goes with its continuation lines.
    auto stale = stale_.begin();
    const auto cutStale = [&](std::size_t before) {
        for (; stale != stale_.end() && stale->begin < before; ++stale) {
            AppendText(out, text.substr(copied, stale->begin - copied));
            copied = stale->end;
            lineOpen = false;
        }
    };
    for (const Claim* claim : inFileOrder) {
        cutStale(claim->lineBegin);
        AppendText(out, text.substr(copied, claim->lineBegin - copied));
        AppendToken(out, claim->name);
        lineOpen = true;
        copied = claim->tokenEnd;
        // A quoted name may have had its description right after the closing quote.
        if (copied < text.size() && !IsDescriptionBlank(text[copied]) && text[copied] != '\r' &&
            text[copied] != '\n')
            out.Append(" ");
    }
    cutStale(text.size());
    AppendText(out, text.substr(copied));
    if (copied < text.size())
        lineOpen = text.back() != '\n';

    if (!added_.empty() && lineOpen)
        out.Append("\r\n");
    for (const Added& added : added_) {
        AppendToken(out, added.name);
        std::string& buffer = out.Buffer();
        buffer.push_back(' ');
        AppendStored(buffer, added.description);
        buffer.append("\r\n");
        out.Appended();
    }
    out.Flush();
}

std::string DescriptionEdit::Render() {
    std::string whole;
    Render([&whole](std::string_view piece) { whole.append(piece); });
    return whole;
}

}  // namespace velmora
