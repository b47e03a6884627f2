// The name template language: "%F" name, "%N" base, "%E" extension, "%#" decimal counter,
// "%h"/"%H" hexadecimal counter, "%T" total, "%%" a percent sign. Pure text work, no I/O.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "naming/HostText.hpp"

namespace velmora {

// An expanded name is cut to this many characters.
constexpr std::size_t kMaxExpandedLength = 260;
// Position value meaning "not found".
constexpr std::size_t kNone = std::string_view::npos;

// First / last occurrence of a character, or kNone.
std::size_t FindChar(std::string_view text, char c);
std::size_t FindLastChar(std::string_view text, char c);

// Appends at most size - 1 characters of source (lstrcpyn semantics); size 0 appends nothing.
void AppendBounded(std::string& destination, std::string_view source, std::size_t size);

std::string FormatDecimal(std::uint32_t value);
// Lower- or upper-case hexadecimal, zero-filled to width, never cut.
std::string FormatHex(std::uint32_t value, bool upperCase, int width);
// Zero-fills decimal digits to the bound's digit count, capped at 7.
std::string PadDecimal(const std::string& digits, std::uint32_t bound);

// Text after the last ".", or empty.
std::string_view GetExtension(std::string_view name);
// The name without "." and extension; whole when the extension is empty.
std::string GetBaseName(std::string_view name);

// The start value of a start-number text: its decimal value modulo 2^32, or 0 when empty or
// when any character is not a digit.
std::uint32_t StartValue(std::string_view startNumber);

// The number whose digit count sets the counters' zero padding for a batch.
std::uint32_t CounterWidthBound(std::string_view startNumber, std::uint32_t start,
                                std::uint32_t selectedCount);

// The numbers a batch's counters follow: the item at index i counts start + i, and "%T" prints
// total; bound sets the zero padding (CounterWidthBound, or 0 for none).
struct CounterParameters {
    std::uint32_t start = 0;
    std::uint32_t total = 0;
    std::uint32_t bound = 0;
    bool withoutZero = false;
};

// The counters of a batch of `count` items from the dialog's start number and zero switch, as
// the run follows them.
CounterParameters BatchCounter(std::string_view startNumber, bool withoutZero, std::uint32_t count);

// Expands a template for the item at index of its batch. A null template (as opposed to an empty
// one) gives "".
std::string ExpandTemplate(const char* nameTemplate, std::string_view itemName, std::uint32_t index,
                           const CounterParameters& counter, LengthUnit unit = LengthUnit::Byte);
// The same without the cut, for steps that come between the template and the cut.
void ExpandTemplateUncut(std::string& result, const char* nameTemplate, std::string_view itemName,
                         std::uint32_t index, const CounterParameters& counter, LengthUnit unit);
// Cuts a name to kMaxExpandedLength in the unit, as an expansion is cut: never inside a UTF-8
// character.
void CutExpandedName(std::string& name, LengthUnit unit);
// The same, into a caller's buffer (emptied first): a run over many items reuses one buffer and so
// allocates nothing per item.
void ExpandTemplateInto(std::string& result, const char* nameTemplate, std::string_view itemName,
                        std::uint32_t index, const CounterParameters& counter,
                        LengthUnit unit = LengthUnit::Byte);

}  // namespace velmora
