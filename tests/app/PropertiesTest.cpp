#include "app/PropertiesParser.h"
#include "app/TolmAppBase.h"
#include "core/Buffer.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

using namespace Tolm;

namespace {

class PopupRecordingApp : public TolmAppBase
{
public:
    void ShowErrorPopup(const std::string& text) override { popups.push_back(text); }
    bool VerifyDataSignature(Buffer& buffer, const std::string& path) override
    {
        signatureChecks.push_back(path + ":" + std::to_string(buffer.GetDataLen()));
        return signatureValid;
    }

    std::vector<std::string> popups;
    std::vector<std::string> signatureChecks;
    bool signatureValid = false;
};

std::string Wrap(const std::string& entries)
{
    return "<Properties>\n" + entries + "\n</Properties>\n";
}

class PropertiesTest : public testing::Test
{
protected:
    // Loads the text as a properties file and gives the error popup it raised, or "" when none.
    std::string Load(const std::string& text)
    {
        temp.Write("props.xml", text);
        app.popups.clear();
        bool loaded = app.LoadProperties(Path("props.xml"), true, false);
        EXPECT_EQ(loaded, app.popups.empty());
        return app.popups.empty() ? "" : app.popups.front();
    }

    std::string Path(const std::string& name) const { return temp.Path() + name; }

    TempFolder temp;
    PopupRecordingApp app;
};

TEST_F(PropertiesTest, BooleansAcceptTheFourWordPairsInAnyCase)
{
    struct Case
    {
        const char* text;
        bool expected;
    } cases[] = {{"true", true}, {"Yes", true}, {"on", true}, {"1", true},
                 {"off", false}, {"No", false}, {"0", false}, {"FALSE", false}};
    for (const Case& c : cases) {
        app.boolProperties.clear();
        EXPECT_EQ(Load(Wrap(std::string("<Boolean id=\"b\">") + c.text + "</Boolean>")), "") << c.text;
        EXPECT_EQ(app.GetBoolProperty("b", !c.expected), c.expected) << c.text;
    }
}

TEST_F(PropertiesTest, NumbersReadWithTheStrictSyntax)
{
    struct Case
    {
        const char* text;
        int expected;
    } integers[] = {{"12", 12}, {"-", 0}, {"0x1F", 31}, {"0X1f", 31}, {"0x", 0}, {"-40", -40}};
    for (const Case& c : integers) {
        EXPECT_EQ(Load(Wrap(std::string("<Integer id=\"i\">") + c.text + "</Integer>")), "") << c.text;
        EXPECT_EQ(app.GetIntPropertyOr("i", 99), c.expected) << c.text;
    }
    struct RealCase
    {
        const char* text;
        double expected;
    } doubles[] = {{"1.25", 1.25}, {"1.", 1.0}, {".", 0.0}, {"-2.5", -2.5}};
    for (const RealCase& c : doubles) {
        EXPECT_EQ(Load(Wrap(std::string("<Double id=\"d\">") + c.text + "</Double>")), "") << c.text;
        EXPECT_DOUBLE_EQ(app.GetDoublePropertyOr("d", 99), c.expected) << c.text;
    }
}

TEST_F(PropertiesTest, RefusedValuesStopWithTheirErrorAndLine)
{
    struct Case
    {
        const char* name;
        std::string text;
        const char* error;
    } cases[] = {
        {"maybe", "<Properties>\n<Boolean id=\"b\">\nmaybe</Boolean>\n</Properties>",
         "Invalid Boolean Value: 'MAYBE' on Line 3"},
        // White space is not trimmed: a leading space (here an entity) spoils the word.
        {"leading space", Wrap("<Boolean id=\"b\">&nbsp;true</Boolean>"), "Invalid Boolean Value: ' TRUE' on Line 2"},
        {"empty boolean", Wrap("<Boolean id=\"b\"></Boolean>"), "Invalid Boolean Value: '' on Line 2"},
        {"negative hex", Wrap("<Integer id=\"i\">-0x10</Integer>"), "Invalid Integer Value: '-0x10' on Line 2"},
        {"trailing letter", Wrap("<Integer id=\"i\">5x</Integer>"), "Invalid Integer Value: '5x' on Line 2"},
        {"empty integer", Wrap("\n\n<Integer id=\"i\"/>"), "Invalid Integer Value: '' on Line 4"},
        {"exponent", Wrap("<Double id=\"d\">1e3</Double>"), "Invalid Double Value: '1e3' on Line 2"},
        {"plus sign", Wrap("<Double id=\"d\">+1</Double>"), "Invalid Double Value: '+1' on Line 2"},
        {"unknown kind", Wrap("<Float id=\"f\">1</Float>"), "Invalid Section 'Float' on Line 2"},
        {"nested element", Wrap("<String id=\"s\">a<b/></String>"), "Unexpected Section: 'b' on Line 2"},
        {"text in Properties", Wrap("loose"), "Element Not Expected 'loose' on Line 3"},
        {"wrong top element", "<Settings/>", "Invalid Section 'Settings' on Line 1"},
        {"text at top", "hello <Properties/>", "Element Not Expected 'hello' on Line 1"},
        {"not a String in a list", Wrap("<StringArray id=\"l\"><Item/></StringArray>"),
         "Invalid Section 'Item' on Line 2"},
        {"text in a list", Wrap("<StringArray id=\"l\">x</StringArray>"), "Element Not Expected 'x' on Line 2"},
        {"syntax", Wrap("<String id=\"s\">x</Strin>"), "End 'Strin' Doesn't Match Start 'String' on Line 2"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Load(c.text), c.error) << c.name;
    }
}

TEST_F(PropertiesTest, EntriesStoredBeforeAnErrorStay)
{
    EXPECT_EQ(Load(Wrap("<String id=\"s\">kept</String>\n<Integer id=\"i\">7</Integer>\n<Float id=\"f\">1</Float>\n"
                        "<Integer id=\"after\">8</Integer>")),
              "Invalid Section 'Float' on Line 4");
    EXPECT_EQ(app.GetStringPropertyOrEmpty("s"), "kept");
    EXPECT_EQ(app.GetIntProperty("i"), 7);
    EXPECT_EQ(app.GetIntPropertyOr("after", -1), -1);
}

TEST_F(PropertiesTest, LaterEntriesWinExceptForStringArrays)
{
    app.SetIntProperty("i", 1);
    EXPECT_EQ(Load(Wrap("<String id=\"s\">first</String><String id=\"s\">second</String>"
                        "<Integer id=\"i\">2</Integer>"
                        "<StringArray id=\"l\"><String>a</String><String>b</String></StringArray>"
                        "<StringArray id=\"l\"><String>c</String></StringArray>")),
              "");
    EXPECT_EQ(app.GetStringPropertyOrEmpty("s"), "second");
    EXPECT_EQ(app.GetIntProperty("i"), 2);
    EXPECT_EQ(app.stringArrayProperties["l"], (std::vector<std::string>{"a", "b"}));
}

TEST_F(PropertiesTest, TextsAndIdsAsWritten)
{
    EXPECT_EQ(Load("<Properties><String id=\"empty\"></String><String>no id</String></Properties>\n"
                   "<Properties><String id=\"split\">one<!-- note -->two</String>"
                   "<String id=\"latin\">caf\xE9</String><StringArray id=\"none\"></StringArray></Properties>"),
              "");
    EXPECT_EQ(app.GetStringProperty("empty", "default"), "");
    EXPECT_EQ(app.GetStringPropertyOrEmpty(""), "no id");
    EXPECT_EQ(app.GetStringPropertyOrEmpty("split"), "two") << "the last piece of a text split by comments counts";
    EXPECT_EQ(app.GetStringPropertyOrEmpty("latin"), "caf\xE9");
    EXPECT_EQ(app.stringProperties["latin"], u"caf\u00E9") << "stored widened byte by byte";
    EXPECT_EQ(app.stringArrayProperties["none"], std::vector<std::string>{});
}

TEST_F(PropertiesTest, TheTablesAreIndependentAndNamesAreExact)
{
    app.SetStringProperty("x", u"text");
    app.SetIntProperty("x", 5);
    EXPECT_EQ(app.GetStringProperty("x", ""), "text");
    EXPECT_EQ(app.GetIntProperty("x"), 5);
    EXPECT_EQ(app.GetIntProperty("X"), 0);
    EXPECT_EQ(app.GetDoubleProperty("x"), 0.0);
    EXPECT_FALSE(app.GetBoolProperty("x", false));
    EXPECT_EQ(app.GetStringProperty("missing", "default"), "default");
    // A stored text beyond one byte per character cannot be narrowed and reads as empty.
    app.SetStringProperty("wide", u"\u0141");
    EXPECT_EQ(app.GetStringProperty("wide", "default"), "");
}

TEST_F(PropertiesTest, AnUnreadableFileIsAnErrorOnlyWhenErrorsAreShown)
{
    EXPECT_FALSE(app.LoadProperties(Path("missing.xml"), true, false));
    EXPECT_EQ(app.popups, std::vector<std::string>{"Unable to open properties file " + Path("missing.xml")});

    app.popups.clear();
    EXPECT_TRUE(app.LoadProperties(Path("missing.xml"), false, false));
    EXPECT_TRUE(app.popups.empty());

    app.popups.clear();
    temp.Write("folder.xml/inside.xml", "");
    EXPECT_FALSE(app.LoadProperties(Path("folder.xml"), true, false)) << "a folder is no file";
    EXPECT_EQ(app.popups, std::vector<std::string>{"Unable to open properties file " + Path("folder.xml")});

    app.popups.clear();
    app.SetStringProperty("UNABLE_OPEN_PROPERTIES", u"Missing: ");
    EXPECT_FALSE(app.LoadProperties("missing.xml", true, false));
    EXPECT_EQ(app.popups, std::vector<std::string>{"Missing: missing.xml"});
}

TEST_F(PropertiesTest, ARefusedSignatureIsAlwaysAnError)
{
    temp.Write("signed.xml", Wrap("<Integer id=\"i\">3</Integer>"));
    EXPECT_FALSE(app.LoadProperties(Path("signed.xml"), false, true));
    EXPECT_EQ(app.popups, std::vector<std::string>{"Signature check failed on '" + Path("signed.xml") + "'"});
    EXPECT_EQ(app.GetIntProperty("i"), 0);

    app.popups.clear();
    app.signatureValid = true;
    EXPECT_TRUE(app.LoadProperties(Path("signed.xml"), true, true));
    EXPECT_TRUE(app.popups.empty());
    EXPECT_EQ(app.GetIntProperty("i"), 3);
    EXPECT_EQ(app.signatureChecks.back(),
              Path("signed.xml") + ":" + std::to_string(Wrap("<Integer id=\"i\">3</Integer>").size()));

    app.signatureChecks.clear();
    EXPECT_TRUE(app.LoadProperties(Path("signed.xml"), true, false));
    EXPECT_TRUE(app.signatureChecks.empty()) << "asked only when a check is wanted";
}

TEST_F(PropertiesTest, OnlyTheFirstErrorOfAParseCounts)
{
    PropertiesParser parser(&app);
    Buffer buffer;
    std::string text = "<Properties><Integer id=\"a\">x</Integer></Properties>";
    buffer.SetData(reinterpret_cast<const uint8_t*>(text.data()), int(text.size()));
    EXPECT_FALSE(parser.ParsePropertiesBuffer(buffer));
    EXPECT_EQ(parser.GetErrorText(), "Invalid Integer Value: 'x' on Line 1");
}

TEST_F(PropertiesTest, AFileWithoutItsClosingTagKeepsWhatItRead)
{
    EXPECT_EQ(Load("<Properties>\n<Integer id=\"i\">4</Integer>\n"), "");
    EXPECT_EQ(app.GetIntProperty("i"), 4);
}

TEST_F(PropertiesTest, FilesAreReadWholeIntoTheBuffer)
{
    std::string bytes("a\r\n\0\xFFz", 6);
    temp.Write("bytes.bin", bytes);
    Buffer buffer;
    buffer.WriteLong(12345);
    ASSERT_TRUE(app.ReadFileToBuffer(Path("bytes.bin"), buffer, false));
    ASSERT_EQ(buffer.GetDataLen(), 6);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(buffer.GetDataPtr()), 6), bytes);
    EXPECT_EQ(buffer.ReadByte(), 'a') << "read from the start";
    EXPECT_FALSE(app.ReadFileToBuffer(Path("missing.bin"), buffer, false));
}

} // namespace
