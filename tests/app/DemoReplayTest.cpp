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

// Seeds the game's generator where the game does, when loading is completed.
class ReplayApp : public RecordingApp
{
public:
    void LoadingCompleted() override { SeedRandom(unsigned(updateCount) * 10); }
};

// What one run left behind: the probe's trace without its draws (drawing follows real time), the
// values the reads returned, and where the run ended.
struct RunResult
{
    Trace trace;
    int finalUpdate = 0;
    bool operator==(const RunResult&) const = default;
};

void PrintTo(const RunResult& result, std::ostream* out)
{
    *out << "ended at update " << result.finalUpdate << ":";
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
        result.finalUpdate = app->updateCount;
        app->widgetManager->RemoveWidget(probe.get());
        app.reset();
        probe.reset();
        std::copy_if(trace.begin(), trace.end(), std::back_inserter(result.trace),
                     [](const std::string& line) { return line != "P draw"; });
        return result;
    }

    std::string DemoPath() { return temp.Path() + "run.dmo"; }

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

    RunResult Replay()
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

    RunResult first = Replay();
    EXPECT_EQ(first, recorded);
    RunResult second = Replay();
    EXPECT_EQ(second, recorded);
}

} // namespace
