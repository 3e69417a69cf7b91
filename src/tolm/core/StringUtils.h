// Text helpers the whole program shares. Strings are bytes in the Windows-1252 code page; wide strings
// hold 16-bit characters. Nothing here depends on the C library's locale: case, white space and the
// wide/narrow conversion follow the "C" rules byte for byte whatever locale the process runs in.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <string>
#include <string_view>

namespace Tolm {

// The program's one wide string type: 16-bit characters, as the Windows wide APIs and the fonts use them.
using WideString = std::u16string;

// printf-style formatting into a string. A text too long for the largest buffer the growth reaches
// (kMaxFormattedLength bytes) gives the empty string.
std::string FormatString(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string FormatStringV(const char* format, va_list arguments) __attribute__((format(printf, 1, 0)));
// The first buffer holds 160 characters; the heap buffer then doubles while the text does not fit and
// it is below 1000000 bytes, so the last one tried holds 160 << 13 characters.
constexpr int kMaxFormattedLength = 160 << 13;

// The value of a hexadecimal digit of either case, or -1 for any other character.
int HexDigitValue(char c);
// The hexadecimal number at the start of the text as the C library's strtoul reads it in base 16: white
// space, a sign, an optional "0x", then digits up to the first other character. A negative number wraps
// modulo 2^32, too large a one gives 0xFFFFFFFF. False, leaving value alone, when no digit leads.
bool LeadingHex(const char* text, uint32_t& value);
// Decimal, or hexadecimal after a "0x" prefix; an optional leading '-'. Anything else fails with 0.
// The value wraps modulo 2^32 rather than overflowing.
bool StringToInt(const std::string& text, int& out);
// Decimal with an optional '-' and an optional fraction; no exponent, no white space. Each fraction digit
// adds digit x 0.1^k, so "0.85" gives 0.8 + 5 x (0.1 x 0.1), one unit above the nearest double.
bool StringToDouble(const std::string& text, double& out);
// Digits grouped by three with ','; negative numbers give the empty string.
std::string FormatThousands(int value);

std::string StringToUpper(const std::string& text);
std::string StringToLower(const std::string& text);
// Each byte becomes the character of the same value (Latin-1), without a code-page table.
WideString StringToWide(const std::string& text);
// Each character up to 255 becomes the byte of the same value; a text holding any character above 255
// cannot be converted and gives the empty string.
std::string WideToString(const WideString& text);
std::string TrimString(const std::string& text);
// Position of the first occurrence of pattern in text without regard to case, or -1.
int FindNoCase(const std::string& text, const std::string& pattern);
// The number at the start of the text as the C library's atoi reads it (white space, a sign, digits up
// to the first other character; 0 when there are none), held at the int limits instead of overflowing.
int LeadingInt(std::string_view text);
// The real number at the start of the text as the C library's strtod reads it (white space, a sign, then a
// decimal or exponent form, "inf" or "nan"), locale-free; false when none leads or it lies beyond a double.
bool LeadingReal(const char* text, double& value);

} // namespace Tolm
