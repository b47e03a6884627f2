// Letter case through the C library's wide-character tables, in a locale that knows every letter.
#include <locale.h>
#include <wctype.h>

#include "platform/LetterCase.hpp"

namespace velmora {
namespace {

class PosixCaseMapping final : public CaseMapping {
public:
    PosixCaseMapping() {
        // C.UTF-8 holds the whole of Unicode's simple case pairs whatever the user's language;
        // a system without it falls back to the environment's locale. A plain "C" locale would
        // only know ASCII, which the fallback below does without the library.
        locale_ = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
        if (!locale_)
            locale_ = ::newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(0));
    }
    ~PosixCaseMapping() override {
        if (locale_)
            ::freelocale(locale_);
    }
    PosixCaseMapping(const PosixCaseMapping&) = delete;
    PosixCaseMapping& operator=(const PosixCaseMapping&) = delete;

    char32_t Upper(char32_t c) const override {
        if (c < 0x80)
            return c >= 'a' && c <= 'z' ? c - 0x20 : c;
        return locale_ && c <= 0x10FFFF ? Checked(c, ::towupper_l(static_cast<wint_t>(c), locale_)) : c;
    }
    char32_t Lower(char32_t c) const override {
        if (c < 0x80)
            return c >= 'A' && c <= 'Z' ? c + 0x20 : c;
        return locale_ && c <= 0x10FFFF ? Checked(c, ::towlower_l(static_cast<wint_t>(c), locale_)) : c;
    }

private:
    // A wint_t too wide for Unicode (a narrow wchar_t's locale would give none, but a broken table
    // must not put a non-character into a name) leaves the character as it was.
    static char32_t Checked(char32_t c, wint_t mapped) {
        return static_cast<unsigned long>(mapped) <= 0x10FFFF ? static_cast<char32_t>(mapped) : c;
    }

    locale_t locale_;
};

}  // namespace

const CaseMapping& SystemCaseMapping() {
    static const PosixCaseMapping mapping;
    return mapping;
}

}  // namespace velmora
