// A whole run of the application recorded into a demo file and played back from it: the widgets see
// the same events at the same updates, the demo-aware reads give the recorded values although the
// disk, the registry and the clipboard have changed since, and the run ends at the same update.
//
// To replay a game with its board, give the recorder and the player a game whose handler passes the
// demo options on to the framework's, and compare the board's bricks and counters with the trace.
#include "AppFixture.h"
#include "core/Random.h"
#include "platform/Clipboard.h"
#include "platform/FileSystem.h"
#include "platform/Process.h"
#include "platform/SettingsStore.h"
#include "widgets/WidgetProbe.h"

#include <SDL.h>
#include <algorithm>
#include <chrono>
#include <fstream>
#include <thread>

namespace {

// As the game does when loading is completed: reads a setting (the game's open profile), seeds its
// generator, and pauses while it is inactive.
class ReplayApp : public RecordingApp
{
public:
    void LoadingCompleted() override
    {
        ReadRegistryInt("Answer", answerWhenLoaded);
        SeedRandom(unsigned(updateCount) * 10);
    }
    void GotFocus() override
    {
        RecordingApp::GotFocus();
        pausedInactive = false;
    }
    void LostFocus() override
    {
        RecordingApp::LostFocus();
        pausedInactive = true;
    }

    int answerWhenLoaded = -1;
};

// What one run left behind: the probe's trace without its draws (drawing follows real time), the
// values the reads returned, and where the run ended.
struct RunResult
{
    Trace trace;
    int answerWhenLoaded = -1;
    int finalUpdate = 0;
    bool operator==(const RunResult&) const = default;
};

void PrintTo(const RunResult& result, std::ostream* out)
{
    *out << "read " << result.answerWhenLoaded << " when loaded, ended at update " << result.finalUpdate << ":";
    for (const std::string& line : result.trace) {
        if (line != "P update") {
            *out << "\n    " << line;
        }
    }
}

class DemoReplayTest : public AppFixture<ReplayApp>
{
protected:
    ~DemoReplayTest() override { Platform::SetCommandLine(""); }

    void WriteFile(const std::string& text) { std::ofstream(temp.Path() + "data.txt") << text; }

    // Every seventh update the probe reads a file, a registry value and the clipboard, and draws a
    // random number once loading has completed.
    void ReadEverySeventhUpdate(Probe& probe)
    {
        probe.onUpdate = [this, &probe] {
            if (app->updateCount % 7 != 0) {
                return;
            }
            Tolm::Buffer contents;
            bool read = app->ReadFileToBuffer(temp.Path() + "data.txt", contents, false);
            std::string text(reinterpret_cast<const char*>(contents.GetDataPtr()), size_t(contents.GetDataLen()));
            int answer = -1;
            app->ReadRegistryInt("Answer", answer);
            std::string line = std::to_string(app->updateCount) + ": file " + (read ? text : "-") + ", answer " +
                               std::to_string(answer) + ", clipboard " + app->GetClipboardText() + ", exists " +
                               (app->FileExists(temp.Path() + "data.txt") ? "yes" : "no");
            if (app->loadingCompleted) {
                line += ", random " + std::to_string(RandomRange(0, 999));
            }
            probe.trace.push_back(line);
        };
    }

    // In real time: the application's own wait sleeps on the manual clock, which does not wait.
    void AwaitLoadingThread()
    {
        while (!app->loadingThreadDone) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    void RunUntil(int update)
    {
        for (int step = 0; step < 200000 && app->updateCount < update && !app->shutDown; ++step) {
            app->StepMainLoop(nullptr);
        }
    }

    void Push(SDL_Event event)
    {
        event.window.windowID = SDL_GetWindowID(app->mainWindow->SdlWindow());
        SDL_PushEvent(&event);
    }
    void Motion(int x, int y)
    {
        SDL_Event event{};
        event.type = SDL_MOUSEMOTION;
        event.motion.x = x;
        event.motion.y = y;
        Push(event);
    }
    void Button(bool down, Uint8 button, Uint8 clicks, int x, int y)
    {
        SDL_Event event{};
        event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
        event.button.button = button;
        event.button.clicks = clicks;
        event.button.x = x;
        event.button.y = y;
        Push(event);
    }
    void Key(bool down, SDL_Keycode sym, SDL_Scancode scancode)
    {
        SDL_Event event{};
        event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        event.key.keysym.sym = sym;
        event.key.keysym.scancode = scancode;
        Push(event);
    }
    void Text(const char* text)
    {
        SDL_Event event{};
        event.type = SDL_TEXTINPUT;
        std::snprintf(event.text.text, sizeof event.text.text, "%s", text);
        Push(event);
    }
    void Wheel(int notches)
    {
        SDL_Event event{};
        event.type = SDL_MOUSEWHEEL;
        event.wheel.y = notches;
        Push(event);
    }
    void TypeDemoKey(const char* key) { Text(key); }
    // What SDL makes of SIGTERM and SIGINT.
    void Terminate()
    {
        SDL_Event event{};
        event.type = SDL_QUIT;
        SDL_PushEvent(&event);
    }
    // The loop's steps as real time passes, a millisecond each.
    void RunSteps(int steps)
    {
        for (int step = 0; step < steps && !app->shutDown; ++step) {
            clock.Advance(1);
            app->StepMainLoop(nullptr);
        }
    }
    void Close()
    {
        SDL_Event event{};
        event.type = SDL_WINDOWEVENT;
        event.window.event = SDL_WINDOWEVENT_CLOSE;
        Push(event);
    }

    // Starts the application with the command line, a probe over the whole screen and the loading
    // thread, as Start does (without the mouse-poll thread, which only moves the cursor).
    Probe& Launch(const std::string& options, Trace& trace)
    {
        Platform::SetCommandLine("\"/opt/quendara\" " + options + " -demofile=" + DemoPath());
        StartApp();
        if (app->recordingDemo) {
            // The recorded run's window had the focus when it was made, as a desktop gives it; the
            // dummy desktop gives it none, and no activation is recorded for it.
            app->hasFocus = true;
            app->SetActiveState();
        }
        probe = std::make_unique<Probe>(trace, "P", 0, 0, 800, 600);
        app->widgetManager->AddWidget(probe.get());
        app->widgetManager->SetFocus(probe.get());
        ReadEverySeventhUpdate(*probe);
        // The run's own setting: recorded as written, and during playback taken from the demo.
        app->WriteRegistryInt("Answer", 42);
        app->StartLoadingThread();
        return *probe;
    }
    RunResult Finish(Trace& trace)
    {
        RunResult result;
        result.answerWhenLoaded = app->answerWhenLoaded;
        result.finalUpdate = app->updateCount;
        app->widgetManager->RemoveWidget(probe.get());
        app.reset();
        probe.reset();
        std::copy_if(trace.begin(), trace.end(), std::back_inserter(result.trace),
                     [](const std::string& line) { return line != "P draw"; });
        return result;
    }

    std::string DemoPath() { return temp.Path() + "run.dmo"; }

    // Where the event stream starts in the demo file. Before it: magic, version and seed (4 bytes
    // each), the version text (a 16-bit length and its bytes), the marker block (a 32-bit length and its
    // bytes) and the final update count (4 bytes).
    static size_t StreamStart(const std::vector<uint8_t>& file)
    {
        size_t markers = 14 + (file.at(12) | file.at(13) << 8);
        size_t blockLength = file.at(markers) | file.at(markers + 1) << 8 | file.at(markers + 2) << 16;
        return markers + 4 + blockLength + 4;
    }
    std::vector<uint8_t> DemoBytes()
    {
        std::vector<uint8_t> file;
        EXPECT_TRUE(Platform::ReadWholeFile(DemoPath(), file));
        return file;
    }
    size_t StreamLength() { return DemoBytes().size() - StreamStart(DemoBytes()); }
    // The demo file keeps its header and that many bytes of its event stream.
    void CutStream(size_t kept)
    {
        std::vector<uint8_t> file = DemoBytes();
        file.resize(StreamStart(file) + kept);
        std::ofstream(DemoPath(), std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
    }

    RunResult Record()
    {
        WriteFile("first contents");
        Platform::SetClipboardText("copied");
        Trace trace;
        Launch("-record", trace);
        EXPECT_TRUE(app->recordingDemo);
        // Loading then completes at the first update, and every later read draws a random number.
        AwaitLoadingThread();
        RunUntil(5);
        Motion(100, 100);
        RunUntil(20);
        Motion(110, 95);
        Button(true, SDL_BUTTON_LEFT, 1, 110, 95);
        RunUntil(21);
        Motion(400, 300);
        Button(false, SDL_BUTTON_LEFT, 1, 400, 300);
        RunUntil(40);
        Key(true, SDLK_a, SDL_SCANCODE_A);
        Text("a");
        Key(false, SDLK_a, SDL_SCANCODE_A);
        RunUntil(60);
        Button(true, SDL_BUTTON_RIGHT, 2, 400, 300);
        Button(false, SDL_BUTTON_RIGHT, 2, 400, 300);
        RunUntil(61);
        WriteFile("second contents");
        Wheel(-2);
        RunUntil(90);
        Close();
        RunUntil(1000);
        EXPECT_TRUE(app->shutDown);
        return Finish(trace);
    }

    RunResult Replay(const char* demoKey = nullptr)
    {
        // Whatever the disk, the registry and the clipboard hold now, the demo says what they held.
        WriteFile("changed");
        Platform::SetClipboardText("other text");
        Platform::SettingsStore store(temp.Path() + "config/Test Company/TestProduct.registry");
        const uint8_t seven[4] = {7, 0, 0, 0};
        EXPECT_TRUE(store.SetValue("", "Answer", Platform::kRegDword, seven, 4));
        Trace trace;
        Launch("-play", trace);
        EXPECT_TRUE(app->playingDemo);
        Platform::MessagePump::Main().DiscardPending();
        if (demoKey) {
            TypeDemoKey(demoKey);
        }
        // The steps below are counted, and the replay holds its updates until the loading thread is done.
        AwaitLoadingThread();
        RunUntil(1000);
        EXPECT_TRUE(app->shutDown) << "the quit event ends the replay";
        return Finish(trace);
    }

    std::unique_ptr<Probe> probe;
};

TEST_F(DemoReplayTest, AReplayedRunSeesWhatTheRecordedRunSaw)
{
    RunResult recorded = Record();
    ASSERT_TRUE(Platform::Exists(DemoPath()));
    auto has = [&](const std::string& line) {
        return std::find(recorded.trace.begin(), recorded.trace.end(), line) != recorded.trace.end();
    };
    EXPECT_TRUE(has("P down 110,95 b0 c1"));
    EXPECT_TRUE(has("P char 97"));
    EXPECT_TRUE(has("P down 400,300 b1 c2")) << "the right double click";
    EXPECT_TRUE(has("P wheel -2"));
    auto hasStart = [&](const std::string& start) {
        return std::any_of(recorded.trace.begin(), recorded.trace.end(),
                           [&](const std::string& line) { return line.rfind(start, 0) == 0; });
    };
    EXPECT_TRUE(hasStart("7: file first contents, answer 42, clipboard copied, exists yes, random "));
    EXPECT_TRUE(hasStart("63: file second contents, answer 42, clipboard copied, exists yes, random "));
    EXPECT_EQ(recorded.answerWhenLoaded, 42) << "the setting read when loading completed";

    RunResult first = Replay();
    EXPECT_EQ(first, recorded);
    RunResult second = Replay();
    EXPECT_EQ(second, recorded);
}

// The demo keys that jump ahead run the updates back to back and play the events due on the way.
TEST_F(DemoReplayTest, AReplayJumpingToTheEndSeesWhatTheRecordedRunSaw)
{
    RunResult recorded = Record();
    for (const char* key : {"M", "0"}) {
        SCOPED_TRACE(std::string("demo key ") + key);
        EXPECT_EQ(Replay(key), recorded);
    }
}

struct CutDemo
{
    const char* name;
    // Bytes of the stream kept; 0 keeps half of it.
    size_t kept;
    const char* demoKey;
    bool loaded;
};

void PrintTo(const CutDemo& cut, std::ostream* out)
{
    *out << cut.name;
}

class CutDemoReplayTest : public DemoReplayTest, public testing::WithParamInterface<CutDemo>
{};

// A replay that runs out of events stands still at the last one's update, still answering its window:
// what SDL makes of SIGTERM or SIGINT ends it.
TEST_P(CutDemoReplayTest, StandsStillAtItsLastEventUntilTheSignalEndsIt)
{
    const CutDemo& cut = GetParam();
    RunResult recorded = Record();
    CutStream(cut.kept > 0 ? cut.kept : StreamLength() / 2);
    Trace trace;
    Launch("-play", trace);
    Platform::MessagePump::Main().DiscardPending();
    if (cut.demoKey) {
        TypeDemoKey(cut.demoKey);
    }
    AwaitLoadingThread();
    RunSteps(5000);
    int held = app->updateCount;
    RunSteps(1000);
    EXPECT_EQ(app->updateCount, held) << "the logic stands still";
    EXPECT_LT(held, recorded.finalUpdate);
    EXPECT_EQ(app->loadingCompleted, cut.loaded);
    EXPECT_FALSE(app->shutDown);
    Terminate();
    RunSteps(100);
    EXPECT_TRUE(app->shutDown) << "the signal ends the replay";
    Finish(trace);
}

// The stream begins with the display mode (a 10-bit header, two bytes) and the run's setting written
// (a 10-bit header and its outcome bit): 37 bits. Five bytes end within the next header, the
// loading-done event's.
INSTANTIATE_TEST_SUITE_P(Cuts, CutDemoReplayTest,
                         testing::Values(CutDemo{"BeforeLoadingIsDone", 5, nullptr, false},
                                         CutDemo{"InHalf", 0, nullptr, true},
                                         CutDemo{"InHalfFastForwarded", 0, "M", true}),
                         [](const testing::TestParamInfo<CutDemo>& each) { return std::string(each.param.name); });

} // namespace
