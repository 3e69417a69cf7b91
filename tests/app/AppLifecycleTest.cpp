// The application's construction, initialisation chain, single instance, Start, Shutdown and exit,
// headless on SDL's dummy driver.
#include "AppFixture.h"
#include "GameFixture.h"
#include "core/PathUtils.h"
#include "display/D3DTester.h"
#include "display/DDImage.h"
#include "display/DDInterface.h"
#include "game/GameApp.h"
#include "gamewidgets/CustomCursor.h"
#include "platform/DebugOutput.h"
#include "platform/FileSystem.h"
#include "platform/MessageBox.h"
#include "platform/SettingsStore.h"
#include "widgets/WidgetManager.h"

#include <SDL.h>
#include <algorithm>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Platform;
using Tolm::TolmAppBase;

namespace {

struct CollectingOutput : DebugOutputSink
{
    void Write(const std::string& text) override { written += text; }
    std::string written;
};

// Quits through the desktop once it has run the given number of updates.
class QuittingApp : public RecordingApp
{
public:
    void Update() override
    {
        RecordingApp::Update();
        if (updateCount == quitAfter) {
            SDL_Event quit{};
            quit.type = SDL_QUIT;
            SDL_PushEvent(&quit);
        }
    }
    int quitAfter = 30;
};

using LifecycleTest = AppFixture<QuittingApp>;

uint32_t StoredDword(const std::string& configFolder, const std::string& name)
{
    SettingsStore store(configFolder + "Test Company/TestProduct.registry");
    SettingsValue value;
    EXPECT_TRUE(store.QueryValue("", name, value)) << name;
    uint32_t number = 0;
    for (size_t i = 0; i < value.data.size() && i < 4; ++i) {
        number |= uint32_t(value.data[i]) << (8 * i);
    }
    return number;
}

} // namespace

TEST_F(LifecycleTest, FrameworkDefaultsBeforeInitialisation)
{
    TolmAppBase base;
    EXPECT_EQ(base.productName, "Product");
    EXPECT_EQ(base.title, "TolmApp");
    EXPECT_EQ(base.width, 640);
    EXPECT_EQ(base.height, 480);
    EXPECT_EQ(base.frameTime, 10);
    EXPECT_EQ(base.refreshRate, 100);
    EXPECT_EQ(base.GetStringProperty("DIALOG_BUTTON_CANCEL", ""), "CANCEL");
    EXPECT_EQ(Tolm::gTolmApp, &base);
}

TEST_F(LifecycleTest, GameIdentityAndScreen)
{
    GameApp game;
    EXPECT_EQ(game.title, "Quendara v.1.3");
    EXPECT_EQ(game.registryKey, "Tarvel Studio\\Quendara");
    EXPECT_EQ(game.companyName, "Tarvel Studio");
    EXPECT_EQ(game.width, 800);
    EXPECT_EQ(game.height, 600);
    EXPECT_FALSE(game.windowed);
    EXPECT_TRUE(game.autoStartLoadingThread);
}

TEST_F(LifecycleTest, InitialisationMakesTheWindowDisplayAndSettings)
{
    QuittingApp& started = StartApp();
    EXPECT_TRUE(started.initialised);
    ASSERT_TRUE(started.mainWindow);
    EXPECT_EQ(started.mainWindow->Title(), "Test Title");
    EXPECT_TRUE(started.isWindowedNow);
    ASSERT_TRUE(started.invisibleWindow);
    EXPECT_FALSE(started.invisibleWindow->IsOnDesktop());
    ASSERT_TRUE(started.display);
    EXPECT_TRUE(started.display->initialised);
    // The dummy desktop reports no refresh rate: 60 Hz is taken and the clock paces the frames.
    EXPECT_EQ(started.refreshRate, 60);
    EXPECT_TRUE(started.vsyncBroken);
    EXPECT_EQ(started.widgetManager->screenImage, started.display->GetScreenImage());
    // The screen keeps no alpha: its flags stay opaque whatever is drawn, so blits take the opaque paths.
    Tolm::DDImage* screen = started.display->GetScreenImage();
    EXPECT_TRUE(screen->alphaFlagsForced);
    EXPECT_FALSE(screen->hasTransparency);
    EXPECT_FALSE(screen->hasPartialAlpha);
    EXPECT_EQ(StoredDword(temp.Path() + "config/", "InProgress"), 1u);
    EXPECT_EQ(Tolm::GetUserDataFolder(), temp.Path() + "data/Test Company/TestProduct/");
}

// SDL's dummy driver gives no Direct3D, so the hardware test fails afresh and the player's stored
// 3D choice goes with it; a start without a stored choice has nothing to take back.
TEST_F(LifecycleTest, AFreshHardwareTestFailureErasesTheStored3DChoice)
{
    SettingsStore store(temp.Path() + "config/Test Company/TestProduct.registry");
    ASSERT_TRUE(store.CreateKey(""));
    const uint8_t on[4] = {1, 0, 0, 0};
    ASSERT_TRUE(store.SetValue("", "Is3D", kRegDword, on, 4));
    QuittingApp& started = StartApp();
    ASSERT_TRUE(started.display->tester);
    EXPECT_TRUE(started.display->tester->freshResult);
    EXPECT_FALSE(started.display->tester->failureReason.empty());
    EXPECT_FALSE(started.Is3DMode());
    int stored = 0;
    EXPECT_FALSE(started.ReadRegistryInt("Is3D", stored));
}

TEST_F(LifecycleTest, WindowThatDoesNotFitTheDesktopStartsFullScreen)
{
    app = std::make_unique<QuittingApp>();
    app->productName = "TooBig";
    app->width = 4000;
    app->height = 600;
    app->Init();
    EXPECT_FALSE(app->windowed);
    EXPECT_TRUE(app->windowedUnavailable);
    EXPECT_FALSE(app->isWindowedNow);
}

// The main thread answers the player while the loading thread works: the loader runs a step below it.
TEST(LoadingThreadTest, TheLoadingThreadRunsAStepBelowTheMainThread)
{
    struct NiceRecordingApp : TolmAppBase
    {
        void RunLoadingThread() override { loadingNice = getpriority(PRIO_PROCESS, id_t(gettid())); }
        int loadingNice = 0;
    } app;
    int mainNice = getpriority(PRIO_PROCESS, id_t(gettid()));
    app.StartLoadingThread();
    app.WaitForLoadingThread();
    EXPECT_EQ(app.loadingNice, std::min(mainNice + 1, 19)) << "19 is the lowest priority there is";
    EXPECT_EQ(getpriority(PRIO_PROCESS, id_t(gettid())), mainNice);
}

TEST_F(LifecycleTest, ALostDisplayIsSetUpAgainAndEveryWidgetIsDrawnAnewOnIt)
{
    QuittingApp& started = StartApp();
    Tolm::Widget screen;
    screen.Resize(0, 0, 800, 600);
    started.widgetManager->AddWidget(&screen);
    ASSERT_TRUE(started.Redraw());
    EXPECT_FALSE(screen.dirty);

    // The display is lost (as a full-screen surface is to another program): the next present fails, and
    // the display is set up again at once.
    started.display->initialised = false;
    screen.Invalidate();
    EXPECT_TRUE(started.Redraw());
    EXPECT_TRUE(started.screenImageLost);
    EXPECT_TRUE(started.display->initialised);
    ASSERT_NE(started.display->GetScreenImage(), nullptr);
    EXPECT_EQ(started.widgetManager->screenImage, started.display->GetScreenImage());
    EXPECT_TRUE(screen.dirty) << "the new screen holds nothing yet";

    // The next pass presents again, and the one after draws everything onto the new screen.
    EXPECT_FALSE(started.Redraw());
    EXPECT_FALSE(started.screenImageLost);
    EXPECT_TRUE(started.Redraw());
    EXPECT_FALSE(screen.dirty);
    started.widgetManager->RemoveWidget(&screen);
}

TEST_F(LifecycleTest, StartRunsUntilTheQuitRequestThenWritesStatisticsAndSettings)
{
    CollectingOutput output;
    SetDebugOutputSink(&output);
    QuittingApp& started = StartApp();
    started.Start();
    SetDebugOutputSink(nullptr);
    EXPECT_TRUE(started.shutDown);
    EXPECT_FALSE(started.inMainLoop);
    EXPECT_FALSE(started.mousePollThreadRunning);
    EXPECT_EQ(started.updateCount, 30);
    EXPECT_TRUE(started.loadingThreadDone) << "Start waits for the loading thread";
    const char* lines[] = {"Resource Loading Time: ", "Seconds       = ", "Sleep Count   = ", "Update Count  = 30\r\n",
                           "Draw Count    = ",        "Draw Time     = ", "Screen Blt    = "};
    size_t position = 0;
    for (const char* line : lines) {
        size_t found = output.written.find(line, position);
        ASSERT_NE(found, std::string::npos) << line;
        position = found;
    }
    EXPECT_EQ(StoredDword(temp.Path() + "config/", "InProgress"), 0u);
    EXPECT_EQ(StoredDword(temp.Path() + "config/", "ScreenMode"), 0u);
    EXPECT_EQ(StoredDword(temp.Path() + "config/", "MusicVolume"), 85u);
}

TEST_F(LifecycleTest, SecondCopyNotifiesTheFirstAndExits)
{
    QuittingApp& first = StartApp();
    pid_t child = fork();
    if (child == 0) {
        QuittingApp second;
        second.companyName = "Test Company";
        second.productName = "TestProduct";
        second.registryKey = "Test Company\\TestProduct";
        second.Init();
        // Init returns only when this copy went on running.
        _exit(3);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    PumpMessages();
    ASSERT_EQ(first.frontRequests.size(), 1u);
    EXPECT_EQ(first.frontRequests[0].wParam, 0u);
    EXPECT_EQ(first.frontRequests[0].lParam, 0);
}

TEST_F(LifecycleTest, WithoutSingleInstanceASecondCopyGoesOn)
{
    StartApp();
    QuittingApp second;
    second.companyName = "Test Company";
    second.productName = "TestProduct";
    second.singleInstance = false;
    EXPECT_FALSE(second.CheckOtherInstance());
}

TEST_F(LifecycleTest, DialogButtonsBecomeTheApplicationsButtons)
{
    QuittingApp& started = StartApp();
    started.DialogButtonPressed(7, 1000);
    started.DialogButtonPressed(7, 1001);
    started.DialogButtonPressed(7, 1002);
    started.DialogButtonClicked(9, 1001);
    EXPECT_EQ(started.buttonsPressed, (std::vector<int>{2007, 3007}));
    EXPECT_EQ(started.buttonsClicked, (std::vector<int>{3009}));
}

TEST_F(LifecycleTest, MutingNestsAndKeepsTheStoredVolumes)
{
    QuittingApp& started = StartApp();
    int before = started.muteCount;
    started.Mute(true);
    started.Mute(true);
    started.Unmute(true);
    EXPECT_TRUE(started.IsMuted());
    EXPECT_EQ(started.muteCount, before + 1);
    started.SetMusicVolume(0.5);
    EXPECT_EQ(started.GetMusicVolume(), 0.5);
    started.SetMasterVolume(0.3);
    EXPECT_EQ(started.GetSfxVolume(), 0.3);
    while (started.muteCount > 0) {
        started.Unmute(false);
    }
    started.Unmute(false);
    EXPECT_EQ(started.muteCount, 0) << "extra unmutes at zero do nothing";
}

namespace {

using GameLifecycleTest = GameFixture;

} // namespace

TEST_F(GameLifecycleTest, GameStartsFullScreenWithSmoothUpdatesAndItsCursorWidget)
{
    WriteStartableData();
    app = std::make_unique<HereGameApp>();
    app->Init();
    EXPECT_FALSE(app->isWindowedNow);
    EXPECT_TRUE(app->smoothUpdates);
    EXPECT_EQ(app->cursorNumber, 11) << "full screen shows no system pointer";
    ASSERT_TRUE(CustomCursor::RegisteredInstance());
    EXPECT_TRUE(app->widgetManager->HasWidget(CustomCursor::RegisteredInstance()));
    EXPECT_EQ(app->mainWindow->Title(), "Quendara v.1.3");
    app->UpdateFraction(1.5f);
    app->UpdateFraction(0.25f);
    EXPECT_DOUBLE_EQ(app->coreTime, 1.75);
    app.reset();
    EXPECT_FALSE(CustomCursor::RegisteredInstance()) << "the application deletes its singletons";
}

TEST_F(GameLifecycleTest, MissingPropertiesFilesAreReportedInLoadingOrder)
{
    WriteEmptyManifests();
    app = std::make_unique<HereGameApp>();
    app->Init();
    EXPECT_EQ(popups.shown, (std::vector<std::string>{
                                "FATAL ERROR: Unable to open properties file properties\\trans.xml",
                                "FATAL ERROR: Unable to open properties file properties\\language.xml",
                                "FATAL ERROR: Unable to open properties file properties\\game_sets.xml",
                            }));
    EXPECT_TRUE(app->initialised) << "start-up goes on";
}

TEST_F(GameLifecycleTest, LanguageFromTheRegistryPicksItsTranslationWhenThereIsOne)
{
    WriteProperties("trans.xml", "<String id=\"hello\">default</String>");
    WriteProperties("trans_03.xml", "<String id=\"hello\">three</String>");
    WriteProperties("language.xml", "");
    WriteProperties("game_sets.xml", "<Integer id=\"set_total_levels\">40</Integer>");
    WriteEmptyManifests();
    SettingsStore store(temp.Path() + "config/Tarvel Studio/Quendara.registry");
    ASSERT_TRUE(store.CreateKey(""));
    const uint8_t three[4] = {3, 0, 0, 0};
    ASSERT_TRUE(store.SetValue("", "language_id", kRegDword, three, 4));

    app = std::make_unique<HereGameApp>();
    app->Init();
    EXPECT_EQ(app->GetStringProperty("hello", ""), "three");
    EXPECT_EQ(app->GetIntProperty("set_total_levels"), 40);
    EXPECT_TRUE(popups.shown.empty());
    app.reset();

    ASSERT_TRUE(store.SetValue("", "language_id", kRegDword, std::vector<uint8_t>{4, 0, 0, 0}.data(), 4));
    app = std::make_unique<HereGameApp>();
    app->Init();
    EXPECT_EQ(app->GetStringProperty("hello", ""), "default");
}

// The options slider spans 0.2 to 1.7; a stored sensitivity outside it is brought to its nearer end.
TEST_F(GameLifecycleTest, AStoredMouseSensitivityIsKeptWithinTheSlidersRange)
{
    const struct
    {
        int32_t stored;
        float read;
    } cases[] = {{1000000000, 1.7f}, {171, 1.7f}, {-100, 0.2f}, {0, 0.2f}, {19, 0.2f}, {50, 0.5f}, {170, 1.7f}};
    SettingsStore store(temp.Path() + "config/Tarvel Studio/Quendara.registry");
    ASSERT_TRUE(store.CreateKey(""));
    for (const auto& c : cases) {
        const uint32_t bits = uint32_t(c.stored);
        const uint8_t bytes[4] = {uint8_t(bits), uint8_t(bits >> 8), uint8_t(bits >> 16), uint8_t(bits >> 24)};
        ASSERT_TRUE(store.SetValue("", "MouseSensitivity", kRegDword, bytes, 4));
        app = std::make_unique<HereGameApp>();
        app->ReadFromRegistry();
        EXPECT_FLOAT_EQ(app->mouseSensitivity, c.read) << c.stored;
        app.reset();
    }
}
