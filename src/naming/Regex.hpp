// Regular expressions in ECMAScript syntax over code points, matched by a backtracking search that
// remembers every (state, position) it has seen fail: ECMAScript's order of choices, yet each
// state is tried at most once per position, so time grows with the pattern's cost times the name's
// length and never explodes on "(a*)*b". What would break that memory (backreferences,
// lookaround) is refused when the pattern is compiled.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
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

// The most a compiled pattern may cost: its states (an instruction once for every combination of
// the empty-matching loops it lies in), a state that forgets a repeated group's captures weighing
// more for each. A search visits each state at most twice per character of the text, so this
// bounds every pattern's time and memory per name.
constexpr std::size_t kMaxRegexCost = 4000;

// The character two characters have in common, by the host's letter case, when they are the same
// but for case (plain find without case): the lower case of the upper case, so that "ς", "σ" and
// "Σ" meet. A character beyond ASCII never folds into ASCII (the Kelvin sign is no "k"); a raw
// byte folds to itself. A regular expression compares by ECMAScript's rules instead.
char32_t FoldCase(const CaseMapping& cases, char32_t c);

class Regex {
public:
    // Compiles a pattern; false with *error when it is not valid or not supported, or when its
    // cost (see kMaxRegexCost) would be too high. With ignoreCase, letters compare as ECMAScript's
    // do without the "u" flag: by their upper case, when that is one character of the basic plane
    // and not ASCII unless the letter is; a character beyond the basic plane has no case.
    static bool Compile(std::u32string_view pattern, bool ignoreCase, Regex* out, RegexError* error);

    // Capturing groups in the pattern (not counting the whole match).
    std::size_t GroupCount() const { return groups_; }

    // The leftmost match that starts at or after `from`, with ECMAScript's choice among the
    // matches there. On success (*slots)[2k], (*slots)[2k+1] delimit group k (0 = the whole
    // match), kNoPosition for a group that took no part. `again`: the text is the one of the last
    // search, unchanged, and `from` is at or after that search's match: what the last search
    // learnt about the text still holds, so a global replace costs no more than one search. Not
    // safe to call from two threads at once.
    bool Search(std::u32string_view text, std::size_t from, std::vector<std::size_t>* slots,
                bool again = false) const;

    static constexpr std::size_t kNoPosition = static_cast<std::size_t>(-1);

    struct Instruction {
        std::uint8_t op;
        std::uint32_t a;
        std::uint32_t b;
        // The optional iterations this instruction lies within that can match nothing: their
        // slots in loopSlots_[loops..loops+loopCount). Whether each began at the current position
        // is all that tells two visits here apart, so each combination is a state of its own.
        std::uint32_t loops = 0;
        std::uint32_t loopCount = 0;
        std::uint32_t markBase = 0;
    };
    struct CharClass {
        // Sorted, disjoint, inclusive; ignoring case, the canonical forms of the members as well.
        std::vector<std::pair<char32_t, char32_t>> ranges;
        std::uint64_t ascii[2] = {0, 0};  // the same for ASCII text, case folded in
        bool negated = false;
    };

private:
    struct Frame {
        std::uint32_t pc;     // the instruction to explore, or (kRestore set) the slot to restore
        std::uint32_t value;  // the position to explore at, or the value to restore
    };
    bool ClassMatches(const CharClass& set, char32_t c) const;
    bool Reset(std::u32string_view text) const;
    bool Run(std::uint32_t start) const;
    std::uint64_t* Row(std::uint32_t position) const;

    std::vector<Instruction> program_;
    std::vector<CharClass> classes_;
    std::vector<std::uint32_t> loopSlots_;
    std::size_t stateCount_ = 0;  // instructions, each once per combination of its loops
    std::size_t groups_ = 0;
    std::size_t slotCount_ = 0;  // captures, then one per loop that checks for empty iterations
    bool ignoreCase_ = false;

    // The matcher's working memory, kept between searches so a batch allocates it once. A state
    // (instruction and loops) at a position is visited once per text: once its search failed from
    // there, every later one fails too, whichever start or search got there.
    mutable std::vector<std::uint64_t> visited_;   // a row of rowWords_ per position of the text
    mutable std::vector<std::uint32_t> rowStamp_;  // a row is valid when its stamp is stamp_
    mutable std::uint32_t stamp_ = 0;
    mutable std::size_t rowWords_ = 0;
    mutable std::u32string_view text_;
    mutable std::u32string folded_;  // ignoring case: the text's canonical forms
    mutable const char32_t* compare_ = nullptr;
    mutable std::vector<std::uint32_t> slots_;
    mutable std::vector<Frame> stack_;
    mutable std::size_t lastEnd_ = 0;
};

}  // namespace velmora
