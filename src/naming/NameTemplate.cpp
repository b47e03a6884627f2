#include "naming/NameTemplate.hpp"

#include <cstring>

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

void ExpandWithin(std::string& result, const char* nameTemplate, std::string_view itemName, std::uint32_t index,
                  const CounterParameters& batch, LengthUnit unit, std::size_t limit) {
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
                        std::uint32_t index, const CounterParameters& batch, LengthUnit unit) {
    ExpandWithin(result, nameTemplate, itemName, index, batch, unit, kMaxExpandedLength);
}

void ExpandTemplateUncut(std::string& result, const char* nameTemplate, std::string_view itemName,
                         std::uint32_t index, const CounterParameters& batch, LengthUnit unit) {
    ExpandWithin(result, nameTemplate, itemName, index, batch, unit, kNone);
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
