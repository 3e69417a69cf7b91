// The game's resources at start-up: the manifests read and the first groups loaded on the main thread,
// the count the loading bar fills up to, the loading thread's groups and what happens when one fails.
#include "GameFixture.h"
#include "core/Random.h"
#include "resources/ResourceManager.h"
#include "support/NullSound.h"
#include "support/PngFile.h"

#include <set>
#include <thread>

using Tolm::ResourceManager;

namespace {

class CountingSoundManager : public NullSoundManager
{
public:
    bool LoadSound(int id, const std::string& file) override
    {
        used.insert(id);
        loaded.push_back(file);
        return true;
    }
    void ReleaseSound(int id) override { used.erase(id); }
    bool SetBaseVolume(int, double) override { return true; }
    bool SetBasePan(int, int) override { return true; }
    int GetFreeSoundId() override
    {
        int id = 0;
        while (used.count(id)) {
            ++id;
        }
        return id;
    }
    Tolm::SoundInstance* NewInstance(int) override { return nullptr; }

    std::set<int> used;
    std::vector<std::string> loaded;
};

class GameLoadingTest : public GameFixture
{
protected:
    void WriteImage(const std::string& name)
    {
        temp.Write(name, "");
        const uint32_t pixels[4] = {0xFF102030, 0xFF405060, 0x80708090, 0x00000000};
        ASSERT_TRUE(PngFile::Write(temp.Path() + name, 2, 2, pixels));
    }
    static std::string Image(const std::string& id, const std::string& path)
    {
        return "<Image id=\"" + id + "\" path=\"" + path + "\"/>\n";
    }
    // A data set whose loading-thread groups hold 2 + 0 + 1 + 1 + 1 resources (a program-made picture
    // is declared but not counted) and 1 sound.
    void WriteLoadableData()
    {
        WriteStartableData();
        for (const char* name : {"gfx/general.png", "gfx/title.png", "gfx/common1.png", "gfx/common2.png",
                                 "gfx/field.png", "gfx/block.png", "gfx/bonus.png"}) {
            WriteImage(name);
        }
        temp.Write("properties/resources.xml",
                   "<ResourceManifest>\n<Resources id=\"General\">\n" + Image("IMAGE_GENERAL", "gfx/general.png") +
                       "</Resources>\n<Resources id=\"Common\">\n" + Image("IMAGE_COMMON1", "gfx/common1.png") +
                       Image("IMAGE_COMMON2", "gfx/common2.png") + "</Resources>\n</ResourceManifest>\n");
        WriteManifest("loading.xml", "Loading", Image("IMAGE_TITLE", "gfx/title.png"));
        WriteManifest("field.xml", "Field", Image("IMAGE_FIELD", "gfx/field.png") + Image("IMAGE_DRAWN", "!program"));
        WriteManifest("blocks.xml", "Blocks", Image("IMAGE_BLOCK", "gfx/block.png"));
        WriteManifest("bonus_panel.xml", "BonusPanel", Image("IMAGE_BONUS", "gfx/bonus.png"));
        WriteManifest("sounds.xml", "Sounds", "<Sound id=\"SOUND_CLICK\" path=\"sfx/click\"/>\n");
    }
    // In a window: a full-screen window of the dummy driver never has the focus, and the main loop of
    // an inactive application only sleeps.
    HereGameApp& InitGame()
    {
        app = std::make_unique<HereGameApp>();
        app->windowed = true;
        app->Init();
        return *app;
    }
    bool Loaded(const std::string& id) { return app->resourceManager->GetImage(id).GetImage() != nullptr; }
};

} // namespace

TEST_F(GameLoadingTest, StartUpLoadsTheFirstGroupsAndCountsWhatTheLoadingThreadWillLoad)
{
    WriteLoadableData();
    HereGameApp& game = InitGame();
    EXPECT_TRUE(popups.shown.empty());
    EXPECT_TRUE(Loaded("IMAGE_GENERAL"));
    EXPECT_TRUE(Loaded("IMAGE_TITLE"));
    for (const char* id : {"IMAGE_COMMON1", "IMAGE_FIELD", "IMAGE_BLOCK", "IMAGE_BONUS"}) {
        EXPECT_FALSE(Loaded(id)) << id << " is the loading thread's";
    }
    EXPECT_EQ(game.loadingTaskTotal, 6);
    EXPECT_EQ(game.GetLoadingProgress(), 0.0);
}

TEST_F(GameLoadingTest, WithoutSoundTheSoundsAreNeitherCountedNorLoaded)
{
    WriteLoadableData();
    temp.Write("config.xml", "<settings><bool name=\"sound\" val=\"false\"/></settings>");
    HereGameApp& game = InitGame();
    EXPECT_EQ(game.loadingTaskTotal, 5);
    auto sounds = std::make_unique<CountingSoundManager>();
    CountingSoundManager* counted = sounds.get();
    game.soundManager = std::move(sounds);
    game.StartLoadingThread();
    game.WaitForLoadingThread();
    EXPECT_EQ(game.loadingTaskDone, 5);
    EXPECT_TRUE(counted->loaded.empty());
}

TEST_F(GameLoadingTest, LoadingThreadLoadsItsGroupsAndLoadingCompletesOnTheMainThread)
{
    WriteLoadableData();
    HereGameApp& game = InitGame();
    OpenProfile();
    auto sounds = std::make_unique<CountingSoundManager>();
    CountingSoundManager* counted = sounds.get();
    game.soundManager = std::move(sounds);
    // 37 updates: the core clock then reads 370 ms.
    for (int i = 0; i < 37; ++i) {
        game.Update();
    }
    game.UpdateFraction(0.5f);

    game.StartLoadingThread();
    game.WaitForLoadingThread();
    EXPECT_EQ(game.loadingTaskDone, game.loadingTaskTotal);
    EXPECT_EQ(game.GetLoadingProgress(), 1.0);
    for (const char* id : {"IMAGE_COMMON1", "IMAGE_COMMON2", "IMAGE_FIELD", "IMAGE_BLOCK", "IMAGE_BONUS"}) {
        EXPECT_TRUE(Loaded(id)) << id;
    }
    EXPECT_EQ(counted->loaded, std::vector<std::string>{"sfx/click"});
    EXPECT_EQ(game.resourceManager->GetSoundId("SOUND_CLICK"), 0);
    EXPECT_FALSE(game.loadingCompleted) << "the main thread notices the end in its update";

    // The game's seed is drawn from the core time when the main thread completes the loading.
    SeedRandom(777);
    ASSERT_TRUE(game.RunUpdate());
    EXPECT_TRUE(game.loadingCompleted);
    std::vector<unsigned> drawn;
    for (int i = 0; i < 4; ++i) {
        drawn.push_back(RandomBelow(1000000));
    }
    SeedRandom(370);
    // The menu opens in the same update, and its town draws its flare chance.
    RandomBelow(150);
    std::vector<unsigned> expected;
    for (int i = 0; i < 4; ++i) {
        expected.push_back(RandomBelow(1000000));
    }
    EXPECT_EQ(drawn, expected);
    EXPECT_TRUE(popups.shown.empty());
}

TEST_F(GameLoadingTest, TheLoadingThreadLoadsItsGroupsInTheGamesOrderWhateverTheManifestsOrder)
{
    WriteStartableData();
    // One sound per group, named after it: the sound manager sees the order the groups load in.
    const std::pair<const char*, const char*> manifests[] = {
        {"field.xml", "Field"},
        {"fonts.xml", "Fonts"},
        {"blocks.xml", "Blocks"},
        {"buildings.xml", "Buildings"},
        {"bonus_panel.xml", "BonusPanel"},
        {"sounds.xml", "Sounds"},
        {"town_animation.xml", "TownAnimation"},
    };
    for (const auto& [file, group] : manifests) {
        WriteManifest(file, group, "<Sound id=\"SOUND_" + std::string(group) + "\" path=\"sfx/" + group + "\"/>\n");
    }
    temp.Write("properties/resources.xml",
               "<ResourceManifest>\n<Resources id=\"General\"/>\n<Resources id=\"Common\">\n"
               "<Sound id=\"SOUND_Common\" path=\"sfx/Common\"/>\n</Resources>\n</ResourceManifest>\n");
    HereGameApp& game = InitGame();
    ASSERT_TRUE(popups.shown.empty()) << popups.shown.front();
    auto sounds = std::make_unique<CountingSoundManager>();
    CountingSoundManager* counted = sounds.get();
    game.soundManager = std::move(sounds);
    game.StartLoadingThread();
    game.WaitForLoadingThread();
    EXPECT_EQ(counted->loaded,
              (std::vector<std::string>{"sfx/Common", "sfx/Fonts", "sfx/Buildings", "sfx/TownAnimation", "sfx/Field",
                                        "sfx/Blocks", "sfx/BonusPanel", "sfx/Sounds"}));
}

TEST_F(GameLoadingTest, TheProgressNeverPassesTheWhole)
{
    WriteLoadableData();
    HereGameApp& game = InitGame();
    game.loadingThreadStarted = true;
    game.loadingTaskDone = game.loadingTaskTotal + 3;
    EXPECT_EQ(game.GetLoadingProgress(), 1.0);
    game.loadingTaskDone = 3;
    EXPECT_EQ(game.GetLoadingProgress(), 0.5);
    game.loadingThreadStarted = false;
}

TEST_F(GameLoadingTest, AGroupThatFailsShowsOnePopupAndShutsDownWithoutHanging)
{
    WriteLoadableData();
    WriteManifest("blocks.xml", "Blocks", Image("IMAGE_BLOCK", "gfx/block.png") + Image("IMAGE_GONE", "gfx/gone.png"));
    HereGameApp& game = InitGame();
    game.StartLoadingThread();
    game.WaitForLoadingThread();
    EXPECT_TRUE(game.shutdownRequested);
    EXPECT_TRUE(popups.shown.empty()) << "the loading thread leaves its popup to the main thread";
    game.Process(false);
    EXPECT_EQ(popups.shown, std::vector<std::string>{"FATAL ERROR: Failed to load image: gfx/gone.png"});
    EXPECT_TRUE(game.shutDown);
    EXPECT_TRUE(Loaded("IMAGE_FIELD")) << "the groups before stay loaded";
    EXPECT_TRUE(Loaded("IMAGE_BLOCK"));
    EXPECT_FALSE(Loaded("IMAGE_BONUS")) << "the groups after are never loaded";
    EXPECT_EQ(game.loadingTaskDone, 4);
}

TEST_F(GameLoadingTest, AFailureLandingWhileAnEarlierPopupIsUpIsShownBeforeTheShutdown)
{
    WriteLoadableData();
    WriteManifest("blocks.xml", "Blocks", Image("IMAGE_GONE", "gfx/gone.png"));
    HereGameApp& game = InitGame();
    // The main thread has taken the queue and shows its first popup when the loading thread fails.
    popups.whileShown = [&game] {
        if (!game.loadingThreadStarted) {
            game.StartLoadingThread();
            game.WaitForLoadingThread();
        }
    };
    std::thread([&game] { game.ShowErrorPopup("An earlier error"); }).join();
    game.Process(false);
    game.Process(false);
    EXPECT_EQ(popups.shown, (std::vector<std::string>{"FATAL ERROR: An earlier error",
                                                      "FATAL ERROR: Failed to load image: gfx/gone.png"}));
    EXPECT_TRUE(game.shutDown);
}

TEST_F(GameLoadingTest, ShuttingDownStopsTheLoadingThreadAfterTheResourceInHand)
{
    WriteLoadableData();
    HereGameApp& game = InitGame();
    game.shutDown = true;
    game.StartLoadingThread();
    game.WaitForLoadingThread();
    EXPECT_EQ(game.loadingTaskDone, 1);
    EXPECT_TRUE(Loaded("IMAGE_COMMON1"));
    EXPECT_FALSE(Loaded("IMAGE_COMMON2"));
    EXPECT_TRUE(popups.shown.empty());
}

TEST_F(GameLoadingTest, ManifestErrorsAfterTheFirstAreShownOnceAndStartUpGoesOn)
{
    WriteLoadableData();
    // A field manifest that stops at its second record, then a block manifest read while that error
    // stands: one popup names the first error.
    WriteManifest("field.xml", "Field", Image("IMAGE_FIELD", "gfx/field.png") + "<Image id=\"IMAGE_NO_PATH\"/>\n");
    WriteManifest("blocks.xml", "Blocks", "<Image path=\"gfx/block.png\" id=\"IMAGE_BLOCK\" anim=\"bounce\"/>\n");
    HereGameApp& game = InitGame();
    EXPECT_EQ(popups.shown,
              std::vector<std::string>{"FATAL ERROR: No path specified. on Line 4 in File 'properties\\field.xml'"});
    EXPECT_TRUE(game.initialised);
    EXPECT_EQ(game.resourceManager->GetResourceCount("Field"), 1);
    EXPECT_EQ(game.resourceManager->GetResourceCount("Blocks"), 1);
}

TEST_F(GameLoadingTest, TitleGroupErrorsAreShownAndStartUpGoesOn)
{
    WriteLoadableData();
    temp.Write("properties/loading.xml",
               "<ResourceManifest>\n<Resources id=\"Loading\">\n" + Image("IMAGE_GONE", "gfx/gone.png") + "<Sound/>\n");
    HereGameApp& game = InitGame();
    EXPECT_EQ(popups.shown, (std::vector<std::string>{
                                "FATAL ERROR: No path specified. on Line 4 in File 'properties\\loading.xml'",
                                "FATAL ERROR: Failed to load image: gfx/gone.png",
                            }));
    EXPECT_TRUE(game.initialised);
    EXPECT_TRUE(Loaded("IMAGE_GENERAL"));
}

TEST_F(GameLoadingTest, WithoutItsFirstManifestTheGameEndsAfterThePopup)
{
    WriteStartableData();
    temp.Write("properties/resources.xml", "");
    EXPECT_EXIT(InitGame(), testing::ExitedWithCode(0),
                "FATAL ERROR: Expecting ResourceManifest tag on Line 1 in File 'properties.resources.xml'");
}

TEST_F(GameLoadingTest, WithoutGroupGeneralTheGameEndsAfterThePopup)
{
    WriteStartableData();
    WriteManifest("resources.xml", "General", Image("IMAGE_GONE", "gfx/gone.png"));
    EXPECT_EXIT(InitGame(), testing::ExitedWithCode(0), "FATAL ERROR: Failed to load image: gfx/gone.png");
}
