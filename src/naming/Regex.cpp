#include "naming/Regex.hpp"

#include <algorithm>
#include <limits>

namespace velmora {
namespace {

enum Op : std::uint8_t {
    kChar,    // a: the character (its canonical form when ignoring case)
    kAny,     // any character but a line terminator
    kClass,   // a: the class
    kSplit,   // go to a, and with lower priority to b
    kJump,    // a: the target
    kSave,    // a: the slot that takes the position
    kClear,   // slots a..b-1 back to "no part": a repeated group starts each iteration afresh
    kEnter,   // a: the slot that notes where an optional iteration starts
    kCheck,   // a: that slot; a path whose optional iteration matched nothing ends here
    kAssert,  // a: the Assertion
    kMatch,
};

enum Assertion : std::uint32_t { kBegin, kEnd, kWordBoundary, kNotWordBoundary };

constexpr std::uint32_t kUnbounded = std::numeric_limits<std::uint32_t>::max();
// Beyond this a repeat count only makes the program too large anyway.
constexpr std::uint32_t kCountCap = 1000000;
// Parentheses nested deeper than this would take the parser's stack too far on a small thread.
constexpr int kMaxNesting = 100;
// Optional iterations that can match nothing, nested in one another, and the states the machine
// tells apart for them: each level doubles the states of what lies inside.
constexpr std::size_t kMaxOpenLoops = 10;
// A text longer than this has positions the matcher's 32-bit frames cannot hold.
constexpr std::size_t kMaxText = 0x7FFFFFFF;
constexpr std::uint32_t kNone = 0xFFFFFFFF;
constexpr std::uint32_t kRestore = 0x80000000;
// Resetting this many slots costs about what visiting one state does.
constexpr std::uint32_t kClearSlotsPerState = 8;

// The characters of the basic plane that a case-blind comparison takes as another one.
struct CaseRun {
    char16_t first;
    char16_t last;
    std::uint8_t stride;
    std::int32_t delta;
};
constexpr CaseRun kCaseRuns[] = {
#include "naming/RegexCaseTable.inc"
};

// ECMAScript's Canonicalize without "u": the one-unit upper case, never from beyond ASCII into it.
// Beyond the basic plane a character is two surrogates there, which have no case; a raw byte has
// none either.
char32_t Canonical(char32_t c) {
    if (c < 0x80)
        return c >= 'a' && c <= 'z' ? c - 0x20 : c;
    if (c > 0xFFFF)
        return c;
    const CaseRun* run = std::lower_bound(std::begin(kCaseRuns), std::end(kCaseRuns), c,
                                          [](const CaseRun& r, char32_t value) { return r.last < value; });
    if (run == std::end(kCaseRuns) || c < run->first || (c - run->first) % run->stride != 0)
        return c;
    return static_cast<char32_t>(static_cast<std::int32_t>(c) + run->delta);
}

bool IsLineTerminator(char32_t c) {
    return c == '\n' || c == '\r' || c == 0x2028 || c == 0x2029;
}

bool IsWordCharacter(char32_t c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

using Ranges = std::vector<std::pair<char32_t, char32_t>>;

void AddDigits(Ranges* r) {
    r->push_back({'0', '9'});
}
void AddWord(Ranges* r) {
    r->insert(r->end(), {{'0', '9'}, {'A', 'Z'}, {'_', '_'}, {'a', 'z'}});
}
void AddSpace(Ranges* r) {
    r->insert(r->end(), {{0x09, 0x0D},
                         {0x20, 0x20},
                         {0xA0, 0xA0},
                         {0x1680, 0x1680},
                         {0x2000, 0x200A},
                         {0x2028, 0x2029},
                         {0x202F, 0x202F},
                         {0x205F, 0x205F},
                         {0x3000, 0x3000},
                         {0xFEFF, 0xFEFF}});
}

void Normalize(Ranges* r) {
    std::sort(r->begin(), r->end());
    std::size_t out = 0;
    for (const auto& range : *r) {
        if (out > 0 && range.first <= (*r)[out - 1].second + 1)
            (*r)[out - 1].second = std::max((*r)[out - 1].second, range.second);
        else
            (*r)[out++] = range;
    }
    r->resize(out);
}

// Everything the ranges leave out, up to the raw bytes' stand-ins.
Ranges Complement(Ranges r) {
    Normalize(&r);
    Ranges out;
    char32_t next = 0;
    for (const auto& range : r) {
        if (range.first > next)
            out.push_back({next, range.first - 1});
        next = range.second + 1;
    }
    out.push_back({next, kRawByteBase + 0xFF});
    return out;
}

bool InRanges(const Ranges& r, char32_t c) {
    auto it = std::upper_bound(
        r.begin(), r.end(), c,
        [](char32_t value, const std::pair<char32_t, char32_t>& range) { return value < range.first; });
    return it != r.begin() && c <= (it - 1)->second;
}

struct Node {
    enum Kind : std::uint8_t {
        kEmpty,
        kCharacter,
        kAnyCharacter,
        kClassSet,
        kGroup,
        kConcat,
        kAlternate,
        kRepeat,
        kAssertion
    };
    Kind kind = kEmpty;
    char32_t ch = 0;
    std::uint32_t index = 0;  // class, group number or assertion
    std::uint32_t min = 0;
    std::uint32_t max = 0;
    bool greedy = true;
    std::uint32_t firstGroup = 0;  // groups inside a repeat: [firstGroup, endGroup)
    std::uint32_t endGroup = 0;
    std::size_t offset = 0;
    std::vector<int> children;
};

class Parser {
public:
    Parser(std::u32string_view pattern, std::vector<Regex::CharClass>* classes)
        : text_(pattern), classes_(classes) {}

    bool Parse(std::vector<Node>* nodes, int* root, std::uint32_t* groups, RegexError* error) {
        nodes_ = nodes;
        *root = Disjunction(0);
        if (!failed_ && pos_ < text_.size())  // only a ")" stops the top level early
            Fail(RegexErrorKind::UnmatchedParenthesis, pos_);
        if (failed_) {
            *error = error_;
            return false;
        }
        *groups = groups_;
        return true;
    }

private:
    bool AtEnd() const { return pos_ >= text_.size(); }
    char32_t Peek(std::size_t ahead = 0) const {
        return pos_ + ahead < text_.size() ? text_[pos_ + ahead] : 0;
    }
    bool Has(std::size_t ahead) const { return pos_ + ahead < text_.size(); }

    void Fail(RegexErrorKind kind, std::size_t offset) {
        if (!failed_) {
            failed_ = true;
            error_ = {kind, offset};
        }
    }

    int Add(Node node) {
        nodes_->push_back(std::move(node));
        return static_cast<int>(nodes_->size() - 1);
    }

    int Disjunction(int depth) {
        Node alternate;
        alternate.kind = Node::kAlternate;
        alternate.offset = pos_;
        alternate.children.push_back(Alternative(depth));
        while (!failed_ && Peek() == '|' && !AtEnd()) {
            ++pos_;
            alternate.children.push_back(Alternative(depth));
        }
        if (alternate.children.size() == 1)
            return alternate.children[0];
        return Add(std::move(alternate));
    }

    int Alternative(int depth) {
        Node concat;
        concat.kind = Node::kConcat;
        concat.offset = pos_;
        while (!failed_ && !AtEnd() && Peek() != '|' && Peek() != ')') {
            const int term = Term(depth);
            if (term >= 0)
                concat.children.push_back(term);
        }
        return Add(std::move(concat));
    }

    // Reads "{n}", "{n,}" or "{n,m}" at the position; false (nothing read) when it is not one.
    bool BracedCount(std::uint32_t* min, std::uint32_t* max) {
        std::size_t at = pos_ + 1;
        const auto number = [&](std::uint32_t* value) {
            const std::size_t start = at;
            std::uint64_t v = 0;
            while (at < text_.size() && text_[at] >= '0' && text_[at] <= '9') {
                v = std::min<std::uint64_t>(v * 10 + (text_[at] - '0'), kCountCap);
                ++at;
            }
            *value = static_cast<std::uint32_t>(v);
            return at > start;
        };
        if (!number(min))
            return false;
        *max = *min;
        if (at < text_.size() && text_[at] == ',') {
            ++at;
            if (!number(max))
                *max = kUnbounded;
        }
        if (at >= text_.size() || text_[at] != '}')
            return false;
        pos_ = at + 1;
        return true;
    }

    bool AtQuantifier() {
        const char32_t c = Peek();
        if (c == '*' || c == '+' || c == '?')
            return true;
        if (c != '{')
            return false;
        const std::size_t saved = pos_;
        std::uint32_t min = 0, max = 0;
        const bool braced = BracedCount(&min, &max);
        pos_ = saved;
        return braced;
    }

    int Term(int depth) {
        const std::size_t start = pos_;
        const char32_t c = Peek();
        if (c == '^' || c == '$') {
            ++pos_;
            return Unquantified(Assert(c == '^' ? kBegin : kEnd, start));
        }
        if (c == '\\' && (Peek(1) == 'b' || Peek(1) == 'B') && Has(1)) {
            pos_ += 2;
            return Unquantified(Assert(text_[start + 1] == 'b' ? kWordBoundary : kNotWordBoundary, start));
        }
        if (AtQuantifier()) {
            Fail(RegexErrorKind::NothingToRepeat, start);
            return -1;
        }
        const std::uint32_t groupsBefore = groups_;
        const int atom = Atom(depth);
        if (failed_)
            return -1;
        if (!AtQuantifier())
            return atom;
        const std::size_t quantifierAt = pos_;
        Node repeat;
        repeat.kind = Node::kRepeat;
        repeat.offset = quantifierAt;
        repeat.firstGroup = groupsBefore + 1;
        repeat.endGroup = groups_ + 1;
        switch (Peek()) {
            case '*':
                repeat.min = 0, repeat.max = kUnbounded, ++pos_;
                break;
            case '+':
                repeat.min = 1, repeat.max = kUnbounded, ++pos_;
                break;
            case '?':
                repeat.min = 0, repeat.max = 1, ++pos_;
                break;
            default:
                BracedCount(&repeat.min, &repeat.max);
                if (repeat.max < repeat.min) {
                    Fail(RegexErrorKind::BadRepeatCount, quantifierAt);
                    return -1;
                }
        }
        if (Peek() == '?' && !AtEnd()) {
            repeat.greedy = false;
            ++pos_;
        }
        if (AtQuantifier()) {
            Fail(RegexErrorKind::NothingToRepeat, pos_);
            return -1;
        }
        repeat.children.push_back(atom);
        return Add(std::move(repeat));
    }

    // An assertion takes no quantifier.
    int Unquantified(int node) {
        if (!failed_ && AtQuantifier())
            Fail(RegexErrorKind::NothingToRepeat, pos_);
        return node;
    }

    int Assert(Assertion kind, std::size_t offset) {
        Node node;
        node.kind = Node::kAssertion;
        node.index = kind;
        node.offset = offset;
        return Add(std::move(node));
    }

    int Character(char32_t c, std::size_t offset) {
        Node node;
        node.kind = Node::kCharacter;
        node.ch = c;
        node.offset = offset;
        return Add(std::move(node));
    }

    int ClassNode(Ranges ranges, bool negated, std::size_t offset) {
        Normalize(&ranges);
        Regex::CharClass set;
        set.ranges = std::move(ranges);
        set.negated = negated;
        classes_->push_back(std::move(set));
        Node node;
        node.kind = Node::kClassSet;
        node.index = static_cast<std::uint32_t>(classes_->size() - 1);
        node.offset = offset;
        return Add(std::move(node));
    }

    int Atom(int depth) {
        const std::size_t start = pos_;
        const char32_t c = Peek();
        switch (c) {
            case '.': {
                ++pos_;
                Node node;
                node.kind = Node::kAnyCharacter;
                node.offset = start;
                return Add(std::move(node));
            }
            case '(':
                return Group(depth);
            case '[':
                return Class();
            case '\\':
                return Escape();
            default:
                ++pos_;
                return Character(c, start);
        }
    }

    int Group(int depth) {
        const std::size_t start = pos_;
        if (depth >= kMaxNesting) {
            Fail(RegexErrorKind::TooComplex, start);
            return -1;
        }
        ++pos_;
        bool capturing = true;
        if (Peek() == '?' && Has(0)) {
            const char32_t kind = Peek(1);
            if (kind == ':') {
                capturing = false;
                pos_ += 2;
            } else if (kind == '=' || kind == '!' || kind == '<') {
                Fail(RegexErrorKind::NotSupported, start);  // lookaround and named groups
                return -1;
            } else {
                Fail(RegexErrorKind::BadGroup, start);
                return -1;
            }
        }
        const std::uint32_t number = capturing ? ++groups_ : 0;
        const int body = Disjunction(depth + 1);
        if (failed_)
            return -1;
        if (AtEnd() || Peek() != ')') {
            Fail(RegexErrorKind::UnmatchedParenthesis, start);
            return -1;
        }
        ++pos_;
        if (!capturing)
            return body;
        Node group;
        group.kind = Node::kGroup;
        group.index = number;
        group.offset = start;
        group.children.push_back(body);
        return Add(std::move(group));
    }

    // Reads exactly `digits` hexadecimal digits after the position; false when they are not there.
    bool Hex(std::size_t digits, char32_t* value) {
        char32_t v = 0;
        for (std::size_t i = 0; i < digits; ++i) {
            if (!Has(i))
                return false;
            const char32_t d = Peek(i);
            if (d >= '0' && d <= '9')
                v = v * 16 + (d - '0');
            else if ((d | 0x20) >= 'a' && (d | 0x20) <= 'f')
                v = v * 16 + ((d | 0x20) - 'a' + 10);
            else
                return false;
        }
        pos_ += digits;
        *value = v;
        return true;
    }

    // The escape after "\" (at start) as one character, or its class in *ranges (then returns
    // false). inClass: "\b" is a backspace there.
    bool EscapeCharacter(std::size_t start, bool inClass, char32_t* out, Ranges* ranges) {
        if (AtEnd()) {
            Fail(RegexErrorKind::TrailingBackslash, start);
            return true;
        }
        const char32_t c = Peek();
        ++pos_;
        switch (c) {
            case 'd':
            case 'D':
            case 'w':
            case 'W':
            case 's':
            case 'S': {
                Ranges set;
                if (c == 'd' || c == 'D')
                    AddDigits(&set);
                else if (c == 'w' || c == 'W')
                    AddWord(&set);
                else
                    AddSpace(&set);
                if (c == 'D' || c == 'W' || c == 'S')
                    set = Complement(std::move(set));
                ranges->insert(ranges->end(), set.begin(), set.end());
                return false;
            }
            case 't':
                *out = '\t';
                return true;
            case 'n':
                *out = '\n';
                return true;
            case 'r':
                *out = '\r';
                return true;
            case 'v':
                *out = '\v';
                return true;
            case 'f':
                *out = '\f';
                return true;
            case 'b':
                if (inClass) {
                    *out = 0x08;
                    return true;
                }
                break;
            case '0':
                if (!(Peek() >= '0' && Peek() <= '9' && Has(0))) {
                    *out = 0;
                    return true;
                }
                Fail(RegexErrorKind::NotSupported, start);  // an octal escape or a backreference
                return true;
            case 'c': {
                const char32_t letter = Peek() | 0x20;
                if (Has(0) && letter >= 'a' && letter <= 'z') {
                    *out = Peek() % 32;
                    ++pos_;
                    return true;
                }
                break;
            }
            case 'x':
                if (Hex(2, out))
                    return true;
                break;
            case 'u': {
                if (!Hex(4, out))
                    break;
                // A surrogate pair written as two escapes is the one character it encodes.
                char32_t low = 0;
                const std::size_t saved = pos_;
                if (*out >= 0xD800 && *out <= 0xDBFF && Peek() == '\\' && Peek(1) == 'u' && Has(1)) {
                    pos_ += 2;
                    if (Hex(4, &low) && low >= 0xDC00 && low <= 0xDFFF)
                        *out = 0x10000 + ((*out - 0xD800) << 10) + (low - 0xDC00);
                    else
                        pos_ = saved;
                }
                return true;
            }
            case 'k':
            case 'p':
            case 'P':
                Fail(RegexErrorKind::NotSupported, start);
                return true;
            default:
                if (c >= '1' && c <= '9') {
                    Fail(RegexErrorKind::NotSupported, start);
                    return true;
                }
                // Any other letter or digit escaped means something this syntax does not
                // define; punctuation and everything beyond ASCII stands for itself.
                if (!IsWordCharacter(c)) {
                    *out = c;
                    return true;
                }
                break;
        }
        Fail(RegexErrorKind::BadEscape, start);
        return true;
    }

    int Escape() {
        const std::size_t start = pos_;
        ++pos_;
        char32_t c = 0;
        Ranges ranges;
        if (EscapeCharacter(start, false, &c, &ranges))
            return failed_ ? -1 : Character(c, start);
        return ClassNode(std::move(ranges), false, start);
    }

    int Class() {
        const std::size_t start = pos_;
        ++pos_;
        bool negated = false;
        if (Peek() == '^' && Has(0)) {
            negated = true;
            ++pos_;
        }
        Ranges ranges;
        // One class atom: a character (true) or a set such as \d (false, added to ranges).
        const auto atom = [&](char32_t* c) {
            const std::size_t at = pos_;
            if (Peek() == '\\') {
                ++pos_;
                return EscapeCharacter(at, true, c, &ranges);
            }
            *c = Peek();
            ++pos_;
            return true;
        };
        while (!failed_) {
            if (AtEnd()) {
                Fail(RegexErrorKind::UnmatchedBracket, start);
                break;
            }
            if (Peek() == ']') {
                ++pos_;
                break;
            }
            const std::size_t from = pos_;
            char32_t low = 0;
            const bool lowIsCharacter = atom(&low);
            if (failed_)
                break;
            if (Peek() == '-' && Has(1) && Peek(1) != ']') {
                ++pos_;
                char32_t high = 0;
                const bool highIsCharacter = atom(&high);
                if (failed_)
                    break;
                if (lowIsCharacter && highIsCharacter) {
                    if (high < low) {
                        Fail(RegexErrorKind::BadRange, from);
                        break;
                    }
                    ranges.push_back({low, high});
                } else {
                    // A set at either end makes the dash a character of its own.
                    if (lowIsCharacter)
                        ranges.push_back({low, low});
                    if (highIsCharacter)
                        ranges.push_back({high, high});
                    ranges.push_back({'-', '-'});
                }
            } else if (lowIsCharacter) {
                ranges.push_back({low, low});
            }
        }
        if (failed_)
            return -1;
        return ClassNode(std::move(ranges), negated, start);
    }

    std::u32string_view text_;
    std::vector<Regex::CharClass>* classes_;
    std::vector<Node>* nodes_ = nullptr;
    std::size_t pos_ = 0;
    std::uint32_t groups_ = 0;
    bool failed_ = false;
    RegexError error_{RegexErrorKind::BadEscape, 0};
};

class Emitter {
public:
    // ignoreCase: characters are compared by their canonical forms.
    Emitter(const std::vector<Node>& nodes, std::uint32_t groups, std::vector<Regex::Instruction>* program,
            std::vector<std::uint32_t>* loopSlots, bool ignoreCase)
        : nodes_(nodes),
          program_(program),
          loopSlots_(loopSlots),
          nextSlot_(2 * (groups + 1)),
          ignoreCase_(ignoreCase) {}

    // False when the program grew too costly, with the offset of the construct that did it.
    bool Emit(int index) {
        const Node& node = nodes_[index];
        switch (node.kind) {
            case Node::kEmpty:
                return true;
            case Node::kCharacter:
                return Push(kChar, ignoreCase_ ? Canonical(node.ch) : node.ch, 0, node);
            case Node::kAnyCharacter:
                return Push(kAny, 0, 0, node);
            case Node::kClassSet:
                return Push(kClass, node.index, 0, node);
            case Node::kAssertion:
                return Push(kAssert, node.index, 0, node);
            case Node::kGroup:
                return Push(kSave, 2 * node.index, 0, node) && Emit(node.children[0]) &&
                       Push(kSave, 2 * node.index + 1, 0, node);
            case Node::kConcat:
                for (const int child : node.children) {
                    if (!Emit(child))
                        return false;
                }
                return true;
            case Node::kAlternate: {
                std::vector<std::size_t> jumps;
                for (std::size_t i = 0; i + 1 < node.children.size(); ++i) {
                    const std::size_t split = program_->size();
                    if (!Push(kSplit, static_cast<std::uint32_t>(split + 1), 0, node) ||
                        !Emit(node.children[i]))
                        return false;
                    jumps.push_back(program_->size());
                    if (!Push(kJump, 0, 0, node))
                        return false;
                    (*program_)[split].b = Here();
                }
                if (!Emit(node.children.back()))
                    return false;
                for (const std::size_t jump : jumps)
                    (*program_)[jump].a = Here();
                return true;
            }
            case Node::kRepeat:
                return Repeat(node);
        }
        return true;
    }

    std::size_t SlotCount() const { return nextSlot_; }
    std::size_t FaultOffset() const { return faultOffset_; }

private:
    std::uint32_t Here() const { return static_cast<std::uint32_t>(program_->size()); }

    bool Push(std::uint8_t op, std::uint32_t a, std::uint32_t b, const Node& node) {
        Regex::Instruction in{op, a, b};
        // What consumes a character or matches leaves every iteration behind it begun earlier.
        if (op != kChar && op != kAny && op != kClass && op != kMatch) {
            in.loops = static_cast<std::uint32_t>(loopSlots_->size());
            in.loopCount = static_cast<std::uint32_t>(open_.size());
        }
        if (!Afford(op, a, b, in.loopCount)) {
            faultOffset_ = node.offset;
            return false;
        }
        loopSlots_->insert(loopSlots_->end(), open_.begin(), open_.begin() + in.loopCount);
        program_->push_back(in);
        return true;
    }

    // Each state of the instruction is visited at most once per position (twice where a match
    // ended); one that forgets captures does work for each slot it resets.
    bool Afford(std::uint8_t op, std::uint32_t a, std::uint32_t b, std::uint32_t loopCount) {
        const std::size_t weight = 1 + (op == kClear ? (b - a) / kClearSlotsPerState : 0);
        cost_ += weight << loopCount;
        return cost_ <= kMaxRegexCost;
    }

    bool Nullable(int index) const {
        const Node& node = nodes_[index];
        switch (node.kind) {
            case Node::kCharacter:
            case Node::kAnyCharacter:
            case Node::kClassSet:
                return false;
            case Node::kGroup:
                return Nullable(node.children[0]);
            case Node::kConcat:
                return std::all_of(node.children.begin(), node.children.end(),
                                   [this](int child) { return Nullable(child); });
            case Node::kAlternate:
                return std::any_of(node.children.begin(), node.children.end(),
                                   [this](int child) { return Nullable(child); });
            case Node::kRepeat:
                return node.min == 0 || Nullable(node.children[0]);
            default:
                return true;
        }
    }

    // One iteration: its groups start undefined, as each iteration's do.
    bool Iteration(const Node& node) {
        if (node.endGroup > node.firstGroup && !Push(kClear, 2 * node.firstGroup, 2 * node.endGroup, node))
            return false;
        return Emit(node.children[0]);
    }

    // An iteration past the minimum that matches nothing fails, which is what stops "(a*)*" from
    // looping; only a body that can match nothing needs the check.
    bool OptionalIteration(const Node& node, std::uint32_t slot) {
        if (slot == 0)
            return Iteration(node);
        if (open_.size() >= kMaxOpenLoops || !Push(kEnter, slot, 0, node))
            return false;
        open_.push_back(slot);
        if (!Iteration(node) || !Push(kCheck, slot, 0, node))
            return false;
        open_.pop_back();
        return true;
    }

    // Too large a program is blamed on the outermost repeat that unrolled it.
    bool Repeat(const Node& node) {
        if (Unroll(node))
            return true;
        faultOffset_ = node.offset;
        return false;
    }

    bool Unroll(const Node& node) {
        for (std::uint32_t i = 0; i < node.min; ++i) {
            if (!Iteration(node))
                return false;
        }
        if (node.max == node.min)
            return true;
        const std::uint32_t slot = Nullable(node.children[0]) ? static_cast<std::uint32_t>(nextSlot_++) : 0;
        const auto patch = [&](std::size_t split, std::uint32_t exit) {
            Regex::Instruction& in = (*program_)[split];
            const std::uint32_t body = static_cast<std::uint32_t>(split + 1);
            in.a = node.greedy ? body : exit;
            in.b = node.greedy ? exit : body;
        };
        if (node.max == kUnbounded) {
            const std::size_t loop = program_->size();
            if (!Push(kSplit, 0, 0, node) || !OptionalIteration(node, slot) ||
                !Push(kJump, static_cast<std::uint32_t>(loop), 0, node))
                return false;
            patch(loop, Here());
            return true;
        }
        std::vector<std::size_t> splits;
        for (std::uint32_t i = node.min; i < node.max; ++i) {
            splits.push_back(program_->size());
            if (!Push(kSplit, 0, 0, node) || !OptionalIteration(node, slot))
                return false;
        }
        for (const std::size_t split : splits)
            patch(split, Here());
        return true;
    }

    const std::vector<Node>& nodes_;
    std::vector<Regex::Instruction>* program_;
    std::vector<std::uint32_t>* loopSlots_;
    std::vector<std::uint32_t> open_;  // the slots of the optional iterations being emitted
    std::size_t nextSlot_;
    bool ignoreCase_;
    std::size_t cost_ = 3;  // the whole match's two saves and the match
    std::size_t faultOffset_ = 0;
};

}  // namespace

const char* RegexErrorName(RegexErrorKind kind) {
    switch (kind) {
        case RegexErrorKind::UnmatchedParenthesis:
            return "UnmatchedParenthesis";
        case RegexErrorKind::UnmatchedBracket:
            return "UnmatchedBracket";
        case RegexErrorKind::NothingToRepeat:
            return "NothingToRepeat";
        case RegexErrorKind::BadRange:
            return "BadRange";
        case RegexErrorKind::BadEscape:
            return "BadEscape";
        case RegexErrorKind::TrailingBackslash:
            return "TrailingBackslash";
        case RegexErrorKind::BadRepeatCount:
            return "BadRepeatCount";
        case RegexErrorKind::BadGroup:
            return "BadGroup";
        case RegexErrorKind::NotSupported:
            return "NotSupported";
        case RegexErrorKind::TooComplex:
            return "TooComplex";
    }
    return "?";
}

char32_t FoldCase(const CaseMapping& cases, char32_t c) {
    if (c < 0x80)
        return c >= 'A' && c <= 'Z' ? c + 0x20 : c;
    if (c >= kRawByteBase)
        return c;
    const char32_t folded = cases.Lower(cases.Upper(c));
    return folded < 0x80 ? c : folded;
}

bool Regex::ClassMatches(const CharClass& set, char32_t c) const {
    const bool in = c < 0x80 ? (set.ascii[c >> 6] >> (c & 63)) & 1 : InRanges(set.ranges, c);
    return in != set.negated;
}

namespace {

// Ignoring case a class holds what it holds as written and the canonical form of each member: a
// character matches when its own canonical form is among them (it is a member, or it shares its
// form with one). The members that have another form are the table's and the ASCII letters.
void AddCanonicalForms(Ranges* ranges) {
    Ranges forms;
    for (const auto& [low, high] : *ranges) {
        for (char32_t c = std::max<char32_t>(low, 'a'); c <= std::min<char32_t>(high, 'z'); ++c)
            forms.push_back({Canonical(c), Canonical(c)});
        const CaseRun* run =
            std::lower_bound(std::begin(kCaseRuns), std::end(kCaseRuns), low,
                             [](const CaseRun& r, char32_t value) { return r.last < value; });
        for (; run != std::end(kCaseRuns) && run->first <= high; ++run) {
            char32_t c = run->first;
            if (c < low)
                c += (low - c + run->stride - 1) / run->stride * run->stride;
            for (; c <= run->last && c <= high; c += run->stride)
                forms.push_back({Canonical(c), Canonical(c)});
        }
    }
    ranges->insert(ranges->end(), forms.begin(), forms.end());
    Normalize(ranges);
}

}  // namespace

bool Regex::Compile(std::u32string_view pattern, bool ignoreCase, Regex* out, RegexError* error) {
    Regex regex;
    regex.ignoreCase_ = ignoreCase;
    std::vector<Node> nodes;
    int root = 0;
    std::uint32_t groups = 0;
    Parser parser(pattern, &regex.classes_);
    if (!parser.Parse(&nodes, &root, &groups, error))
        return false;
    regex.groups_ = groups;
    Emitter emitter(nodes, groups, &regex.program_, &regex.loopSlots_, ignoreCase);
    regex.program_.push_back({kSave, 0, 0});
    if (!emitter.Emit(root)) {
        *error = {RegexErrorKind::TooComplex, emitter.FaultOffset()};
        return false;
    }
    regex.program_.push_back({kSave, 1, 0});
    regex.program_.push_back({kMatch, 0, 0});
    for (Instruction& in : regex.program_) {
        in.markBase = static_cast<std::uint32_t>(regex.stateCount_);
        regex.stateCount_ += std::size_t{1} << in.loopCount;
    }
    regex.slotCount_ = emitter.SlotCount();
    for (CharClass& set : regex.classes_) {
        Normalize(&set.ranges);
        if (ignoreCase)
            AddCanonicalForms(&set.ranges);
        for (char32_t c = 0; c < 0x80; ++c) {
            if (InRanges(set.ranges, ignoreCase ? Canonical(c) : c))
                set.ascii[c >> 6] |= std::uint64_t{1} << (c & 63);
        }
    }
    *out = std::move(regex);
    return true;
}

// A new text: every row of what was learnt goes stale at once.
bool Regex::Reset(std::u32string_view text) const {
    if (text.size() > kMaxText)
        return false;
    text_ = text;
    rowWords_ = (stateCount_ + 63) / 64;
    if (rowStamp_.size() < text.size() + 1)
        rowStamp_.resize(text.size() + 1, 0);
    if (visited_.size() < rowWords_ * (text.size() + 1))
        visited_.resize(rowWords_ * (text.size() + 1));
    if (++stamp_ == 0) {
        std::fill(rowStamp_.begin(), rowStamp_.end(), 0);
        stamp_ = 1;
    }
    compare_ = text.data();
    if (ignoreCase_) {
        folded_.resize(text.size());
        for (std::size_t i = 0; i < text.size(); ++i)
            folded_[i] = Canonical(text[i]);
        compare_ = folded_.data();
    }
    slots_.assign(slotCount_, kNone);
    lastEnd_ = 0;
    return true;
}

std::uint64_t* Regex::Row(std::uint32_t position) const {
    std::uint64_t* row = visited_.data() + std::size_t{position} * rowWords_;
    if (rowStamp_[position] != stamp_) {
        std::fill(row, row + rowWords_, 0);
        rowStamp_[position] = stamp_;
    }
    return row;
}

// Tries the match that starts at `start`, its choices in ECMAScript's order. A state already
// visited at a position is not tried again: either it failed, and fails again whatever the
// captures (no backreferences), or it lies on the path being tried, which came back to it without
// reading a character and would only go round again.
bool Regex::Run(std::uint32_t start) const {
    const std::u32string_view text = text_;
    const auto size = static_cast<std::uint32_t>(text.size());
    std::uint32_t* const slots = slots_.data();
    stack_.clear();
    stack_.push_back({0, start});
    while (!stack_.empty()) {
        const Frame frame = stack_.back();
        stack_.pop_back();
        if (frame.pc & kRestore) {
            slots[frame.pc & ~kRestore] = frame.value;
            continue;
        }
        std::uint32_t pc = frame.pc;
        std::uint32_t position = frame.value;
        std::uint64_t* row = Row(position);
        for (;;) {
            const Instruction& in = program_[pc];
            std::size_t state = in.markBase;
            for (std::uint32_t i = 0; i < in.loopCount; ++i) {
                if (slots[loopSlots_[in.loops + i]] == position)
                    state += std::size_t{1} << i;
            }
            std::uint64_t& word = row[state >> 6];
            const std::uint64_t bit = std::uint64_t{1} << (state & 63);
            if (word & bit)
                break;
            word |= bit;
            bool follow = true;
            switch (in.op) {
                case kChar:
                    follow = position < size && compare_[position] == in.a;
                    break;
                case kAny:
                    follow = position < size && !IsLineTerminator(text[position]);
                    break;
                case kClass:
                    follow = position < size && ClassMatches(classes_[in.a], compare_[position]);
                    break;
                case kJump:
                    pc = in.a;
                    continue;
                case kSplit:
                    stack_.push_back({in.b, position});
                    pc = in.a;
                    continue;
                case kSave:
                case kEnter:
                    stack_.push_back({in.a | kRestore, slots[in.a]});
                    slots[in.a] = position;
                    break;
                case kClear:
                    for (std::uint32_t slot = in.a; slot < in.b; ++slot) {
                        if (slots[slot] != kNone) {
                            stack_.push_back({slot | kRestore, slots[slot]});
                            slots[slot] = kNone;
                        }
                    }
                    break;
                case kCheck:
                    follow = slots[in.a] != position;
                    break;
                case kAssert:
                    switch (in.a) {
                        case kBegin:
                            follow = position == 0;
                            break;
                        case kEnd:
                            follow = position == size;
                            break;
                        default: {
                            const bool before = position > 0 && IsWordCharacter(text[position - 1]);
                            const bool after = position < size && IsWordCharacter(text[position]);
                            follow = (before != after) == (in.a == kWordBoundary);
                        }
                    }
                    break;
                case kMatch:
                    return true;
            }
            if (!follow)
                break;
            if (in.op == kChar || in.op == kAny || in.op == kClass)
                row = Row(++position);
            ++pc;
        }
    }
    return false;
}

bool Regex::Search(std::u32string_view text, std::size_t from, std::vector<std::size_t>* slots,
                   bool again) const {
    if (from > text.size())
        return false;
    // Only what failed is known to fail again; a match's own path ends on its last position, which
    // the next search may start from.
    const bool known =
        again && text.data() == text_.data() && text.size() == text_.size() && from >= lastEnd_;
    if (!known && !Reset(text))
        return false;
    for (std::size_t start = from; start <= text.size(); ++start) {
        if (!Run(static_cast<std::uint32_t>(start)))
            continue;
        slots->resize(2 * (groups_ + 1));
        for (std::size_t i = 0; i < slots->size(); ++i)
            (*slots)[i] = slots_[i] == kNone ? kNoPosition : slots_[i];
        // The path's saves were never undone: the next search needs every slot clear.
        std::fill(slots_.begin(), slots_.end(), kNone);
        lastEnd_ = (*slots)[1];
        rowStamp_[lastEnd_] = 0;
        return true;
    }
    lastEnd_ = 0;
    return false;
}

}  // namespace velmora
