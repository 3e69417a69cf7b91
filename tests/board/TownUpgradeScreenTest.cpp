// The town upgrade screen between levels, on the built data set with the town's pictures: the panels come
// and go with clicks on the town and with purchases, a purchase pays the building's price from the town
// file and raises it in the town, the fifth building of a group brings the stage-complete show a second and
// a half later unless the screen is left first, a click during the slide-out pays only for what is still
// unbuilt and affordable, and the keys.
//
// Prices by hand from properties/town.xml: village houses (id 0) 20 gold; garden (id 1) 165 gold, well (id 2)
// 175 gold, sawmill (id 4) 185 gold; the architect (id 5) 175 gold, 84 food, 54 supplies; the lookout (id 15)
// 355 gold, 186 food, 212 supplies.
#include "screens/TownUpgradeScreen.h"

#include "GameScreenFixture.h"
#include "gamewidgets/BaseWindowButton.h"
#include "gamewidgets/FadingLabel.h"
#include "hud/TopPanel.h"
#include "profile/UserProfile.h"
#include "resources/ResourceManager.h"
#include "town/BaseTownBuilding.h"
#include "town/BuildingsFactory.h"
#include "town/Town.h"
#include "town/TownUpgradeButton.h"
#include "town/UpgradePanel.h"
#include "town/UpgradeSidePanel.h"
#include "widgets/WidgetManager.h"

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int kEnter = 13;
// A point of the town that no panel covers.
constexpr int kFreeTownX = 400;
constexpr int kFreeTownY = 250;

class TownUpgradeScreenTest : public GameScreenFixture
{
protected:
    TownUpgradeScreenTest()
    {
        EXPECT_TRUE(app.resourceManager->ParseResourcesFile("properties\\buildings.xml"))
            << app.resourceManager->GetErrorText();
        EXPECT_TRUE(app.resourceManager->LoadGroup("Buildings")) << app.resourceManager->GetErrorText();
        Town::Instance();
        upgrade = new TownUpgradeScreen();
        upgrade->listener = &states;
        states.Register("Upgrade", upgrade);
        states.Register("GameScreen", new NotedState(notes, "GameScreen"));
    }

    ~TownUpgradeScreenTest() override
    {
        if (!states.stack.empty() && states.stack.back() == upgrade) {
            upgrade->Leave();
        }
        states.stack.clear();
        app.SetBoolProperty("cheat_keys", false);
        delete Town::RegisteredInstance();
        delete BuildingsFactory::RegisteredInstance();
        app.resourceManager->UnloadGroup("Buildings");
    }

    // The first `built` buildings stand and the totals are as given when the screen is entered; then the
    // fade in and the slides end.
    void EnterWith(int built, int gold, int food, int supplies)
    {
        for (int id = 0; id < built; ++id) {
            UserProfile::SetBuildingBuilt(id);
        }
        UserProfile::AddGold(gold - UserProfile::GetGold());
        UserProfile::AddFood(food - UserProfile::GetFood());
        UserProfile::AddSupplies(supplies - UserProfile::GetSupplies());
        states.Switch(upgrade);
        Settle();
    }

    void LeaveToTheGame() { states.Switch(states.Find("GameScreen")); }

    // Long enough for the 0.2 s fade and for every panel to slide its whole height.
    void Settle() { app.Frames(200); }

    void ClickAt(int x, int y)
    {
        app.widgetManager->MouseMove(x, y);
        app.widgetManager->MouseDown(x, y, 1);
        app.widgetManager->MouseUp(x, y, 1);
    }

    void ClickFreeTown() { ClickAt(kFreeTownX, kFreeTownY); }

    // The centre of a panel's button, wherever the panel is now.
    void ClickButton(const Tolm::Widget& panel, const Tolm::Widget& button)
    {
        ClickAt(panel.x + button.x + button.width / 2, panel.y + button.y + button.height / 2);
    }

    void ClickBuy(int slot) { ClickButton(*upgrade->upgradePanel, upgrade->upgradePanel->BuyButton(slot)); }

    TownUpgradeButton::State SlotState(int slot) { return upgrade->upgradePanel->BuyButton(slot).GetState(); }

    // All three panels at rest in view, or all three at rest out of it.
    void ExpectPanelsAtRest(bool inView, const std::string& when)
    {
        const UpgradePanel& panel = *upgrade->upgradePanel;
        const UpgradeSidePanel& side = *upgrade->sidePanel;
        const TopPanel& top = *TopPanel::Instance();
        EXPECT_EQ(panel.y, inView ? 600 - panel.height : 600) << when;
        EXPECT_EQ(side.x, inView ? 800 - side.width : 800) << when;
        EXPECT_EQ(top.y, inView ? 5 : -top.height) << when;
        EXPECT_EQ(upgrade->label->fade.target, inView ? 0.0f : 1.0f) << when << ": the label invites a click";
    }

    bool SoundPlayedSince(const std::string& id)
    {
        for (const std::string& sound : TakeSounds()) {
            heard.push_back(sound);
        }
        return std::find(heard.begin(), heard.end(), id) != heard.end();
    }

    TownUpgradeScreen* upgrade = nullptr;
    std::vector<std::string> heard;
};

} // namespace

TEST_F(TownUpgradeScreenTest, ThePanelsFollowClicksOnTheTownAndPurchases)
{
    struct Row
    {
        const char* name;
        std::function<void()> act;
        bool panelsShown;
        bool refreshPending;
        bool inViewAfter;
    };
    const std::vector<Row> rows = {
        {"a click on the free town puts the panels away", [&] { ClickFreeTown(); }, false, false, false},
        {"the next click brings them back", [&] { ClickFreeTown(); }, true, false, true},
        {"a purchase sends them away until the slots are refreshed", [&] { ClickBuy(0); }, false, true, false},
        {"a click on the town after that brings them back", [&] { ClickFreeTown(); }, true, false, true},
        {"a click during the slide-out after a purchase brings them back once refreshed",
         [&] {
             ClickBuy(1);
             app.Frames(3);
             ClickFreeTown();
         },
         true, true, true},
    };
    EnterWith(0, 1000, 0, 0);
    EXPECT_TRUE(upgrade->panelsShown);
    EXPECT_FALSE(upgrade->refreshPending);
    ExpectPanelsAtRest(true, "on entering");
    for (const Row& row : rows) {
        row.act();
        EXPECT_EQ(upgrade->panelsShown, row.panelsShown) << row.name;
        EXPECT_EQ(upgrade->refreshPending, row.refreshPending) << row.name;
        if (row.refreshPending) {
            app.Frames(20);
            EXPECT_GT(upgrade->upgradePanel->y, 600 - upgrade->upgradePanel->height) << row.name << ": sliding out";
            EXPECT_EQ(upgrade->upgradePanel->slide.target, 600.0f) << row.name << ": sliding out";
        }
        Settle();
        EXPECT_FALSE(upgrade->refreshPending) << row.name;
        ExpectPanelsAtRest(row.inViewAfter, row.name);
    }
    EXPECT_EQ(SlotState(0), TownUpgradeButton::State::Bought);
    EXPECT_EQ(SlotState(1), TownUpgradeButton::State::Bought) << "refreshed while out of view";
}

TEST_F(TownUpgradeScreenTest, APurchasePaysExactlyAndTheBuildEffectRaisesTheBuilding)
{
    EnterWith(5, 175, 84, 54);
    ASSERT_EQ(SlotState(0), TownUpgradeButton::State::Buy) << "exactly enough of each is enough";
    BaseTownBuilding* architect = BuildingsFactory::Instance()->GetById(5);
    TakeSounds();
    ClickBuy(0);
    EXPECT_EQ(UserProfile::GetGold(), 0);
    EXPECT_EQ(UserProfile::GetFood(), 0);
    EXPECT_EQ(UserProfile::GetSupplies(), 0);
    EXPECT_TRUE(UserProfile::IsBuildingBuilt(5));
    EXPECT_FALSE(architect->IsBuilt()) << "the town raises it with its effect";
    EXPECT_TRUE(RunUntil([&] { return architect->IsBuilt(); }, 1000));
    EXPECT_TRUE(RunUntil(
        [&] {
            return SoundPlayedSince("SOUND_TOWN_BUILD1") || SoundPlayedSince("SOUND_TOWN_BUILD2") ||
                   SoundPlayedSince("SOUND_TOWN_BUILD3") || SoundPlayedSince("SOUND_TOWN_BUILD4");
        },
        1000));
    EXPECT_FALSE(SoundPlayedSince("SOUND_STAGE_COMPLETED")) << "the group is not complete";
}

TEST_F(TownUpgradeScreenTest, TheFifthOfAGroupBringsTheStageShowAfterOneAndAHalfSecondsUnlessLeft)
{
    for (bool leave : {false, true}) {
        SCOPED_TRACE(leave ? "left within the delay" : "staying");
        EnterWith(4, 185, 0, 0);
        ClickBuy(4);
        ASSERT_TRUE(UserProfile::IsBuildingBuilt(4));
        EXPECT_EQ(UserProfile::GetBuildingGroup(), 1);
        TakeSounds();
        heard.clear();
        notes.clear();
        if (leave) {
            app.Frames(100);
            app.widgetManager->KeyDown(kEnter);
            app.Frames(30);
            EXPECT_EQ(notes, (std::vector<std::string>{"GameScreen enter"}));
            states.Switch(upgrade);
            app.Frames(300);
            EXPECT_FALSE(SoundPlayedSince("SOUND_STAGE_COMPLETED"));
        } else {
            // 150 updates; a frame either side for the rounding of the seconds counted down.
            app.Frames(148);
            EXPECT_FALSE(SoundPlayedSince("SOUND_STAGE_COMPLETED"));
            app.Frames(4);
            EXPECT_TRUE(SoundPlayedSince("SOUND_STAGE_COMPLETED"));
            EXPECT_FALSE(upgrade->IsEmpty()) << "the burst and the text";
        }
        LeaveToTheGame();
        UserProfile::ResetProgress();
    }
}

// Four buildings of the first group bought in any order bring no show, not even the group's last id; the
// one that completes the group does, 1.5 s later.
TEST_F(TownUpgradeScreenTest, OnlyTheBuildingThatCompletesTheGroupBringsTheStageShow)
{
    EnterWith(0, 10000, 10000, 10000);
    TakeSounds();
    heard.clear();
    for (int slot : {4, 0, 2, 1}) {
        upgrade->ButtonClicked(UpgradePanel::kFirstBuyId + slot);
        ASSERT_TRUE(UserProfile::IsBuildingBuilt(slot));
        EXPECT_TRUE(upgrade->IsEmpty()) << "slot " << slot << ": nothing waits to show";
    }
    app.Frames(200);
    EXPECT_FALSE(SoundPlayedSince("SOUND_STAGE_COMPLETED"));
    upgrade->ButtonClicked(UpgradePanel::kFirstBuyId + 3);
    EXPECT_EQ(UserProfile::GetBuildingGroup(), 1);
    EXPECT_FALSE(upgrade->IsEmpty());
    app.Frames(152);
    EXPECT_TRUE(SoundPlayedSince("SOUND_STAGE_COMPLETED"));
}

TEST_F(TownUpgradeScreenTest, ClicksDuringTheSlideOutBuyOnlyWhatIsStillUnbuiltAndAffordable)
{
    // 220 gold: the garden (165), then the houses (20) with what is left; the well (175) no longer.
    EnterWith(0, 220, 0, 0);
    ClickBuy(1);
    app.Frames(5);
    ASSERT_FALSE(upgrade->upgradePanel->IsHidden());
    ClickBuy(1);
    ClickBuy(2);
    EXPECT_EQ(SlotState(2), TownUpgradeButton::State::Buy) << "the face of the last refresh";
    ClickBuy(0);
    EXPECT_EQ(UserProfile::GetGold(), 35);
    EXPECT_TRUE(UserProfile::IsBuildingBuilt(0));
    EXPECT_TRUE(UserProfile::IsBuildingBuilt(1));
    EXPECT_FALSE(UserProfile::IsBuildingBuilt(2));
    Settle();
    EXPECT_EQ(SlotState(1), TownUpgradeButton::State::Bought);
    EXPECT_EQ(SlotState(2), TownUpgradeButton::State::NotEnough);
    EXPECT_EQ(UserProfile::GetGold(), 35);
}

TEST_F(TownUpgradeScreenTest, AClickThatReachesTheScreenForABuiltOrTooDearBuildingBuysNothing)
{
    struct Row
    {
        const char* name;
        bool built;
        int gold;
        int food;
        int supplies;
    };
    const Row rows[] = {
        {"built already", true, 1000, 1000, 1000},
        {"a gold short", false, 174, 84, 54},
        {"a food short", false, 175, 83, 54},
        {"a supply short", false, 175, 84, 53},
    };
    for (const Row& row : rows) {
        EnterWith(5, row.gold, row.food, row.supplies);
        if (row.built) {
            UserProfile::SetBuildingBuilt(5);
        }
        upgrade->ButtonClicked(UpgradePanel::kFirstBuyId);
        EXPECT_EQ(UserProfile::GetGold(), row.gold) << row.name;
        EXPECT_EQ(UserProfile::GetFood(), row.food) << row.name;
        EXPECT_EQ(UserProfile::GetSupplies(), row.supplies) << row.name;
        EXPECT_TRUE(BuildingsFactory::Instance()->GetById(5)->IsEmpty()) << row.name << ": no build started";
        EXPECT_TRUE(upgrade->panelsShown) << row.name;
        EXPECT_FALSE(upgrade->refreshPending) << row.name;
        EXPECT_NE(SlotState(0), TownUpgradeButton::State::Buy) << row.name << ": the slot shows the truth again";
        LeaveToTheGame();
        UserProfile::ResetProgress();
    }
}

TEST_F(TownUpgradeScreenTest, DebugKeysAddOnlyWithCheatKeysAndInLowerCaseAndEveryKeyRefreshes)
{
    EnterWith(15, 0, 0, 0);
    for (bool cheats : {false, true}) {
        SCOPED_TRACE(cheats ? "cheat keys on" : "cheat keys off");
        app.SetBoolProperty("cheat_keys", cheats);
        const int gold = UserProfile::GetGold();
        const int food = UserProfile::GetFood();
        const int supplies = UserProfile::GetSupplies();
        for (char ch : std::string("qweQWE")) {
            app.widgetManager->KeyChar(ch);
        }
        const int added = cheats ? 200 : 0;
        EXPECT_EQ(UserProfile::GetGold(), gold + added);
        EXPECT_EQ(UserProfile::GetFood(), food + added);
        EXPECT_EQ(UserProfile::GetSupplies(), supplies + added);
        // 200 of each does not buy the lookout; 155 more gold and 12 more supplies do, once a key has
        // refreshed the slots.
        EXPECT_EQ(SlotState(0), TownUpgradeButton::State::NotEnough);
        UserProfile::AddGold(155);
        UserProfile::AddSupplies(12);
        app.widgetManager->KeyChar('x');
        EXPECT_EQ(SlotState(0), cheats ? TownUpgradeButton::State::Buy : TownUpgradeButton::State::NotEnough);
        UserProfile::AddGold(-UserProfile::GetGold());
        UserProfile::AddFood(-UserProfile::GetFood());
        UserProfile::AddSupplies(-UserProfile::GetSupplies());
        app.widgetManager->KeyChar('x');
    }
}

TEST_F(TownUpgradeScreenTest, ContinueAndTheSideButtonLeaveOnceAlsoWithThePanelsAway)
{
    struct Row
    {
        const char* name;
        bool panelsAway;
        std::function<void()> leave;
        const char* entered;
    };
    const std::vector<Row> rows = {
        {"Enter", false, [&] { app.widgetManager->KeyDown(kEnter); }, "GameScreen enter"},
        {"Enter with the panels away", true, [&] { app.widgetManager->KeyDown(kEnter); }, "GameScreen enter"},
        {"the continue button", false,
         [&] { ClickButton(*upgrade->upgradePanel, *upgrade->upgradePanel->continueButton); }, "GameScreen enter"},
        {"the side button", false, [&] { ClickButton(*upgrade->sidePanel, *upgrade->sidePanel->button); },
         "MenuScreen enter"},
    };
    for (const Row& row : rows) {
        EnterWith(0, 0, 0, 0);
        if (row.panelsAway) {
            ClickFreeTown();
            Settle();
        }
        notes.clear();
        row.leave();
        app.widgetManager->KeyDown(kEnter);
        upgrade->ButtonClicked(TownUpgradeScreen::kSideButton);
        app.Frames(30);
        EXPECT_EQ(notes, (std::vector<std::string>{row.entered})) << row.name << ": one fade, one switch";
    }
}
