#include "naming/NameTemplate.hpp"

#include <cstring>

#include "far/HostConventions.hpp"
#include "platform/PathNames.hpp"
#include "platform/Platform.hpp"
#include "platform/Utf16.hpp"

namespace velmora {

namespace {

// Room for any 32-bit value in decimal (10 digits) or hexadecimal (8 digits).
constexpr std::size_t kDigitBufferSize = 10;

// Writes value in decimal at the end of buffer; returns the first digit's position.
char* WriteDecimal(std::uint32_t value, char* end) {
    char* p = end;
    do {
        *--p = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    return p;
}

char* WriteHex(std::uint32_t value, bool upperCase, char* end) {
    const char* digits = upperCase ? "0123456789ABCDEF" : "0123456789abcdef";
    char* p = end;
    do {
        *--p = digits[value & 0xFu];
        value >>= 4;
    } while (value != 0);
    return p;
}

std::size_t DecimalDigitCount(std::uint32_t value) {
    std::size_t count = 1;
    while (value >= 10) {
        value /= 10;
        ++count;
    }
    return count;
}

std::size_t HexDigitCount(std::uint32_t value) {
    std::size_t count = 1;
    while (value >= 16) {
        value >>= 4;
        ++count;
    }
    return count;
}

// Width of the zero-filled decimal counter: one digit, plus one per threshold the bound exceeds.
// The zero padding of "%#": the bound's digit count, but never more than 7 digits however large
// the bound (six thresholds).
std::size_t DecimalWidth(std::uint32_t bound) {
    static constexpr std::uint32_t kThresholds[] = {9u, 99u, 999u, 9999u, 99999u, 999999u};
    std::size_t width = 1;
    for (std::uint32_t threshold : kThresholds) {
        if (bound > threshold) {
            ++width;
        }
    }
    return width;
}

std::size_t LastDot(std::string_view name) {
    return FindLastChar(name, '.');
}

// The base name as a view of the item name, so the expansion copies it only once.
std::string_view BaseNameView(std::string_view name) {
    const std::size_t dot = LastDot(name);
    if (dot == kNone || dot + 1 == name.size()) {
        return name;
    }
    return name.substr(0, dot);
}

// The expanded name and its length in the cut's units. Cut in bytes, pieces are gathered in a
// buffer that holds the longest result and reach the caller's string in one copy (a batch
// expands two texts a file); cut in characters, a piece's bytes have no bound (continuation
// bytes count for no character), so they go to the string itself.
class Expansion {
public:
    // Past kMaxExpandedLength units the pieces go to the string itself, as in characters.
    Expansion(std::string& text, LengthUnit unit, std::size_t limit)
        : text_(text),
          unit_(unit),
          limit_(limit),
          inBytes_(unit != LengthUnit::Utf8Character && limit <= kMaxExpandedLength) {}
    Expansion(const Expansion&) = delete;
    Expansion& operator=(const Expansion&) = delete;
    ~Expansion() {
        if (inBytes_)
            text_.assign(buffer_, size_);
    }

    // A piece's length in the cut's units.
    std::size_t Measure(std::string_view piece) const {
        return inBytes_ ? piece.size() : CountUtf8Characters(piece);
    }

    // Appends a piece while the result is still short of the cut. Everything past the first
    // limit_ units would be cut away at the end anyway, so it is never copied: the
    // result stays within its buffer whatever the template or the name. A character is never
    // cut in half.
    void Append(std::string_view piece) {
        if (length_ >= limit_) {
            return;
        }
        const std::size_t room = limit_ - length_;
        if (inBytes_) {
            if (piece.size() <= room) {
                Copy(piece.data(), piece.size());
                length_ += piece.size();
                return;
            }
            // The cut: nothing after it, not even a shorter character that would still fit.
            Copy(piece.data(), unit_ == LengthUnit::Utf8Byte ? Utf8PrefixWithinBytes(piece, room) : room);
            length_ = limit_;
            return;
        }
        const std::size_t bytes = Utf8PrefixBytes(piece, room);
        Copy(piece.data(), bytes);
        length_ += CountUtf8Characters(piece.substr(0, bytes));
    }

    // Appends zeros then digits, capped like any other piece; returns the piece's full length.
    std::size_t AppendPadded(std::size_t width, const char* digits, const char* end) {
        const std::size_t length = static_cast<std::size_t>(end - digits);
        const std::size_t zeros = width > length ? width - length : 0;
        if (length_ < limit_) {
            const std::size_t room = limit_ - length_;
            const std::size_t count = zeros < room ? zeros : room;
            if (inBytes_) {
                std::memset(buffer_ + size_, '0', count);
                size_ += count;
            } else {
                text_.append(count, '0');
            }
            length_ += count;
        }
        Append(std::string_view(digits, length));
        return zeros + length;
    }

private:
    void Copy(const char* data, std::size_t count) {
        if (!inBytes_) {
            text_.append(data, count);
            return;
        }
        if (count == 0)
            return;  // an empty piece may have no data at all
        std::memcpy(buffer_ + size_, data, count);
        size_ += count;
    }

    std::string& text_;
    LengthUnit unit_;
    std::size_t limit_;       // in the cut's units
    bool inBytes_;            // the cut counts bytes, and pieces go through the buffer
    std::size_t length_ = 0;  // in the cut's units
    std::size_t size_ = 0;    // bytes in the buffer
    char buffer_[kMaxExpandedLength];
};

}  // namespace

std::size_t FindChar(std::string_view text, char c) {
    return text.find(c);
}

std::size_t FindLastChar(std::string_view text, char c) {
    return text.rfind(c);
}

CounterParameters BatchCounter(std::string_view startNumber, bool withoutZero, std::uint32_t count) {
    CounterParameters counter;
    counter.start = StartValue(startNumber);
    counter.total = count;
    counter.bound = CounterWidthBound(startNumber, counter.start, count);
    counter.withoutZero = withoutZero;
    return counter;
}

void AppendBounded(std::string& destination, std::string_view source, std::size_t size) {
    if (size == 0) {
        return;
    }
    const std::size_t count = source.size() < size - 1 ? source.size() : size - 1;
    destination.append(source.data(), count);
}

std::string FormatDecimal(std::uint32_t value) {
    char buffer[kDigitBufferSize];
    char* end = buffer + kDigitBufferSize;
    return std::string(WriteDecimal(value, end), end);
}

std::string FormatHex(std::uint32_t value, bool upperCase, int width) {
    char buffer[kDigitBufferSize];
    char* end = buffer + kDigitBufferSize;
    const char* digits = WriteHex(value, upperCase, end);
    const std::size_t length = static_cast<std::size_t>(end - digits);
    // A width that is not positive asks for no zeros, like a width of 0 in the format text.
    const std::size_t wanted = width > 0 ? static_cast<std::size_t>(width) : 0;
    std::string text;
    if (wanted > length) {
        text.reserve(wanted);
        text.append(wanted - length, '0');
    }
    text.append(digits, length);
    return text;
}

std::string PadDecimal(const std::string& digits, std::uint32_t bound) {
    const std::size_t width = DecimalWidth(bound);
    if (digits.size() >= width) {
        return digits;
    }
    std::string text;
    text.reserve(width);
    text.append(width - digits.size(), '0');
    text.append(digits);
    return text;
}

std::string_view GetExtension(std::string_view name) {
    const std::size_t dot = LastDot(name);
    if (dot == kNone) {
        return std::string_view();
    }
    return name.substr(dot + 1);
}

std::string GetBaseName(std::string_view name) {
    return std::string(BaseNameView(name));
}

std::uint32_t StartValue(std::string_view startNumber) {
    std::uint32_t value = 0;
    std::uint32_t place = 1;
    for (std::size_t i = startNumber.size(); i-- > 0;) {
        const char c = startNumber[i];
        if (c < '0' || c > '9') {
            return 0;
        }
        value += static_cast<std::uint32_t>(c - '0') * place;
        place *= 10u;
    }
    return value;
}

std::uint32_t CounterWidthBound(std::string_view startNumber, std::uint32_t start,
                                std::uint32_t selectedCount) {
    std::uint32_t bound = start + selectedCount;
    const std::size_t length = startNumber.size();
    if (length > DecimalDigitCount(bound)) {
        // As many nines as the start text has characters, so leading zeros set a minimum width;
        // past nine nines the value wraps like every other counter figure.
        bound = 9u;
        for (std::size_t i = 1; i < length; ++i) {
            bound = bound * 10u + 9u;
        }
    }
    return bound;
}

namespace {

constexpr std::string_view kDefaultDateFormat = "YYYY-MM-DD";
// "%{dup}" alone: "IMG.jpg", "IMG_1.jpg", "IMG_2.jpg".
constexpr std::string_view kDefaultDupFormat = "_#";
// An unclosed token is named in a message by at most this many characters.
constexpr std::size_t kShownTokenCharacters = 24;

std::size_t CharacterCount(std::string_view text, LengthUnit unit) {
    return unit == LengthUnit::Byte ? text.size() : CountUtf8Characters(text);
}

std::size_t CharacterPrefix(std::string_view text, std::size_t characters, LengthUnit unit) {
    if (unit == LengthUnit::Byte)
        return characters < text.size() ? characters : text.size();
    return Utf8PrefixBytes(text, characters);
}

// The date field a format has at its start: its length, or 0 for plain text.
std::size_t FieldAt(std::string_view format) {
    static constexpr std::string_view kFields[] = {"YYYY", "YY", "MM", "DD", "hh", "mm", "ss", "fff"};
    for (const std::string_view field : kFields) {
        if (format.substr(0, field.size()) == field)
            return field.size();
    }
    return 0;
}

bool RefusedInName(char c) {
    return RefusedNameCharacters().find(c) != std::string_view::npos ||
           (kRefusesControlCharacters && static_cast<unsigned char>(c) < 0x20);
}

// A format is refused when it is empty, names no field (a lower-case "yyyy" is copied, not a
// year), or holds a character no file name may have here.
bool ValidFormat(std::string_view format) {
    bool field = false;
    for (std::size_t i = 0; i < format.size();) {
        if (const std::size_t length = FieldAt(format.substr(i))) {
            field = true;
            i += length;
            continue;
        }
        if (RefusedInName(format[i]))
            return false;
        ++i;
    }
    return field;
}

// A dup's text must place the number somewhere, and hold nothing a name may not.
bool ValidDupFormat(std::string_view format) {
    bool number = false;
    for (const char c : format) {
        if (RefusedInName(c))
            return false;
        number = number || c == '#';
    }
    return number;
}

// A range's number: an optional "-" and 1 to 9 digits, not zero. Advances *at past it.
bool ParseRangeNumber(std::string_view text, std::size_t* at, int* value) {
    std::size_t i = *at;
    const bool negative = i < text.size() && text[i] == '-';
    if (negative)
        ++i;
    const std::size_t digits = i;
    int number = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9' && i - digits < 9)
        number = number * 10 + (text[i++] - '0');
    if (i == digits || number == 0 || (i < text.size() && text[i] >= '0' && text[i] <= '9'))
        return false;
    *value = negative ? -number : number;
    *at = i;
    return true;
}

// "a-b", "a-" or "a".
bool ParseRange(std::string_view text, BracedToken* token) {
    std::size_t at = 0;
    if (!ParseRangeNumber(text, &at, &token->from))
        return false;
    token->to = token->from;
    token->toEnd = false;
    if (at == text.size())
        return true;
    if (text[at] != '-')
        return false;
    ++at;
    if (at == text.size()) {
        token->toEnd = true;
        return true;
    }
    return ParseRangeNumber(text, &at, &token->to) && at == text.size();
}

bool WordKind(std::string_view word, BracedToken::Kind* kind) {
    static constexpr struct {
        std::string_view word;
        BracedToken::Kind kind;
    } kWords[] = {
        {"mdate", BracedToken::Kind::Modified}, {"cdate", BracedToken::Kind::Created},
        {"taken", BracedToken::Kind::Taken},    {"now", BracedToken::Kind::Now},
        {"folder", BracedToken::Kind::Folder},  {"n", BracedToken::Kind::BaseName},
        {"f", BracedToken::Kind::WholeName},    {"e", BracedToken::Kind::Extension},
        {"dup", BracedToken::Kind::Dup},        {"make", BracedToken::Kind::Make},
        {"model", BracedToken::Kind::Model},
    };
    for (const auto& entry : kWords) {
        if (far::EqualIgnoringAsciiCase(word, entry.word)) {
            *kind = entry.kind;
            return true;
        }
    }
    return false;
}

bool IsDate(BracedToken::Kind kind) {
    return kind == BracedToken::Kind::Modified || kind == BracedToken::Kind::Created ||
           kind == BracedToken::Kind::Taken || kind == BracedToken::Kind::Now;
}

// The token between the braces; false with the problem.
bool ParseToken(std::string_view inside, BracedToken* token, TokenProblem* problem) {
    const std::size_t colon = inside.find(':');
    const std::string_view word = inside.substr(0, colon);
    if (!WordKind(word, &token->kind)) {
        *problem = TokenProblem::UnknownToken;
        return false;
    }
    const bool argument = colon != std::string_view::npos;
    const std::string_view text = argument ? inside.substr(colon + 1) : std::string_view();
    if (IsDate(token->kind)) {
        token->format = argument ? std::string(text) : std::string(kDefaultDateFormat);
        *problem = TokenProblem::BadFormat;
        return ValidFormat(token->format);
    }
    if (token->kind == BracedToken::Kind::Dup) {
        token->format = argument ? std::string(text) : std::string(kDefaultDupFormat);
        *problem = TokenProblem::BadDup;
        return ValidDupFormat(token->format);
    }
    if (token->kind == BracedToken::Kind::Folder || token->kind == BracedToken::Kind::Make ||
        token->kind == BracedToken::Kind::Model) {
        // The folder's name, the maker and the model take no format.
        *problem = TokenProblem::NoArgument;
        return !argument;
    }
    *problem = TokenProblem::BadRange;
    return argument && ParseRange(text, token);
}

void AppendDup(std::string& out, std::string_view format, std::uint32_t number) {
    if (number == 0)
        return;
    char buffer[kDigitBufferSize];
    char* const end = buffer + kDigitBufferSize;
    const char* const first = WriteDecimal(number, end);
    const std::string_view digits(first, static_cast<std::size_t>(end - first));
    for (const char c : format) {
        if (c == '#')
            out.append(digits);
        else
            out.push_back(c);
    }
}

void AppendDigits(std::string& out, int value, int width) {
    char digits[4];
    for (int i = width; i-- > 0;) {
        digits[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
    out.append(digits, static_cast<std::size_t>(width));
}

// A range of the text's characters (bytes for OEM, code points in UTF-8) into out.
void AppendRange(std::string& out, std::string_view text, const BracedToken& token, LengthUnit unit) {
    const long length = static_cast<long>(CharacterCount(text, unit));
    const auto place = [length](int n) { return n > 0 ? static_cast<long>(n) : length + 1 + n; };
    long first = place(token.from);
    long last = token.toEnd ? length : place(token.to);
    if (first < 1)
        first = 1;
    if (last > length)
        last = length;
    if (first > last)
        return;
    const std::size_t begin = CharacterPrefix(text, static_cast<std::size_t>(first - 1), unit);
    const std::size_t end = CharacterPrefix(text, static_cast<std::size_t>(last), unit);
    out.append(text.substr(begin, end - begin));
}

// The token's text for the item into facts->piece.
void MakeToken(const BracedToken& token, std::string_view itemName, LengthUnit unit, TokenFacts& facts) {
    std::string& out = facts.piece;
    out.clear();
    switch (token.kind) {
        case BracedToken::Kind::Modified:
            AppendDate(out, token.format, LocalCivilTime(facts.writeTime));
            return;
        case BracedToken::Kind::Created:
            AppendDate(out, token.format, LocalCivilTime(facts.creationTime));
            return;
        case BracedToken::Kind::Taken: {
            CivilTime taken;
            ExifDateTag tag = ExifDateTag::DateTimeOriginal;
            if (facts.taken && facts.taken->DateTaken(std::string(itemName), &taken, &tag)) {
                facts.usedTaken = true;
                AppendDate(out, token.format, taken);
            } else {
                AppendDate(out, token.format, LocalCivilTime(facts.writeTime));
            }
            return;
        }
        case BracedToken::Kind::Now:
            AppendDate(out, token.format, facts.now);
            return;
        case BracedToken::Kind::Folder:
            out = facts.folder;
            return;
        case BracedToken::Kind::BaseName:
            AppendRange(out, BaseNameView(itemName), token, unit);
            return;
        case BracedToken::Kind::WholeName:
            AppendRange(out, itemName, token, unit);
            return;
        case BracedToken::Kind::Extension:
            AppendRange(out, GetExtension(itemName), token, unit);
            return;
        case BracedToken::Kind::Dup:
            AppendDup(out, token.format, facts.dup);
            return;
        case BracedToken::Kind::Make:
        case BracedToken::Kind::Model:
            if (const MediaFacts* media = facts.taken ? facts.taken->Facts(std::string(itemName)) : nullptr)
                AppendNameSafe(out, token.kind == BracedToken::Kind::Make ? media->make : media->model);
            return;
    }
}

}  // namespace

bool TemplateTokens::Parse(std::string_view text, LengthUnit unit, TemplateError* error) {
    tokens_.clear();
    // The scan the expansion makes: "%" and the character after it, "%{" up to the first "}".
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%' || i + 1 == text.size())
            continue;
        if (text[i + 1] != '{') {
            // Any other pair is taken whole ("%%" too); a character after "%" that is no token
            // starts plain text, and a "%" is none.
            if (text[i + 1] == '%' ||
                std::string_view("FfNnEe#hHTt").find(text[i + 1]) != std::string_view::npos)
                ++i;
            continue;
        }
        const std::size_t close = text.find('}', i + 2);
        BracedToken token;
        TokenProblem problem = TokenProblem::UnclosedBrace;
        if (close == std::string_view::npos ||
            !ParseToken(text.substr(i + 2, close - i - 2), &token, &problem)) {
            error->problem = problem;
            error->offset = CharacterCount(text.substr(0, i), unit);
            const std::string_view shown =
                close == std::string_view::npos ? text.substr(i) : text.substr(i, close + 1 - i);
            error->token.assign(shown.substr(0, CharacterPrefix(shown, kShownTokenCharacters, unit)));
            tokens_.clear();
            return false;
        }
        tokens_.push_back(std::move(token));
        i = close;
    }
    return true;
}

bool TemplateTokens::Reads(BracedToken::Kind kind) const {
    for (const BracedToken& token : tokens_) {
        if (token.kind == kind)
            return true;
    }
    return false;
}

std::string FolderName(std::string_view directory) {
    std::size_t end = directory.size();
    while (end > 0 && (directory[end - 1] == '/' || directory[end - 1] == '\\'))
        --end;
    const std::string_view path = directory.substr(0, end);
    const std::size_t slash = path.find_last_of("/\\");
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    // A drive ("C:") is a root, and has no name of its own.
    if (name.size() == 2 && name[1] == ':')
        return std::string();
    return std::string(name);
}

CivilTime LocalCivilTime(std::uint64_t ticks) {
    LocalFields local;
    CivilTime time;
    if (!LocalTimeOfTicks(ticks, &local) || local.year < 1601 || local.year > 9999)
        return time;
    time.year = local.year;
    time.month = local.month;
    time.day = local.day;
    time.hour = local.hour;
    time.minute = local.minute;
    time.second = local.second;
    // Zones are whole minutes away from UTC: the ticks' own milliseconds are the local ones.
    time.millisecond = static_cast<int>(ticks / 10000u % 1000u);
    return time;
}

void AppendNameSafe(std::string& out, std::string_view text) {
    for (const char c : text)
        out.push_back(RefusedInName(c) ? '_' : c);
}

void AppendDate(std::string& out, std::string_view format, const CivilTime& time) {
    for (std::size_t i = 0; i < format.size();) {
        const std::size_t length = FieldAt(format.substr(i));
        if (length == 0) {
            out.push_back(format[i++]);
            continue;
        }
        switch (format[i]) {
            case 'Y':
                if (length == 4)
                    AppendDigits(out, time.year, 4);
                else
                    AppendDigits(out, time.year % 100, 2);
                break;
            case 'M':
                AppendDigits(out, time.month, 2);
                break;
            case 'D':
                AppendDigits(out, time.day, 2);
                break;
            case 'h':
                AppendDigits(out, time.hour, 2);
                break;
            case 'm':
                AppendDigits(out, time.minute, 2);
                break;
            case 'f':
                AppendDigits(out, time.millisecond >= 0 && time.millisecond <= 999 ? time.millisecond : 0, 3);
                break;
            default:
                AppendDigits(out, time.second, 2);
                break;
        }
        i += length;
    }
}

namespace {

void ExpandWithin(std::string& result, const char* nameTemplate, std::string_view itemName,
                  std::uint32_t index, const CounterParameters& batch, LengthUnit unit, std::size_t limit,
                  TokenFacts* facts) {
    const std::uint32_t total = batch.total;
    const std::uint32_t bound = batch.bound;
    const std::uint32_t start = batch.start;
    const bool withoutZero = batch.withoutZero;
    result.clear();
    // One extra byte beyond the cut keeps a later c_str() from reallocating; a UTF-8 character
    // takes up to four bytes.
    result.reserve((unit == LengthUnit::Utf8Character ? 4 * kMaxExpandedLength : kMaxExpandedLength) + 1);
    Expansion out(result, unit, limit);
    if (nameTemplate == nullptr) {
        return;
    }
    const std::string_view text(nameTemplate);
    const std::size_t hexWidth = withoutZero ? 0 : HexDigitCount(bound);
    const std::size_t decimalWidth = withoutZero ? 0 : DecimalWidth(bound);
    const std::uint32_t counter = index + start;

    // The count runs ahead of the result: each "%" met counts one although nothing is copied for it,
    // and the scan stops at the first token boundary where the count has reached the cut.
    std::size_t count = 0;
    std::size_t pos = 0;
    // The braced tokens come in the order the scan meets them.
    std::size_t nextToken = 0;
    const std::size_t tokenCount = facts && facts->tokens ? facts->tokens->List().size() : 0;
    if (facts)
        facts->usedTaken = false;
    char buffer[kDigitBufferSize];
    char* const end = buffer + kDigitBufferSize;
    while (count < limit) {
        const std::string_view rest = text.substr(pos);
        const std::size_t percent = FindChar(rest, '%');
        if (percent == kNone) {
            out.Append(rest);
            count += out.Measure(rest);
            break;
        }
        const std::string_view plain = rest.substr(0, percent);
        out.Append(plain);
        count += out.Measure(plain) + 1;
        pos += percent + 1;
        const char token = pos < text.size() ? text[pos] : '\0';
        switch (token) {
            case 'F':
            case 'f':
                out.Append(itemName);
                count += out.Measure(itemName);
                break;
            case 'N':
            case 'n': {
                const std::string_view base = BaseNameView(itemName);
                out.Append(base);
                count += out.Measure(base);
                break;
            }
            case 'E':
            case 'e': {
                const std::string_view extension = GetExtension(itemName);
                out.Append(extension);
                count += out.Measure(extension);
                break;
            }
            case '#':
                count += out.AppendPadded(decimalWidth, WriteDecimal(counter, end), end);
                break;
            case 'h':
            case 'H':
                count += out.AppendPadded(hexWidth, WriteHex(counter, token == 'H', end), end);
                break;
            case 'T':
            case 't':
                count += out.AppendPadded(0, WriteDecimal(total, end), end);
                break;
            case '%':
                out.Append("%");
                count += 1;
                break;
            case '{': {
                const std::size_t close = text.find('}', pos + 1);
                if (nextToken == tokenCount || close == kNone)
                    continue;
                MakeToken(facts->tokens->List()[nextToken++], itemName, unit, *facts);
                out.Append(facts->piece);
                count += out.Measure(facts->piece);
                pos = close;
                break;
            }
            default:
                // Not a token (or the end of the template): the "%" is dropped and the character
                // after it starts the next stretch of plain text.
                continue;
        }
        ++pos;
    }
}

}  // namespace

void ExpandTemplateInto(std::string& result, const char* nameTemplate, std::string_view itemName,
                        std::uint32_t index, const CounterParameters& batch, LengthUnit unit,
                        TokenFacts* facts) {
    ExpandWithin(result, nameTemplate, itemName, index, batch, unit, kMaxExpandedLength, facts);
}

void ExpandTemplateUncut(std::string& result, const char* nameTemplate, std::string_view itemName,
                         std::uint32_t index, const CounterParameters& batch, LengthUnit unit,
                         TokenFacts* facts) {
    ExpandWithin(result, nameTemplate, itemName, index, batch, unit, kNone, facts);
}

void CutExpandedName(std::string& name, LengthUnit unit) {
    switch (unit) {
        case LengthUnit::Byte:
            if (name.size() > kMaxExpandedLength)
                name.resize(kMaxExpandedLength);
            break;
        case LengthUnit::Utf8Byte:
            if (name.size() > kMaxExpandedLength)
                name.resize(Utf8PrefixWithinBytes(name, kMaxExpandedLength));
            break;
        case LengthUnit::Utf8Character:
            name.resize(Utf8PrefixBytes(name, kMaxExpandedLength));
            break;
    }
}

std::string ExpandTemplate(const char* nameTemplate, std::string_view itemName, std::uint32_t index,
                           const CounterParameters& batch, LengthUnit unit) {
    std::string result;
    ExpandTemplateInto(result, nameTemplate, itemName, index, batch, unit);
    return result;
}

}  // namespace velmora
