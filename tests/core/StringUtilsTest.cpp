#include "core/StringUtils.h"

#include <gtest/gtest.h>

using namespace Tolm;

TEST(FormatStringTest, ShortTextsComeFromTheFirstBuffer)
{
    EXPECT_EQ(FormatString("%d-%s-%.2f", 12, "ab", 0.5), "12-ab-0.50");
    EXPECT_EQ(FormatString("%s", ""), "");
}

TEST(FormatStringTest, LongTextsAreFormattedWholeWithEveryArgument)
{
    // The second formatting pass must see the arguments from the start again.
    std::string longText(200, 'x');
    EXPECT_EQ(FormatString("%s|%d|%s", longText.c_str(), 12345, "tail"), longText + "|12345|tail");

    for (size_t length : {159u, 160u, 161u, 1000u, 100000u}) {
        std::string text(length, 'q');
        EXPECT_EQ(FormatString("%s", text.c_str()), text) << length;
    }
}

TEST(FormatStringTest, TextsBeyondTheLargestBufferGiveTheEmptyString)
{
    EXPECT_EQ(FormatString("%*d", kMaxFormattedLength, 7).size(), size_t(kMaxFormattedLength));
    EXPECT_EQ(FormatString("%*d", kMaxFormattedLength + 1, 7), "");
}

TEST(StringToIntTest, ParsesDecimalAndHexadecimalByItsOwnRules)
{
    struct Case
    {
        const char* text;
        bool ok;
        int value;
    } cases[] = {
        {"0", true, 0},
        {"42", true, 42},
        {"-42", true, -42},
        {"0x1f", true, 31},
        {"0X1F", true, 31},
        {"0xABCdef", true, 0xABCDEF},
        {"0x", true, 0},
        {"-", true, 0},
        // The 'x' must be the text's second character, so a sign before "0x" makes it the third.
        {"-0x10", false, 0},
        {"-x10", true, -16},
        {"x10", false, 0},
        {"1x0", false, 0},
        {"0x1x", false, 0},
        {"12a", false, 0},
        {"0x1g", false, 0},
        {"", false, 0},
        {" 5", false, 0},
        {"5 ", false, 0},
        {"+5", false, 0},
        {"5-", false, 0},
        {"1.0", false, 0},
        // No overflow check: values wrap modulo 2^32.
        {"4294967295", true, -1},
        {"4294967296", true, 0},
        {"2147483648", true, -2147483647 - 1},
        {"0xffffffff", true, -1},
        {"0x100000001", true, 1},
    };
    for (const Case& c : cases) {
        int value = 99;
        EXPECT_EQ(StringToInt(c.text, value), c.ok) << '"' << c.text << '"';
        EXPECT_EQ(value, c.value) << '"' << c.text << '"';
    }
}

TEST(StringToDoubleTest, AccumulatesFractionDigitsByPowersOfATenth)
{
    struct Case
    {
        const char* text;
        bool ok;
        double value;
    } cases[] = {
        {"3.25", true, 3.25},
        {"-.5", true, -0.5},
        {"12", true, 12},
        {"7.", true, 7},
        {".", true, 0},
        {"-0.125", true, -0.125},
        // 0.8 + 5 x (0.1 x 0.1): one unit in the last place above the double nearest 0.85.
        {"0.85", true, 8 * 0.1 + 5 * (0.1 * 0.1)},
        {"1.2.3", false, 0},
        {"", false, 0},
        {"1e5", false, 0},
        {"+1", false, 0},
        {" 1", false, 0},
        {"1 ", false, 0},
        {"1,5", false, 0},
        {"--1", false, 0},
    };
    for (const Case& c : cases) {
        double value = 99;
        EXPECT_EQ(StringToDouble(c.text, value), c.ok) << '"' << c.text << '"';
        EXPECT_EQ(value, c.value) << '"' << c.text << '"';
    }
    double value = 0;
    StringToDouble("0.85", value);
    EXPECT_NE(value, 0.85);
}

TEST(FormatThousandsTest, GroupsDigitsByThreeAndRefusesNegatives)
{
    struct Case
    {
        int value;
        const char* text;
    } cases[] = {
        {0, "0"},
        {7, "7"},
        {999, "999"},
        {1000, "1,000"},
        {100000, "100,000"},
        {1234567, "1,234,567"},
        {2147483647, "2,147,483,647"},
        {-5, ""},
        {-2147483647 - 1, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FormatThousands(c.value), c.text) << c.value;
    }
}

TEST(CaseConversionTest, ChangesOnlyAsciiLetters)
{
    EXPECT_EQ(StringToUpper("abc xyZ 09_\xe9\xff"), "ABC XYZ 09_\xe9\xff");
    EXPECT_EQ(StringToLower("ABC xyZ 09_\xc9\xdf"), "abc xyz 09_\xc9\xdf");
    EXPECT_EQ(StringToUpper(""), "");
}

TEST(WideConversionTest, WidensAndNarrowsByteForByte)
{
    std::string every;
    for (int i = 0; i < 256; ++i) {
        every += char(i);
    }
    WideString wide = StringToWide(every);
    ASSERT_EQ(wide.size(), 256u);
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(wide[size_t(i)], char16_t(i));
    }
    EXPECT_EQ(WideToString(wide), every);
    EXPECT_EQ(StringToWide("A\xe9"), u"A\u00e9");
}

TEST(WideConversionTest, TextWithACharacterAbove255CannotBeNarrowed)
{
    EXPECT_EQ(WideToString(u"price \u20ac5"), "");
    EXPECT_EQ(WideToString(u"\u0100"), "");
    EXPECT_EQ(WideToString(u"\u00ff"), "\xff");
    EXPECT_EQ(WideToString(u""), "");
}

TEST(TrimStringTest, RemovesCLocaleWhiteSpaceAtBothEnds)
{
    struct Case
    {
        const char* text;
        const char* trimmed;
    } cases[] = {
        {"  a b \t\r\n", "a b"},
        {"\v\fx\v", "x"},
        {"x", "x"},
        {"\t \n", ""},
        {"", ""},
        // A no-break space (0xA0) is not white space in the "C" rules.
        {"\xa0x\xa0", "\xa0x\xa0"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TrimString(c.text), c.trimmed) << '"' << c.text << '"';
    }
}

TEST(FindNoCaseTest, FindsTheFirstOccurrenceIgnoringCase)
{
    struct Case
    {
        const char* text;
        const char* pattern;
        int position;
    } cases[] = {
        {"Hello World", "WORLD", 6}, {"aAb", "ab", 1}, {"abcabc", "BC", 1}, {"abc", "", 0}, {"", "", -1},
        {"abc", "abcd", -1},         {"abc", "x", -1}, {"ab", "b", 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FindNoCase(c.text, c.pattern), c.position) << c.text << " / " << c.pattern;
    }
}

TEST(HexDigitValueTest, ReadsDigitsOfEitherCaseAndRefusesTheRest)
{
    const struct
    {
        char c;
        int value;
    } cases[] = {{'0', 0}, {'9', 9}, {'a', 10}, {'f', 15}, {'A', 10}, {'F', 15}, {'g', -1},
                 {'G', -1}, {'/', -1}, {':', -1}, {'@', -1}, {'`', -1}, {' ', -1}, {'\0', -1}};
    for (const auto& c : cases) {
        EXPECT_EQ(HexDigitValue(c.c), c.value) << c.c;
    }
}

TEST(LeadingHexTest, ReadsAsTheCLibrarysBase16ConversionInto32Bits)
{
    const struct
    {
        const char* text;
        bool read;
        uint32_t value;
    } cases[] = {
        {"ff", true, 0xFF},
        {"  \t0x1A2b rest", true, 0x1A2B},
        {"0X10", true, 0x10},
        {"+7f", true, 0x7F},
        // A negative number wraps modulo 2^32.
        {"-1", true, 0xFFFFFFFFu},
        {"-0x10", true, 0xFFFFFFF0u},
        // "0x" without a digit after it reads the 0 alone.
        {"0xg", true, 0},
        {"FFFFFFFF", true, 0xFFFFFFFFu},
        // Too many digits hold at the largest value, whatever the sign.
        {"100000000", true, 0xFFFFFFFFu},
        {"-123456789abcdef", true, 0xFFFFFFFFu},
        {"", false, 77},
        {"x1", false, 77},
        {"- 1", false, 77},
        {"--1", false, 77},
    };
    for (const auto& c : cases) {
        uint32_t value = 77;
        EXPECT_EQ(LeadingHex(c.text, value), c.read) << c.text;
        EXPECT_EQ(value, c.value) << c.text;
    }
}
