// Windows-1252 and UTF-8 by table and by hand, never through the C library's locale.
#include "platform/TextEncoding.h"

#include <array>

namespace Platform {

namespace {

// The bytes 0x80 to 0x9F; the other bytes are the Latin-1 characters of the same value.
constexpr std::array<char32_t, 32> kHighControls = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                                    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                                    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                                    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

// Decodes one character at position i and moves past it; false for a malformed sequence (i then moves
// past its first byte).
bool NextUtf8(const std::string& text, size_t& i, char32_t& c)
{
    auto byte = [&](size_t k) { return (unsigned char)text[k]; };
    unsigned char lead = byte(i++);
    if (lead < 0x80) {
        c = lead;
        return true;
    }
    int extra = lead >= 0xF0 && lead < 0xF5 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC2 && lead < 0xE0 ? 1 : -1;
    if (extra < 0 || i + size_t(extra) > text.size()) {
        return false;
    }
    c = lead & (0x3F >> extra);
    for (int k = 0; k < extra; ++k) {
        if ((byte(i + size_t(k)) & 0xC0) != 0x80) {
            return false;
        }
        c = (c << 6) | (byte(i + size_t(k)) & 0x3F);
    }
    i += size_t(extra);
    constexpr char32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
    return c >= kSmallest[extra] && c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF);
}

} // namespace

int CharacterToCp1252(char32_t character)
{
    if (character < 0x80 || (character >= 0xA0 && character <= 0xFF)) {
        return int(character);
    }
    for (size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == character) {
            return int(0x80 + i);
        }
    }
    return -1;
}

char32_t Cp1252ToCharacter(unsigned char byte)
{
    return byte >= 0x80 && byte < 0xA0 ? kHighControls[byte - 0x80] : char32_t(byte);
}

std::string Cp1252ToUtf8(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        AppendUtf8(out, Cp1252ToCharacter((unsigned char)c));
    }
    return out;
}

std::string Utf8ToCp1252(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size();) {
        char32_t c = 0;
        if (!NextUtf8(text, i, c)) {
            continue;
        }
        if (int byte = CharacterToCp1252(c); byte >= 0) {
            out += char(byte);
        }
    }
    return out;
}

std::string Utf16ToUtf8(const std::u16string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        } else if (c >= 0xD800 && c < 0xE000) {
            c = 0xFFFD;
        }
        AppendUtf8(out, c);
    }
    return out;
}

} // namespace Platform
