#include "resources/ResourceManager.h"

#include "app/TolmAppBase.h"
#include "graphics/FontData.h"
#include "graphics/ImageFont.h"
#include "graphics/MemoryImage.h"
#include "graphics/SysFont.h"
#include "platform/FileSystem.h"
#include "support/NullSound.h"
#include "support/PngFile.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>
#include <set>

using namespace Tolm;

namespace {

// Sound ids as the real manager hands them out, without playing anything; files named in `broken`
// fail to load.
class FakeSoundManager : public NullSoundManager
{
public:
    bool LoadSound(int id, const std::string& file) override
    {
        loads.push_back(file);
        if (broken.count(file)) {
            return false;
        }
        used.insert(id);
        return true;
    }
    void ReleaseSound(int id) override
    {
        released.push_back(id);
        used.erase(id);
    }
    bool SetBaseVolume(int id, double volume) override
    {
        volumes.emplace_back(id, volume);
        return true;
    }
    bool SetBasePan(int id, int pan) override
    {
        pans.emplace_back(id, pan);
        return true;
    }
    int GetFreeSoundId() override
    {
        for (int id = 0; id < freeLimit; ++id) {
            if (!used.count(id)) {
                return id;
            }
        }
        return -1;
    }
    Tolm::SoundInstance* NewInstance(int) override { return nullptr; }

    std::set<std::string> broken;
    std::set<int> used;
    int freeLimit = kMaxSoundIds;
    std::vector<std::string> loads;
    std::vector<int> released;
    std::vector<std::pair<int, double>> volumes;
    std::vector<std::pair<int, int>> pans;
};

// Manifests and images are named relative to the test's own folder, as the game names them relative
// to its own.
class ResourceManagerTest : public testing::Test
{
protected:
    void SetUp() override
    {
        previousFolder = Platform::CurrentFolder();
        ASSERT_TRUE(Platform::SetCurrentFolder(temp.Path()));
        auto fake = std::make_unique<FakeSoundManager>();
        sounds = fake.get();
        app.soundManager = std::move(fake);
    }
    void TearDown() override { Platform::SetCurrentFolder(previousFolder); }

    // A manifest whose groups are the given text.
    void WriteManifest(const std::string& name, const std::string& body)
    {
        temp.Write(name, "<ResourceManifest>\n" + body + "</ResourceManifest>\n");
    }
    void WriteImage(const std::string& name, int width, int height, const std::vector<uint32_t>& pixels)
    {
        temp.Write(name, "");
        ASSERT_TRUE(PngFile::Write(temp.Path() + name, width, height, pixels.data()));
    }
    void WriteImage(const std::string& name, int width, int height, uint32_t pixel)
    {
        WriteImage(name, width, height, std::vector<uint32_t>(std::size_t(width * height), pixel));
    }
    MemoryImage* Loaded(const std::string& id) { return manager.GetImage(id).GetImage(); }
    std::vector<uint32_t> Pixels(const std::string& id)
    {
        MemoryImage* image = Loaded(id);
        uint32_t* bits = image ? image->GetBits() : nullptr;
        return bits ? std::vector<uint32_t>(bits, bits + image->GetPixelCount()) : std::vector<uint32_t>();
    }

    TempFolder temp;
    std::string previousFolder;
    TolmAppBase app;
    FakeSoundManager* sounds = nullptr;
    ResourceManager manager{&app};
};

struct ManifestErrorCase
{
    const char* name;
    const char* text;
    const char* error;
    // Every record registered despite the error.
    int registered;
};

TEST_F(ResourceManagerTest, BrokenManifestsGiveTheExactErrorWithLineAndFile)
{
    const ManifestErrorCase cases[] = {
        {"WrongRoot", "<Manifest>\n<Resources id=\"A\">\n<Image path=\"a\"/>\n</Resources>\n</Manifest>\n",
         "Expecting ResourceManifest tag on Line 1 in File 'case.xml'", 1},
        {"NoStartTagAtAll", "<!-- nothing -->\n", "Expecting ResourceManifest tag on Line 2 in File 'case.xml'", 0},
        {"TextBetweenGroups", "<ResourceManifest>\nhello  there\n<Resources id=\"A\"/>\n</ResourceManifest>\n",
         "Element Not Expected 'hello there' on Line 3 in File 'case.xml'", 0},
        {"UnknownSection", "<ResourceManifest>\n<Group id=\"A\"/>\n</ResourceManifest>\n",
         "Invalid Section 'Group' on Line 2 in File 'case.xml'", 0},
        {"UnknownElementInGroup",
         "<ResourceManifest>\n<Resources id=\"A\">\n<Image path=\"a\"/>\n<Picture path=\"b\"/>\n</Resources>\n"
         "</ResourceManifest>\n",
         "Invalid Section 'Picture' on Line 4 in File 'case.xml'", 1},
        {"TextInGroup", "<ResourceManifest>\n<Resources id=\"A\">\nstray\n</Resources>\n</ResourceManifest>\n",
         "Element Not Expected 'stray' on Line 4 in File 'case.xml'", 0},
        {"GroupWithoutId", "<ResourceManifest>\n<Resources>\n</Resources>\n</ResourceManifest>\n",
         "No id specified. on Line 2 in File 'case.xml'", 0},
        {"GroupWithEmptyId", "<ResourceManifest>\n<Resources id=\"\">\n</Resources>\n</ResourceManifest>\n",
         "No id specified. on Line 2 in File 'case.xml'", 0},
        {"ChildInsideAnElement",
         "<ResourceManifest>\n<Resources id=\"A\">\n<Image path=\"a\">\n<Sound path=\"b\"/>\n</Image>\n"
         "</Resources>\n</ResourceManifest>\n",
         "Unexpected element found. on Line 4 in File 'case.xml'", 1},
        {"ElementWithoutPath",
         "<ResourceManifest>\n<Resources id=\"A\">\n<Image id=\"X\"/>\n</Resources>\n</ResourceManifest>\n",
         "No path specified. on Line 3 in File 'case.xml'", 0},
        {"ElementWithEmptyPath",
         "<ResourceManifest>\n<Resources id=\"A\">\n<Sound path=\"\"/>\n</Resources>\n</ResourceManifest>\n",
         "No path specified. on Line 3 in File 'case.xml'", 0},
        {"SameIdTwice",
         "<ResourceManifest>\n<Resources id=\"A\">\n<Image path=\"a\" id=\"X\"/>\n<Image path=\"b\" id=\"X\"/>\n"
         "</Resources>\n</ResourceManifest>\n",
         "Resource already defined. on Line 4 in File 'case.xml'", 1},
        {"UnknownAnimation",
         "<ResourceManifest>\n<Resources id=\"A\">\n<Image path=\"a\" anim=\"bounce\"/>\n</Resources>\n"
         "</ResourceManifest>\n",
         "Invalid animation type. on Line 3 in File 'case.xml'", 1},
        {"SysFontWithoutSize",
         "<ResourceManifest>\n<Resources id=\"A\">\n<Font path=\"!sys:Arial\" id=\"F\"/>\n</Resources>\n"
         "</ResourceManifest>\n",
         "SysFont needs point size on Line 3 in File 'case.xml'", 1},
        {"SysFontOfSizeZero",
         "<ResourceManifest>\n<Resources id=\"A\">\n<Font path=\"!sys:Arial\" id=\"F\" size=\"0\"/>\n</Resources>\n"
         "</ResourceManifest>\n",
         "SysFont needs point size on Line 3 in File 'case.xml'", 1},
        {"MismatchedEndTag",
         "<ResourceManifest>\n<Resources id=\"A\">\n<Image path=\"a\"/>\n</Resource>\n</ResourceManifest>\n",
         "End 'Resource' Doesn't Match Start 'Resources' on Line 4 in File 'case.xml'", 1},
        {"CutOffInsideATag", "<ResourceManifest>\n<Resources id=\"A\">\n<Image path=\"a\"",
         "Unexpected End of File on Line 3 in File 'case.xml'", 0},
    };
    for (const ManifestErrorCase& test : cases) {
        SCOPED_TRACE(test.name);
        temp.Write("case.xml", test.text);
        ResourceManager fresh(&app);
        EXPECT_FALSE(fresh.ParseResourcesFile("case.xml"));
        EXPECT_TRUE(fresh.HadError());
        EXPECT_EQ(fresh.GetErrorText(), test.error);
        EXPECT_EQ(fresh.GetResourceCount(""), test.registered);
    }
}

TEST_F(ResourceManagerTest, MissingManifestNamesTheFileAndKeepsFailingUntilAGroupLoadBegins)
{
    WriteManifest("good.xml", "<Resources id=\"A\">\n<Image path=\"a\"/>\n</Resources>\n");
    EXPECT_FALSE(manager.ParseResourcesFile("missing.xml"));
    EXPECT_EQ(manager.GetErrorText(), "Resource file not found: missing.xml");

    // The next manifest is still read and registered, but the first error stays.
    EXPECT_FALSE(manager.ParseResourcesFile("good.xml"));
    EXPECT_EQ(manager.GetErrorText(), "Resource file not found: missing.xml");
    EXPECT_EQ(manager.GetResourceCount("A"), 1);

    manager.BeginGroupLoad("Nothing");
    EXPECT_FALSE(manager.HadError());
    EXPECT_EQ(manager.GetErrorText(), "");
}

TEST_F(ResourceManagerTest, IdsAndPathsFollowTheDefaultsAcrossGroupsAndFiles)
{
    WriteManifest("first.xml", "<Resources id=\"A\">\n"
                               "<SetDefaults path=\"gfx/\" idprefix=\"IMAGE_/\"/>\n"
                               "<Image path=\"images/board.png\"/>\n"
                               "<Image path=\"dir.v2/panel\"/>\n"
                               "<Image path=\"frame.png\" id=\"FRAME\"/>\n"
                               "<Image path=\"!program\" id=\"DRAWN\"/>\n"
                               "<Image path=\"!solid\"/>\n"
                               "</Resources>\n");
    WriteManifest("second.xml", "<Resources id=\"B\">\n"
                                "<Sound path=\"click\"/>\n"
                                "<SetDefaults path=\"snd\\\"/>\n"
                                "<Sound path=\"boom\"/>\n"
                                "<SetDefaults path=\"\" idprefix=\"\"/>\n"
                                "<Sound path=\"last\"/>\n"
                                "</Resources>\n");
    ASSERT_TRUE(manager.ParseResourcesFile("first.xml"));
    ASSERT_TRUE(manager.ParseResourcesFile("second.xml"));

    for (const char* id : {"IMAGE_board", "IMAGE_panel", "IMAGE_FRAME", "IMAGE_DRAWN", "IMAGE_!solid"}) {
        EXPECT_THROW(manager.RequireImage(id), ResourceManagerException) << id;
    }
    manager.BeginGroupLoad("A");
    ASSERT_TRUE(manager.LoadNextInGroup() == false);
    // The first image failed to load and named its stored path.
    EXPECT_EQ(manager.GetErrorText(), "Failed to load image: gfx/images/board.png");
    EXPECT_EQ(manager.GetResourceCount("A"), 4);
    EXPECT_EQ(manager.GetResourceCount(""), 8);

    manager.LoadGroup("B");
    EXPECT_EQ(sounds->loads, (std::vector<std::string>{"gfx/click", "snd/boom", "/last"}));
    EXPECT_EQ(manager.GetSoundId("IMAGE_click"), 0);
    EXPECT_EQ(manager.GetSoundId("IMAGE_boom"), 1);
    EXPECT_EQ(manager.GetSoundId("last"), 2);
}

TEST_F(ResourceManagerTest, OneIdMayNameAnImageASoundAndAFont)
{
    WriteManifest("m.xml", "<Resources id=\"A\">\n"
                           "<Image path=\"x\" id=\"SAME\"/>\n"
                           "<Sound path=\"x\" id=\"SAME\"/>\n"
                           "<Font path=\"x\" id=\"SAME\"/>\n"
                           "</Resources>\n");
    EXPECT_TRUE(manager.ParseResourcesFile("m.xml"));
    EXPECT_EQ(manager.GetResourceCount("A"), 3);
}

TEST_F(ResourceManagerTest, GroupTableIgnoresCaseButCountsAndUnloadsCompareExactly)
{
    WriteImage("a.png", 2, 2, 0xFF102030);
    WriteManifest("m.xml", "<Resources id=\"Common\">\n<Image path=\"a.png\" id=\"A\" nopal />\n</Resources>\n");
    ASSERT_TRUE(manager.ParseResourcesFile("m.xml"));

    EXPECT_TRUE(manager.LoadGroup("common"));
    ASSERT_NE(Loaded("A"), nullptr);
    EXPECT_EQ(manager.GetResourceCount("common"), 0);
    EXPECT_EQ(manager.GetResourceCount("Common"), 1);
    manager.UnloadGroup("common");
    EXPECT_NE(Loaded("A"), nullptr);
    manager.UnloadGroup("Common");
    EXPECT_EQ(Loaded("A"), nullptr);
}

TEST_F(ResourceManagerTest, StepwiseLoadingCountsWhatGetResourceCountPromises)
{
    WriteImage("img/a.png", 2, 2, 0xFF000000);
    WriteImage("img/b.png", 3, 1, 0xFFFFFFFF);
    // The group is split over two elements and two files; a program-made image is declared but never
    // loaded or counted; another group's records stand between.
    WriteManifest("one.xml", "<Resources id=\"Load\">\n"
                             "<SetDefaults path=\"img\" idprefix=\"IMAGE_\"/>\n"
                             "<Image path=\"a.png\"/>\n"
                             "<Image path=\"!program\" id=\"CANVAS\"/>\n"
                             "</Resources>\n"
                             "<Resources id=\"Other\">\n<Sound path=\"other\"/>\n</Resources>\n");
    WriteManifest("two.xml", "<Resources id=\"Load\">\n"
                             "<Sound path=\"ping\" id=\"PING\"/>\n"
                             "<Image path=\"b.png\"/>\n"
                             "<Image path=\"a.png\" id=\"A_AGAIN\"/>\n"
                             "</Resources>\n");
    ASSERT_TRUE(manager.ParseResourcesFile("one.xml"));
    ASSERT_TRUE(manager.ParseResourcesFile("two.xml"));
    ASSERT_EQ(manager.GetResourceCount("Load"), 4);

    manager.BeginGroupLoad("Load");
    int loaded = 0;
    while (manager.LoadNextInGroup()) {
        ++loaded;
    }
    EXPECT_FALSE(manager.HadError()) << manager.GetErrorText();
    EXPECT_EQ(loaded, manager.GetResourceCount("Load"));
    EXPECT_EQ(sounds->loads, std::vector<std::string>{"img/ping"});
    EXPECT_EQ(manager.GetSoundId("IMAGE_other"), -1);
    // Two records of one file share its image.
    EXPECT_EQ(Loaded("IMAGE_a"), Loaded("IMAGE_A_AGAIN"));
    EXPECT_EQ(Loaded("IMAGE_CANVAS"), nullptr);

    // Everything is loaded now: a second load loads and counts nothing.
    manager.BeginGroupLoad("Load");
    EXPECT_FALSE(manager.LoadNextInGroup());
    EXPECT_TRUE(manager.LoadGroup("Load"));
    EXPECT_EQ(sounds->loads.size(), 1u);
}

TEST_F(ResourceManagerTest, LoadingWithoutABeginLoadsNothing)
{
    EXPECT_FALSE(manager.LoadNextInGroup());
    EXPECT_FALSE(manager.HadError());
    EXPECT_TRUE(manager.LoadGroup("NeverDeclared"));
}

TEST_F(ResourceManagerTest, AFailingSoundStopsTheGroupAndKeepsWhatWasLoaded)
{
    WriteImage("a.png", 1, 1, 0xFF000000);
    WriteImage("c.png", 1, 1, 0xFF000000);
    sounds->broken.insert("sfx/bad");
    WriteManifest("m.xml", "<Resources id=\"G\">\n"
                           "<Image path=\"a.png\" id=\"A\"/>\n"
                           "<SetDefaults path=\"sfx\"/>\n"
                           "<Sound path=\"good\" id=\"GOOD\"/>\n"
                           "<Sound path=\"bad\" id=\"BAD\"/>\n"
                           "<SetDefaults path=\"\"/>\n"
                           "<Image path=\"c.png\" id=\"C\"/>\n"
                           "</Resources>\n");
    ASSERT_TRUE(manager.ParseResourcesFile("m.xml"));

    manager.BeginGroupLoad("G");
    int loaded = 0;
    while (manager.LoadNextInGroup()) {
        ++loaded;
    }
    EXPECT_EQ(loaded, 2);
    EXPECT_TRUE(manager.HadError());
    EXPECT_EQ(manager.GetErrorText(), "Failed to load sound: sfx/bad");
    EXPECT_NE(Loaded("A"), nullptr);
    EXPECT_EQ(manager.GetSoundId("GOOD"), 0);
    EXPECT_EQ(manager.GetSoundId("BAD"), -1);
    EXPECT_EQ(Loaded("C"), nullptr);
    // While the error stands nothing more loads.
    EXPECT_FALSE(manager.LoadNextInGroup());
    EXPECT_FALSE(manager.LoadGroup("G"));
}

TEST_F(ResourceManagerTest, SoundsTakeTheLowestFreeIdsWithTheirVolumeAndPan)
{
    WriteManifest("m.xml", "<Resources id=\"S\">\n"
                           "<Sound path=\"a\" id=\"A\" volume=\"0.5\" pan=\"-300\"/>\n"
                           "<Sound path=\"b\" id=\"B\"/>\n"
                           "<Sound path=\"c\" id=\"C\" volume=\"-1\" pan=\"0\"/>\n"
                           "<Sound path=\"d\" id=\"D\" volume=\"0\" pan=\"junk\"/>\n"
                           "</Resources>\n");
    ASSERT_TRUE(manager.ParseResourcesFile("m.xml"));
    sounds->used.insert(1);
    ASSERT_TRUE(manager.LoadGroup("S"));
    EXPECT_EQ(manager.GetSoundId("A"), 0);
    EXPECT_EQ(manager.GetSoundId("B"), 2);
    EXPECT_EQ(manager.GetSoundId("C"), 3);
    EXPECT_EQ(manager.GetSoundId("D"), 4);
    EXPECT_EQ(sounds->volumes, (std::vector<std::pair<int, double>>{{0, 0.5}, {4, 0.0}}));
    EXPECT_EQ(sounds->pans, (std::vector<std::pair<int, int>>{{0, -300}}));

    manager.UnloadGroup("S");
    EXPECT_EQ(sounds->released, (std::vector<int>{0, 2, 3, 4}));
    EXPECT_EQ(manager.GetSoundId("A"), -1);
}

TEST_F(ResourceManagerTest, RunningOutOfSoundIdsStopsTheGroup)
{
    sounds->freeLimit = 1;
    WriteManifest("m.xml", "<Resources id=\"S\">\n<Sound path=\"a\"/>\n<Sound path=\"b\"/>\n</Resources>\n");
    ASSERT_TRUE(manager.ParseResourcesFile("m.xml"));
    EXPECT_FALSE(manager.LoadGroup("S"));
    EXPECT_EQ(manager.GetErrorText(), "Out of free sound ids");
    EXPECT_EQ(manager.GetSoundId("a"), 0);
}

TEST_F(ResourceManagerTest, AlphaImageGivesEveryPixelTheLowByteOfItsCompanion)
{
    WriteImage("pic.png", 2, 2, {0xFF112233, 0xFF445566, 0x80778899, 0x00AABBCC});
    WriteImage("mask.png", 2, 2, {0xFF0000FF, 0xFF000080, 0xFFFFFF00, 0xFF123456});
    WriteManifest("m.xml", "<Resources id=\"G\">\n"
                           "<Image path=\"pic.png\" id=\"PIC\" alphaimage=\"mask.png\" nopal />\n"
                           "<Image path=\"pic.png\" id=\"PIC_AGAIN\" alphaimage=\"missing.png\" nopal />\n"
                           "</Resources>\n");
    ASSERT_TRUE(manager.ParseResourcesFile("m.xml"));
    // The second record shares the image its first load made, so its own alpha image is never read.
    ASSERT_TRUE(manager.LoadGroup("G")) << manager.GetErrorText();
    EXPECT_EQ(Pixels("PIC"), (std::vector<uint32_t>{0xFF112233, 0x80445566, 0x00778899, 0x56AABBCC}));
    EXPECT_TRUE(Loaded("PIC")->hasPartialAlpha);
}

TEST_F(ResourceManagerTest, AlphaGridGivesEveryCelTheSameAlphaAndLeavesTheRest)
{
    // Two columns of 2 x 1 cels in a 5 x 1 image: the fifth pixel lies outside the cels.
    WriteImage("strip.png", 5, 1, 0xFF000000);
    WriteImage("cel.png", 2, 1, {0xFF000010, 0xFF0000F0});
    WriteManifest("m.xml", "<Resources id=\"G\">\n"
                           "<Image path=\"strip.png\" id=\"STRIP\" cols=\"2\" alphagrid=\"cel.png\" nopal />\n"
                           "</Resources>\n");
    ASSERT_TRUE(manager.ParseResourcesFile("m.xml"));
    ASSERT_TRUE(manager.LoadGroup("G")) << manager.GetErrorText();
    EXPECT_EQ(Pixels("STRIP"), (std::vector<uint32_t>{0x10000000, 0xF0000000, 0x10000000, 0xF0000000, 0xFF000000}));
}

TEST_F(ResourceManagerTest, ImageLoadFailuresNameTheFiles)
{
    struct Case
    {
        const char* name;
        const char* element;
        const char* error;
    } cases[] = {
        {"MissingImage", "<Image path=\"gone.png\"/>", "Failed to load image: gfx/gone.png"},
        {"MissingAlphaImage", "<Image path=\"pic.png\" alphaimage=\"gone.png\"/>",
         "Failed to load image: gfx/gone.png"},
        {"AlphaImageOfAnotherSize", "<Image path=\"pic.png\" alphaimage=\"small.png\"/>",
         "AlphaImage size mismatch between gfx/pic.png and gfx/small.png"},
        {"GridOfAnotherSize", "<Image path=\"pic.png\" cols=\"3\" alphagrid=\"small.png\"/>",
         "GridAlphaImage size mismatch between gfx/pic.png and gfx/small.png"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        WriteImage("gfx/pic.png", 4, 2, 0xFF000000);
        WriteImage("gfx/small.png", 2, 2, 0xFF000000);
        WriteManifest("m.xml", std::string("<Resources id=\"G\">\n<SetDefaults path=\"gfx\"/>\n") + test.element +
                                   "\n</Resources>\n");
        TolmAppBase freshApp;
        ResourceManager fresh(&freshApp);
        ASSERT_TRUE(fresh.ParseResourcesFile("m.xml"));
        EXPECT_FALSE(fresh.LoadGroup("G"));
        EXPECT_EQ(fresh.GetErrorText(), test.error);
        EXPECT_FALSE(fresh.GetImage("pic").GetImage());
    }
}

TEST_F(ResourceManagerTest, LoadedImagesTakeTheirGridAnimationAndOptions)
{
    WriteImage("cels.png", 6, 4, 0xFF808080);
    WriteManifest("m.xml",
                  "<Resources id=\"G\">\n"
                  "<Image path=\"cels.png\" id=\"ANIM\" rows=\" 2x\" cols=\"+3\" total=\"5\" anim=\"PingPong\" "
                  "framedelay=\"4\" perframedelay=\"5,,7\" begindelay=\"9\" a4r4g4b4 minsubdivide nopal />\n"
                  "</Resources>\n");
    ASSERT_TRUE(manager.ParseResourcesFile("m.xml"));
    ASSERT_TRUE(manager.LoadGroup("G")) << manager.GetErrorText();
    MemoryImage* image = Loaded("ANIM");
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->numRows, 2);
    EXPECT_EQ(image->numCols, 3);
    EXPECT_EQ(image->numFrames, 5);
    EXPECT_EQ(image->textureFlags, 5u);
    ASSERT_TRUE(image->animation);
    EXPECT_EQ(image->animation->type, ImageAnimation::TypePingPong);
    EXPECT_EQ(image->animation->frameDelay, 4);
    // Ping-pong over five cels plays 0 1 2 3 4 3 2 1; the listed delays 5, 0 and 7 come first, the
    // zero and the missing ones take the frame delay, and the first frame takes the begin delay.
    EXPECT_EQ(image->animation->frameMap, (std::vector<int>{0, 1, 2, 3, 4, 3, 2, 1}));
    EXPECT_EQ(image->animation->perFrameDelays, (std::vector<int>{9, 4, 7, 4, 4, 4, 4, 4}));
    EXPECT_FALSE(image->HasPalette());
}

TEST_F(ResourceManagerTest, GridsOutsideTheFormatAreKeptWithinTheImageLimits)
{
    WriteImage("cels.png", 4, 4, 0xFF808080);
    struct Case
    {
        const char* attributes;
        int rows;
        int cols;
        int cels;
    } cases[] = {
        {"rows=\"0\" cols=\"-3\"", 1, 1, 1},
        {"rows=\"abc\" cols=\"2\" total=\"99\"", 1, 2, 2},
        {"rows=\"2\" cols=\"2\" total=\"-1\"", 2, 2, 0},
        {"rows=\"99999\" cols=\"99999\"", 16384, 16384, 65536},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.attributes);
        WriteManifest("m.xml", std::string("<Resources id=\"G\">\n<Image path=\"cels.png\" id=\"CELS\" ") +
                                   test.attributes + " nopal />\n</Resources>\n");
        TolmAppBase freshApp;
        ResourceManager fresh(&freshApp);
        ASSERT_TRUE(fresh.ParseResourcesFile("m.xml"));
        ASSERT_TRUE(fresh.LoadGroup("G"));
        MemoryImage* image = fresh.GetImage("CELS").GetImage();
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->numRows, test.rows);
        EXPECT_EQ(image->numCols, test.cols);
        EXPECT_EQ(image->numFrames, test.cels);
    }
}

TEST_F(ResourceManagerTest, ImagesAreMadeIntoPalettesUnlessTheManifestSaysNo)
{
    WriteImage("few.png", 2, 1, {0xFF000000, 0xFFFFFFFF});
    WriteImage("kept.png", 2, 1, {0xFF000000, 0xFFFFFFFF});
    WriteManifest("m.xml", "<Resources id=\"G\">\n<Image path=\"few.png\"/>\n<Image path=\"kept.png\" nopal />\n"
                           "<Image path=\"few.png\" id=\"NOBITS\" variant=\"v\" nobits />\n</Resources>\n");
    ASSERT_TRUE(manager.ParseResourcesFile("m.xml"));
    ASSERT_TRUE(manager.LoadGroup("G")) << manager.GetErrorText();
    EXPECT_TRUE(Loaded("few")->HasPalette());
    EXPECT_FALSE(Loaded("kept")->HasPalette());
    EXPECT_TRUE(Loaded("NOBITS")->bitsReleased);
    EXPECT_EQ(Pixels("few"), (std::vector<uint32_t>{0xFF000000, 0xFFFFFFFF}));
}

TEST_F(ResourceManagerTest, UnloadedRecordsStayDeclaredAndLoadAgain)
{
    WriteImage("a.png", 1, 1, 0xFF000000);
    WriteManifest("m.xml", "<Resources id=\"G\">\n<Image path=\"a.png\"/>\n<Sound path=\"s\"/>\n</Resources>\n"
                           "<Resources id=\"H\">\n<Sound path=\"t\"/>\n</Resources>\n");
    ASSERT_TRUE(manager.ParseResourcesFile("m.xml"));
    ASSERT_TRUE(manager.LoadGroup("G"));
    ASSERT_TRUE(manager.LoadGroup("H"));
    manager.UnloadGroup("");
    EXPECT_EQ(Loaded("a"), nullptr);
    EXPECT_EQ(manager.GetSoundId("s"), -1);
    EXPECT_EQ(manager.GetSoundId("t"), -1);
    EXPECT_EQ(manager.GetResourceCount("G"), 2);

    manager.BeginGroupLoad("G");
    EXPECT_TRUE(manager.LoadNextInGroup());
    EXPECT_TRUE(manager.LoadNextInGroup());
    EXPECT_FALSE(manager.LoadNextInGroup());
    EXPECT_NE(Loaded("a"), nullptr);
}

TEST_F(ResourceManagerTest, RequiredLookupsThrowWithTheFirstErrorSinceTheLastLoad)
{
    WriteManifest("m.xml", "<Resources id=\"G\">\n<Sound path=\"s\"/>\n</Resources>\n");
    ASSERT_TRUE(manager.ParseResourcesFile("m.xml"));
    ASSERT_TRUE(manager.LoadGroup("G"));
    EXPECT_EQ(manager.RequireSoundId("s"), 0);

    try {
        manager.RequireImage("IMAGE_NONE");
        FAIL();
    } catch (const ResourceManagerException& error) {
        EXPECT_EQ(error.text, "Image resource not found: IMAGE_NONE");
    }
    try {
        manager.RequireFont("FONT_NONE");
        FAIL();
    } catch (const ResourceManagerException& error) {
        EXPECT_EQ(error.text, "Image resource not found: IMAGE_NONE");
    }
    manager.BeginGroupLoad("G");
    try {
        manager.RequireSoundId("SOUND_NONE");
        FAIL();
    } catch (const ResourceManagerException& error) {
        EXPECT_EQ(error.text, "Sound resource not found: SOUND_NONE");
    }
}

TEST_F(ResourceManagerTest, FontsLoadAsSystemFontsImageFontsAndCopies)
{
    // Eight pixels high: "a" three columns wide, "b" two.
    WriteImage("glyphs.png", 5, 8, 0xFFFFFFFF);
    temp.Write("fonts/widths.txt", "3 7 a 3 b 2");
    WriteManifest("m.xml",
                  "<Resources id=\"G\">\n"
                  "<SetDefaults path=\"fonts\"/>\n"
                  "<Font path=\"!sys:DejaVu Sans\" id=\"SYS\" size=\"12\" shadow />\n"
                  "<Font path=\"!ref:SYS\" id=\"COPY\"/>\n"
                  "<Font path=\"widths.txt\" image=\"glyphs.png\" id=\"LEGACY\" tags=\" bold, Shadow\tbig\"/>\n"
                  "</Resources>\n");
    ASSERT_TRUE(manager.ParseResourcesFile("m.xml"));
    ASSERT_TRUE(manager.LoadGroup("G")) << manager.GetErrorText();

    auto* system = dynamic_cast<SysFont*>(manager.GetFont("SYS"));
    ASSERT_NE(system, nullptr);
    EXPECT_TRUE(system->shadow);
    EXPECT_FALSE(system->simulatedBold);
    auto* copy = dynamic_cast<SysFont*>(manager.GetFont("COPY"));
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy, system);
    EXPECT_FALSE(copy->shadow) << "a copied system font draws without shadow";

    auto* legacy = dynamic_cast<ImageFont*>(manager.GetFont("LEGACY"));
    ASSERT_NE(legacy, nullptr);
    EXPECT_TRUE(legacy->fontData->loaded);
    EXPECT_EQ(legacy->tags, (std::vector<std::string>{"BOLD", "SHADOW", "BIG"}));
    EXPECT_EQ(legacy->StringWidth("ab"), 5);

    manager.UnloadGroup("G");
    EXPECT_EQ(manager.GetFont("SYS"), nullptr);
    EXPECT_EQ(manager.GetFont("LEGACY"), nullptr);
}

TEST_F(ResourceManagerTest, FontsThatCannotLoadNameTheirFiles)
{
    WriteImage("glyphs.png", 5, 8, 0xFFFFFFFF);
    struct Case
    {
        const char* name;
        const char* element;
        const char* error;
    } cases[] = {
        {"MissingDescriptor", "<Font path=\"none.txt\" id=\"F\"/>", "Failed to load font: fonts/none.txt"},
        {"MissingImage", "<Font path=\"widths.txt\" image=\"none.png\" id=\"F\"/>", "Failed to load image: none.png"},
        {"MissingWidthList", "<Font path=\"none.txt\" image=\"glyphs.png\" id=\"F\"/>",
         "Failed to load font: fonts/none.txt"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        WriteManifest("m.xml", std::string("<Resources id=\"G\">\n<SetDefaults path=\"fonts\"/>\n") + test.element +
                                   "\n</Resources>\n");
        ResourceManager fresh(&app);
        ASSERT_TRUE(fresh.ParseResourcesFile("m.xml"));
        EXPECT_FALSE(fresh.LoadGroup("G"));
        EXPECT_EQ(fresh.GetErrorText(), test.error);
        EXPECT_EQ(fresh.GetFont("F"), nullptr);
    }
}

TEST_F(ResourceManagerTest, RefFontNeedsItsFontLoadedBefore)
{
    WriteManifest("m.xml", "<Resources id=\"G\">\n<Font path=\"!ref:FONT_LATER\" id=\"FONT_COPY\"/>\n"
                           "<Font path=\"!sys:Sans\" size=\"10\" id=\"FONT_LATER\"/>\n</Resources>\n");
    ASSERT_TRUE(manager.ParseResourcesFile("m.xml"));
    EXPECT_FALSE(manager.LoadGroup("G"));
    EXPECT_EQ(manager.GetErrorText(), "Ref font not found: FONT_LATER");
    EXPECT_EQ(manager.GetFont("FONT_COPY"), nullptr);
}

} // namespace
