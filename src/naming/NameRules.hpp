// What happens to a name after its template: find and replace (plain text or a regular
// expression), then the letter case of the name and of its extension. Pure text work in the host's
// text (UTF-8, or an OEM code page's bytes), no I/O.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "naming/Regex.hpp"
#include "platform/CodePage.hpp"
#include "platform/LetterCase.hpp"

namespace velmora {

enum class LetterCase { Unchanged, Lower, Upper, Title };

struct NameRules {
    std::string find;  // in the host's text; empty: nothing is replaced
    std::string replace;
    bool regex = false;                                // off: find and replace are plain text
    bool matchCase = false;                            // off: letters are compared without case
    bool firstOnly = false;                            // off: every match is replaced
    LetterCase nameCase = LetterCase::Unchanged;       // the name without its extension
    LetterCase extensionCase = LetterCase::Unchanged;  // the extension (after the last '.')
    // False when the rules leave every name as it is: callers then skip them altogether.
    bool Active() const {
        return !find.empty() || nameCase != LetterCase::Unchanged || extensionCase != LetterCase::Unchanged;
    }
};

// How a name's text converts to characters and back: UTF-8 (bytes that are not valid UTF-8 become
// raw-byte stand-ins, lone surrogates of a Unicode host stay surrogates), a single-byte code page by
// a table, or a double-byte one a character at a time. Every name converts back to its own bytes.
class NameText {
public:
    explicit NameText(const CodePage* page = nullptr);
    void Decode(std::string_view bytes, std::u32string* chars) const;  // appends
    void Encode(std::u32string_view chars, std::string* bytes) const;  // appends
    // True when the character has a place in the text (always, in UTF-8).
    bool CanEncode(char32_t c) const;
    // True when a byte search finds exactly the characters a character search would.
    bool BytesAreCharacters(std::string_view pattern) const;

private:
    enum class Kind { Utf8, SingleByte, DoubleByte };
    char32_t DecodeOne(std::string_view bytes, std::size_t* pos) const;

    Kind kind_ = Kind::Utf8;
    const CodePage* page_ = nullptr;
    std::array<char32_t, 256> byteChars_{};  // SingleByte: each byte's character or raw stand-in
    std::unordered_map<char32_t, unsigned char> charBytes_;
    mutable std::string utf8_;  // DoubleByte: the system converter's working text
    mutable std::string bytes_;
};

// Rules made ready once per batch (or per keystroke of the preview) and applied to each name.
class CompiledRules {
public:
    // Compiles rules given in the host's text (`oem` null: UTF-8; else that code page's bytes);
    // false with *error (offset in characters of `find`) when the expression is bad. `cases` and
    // `oem` must outlive the result.
    static bool Compile(const NameRules& rules, const CaseMapping& cases, const CodePage* oem,
                        CompiledRules* out, RegexError* error);

    // The rules applied to one expanded name, in the host's text, into *out (replaced; it must not
    // hold `name`). The result may be empty. Reuses its buffers: no allocation per name once warm,
    // and so not for two threads at once.
    void Apply(std::string_view name, std::string* out) const;

private:
    struct Piece {
        int group;  // -1: the literal text
        std::u32string text;
    };
    void Replace(const std::u32string& chars, std::u32string* out) const;
    void ReplaceBytes(std::string_view name, std::string* out) const;
    void ChangeCase(std::u32string* chars) const;
    void ChangeCase(char32_t* begin, char32_t* end, LetterCase change) const;

    NameRules rules_;
    const CaseMapping* cases_ = nullptr;
    NameText text_;
    bool replaces_ = false;
    bool bytewise_ = false;  // plain, matching case, in text where bytes are characters
    std::u32string find_;    // plain: folded unless matching case
    std::vector<Piece> replacement_;
    Regex regex_;

    mutable std::u32string chars_;
    mutable std::u32string replaced_;
    mutable std::u32string folded_;
    mutable std::string bytes_;
    mutable std::vector<std::size_t> slots_;
};

// The offset of the first byte of a name the system refuses: one of `refused`, or with
// refuseControls a control character (below 0x20); npos when there is none.
std::size_t FindRefusedCharacter(std::string_view name, std::string_view refused, bool refuseControls);

}  // namespace velmora
