// The text a host hands the plug-in, and how a new name's length is measured in it.
#pragma once

namespace velmora {

// What the cut counts: bytes (FAR 1.x's OEM text); bytes of UTF-8 text, cut before a character
// that would not fit whole (far2l, whose own buffers count bytes); or characters of UTF-8 text
// (FAR 3).
enum class LengthUnit { Byte, Utf8Byte, Utf8Character };

// What the host's text is, as the run's strings carry it.
enum class HostText {
    Oem,      // FAR 1.x: bytes of the OEM code page, one a character
    Utf8,     // far2l: UTF-8, measured in bytes as far2l's own buffers are
    Unicode,  // FAR 3: UTF-8 converted from the host's UTF-16, measured in characters
};

// How a new name is cut to its length: in the host's measure, and in UTF-8 never inside a
// character (far2l would be handed a name that is no UTF-8).
constexpr LengthUnit CutUnit(HostText text) {
    switch (text) {
        case HostText::Utf8:
            return LengthUnit::Utf8Byte;
        case HostText::Unicode:
            return LengthUnit::Utf8Character;
        case HostText::Oem:
            break;
    }
    return LengthUnit::Byte;
}

}  // namespace velmora
