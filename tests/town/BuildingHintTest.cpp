// The building hint over the town: when it comes and goes (rest of more than
// 200 updates over a built building, a right press, any move without the right
// button, any release), and what it says: prices short of the player's in red
// under a warning, the brick a building brings, and "got" once built.
#include "town/BuildingHint.h"

#include "TownFixture.h"
#include "bricks/BrickHelper.h"
#include "graphics/Graphics.h"
#include "screens/PlacedFont.h"
#include "support/TestResources.h"
#include "town/HintWindowLogic.h"
#include "town/Town.h"
#include "widgets/WidgetManager.h"

namespace {

// The well at (100, 100), 20 x 20, brings the supplies brick S2; the garden at
// (300, 100) brings none.
class BuildingHintTest : public TownFixture
{
protected:
    BuildingHintTest()
    {
        Picture("HINT_WINDOW_BUILDING", 300, 260);
        Picture("B_well", 20, 20);
        Picture("B_garden", 20, 20);
        Picture("BRICK_SUPPLIES2", 36, 36);
        WriteTown("<Building id=\"well\"><Description>Well</Description><Cost "
                  "gold=\"100\" food=\"20\" supplies=\"0\"/>"
                  "<ImageBuilding id=\"B_well\" x=\"100\" y=\"100\"/><Bonus "
                  "type=\"S2\"/></Building>\n" +
                  BuildingElement("garden", 300, 100));
        for (const char* font : {"FONT_BOARD_TEXT", "FONT_WINDOW_TITLE", "FONT_WINDOW_TEXT"}) {
            PlacedFont recording(texts);
            resources->DeclareFont(font, recording);
        }
        for (const char* key : {"lab_funds_not_enough", "lab_cost", "lab_gold", "lab_food", "lab_supplies",
                                "lab_you_get", "lab_you_got", "lab_supplies_name"}) {
            app.SetStringProperty(key, std::u16string(key, key + std::char_traits<char>::length(key)));
        }
    }
    ~BuildingHintTest() override { delete BrickHelper::RegisteredInstance(); }

    Tolm::WidgetManager& Manager() { return *app.widgetManager; }

    void MouseAt(int x, int y)
    {
        Manager().lastMouseX = x;
        Manager().lastMouseY = y;
    }

    void Updates(HintWindowLogic& logic, int count)
    {
        for (int i = 0; i < count; ++i) {
            logic.Update();
        }
    }

    // The texts the hint draws, "text at x,y #colour".
    std::vector<std::string> Texts(BuildingHint& hint)
    {
        texts.clear();
        hint.SnapFade();
        RecordingScreen screen;
        Tolm::Graphics g(&screen);
        hint.Draw(g);
        std::vector<std::string> lines;
        for (const RecordingFont::Draw& draw : texts) {
            lines.push_back(draw.text + Tolm::FormatString(" at %d,%d #%08X", draw.x, draw.y, draw.color));
        }
        return lines;
    }

    std::vector<RecordingFont::Draw> texts;
};

TEST_F(BuildingHintTest, RestOverABuiltBuildingShowsItsHintAfterMoreThan200Updates)
{
    struct Case
    {
        const char* name;
        bool built;
        int x;
        int y;
        int expected;
    };
    const Case cases[] = {
        {"over the built well", true, 110, 110, 2},
        {"over the well's place, not built", false, 110, 110, -1},
        {"over open land", true, 50, 50, -1},
    };
    MakeTown();
    for (const Case& c : cases) {
        UserProfile::ResetProgress();
        if (c.built) {
            UserProfile::SetBuildingBuilt(2);
        }
        Town::Instance()->RefreshBuilt();
        HintWindowLogic logic(&Manager());
        MouseAt(c.x, c.y);
        Updates(logic, 200);
        EXPECT_FALSE(logic.hint->shown) << c.name << ": 200 updates of rest are not enough";
        Updates(logic, 1);
        EXPECT_EQ(logic.hint->shown ? logic.hint->GetBuildingId() : -1, c.expected) << c.name;
    }
}

TEST_F(BuildingHintTest, RightButtonShowsAtOnceMovesKeepItAndReleasesHideIt)
{
    struct Case
    {
        const char* name;
        int buttons;
        int x;
        int y;
        bool shownAfterPress;
        bool shownAfterMove;
    };
    const Case cases[] = {
        {"right press over the well, moved with it held", Tolm::kRightButtonBit, 110, 110, true, true},
        {"right press over open land", Tolm::kRightButtonBit, 50, 50, false, false},
        {"left press over the well", Tolm::kLeftButtonBit, 110, 110, false, false},
    };
    Open();
    UserProfile::SetBuildingBuilt(2);
    MakeTown();
    for (const Case& c : cases) {
        HintWindowLogic logic(&Manager());
        Manager().mouseButtons = c.buttons;
        logic.MouseDown(c.x, c.y);
        EXPECT_EQ(logic.hint->shown, c.shownAfterPress) << c.name;
        logic.MouseMove(c.x + 5, c.y);
        EXPECT_EQ(logic.hint->shown, c.shownAfterMove) << c.name;
        logic.MouseUp(c.x + 5, c.y);
        EXPECT_FALSE(logic.hint->shown) << c.name << ": any release hides it";
    }
    Manager().mouseButtons = 0;
}

TEST_F(BuildingHintTest, AMoveWithoutTheRightButtonHidesAHintAndStartsTheRestAgain)
{
    Open();
    UserProfile::SetBuildingBuilt(2);
    MakeTown();
    HintWindowLogic logic(&Manager());
    MouseAt(110, 110);
    Updates(logic, 201);
    ASSERT_TRUE(logic.hint->shown);
    logic.MouseMove(111, 110);
    EXPECT_FALSE(logic.hint->shown);
    Updates(logic, 200);
    EXPECT_FALSE(logic.hint->shown);
    Updates(logic, 1);
    EXPECT_TRUE(logic.hint->shown);
}

TEST_F(BuildingHintTest, HintFadesInAtItsSpeedAndHidingWithoutAnimationIsAtOnce)
{
    Open();
    UserProfile::SetBuildingBuilt(2);
    MakeTown();
    HintWindowLogic logic(&Manager());
    Manager().mouseButtons = Tolm::kRightButtonBit;
    logic.MouseDown(110, 110);
    Manager().mouseButtons = 0;
    logic.Update();
    logic.UpdateFraction(10);
    EXPECT_FLOAT_EQ(logic.hint->fade.current, 0.5f);
    logic.HideHint(true);
    logic.Update();
    logic.UpdateFraction(2);
    EXPECT_FLOAT_EQ(logic.hint->fade.current, 0.4f);
    logic.HideHint(false);
    EXPECT_EQ(logic.hint->fade.current, 0);
}

TEST_F(BuildingHintTest, PriceShortOfThePlayersShowsInRedUnderTheWarning)
{
    Open();
    UserProfile::AddGold(99);
    UserProfile::AddFood(20);
    MakeTown();
    BuildingHint hint(10, 20, 2);
    hint.shown = true;
    // The panel is 300 wide at (10, 20): centred texts take half their six pixels
    // a letter off x 150.
    const std::vector<std::string> expected = {
        "lab_funds_not_enough at 100,10 #FFFFFFFF",
        "Well at 148,70 #FFFFFFFF",
        "lab_cost at 120,105 #FFFFFF80",
        "lab_gold at 120,140 #FFFFFFFF",
        "100 at 240,140 #FFFF8080",
        "lab_food at 120,170 #FFFFFFFF",
        "20 at 240,170 #FFFFFFFF",
        "lab_supplies at 120,200 #FFFFFFFF",
        "0 at 240,200 #FFFFFFFF",
        "lab_you_get at 95,235 #FFFFFF80",
        "lab_supplies_name at 95,260 #FFFFFF80",
    };
    EXPECT_EQ(Texts(hint), expected);
}

TEST_F(BuildingHintTest, BuiltBuildingSaysWhatItBroughtWithoutWarningOnceLoadedAgain)
{
    Open();
    MakeTown();
    BuildingHint hint(0, 0, 2);
    hint.shown = true;
    UserProfile::SetBuildingBuilt(2);
    hint.SetBuilding(2);
    EXPECT_FALSE(hint.built) << "the same building is not read again";
    hint.Load();
    const std::vector<std::string> texts = Texts(hint);
    ASSERT_EQ(texts.size(), 10u);
    EXPECT_EQ(texts[0], "Well at 138,50 #FFFFFFFF");
    EXPECT_EQ(texts[3], "100 at 230,120 #FFFFFFFF") << "a built building's price is never short";
    EXPECT_EQ(texts[8], "lab_you_got at 85,215 #FFFFFF80");
}

TEST_F(BuildingHintTest, BuildingWithoutABonusShowsNoBonusLines)
{
    Open();
    UserProfile::AddGold(10);
    MakeTown();
    BuildingHint hint(0, 0, 1);
    hint.shown = true;
    const std::vector<std::string> texts = Texts(hint);
    ASSERT_EQ(texts.size(), 8u);
    EXPECT_EQ(texts.back(), "0 at 230,180 #FFFFFFFF");
    hint.SetBuilding(-1);
    EXPECT_FALSE(hint.shown);
}

} // namespace
