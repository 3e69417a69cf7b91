// Conversions at the edge to the system, whose texts are UTF-8, while the program's narrow texts are
// Windows-1252 bytes and its wide texts 16-bit characters.
#pragma once

#include <string>

namespace Platform {

// The Windows-1252 byte of a character, or -1 when the code page has none. The five bytes the code
// page leaves undefined stand for the control characters of the same value, as Windows maps them.
int CharacterToCp1252(char32_t character);
char32_t Cp1252ToCharacter(unsigned char byte);

std::string Cp1252ToUtf8(const std::string& text);
// Characters without a Windows-1252 byte, and malformed sequences, are left out.
std::string Utf8ToCp1252(const std::string& text);
// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string Utf16ToUtf8(const std::u16string& text);

} // namespace Platform
