// The game's music manager: the tracks named in "properties\music.xml" load as songs 0 to 3, and the
// game's calls switch and fade them through the application's music interface.
#include "sound/MusicManager.h"

#include "AppFixture.h"
#include "platform/FileSystem.h"
#include "platform/MessageBox.h"
#include "sound/MusicInterface.h"

#include <sstream>

namespace {

class RecordingMusic : public Tolm::MusicInterface
{
public:
    explicit RecordingMusic(std::vector<std::string>& calls) : calls(calls) {}

    bool LoadMusic(int songId, const std::string& file) override { return Record("LoadMusic", songId, file), true; }
    void FadeIn(int songId, int offset, double speed, bool noLoop) override
    {
        Record("FadeIn", songId, offset, speed, noLoop);
    }
    void FadeOut(int songId, bool stopWhenSilent, double speed) override
    {
        Record("FadeOut", songId, stopWhenSilent, speed);
    }

private:
    template <typename... Values>
    void Record(const char* name, const Values&... values)
    {
        std::ostringstream call;
        call.precision(17);
        call << name;
        ((call << ' ' << values), ...);
        calls.push_back(call.str());
    }

    std::vector<std::string>& calls;
};

struct BoxSink : Platform::MessageBoxSink
{
    int Show(Platform::WindowHandle, const std::string& text, const std::string& caption, uint32_t) override
    {
        shown.push_back(caption + ": " + text);
        return Platform::IDOK;
    }
    std::vector<std::string> shown;
};

class MusicManagerTest : public AppFixture<RecordingApp>
{
protected:
    MusicManagerTest() : previousFolder(Platform::CurrentFolder())
    {
        Platform::SetCurrentFolder(temp.Path());
        Platform::SetMessageBoxSink(&boxes);
        StartApp().musicInterface = std::make_unique<RecordingMusic>(calls);
    }
    ~MusicManagerTest() override
    {
        delete MusicManager::RegisteredInstance();
        app.reset();
        Platform::SetMessageBoxSink(nullptr);
        Platform::SetCurrentFolder(previousFolder);
    }

    // The calls since the last look.
    std::vector<std::string> Calls() { return std::exchange(calls, {}); }

    std::string previousFolder;
    BoxSink boxes;
    std::vector<std::string> calls;
};

TEST_F(MusicManagerTest, TheTracksLoadAsSongsByTheirElementNames)
{
    temp.Write("properties/music.xml", "<Music>\n"
                                       "  <level_track2 file=\"music\\level2.ogg\"/>\n"
                                       "  <main_menu_track file=\"music\\menu.ogg\"/>\n"
                                       "  <level_track1 file=\"music\\level1.ogg\"/>\n"
                                       "  <level_track1 file=\"music\\other.ogg\"/>\n"
                                       "  <level_track3/>\n"
                                       "</Music>\n");
    MusicManager::Instance();
    EXPECT_EQ(Calls(), (std::vector<std::string>{"LoadMusic 0 music\\menu.ogg", "LoadMusic 1 music\\level1.ogg",
                                                 "LoadMusic 2 music\\level2.ogg"}));
    EXPECT_EQ(MusicManager::Instance()->GetCurrentTrack(), -1);
    EXPECT_TRUE(boxes.shown.empty());
}

// The speeds are 0.01f and 0.05f widened to double.
TEST_F(MusicManagerTest, SwitchesCrossFadeAndFadesLeaveTheTrackPlaying)
{
    temp.Write("properties/music.xml", "<Music/>");
    PlayMenuMusic();
    EXPECT_EQ(Calls(),
              (std::vector<std::string>{"FadeOut -1 1 0.0099999997764825821", "FadeIn 0 0 0.0099999997764825821 0"}));
    PlayMenuMusic();
    EXPECT_TRUE(Calls().empty());
    PlayLevelMusic(7);
    EXPECT_EQ(Calls(),
              (std::vector<std::string>{"FadeOut 0 1 0.0099999997764825821", "FadeIn 2 0 0.0099999997764825821 0"}));
    FadeOutMusic();
    FadeInMusic();
    EXPECT_EQ(Calls(),
              (std::vector<std::string>{"FadeOut 2 0 0.05000000074505806", "FadeIn 2 -1 0.0099999997764825821 0"}));
}

TEST_F(MusicManagerTest, LevelsTakeTurnsAtTheThreeLevelTracksFiveByFive)
{
    temp.Write("properties/music.xml", "<Music/>");
    const std::pair<int, int> cases[] = {{1, 1},  {5, 1},  {6, 2},  {10, 2}, {11, 3},
                                         {15, 3}, {16, 1}, {45, 3}, {46, 1}, {0, 1}};
    for (auto [level, track] : cases) {
        PlayMenuMusic();
        PlayLevelMusic(level);
        EXPECT_EQ(MusicManager::Instance()->GetCurrentTrack(), track) << "level " << level;
    }
}

TEST_F(MusicManagerTest, WithoutItsFileTheManagerSaysSoOnceAndStaysSilent)
{
    PlayMenuMusic();
    PlayLevelMusic(1);
    EXPECT_EQ(boxes.shown,
              (std::vector<std::string>{"Error: Couldn't open music.xml. Error returned:\n\"Failed to open file\""}));
    for (const std::string& call : Calls()) {
        EXPECT_EQ(call.rfind("LoadMusic", 0), std::string::npos) << call;
    }
}

} // namespace
