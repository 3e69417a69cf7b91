// The black fade of a screen change: on top of everything for 0.2 seconds, then out of the tree, its
// callback run once and the fader deleted after the update.
#include "widgets/FullscreenFadder.h"

#include "display/DDImage.h"
#include "graphics/Graphics.h"
#include "support/CountedCallback.h"
#include "support/SteppedApp.h"

#include <gtest/gtest.h>

namespace {

constexpr uint32_t kWhite = 0xFFFFFFFF;
constexpr uint32_t kBlack = 0xFF000000;
constexpr uint32_t kRed = 0xFFFF0000;

// A plain widget that paints its rectangle, and its overlay, in one colour and counts its clicks.
class Panel : public Tolm::Widget
{
public:
    Panel(Tolm::Rect rect, uint32_t color) : color(color) { ResizeRect(rect); }

    void Draw(Tolm::Graphics* g) override
    {
        if (overlayPriority > 0) {
            DeferOverlay(overlayPriority);
            return;
        }
        DrawOverlay(g);
    }
    using Widget::DrawOverlay;
    void DrawOverlay(Tolm::Graphics* g) override
    {
        g->SetColor(Tolm::Color::FromPacked(color, true));
        g->FillRect(0, 0, width, height);
    }
    using Widget::MouseDown;
    void MouseDown(int, int, int, int) override { ++clicks; }

    uint32_t color;
    int overlayPriority = 0;
    int clicks = 0;
};

class FullscreenFadderTest : public testing::Test
{
protected:
    FullscreenFadderTest()
    {
        screen.Create(800, 600);
        app.widgetManager->screenImage = &screen;
        app.widgetManager->AddWidget(&background);
    }
    ~FullscreenFadderTest() override
    {
        app.widgetManager->RemoveAllWidgets(false, false);
        app.widgetManager->screenImage = nullptr;
    }

    uint32_t Pixel(int x, int y) { return screen.GetBits()[y * screen.width + x]; }

    SteppedApp app;
    Tolm::DDImage screen;
    Panel background{Tolm::Rect(0, 0, 800, 600), kWhite};
};

} // namespace

TEST_F(FullscreenFadderTest, FadeOutRunsItsCallbackOnceAfterLeavingTheTreeAndIsDeletedAfterTheUpdate)
{
    int invoked = 0;
    int deleted = 0;
    bool inTreeWhenRun = true;
    FullscreenFadder* fader = nullptr;
    fader = new FullscreenFadder(
        false, new CountedCallback(invoked, deleted, [&] { inTreeWhenRun = app.widgetManager->HasWidget(fader); }));
    EXPECT_EQ(fader->alpha, 0.0f);
    EXPECT_EQ(fader->GetRect(), Tolm::Rect(0, 0, 800, 600));
    app.Frames(10);
    EXPECT_NEAR(fader->alpha, 0.5f, 1e-5f);
    app.Frames(9);
    EXPECT_EQ(invoked, 0);
    EXPECT_LT(fader->alpha, 1.0f);
    app.Frame();
    EXPECT_EQ(invoked, 1);
    EXPECT_EQ(deleted, 1);
    EXPECT_FALSE(inTreeWhenRun);
    EXPECT_EQ(app.widgetManager->GetChildren().size(), 1u);
    EXPECT_TRUE(app.safeDeleteList.empty()) << "deleted at the end of the update";
}

TEST_F(FullscreenFadderTest, FaderComesOnTopAndTakesEveryClickWhileItLives)
{
    Panel button(Tolm::Rect(100, 100, 50, 50), kRed);
    app.widgetManager->AddWidget(&button);
    new FullscreenFadder(true);
    app.widgetManager->MouseDown(120, 120, 1);
    app.widgetManager->MouseUp(120, 120, 1);
    EXPECT_EQ(button.clicks, 0) << "the button was there first and lies below the fader";
    app.Frames(20);
    app.widgetManager->MouseDown(120, 120, 1);
    EXPECT_EQ(button.clicks, 1);
    app.widgetManager->MouseUp(120, 120, 1);
    app.widgetManager->RemoveWidget(&button);
}

TEST_F(FullscreenFadderTest, BlackCoverIsAnOverlayBelowTheCursor)
{
    Panel cursor(Tolm::Rect(10, 10, 4, 4), kRed);
    cursor.overlayPriority = 10;
    app.widgetManager->AddWidget(&cursor);
    new FullscreenFadder(true);
    app.widgetManager->DrawScreen();
    EXPECT_EQ(Pixel(300, 300), kBlack);
    EXPECT_EQ(Pixel(10, 10), kRed);
    app.Frames(20);
    app.widgetManager->InvalidateAll();
    app.widgetManager->DrawScreen();
    EXPECT_EQ(Pixel(300, 300), kWhite);
    app.widgetManager->RemoveWidget(&cursor);
}

TEST_F(FullscreenFadderTest, FaderDeletedBeforeItsEndDeletesItsCallbackWithoutRunningIt)
{
    int invoked = 0;
    int deleted = 0;
    auto* fader = new FullscreenFadder(true, new CountedCallback(invoked, deleted));
    app.Frames(5);
    app.widgetManager->RemoveWidget(fader);
    delete fader;
    EXPECT_EQ(invoked, 0);
    EXPECT_EQ(deleted, 1);
}
