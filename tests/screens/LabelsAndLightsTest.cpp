// The breathing decorations: the fading label rendered once into an image, the twinkling window lights and
// the bonus line's glow.
#include "ScreensFixture.h"
#include "core/Random.h"
#include "gamewidgets/BonusLineGlow.h"
#include "gamewidgets/FadingLabel.h"
#include "gamewidgets/WindowLight.h"
#include "graphics/Graphics.h"
#include "support/DrawLog.h"
#include "widgets/WidgetManager.h"

#include <cmath>

namespace {

class LabelsAndLightsTest : public ScreensTest
{
protected:
    void SetUp() override { SeedRandom(4711); }
};

} // namespace

TEST_F(LabelsAndLightsTest, LabelIsItsTextRenderedOnceWithRoomAroundIt)
{
    FixedWidthFont font(10, 12, 20);
    FadingLabel label("Hello", &font, Tolm::Color(255, 0, 0));
    ASSERT_NE(label.textImage, nullptr);
    EXPECT_EQ(label.textImage->width, 75) << "1.5 x the text's 50 pixels";
    EXPECT_EQ(label.textImage->height, 30);
    EXPECT_EQ(label.GetRect(), Tolm::Rect(0, 0, 75, 30));
    EXPECT_TRUE(label.disabled);
    EXPECT_FALSE(label.mouseVisible);
    // Centred on x 37, the baseline at the font's height: the cells from (12, 8) to (62, 28).
    const uint32_t* pixels = label.textImage->GetBits();
    EXPECT_EQ(pixels[15 * 75 + 11], 0u);
    EXPECT_EQ(pixels[15 * 75 + 12], 0xFFFF0000u);
    EXPECT_EQ(pixels[15 * 75 + 61], 0xFFFF0000u);
    EXPECT_EQ(pixels[15 * 75 + 62], 0u);
    EXPECT_EQ(pixels[7 * 75 + 30], 0u);
    EXPECT_EQ(pixels[8 * 75 + 30], 0xFFFF0000u);
}

TEST_F(LabelsAndLightsTest, LabelWithoutWidthMakesNoImageAndDrawsNothing)
{
    FixedWidthFont font(10, 12, 20);
    FadingLabel label("", &font, Tolm::Color::White);
    EXPECT_EQ(label.textImage, nullptr);
    label.fade.current = 1.0f;
    DrawLog log(800, 600);
    Tolm::Graphics g(&log);
    label.Draw(&g);
    EXPECT_TRUE(log.draws.empty());
    FadingLabel noFont("Hello", nullptr, Tolm::Color::White);
    EXPECT_EQ(noFont.textImage, nullptr);
}

TEST_F(LabelsAndLightsTest, HiddenLabelFadesInOverAbout33UpdatesWithThePulseFromItsStart)
{
    FixedWidthFont font(10, 12, 20);
    auto* label = new FadingLabel("Go on", &font, Tolm::Color::White);
    app->widgetManager->AddWidget(label);
    app->Frames(100);
    EXPECT_EQ(label->fade.current, 1.0f);
    EXPECT_EQ(label->time, 100.0f);

    label->SetShown(false, false);
    EXPECT_EQ(label->fade.current, 0.0f);
    app->Frame();
    EXPECT_EQ(label->time, 1.0f) << "the update saw it hidden and restarted the pulse";
    label->SetShown(true, true);
    app->Frames(32);
    EXPECT_GT(label->fade.current, 0.95f);
    EXPECT_LT(label->fade.current, 1.0f);
    app->Frames(2);
    EXPECT_EQ(label->fade.current, 1.0f);

    label->SetShown(false, true);
    app->Frames(10);
    float timeHalfWay = label->time;
    app->Frames(10);
    EXPECT_EQ(label->time, timeHalfWay + 10.0f) << "a label fading out keeps its pulse";
    app->widgetManager->RemoveWidget(label);
    delete label;
}

TEST_F(LabelsAndLightsTest, LabelBreathesInScaleAndOpacity)
{
    FixedWidthFont font(10, 12, 20);
    FadingLabel label("Hello", &font, Tolm::Color::White);
    DrawLog log(800, 600);
    Tolm::Graphics g(&log);
    label.fade.current = 1.0f;
    // sin(0) = 0: opacity 0.6, scale 0.925, about the widget's centre.
    label.Draw(&g);
    ASSERT_EQ(log.draws.size(), 1u);
    EXPECT_EQ(log.draws[0].kind, DrawLog::Kind::Matrix);
    EXPECT_EQ(log.draws[0].x, 37.5f);
    EXPECT_EQ(log.draws[0].y, 15.0f);
    EXPECT_EQ(log.draws[0].color >> 24, 153u);
    EXPECT_EQ(log.draws[0].width, 69) << "75 x 0.925";
    // At the top of the breath (time x 0.0125 = pi / 2) the label is whole and at full opacity.
    label.time = 3.14159265f / 2 / 0.0125f;
    label.fade.current = 0.5f;
    log.draws.clear();
    label.Draw(&g);
    ASSERT_EQ(log.draws.size(), 1u);
    EXPECT_EQ(log.draws[0].color >> 24, 127u) << "half faded";
    label.fade.current = 0.0f;
    log.draws.clear();
    label.Draw(&g);
    EXPECT_TRUE(log.draws.empty());
}

TEST_F(LabelsAndLightsTest, ClickToContinueSitsCentredFiftyPixelsAboveTheBottom)
{
    Font("FONT_FADING_LABEL", 10, 12, 20);
    app->SetStringProperty("lab_click_to_continue", Tolm::StringToWide("Click to continue"));
    LabelClickToContinue label;
    EXPECT_EQ(label.width, 255);
    EXPECT_EQ(label.x, (800 - 255) / 2);
    EXPECT_EQ(label.y, 550);
}

TEST_F(LabelsAndLightsTest, LightsFadeInTwinkleOutOfStepAndFadeOutTogether)
{
    Tolm::MemoryImage* light = Picture("UI_WINDOW_LIGHT", 16, 16);
    Tolm::MemoryImage* glow = Picture("UI_WINDOW_LIGHT_GLOW", 40, 40);
    WindowLightList list;
    list.Add(100, 50);
    list.Add(300, 50);
    WindowLight& first = *list.lights.front();
    WindowLight& second = *list.lights.back();
    EXPECT_NE(first.phase, second.phase);
    EXPECT_NE(first.phaseSpeed, second.phaseSpeed);
    for (WindowLight* each : {&first, &second}) {
        EXPECT_GE(each->phase, 0.0f);
        EXPECT_LE(each->phase, 6.0f);
        EXPECT_GE(each->phaseSpeed, 0.05f);
        EXPECT_LE(each->phaseSpeed, 0.09f);
        EXPECT_EQ(each->alpha.current, 0.0f);
    }

    float phase = first.phase;
    for (int i = 0; i < 50; ++i) {
        list.Update(1.0f);
    }
    EXPECT_NEAR(first.alpha.current, 1.0f, 1e-5f) << "in over 50 updates";
    EXPECT_NEAR(first.phase, phase + 50 * first.phaseSpeed, 1e-3f);
    list.Update(1.0f);
    EXPECT_EQ(first.alpha.current, 1.0f) << "50 float steps of 0.02 fall a hair short; the next lands";

    DrawLog log(800, 600);
    Tolm::Graphics g(&log);
    list.Draw(&g);
    ASSERT_EQ(log.draws.size(), 4u);
    EXPECT_EQ(log.draws[0].source, light);
    EXPECT_EQ(log.draws[0].x, 92.5f) << "centred on (100, 50), with the half-pixel rounding of a placed draw";
    EXPECT_EQ(log.draws[0].color, 0xFFFFFFFFu);
    EXPECT_EQ(log.draws[1].source, glow);
    EXPECT_EQ(log.draws[1].color >> 24, uint32_t(int(std::sin(first.phase) * 50 + 205)));
    EXPECT_EQ(log.draws[2].x, 292.5f) << "in the order they were added";

    list.SetAllOn(false);
    for (int i = 0; i < 25; ++i) {
        list.Update(1.0f);
    }
    log.draws.clear();
    list.Draw(&g);
    EXPECT_EQ(log.draws[0].color >> 24, 127u) << "half-way out";
    for (int i = 0; i < 26; ++i) {
        list.Update(1.0f);
    }
    EXPECT_EQ(second.alpha.current, 0.0f);
    log.draws.clear();
    list.Draw(&g);
    EXPECT_TRUE(log.draws.empty()) << "an unlit light draws nothing, not even a weightless blit";

    WindowLightList empty;
    log.draws.clear();
    empty.Draw(&g);
    EXPECT_TRUE(log.draws.empty());
}

TEST_F(LabelsAndLightsTest, BonusLineDrawsItsLineAndAPulsingGlowCentred)
{
    Tolm::MemoryImage* line = Picture("BONUS_LINE", 60, 8);
    Tolm::MemoryImage* glow = Picture("BONUS_LINE_GLOW", 80, 20);
    BonusLineGlow bonus;
    EXPECT_GE(bonus.phase, 0.0f);
    EXPECT_LE(bonus.phase, 3.14f);
    bonus.SetPosition(300.0f, 560.0f);
    bonus.phase = 0.0f;
    bonus.Advance();
    EXPECT_NEAR(bonus.phase, 0.04f, 1e-6f);
    bonus.phase = 3.14159265f / 2;
    DrawLog log(800, 600);
    Tolm::Graphics g(&log);
    bonus.Draw(&g);
    ASSERT_EQ(log.draws.size(), 2u);
    EXPECT_EQ(log.draws[0].source, line);
    EXPECT_EQ(log.draws[0].x, 270.0f);
    EXPECT_EQ(log.draws[0].y, 556.0f);
    EXPECT_EQ(log.draws[0].color, 0xFFFFFFFFu) << "untinted";
    EXPECT_EQ(log.draws[1].source, glow);
    EXPECT_EQ(log.draws[1].x, 260.0f);
    EXPECT_EQ(log.draws[1].color, 0xFFFFFFFFu) << "at the top of the pulse: 210 + 45";
}
