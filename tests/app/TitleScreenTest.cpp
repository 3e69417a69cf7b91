// The title screen: the splash pictures' fades and holds, skipping by click or key, where it draws the
// splash and the loading bar, and how it gives way to the main menu.
#include "game/TitleScreen.h"

#include "GameFixture.h"
#include "app/GameStateManager.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "resources/ResourceManager.h"
#include "support/PngFile.h"
#include "widgets/WidgetManager.h"

#include <cmath>

namespace {

constexpr uint32_t kSplashColor = 0xFF40A0C0;
constexpr uint32_t kBackColor = 0xFF806040;
constexpr uint32_t kProgressColor = 0xFFF0C040;

class TitleScreenTest : public GameFixture
{
protected:
    void WriteImage(const std::string& name, int width, int height, uint32_t color)
    {
        temp.Write(name, "");
        std::vector<uint32_t> pixels(std::size_t(width * height), color);
        ASSERT_TRUE(PngFile::Write(temp.Path() + name, width, height, pixels.data()));
    }
    // The title's pictures: the splashes given (of 400 x 300), a 500 x 20 loading bar.
    void WriteTitleData(const std::vector<std::string>& splashes)
    {
        WriteStartableData();
        std::string elements;
        for (const std::string& id : splashes) {
            WriteImage("gfx/" + id + ".png", 400, 300, kSplashColor);
            elements += "<Image path=\"gfx/" + id + ".png\" id=\"" + id + "\" nopal />\n";
        }
        WriteImage("gfx/back.png", 500, 20, kBackColor);
        WriteImage("gfx/progress.png", 500, 20, kProgressColor);
        elements += "<Image path=\"gfx/back.png\" id=\"IMAGE_LOADING_BACK\" nopal />\n"
                    "<Image path=\"gfx/progress.png\" id=\"IMAGE_LOADING_PROGRESS\" nopal />\n";
        WriteManifest("loading.xml", "Loading", elements);
    }
    HereGameApp& InitGame()
    {
        app = std::make_unique<HereGameApp>();
        app->windowed = true;
        app->Init();
        return *app;
    }
    uint32_t DrawnPixel(TitleScreen& title, int x, int y)
    {
        if (!canvas) {
            canvas = std::make_unique<Tolm::MemoryImage>();
            canvas->Create(800, 600);
            // Opaque as the screen is, so that opaque pictures land unchanged.
            canvas->ForceAlphaFlags(false, false);
        }
        Tolm::Graphics g(canvas.get());
        title.Draw(&g);
        return canvas->GetBits()[std::size_t(y) * 800 + std::size_t(x)];
    }

    std::unique_ptr<Tolm::MemoryImage> canvas;
};

} // namespace

TEST_F(TitleScreenTest, SplashesMissingFromTheDataAreLeftOut)
{
    WriteTitleData({"IMAGE_SPLASH_TARVEL", "IMAGE_SPLASH_BRAND1"});
    HereGameApp& game = InitGame();
    ASSERT_NE(game.titleScreen, nullptr);
    EXPECT_TRUE(game.widgetManager->HasWidget(game.titleScreen));
    const std::vector<Tolm::Image*> expected = {game.resourceManager->GetImage("IMAGE_SPLASH_BRAND1").GetImage(),
                                                game.resourceManager->GetImage("IMAGE_SPLASH_TARVEL").GetImage()};
    EXPECT_EQ(game.titleScreen->slideshow->images, expected) << "in their order, not the manifest's";
    EXPECT_EQ(game.titleScreen->width, 800);
    EXPECT_EQ(game.titleScreen->height, 600);
}

TEST_F(TitleScreenTest, ASplashFadesInHoldsAndFadesOut)
{
    SplashSlideshow show;
    show.images.push_back(nullptr);
    show.images.push_back(nullptr);
    // 0.008 a step: the fade reaches 0.49 after 61.25 steps, where the hold begins.
    int steps = 0;
    while (show.holdTime == SplashSlideshow::kHoldTime) {
        show.UpdateFade(1.0f);
        ++steps;
    }
    EXPECT_EQ(steps, 63) << "62 steps to 0.496, within 0.01 of 0.5, then the first held step";
    EXPECT_NEAR(show.fade.current, 0.496f, 1e-5);
    for (int i = 0; i < 179; ++i) {
        show.UpdateFade(1.0f);
    }
    EXPECT_NEAR(show.fade.current, 0.496f, 1e-5) << "still holding after 180 held steps";
    show.UpdateFade(1.0f);
    EXPECT_NEAR(show.fade.current, 0.504f, 1e-5);
    show.Advance();
    EXPECT_EQ(show.index, 0) << "the next picture waits for the fade's end";
    while (show.fade.current < 1.0f) {
        show.UpdateFade(1.0f);
    }
    show.Advance();
    EXPECT_EQ(show.index, 1);
    EXPECT_EQ(show.fade.current, 0.0f);
    EXPECT_EQ(show.holdTime, SplashSlideshow::kHoldTime);
}

TEST_F(TitleScreenTest, AClickOrKeyCutsASplashShort)
{
    WriteTitleData({"IMAGE_SPLASH_BRAND1", "IMAGE_SPLASH_BRAND2"});
    HereGameApp& game = InitGame();
    TitleScreen& title = *game.titleScreen;
    SplashSlideshow& show = *title.slideshow;

    // Fading in at 0.2: it goes on fading out from 0.8.
    show.fade.current = 0.2f;
    title.MouseDown(10, 10, 1);
    EXPECT_FLOAT_EQ(show.fade.current, 0.8f);
    EXPECT_EQ(show.holdTime, 0.0f);

    // Holding at 0.5: the rest of the hold is skipped.
    show.index = 1;
    show.fade.current = 0.5f;
    show.holdTime = 90.0f;
    title.KeyDown(65);
    EXPECT_EQ(show.holdTime, 0.0f);
    title.UpdateFraction(1.0f);
    EXPECT_FLOAT_EQ(show.fade.current, 0.508f);

    // Fading out already: it only stops holding.
    show.fade.current = 0.7f;
    title.MouseDown(10, 10, -1);
    EXPECT_FLOAT_EQ(show.fade.current, 0.7f);
}

TEST_F(TitleScreenTest, ASplashIsDrawnCentredAndCoveredByTheFade)
{
    WriteTitleData({"IMAGE_SPLASH_BRAND1"});
    HereGameApp& game = InitGame();
    TitleScreen& title = *game.titleScreen;
    title.slideshow->fade.current = 0.5f;
    // At 0.5 the cover's alpha is 255 - trunc(sin(0.5 x 3.1415925) x 255) = 255 - 254 = 1.
    EXPECT_NE(DrawnPixel(title, 200, 150), 0xFF000000u) << "the 400 x 300 picture starts at (200, 150)";
    EXPECT_NE(DrawnPixel(title, 599, 449), 0xFF000000u);
    EXPECT_EQ(DrawnPixel(title, 199, 150), 0xFF000000u);
    EXPECT_EQ(DrawnPixel(title, 200, 149), 0xFF000000u);
    EXPECT_EQ(DrawnPixel(title, 600, 449), 0xFF000000u);
    title.slideshow->fade.current = 0.0f;
    EXPECT_EQ(DrawnPixel(title, 400, 300), 0xFF000000u) << "hidden under the opaque cover at 0";
}

TEST_F(TitleScreenTest, TheLoadingBarShowsTheLoadedShareOfItsWidth)
{
    WriteTitleData({});
    HereGameApp& game = InitGame();
    TitleScreen& title = *game.titleScreen;
    ASSERT_TRUE(title.slideshow->IsOver());
    // Half loaded: the left 250 of the bar's 500 pixels show the progress picture.
    // A loading thread that has run, as far as the progress can tell.
    game.loadingThreadStarted = true;
    game.loadingThreadDone = true;
    game.loadingTaskTotal = 8;
    game.loadingTaskDone = 4;
    EXPECT_EQ(DrawnPixel(title, 150, 580), kProgressColor) << "the bar starts at (800 - 500) / 2 = 150";
    EXPECT_EQ(DrawnPixel(title, 399, 599), kProgressColor);
    EXPECT_EQ(DrawnPixel(title, 400, 580), kBackColor);
    EXPECT_EQ(DrawnPixel(title, 649, 599), kBackColor);
    EXPECT_EQ(DrawnPixel(title, 400, 579), 0xFF000000u) << "the bar lies at the bottom";
    game.loadingTaskDone = 0;
    EXPECT_EQ(DrawnPixel(title, 150, 580), kBackColor);
}

TEST_F(TitleScreenTest, WithoutItsPicturesTheTitleStaysBlack)
{
    WriteStartableData();
    HereGameApp& game = InitGame();
    game.loadingThreadStarted = true;
    game.loadingThreadDone = true;
    game.loadingTaskTotal = 2;
    game.loadingTaskDone = 1;
    EXPECT_EQ(DrawnPixel(*game.titleScreen, 400, 590), 0xFF000000u);
}

TEST_F(TitleScreenTest, WhenLoadingIsDoneAfterTheSplashesTheMainMenuFollows)
{
    WriteTitleData({"IMAGE_SPLASH_BRAND1"});
    HereGameApp& game = InitGame();
    OpenProfile();
    TitleScreen* title = game.titleScreen;
    game.StartLoadingThread();
    game.WaitForLoadingThread();
    ASSERT_TRUE(game.RunUpdate());
    EXPECT_TRUE(title->loadingDone);
    ASSERT_NE(game.stateManager->Find("MenuScreen"), nullptr) << "registered when loading completed";
    EXPECT_TRUE(game.stateManager->stack.empty()) << "a splash is still showing";
    EXPECT_TRUE(game.widgetManager->HasWidget(title));

    title->slideshow->fade.current = 1.0f;
    game.Update();
    EXPECT_EQ(game.titleScreen, nullptr);
    EXPECT_FALSE(game.widgetManager->HasWidget(title));
    ASSERT_EQ(game.stateManager->stack.size(), 1u);
    EXPECT_EQ(game.stateManager->stack.back(), game.stateManager->Find("MenuScreen"));
    EXPECT_EQ(game.resourceManager->GetImage("IMAGE_LOADING_BACK").GetImage(), nullptr) << "group Loading is freed";
    EXPECT_EQ(game.resourceManager->GetResourceCount("Loading"), 3) << "its records stay declared";
}
