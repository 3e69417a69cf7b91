#include "resources/XMLParser.h"

#include "core/PakArchive.h"
#include "core/PakInterface.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

using namespace Tolm;

namespace {

std::string Describe(const XMLElement& element)
{
    static const char* const kKinds[] = {"none", "start", "end", "text", "pi", "comment"};
    std::string text = kKinds[element.type];
    text += " " + element.value;
    for (const auto& [name, value] : element.attributes) {
        text += " " + name + "=" + value;
    }
    if (element.type == XMLElement::Instruction || element.type == XMLElement::Comment) {
        text += "|" + element.instruction + "|";
    }
    if (!element.section.empty()) {
        text += " @" + element.section;
    }
    return text;
}

// Every element the parser gives, then how it stopped: "end", or the error text and its line.
std::vector<std::string> ReadAll(XMLParser& parser)
{
    std::vector<std::string> seen;
    XMLElement element;
    for (int guard = 0; guard < 100 && parser.NextElement(element); ++guard) {
        seen.push_back(Describe(element));
    }
    seen.push_back(parser.HasFailed()
                       ? "error " + parser.GetErrorText() + " on line " + std::to_string(parser.GetCurrentLineNum())
                       : "end");
    return seen;
}

std::vector<std::string> ReadAll(const std::string& text, bool comments = false)
{
    XMLParser parser;
    parser.AllowComments(comments);
    parser.ParseFromString(text);
    return ReadAll(parser);
}

using Elements = std::vector<std::string>;

struct Case
{
    const char* name;
    std::string input;
    Elements expected;
};

void ExpectCases(const std::vector<Case>& cases)
{
    for (const Case& c : cases) {
        EXPECT_EQ(ReadAll(c.input), c.expected) << c.name;
    }
}

TEST(XMLParserTest, AttributesWithAndWithoutQuotes)
{
    ExpectCases({
        {"quoted and bare", R"(<a b="1" c=2>)", {"start a b=1 c=2", "end"}},
        {"spaces around equals", R"(<a b = "1" c = 2 >)", {"start a b=1 c=2", "end"}},
        {"quoted white space and brackets", R"(<a b=" x <y> /z ">)", {"start a b= x <y> /z ", "end"}},
        {"empty quoted value", R"(<a b="" c=1>)", {"start a b= c=1", "end"}},
        {"name without value", R"(<a b c=1>)", {"start a b= c=1", "end"}},
        {"repeated name keeps the last", R"(<a b=1 b=2>)", {"start a b=2", "end"}},
        {"entities decoded", R"(<a b="&lt;&amp;&quot;">)", {"start a b=<&\"", "end"}},
    });
}

TEST(XMLParserTest, EveryFormOfSelfClosingTagGivesAStartAndItsEnd)
{
    ExpectCases({
        {"slash after name", "<a/>", {"start a", "end a @a", "end"}},
        // The lone slash is left over as an attribute of its own, with no value.
        {"slash after space", "<a />", {"start a /=", "end a @a", "end"}},
        {"slash after quoted value", R"(<a b="1"/>)", {"start a b=1", "end a @a", "end"}},
        {"slash after space behind value", R"(<a b="1" />)", {"start a /= b=1", "end a @a", "end"}},
        {"slash after bare value", "<a b=1/>", {"start a b=1", "end a @a", "end"}},
        {"quoted value ending in slash", R"(<a b="1/">)", {"start a b=1", "end a @a", "end"}},
        {"nested", "<a><b/></a>", {"start a", "start b @a", "end b @a/b", "end a @a", "end"}},
    });
}

TEST(XMLParserTest, TextFoldsWhiteSpaceAndKnowsItsSection)
{
    ExpectCases({
        {"runs of spaces",
         "<a>  hello   big \t\n  world  </a>",
         {"start a", "text hello big world @a", "end a @a", "end"}},
        {"nested sections",
         "<a><b>t</b></a>",
         {"start a", "start b @a", "text t @a/b", "end b @a/b", "end a @a", "end"}},
        {"brackets inside quotes are text",
         R"(<a>say "x < y > z"</a>)",
         {"start a", "text say \"x < y > z\" @a", "end a @a", "end"}},
        {"white space between elements is dropped", "  <a>\n</a>  \n", {"start a", "end a @a", "end"}},
    });
}

TEST(XMLParserTest, EntitiesDecodeByExactName)
{
    ExpectCases({
        {"less and greater", "<a>&lt;b&gt;</a>", {"start a", "text <b> @a", "end a @a", "end"}},
        {"the rest", "<a>&amp;&quot;&apos;[&nbsp;]&cr;</a>", {"start a", "text &\"'[ ]\n @a", "end a @a", "end"}},
        {"unknown name leaves the ampersand", "<a>&foo;x</a>", {"start a", "text &x @a", "end a @a", "end"}},
        {"case matters", "<a>&LT;</a>", {"start a", "text & @a", "end a @a", "end"}},
        {"no numeric references", "<a>&#65;</a>", {"start a", "text & @a", "end a @a", "end"}},
        {"no later semicolon", "<a>a & b</a>", {"start a", "text a & b @a", "end a @a", "end"}},
        {"decoded once", "<a>&amp;lt;</a>", {"start a", "text &lt; @a", "end a @a", "end"}},
    });
    EXPECT_EQ(XMLDecode("x&gt;y&z"), "x>y&z");
    EXPECT_EQ(XMLDecodeWide(u"&lt;\u0141&nbsp;"), u"<\u0141 ");
}

TEST(XMLParserTest, CommentsAndInstructions)
{
    ExpectCases({
        {"comment skipped", "<!-- note --><a/>", {"start a", "end a @a", "end"}},
        {"comment without space is a tag",
         "<!--x--><a/>",
         {"start !--x--", "start a @!--x--", "end a @!--x--/a", "end"}},
        {"declaration", R"(<?xml version="1.0"?><a/>)", {"pi xml| version=\"1.0\"|", "start a", "end a @a", "end"}},
        {"instruction without text", "<?go?>", {"pi go||", "end"}},
    });
    EXPECT_EQ(ReadAll("<a><!-- two  words -- > --></a>", true),
              (Elements{"start a", "comment !--|two  words -- > | @a", "end a @a", "end"}))
        << "a comment runs to the first --> and keeps its inner white space";
    EXPECT_EQ(ReadAll("<a><!-- note --></a>", true), (Elements{"start a", "comment !--|note | @a", "end a @a", "end"}));
}

TEST(XMLParserTest, ErrorsCarryTheirTextAndLine)
{
    ExpectCases({
        {"end does not match", "<b>\n</a>", {"start b", "error End 'a' Doesn't Match Start 'b' on line 2"}},
        {"end at top level", "</a>", {"error Unexpected End on line 1"}},
        {"end of input in a tag", "<a b=\"1", {"error Unexpected End of File on line 1"}},
        {"end of input in text", "<a>\nx", {"start a", "error Unexpected End of File on line 2"}},
        {"end of input in a comment", "<!-- x", {"error Unexpected End of File on line 1"}},
        {"greater-than in text", "<a>\n\nx > y</a>", {"start a", "error Unexpected '>' on line 3"}},
        {"greater-than at top level", ">", {"error Unexpected '>' on line 1"}},
        {"less-than in a tag", "<a <b>", {"error Unexpected '<' on line 1"}},
        {"less-than in an end tag", "<a></a<>", {"start a", "error Unexpected '<' on line 1"}},
        {"control character", "<a>\n\x01</a>", {"start a", "error Illegal Character on line 2"}},
        {"nul in a tag", std::string("<a\0>", 4), {"error Illegal Character on line 1"}},
        {"third line", "<a>\n<b>\n</a>", {"start a", "start b @a", "error End 'a' Doesn't Match Start 'b' on line 3"}},
    });
    ExpectCases({
        {"control characters inside quotes are kept", "<a b=\"\x01\">", {"start a b=\x01", "end"}},
    });
}

TEST(XMLParserTest, WideCharactersKeepTheirLowByteExceptInAttributes)
{
    XMLParser parser;
    parser.SetStringSource(u"<a\u0141 b=\"\u00E9\" c=\"\u0141\">x\u0120y\u00E9</a\u0141>");
    // U+0141 keeps its low byte 'A' in names and text; its low byte 0x20 makes U+0120 a space; an
    // attribute value that does not fit a byte is empty.
    EXPECT_EQ(ReadAll(parser), (Elements{"start aA b=\xE9 c=", "text x y\xE9 @aA", "end aA @aA", "end"}));
}

TEST(XMLParserTest, ANewSourceStartsAfresh)
{
    XMLParser parser;
    parser.ParseFromString("<a>\n</b>");
    ReadAll(parser);
    ASSERT_TRUE(parser.HasFailed());
    parser.ParseFromString("<c/>");
    EXPECT_FALSE(parser.HasFailed());
    EXPECT_EQ(parser.GetErrorText(), "");
    EXPECT_EQ(parser.GetCurrentLineNum(), 1);
    EXPECT_EQ(parser.GetFileName(), "");
    EXPECT_EQ(ReadAll(parser), (Elements{"start c", "end c @c", "end"}));
}

class XMLFileTest : public testing::Test
{
protected:
    std::vector<std::string> ReadFile(const std::string& bytes)
    {
        temp.Write("file.xml", bytes);
        XMLParser parser;
        EXPECT_TRUE(parser.OpenFile(temp.Path() + "file.xml"));
        EXPECT_EQ(parser.GetFileName(), temp.Path() + "file.xml");
        EXPECT_EQ(parser.GetCurrentLineNum(), 1);
        return ReadAll(parser);
    }

    static std::string Utf16(const std::u16string& text, bool bigEndian)
    {
        std::string bytes;
        for (char16_t unit : text) {
            char low = char(unit & 0xFF);
            char high = char(unit >> 8);
            bytes += bigEndian ? high : low;
            bytes += bigEndian ? low : high;
        }
        return bytes;
    }

    TempFolder temp;
};

TEST_F(XMLFileTest, AMissingFileFailsWithItsName)
{
    XMLParser parser;
    EXPECT_FALSE(parser.OpenFile(temp.Path() + "missing.xml"));
    EXPECT_TRUE(parser.HasFailed());
    EXPECT_EQ(parser.GetErrorText(), "Unable to open file " + temp.Path() + "missing.xml");
    EXPECT_EQ(parser.GetCurrentLineNum(), 0);
}

TEST_F(XMLFileTest, TheSignatureChoosesTheEncoding)
{
    const Elements accented = {"start a b=\xE9", "text caf\xE9 @a", "end a @a", "end"};
    struct Case
    {
        const char* name;
        std::string bytes;
        Elements expected;
    } cases[] = {
        {"single bytes", "<a b=\"\xE9\">caf\xE9</a>", accented},
        {"UTF-8 with signature", "\xEF\xBB\xBF<a b=\"\xC3\xA9\">caf\xC3\xA9</a>", accented},
        // Without its signature UTF-8 is read a byte at a time.
        {"UTF-8 without signature", "<a>\xC3\xA9</a>", {"start a", "text \xC3\xA9 @a", "end a @a", "end"}},
        {"UTF-16 little-endian", Utf16(u"\uFEFF<a b=\"\u00E9\">caf\u00E9</a>", false), accented},
        {"UTF-16 big-endian", Utf16(u"\uFEFF<a b=\"\u00E9\">caf\u00E9</a>", true), accented},
        // Without its signature UTF-16 is read a byte at a time, and its zero bytes are illegal.
        {"UTF-16 without signature", Utf16(u"<a/>", false), {"error Illegal Character on line 1"}},
        {"empty file", "", {"end"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ReadFile(c.bytes), c.expected) << c.name;
    }
}

TEST_F(XMLFileTest, CharactersBeyondSixteenBitsKeepTheirLowBits)
{
    // U+1F641 keeps 0xF641, whose low byte is 'A'; so does the five-byte form of 0x200041.
    const Elements expected = {"start a", "text xAy @a", "end a @a", "end"};
    EXPECT_EQ(ReadFile("\xEF\xBB\xBF<a>x\xF0\x9F\x99\x81y</a>"), expected);
    EXPECT_EQ(ReadFile("\xEF\xBB\xBF<a>x\xF8\x88\x80\x81\x81y</a>"), expected);
    EXPECT_EQ(ReadFile(Utf16(u"\uFEFF<a>x\U0001F641y</a>", false)), expected);
}

TEST_F(XMLFileTest, MalformedEncodingsAreIllegalCharactersOnTheirLine)
{
    struct Case
    {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"continuation without lead", "\xEF\xBB\xBF<a>\n\x80</a>"},
        {"overlong two bytes", "\xEF\xBB\xBF<a>\n\xC1\xBF</a>"},
        {"overlong three bytes", "\xEF\xBB\xBF<a>\n\xE0\x9F\xBF</a>"},
        {"overlong four bytes", "\xEF\xBB\xBF<a>\n\xF0\x8F\xBF\xBF</a>"},
        {"overlong five bytes", "\xEF\xBB\xBF<a>\n\xF8\x87\xBF\xBF\xBF</a>"},
        {"six-byte lead", "\xEF\xBB\xBF<a>\n\xFC\x84\x80\x80\x80\x80</a>"},
        {"surrogate", "\xEF\xBB\xBF<a>\n\xED\xA0\x80</a>"},
        {"not a character", "\xEF\xBB\xBF<a>\n\xEF\xBF\xBE</a>"},
        {"wrong continuation", "\xEF\xBB\xBF<a>\n\xC3\x41</a>"},
        {"cut at the end", "\xEF\xBB\xBF<a>\n\xC3"},
        {"UTF-16 lone trail", Utf16(u"\uFEFF<a>\n", false) + Utf16(u"\xDC00</a>", false)},
        {"UTF-16 lead without trail", Utf16(u"\uFEFF<a>\n", false) + Utf16(u"\xD800x</a>", false)},
        {"UTF-16 odd byte at the end", Utf16(u"\uFEFF<a>\n", false) + "x"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ReadFile(c.bytes), (Elements{"start a", "error Illegal Character on line 2"})) << c.name;
    }
}

TEST_F(XMLFileTest, ASignatureInsideTheTextIsACharacter)
{
    EXPECT_EQ(ReadFile(Utf16(u"\uFEFF<a>x\uFEFF</a>", false)),
              (Elements{"start a", "text x\xFF @a", "end a @a", "end"}));
}

TEST_F(XMLFileTest, ArchivedFilesReadLikeDiskFiles)
{
    // U+0D41 is the bytes 41 0D in UTF-16: a text read that dropped carriage returns would lose one.
    std::string utf16 = Utf16(u"\uFEFF<a>\r\n\u0D41</a>", false);
    std::string bytes = "<a>\r\nx</a>";
    std::vector<uint8_t> archive;
    std::string error;
    ASSERT_TRUE(Tolm::WritePakArchive({{"xmlpak\\wide.xml", 0, std::vector<uint8_t>(utf16.begin(), utf16.end())},
                                       {"xmlpak\\bytes.xml", 0, std::vector<uint8_t>(bytes.begin(), bytes.end())}},
                                      archive, error))
        << error;
    temp.Write("xml.pak", std::string(archive.begin(), archive.end()));
    ASSERT_TRUE(GetSharedPakInterface()->AddPakFile(temp.Path() + "xml.pak"));

    XMLParser parser;
    ASSERT_TRUE(parser.OpenFile("xmlpak\\wide.xml"));
    EXPECT_EQ(ReadAll(parser), (Elements{"start a", "text A @a", "end a @a", "end"}));
    EXPECT_EQ(parser.GetCurrentLineNum(), 2);
    ASSERT_TRUE(parser.OpenFile("XMLPAK/bytes.xml"));
    EXPECT_EQ(ReadAll(parser), (Elements{"start a", "text x @a", "end a @a", "end"}));
}

} // namespace
