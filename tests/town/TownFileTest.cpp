// Reading the town file: its location and error box, the lookup by id, the defaults, the C-style numbers,
// the people's goals, and what a hand-written file may lack.
#include "TownFixture.h"
#include "app/TolmAppBase.h"
#include "core/StringUtils.h"
#include "graphics/Animator.h"
#include "graphics/Graphics.h"
#include "town/BuildingsFactory.h"
#include "town/Town.h"
#include "town/TownManFactory.h"

#include <gmock/gmock.h>

using testing::HasSubstr;

namespace {

class TownFileTest : public TownFixture
{
protected:
    BaseTownBuilding& Building(int id) { return *BuildingsFactory::Instance()->GetById(id); }
    TownMan& Person(int id) { return *TownManFactory::Instance()->GetById(id); }
};

TEST_F(TownFileTest, MissingFileShowsTheBoxNamingTownXmlThenATownWithoutElements)
{
    MakeTown();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0], "Error: Couldn't open town.xml. Error returned:\n\"Failed to open file\"");
    for (int id = 0; id < BuildingsFactory::kBuildings; ++id) {
        EXPECT_EQ(Building(id).GetBuildingImage(), nullptr);
        EXPECT_EQ(Building(id).GetCostGold(), 0);
        EXPECT_EQ(Building(id).GetBonusBrickType(), 0);
    }
    EXPECT_EQ(Person(3).GetGoalGold(), -1);
}

TEST_F(TownFileTest, TheTownFilePropertyNamesAnotherFileButTheBoxStillNamesTownXml)
{
    app.SetStringProperty("town_file", Tolm::StringToWide("properties\\other_town.xml"));
    temp.Write("properties/other_town.xml", "<Town><Building id=\"well\"><Description>Deep</Description>"
                                            "<Cost gold=\"7\"/><ImageBuilding id=\"B_well\"/></Building></Town>");
    Picture("B_well", 4, 4);
    MakeTown();
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(Building(2).GetCostGold(), 7);

    delete Town::RegisteredInstance();
    temp.Write("properties/other_town.xml", "<Town><Building id=");
    Town::Instance();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_THAT(boxes.shown[0], HasSubstr("Couldn't open town.xml. Error returned:\n\""));
    EXPECT_EQ(Building(2).GetCostGold(), 0);
}

TEST_F(TownFileTest, BuildingReadsItsElementWithDefaultsForTheOptionalOnes)
{
    Picture("B_well", 40, 30);
    Picture("B_garden", 20, 20);
    Picture("P_garden", 10, 10);
    Picture("F_garden", 20, 24);
    WriteTown(BuildingElement("well", 100, 200) +
              BuildingElement("garden", -5, 7,
                              "<ImagePreview id=\"P_garden\"/><ImageGfx id=\"F_garden\"/><Effects gfx=\"appear\"/>"
                              "<Bonus type=\"F3\"/>"));
    MakeTown();
    const BaseTownBuilding& well = Building(2);
    EXPECT_EQ(well.GetDescription(), "The well.");
    EXPECT_EQ(well.GetCostGold(), 10);
    EXPECT_EQ(well.GetX(), 100);
    EXPECT_EQ(well.GetY(), 200);
    EXPECT_EQ(well.GetBuildingImage()->name, "B_well");
    EXPECT_EQ(well.GetPreviewImage(), well.GetBuildingImage());
    EXPECT_EQ(well.GetFallImage(), well.GetBuildingImage());
    EXPECT_FALSE(well.FadesIn());
    EXPECT_EQ(well.GetBonusBrickType(), 0);
    const BaseTownBuilding& garden = Building(1);
    EXPECT_EQ(garden.GetX(), -5);
    EXPECT_EQ(garden.GetPreviewImage()->name, "P_garden");
    EXPECT_EQ(garden.GetFallImage()->name, "F_garden");
    EXPECT_TRUE(garden.FadesIn());
    // F followed by d is type d + 10.
    EXPECT_EQ(garden.GetBonusBrickType(), 13);
}

TEST_F(TownFileTest, IdsMatchByteForByteAndTheFirstOfTwoWins)
{
    Picture("B_well", 4, 4);
    WriteTown("<Building id=\"Well\"><Description>wrong case</Description><Cost gold=\"1\"/>"
              "<ImageBuilding id=\"B_well\"/></Building>"
              "<Building id=\"well \"><Description>trailing blank</Description><Cost gold=\"2\"/>"
              "<ImageBuilding id=\"B_well\"/></Building>"
              "<Building id=\"well\"><Description>first</Description><Cost gold=\"3\"/>"
              "<ImageBuilding id=\"B_well\"/></Building>"
              "<Building id=\"well\"><Description>second</Description><Cost gold=\"4\"/>"
              "<ImageBuilding id=\"B_well\"/></Building>");
    MakeTown();
    EXPECT_EQ(Building(2).GetDescription(), "first");
    EXPECT_EQ(Building(2).GetCostGold(), 3);
}

TEST_F(TownFileTest, CostsReadAsCIntegers)
{
    struct Case
    {
        const char* name;
        const char* text;
        int expected;
    };
    const Case cases[] = {
        {"plain", "250", 250},
        {"digits then letters", "12abc", 12},
        {"no digits", "abc", 0},
        {"leading blanks and plus", "  +40", 40},
        {"negative", "-8", -8},
        {"above the int range", "99999999999", 2147483647},
        {"below the int range", "-99999999999", -2147483648},
    };
    Picture("B_well", 4, 4);
    for (const Case& c : cases) {
        WriteTown(std::string("<Building id=\"well\"><Description>d</Description><Cost gold=\"") + c.text +
                  "\"/><ImageBuilding id=\"B_well\"/></Building>");
        delete Town::RegisteredInstance();
        MakeTown();
        EXPECT_EQ(Building(2).GetCostGold(), c.expected) << c.name;
        EXPECT_EQ(Building(2).GetCostFood(), 0) << c.name;
    }
}

TEST_F(TownFileTest, OnlyTheExactTextAppearFadesIn)
{
    struct Case
    {
        const char* effect;
        bool fades;
    };
    const Case cases[] = {{"appear", true}, {"Appear", false}, {"fall", false}, {"appear ", false}};
    Picture("B_well", 4, 4);
    for (const Case& c : cases) {
        WriteTown(BuildingElement("well", 0, 0, std::string("<Effects gfx=\"") + c.effect + "\"/>"));
        delete Town::RegisteredInstance();
        MakeTown();
        EXPECT_EQ(Building(2).FadesIn(), c.fades) << c.effect;
    }
}

TEST_F(TownFileTest, MissingRequiredElementsReadEmptyWithAWarningNamingThem)
{
    WriteTown("<Building id=\"well\"><Description/></Building>"
              "<People id=\"dwarf\"><Name>Brom</Name><Image id=\"NOT_LOADED\"/></People>");
    MakeTown();
    const BaseTownBuilding& well = Building(2);
    EXPECT_EQ(well.GetDescription(), "");
    EXPECT_EQ(well.GetCostGold(), 0);
    EXPECT_EQ(well.GetBuildingImage(), nullptr);
    EXPECT_THAT(warnings.lines, HasSubstr("Building \"well\" has an empty Description"));
    EXPECT_THAT(warnings.lines, HasSubstr("Building \"well\" has no Cost"));
    EXPECT_THAT(warnings.lines, HasSubstr("Building \"well\" has no ImageBuilding"));
    const TownMan& dwarf = Person(2);
    EXPECT_EQ(dwarf.GetName(), "Brom");
    EXPECT_EQ(dwarf.GetComments(), "");
    EXPECT_EQ(dwarf.GetImage(), nullptr);
    EXPECT_THAT(warnings.lines, HasSubstr("People \"dwarf\" has no Comments"));
    EXPECT_THAT(warnings.lines, HasSubstr("People \"dwarf\" names the picture NOT_LOADED"));
    EXPECT_THAT(warnings.lines, HasSubstr("People \"dwarf\" has no ImagePreview"));
    // Without pictures, everything a building and a person do still works.
    RecordingScreen screen;
    Tolm::Graphics g(&screen);
    Building(2).SetBuilt(true);
    Building(2).Draw(g);
    Building(2).SetBuilt(false);
    EXPECT_FALSE(Building(2).HitTest(0, 0));
    Person(2).Step();
    Person(2).Draw(g);
    EXPECT_TRUE(screen.draws.empty());
}

TEST_F(TownFileTest, PeopleGoalsAreMinusOneWhenMissingAndZeroWithoutVal)
{
    Picture("M_girl", 8, 8, 2);
    Picture("M_girl_face", 16, 16);
    WriteTown("<People id=\"girl\"><Name>Lina</Name><Comments>Hello</Comments><Image id=\"M_girl\" x=\"12\" y=\"34\"/>"
              "<ImagePreview id=\"M_girl_face\"/><LevelGold val=\"30\"/><ChainLength/></People>"
              "<People id=\"guard\"><Name>Tor</Name><Comments>Halt</Comments><Image id=\"M_girl\"/>"
              "<ImagePreview id=\"M_girl_face\"/></People>");
    MakeTown();
    const TownMan& girl = Person(4);
    EXPECT_EQ(girl.GetId(), 4);
    EXPECT_EQ(girl.GetName(), "Lina");
    EXPECT_EQ(girl.GetComments(), "Hello");
    EXPECT_EQ(girl.GetX(), 12);
    EXPECT_EQ(girl.GetY(), 34);
    EXPECT_EQ(girl.GetPreviewImage()->name, "M_girl_face");
    EXPECT_EQ(girl.GetAnimation().frameCount, 2);
    EXPECT_EQ(girl.GetGoalGold(), 30);
    EXPECT_EQ(girl.GetGoalChainLength(), 0);
    for (int goal : {girl.GetGoalFood(), girl.GetGoalSupplies(), girl.GetGoalCells(), girl.GetGoalCombos(),
                     girl.GetGoalComboLength()}) {
        EXPECT_EQ(goal, -1);
    }
    const TownMan& guard = Person(14);
    for (int goal : {guard.GetGoalGold(), guard.GetGoalFood(), guard.GetGoalSupplies(), guard.GetGoalCells(),
                     guard.GetGoalCombos(), guard.GetGoalComboLength(), guard.GetGoalChainLength()}) {
        EXPECT_EQ(goal, -1);
    }
    // No element at all: no pictures, no goals.
    EXPECT_EQ(Person(0).GetImage(), nullptr);
    EXPECT_EQ(Person(0).GetGoalCombos(), -1);
}

TEST_F(TownFileTest, PeopleByIdWithNullOutsideTheTable)
{
    MakeTown();
    for (int id = 0; id < TownManFactory::kPeople; ++id) {
        ASSERT_NE(TownManFactory::Instance()->GetById(id), nullptr);
        EXPECT_EQ(TownManFactory::Instance()->GetById(id)->GetId(), id);
    }
    EXPECT_EQ(TownManFactory::Instance()->GetById(15), nullptr);
    EXPECT_EQ(TownManFactory::Instance()->GetById(-1), nullptr);
}

TEST_F(TownFileTest, PersonDrawsItsCurrentFrameByItsTopLeftAndSteps)
{
    Picture("M_elf", 30, 10, 3);
    Picture("M_elf_face", 16, 16);
    WriteTown("<People id=\"elf\"><Name>Ilye</Name><Comments>Hm</Comments><Image id=\"M_elf\" x=\"50\" y=\"60\"/>"
              "<ImagePreview id=\"M_elf_face\"/><LevelCells val=\"40\"/></People>");
    MakeTown();
    RecordingScreen screen;
    Tolm::Graphics g(&screen);
    Person(12).Draw(g);
    Person(12).Step();
    Person(12).Draw(g);
    ASSERT_EQ(screen.draws.size(), 2u);
    EXPECT_EQ(screen.draws[0], "M_elf at 50.00,60.00 part 10x10 alpha 255");
    EXPECT_EQ(Person(12).GetAnimation().currentFrame, 1);
}

} // namespace
