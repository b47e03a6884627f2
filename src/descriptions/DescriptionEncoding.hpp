// The bytes of a rewritten description file. The run writes every line in the host's text; the
// encoding sees each line written and, once the last one is in, gives the file the code page its
// host reads it in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/Platform.hpp"
#include "plugin/PluginHost.hpp"

namespace velmora {

// The code page a description file's first bytes announce.
enum class DescriptionCodePage {
    Plain,    // no mark: the host's single-byte code page (OEM)
    Utf8,     // EF BB BF
    Utf16Le,  // FF FE
    Utf16Be,  // FE FF
};

// How many first bytes of a file CodePageOfMark needs at most.
constexpr std::size_t kLongestMark = 3;
DescriptionCodePage CodePageOfMark(std::string_view start);

// A Unicode host's text in a single-byte code page (FAR 3's OEM page).
class CodePageEncoder {
public:
    virtual ~CodePageEncoder() = default;
    // UTF-8 text in the code page; false when some character has no place there.
    virtual bool Encode(std::string_view utf8, std::string* bytes) const = 0;
};

class DescriptionEncoding {
public:
    virtual ~DescriptionEncoding() = default;
    // Whether the code page of an existing file matters to this host (else Begin gets Plain).
    virtual bool ReadsMark() const = 0;
    // Starts a rewrite of a file read in this code page (Plain for a new one). False when the
    // host cannot write such a file back without losing text: the file is then left as it is.
    virtual bool Begin(DescriptionCodePage readIn) = 0;
    // Bytes just written to the file.
    virtual void Note(std::string_view written) = 0;
    // Gives the written file its final bytes; *size is its size before and after.
    virtual FileResult Finish(WritableFile& file, std::uint64_t* size) = 0;
};

// The rules of the run's host:
//  - FAR 1.x: OEM bytes as they are. A file with a Unicode mark is never written: the host has
//    already squeezed its names and descriptions through the OEM code page ("??.txt"), and
//    writing them back would destroy the text for good.
//  - far2l: UTF-8 as it is, with a UTF-8 mark in front when any byte is not ASCII, since far2l
//    reads a file without a mark in its OEM code page.
//  - FAR 3 (`oem` required): the code page the file was read in, its mark written again; a new
//    file or one without a mark in OEM, unless some text has no place there: then UTF-8 with a
//    mark, rather than losing or refusing text.
std::unique_ptr<DescriptionEncoding> MakeDescriptionEncoding(HostText text, const CodePageEncoder* oem);

}  // namespace velmora
