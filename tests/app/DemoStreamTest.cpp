// The demo event stream bit by bit: what each input message and each demo-aware operation writes, and
// what playing the bits back does. Expected bit fields are worked out from the stream's layout: a
// 4-bit update delta, the kind bit (1 short, 0 long), a 1- or 5-bit command, then the payload.
#include "AppFixture.h"
#include "core/PakInterface.h"
#include "platform/FileSystem.h"
#include "platform/VirtualKeys.h"
#include "widgets/WidgetProbe.h"

#include <fstream>

using namespace Platform;
using Tolm::Buffer;
using Tolm::TolmAppBase;

namespace {

struct Field
{
    int value;
    int bits;
};

// Short and long event headers with their update delta.
std::vector<Field> Short(int delta, int command)
{
    return {{delta, 4}, {1, 1}, {command, 1}};
}
std::vector<Field> Long(int delta, int command)
{
    return {{delta, 4}, {0, 1}, {command, 5}};
}
std::vector<Field> operator+(std::vector<Field> a, const std::vector<Field>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The fields of the stream as they were written, each read back with its width (unsigned).
void ExpectFields(const Buffer& stream, const std::vector<Field>& fields)
{
    Buffer copy;
    copy.SetData(stream.GetDataPtr(), stream.GetDataLen());
    int64_t bits = 0;
    for (size_t i = 0; i < fields.size(); ++i) {
        int mask = fields[i].bits == 32 ? -1 : (1 << fields[i].bits) - 1;
        EXPECT_EQ(copy.ReadBits(fields[i].bits, false), fields[i].value & mask) << "field " << i;
        bits += fields[i].bits;
    }
    EXPECT_EQ(stream.GetDataLen(), (bits + 7) / 8) << "nothing more was written";
}

class DemoStreamTest : public testing::Test
{
protected:
    DemoStreamTest()
    {
        Platform::SetClock(&clock);
        recorder.recordingDemo = true;
        // Written when the recorder goes: into the test's folder, not the working folder.
        recorder.demoFileName = temp.Path() + "stream.dmo";
        recorder.registryKey = "Test Company\\DemoStream";
        setenv("XDG_CONFIG_HOME", (temp.Path() + "config").c_str(), 1);
    }
    ~DemoStreamTest() override
    {
        unsetenv("XDG_CONFIG_HOME");
        Platform::SetClock(nullptr);
    }

    void Handle(uint32_t message, WParam wParam, LParam lParam)
    {
        recorder.deferredMessages.push_back({0, message, wParam, lParam});
        recorder.ProcessDeferredMessages(false);
    }
    void MouseAt(uint32_t message, int x, int y) { Handle(message, 0, MakeLParam(x, y)); }

    // A second application plays the recorded stream, with a probe under the whole screen.
    std::unique_ptr<TolmAppBase> Player(const Buffer& stream)
    {
        auto player = std::make_unique<TolmAppBase>();
        player->playingDemo = true;
        player->registryKey = recorder.registryKey;
        player->demoBuffer.SetData(stream.GetDataPtr(), stream.GetDataLen());
        player->widgetManager->SetMouseMapping(Tolm::Rect(0, 0, 800, 600), Tolm::Rect(0, 0, 800, 600));
        probe = std::make_unique<Probe>(trace, "P", 0, 0, 800, 600);
        player->widgetManager->AddWidget(probe.get());
        player->widgetManager->SetFocus(probe.get());
        trace.clear();
        return player;
    }
    // The player's input events up to the update, one update at a time.
    void PlayUntil(TolmAppBase& player, int lastUpdate)
    {
        for (; player.updateCount <= lastUpdate; ++player.updateCount) {
            player.PlayDemoEvents();
        }
    }

    TempFolder temp;
    ManualClock clock{uint64_t(5000) * 1000000};
    TolmAppBase recorder;
    Trace trace;
    std::unique_ptr<Probe> probe;
};

TEST_F(DemoStreamTest, GapsLongerThanFifteenUpdatesAreBridgedByFillers)
{
    recorder.updateCount = 40;
    Handle(WM_KEYDOWN, 'A', 0);
    recorder.updateCount = 41;
    Handle(WM_KEYUP, 'A', 0);
    ExpectFields(recorder.demoBuffer, Long(15, 31) + Long(15, 31) + Long(10, 3) + std::vector<Field>{{65, 8}} +
                                          Long(1, 4) + std::vector<Field>{{65, 8}});

    auto player = Player(recorder.demoBuffer);
    PlayUntil(*player, 39);
    EXPECT_TRUE(trace.empty()) << "fillers do nothing";
    PlayUntil(*player, 41);
    EXPECT_EQ(trace, (Trace{"P keydown 65", "P keyup 65"}));
}

TEST_F(DemoStreamTest, MouseMovesAreRelativeWithinThirtyOneAndAbsoluteBeyond)
{
    MouseAt(WM_MOUSEMOVE, 31, 31);
    MouseAt(WM_MOUSEMOVE, 62, 0);
    MouseAt(WM_MOUSEMOVE, 94, 0);
    MouseAt(WM_MOUSEMOVE, 94, 32);
    MouseAt(WM_MOUSEMOVE, 94, 32);
    // The first position also finds the mouse entering the window.
    ExpectFields(recorder.demoBuffer, Short(0, 0) + std::vector<Field>{{31, 6}, {31, 6}} + Long(0, 7) + Short(0, 0) +
                                          std::vector<Field>{{31, 6}, {-31, 6}} + Long(0, 0) +
                                          std::vector<Field>{{94, 12}, {0, 12}} + Long(0, 0) +
                                          std::vector<Field>{{94, 12}, {32, 12}});

    auto player = Player(recorder.demoBuffer);
    PlayUntil(*player, 0);
    EXPECT_EQ(trace, (Trace{"P enter", "P move 31,31", "P move 62,0", "P move 94,0", "P move 94,32"}));
}

TEST_F(DemoStreamTest, ButtonsCarryTheirSignedClickCounts)
{
    struct Case
    {
        uint32_t message;
        int down;
        int code;
    };
    const Case cases[] = {
        {WM_LBUTTONDOWN, 1, 1}, {WM_LBUTTONUP, 0, 1},     {WM_LBUTTONDBLCLK, 1, 2}, {WM_RBUTTONDOWN, 1, 7},
        {WM_RBUTTONUP, 0, 7},   {WM_RBUTTONDBLCLK, 1, 6}, {WM_MBUTTONDOWN, 1, 3},   {WM_MBUTTONUP, 0, 3},
    };
    std::vector<Field> expected;
    for (const Case& c : cases) {
        MouseAt(c.message, 0, 0);
        expected = expected + Short(0, 1) + std::vector<Field>{{c.down, 1}, {c.code, 3}};
        if (expected.size() == 5) {
            expected = expected + Long(0, 7);
        }
    }
    MouseAt(WM_MBUTTONDBLCLK, 0, 0);
    ExpectFields(recorder.demoBuffer, expected);

    auto player = Player(recorder.demoBuffer);
    PlayUntil(*player, 0);
    // The probe names the buttons 0 left, 1 right, 2 middle, with the click count apart.
    // As live, the position goes to the widgets before each button: with a button held it is a drag.
    EXPECT_EQ(trace,
              (Trace{"P enter", "P move 0,0", "P down 0,0 b0 c1", "P drag 0,0", "P up 0,0 b0 c1", "P down 0,0 b0 c2",
                     "P drag 0,0", "P down 0,0 b1 c1", "P drag 0,0", "P up 0,0 b1 c1", "P drag 0,0", "P down 0,0 b1 c2",
                     "P drag 0,0", "P down 0,0 b2 c1", "P drag 0,0", "P up 0,0 b2 c1"}));
}

TEST_F(DemoStreamTest, KeysCharactersWheelWindowAndQuitEvents)
{
    Handle(WM_SYSKEYDOWN, VK_MENU, 0);
    Handle(WM_SYSKEYUP, VK_MENU, 0);
    Handle(WM_CHAR, 'q', 0);
    Handle(WM_MOUSEWHEEL, WParam(uint32_t(-240) << 16), 0);
    Handle(WM_SIZE, SIZE_MINIMIZED, 0);
    Handle(WM_SIZE, 0, 0);
    Handle(WM_ACTIVATEAPP, 0, 0);
    Handle(WM_CLOSE, 0, 0);
    ExpectFields(recorder.demoBuffer,
                 Long(0, 3) + std::vector<Field>{{18, 8}} + Long(0, 4) + std::vector<Field>{{18, 8}} + Long(0, 5) +
                     std::vector<Field>{{0, 1}, {'q', 8}} + Long(0, 21) + std::vector<Field>{{-2, 8}} + Long(0, 2) +
                     std::vector<Field>{{1, 8}} + Long(0, 2) + std::vector<Field>{{0, 8}} + Long(0, 1) +
                     std::vector<Field>{{0, 1}} + Long(0, 6));

    auto player = Player(recorder.demoBuffer);
    PlayUntil(*player, 0);
    EXPECT_EQ(trace, (Trace{"P keydown 18", "P keyup 18", "P char 113", "P wheel -2", "P lostfocus", "P gotfocus",
                            "P lostfocus"}))
        << "minimised, restored, deactivated";
    EXPECT_FALSE(player->minimized);
    EXPECT_FALSE(player->hasFocus);
    EXPECT_TRUE(player->shutDown) << "the quit event ends the program";
}

TEST_F(DemoStreamTest, PositionsOutsideTheWindowReplayWhereTheyWere)
{
    MouseAt(WM_MOUSEMOVE, -5, 700);
    MouseAt(WM_MOUSEMOVE, -5000, 9000);
    ExpectFields(recorder.demoBuffer, Long(0, 0) + std::vector<Field>{{-5, 12}, {700, 12}} + Long(0, 7) + Long(0, 0) +
                                          std::vector<Field>{{-2048, 12}, {2047, 12}});
    auto player = Player(recorder.demoBuffer);
    player->updateCount = 0;
    player->PlayDemoEvents();
    EXPECT_EQ(player->demoMouseX, -2048);
    EXPECT_EQ(player->demoMouseY, 2047);
}

TEST_F(DemoStreamTest, AWideCharacterReplaysItsLowByte)
{
    Buffer stream;
    stream.WriteBits(0, 4);
    stream.WriteBits(0, 1);
    stream.WriteBits(5, 5);
    stream.WriteBits(1, 1);
    stream.WriteBits(0x1E9, 16);
    auto player = Player(stream);
    PlayUntil(*player, 0);
    EXPECT_EQ(trace, (Trace{"P char -23"})) << "0xE9 as a signed char";
}

TEST_F(DemoStreamTest, OperationsRecordTheirResultsAndPlaybackReturnsThem)
{
    std::ofstream(temp.Path() + "hello.txt") << "hi!";
    Buffer contents;
    ASSERT_TRUE(recorder.ReadFileToBuffer(temp.Path() + "hello.txt", contents, false));
    EXPECT_FALSE(recorder.ReadFileToBuffer(temp.Path() + "missing.txt", contents, false));
    EXPECT_TRUE(recorder.ReadFileToBuffer(temp.Path() + "hello.txt", contents, true)) << "not recorded";
    EXPECT_TRUE(recorder.FileExists(temp.Path() + "hello.txt"));
    EXPECT_TRUE(recorder.WriteRegistryInt("Value", 0x01020304));
    int value = 0;
    EXPECT_TRUE(recorder.ReadRegistryInt("Value", value));
    EXPECT_FALSE(recorder.ReadRegistryInt("Missing", value));
    std::string text = "clip";
    recorder.SyncDemoString(text);
    uint8_t flag = 2;
    recorder.SyncDemoByte(flag);
    ExpectFields(recorder.demoBuffer,
                 Long(0, 15) + std::vector<Field>{{1, 1}, {3, 32}, {'h', 8}, {'i', 8}, {'!', 8}} + Long(0, 15) +
                     std::vector<Field>{{0, 1}} + Long(0, 14) + std::vector<Field>{{1, 1}} + Long(0, 12) +
                     std::vector<Field>{{1, 1}} + Long(0, 11) +
                     std::vector<Field>{{1, 1}, {4, 32}, {4, 32}, {4, 8}, {3, 8}, {2, 8}, {1, 8}} + Long(0, 11) +
                     std::vector<Field>{{0, 1}} + Long(0, 18) +
                     std::vector<Field>{{6, 32}, {4, 8}, {0, 8}, {'c', 8}, {'l', 8}, {'i', 8}, {'p', 8}} + Long(0, 18) +
                     std::vector<Field>{{1, 32}, {1, 8}});

    // Playback answers from the stream, whatever the disk and the registry hold now.
    std::remove((temp.Path() + "hello.txt").c_str());
    auto player = Player(recorder.demoBuffer);
    Buffer replayed;
    ASSERT_TRUE(player->ReadFileToBuffer("anything", replayed, false));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(replayed.GetDataPtr()), size_t(replayed.GetDataLen())), "hi!");
    EXPECT_FALSE(player->ReadFileToBuffer("anything", replayed, false));
    EXPECT_TRUE(player->FileExists("gone"));
    EXPECT_TRUE(player->WriteRegistryInt("Elsewhere", 1));
    value = 0;
    EXPECT_TRUE(player->ReadRegistryInt("Elsewhere", value));
    EXPECT_EQ(value, 0x01020304);
    EXPECT_FALSE(player->ReadRegistryInt("Value", value));
    std::string replayedText = "live";
    player->SyncDemoString(replayedText);
    EXPECT_EQ(replayedText, "clip");
    uint8_t replayedFlag = 0;
    player->SyncDemoByte(replayedFlag);
    EXPECT_EQ(replayedFlag, 1) << "kept in step as a boolean";
    EXPECT_EQ(player->demoNextEventUpdate, 0);
}

TEST_F(DemoStreamTest, AfterTheWindowClosedPlaybackAnswersWithoutTheStream)
{
    auto player = Player(Buffer());
    player->windowClosed = true;
    Buffer contents;
    EXPECT_FALSE(player->ReadFileToBuffer("x", contents, false));
    EXPECT_TRUE(player->FileExists("x"));
    EXPECT_TRUE(player->WriteRegistryInt("x", 1));
    int value = 7;
    EXPECT_FALSE(player->ReadRegistryInt("x", value));
    std::string text = "live";
    player->SyncDemoString(text);
    EXPECT_EQ(text, "live");
    EXPECT_EQ(player->demoBuffer.GetReadPosition(), 0) << "nothing was read";
}

TEST_F(DemoStreamTest, RecordedLengthsAreCheckedBeforeUse)
{
    Buffer stream;
    // A registry value of 8 bytes for a 4-byte buffer, then a key event that must still play.
    stream.WriteBits(0, 4);
    stream.WriteBits(0, 1);
    stream.WriteBits(11, 5);
    stream.WriteBits(1, 1);
    stream.WriteLong(4);
    stream.WriteLong(8);
    stream.WriteLong(-1);
    stream.WriteLong(-1);
    stream.WriteBits(0, 4);
    stream.WriteBits(0, 1);
    stream.WriteBits(3, 5);
    stream.WriteBits(13, 8);
    // A file read claiming a million bytes with three left.
    stream.WriteBits(1, 4);
    stream.WriteBits(0, 1);
    stream.WriteBits(15, 5);
    stream.WriteBits(1, 1);
    stream.WriteLong(1000000);
    stream.WriteBytes(reinterpret_cast<const uint8_t*>("abc"), 3);
    auto player = Player(stream);
    int value = 5;
    EXPECT_FALSE(player->ReadRegistryInt("Value", value));
    EXPECT_EQ(value, 5);
    PlayUntil(*player, 0);
    EXPECT_EQ(trace, (Trace{"P keydown 13"}));
    Buffer contents;
    EXPECT_FALSE(player->ReadFileToBuffer("x", contents, false));
    EXPECT_EQ(contents.GetDataLen(), 0);
    EXPECT_TRUE(player->demoBuffer.AtEnd());
}

TEST_F(DemoStreamTest, ThePaddingAfterTheLastEventIsNoEvent)
{
    Handle(WM_KEYDOWN, 'B', 0);
    // 18 bits: the last byte is padded with six zero bits, which would read as a long header.
    ASSERT_EQ(recorder.demoBuffer.GetDataLen(), 3);
    auto player = Player(recorder.demoBuffer);
    PlayUntil(*player, 3);
    EXPECT_EQ(trace, (Trace{"P keydown 66"}));
    EXPECT_EQ(player->demoNextEventUpdate, 0) << "the logic stops at the last event's update";
}

} // namespace
