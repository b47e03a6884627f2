// The letter case of a character as the host's system sees it. Renaming to lower, upper or title
// case, and finding text without regard to case, ask this port, so each host follows its own
// system's rules for the letters beyond ASCII.
#pragma once

namespace velmora {

class CaseMapping {
public:
    virtual ~CaseMapping() = default;
    // The character in the other case, or the character itself when it has none (one code point
    // to one code point: no letter grows into two).
    virtual char32_t Upper(char32_t c) const = 0;
    virtual char32_t Lower(char32_t c) const = 0;
};

// The system's mapping, made once: the C.UTF-8 (else the environment's) locale on POSIX, the
// system's tables on Windows. Every call gives the same object.
const CaseMapping& SystemCaseMapping();

}  // namespace velmora
