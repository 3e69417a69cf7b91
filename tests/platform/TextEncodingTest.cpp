#include "platform/TextEncoding.h"

#include <gtest/gtest.h>

using namespace Platform;

TEST(TextEncodingTest, Cp1252BytesRoundTripThroughUtf8)
{
    struct Case
    {
        const char* name;
        std::string cp1252;
        std::string utf8;
    };
    const Case cases[] = {
        {"ascii", "Quendara v.1.3", "Quendara v.1.3"},
        {"euro sign", "\x80", "\xE2\x82\xAC"},
        {"latin-1 letter", "caf\xE9", "caf\xC3\xA9"},
        {"y with diaeresis from the 0x80 block", "\x9F", "\xC5\xB8"},
        {"undefined byte stays its control character", "\x81", "\xC2\x81"},
        {"no-break space", "\xA0", "\xC2\xA0"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Cp1252ToUtf8(c.cp1252), c.utf8) << c.name;
        EXPECT_EQ(Utf8ToCp1252(c.utf8), c.cp1252) << c.name;
    }
}

TEST(TextEncodingTest, Utf8WithoutCp1252BytesOrMalformedIsLeftOut)
{
    EXPECT_EQ(Utf8ToCp1252("a\xE4\xB8\xAD"
                           "b"),
              "ab");                                     // a CJK character has no byte
    EXPECT_EQ(Utf8ToCp1252("a\xF0\x9F\x98\x80z"), "az"); // nor has an emoji
    EXPECT_EQ(Utf8ToCp1252("a\xC0\x80z"), "az");         // overlong zero
    EXPECT_EQ(Utf8ToCp1252("a\xE2\x82"), "a");           // cut short at the end
    EXPECT_EQ(Utf8ToCp1252("\xED\xA0\x80x"), "x");       // an encoded surrogate
    EXPECT_EQ(CharacterToCp1252(U'\u2122'), 0x99);
    EXPECT_EQ(CharacterToCp1252(U'\u0100'), -1);
}

TEST(TextEncodingTest, Utf16PairsBecomeOneCharacterAndLoneSurrogatesAreReplaced)
{
    EXPECT_EQ(Utf16ToUtf8(u"x\u00E9"), "x\xC3\xA9");
    EXPECT_EQ(Utf16ToUtf8(std::u16string{0xD83D, 0xDE00}), "\xF0\x9F\x98\x80");
    EXPECT_EQ(Utf16ToUtf8(std::u16string{0xD83D, u'a'}), "\xEF\xBF\xBD"
                                                         "a");
}
