// Text in a host's single-byte (or double-byte) code page, converted to and from UTF-8: the OEM
// code page in which FAR 3 and far2l read a description file that has no byte-order mark.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace velmora {

class CodePage {
public:
    virtual ~CodePage() = default;
    // UTF-8 text in the code page; false when some character has no place there.
    virtual bool Encode(std::string_view utf8, std::string* bytes) const = 0;
    // The code page's bytes in UTF-8, appended to *utf8. A byte the code page cannot map is kept
    // as it is, so that nothing is lost.
    virtual void Decode(std::string_view bytes, std::string* utf8) const = 0;
};

// True when the bytes are well-formed UTF-8: no stray continuation bytes, overlong forms,
// surrogates or values past U+10FFFF.
bool IsUtf8(std::string_view bytes);

// The bytes in UTF-8, line by line, appended to *utf8: a line that is UTF-8 as it stands stays as
// it is (a line a UTF-8 tool wrote into a file read in a code page), any other is decoded from
// `page`. Without a page every line stays as it is.
void AppendLinesInUtf8(const CodePage* page, std::string_view bytes, std::string* utf8);

// The system's converter for a code page by number (866, 850, 936, ...); null when it has none.
std::unique_ptr<CodePage> OpenCodePage(unsigned codePage);

// The OEM code page the host reads description files in: the system's (GetOEMCP) on Windows;
// elsewhere the one far2l deduces from the locale of the environment.
unsigned SystemOemCodePage();

}  // namespace velmora
