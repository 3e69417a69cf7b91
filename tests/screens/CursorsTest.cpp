// The game's cursors on screen pixels: the pointer's tip on the mouse, the bonus cursors centred on it,
// above a dimming window and the screen fader, only while the mouse is in the window; the cursor widget
// staying at the front; a switch starting the new cursor from its first frame.
#include "ScreensFixture.h"
#include "gamewidgets/BaseCursor.h"
#include "gamewidgets/CursorPointer.h"
#include "gamewidgets/CustomCursor.h"
#include "graphics/Animator.h"
#include "graphics/Graphics.h"
#include "support/DrawLog.h"
#include "widgets/FullscreenFadder.h"
#include "widgets/WidgetManager.h"

#include <cstdlib>
#include <memory>

namespace {

constexpr uint32_t kWhite = 0xFFFFFFFF;
constexpr uint32_t kPointerRed = 0xFFFF0000;
constexpr uint32_t kToolBlue = 0xFF0000FF;

// The screen under everything: white, drawn on every pass.
class Backdrop : public Tolm::Widget
{
public:
    Backdrop()
    {
        Resize(0, 0, 800, 600);
        flagsChange.add |= Tolm::WidgetFlagMarkDirty;
    }
    void Draw(Tolm::Graphics* g) override
    {
        g->SetColor(Tolm::Color::White);
        g->FillRect(0, 0, width, height);
    }
};

// A window over the screen that darkens everything behind it.
class DimmingWindow : public BaseWindow
{
public:
    DimmingWindow() : BaseWindow(nullptr, 5, false, "", "", "") {}
    void Draw(Tolm::Graphics* g) override { DrawDim(g); }
};

class CursorsTest : public ScreensTest
{
protected:
    CursorsTest()
    {
        Picture("CURSOR_POINTER", 8, 8, kPointerRed);
        for (const char* id : {"CURSOR_BOMB", "CURSOR_HAMER", "CURSOR_DESTROY"}) {
            Picture(id, 9, 9, kToolBlue);
        }
        app->widgetManager->AddWidget(&backdrop);
        app->widgetManager->AddWidget(CustomCursor::Instance());
        app->mouseInWindow = true;
    }
    ~CursorsTest() override
    {
        app->widgetManager->RemoveAllWidgets(false, false);
        delete CustomCursor::RegisteredInstance();
        delete CursorPointer::RegisteredInstance();
    }

    uint32_t Pixel(int x, int y) { return app->screen.GetBits()[y * 800 + x]; }
    // Within a step of the colour in each channel: an opaque draw may land a step below it.
    bool Shows(int x, int y, uint32_t color)
    {
        uint32_t pixel = Pixel(x, y);
        for (int shift : {0, 8, 16}) {
            if (std::abs(int((pixel >> shift) & 0xFF) - int((color >> shift) & 0xFF)) > 1) {
                return false;
            }
        }
        return true;
    }
    // One update and a draw of the screen, the mouse at (x, y).
    void FrameAt(int x, int y)
    {
        app->widgetManager->MouseMove(x, y);
        app->Frame();
        app->widgetManager->DrawScreen();
    }

    Backdrop backdrop;
};

} // namespace

TEST_F(CursorsTest, ThePointersTipIsOnTheMouseAboveADimAndAFadeOnlyWhileTheMouseIsInTheWindow)
{
    CustomCursor::Instance()->SetCursor(CursorPointer::Instance());
    DimmingWindow window;
    app->widgetManager->AddWidget(&window);
    app->widgetManager->AddWidget(new FullscreenFadder(false));
    FrameAt(300, 200);
    EXPECT_EQ(app->widgetManager->GetChildren().back(), CustomCursor::Instance()) << "at the front again";
    for (int i = 0; i < 15; ++i) {
        FrameAt(300, 200);
    }
    EXPECT_LT(Pixel(100, 100) & 0xFF, 0x40u) << "dimmed and faded nearly to black";
    EXPECT_TRUE(Shows(300, 200, kPointerRed));
    EXPECT_TRUE(Shows(307, 207, kPointerRed));
    EXPECT_FALSE(Shows(299, 200, kPointerRed));
    EXPECT_FALSE(Shows(300, 199, kPointerRed));
    EXPECT_FALSE(Shows(308, 207, kPointerRed));

    app->mouseInWindow = false;
    FrameAt(300, 200);
    EXPECT_FALSE(Shows(300, 200, kPointerRed)) << "the mouse has left the window";
    app->mouseInWindow = true;
    FrameAt(420, 310);
    EXPECT_TRUE(Shows(420, 310, kPointerRed)) << "back at the next position";
    // The fade runs out, leaves and deletes itself.
    app->Frames(10);
    app->widgetManager->RemoveWidget(&window);
}

TEST_F(CursorsTest, BonusCursorsAreCentredOnTheMouse)
{
    CursorBomb bomb;
    CursorHamer hammer;
    CursorDestroy destroy;
    for (BaseCursor* cursor :
         {static_cast<BaseCursor*>(&bomb), static_cast<BaseCursor*>(&hammer), static_cast<BaseCursor*>(&destroy)}) {
        CustomCursor::Instance()->SetCursor(cursor);
        FrameAt(500, 400);
        // 9 x 9: (500 - 4, 400 - 4) to (500 + 4, 400 + 4).
        EXPECT_TRUE(Shows(496, 396, kToolBlue));
        EXPECT_TRUE(Shows(504, 404, kToolBlue));
        EXPECT_TRUE(Shows(495, 400, kWhite));
        EXPECT_TRUE(Shows(505, 400, kWhite));
        EXPECT_TRUE(Shows(500, 395, kWhite));
        EXPECT_TRUE(Shows(500, 405, kWhite));
    }
    CustomCursor::Instance()->SetCursor(CursorPointer::Instance());
}

TEST_F(CursorsTest, AnImageWithoutFramesWobblesAboutTheMouse)
{
    CursorBomb bomb;
    bomb.animator->frameCount = 0;
    CustomCursor::Instance()->SetCursor(&bomb);
    FrameAt(200, 100);
    EXPECT_FLOAT_EQ(bomb.wobblePhase, 0.04f);
    DrawLog log(800, 600);
    Tolm::Graphics g(&log);
    bomb.Draw(&g);
    ASSERT_EQ(log.draws.size(), 1u);
    EXPECT_EQ(log.draws[0].kind, DrawLog::Kind::Matrix) << "through a transform";
    // sin 0.04: 0.2 % larger and turned by 0.002 radians, about its middle on the mouse.
    EXPECT_TRUE(Shows(200, 100, kToolBlue));
    EXPECT_TRUE(Shows(196, 100, kToolBlue));
    EXPECT_TRUE(Shows(194, 100, kWhite));
    EXPECT_TRUE(Shows(206, 100, kWhite));
    CustomCursor::Instance()->SetCursor(CursorPointer::Instance());
}

TEST_F(CursorsTest, ASwitchedCursorStartsFromItsFirstFrame)
{
    CursorPointer* pointer = CursorPointer::Instance();
    pointer->animator->frameCount = 3;
    pointer->animator->currentFrame = 2;
    CustomCursor::Instance()->SetCursor(pointer);
    EXPECT_EQ(pointer->animator->currentFrame, 0);
    EXPECT_EQ(CustomCursor::Instance()->current, pointer);
    EXPECT_EQ(CustomCursor::Instance()->GetRect(), Tolm::Rect(0, 0, 0, 0)) << "never under the mouse";
}
