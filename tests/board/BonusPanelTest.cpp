// The bonus panel under the live board: charging the tools from bonus bricks, using and arming them from
// their buttons, the fill line, the gates, the charge lights and the no-move countdown with a tool in hand.
#include "board/BonusPanel.h"

#include "LiveBoardFixture.h"
#include "board/BonusButtonBase.h"
#include "board/BonusButtons.h"
#include "board/BonusPanelFront.h"
#include "board/FieldLive.h"
#include "board/Solver.h"
#include "effects/GlobalParticles.h"
#include "effects/ParticleEmitter.h"
#include "gamewidgets/BaseCursor.h"
#include "gamewidgets/CursorPointer.h"
#include "gamewidgets/CustomCursor.h"
#include "graphics/MemoryImage.h"
#include "resources/ResourceLookups.h"
#include "widgets/WidgetManager.h"

#include <algorithm>
#include <set>
#include <utility>

namespace {

constexpr int kHamer = 0;
constexpr int kBomb = 1;
constexpr int kLightning = 2;
constexpr int kMixer = 3;
constexpr int kDestroy = 4;
constexpr int kBombType = 28;
// The buttons' places in the bar, and the bar's on the screen.
constexpr int kButtonX[] = {162, 246, 325, 404, 492};
constexpr int kButtonY = 23;
constexpr int kPanelX = 50;
constexpr int kPanelY = 510;

using Point = std::pair<int, int>;

template <typename T>
void DeleteSingleton()
{
    delete T::RegisteredInstance();
}

// A board with moves everywhere: columns of gold and food bricks in turn.
const char* const kStripes = "a k a k a k a k a k a k a k a k \n"
                             "a k a k a k a k a k a k a k a k \n"
                             "a k a k a k a k a k a k a k a k \n"
                             "a k a k a k a k a k a k a k a k \n";

class BonusPanelTest : public LiveBoardFixture
{
protected:
    BonusPanelTest() : panel(BonusPanel::Instance()) {}
    ~BonusPanelTest() override
    {
        app.widgetManager->RemoveWidget(CustomCursor::RegisteredInstance());
        DeleteSingleton<CustomCursor>();
        DeleteSingleton<CursorPointer>();
    }

    BonusButtonBase* Button(int id) const { return panel->GetButton(id); }

    // A press and release of the left button on the middle of the button, as the player clicks.
    void Press(int id)
    {
        const BonusButtonBase* button = Button(id);
        const int x = kPanelX + kButtonX[id] + button->width / 2;
        const int y = kPanelY + kButtonY + button->height / 2;
        app.widgetManager->MouseMove(x, y);
        app.widgetManager->MouseDown(x, y, 1);
        app.widgetManager->MouseUp(x, y, 1);
    }

    // Where the running particle emitters stand.
    static std::set<Point> Emitters()
    {
        std::set<Point> points;
        for (const auto& emitter : GlobalParticles::Instance()->emitters) {
            if (emitter && !emitter->IsFinished()) {
                points.insert({int(emitter->currentX), int(emitter->currentY)});
            }
        }
        return points;
    }

    // The screen centre of the light: its image's halves truncated.
    static Point LightCentre(int index, const char* imageId)
    {
        constexpr int kBaseX[] = {202, 286, 365, 445, 531};
        constexpr int kOffsetX[] = {0, 19, 44};
        constexpr int kY[] = {526, 521, 526};
        const Tolm::Image* image = GetImageById(imageId);
        return {kBaseX[index / 3] + kOffsetX[index % 3] + image->GetWidth() / 2,
                kY[index % 3] + image->GetHeight() / 2};
    }

    BonusPanel* panel;
};

} // namespace

TEST_F(BonusPanelTest, BarAndButtonsSitWhereTheScreenExpectsThem)
{
    EXPECT_EQ(panel->GetRect(), Tolm::Rect(50, 510, 650, 80));
    EXPECT_FALSE(panel->clip) << "the plate and the liana reach past the bar";
    const Tolm::Image* frame = GetImageById("BONUS_BUTTON");
    const struct
    {
        const char* icon;
        int shiftX;
        int shiftY;
    } looks[] = {{"PANEL_BONUS_HAMER", 3, 1},
                 {"PANEL_BONUS_BOMB", 2, 1},
                 {"PANEL_BONUS_LIGHTNING", 2, 2},
                 {"PANEL_BONUS_MIXER", 2, 2},
                 {"PANEL_BONUS_DESTROY", 0, 0}};
    for (int id = 0; id < BonusPanel::kButtons; ++id) {
        BonusButtonBase* button = Button(id);
        const Tolm::Image* icon = GetImageById(looks[id].icon);
        EXPECT_EQ(button->GetRect(), Tolm::Rect(kButtonX[id], 23, frame->GetWidth(), frame->GetHeight())) << id;
        EXPECT_EQ(button->BonusType(), 27 + id);
        EXPECT_EQ(button->iconX, (frame->GetWidth() - icon->GetWidth()) / 2 + looks[id].shiftX) << id;
        EXPECT_EQ(button->iconY, (frame->GetHeight() - icon->GetHeight()) / 2 + looks[id].shiftY) << id;
        EXPECT_EQ(button->hint, 32 + id);
    }
    EXPECT_EQ(panel->GetButton(-1), nullptr);
    EXPECT_EQ(panel->GetButton(5), nullptr);
    BonusPanelFront* front = BonusPanelFront::Instance();
    EXPECT_EQ(front->x + panel->x, 0);
    EXPECT_EQ(front->y + panel->y, 600 - GetImageById("PANEL_BONUS_FRONT")->GetHeight());
    EXPECT_EQ(panel->GetChildren().back(), front) << "the plate lies over the buttons";
}

// With three points a charge: the bomb becomes usable at the third brick and reaches two charges at the
// sixth, lighting its second light; the charge stops at three. In floats a third is 0.33333334: three of
// them make 1.0 and six 2.0, but the ninth leaves 2.9999998 (still two charges) and only the tenth
// reaches three.
TEST_F(BonusPanelTest, BombBricksChargeTheBombWithParticlesAndLights)
{
    LoadParticleEffects();
    ASSERT_EQ(Button(kBomb)->pointsPerCharge, 3);
    const int expected[] = {0, 0, 1, 0, 0, 2, 0, 0, 0, 3, 0, 0};
    std::set<Point> seen;
    for (int brick = 0; brick < 12; ++brick) {
        app.Frame();
        EXPECT_EQ(panel->AddCharge(kBombType, 1), expected[brick]) << "brick " << brick + 1;
        const std::set<Point> now = Emitters();
        seen.insert(now.begin(), now.end());
        if (brick == 2) {
            EXPECT_TRUE(seen.count({320, 560})) << "the bomb's appear particles";
        }
        if (brick == 5) {
            EXPECT_TRUE(seen.count(LightCentre(4, "BONUS_LIGHT2"))) << "light 4 comes on";
        }
    }
    EXPECT_EQ(Button(kBomb)->GetCharge(), 3.0f);
    EXPECT_TRUE(seen.count(
        {kPanelX + kButtonX[kBomb] + Button(kBomb)->width / 2, kPanelY + kButtonY + Button(kBomb)->height / 2}))
        << "the updated particles over the button";
    EXPECT_EQ(panel->AddCharge(27 + 5, 1), 0) << "the live bonus charges nothing";
    EXPECT_EQ(panel->AddCharge(26, 1), 0);
    float charges[5] = {-1, -1, -1, -1, -1};
    panel->GetCharges(&charges[0], &charges[1], &charges[2], &charges[3], &charges[4]);
    EXPECT_EQ(charges[0] + charges[2] + charges[3] + charges[4], 0.0f);
}

// Using the bomb at 2.4 leaves 1.4 and puts out light 4; again, 0.4 and light 3; the fill line then
// rises from the bottom by half a pixel an update until 40 percent of the icon shows.
TEST_F(BonusPanelTest, UsesPutOutTheirLightsAndTheFillRisesFromTheBottom)
{
    LoadParticleEffects();
    panel->SetCharges(-1, 2.4f, -1, -1, -1);
    BonusButtonBase* bomb = Button(kBomb);
    EXPECT_EQ(bomb->UseCharge(), 2);
    EXPECT_FLOAT_EQ(bomb->GetCharge(), 1.4f);
    EXPECT_TRUE(Emitters().count(LightCentre(4, "BONUS_LIGHT2")));
    app.Frame();
    EXPECT_EQ(bomb->UseCharge(), 1);
    EXPECT_FLOAT_EQ(bomb->GetCharge(), 0.4f);
    EXPECT_TRUE(Emitters().count(LightCentre(3, "BONUS_LIGHT1")));
    const float height = float(bomb->height);
    EXPECT_EQ(bomb->fillY, height);
    app.Frames(10);
    EXPECT_FLOAT_EQ(bomb->fillY, height - 5.0f);
    app.Frames(200);
    EXPECT_FLOAT_EQ(bomb->fillY, height * 0.6f) << "40 percent of the icon shows";
    bomb->SetCharge(1.005f);
    bomb->UseCharge();
    EXPECT_EQ(bomb->GetCharge(), 0.0f) << "a residue under 0.01 is nothing";
    bomb->SetCharge(7.0f);
    EXPECT_EQ(bomb->GetCharge(), 3.0f);
}

TEST_F(BonusPanelTest, RestoringChargesLeavesTheNegativeOnesAlone)
{
    panel->SetCharges(1, 0.5f, 2, 3, 0.25f);
    panel->SetCharges(-1, 2.5f, -1, -1, -1);
    float hammer = 0;
    float bomb = 0;
    float lightning = 0;
    float mixer = 0;
    float destroy = 0;
    panel->GetCharges(&hammer, &bomb, &lightning, &mixer, &destroy);
    EXPECT_EQ(hammer, 1.0f);
    EXPECT_EQ(bomb, 2.5f);
    EXPECT_EQ(lightning, 2.0f);
    EXPECT_EQ(mixer, 3.0f);
    EXPECT_EQ(destroy, 0.25f);
    panel->GetCharges(nullptr, nullptr, nullptr, nullptr, &destroy);
    EXPECT_EQ(destroy, 0.25f);
    panel->ResetCharges();
    EXPECT_FALSE(panel->AnyChargeReady());
    panel->ChargeButton(5);
    EXPECT_TRUE(panel->AnyChargeReady());
    EXPECT_EQ(Button(kDestroy)->GetCharge(), 1.0f);
    panel->ChargeButton(6);
    panel->ChargeButton(0);
}

// Each case presses buttons of a panel with the given charges (hammer, bomb, lightning, mixer, destroy)
// and reads the armed tool, the charges, the cursor and the panel's sounds.
TEST_F(BonusPanelTest, PressesArmActOrDisarm)
{
    struct Case
    {
        const char* name;
        float charges[5];
        std::vector<int> presses;
        int armed;
        float chargesAfter[5];
        const char* cursor;
        std::vector<std::string> sounds;
    };
    const Case cases[] = {
        {"a charged bomb arms", {0, 1, 0, 0, 0}, {kBomb}, kBomb, {0, 1, 0, 0, 0}, "bomb", {"SOUND_BONUS_SELECT"}},
        {"pressed again it arms afresh",
         {0, 1, 0, 0, 0},
         {kBomb, kBomb},
         kBomb,
         {0, 1, 0, 0, 0},
         "bomb",
         {"SOUND_BONUS_SELECT", "SOUND_BONUS_SELECT"}},
        {"an uncharged press disarms and arms nothing",
         {0, 1, 0, 0, 0},
         {kBomb, kHamer},
         -1,
         {0, 1, 0, 0, 0},
         "pointer",
         {"SOUND_BONUS_SELECT"}},
        {"another tool takes over",
         {1, 1, 0, 0, 0},
         {kBomb, kHamer},
         kHamer,
         {1, 1, 0, 0, 0},
         "hamer",
         {"SOUND_BONUS_SELECT", "SOUND_BONUS_SELECT"}},
        {"the destroy tool arms",
         {0, 0, 0, 0, 2},
         {kDestroy},
         kDestroy,
         {0, 0, 0, 0, 2},
         "destroy",
         {"SOUND_BONUS_SELECT"}},
        {"the lightning strikes at once, disarming the bomb",
         {0, 1, 2, 0, 0},
         {kBomb, kLightning},
         -1,
         {0, 1, 1, 0, 0},
         "pointer",
         {"SOUND_BONUS_SELECT", "SOUND_BONUS_FLUIDS"}},
        {"the mixer mixes at once", {0, 0, 0, 1.5f, 0}, {kMixer}, -1, {0, 0, 0, 0.5f, 0}, "none", {"SOUND_BONUS_MIX"}},
        {"an uncharged lightning does nothing", {0, 0, 0.9f, 0, 0}, {kLightning}, -1, {0, 0, 0.9f, 0, 0}, "none", {}},
    };
    for (const Case& c : cases) {
        Lay(kStripes);
        panel->SetCharges(c.charges[0], c.charges[1], c.charges[2], c.charges[3], c.charges[4]);
        if (CustomCursor* cursor = CustomCursor::RegisteredInstance()) {
            cursor->current = nullptr;
        }
        TakeSounds();
        for (int id : c.presses) {
            Press(id);
        }
        EXPECT_EQ(panel->armed, c.armed) << c.name;
        float after[5] = {};
        panel->GetCharges(&after[0], &after[1], &after[2], &after[3], &after[4]);
        for (int id = 0; id < 5; ++id) {
            EXPECT_FLOAT_EQ(after[id], c.chargesAfter[id]) << c.name << ", tool " << id;
        }
        const BaseCursor* current = CustomCursor::RegisteredInstance() ? CustomCursor::Instance()->current : nullptr;
        const std::string cursor = !current                                         ? "none"
                                   : current == CursorPointer::RegisteredInstance() ? "pointer"
                                   : current == CursorBomb::RegisteredInstance()    ? "bomb"
                                   : current == CursorHamer::RegisteredInstance()   ? "hamer"
                                   : current == CursorDestroy::RegisteredInstance() ? "destroy"
                                                                                    : "other";
        EXPECT_EQ(cursor, c.cursor) << c.name;
        std::vector<std::string> played;
        for (const std::string& sound : TakeSounds()) {
            if (sound.rfind("SOUND_BONUS_", 0) == 0) {
                played.push_back(sound);
            }
        }
        EXPECT_EQ(played, c.sounds) << c.name;
        panel->Deselect(false);
        app.Frames(300);
    }
}

TEST_F(BonusPanelTest, ClosedGatesIgnorePresses)
{
    panel->SetCharges(1, 1, 1, 1, 1);
    panel->SetGatesOpen(false);
    EXPECT_TRUE(panel->disabled);
    for (int id = 0; id < BonusPanel::kButtons; ++id) {
        panel->ButtonPressed(id);
    }
    EXPECT_EQ(panel->armed, -1);
    EXPECT_TRUE(panel->AnyChargeReady());
    float lightning = 0;
    panel->GetCharges(nullptr, nullptr, &lightning, nullptr, nullptr);
    EXPECT_EQ(lightning, 1.0f);
    panel->SetGatesOpen(true);
    EXPECT_FALSE(panel->disabled);
}

// The armed bomb waits on an empty slot; on a brick it blows there, the pointer comes back and the
// countdown starts again.
TEST_F(BonusPanelTest, ArmedBombWaitsForABrick)
{
    Lay(". a k a k a \n"
        "a k a k a k \n"
        "a k a k a k \n");
    panel->SetCharges(-1, 1, -1, -1, -1);
    Press(kBomb);
    ASSERT_TRUE(panel->IsBombArmed());
    field->noMoveCounter = 7;
    TakeSounds();
    Run("move 0 0\npress 0 0\nrelease 0 0");
    EXPECT_TRUE(panel->IsBombArmed()) << "an empty slot";
    EXPECT_EQ(Button(kBomb)->GetCharge(), 1.0f);
    EXPECT_EQ(field->noMoveCounter, 7);
    Run("move 3 1");
    EXPECT_TRUE(field->GetCell(2, 0)->HasFlag(kCellHighlight)) << "the bomb's block is highlighted";
    Run("press 3 1\nrelease 3 1");
    EXPECT_FALSE(panel->IsBombArmed());
    EXPECT_EQ(Button(kBomb)->GetCharge(), 0.0f);
    EXPECT_EQ(field->noMoveCounter, 0);
    EXPECT_EQ(CustomCursor::Instance()->current, CursorPointer::Instance());
    const std::vector<std::string> sounds = TakeSounds();
    EXPECT_NE(std::find(sounds.begin(), sounds.end(), "SOUND_BONUS_BOMB"), sounds.end());
}

// A press on another button drops the target highlights of the armed tool before disarming it.
TEST_F(BonusPanelTest, PressingAnotherButtonClearsTheArmedToolsHighlights)
{
    Lay(kStripes);
    panel->SetCharges(1, 1, -1, -1, -1);
    Press(kBomb);
    Run("move 4 1");
    ASSERT_TRUE(field->GetCell(4, 1)->HasFlag(kCellHighlight));
    Press(kHamer);
    for (int i = 0; i < kFieldSlots; ++i) {
        EXPECT_FALSE(field->GetCell(i % kFieldWidth, i / kFieldWidth)->HasFlag(kCellHighlight)) << i;
    }
    EXPECT_TRUE(panel->IsHammerArmed());
}

// The countdown on a board without moves runs its whole 3500 updates while a tool is charged, warning
// every 50; a tool used on a cell starts it again.
TEST_F(BonusPanelTest, ChargedToolKeepsTheWholeCountdownUntilUsed)
{
    Lay("a k a \n"
        "k a k \n");
    panel->SetCharges(-1, 1, -1, -1, -1);
    Run("update 1000");
    EXPECT_EQ(field->noMoveCounter, 1000);
    Press(kBomb);
    Run("move 1 0\npress 1 0\nrelease 1 0");
    EXPECT_EQ(field->noMoveCounter, 0);
}

TEST_F(BonusPanelTest, LightsFollowTheChargesAndFadeWithTheGates)
{
    panel->SetCharges(-1, 2.5f, -1, -1, 3);
    app.Frame();
    const BonusPanelLights* lights = BonusPanelLights::Instance();
    const bool lit[15] = {false, false, false, true,  true, false, false, false,
                          false, false, false, false, true, true,  true};
    for (int i = 0; i < BonusPanelLights::kLights; ++i) {
        EXPECT_EQ(lights->lights[std::size_t(i)].lit, lit[i]) << "light " << i;
    }
    const BonusLight& fourth = lights->lights[4];
    const BonusPanelFront* front = BonusPanelFront::Instance();
    EXPECT_EQ(fourth.image, GetImageById("BONUS_LIGHT2"));
    EXPECT_EQ(fourth.x + front->x + panel->x, 305);
    EXPECT_EQ(fourth.y + front->y + panel->y, 521);
    LoadParticleEffects();
    lights->SpawnOn(15);
    lights->SpawnOff(-1);
    EXPECT_TRUE(Emitters().empty());
    app.Frames(200);
    EXPECT_EQ(front->dim.current, 1.0f);
    panel->SetGatesOpen(false);
    app.Frames(40);
    EXPECT_NEAR(front->dim.current, 0.6f, 1e-4f) << "a hundredth an update";
}

// Every charge step divides by the points a charge takes: without a usable value one brick makes a charge.
TEST_F(BonusPanelTest, PointsPerChargeBelowOneMakeOneBrickACharge)
{
    for (int points : {0, -3}) {
        app.SetIntProperty("set_bonus_points", points);
        ButtonBonusBomb bomb(panel);
        EXPECT_EQ(bomb.pointsPerCharge, 1) << points;
        EXPECT_EQ(bomb.AddPoints(1), 1) << points;
        EXPECT_EQ(bomb.GetCharge(), 1.0f) << points;
    }
    app.SetIntProperty("set_bonus_points", 3);
}

// The last lightning spent on a board without moves: the countdown waits while its strikes are under way
// instead of failing the level before they land.
TEST_F(BonusPanelTest, CountdownWaitsForTheStrikesOfTheLastCharge)
{
    Lay("a k a \n"
        "k a k \n");
    panel->SetCharges(-1, -1, 1, -1, -1);
    Run("update 20");
    ASSERT_EQ(field->noMoveCounter, 20);
    Press(kLightning);
    EXPECT_FALSE(panel->AnyChargeReady());
    Run("update 50");
    EXPECT_LT(field->noMoveCounter, FieldLive::kNoMoveLastSecond);
    EXPECT_FALSE(field->failed);
}
