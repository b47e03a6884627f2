// The name template language: "%F" name, "%N" base, "%E" extension, "%#" decimal counter,
// "%h"/"%H" hexadecimal counter, "%T" total, "%%" a percent sign; and the braced tokens
// "%{word}" / "%{word:argument}": the file's dates, the batch's start, the folder, pieces of the
// name. Text work: the one question asked outside is a photo's date taken, of a DateTakenSource.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "naming/FileDates.hpp"
#include "naming/HostText.hpp"

namespace velmora {

// An expanded name is cut to this many characters.
constexpr std::size_t kMaxExpandedLength = 260;
// Position value meaning "not found".
constexpr std::size_t kNone = std::string_view::npos;

// First / last occurrence of a character, or kNone.
std::size_t FindChar(std::string_view text, char c);
std::size_t FindLastChar(std::string_view text, char c);

// Appends at most size - 1 characters of source (lstrcpyn semantics); size 0 appends nothing.
void AppendBounded(std::string& destination, std::string_view source, std::size_t size);

std::string FormatDecimal(std::uint32_t value);
// Lower- or upper-case hexadecimal, zero-filled to width, never cut.
std::string FormatHex(std::uint32_t value, bool upperCase, int width);
// Zero-fills decimal digits to the bound's digit count, capped at 7.
std::string PadDecimal(const std::string& digits, std::uint32_t bound);

// Text after the last ".", or empty.
std::string_view GetExtension(std::string_view name);
// The name without "." and extension; whole when the extension is empty.
std::string GetBaseName(std::string_view name);

// The start value of a start-number text: its decimal value modulo 2^32, or 0 when empty or
// when any character is not a digit.
std::uint32_t StartValue(std::string_view startNumber);

// The number whose digit count sets the counters' zero padding for a batch.
std::uint32_t CounterWidthBound(std::string_view startNumber, std::uint32_t start,
                                std::uint32_t selectedCount);

// The numbers a batch's counters follow: the item at index i counts start + i, and "%T" prints
// total; bound sets the zero padding (CounterWidthBound, or 0 for none).
struct CounterParameters {
    std::uint32_t start = 0;
    std::uint32_t total = 0;
    std::uint32_t bound = 0;
    bool withoutZero = false;
};

// The counters of a batch of `count` items from the dialog's start number and zero switch, as
// the run follows them.
CounterParameters BatchCounter(std::string_view startNumber, bool withoutZero, std::uint32_t count);

// What is wrong with a braced token.
enum class TokenProblem { UnknownToken, UnclosedBrace, BadFormat, BadRange, BadDup, NoArgument };

struct TemplateError {
    TokenProblem problem = TokenProblem::UnknownToken;
    std::size_t offset = 0;  // of the token's "%", in the host's characters, from 0
    std::string token;       // the token as written (an unclosed one: the rest of the template)
};

// One braced token, parsed.
struct BracedToken {
    enum class Kind {
        Modified,
        Created,
        Taken,
        Now,
        Folder,
        BaseName,
        WholeName,
        Extension,
        Dup,
        Make,
        Model
    };
    Kind kind = Kind::Folder;
    // A date's: fields YYYY YY MM DD hh mm ss fff, every other character copied. A dup's: its
    // text, the number in place of each "#".
    std::string format;
    // A range's characters, counted from 1; a negative one from the end (-1 the last).
    int from = 1;
    int to = 1;
    bool toEnd = false;  // "a-": from `from` to the end
};

// A template's braced tokens in order, parsed once a batch: expanding a name then only looks
// them up.
class TemplateTokens {
public:
    // Parses the template's braced tokens, counting characters as the host's text does; false
    // with *error (and no tokens) at the first one that is refused.
    bool Parse(std::string_view nameTemplate, LengthUnit unit, TemplateError* error);
    const std::vector<BracedToken>& List() const { return tokens_; }
    bool Reads(BracedToken::Kind kind) const;

private:
    std::vector<BracedToken> tokens_;
};

// What a batch's braced tokens read besides the item's name: set once a batch, but for the item's
// times, set before each expansion.
struct TokenFacts {
    const TemplateTokens* tokens = nullptr;
    CivilTime now;                     // the batch's start
    std::string folder;                // the panel folder's name, "" at a root
    DateTakenSource* taken = nullptr;  // none: every date taken is the modified time
    std::uint64_t writeTime = 0;       // the item's, FILETIME ticks as its panel lists them
    std::uint64_t creationTime = 0;
    // The number the dup token gives this expansion; 0 gives nothing (the first file of a name).
    std::uint32_t dup = 0;
    // Set by an expansion: its taken token found the file's date taken (not the modified time).
    bool usedTaken = false;
    // Room a token's text is made in, reused from item to item.
    std::string piece;
};

// The folder's own name in a path as the host gives it: its last component, "" at a root ("/",
// "C:\").
std::string FolderName(std::string_view directory);

// The local time of FILETIME ticks as the panel shows it, milliseconds included; 1601-01-01
// 00:00:00 when the system cannot say.
CivilTime LocalCivilTime(std::uint64_t ticks);

// Appends a date in a format (fields YYYY YY MM DD hh mm ss fff; every other character copied).
void AppendDate(std::string& out, std::string_view format, const CivilTime& time);

// A maker's or model's text as a name may hold it: each character no name may have here becomes "_".
void AppendNameSafe(std::string& out, std::string_view text);

// Expands a template for the item at index of its batch. A null template (as opposed to an empty
// one) gives "".
std::string ExpandTemplate(const char* nameTemplate, std::string_view itemName, std::uint32_t index,
                           const CounterParameters& counter, LengthUnit unit = LengthUnit::Byte);
// The same without the cut, for steps that come between the template and the cut. Braced tokens
// expand only with facts (whose tokens are the template's, parsed); without, "%{" is no token.
void ExpandTemplateUncut(std::string& result, const char* nameTemplate, std::string_view itemName,
                         std::uint32_t index, const CounterParameters& counter, LengthUnit unit,
                         TokenFacts* facts = nullptr);
// Cuts a name to kMaxExpandedLength in the unit, as an expansion is cut: never inside a UTF-8
// character.
void CutExpandedName(std::string& name, LengthUnit unit);
// The same, into a caller's buffer (emptied first): a run over many items reuses one buffer and so
// allocates nothing per item.
void ExpandTemplateInto(std::string& result, const char* nameTemplate, std::string_view itemName,
                        std::uint32_t index, const CounterParameters& counter,
                        LengthUnit unit = LengthUnit::Byte, TokenFacts* facts = nullptr);

}  // namespace velmora
