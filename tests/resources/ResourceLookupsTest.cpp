#include "resources/ResourceLookups.h"

#include "app/TolmAppBase.h"
#include "graphics/MemoryImage.h"
#include "platform/FileSystem.h"
#include "resources/ResourceManager.h"
#include "support/NullSound.h"
#include "support/PngFile.h"
#include "support/TempFolder.h"
#include "widgets/Widget.h"
#include "widgets/WidgetManager.h"

#include <gtest/gtest.h>
#include <set>

using namespace Tolm;

namespace {

// Records every playing it is asked for.
class PlayingSoundManager : public NullSoundManager
{
public:
    struct Playing : NullSoundInstance
    {
        explicit Playing(PlayingSoundManager& owner, int soundId) : manager(owner), id(soundId) {}
        void SetPan(int pan) override
        {
            manager.played.push_back("pan " + std::to_string(id) + " " + std::to_string(pan));
        }
        bool Play(bool looping, bool autoRelease) override
        {
            manager.played.push_back("play " + std::to_string(id) + (looping ? " looping" : "") +
                                     (autoRelease ? " released" : ""));
            return true;
        }
        PlayingSoundManager& manager;
        int id;
    };

    bool LoadSound(int id, const std::string&) override { return used.insert(id).second; }
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
    SoundInstance* NewInstance(int id) override
    {
        if (!used.count(id)) {
            return nullptr;
        }
        instances.push_back(std::make_unique<Playing>(*this, id));
        return instances.back().get();
    }

    std::set<int> used;
    std::vector<std::unique_ptr<Playing>> instances;
    std::vector<std::string> played;
};

class ResourceLookupsTest : public testing::Test
{
protected:
    void SetUp() override
    {
        previousFolder = Platform::CurrentFolder();
        ASSERT_TRUE(Platform::SetCurrentFolder(temp.Path()));
        const uint32_t pixels[4] = {0xFF112233, 0xFF445566, 0xFF778899, 0xFFAABBCC};
        temp.Write("gfx/pic.png", "");
        ASSERT_TRUE(PngFile::Write(temp.Path() + "gfx/pic.png", 2, 2, pixels));
        temp.Write("m.xml", "<ResourceManifest>\n"
                            "<Resources id=\"Early\">\n"
                            "<Image path=\"gfx/pic.png\" id=\"IMAGE_PIC\"/>\n"
                            "<Font path=\"!sys:DejaVu Sans\" size=\"10\" id=\"FONT_SMALL\"/>\n"
                            "<Sound path=\"sfx/click\" id=\"SOUND_CLICK\"/>\n"
                            "</Resources>\n"
                            "<Resources id=\"Late\">\n"
                            "<Image path=\"gfx/pic.png\" id=\"IMAGE_LATE\" variant=\"late\"/>\n"
                            "<Sound path=\"sfx/boom\" id=\"SOUND_LATE\"/>\n"
                            "</Resources>\n"
                            "</ResourceManifest>\n");
        auto sounds = std::make_unique<PlayingSoundManager>();
        playing = sounds.get();
        app.soundManager = std::move(sounds);
        ASSERT_TRUE(app.resourceManager->ParseResourcesFile("m.xml"));
        ASSERT_TRUE(app.resourceManager->LoadGroup("Early")) << app.resourceManager->GetErrorText();
    }
    void TearDown() override { Platform::SetCurrentFolder(previousFolder); }

    TempFolder temp;
    std::string previousFolder;
    TolmAppBase app;
    PlayingSoundManager* playing = nullptr;
};

} // namespace

TEST_F(ResourceLookupsTest, ImagesAndFontsOfLoadedGroupsOnly)
{
    MemoryImage* image = GetImageById("IMAGE_PIC");
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->width, 2);
    EXPECT_EQ(image, app.resourceManager->GetImage("IMAGE_PIC").GetImage()) << "the record keeps the image";
    EXPECT_EQ(GetImageById("IMAGE_LATE"), nullptr) << "its group is not loaded yet";
    EXPECT_EQ(GetImageById("IMAGE_NONE"), nullptr);
    EXPECT_EQ(GetImageById("FONT_SMALL"), nullptr) << "a font is no image";

    EXPECT_EQ(GetFontById("FONT_SMALL"), app.resourceManager->GetFont("FONT_SMALL"));
    EXPECT_NE(GetFontById("FONT_SMALL"), nullptr);
    EXPECT_EQ(GetFontById("IMAGE_PIC"), nullptr);

    app.resourceManager->UnloadGroup("Early");
    EXPECT_EQ(GetImageById("IMAGE_PIC"), nullptr);
    EXPECT_EQ(GetFontById("FONT_SMALL"), nullptr);
}

TEST_F(ResourceLookupsTest, SoundsPlayOnceWhenLoadedAndSoundIsOn)
{
    PlaySoundById("SOUND_CLICK");
    PlaySoundById("SOUND_LATE");
    PlaySoundById("SOUND_NONE");
    EXPECT_EQ(playing->played, std::vector<std::string>{"play 0 released"});

    app.noSound = true;
    PlaySoundById("SOUND_CLICK");
    EXPECT_EQ(playing->played.size(), 1u);

    app.noSound = false;
    app.PlaySampleWithPan(0, -2500);
    EXPECT_EQ(playing->played, (std::vector<std::string>{"play 0 released", "pan 0 -2500", "play 0 released"}));
}

TEST_F(ResourceLookupsTest, WithoutASoundManagerNothingPlays)
{
    app.soundManager.reset();
    PlaySoundById("SOUND_CLICK");
    app.PlaySample(0);
    app.PlaySampleWithPan(0, 100);
}

TEST_F(ResourceLookupsTest, AWindowIsShownWhileTheWidgetManagerHoldsIt)
{
    Widget window;
    Widget inner;
    EXPECT_FALSE(IsWindowShown(&window));
    app.widgetManager->AddWidget(&window);
    window.AddWidget(&inner);
    EXPECT_TRUE(IsWindowShown(&window));
    EXPECT_FALSE(IsWindowShown(&inner)) << "only the manager's own children count";
    window.RemoveWidget(&inner);
    app.widgetManager->RemoveWidget(&window);
    EXPECT_FALSE(IsWindowShown(&window));
}
