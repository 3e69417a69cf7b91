#include "app/CustomTolmAppBase.h"
#include "core/PakArchive.h"
#include "core/PakInterface.h"
#include "support/TempFolder.h"

#include <climits>
#include <gtest/gtest.h>

using Tolm::Rect;

namespace {

class ConfigTest : public testing::Test
{
protected:
    bool Load(const std::string& settings)
    {
        temp.Write("config.xml", "<?xml version=\"1.0\"?>\n<settings>\n" + settings + "\n</settings>\n");
        return app.LoadConfig(temp.Path() + "config.xml");
    }

    TempFolder temp;
    CustomTolmAppBase app;
};

TEST_F(ConfigTest, EachTagLandsInItsTable)
{
    ASSERT_TRUE(Load(R"(<int name="lives" val="-3"/>
                        <float name="speed" val="1.25"/>
                        <string name="title" val="Quendara"/>
                        <bool name="sound" val="true"/>
                        <hex name="mask" val="FF"/>
                        <rect name="panel" x="1" y="2" width="30" height="40"/>
                        <position name="logo" x="5" y="6" width="7" height="8"/>)"));
    EXPECT_EQ(app.GetIntProperty("lives"), -3);
    EXPECT_EQ(app.GetDoubleProperty("speed"), 1.25);
    EXPECT_EQ(app.GetStringPropertyOrEmpty("title"), "Quendara");
    EXPECT_TRUE(app.GetBoolProperty("sound", false));
    EXPECT_EQ(app.GetIntProperty("mask"), 255);
    EXPECT_EQ(app.rectProperties.at("panel"), Rect(1, 2, 30, 40));
    EXPECT_EQ(app.rectProperties.at("logo"), Rect(5, 6, 7, 8));
}

TEST_F(ConfigTest, OnlyTheListedWordsReadAsFalse)
{
    struct Case
    {
        const char* text;
        bool expected;
    } cases[] = {{"true", true},   {"TRUE", true},   {"1", true},  {"yes", true}, {"False", true},
                 {"false", false}, {"FALSE", false}, {"0", false}, {"", false}};
    for (const Case& c : cases) {
        app.SetBoolProperty("flag", !c.expected);
        ASSERT_TRUE(Load(std::string("<bool name=\"flag\" val=\"") + c.text + "\"/>")) << c.text;
        EXPECT_EQ(app.GetBoolProperty("flag", !c.expected), c.expected) << c.text;
    }
}

TEST_F(ConfigTest, HexValuesReadAsA32BitUnsignedNumber)
{
    struct Case
    {
        std::string text;
        int expected;
    } cases[] = {
        {"FF", 255},      {"0x1f", 31},
        {"  1a", 26},     {"80000000", INT_MIN},
        {"FFFFFFFF", -1}, {"123456789", -1},
        {"zz", 0},        {"12zz", 0x12},
        {"-2", -2},       {std::string(260, '0') + "FF", 0},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(Load("<hex name=\"h\" val=\"" + c.text + "\"/>")) << c.text;
        EXPECT_EQ(app.GetIntPropertyOr("h", 99), c.expected) << c.text;
    }
}

TEST_F(ConfigTest, MissingRectangleSidesAreZero)
{
    ASSERT_TRUE(Load(R"(<rect name="r" x="4" width="9"/><rect name="s" x="a" y="2"/>)"));
    EXPECT_EQ(app.rectProperties.at("r"), Rect(4, 0, 9, 0));
    EXPECT_EQ(app.rectProperties.at("s"), Rect(0, 2, 0, 0));
}

TEST_F(ConfigTest, IncompleteAndUnknownSettingsAreSkipped)
{
    ASSERT_TRUE(Load(R"(<color name="c" val="1"/>
                        <int val="5"/>
                        <int name="notNumber" val="abc"/>
                        <float name="noValue"/>
                        <string name="noValue"/>
                        <Int name="caseMatters" val="1"/>
                        <int name="later" val="1"/>
                        <int name="later" val="2"/>)"));
    EXPECT_TRUE(app.intProperties.count("c") == 0 && app.stringProperties.count("c") == 0);
    EXPECT_EQ(app.intProperties.count(""), 0u);
    EXPECT_EQ(app.intProperties.count("notNumber"), 0u);
    EXPECT_EQ(app.doubleProperties.count("noValue"), 0u);
    EXPECT_EQ(app.stringProperties.count("noValue"), 0u);
    EXPECT_EQ(app.intProperties.count("caseMatters"), 0u);
    EXPECT_EQ(app.GetIntProperty("later"), 2);
}

TEST_F(ConfigTest, AnUnreadableFileStoresNothing)
{
    EXPECT_FALSE(app.LoadConfig(temp.Path() + "missing.xml"));
    temp.Write("broken.xml", "<settings><int name=\"a\" val=\"1\"/>");
    EXPECT_FALSE(app.LoadConfig(temp.Path() + "broken.xml"));
    temp.Write("empty.xml", "");
    EXPECT_FALSE(app.LoadConfig(temp.Path() + "empty.xml"));
    EXPECT_TRUE(app.intProperties.empty());
}

TEST_F(ConfigTest, ADocumentWithoutSettingsIsEmpty)
{
    temp.Write("other.xml", "<options><int name=\"a\" val=\"1\"/></options>");
    EXPECT_TRUE(app.LoadConfig(temp.Path() + "other.xml"));
    EXPECT_TRUE(app.intProperties.empty());
}

TEST_F(ConfigTest, LaterPropertiesFilesReplaceConfigurationValues)
{
    ASSERT_TRUE(Load(R"(<int name="n" val="1"/>)"));
    temp.Write("props.xml", "<Properties><Integer id=\"n\">2</Integer></Properties>");
    ASSERT_TRUE(app.LoadProperties(temp.Path() + "props.xml", true, false));
    EXPECT_EQ(app.GetIntProperty("n"), 2);
}

// Both files may lie in an archive: they are read through the file layer, not from the disk.
TEST(PakDataTest, ConfigurationAndPropertiesComeOutOfAnArchive)
{
    TempFolder temp;
    auto file = [](const std::string& name, const std::string& text) {
        return Tolm::PakSourceFile{name, 0, std::vector<uint8_t>(text.begin(), text.end())};
    };
    std::vector<uint8_t> archive;
    std::string error;
    ASSERT_TRUE(Tolm::WritePakArchive(
        {file("configpak\\config.xml", "<settings><int name=\"n\" val=\"5\"/></settings>"),
         file("configpak\\trans.xml", "<Properties>\r\n<String id=\"but_start\">Start</String></Properties>")},
        archive, error))
        << error;
    temp.Write("data.pak", std::string(archive.begin(), archive.end()));
    ASSERT_TRUE(GetSharedPakInterface()->AddPakFile(temp.Path() + "data.pak"));

    CustomTolmAppBase app;
    EXPECT_TRUE(app.LoadConfig("configpak\\config.xml"));
    EXPECT_EQ(app.GetIntProperty("n"), 5);
    EXPECT_TRUE(app.LoadProperties("CONFIGPAK/Trans.xml", true, false));
    EXPECT_EQ(app.GetStringPropertyOrEmpty("but_start"), "Start");
}

} // namespace
