// Formatting, strict number parsing, case and width conversion.
#include "core/StringUtils.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace Tolm {

namespace {

// The "C" locale's rules, fixed here so that a locale set by a library cannot change them.
char UpperByte(char c)
{
    return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
}

char LowerByte(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

bool IsSpaceByte(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

bool IsDecimalDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The value of c as a digit of the base (10 or 16), or -1.
int DigitValue(char c, uint32_t base)
{
    if (base == 16) {
        return HexDigitValue(c);
    }
    return IsDecimalDigit(c) ? c - '0' : -1;
}

constexpr int kFirstBufferLength = 160;

} // namespace

int HexDigitValue(char c)
{
    if (IsDecimalDigit(c)) {
        return c - '0';
    }
    char lower = LowerByte(c);
    return lower >= 'a' && lower <= 'f' ? lower - 'a' + 10 : -1;
}

bool LeadingHex(const char* text, uint32_t& value)
{
    while (IsSpaceByte(*text)) {
        ++text;
    }
    const bool negative = *text == '-';
    if (*text == '-' || *text == '+') {
        ++text;
    }
    if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X') && HexDigitValue(text[2]) >= 0) {
        text += 2;
    }
    if (HexDigitValue(*text) < 0) {
        return false;
    }
    uint64_t magnitude = 0;
    for (; HexDigitValue(*text) >= 0; ++text) {
        magnitude = std::min<uint64_t>(magnitude * 16 + uint64_t(HexDigitValue(*text)), uint64_t(UINT32_MAX) + 1);
    }
    if (magnitude > UINT32_MAX) {
        value = UINT32_MAX;
        return true;
    }
    value = negative ? 0u - uint32_t(magnitude) : uint32_t(magnitude);
    return true;
}

std::string FormatString(const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    std::string text = FormatStringV(format, arguments);
    va_end(arguments);
    return text;
}

// Every pass over the arguments works on its own copy: a va_list that has been walked once cannot be
// walked again.
std::string FormatStringV(const char* format, va_list arguments)
{
    char firstBuffer[kFirstBufferLength + 1];
    va_list pass;
    va_copy(pass, arguments);
    int length = std::vsnprintf(firstBuffer, sizeof firstBuffer, format, pass);
    va_end(pass);
    if (length < 0 || length > kMaxFormattedLength) {
        return {};
    }
    if (length <= kFirstBufferLength) {
        return std::string(firstBuffer, size_t(length));
    }
    std::string text(size_t(length), '\0');
    va_copy(pass, arguments);
    std::vsnprintf(text.data(), text.size() + 1, format, pass);
    va_end(pass);
    return text;
}

bool StringToInt(const std::string& text, int& out)
{
    out = 0;
    if (text.empty()) {
        return false;
    }
    bool negative = text[0] == '-';
    uint32_t base = 10;
    uint32_t value = 0;
    for (size_t i = negative ? 1 : 0; i < text.size(); ++i) {
        char c = text[i];
        // Only "0x..." and "-x..." switch to hexadecimal: the 'x' must be the text's second character.
        if ((c == 'x' || c == 'X') && i == 1 && value == 0) {
            base = 16;
            continue;
        }
        int digit = DigitValue(c, base);
        if (digit < 0) {
            return false;
        }
        value = value * base + uint32_t(digit);
    }
    out = int(negative ? 0u - value : value);
    return true;
}

bool StringToDouble(const std::string& text, double& out)
{
    out = 0;
    if (text.empty()) {
        return false;
    }
    bool negative = text[0] == '-';
    size_t i = negative ? 1 : 0;
    double value = 0;
    for (; i < text.size() && text[i] != '.'; ++i) {
        if (!IsDecimalDigit(text[i])) {
            return false;
        }
        value = value * 10 + (text[i] - '0');
    }
    double place = 0.1;
    for (i = i + 1; i < text.size(); ++i) {
        if (!IsDecimalDigit(text[i])) {
            return false;
        }
        value += (text[i] - '0') * place;
        place *= 0.1;
    }
    out = negative ? -value : value;
    return true;
}

std::string FormatThousands(int value)
{
    if (value < 0) {
        return {};
    }
    std::string digits = std::to_string(value);
    std::string grouped;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) {
            grouped += ',';
        }
        grouped += digits[i];
    }
    return grouped;
}

std::string StringToUpper(const std::string& text)
{
    std::string result = text;
    for (char& c : result) {
        c = UpperByte(c);
    }
    return result;
}

std::string StringToLower(const std::string& text)
{
    std::string result = text;
    for (char& c : result) {
        c = LowerByte(c);
    }
    return result;
}

WideString StringToWide(const std::string& text)
{
    WideString wide;
    wide.reserve(text.size());
    for (char c : text) {
        wide += char16_t(static_cast<unsigned char>(c));
    }
    return wide;
}

std::string WideToString(const WideString& text)
{
    std::string narrow;
    narrow.reserve(text.size());
    for (char16_t c : text) {
        if (c > 0xFF) {
            return {};
        }
        narrow += char(c);
    }
    return narrow;
}

std::string TrimString(const std::string& text)
{
    size_t first = 0;
    while (first < text.size() && IsSpaceByte(text[first])) {
        ++first;
    }
    size_t end = text.size();
    while (end > first && IsSpaceByte(text[end - 1])) {
        --end;
    }
    return text.substr(first, end - first);
}

int FindNoCase(const std::string& text, const std::string& pattern)
{
    for (size_t start = 0; start < text.size() && start + pattern.size() <= text.size(); ++start) {
        size_t matched = 0;
        while (matched < pattern.size() && LowerByte(text[start + matched]) == LowerByte(pattern[matched])) {
            ++matched;
        }
        if (matched == pattern.size()) {
            return int(start);
        }
    }
    return -1;
}

int LeadingInt(std::string_view text)
{
    size_t position = 0;
    while (position < text.size() && (text[position] == ' ' || (text[position] >= '\t' && text[position] <= '\r'))) {
        ++position;
    }
    bool negative = position < text.size() && text[position] == '-';
    if (position < text.size() && (text[position] == '-' || text[position] == '+')) {
        ++position;
    }
    int64_t value = 0;
    for (; position < text.size() && text[position] >= '0' && text[position] <= '9'; ++position) {
        value = std::min<int64_t>(value * 10 + (text[position] - '0'), int64_t(INT_MAX) + 1);
    }
    value = negative ? -value : value;
    return int(std::clamp<int64_t>(value, INT_MIN, INT_MAX));
}

bool LeadingReal(const char* text, double& value)
{
    while (*text == ' ' || (*text >= '\t' && *text <= '\r')) {
        ++text;
    }
    const bool negative = *text == '-';
    if (*text == '-' || *text == '+') {
        ++text;
    }
    // from_chars takes a minus sign of its own but no plus sign, and no second sign after the first.
    if (*text == '-' || *text == '+') {
        return false;
    }
    const std::from_chars_result read =
        std::from_chars(text, text + std::strlen(text), value, std::chars_format::general);
    if (read.ec != std::errc()) {
        return false;
    }
    value = negative ? -value : value;
    return true;
}

} // namespace Tolm
