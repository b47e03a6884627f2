#include "naming/NameRules.hpp"

#include "platform/Utf16.hpp"

namespace velmora {
namespace {

// The one character UTF-8 text holds, or false when it holds none, more, or bytes that are no
// character.
bool OneCharacter(std::string_view utf8, char32_t* c) {
    if (utf8.empty())
        return false;
    std::size_t pos = 0;
    const std::uint32_t code = utf16_detail::NextCodePoint(utf8, &pos);
    if (pos != utf8.size() || (code == 0xFFFD && pos != 3))
        return false;
    *c = code;
    return true;
}

bool IsWordSeparator(char32_t c) {
    return c == ' ' || c == '_' || c == '-' || c == '.';
}

}  // namespace

NameText::NameText(const CodePage* page) : page_(page) {
    if (!page)
        return;
    kind_ = Kind::SingleByte;
    for (unsigned b = 0; b < 256; ++b) {
        const std::string byte(1, static_cast<char>(b));
        utf8_.clear();
        page->Decode(byte, &utf8_);
        char32_t c = 0;
        if (OneCharacter(utf8_, &c) && page->Encode(utf8_, &bytes_) && bytes_ == byte) {
            byteChars_[b] = c;
            charBytes_.emplace(c, static_cast<unsigned char>(b));
            continue;
        }
        byteChars_[b] = kRawByteBase + b;
        // A byte that is no character alone but one with the byte after it leads a double-byte
        // character: such pages go a character at a time through the system's converter.
        for (const char trail : {'\x40', '\x41', '\xA1'}) {
            const std::string pair = byte + trail;
            utf8_.clear();
            page->Decode(pair, &utf8_);
            if (OneCharacter(utf8_, &c) && page->Encode(utf8_, &bytes_) && bytes_ == pair)
                kind_ = Kind::DoubleByte;
        }
    }
}

char32_t NameText::DecodeOne(std::string_view bytes, std::size_t* pos) const {
    const auto byte = static_cast<unsigned char>(bytes[*pos]);
    if (kind_ == Kind::Utf8) {
        const std::size_t at = *pos;
        const std::uint32_t code = utf16_detail::NextCodePoint(bytes, pos);
        // A byte that starts no valid sequence stands for itself, to be written back as it was.
        return code == 0xFFFD && *pos - at != 3 ? kRawByteBase + byte : code;
    }
    if (byteChars_[byte] < kRawByteBase || kind_ == Kind::SingleByte || *pos + 1 >= bytes.size()) {
        ++*pos;
        return byteChars_[byte];
    }
    const std::string_view pair = bytes.substr(*pos, 2);
    utf8_.clear();
    page_->Decode(pair, &utf8_);
    char32_t c = 0;
    if (OneCharacter(utf8_, &c) && page_->Encode(utf8_, &bytes_) && bytes_ == pair) {
        *pos += 2;
        return c;
    }
    ++*pos;
    return kRawByteBase + byte;
}

void NameText::Decode(std::string_view bytes, std::u32string* chars) const {
    for (std::size_t pos = 0; pos < bytes.size();) {
        const auto byte = static_cast<unsigned char>(bytes[pos]);
        if (byte < 0x80 && kind_ == Kind::Utf8) {
            chars->push_back(byte);
            ++pos;
        } else {
            chars->push_back(DecodeOne(bytes, &pos));
        }
    }
}

void NameText::Encode(std::u32string_view chars, std::string* bytes) const {
    for (const char32_t c : chars) {
        if (c >= kRawByteBase) {
            bytes->push_back(static_cast<char>(c - kRawByteBase));
        } else if (kind_ == Kind::Utf8) {
            utf16_detail::AppendCodePoint(*bytes, c);
        } else if (c < 0x80 && byteChars_[c] == c) {
            bytes->push_back(static_cast<char>(c));
        } else if (const auto it = charBytes_.find(c); it != charBytes_.end()) {
            bytes->push_back(static_cast<char>(it->second));
        } else {
            // Only a double-byte page's characters get here; each came from the page, or passed
            // CanEncode, so it has its bytes.
            utf8_.clear();
            utf16_detail::AppendCodePoint(utf8_, c);
            if (page_->Encode(utf8_, &bytes_))
                bytes->append(bytes_);
        }
    }
}

bool NameText::CanEncode(char32_t c) const {
    if (kind_ == Kind::Utf8 || (c < 0x80 && byteChars_[c] == c) || charBytes_.count(c) != 0)
        return true;
    if (kind_ == Kind::SingleByte)
        return false;
    utf8_.clear();
    utf16_detail::AppendCodePoint(utf8_, c);
    return page_->Encode(utf8_, &bytes_);
}

bool NameText::BytesAreCharacters(std::string_view pattern) const {
    // Valid UTF-8 found in UTF-8 text starts and ends where characters do.
    return kind_ == Kind::SingleByte || (kind_ == Kind::Utf8 && IsUtf8(pattern));
}

bool CompiledRules::Compile(const NameRules& rules, const CaseMapping& cases, const CodePage* oem,
                            CompiledRules* out, RegexError* error) {
    CompiledRules compiled;
    compiled.rules_ = rules;
    compiled.cases_ = &cases;
    compiled.text_ = NameText(oem);
    std::u32string find;
    compiled.text_.Decode(rules.find, &find);
    std::u32string replace;
    compiled.text_.Decode(rules.replace, &replace);
    compiled.replaces_ = !find.empty();
    if (compiled.replaces_ && rules.regex) {
        if (!Regex::Compile(find, !rules.matchCase, &compiled.regex_, error))
            return false;
        // "$1".."$9" a group the pattern has, "$&" the match, "$$" a dollar; any other "$" is
        // itself.
        std::u32string literal;
        for (std::size_t i = 0; i < replace.size(); ++i) {
            const char32_t next = i + 1 < replace.size() ? replace[i + 1] : 0;
            int group = -1;
            if (replace[i] == '$' && next == '&')
                group = 0;
            else if (replace[i] == '$' && next >= '1' && next <= '9' &&
                     next - '0' <= compiled.regex_.GroupCount())
                group = static_cast<int>(next - '0');
            if (group < 0) {
                literal.push_back(replace[i]);
                if (replace[i] == '$' && next == '$')
                    ++i;
                continue;
            }
            if (!literal.empty())
                compiled.replacement_.push_back({-1, std::move(literal)});
            literal.clear();
            compiled.replacement_.push_back({group, {}});
            ++i;
        }
        if (!literal.empty())
            compiled.replacement_.push_back({-1, std::move(literal)});
    } else if (compiled.replaces_) {
        compiled.bytewise_ = rules.matchCase && compiled.text_.BytesAreCharacters(rules.find);
        for (char32_t& c : find)
            c = rules.matchCase ? c : FoldCase(cases, c);
        compiled.find_ = std::move(find);
        compiled.replacement_.push_back({-1, std::move(replace)});
    }
    *out = std::move(compiled);
    return true;
}

void CompiledRules::ReplaceBytes(std::string_view name, std::string* out) const {
    std::size_t last = 0;
    for (std::size_t hit; (hit = name.find(rules_.find, last)) != std::string_view::npos;) {
        out->append(name, last, hit - last);
        out->append(rules_.replace);
        last = hit + rules_.find.size();
        if (rules_.firstOnly)
            break;
    }
    out->append(name, last);
}

void CompiledRules::Replace(const std::u32string& chars, std::u32string* out) const {
    out->clear();
    std::size_t last = 0;
    if (!rules_.regex) {
        const std::u32string* text = &chars;
        if (!rules_.matchCase) {
            folded_.resize(chars.size());
            for (std::size_t i = 0; i < chars.size(); ++i)
                folded_[i] = FoldCase(*cases_, chars[i]);
            text = &folded_;
        }
        for (std::size_t hit; (hit = text->find(find_, last)) != std::u32string::npos;) {
            out->append(chars, last, hit - last);
            out->append(replacement_[0].text);
            last = hit + find_.size();
            if (rules_.firstOnly)
                break;
        }
        out->append(chars, last);
        return;
    }
    // As JavaScript's replace with /g: after an empty match the search moves on one character,
    // which stays as it is.
    for (std::size_t from = 0; from <= chars.size() && regex_.Search(chars, from, &slots_, from != 0);) {
        const std::size_t start = slots_[0];
        const std::size_t end = slots_[1];
        out->append(chars, last, start - last);
        for (const Piece& piece : replacement_) {
            if (piece.group < 0) {
                out->append(piece.text);
            } else if (slots_[2 * piece.group] != Regex::kNoPosition) {
                const std::size_t begin = slots_[2 * piece.group];
                out->append(chars, begin, slots_[2 * piece.group + 1] - begin);
            }
        }
        last = end;
        if (rules_.firstOnly)
            break;
        from = end == start ? end + 1 : end;
    }
    out->append(chars, last);
}

void CompiledRules::ChangeCase(char32_t* begin, char32_t* end, LetterCase change) const {
    if (change == LetterCase::Unchanged)
        return;
    bool wordStart = true;
    for (char32_t* p = begin; p != end; ++p) {
        const char32_t c = *p;
        if (change == LetterCase::Title && IsWordSeparator(c)) {
            wordStart = true;
            continue;
        }
        const bool upper = change == LetterCase::Upper || (change == LetterCase::Title && wordStart);
        wordStart = false;
        if (c >= kRawByteBase)
            continue;
        const char32_t mapped = upper ? cases_->Upper(c) : cases_->Lower(c);
        // A letter whose other case the host's code page has no place for keeps its own.
        if (mapped != c && mapped < kRawByteBase && text_.CanEncode(mapped))
            *p = mapped;
    }
}

// The name part and the extension, split at the last '.' as %N and %E split them: ".bashrc" is
// all extension, "notes." all name.
void CompiledRules::ChangeCase(std::u32string* chars) const {
    char32_t* data = chars->data();
    const std::size_t dot = chars->rfind(U'.');
    if (dot == std::u32string::npos) {
        ChangeCase(data, data + chars->size(), rules_.nameCase);
        return;
    }
    ChangeCase(data, data + dot, rules_.nameCase);
    ChangeCase(data + dot + 1, data + chars->size(), rules_.extensionCase);
}

void CompiledRules::Apply(std::string_view name, std::string* out) const {
    out->clear();
    if (!rules_.Active()) {
        out->append(name);
        return;
    }
    const bool changesCase =
        rules_.nameCase != LetterCase::Unchanged || rules_.extensionCase != LetterCase::Unchanged;
    chars_.clear();
    if (bytewise_) {
        if (!changesCase) {
            ReplaceBytes(name, out);
            return;
        }
        bytes_.clear();
        ReplaceBytes(name, &bytes_);
        text_.Decode(bytes_, &chars_);
    } else {
        text_.Decode(name, &chars_);
        if (replaces_) {
            Replace(chars_, &replaced_);
            chars_.swap(replaced_);
        }
    }
    if (changesCase)
        ChangeCase(&chars_);
    text_.Encode(chars_, out);
}

std::size_t FindRefusedCharacter(std::string_view name, std::string_view refused, bool refuseControls) {
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto byte = static_cast<unsigned char>(name[i]);
        if ((refuseControls && byte < 0x20) || refused.find(name[i]) != std::string_view::npos)
            return i;
    }
    return std::string_view::npos;
}

}  // namespace velmora
