// The game's push buttons: their sounds, faces and masks, the shaped hit test, the round buttons with
// their turning ring and pulsing glow, the gate's animation and the profile greeting.
#include "ScreensFixture.h"
#include "gamewidgets/BaseWindowButton.h"
#include "gamewidgets/GameFieldButton.h"
#include "gamewidgets/RoundButtonGate.h"
#include "gamewidgets/TextButton.h"
#include "graphics/Graphics.h"
#include "support/DrawLog.h"
#include "widgets/WidgetManager.h"

namespace {

constexpr float kNear = 1e-5f;

class GameButtonsTest : public ScreensTest
{
protected:
    // A gate of eight 10 x 10 frames in a row, played with a frame delay of 5: half a cel per update.
    Tolm::MemoryImage* GatePicture()
    {
        Tolm::MemoryImage* gate = Picture("UI_BUTTON_GATE", 80, 10);
        gate->numCols = 8;
        gate->animation = std::make_unique<Tolm::ImageAnimation>();
        gate->animation->numFrames = 8;
        gate->animation->frameDelay = 5;
        return gate;
    }

    // The draws of the widget drawn at its own origin.
    std::vector<DrawLog::Draw> Drawn(Tolm::Widget& widget)
    {
        DrawLog log(800, 600);
        Tolm::Graphics g(&log);
        widget.Draw(&g);
        return log.draws;
    }
    static std::vector<DrawLog::Draw> Fills(const std::vector<DrawLog::Draw>& draws)
    {
        std::vector<DrawLog::Draw> fills;
        std::copy_if(draws.begin(), draws.end(), std::back_inserter(fills),
                     [](const DrawLog::Draw& draw) { return draw.kind == DrawLog::Kind::Fill; });
        return fills;
    }
};

} // namespace

TEST_F(GameButtonsTest, ButtonsSoundWhenTheMouseComesAndOnEveryPressButTextButtonsOnlyWhenPressed)
{
    Sounds({"SOUND_BUTTON_ENTER", "SOUND_BUTTON_DOWN"});
    Font("FONT_MAINMENU_PROFILE", 8);
    BaseWindowButton window(1, nullptr);
    TextButton text("Ann", 2, nullptr);
    window.MouseEnter();
    window.MouseDown(5, 5, 1);
    window.MouseDown(5, 5, -1);
    window.MouseDown(5, 5, 3);
    EXPECT_EQ(sounds.Take(), (std::vector<std::string>{"SOUND_BUTTON_ENTER", "SOUND_BUTTON_DOWN", "SOUND_BUTTON_DOWN",
                                                       "SOUND_BUTTON_DOWN"}));
    text.MouseEnter();
    text.MouseDown(1, 1, 1);
    EXPECT_EQ(sounds.Take(), std::vector<std::string>{"SOUND_BUTTON_DOWN"});
}

TEST_F(GameButtonsTest, WindowButtonsTakeTheirSkinAndSizeAndSmallOnesTheirOwn)
{
    Tolm::MemoryImage* face = Picture("UI_WINDOW_BUTTON", 240, 40);
    Tolm::MemoryImage* small = Picture("UI_WINDOW_SMALL_BUTTON", 100, 36);
    Picture("UI_WINDOW_SMALL_BUTTON_DOWN", 100, 36);
    BaseWindowButton button(1, nullptr);
    SmallWindowButton pager(2, nullptr);
    EXPECT_EQ(button.buttonImage, face);
    EXPECT_EQ(button.GetRect(), Tolm::Rect(0, 0, 240, 40));
    EXPECT_FALSE(button.clip);
    EXPECT_TRUE(Tolm::ColorEquals(button.GetColorRef(Tolm::ButtonWidget::ColorLabel), Tolm::Color::White));
    EXPECT_EQ(pager.buttonImage, small);
    EXPECT_EQ(pager.mask, nullptr) << "a missing picture is passed over";
    EXPECT_EQ(pager.GetRect(), Tolm::Rect(0, 0, 100, 36));
}

TEST_F(GameButtonsTest, WindowButtonFacesAndMaskFollowTheState)
{
    Tolm::MemoryImage* face = Picture("UI_WINDOW_BUTTON", 240, 40);
    Tolm::MemoryImage* down = Picture("UI_WINDOW_BUTTON_DOWN", 240, 40);
    Tolm::MemoryImage* mask = Picture("UI_WINDOW_BUTTON_MASK", 240, 40);
    Tolm::MemoryImage* disabledFace = Picture("", 240, 40);
    BaseWindowButton button(1, nullptr);

    struct Case
    {
        const char* name;
        float hover;
        bool pressed;
        bool withDown;
        bool disabled;
        Tolm::Image* face;
        float faceAt;
        int maskAlpha;
    };
    const Case cases[] = {
        {"at rest the mask darkens by 40", 1.0f, false, true, false, face, 0, 40},
        {"half-way through the hover", 0.5f, false, true, false, face, 0, 20},
        {"hovered, no mask", 0.0f, false, true, false, face, 0, 0},
        {"pressed shows the down face", 0.0f, true, true, false, down, 0, 0},
        {"pressed without a down face moves the face", 0.0f, true, false, false, face, 1, 0},
        {"disabled with a disabled face", 1.0f, false, true, true, disabledFace, 0, 40},
    };
    for (const Case& c : cases) {
        button.hover.current = c.hover;
        button.isDown = button.isOver = c.pressed;
        button.downImage = c.withDown ? down : nullptr;
        button.disabled = c.disabled;
        button.disabledImage = c.disabled ? disabledFace : nullptr;
        std::vector<DrawLog::Draw> draws = Drawn(button);
        ASSERT_EQ(draws.size(), 2u) << c.name;
        EXPECT_EQ(draws[0].source, c.face) << c.name;
        EXPECT_EQ(draws[0].x, c.faceAt) << c.name;
        EXPECT_EQ(draws[0].y, c.faceAt) << c.name;
        EXPECT_EQ(draws[1].source, mask) << c.name;
        EXPECT_EQ(draws[1].color, uint32_t(c.maskAlpha) << 24) << c.name;
    }
}

TEST_F(GameButtonsTest, TheLabelSitsByTheFontsAscentAndMovesWithAPress)
{
    Picture("UI_WINDOW_BUTTON", 240, 40);
    Font("FONT_BUTTON", 10, 18, 24);
    BaseWindowButton button(1, nullptr);
    button.label = "Play";
    button.textOffsetX = 3;
    // x = (240 - 40) / 2 + 3; baseline y = (40 - 18 / 6 + 18 - 1) / 2 - 6 = 21, the cell's top 18 above.
    std::vector<DrawLog::Draw> label = Fills(Drawn(button));
    ASSERT_EQ(label.size(), 1u);
    EXPECT_EQ(label[0].x, 103.0f);
    EXPECT_EQ(label[0].y, 3.0f);
    button.isDown = button.isOver = true;
    label = Fills(Drawn(button));
    ASSERT_EQ(label.size(), 1u);
    EXPECT_EQ(label[0].x, 104.0f);
    EXPECT_EQ(label[0].y, 4.0f);
}

TEST_F(GameButtonsTest, WindowButtonHoverLiftsTheMaskOverTwentyUpdates)
{
    BaseWindowButton button(1, nullptr);
    button.Resize(10, 10, 100, 30);
    app->widgetManager->AddWidget(&button);
    app->Frames(20);
    EXPECT_EQ(button.hover.current, 1.0f) << "away from the mouse the mask rests at full";
    app->widgetManager->MouseMove(50, 20);
    app->Frames(10);
    EXPECT_NEAR(button.hover.current, 0.5f, kNear);
    app->Frames(11);
    EXPECT_EQ(button.hover.current, 0.0f);
}

TEST_F(GameButtonsTest, ShapeButtonsTakeHitsOnlyWhereTheirMaskIsMoreThan20Opaque)
{
    Tolm::MemoryImage* shape = Picture("", 4, 1);
    uint32_t* pixels = shape->GetBits();
    pixels[0] = 0x00FFFFFF;
    pixels[1] = 0x14FFFFFF;
    pixels[2] = 0x15FFFFFF;
    pixels[3] = 0xFF000000;
    shape->NoteBitsChanged();
    ShapeButton button(1, nullptr);
    button.Resize(0, 0, 10, 10);
    EXPECT_TRUE(button.AcceptsPoint(8, 8)) << "without a mask the whole button";

    button.SetHitMask(shape);
    struct Case
    {
        int x;
        int y;
        bool accepted;
    };
    const Case cases[] = {{0, 0, false}, {1, 0, false}, {2, 0, true},  {3, 0, true},
                          {4, 0, false}, {0, 1, false}, {-1, 0, false}};
    for (const Case& c : cases) {
        EXPECT_EQ(button.AcceptsPoint(c.x, c.y), c.accepted) << c.x << "," << c.y;
    }

    Tolm::MemoryImage notOnTheDisplay;
    notOnTheDisplay.Create(4, 1);
    button.SetHitMask(&notOnTheDisplay);
    EXPECT_EQ(button.hitMask, nullptr);
    EXPECT_TRUE(button.AcceptsPoint(8, 8)) << "an image that is no surface image is no mask";
}

TEST_F(GameButtonsTest, GateWaitsItsDelayThenOpensToTheFrameCountWhereItDrawsNothing)
{
    Tolm::MemoryImage* picture = GatePicture();
    RoundButtonGate gate(40, 30);
    EXPECT_EQ(gate.offsetX, -5);
    EXPECT_EQ(gate.offsetY, -5);
    EXPECT_EQ(gate.cel.speed, 0.5f);

    // 0.3 s is 30 update periods (a hair more in floats, 0.3 having no exact float).
    gate.Open(0.3f);
    for (int i = 0; i < 30; ++i) {
        gate.Update(1.0f);
    }
    EXPECT_EQ(gate.cel.current, 0.0f);
    EXPECT_LT(gate.delay, 1e-3f);
    gate.Update(1.0f);
    EXPECT_EQ(gate.delay, 0.0f);
    EXPECT_EQ(gate.cel.current, 0.0f);
    for (int i = 0; i < 15; ++i) {
        gate.Update(1.0f);
        EXPECT_FALSE(gate.IsOpen()) << "at cel " << gate.cel.current;
    }
    EXPECT_EQ(gate.cel.current, 7.5f);
    DrawLog log(100, 100);
    Tolm::Graphics g(&log);
    gate.Draw(&g);
    ASSERT_EQ(log.draws.size(), 1u);
    EXPECT_EQ(log.draws[0].sourceRect, Tolm::Rect(70, 0, 10, 10)) << "the last frame, from the integer part";
    EXPECT_EQ(log.draws[0].x, 35.0f);

    gate.Update(1.0f);
    EXPECT_EQ(gate.cel.current, 8.0f);
    EXPECT_TRUE(gate.IsOpen());
    log.draws.clear();
    gate.Draw(&g);
    EXPECT_TRUE(log.draws.empty());
    EXPECT_EQ(picture->numFrames, 1) << "the grid, not the image's own frame count, is what the gate steps";

    gate.Close(0.0f);
    gate.Update(1.0f);
    EXPECT_EQ(gate.cel.current, 7.5f) << "a gate closes at once from where it is";
    EXPECT_FALSE(gate.IsOpen());
}

TEST_F(GameButtonsTest, GateWithoutAnimationNeverOpens)
{
    Picture("UI_BUTTON_GATE", 20, 20);
    RoundButtonGate gate(0, 0);
    EXPECT_EQ(gate.cel.speed, 0.1f);
    gate.Open(0.0f);
    gate.Update(1.0f);
    EXPECT_EQ(gate.cel.current, 0.0f);
    EXPECT_FALSE(gate.IsOpen());
}

TEST_F(GameButtonsTest, FieldButtonRingTurnsOnlyWhileItsGateIsOpenAndItsGlowPulsesOnlyWhenFullyHovered)
{
    GatePicture();
    Tolm::MemoryImage* border = Picture("", 58, 60);
    Tolm::MemoryImage* face = Picture("", 58, 60);
    GameFieldButton button(7, nullptr, border, face, face, face, face, face);
    EXPECT_EQ(button.GetRect(), Tolm::Rect(0, 0, 58, 60));
    EXPECT_EQ(button.gate->x, 29);
    EXPECT_EQ(button.gate->y, 30);
    button.Move(600, 200);
    app->widgetManager->AddWidget(&button);

    app->Frames(40);
    EXPECT_EQ(button.borderAngle, 0.0f) << "the gate is closed";
    button.gate->Open(0.0f);
    app->Frames(16);
    EXPECT_TRUE(button.gate->IsOpen());
    EXPECT_EQ(button.borderAngle, 0.0f) << "the frame that opened it has turned nothing yet";
    app->Frames(10);
    EXPECT_NEAR(button.borderAngle, 1.0f, kNear) << "0.1 degree per update";
    EXPECT_EQ(button.glowPhase, 0.0f);

    app->widgetManager->MouseMove(620, 220);
    while (button.hover.current > 0.0f) {
        EXPECT_EQ(button.glowPhase, 0.0f) << "not fully hovered yet";
        app->Frame();
    }
    EXPECT_NEAR(button.glowPhase, 0.05f, kNear);
    app->Frames(2);
    EXPECT_NEAR(button.glowPhase, 0.15f, kNear);
    app->widgetManager->MouseMove(10, 10);
    app->Frames(3);
    EXPECT_NEAR(button.glowPhase, 0.15f, kNear) << "the glow stops as soon as the mouse leaves";
    button.SetGateOpen(false);
    EXPECT_EQ(button.gate->cel.target, 0.0f);
    EXPECT_EQ(button.gate->delay, 0.0f);
}

TEST_F(GameButtonsTest, FieldButtonDrawsFaceGlowSignMaskGateAndRingInThatOrder)
{
    GatePicture();
    Tolm::MemoryImage* border = Picture("", 60, 60);
    Tolm::MemoryImage* face = Picture("", 60, 60);
    Tolm::MemoryImage* down = Picture("", 60, 60);
    Tolm::MemoryImage* mask = Picture("", 60, 60);
    Tolm::MemoryImage* sign = Picture("", 60, 60);
    Tolm::MemoryImage* glow = Picture("", 60, 60);
    GameFieldButton button(7, nullptr, border, face, down, mask, sign, glow);
    button.hover.current = 0.5f;
    button.glowPhase = 3.14159265f;
    button.borderAngle = 90.0f;
    std::vector<DrawLog::Draw> draws = Drawn(button);
    ASSERT_EQ(draws.size(), 6u);
    const Tolm::Image* order[] = {face, glow, sign, mask, button.gate->image, border};
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(draws[i].source, order[i]) << i;
    }
    EXPECT_EQ(draws[1].color, 0x87FFFFFFu) << "195 + 60 cos(pi), truncated";
    EXPECT_EQ(draws[2].color, 0xFFFFFFFFu);
    EXPECT_EQ(draws[3].color, 0x28000000u) << "80 x the hover";
    EXPECT_EQ(draws[4].x, 25.0f) << "the gate centred on the face";
    EXPECT_EQ(draws[5].kind, DrawLog::Kind::Rotated);
    EXPECT_NEAR(draws[5].angle, 3.14159265 / 2, 1e-5);

    button.isDown = button.isOver = true;
    draws = Drawn(button);
    EXPECT_EQ(draws[0].source, down);
    EXPECT_EQ(draws[0].x, 0.0f);
    EXPECT_EQ(draws[1].x, 1.0f) << "glow and sign move with the press";
    EXPECT_EQ(draws[2].y, 1.0f);
    EXPECT_EQ(draws[3].x, 0.0f) << "the mask stays";
}

TEST_F(GameButtonsTest, ProfileButtonGreetsByNameAndShortensForLongNames)
{
    Font("FONT_MAINMENU_PROFILE", 10);
    struct Case
    {
        const char* name;
        const char* welcome;
        const char* user;
        const char* shown;
    };
    const Case cases[] = {
        {"a name up to 100 pixels", "Welcome back, %USER%!", "TEN_LETTER", "Welcome back, TEN_LETTER!"},
        {"a name past 100 pixels", "Welcome back, %USER%!", "ELEVEN_CHAR", "Hi, ELEVEN_CHAR!"},
        {"only the first field is filled", "%USER% and %USER%", "ANN", "ANN and %USER%"},
        {"a text without the field shows as it is", "Welcome back!", "ANN", "Welcome back!"},
    };
    for (const Case& c : cases) {
        app->SetStringProperty("welcome_back", Tolm::StringToWide(c.welcome));
        app->SetStringProperty("welcome_back_short", Tolm::StringToWide("Hi, %USER%!"));
        ProfileButton button(c.user, 3, nullptr);
        EXPECT_EQ(button.label, c.shown) << c.name;
        EXPECT_EQ(button.width, 10 * int(std::string(c.shown).size())) << c.name;
        EXPECT_EQ(button.height, 16) << c.name;
    }
}

TEST_F(GameButtonsTest, TextButtonIsGreyAtRestAndWhiteWhenHovered)
{
    Font("FONT_MAINMENU_PROFILE", 10, 12, 16);
    TextButton button("Options", 3, nullptr);
    EXPECT_EQ(button.hover.target, 1.0f);
    EXPECT_EQ(button.hover.current, 0.0f);
    button.hover.current = 1.0f;
    std::vector<DrawLog::Draw> draws = Drawn(button);
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].color, 0xFF9B9B9Bu) << "155 grey";
    // Baseline (16 - 12 / 6 + 12 - 1) / 2 + 1 = 13, the cell's top 12 above.
    EXPECT_EQ(draws[0].x, 1.0f);
    EXPECT_EQ(draws[0].y, 1.0f);
    button.MouseEnter();
    EXPECT_EQ(button.hover.target, 0.0f);
    button.MouseLeave();
    EXPECT_EQ(button.hover.target, 1.0f);
}
