// The steps of DescriptionText on POSIX, apart so that tests and the fuzzer can give the locale or
// the code page instead of taking the environment's. No system type appears here.
#pragma once

#include <string>
#include <string_view>

namespace velmora::host {

// True when the bytes are well-formed UTF-8: no stray continuation bytes, overlong forms,
// surrogates or values past U+10FFFF.
bool IsUtf8(std::string_view bytes);

// The locale LC_CTYPE takes from the environment, as setlocale(LC_ALL, "") picks it: the first of
// LC_ALL, LC_CTYPE and LANG that is set and not empty; "C" when none is.
std::string TextLocale();

// The OEM code page far2l deduces from a locale name: by its language and territory ("ru_RU" of
// "ru_RU.UTF-8"; a name with a modifier such as "sr_RS@latin" is not listed); 866 for C, POSIX and
// every locale it does not list.
unsigned OemCodePageOfLocale(std::string_view locale);

// DescriptionText with the OEM code page given. A code page the system cannot convert from leaves
// the lines as they are.
std::string_view DecodeDescriptionText(std::string_view bytes, unsigned oemCodePage, std::string* converted);

}  // namespace velmora::host
