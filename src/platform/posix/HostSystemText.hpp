// The steps of DescriptionText on POSIX, apart so that tests and the fuzzer can give the locale or
// the code page instead of taking the environment's. No system type appears here.
#pragma once

#include <string>
#include <string_view>

#include "platform/CodePage.hpp"
#include "platform/posix/PosixCodePage.hpp"

namespace velmora::host {

// Shared with the plug-in, which reads description files as far2l does.
using velmora::IsUtf8;
using velmora::OemCodePageOfLocale;
using velmora::TextLocale;

// DescriptionText with the OEM code page given. A code page the system cannot convert from leaves
// the lines as they are.
std::string_view DecodeDescriptionText(std::string_view bytes, unsigned oemCodePage, std::string* converted);

}  // namespace velmora::host
