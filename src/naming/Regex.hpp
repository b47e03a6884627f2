// Regular expressions in ECMAScript syntax over code points, matched by a Pike machine: every
// alternative advances in step over the text, so time grows with pattern size times name length
// and never explodes the way a backtracking matcher does on "(a*)*b". What needs backtracking by
// nature (backreferences, lookaround) is refused when the pattern is compiled.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/LetterCase.hpp"

namespace velmora {

// Why a pattern does not compile. The caller turns the kind into the user's language.
enum class RegexErrorKind {
    UnmatchedParenthesis,  // "(" without ")" or ")" without "("
    UnmatchedBracket,      // "[" without "]"
    NothingToRepeat,       // a quantifier after nothing, an assertion or another quantifier
    BadRange,              // a class range whose ends are out of order, as "[z-a]"
    BadEscape,             // an escape this syntax does not define, or "\x"/"\u" without digits
    TrailingBackslash,     // the pattern ends with "\"
    BadRepeatCount,        // "{n,m}" with m < n
    BadGroup,              // "(?" followed by something other than ":", "=", "!" or "<"
    NotSupported,          // backreferences, lookahead, lookbehind, named groups, \p
    TooComplex,            // the compiled program (counted repeats unrolled) or nesting too large
};
struct RegexError {
    RegexErrorKind kind;
    std::size_t offset;  // in characters of the pattern, 0-based
};
// The kind's name, for tests and traces ("UnmatchedParenthesis").
const char* RegexErrorName(RegexErrorKind kind);

// Code points at and above this stand for bytes of a name that are not valid text (the byte's
// value added): they match only "." and negated classes, and no case applies to them.
constexpr char32_t kRawByteBase = 0x110000;

// The largest compiled program accepted, in instructions.
constexpr std::size_t kMaxRegexProgram = 20000;

// The character two characters have in common when they are the same but for case: the lower
// case of the upper case, so that "ς", "σ" and "Σ" meet. A character beyond ASCII never folds into
// ASCII (as in ECMAScript: the Kelvin sign is no "k"); a raw byte folds to itself.
char32_t FoldCase(const CaseMapping& cases, char32_t c);

class Regex {
public:
    // Compiles a pattern; false with *error when it is not valid or not supported. With
    // ignoreCase, `cases` (which must outlive the Regex) folds pattern and text alike.
    static bool Compile(std::u32string_view pattern, bool ignoreCase, const CaseMapping& cases, Regex* out,
                        RegexError* error);

    // Capturing groups in the pattern (not counting the whole match).
    std::size_t GroupCount() const { return groups_; }

    // The leftmost match that starts at or after `from`, with ECMAScript's choice among the
    // matches there. On success (*slots)[2k], (*slots)[2k+1] delimit group k (0 = the whole
    // match), kNoPosition for a group that took no part. Not safe to call from two threads at once.
    bool Search(std::u32string_view text, std::size_t from, std::vector<std::size_t>* slots) const;

    static constexpr std::size_t kNoPosition = static_cast<std::size_t>(-1);

    struct Instruction {
        std::uint8_t op;
        std::uint32_t a;
        std::uint32_t b;
        // The optional iterations this instruction lies within that can match nothing: their
        // slots in loopSlots_[loops..loops+loopCount). Whether each began at the current position
        // is all that tells two threads here apart, so each combination has its own mark.
        std::uint32_t loops = 0;
        std::uint32_t loopCount = 0;
        std::uint32_t markBase = 0;
    };
    struct CharClass {
        std::vector<std::pair<char32_t, char32_t>> ranges;  // sorted, disjoint, inclusive
        std::uint64_t ascii[2] = {0, 0};                    // the same for ASCII, case folded in
        bool negated = false;
    };

private:
    char32_t Fold(char32_t c) const;
    bool ClassMatches(const CharClass& set, char32_t c) const;
    bool AddThread(std::uint32_t pc, std::size_t position, std::u32string_view text, bool toNext) const;

    std::vector<Instruction> program_;
    std::vector<CharClass> classes_;
    std::vector<std::uint32_t> loopSlots_;
    std::size_t markCount_ = 0;
    std::size_t groups_ = 0;
    std::size_t slotCount_ = 0;  // captures, then one per loop that checks for empty iterations
    bool ignoreCase_ = false;
    const CaseMapping* cases_ = nullptr;

    // The machine's working lists, kept between searches so a batch allocates them once.
    struct ThreadList {
        std::vector<std::uint32_t> pcs;
        std::vector<std::size_t> slots;  // slotCount_ per thread
        std::size_t count = 0;
    };
    struct Frame {
        std::uint32_t pc;  // the instruction to explore, or the slot to restore
        bool restore;
        std::size_t value;  // the value to restore
    };
    mutable ThreadList lists_[2];
    mutable std::vector<std::uint32_t> marks_;  // generation at which each state was queued
    mutable std::uint32_t generation_ = 0;
    mutable std::vector<std::size_t> scratch_;
    mutable std::vector<Frame> stack_;
    mutable std::size_t current_ = 0;
};

}  // namespace velmora
