// The upgrade panel: which slots offer buy, bought or not enough funds and where the sparkle points,
// buttons that keep the faces of the last refresh whatever is clicked, the slide and its callback,
// the slot's sound once per entry, and the side panel's shaped hit test.
#include "town/UpgradePanel.h"

#include "TownFixture.h"
#include "core/Callback.h"
#include "gameeffects/RoundFly.h"
#include "resources/ResourceLookups.h"
#include "support/CountedCallback.h"
#include "support/SoundRecorder.h"
#include "support/TestResources.h"
#include "town/BuildingHint.h"
#include "town/BuildingsFactory.h"
#include "town/Town.h"
#include "town/TownUpgradeButton.h"
#include "town/UpgradeSidePanel.h"
#include "widgets/WidgetManager.h"

namespace {

struct Listener : Tolm::ButtonListener
{
    void ButtonClicked(int id) override { heard.push_back("click " + std::to_string(id)); }
    void ButtonMouseEnter(int id) override { heard.push_back("enter " + std::to_string(id)); }
    void ButtonPressed(int id, int) override { heard.push_back("press " + std::to_string(id)); }
    std::vector<std::string> heard;
};

using State = TownUpgradeButton::State;

// The first group's five buildings cost 100 gold, 20 food and 5 supplies each; the last group's nothing.
class UpgradePanelTest : public TownFixture
{
protected:
    UpgradePanelTest()
    {
        InstallSoundRecorder(app, sounds);
        resources = &InstallTestResources(app, &sounds);
        resources->DeclareSound("SOUND_UPGRADE_SLOT_ENTER");
        resources->DeclareSound("SOUND_UPGRADE_BUTTON_DOWN");
        Picture("UPGRADE_PANEL_BACKGROUND", 800, 220);
        Picture("UPGRADE_PANEL_SLOT", 128, 92);
        Picture("UPGRADE_BUTTON_BUY", 84, 42);
        Picture("UPGRADE_BUTTON_CONTINUE", 120, 58);
        Picture("HINT_WINDOW_BUILDING", 300, 270);
        std::string elements;
        for (int id = 0; id < 5; ++id) {
            const std::string name = BuildingsFactory::kNames[id];
            Picture("P_" + name, 84, 84);
            elements += "<Building id=\"" + name + "\"><Description>" + name +
                        "</Description><Cost gold=\"100\" food=\"20\" supplies=\"5\"/>"
                        "<ImagePreview id=\"P_" +
                        name + "\"/></Building>\n";
        }
        WriteTown(elements);
        Open();
    }
    ~UpgradePanelTest() override
    {
        panel.reset();
        app.widgetManager->mouseButtons = 0;
    }

    void MakePanel()
    {
        Town::Instance();
        panel = std::make_unique<UpgradePanel>(&listener);
        app.widgetManager->AddWidget(panel.get());
    }

    void Give(int gold, int food, int supplies)
    {
        UserProfile::AddGold(gold - UserProfile::GetGold());
        UserProfile::AddFood(food - UserProfile::GetFood());
        UserProfile::AddSupplies(supplies - UserProfile::GetSupplies());
    }

    std::vector<State> States()
    {
        std::vector<State> states;
        for (int slot = 0; slot < UpgradePanel::kSlots; ++slot) {
            states.push_back(panel->BuyButton(slot).GetState());
        }
        return states;
    }

    // A press and a release of the left button over the button.
    void Click(Tolm::ButtonWidget& button)
    {
        button.isOver = true;
        button.isDown = true;
        button.MouseDown(10, 10, 0, 1);
        button.MouseUp(10, 10, 0, 1);
        button.isDown = false;
    }

    SoundRecorder sounds;
    Listener listener;
    std::unique_ptr<UpgradePanel> panel;
};

TEST_F(UpgradePanelTest, SlotIsBuyableOnlyWithEveryCostCovered)
{
    struct Case
    {
        const char* name;
        int gold;
        int food;
        int supplies;
        bool built;
        State expected;
    };
    const Case cases[] = {
        {"exactly the cost", 100, 20, 5, false, State::Buy},
        {"more than the cost", 500, 500, 500, false, State::Buy},
        {"one gold short", 99, 20, 5, false, State::NotEnough},
        {"one food short", 100, 19, 5, false, State::NotEnough},
        {"one supplies short", 100, 20, 4, false, State::NotEnough},
        {"built, whatever it costs", 0, 0, 0, true, State::Bought},
    };
    MakePanel();
    for (const Case& c : cases) {
        UserProfile::ResetProgress();
        Give(c.gold, c.food, c.supplies);
        if (c.built) {
            UserProfile::SetBuildingBuilt(2);
        }
        panel->RefreshSlots();
        EXPECT_EQ(panel->BuyButton(2).GetState(), c.expected) << c.name;
        EXPECT_EQ(panel->BuyButton(2).IsLocked(), c.expected != State::Buy) << c.name;
        EXPECT_EQ(panel->slots[2]->preview, GetImageById("P_well")) << c.name;
    }
}

TEST_F(UpgradePanelTest, SparkleCirclesTheFirstBuyableSlot)
{
    Give(100, 20, 5);
    UserProfile::SetBuildingBuilt(0);
    MakePanel();
    // Slots 1 to 4 buyable, slot 0 bought: the sparkle at slot 1, 135 + 55.
    panel->RefreshSlots();
    EXPECT_TRUE(panel->SlotSparkle().active);
    EXPECT_FALSE(panel->ContinueSparkle().active);
    EXPECT_EQ(panel->SlotSparkle().centreX, 190);
    EXPECT_EQ(panel->SlotSparkle().centreY, 128);
    EXPECT_EQ(panel->SlotSparkle().radiusX, 40);
    EXPECT_EQ(panel->SlotSparkle().radiusY, 20);
    // Nothing to buy now: the sparkle points on to the continue button.
    Give(0, 0, 0);
    panel->RefreshSlots();
    EXPECT_EQ(States(), std::vector<State>(
                            {State::Bought, State::NotEnough, State::NotEnough, State::NotEnough, State::NotEnough}));
    EXPECT_TRUE(panel->ContinueSparkle().active);
    EXPECT_FALSE(panel->SlotSparkle().active);
}

TEST_F(UpgradePanelTest, SlotsOneAndThreeBuyableGiveTheSparkleAtSlotOne)
{
    for (int id : {0, 2, 4}) {
        UserProfile::SetBuildingBuilt(id);
    }
    Give(100, 20, 5);
    MakePanel();
    panel->RefreshSlots();
    EXPECT_EQ(States(), std::vector<State>({State::Bought, State::Buy, State::Bought, State::Buy, State::Bought}));
    EXPECT_EQ(panel->SlotSparkle().centreX, 190);
    EXPECT_EQ(panel->SlotSparkle().centreY, 128);
}

TEST_F(UpgradePanelTest, AllBuiltShowsTheLastGroupBoughtWithTheContinueSparkle)
{
    for (int id = 0; id < 30; ++id) {
        UserProfile::SetBuildingBuilt(id);
    }
    MakePanel();
    panel->RefreshSlots();
    EXPECT_EQ(panel->SlotToBuildingId(0), 25);
    EXPECT_EQ(panel->SlotToBuildingId(4), 29);
    EXPECT_EQ(States(), std::vector<State>(5, State::Bought));
    EXPECT_TRUE(panel->ContinueSparkle().active);
    EXPECT_FALSE(panel->SlotSparkle().active);
    // Round the continue button, 120 x 58 at (664, 90).
    EXPECT_EQ(panel->ContinueSparkle().centreX, 724);
    EXPECT_EQ(panel->ContinueSparkle().centreY, 119);
    EXPECT_EQ(panel->ContinueSparkle().radiusX, 60);
    EXPECT_EQ(panel->ContinueSparkle().radiusY, 29);
}

TEST_F(UpgradePanelTest, ClicksLeaveTheButtonsAsTheLastRefreshSetThem)
{
    Give(1000, 1000, 1000);
    MakePanel();
    panel->RefreshSlots();
    sounds.Take();
    Click(panel->BuyButton(1));
    Click(panel->BuyButton(1));
    Click(panel->BuyButton(3));
    EXPECT_EQ(listener.heard,
              std::vector<std::string>({"press 3", "click 3", "press 3", "click 3", "press 5", "click 5"}));
    EXPECT_EQ(sounds.Take(), std::vector<std::string>(3, "SOUND_UPGRADE_BUTTON_DOWN"));
    for (int slot = 0; slot < UpgradePanel::kSlots; ++slot) {
        EXPECT_FALSE(panel->BuyButton(slot).IsLocked()) << slot;
        EXPECT_EQ(panel->BuyButton(slot).GetState(), State::Buy) << slot;
    }
    listener.heard.clear();
    UserProfile::SetBuildingBuilt(1);
    panel->RefreshSlots();
    Click(panel->BuyButton(1));
    Click(panel->BuyButton(3));
    EXPECT_EQ(listener.heard, std::vector<std::string>({"press 5", "click 5"})) << "only the bought slot locks";
}

TEST_F(UpgradePanelTest, LockedButtonReportsTheMouseEnteringButNoPressOrClick)
{
    Give(10, 0, 0);
    UserProfile::SetBuildingBuilt(0);
    MakePanel();
    panel->RefreshSlots();
    for (int slot : {0, 1}) {
        TownUpgradeButton& button = panel->BuyButton(slot);
        button.MouseEnter();
        Click(button);
        EXPECT_TRUE(button.IsLocked()) << slot;
    }
    EXPECT_EQ(listener.heard, std::vector<std::string>({"enter 2", "enter 3"}));
    EXPECT_TRUE(sounds.Take().empty());
}

TEST_F(UpgradePanelTest, ShowAndHideWithoutAnimationJumpAndRunTheCallbackOnTheNextFrame)
{
    MakePanel();
    EXPECT_EQ(panel->y, 600);
    EXPECT_TRUE(panel->IsHidden());
    int shown = 0;
    int deleted = 0;
    panel->Show(true, false, new CountedCallback(shown, deleted));
    EXPECT_EQ(panel->y, 380);
    EXPECT_EQ(shown, 0);
    panel->UpdateFraction(1);
    EXPECT_EQ(shown, 1);
    panel->UpdateFraction(1);
    EXPECT_EQ(shown, 1) << "once";
    EXPECT_EQ(deleted, 1);
    int hidden = 0;
    panel->Show(false, false, new CountedCallback(hidden, deleted));
    EXPECT_TRUE(panel->IsHidden());
    panel->UpdateFraction(1);
    EXPECT_EQ(hidden, 1);
}

TEST_F(UpgradePanelTest, SlideMovesThreePixelsAPeriodAndAReplacedCallbackNeverRuns)
{
    MakePanel();
    int first = 0;
    int second = 0;
    int deleted = 0;
    panel->Show(true, true, new CountedCallback(first, deleted));
    panel->UpdateFraction(10);
    EXPECT_EQ(panel->y, 570);
    panel->Show(true, true, new CountedCallback(second, deleted));
    EXPECT_EQ(deleted, 1) << "the first, unrun";
    panel->UpdateFraction(100);
    EXPECT_EQ(panel->y, 380);
    EXPECT_EQ(first, 0);
    EXPECT_EQ(second, 1);
    EXPECT_FALSE(panel->IsHidden());
    panel->hint->shown = true;
    panel->Show(false, true, nullptr);
    EXPECT_FALSE(panel->hint->shown) << "hiding lets the hint fade";
    EXPECT_FALSE(panel->IsHidden()) << "still sliding";
}

TEST_F(UpgradePanelTest, SlotSoundPlaysOncePerEntryAfterTheHighlightHasFadedOut)
{
    MakePanel();
    panel->Show(true, false, nullptr);
    panel->UpdateFraction(1);
    sounds.Take();
    auto frames = [&](int x, int y, int count) {
        app.widgetManager->lastMouseX = x;
        app.widgetManager->lastMouseY = y;
        for (int i = 0; i < count; ++i) {
            panel->Update();
            panel->UpdateFraction(1);
        }
    };
    // Slot 1 covers x 135..263, y 399..491 on the screen.
    frames(200, 450, 20);
    EXPECT_EQ(sounds.Take(), std::vector<std::string>{"SOUND_UPGRADE_SLOT_ENTER"});
    EXPECT_EQ(panel->slots[1]->highlight.current, 1);
    frames(200, 600, 5);
    frames(200, 450, 5);
    EXPECT_TRUE(sounds.Take().empty()) << "back before the highlight faded out";
    frames(200, 600, 20);
    EXPECT_EQ(panel->slots[1]->highlight.current, 0);
    frames(263, 491, 1);
    EXPECT_EQ(sounds.Take(), std::vector<std::string>{"SOUND_UPGRADE_SLOT_ENTER"}) << "the slot's far corner";
}

TEST_F(UpgradePanelTest, SelectingASlotShowsItsBuildingInTheHintUnlessBought)
{
    UserProfile::SetBuildingBuilt(1);
    MakePanel();
    panel->RefreshSlots();
    panel->SelectSlot(1);
    EXPECT_FALSE(panel->hint->shown);
    panel->SelectSlot(3);
    EXPECT_TRUE(panel->hint->shown);
    EXPECT_EQ(panel->hint->GetBuildingId(), 3);
    EXPECT_EQ(panel->selectedId, 3);
    // Centred on the screen while the panel, 220 high, is fully shown.
    EXPECT_EQ(panel->hint->x, 250);
    EXPECT_EQ(panel->hint->y, 165 - 380);
    panel->HideHint(false);
    EXPECT_EQ(panel->hint->fade.current, 0);
}

TEST_F(UpgradePanelTest, SidePanelTakesTheMouseOnlyWhereItsBackgroundIsOpaque)
{
    Tolm::MemoryImage* back = Picture("UPGRADE_SIDE_BUTTON_BACK", 150, 48, 1, 0);
    for (int y = 0; y < 48; ++y) {
        for (int x = 40; x < 150; ++x) {
            back->GetBits()[y * 150 + x] = 0xFF808080;
        }
    }
    back->GetBits()[10 * 150 + 20] = 21u << 24;
    back->GetBits()[10 * 150 + 21] = 20u << 24;
    UpgradeSidePanel side(&listener);
    EXPECT_EQ(side.x, 800);
    EXPECT_EQ(side.y, 600 - 48 - 25);
    side.Show(true, false);
    EXPECT_EQ(side.x, 650);
    struct Case
    {
        int x;
        int y;
        bool expected;
    };
    const Case cases[] = {{40, 0, true},  {39, 0, false},  {149, 47, true}, {150, 47, false},
                          {20, 10, true}, {21, 10, false}, {-1, 10, false}, {60, 48, false}};
    for (const Case& c : cases) {
        EXPECT_EQ(side.AcceptsPoint(c.x, c.y), c.expected) << c.x << "," << c.y;
    }
    side.Show(false, true);
    side.UpdateFraction(10);
    EXPECT_EQ(side.x, 670);
}

} // namespace
