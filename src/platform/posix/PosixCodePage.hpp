// How far2l picks the OEM code page it reads description files in. No system type appears here.
#pragma once

#include <string>
#include <string_view>

namespace velmora {

// The locale LC_CTYPE takes from the environment, as setlocale(LC_ALL, "") picks it: the first of
// LC_ALL, LC_CTYPE and LANG that is set and not empty; "C" when none is.
std::string TextLocale();

// The OEM code page far2l deduces from a locale name: by its language and territory ("ru_RU" of
// "ru_RU.UTF-8"; a name with a modifier such as "sr_RS@latin" is not listed); 866 for C, POSIX and
// every locale it does not list.
unsigned OemCodePageOfLocale(std::string_view locale);

}  // namespace velmora
