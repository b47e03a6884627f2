// Letter case through the system's own tables, as Explorer and FAR apply them to names.
#include "platform/LetterCase.hpp"
#include "platform/win32/WindowsPrelude.hpp"

namespace velmora {
namespace {

class Win32CaseMapping final : public CaseMapping {
public:
    char32_t Upper(char32_t c) const override {
        if (c < 0x80)
            return c >= 'a' && c <= 'z' ? c - 0x20 : c;
        return Mapped(c, CharUpperBuffW);
    }
    char32_t Lower(char32_t c) const override {
        if (c < 0x80)
            return c >= 'A' && c <= 'Z' ? c + 0x20 : c;
        return Mapped(c, CharLowerBuffW);
    }

private:
    // The tables map UTF-16 units one to one: a character beyond the basic plane, or a
    // surrogate on its own, stays as it is.
    static char32_t Mapped(char32_t c, DWORD(WINAPI* map)(LPWSTR, DWORD)) {
        if (c >= 0x10000 || (c >= 0xD800 && c <= 0xDFFF))
            return c;
        WCHAR unit = static_cast<WCHAR>(c);
        map(&unit, 1);
        return unit >= 0xD800 && unit <= 0xDFFF ? c : static_cast<char32_t>(unit);
    }
};

}  // namespace

const CaseMapping& SystemCaseMapping() {
    static const Win32CaseMapping mapping;
    return mapping;
}

}  // namespace velmora
