// quendara_harness: the real game, started in a named state and driven by a script, for the whole-program
// tests that look at a screen and for developers who want a screenshot of one. Test code, not a game
// feature.
//
//   quendara_harness [--state NAME] [--data FOLDER] [--out FOLDER] [--seed N] [--effects]
//                    [--profile "level=N gold=G food=F supplies=S buildings=B hints=LOW,HIGH"]
//                    [--record DEMO | --play DEMO] (--script FILE | --run "COMMANDS") [--follow]
//
// It runs the program as it ships: GameApp with "main.pak" and "config.xml" from the data folder (the
// build folder by default), in an 800 x 600 window, on whatever display SDL is given: the dummy driver
// (SDL_VIDEODRIVER=dummy, headless) or an X server (xvfb-run). Its settings, profiles and screenshots
// folders lie in a temporary folder of its own. Message boxes print to stderr and answer OK.
//
// Time is the program's own: the clock moves 10 ms at each of the main loop's sleeps, so every frame is
// one update, one fractional update and one draw however loaded the machine is, and a script counts
// updates, never seconds. While the loading thread runs, sleeps are real. The window counts as active
// throughout (a headless window never gets the focus, which would pause the game). When loading is done
// the title screen goes, the random generator is seeded (42 unless --seed), and the state machine switches
// to the named state: "Gallery" (the default), the harness's own screen of the game's widgets, "Windows",
// its screen of the panels and the tally, help and hint windows, or any state the game registers
// ("MenuScreen", "TownUpgradeScreen" ...). With --profile the open
// profile is first brought to that level with those totals, its first B buildings built and the hint masks
// (hexadecimal) as given; words left out keep the fresh profile's values. The script starts in the first
// update after the state's
// fade in (which takes every click) has ended; a fade started later holds it again, as it holds a player.
//
// The script: one command a line or several separated by ';', '#' starts a comment. Coordinates are the
// game's 800 x 600 pixels.
//   wait N                    N updates pass
//   until CONDITION [max N]   updates pass until the condition holds (at most N, 1000 by default;
//                             failing that, the run fails). Conditions: window ID (a dialog of that id is
//                             shown), nowindow, visible ID (that dialog is visible: its effect is over),
//                             state NAME (the top state)
//   move X Y                  the mouse to the point
//   press X Y [right|middle]  a button down there (left by default); release X Y [...]; click X Y [...]
//   drag X1 Y1 X2 Y2 [STEPS]  the left button down at the first point, moved to the second in STEPS
//                             updates (10 by default), released there
//   key NAME                  a key down and up, by SDL's name ("Escape", "Return", "F1", "Tab",
//                             "Delete", "Keypad +", "a"); keydown NAME, keyup NAME
//   type TEXT                 the characters of the rest of the line
//   shot FILE                 the screen, once drawn, as a PNG in the output folder (--out, "." by default)
//   report                    writes "report update=N", then "state NAME", one "closed ID TYPE result=R"
//                             per window closed since the last report (R as it was in the window's last
//                             update), one "window ID TYPE result=R modal=M visible=V" per dialog shown, "focus TYPE",
//                             "screen window" or "screen full" (the display), "display 2d|3d present
//                             opengl|software" (how frames reach the window), "mouse X Y over TYPE" (the widget
//                             under the mouse), "charges H B L M D armed ID" (while the game has its
//                             bonus panel), "sounds ..." (the sound ids played
//                             since the last report), "music ..." (the music calls since then), "level N",
//                             "totals GOLD FOOD SUPPLIES SCORE" (the profile's) and, while a board is
//                             played, the board as "row ..." lines of two characters a slot (the
//                             board tests' characters: a-j gold, k-r food, s-z supplies, 1-5 tools, '+'
//                             the live bonus, '.' none; then ' ', '1' or '2' locks); while recording a
//                             demo, last "demo stream N bytes" (the events recorded so far)
//   effects on|off            windows play their appear and disappear effects (as on a 3D display) or not
//   show NAME                 after this update, shows a game window as the game would: "confirm" (the
//                             new-game question), "continue", "inform" (the profile message, without
//                             effects), "options", "pause" or "people" (a test person); the script goes on
//                             from inside its wait
//   cursor NAME               the game's cursor becomes "pointer", "bomb", "hamer" or "destroy"
//   charges H B L M D         the bonus tools' charges (hammer, bomb, lightning, mixer, destroy; a negative
//                             one stays), then the gates open, as when a restored level shows; the run fails
//                             without a bonus panel
//   fade                      a screen fade in starts (black at first); the script goes on at once, and
//                             the screen's next drawing shows it, though later commands wait for its end
//   echo TEXT                 prints the text as a line of its own
//   quit                      ends the program; the end of the script does too
//   crash                     an access violation on the main thread: the crash catcher writes its report
//                             and shows its windows (this program serves them), then the program ends
//   crash-beside-busy-loop    the same on a thread of its own while the main loop is held busy for good
// Input is handed to SDL's event queue, so it travels the program's own way: the window procedure, the
// message queue, the widget manager. What a command causes happens in the updates after it: "click"
// then "wait 1" sees the click handled. A click that opens a modal window goes on running the script
// from inside the window's wait, as the game itself runs there.
//
// With --follow, the end of the script does not end the program: further commands are read from standard
// input, a line at a time, as they come, and the end of the input ends it. The game's time stands still
// while the harness waits for a line, so a program can read a report, think, and answer with the next
// moves (as the e2e tests' board solver does); "echo TEXT" prints the text, to mark where an answer ends.
//
// With --record the run is recorded from its start into the demo file DEMO, written when the program ends;
// the script's end (or "quit") then closes the window, so that the demo ends with its quit. With --play
// the run is the demo's: the script's input goes the program's way but the replay does not act on it,
// except for the demo keys ("0", "M", "N" catch up), its reports show the replayed game, and the demo's
// own quit ends the program (the script's end does not). A replay whose logic stands still while it
// draws a hundred frames (its demo ran out) prints "replay held at update N" once.
//
// Exit code: 0 when the script ran through, 1 when a command failed, 2 for bad options or a bad script.
#include "Gallery.h"
#include "Script.h"
#include "ShownWindows.h"
#include "WindowsGallery.h"
#include "app/GameStateManager.h"
#include "board/BonusPanel.h"
#include "board/FieldLive.h"
#include "core/Random.h"
#include "core/StringUtils.h"
#include "diagnostics/CrashCatcher.h"
#include "game/GameApp.h"
#include "game/TitleScreen.h"
#include "gamewidgets/BaseCursor.h"
#include "gamewidgets/CursorPointer.h"
#include "gamewidgets/CustomCursor.h"
#include "graphics/ImageLib.h"
#include "graphics/MemoryImage.h"
#include "platform/Clock.h"
#include "platform/ExceptionFilter.h"
#include "platform/FileSystem.h"
#include "platform/MessageBox.h"
#include "platform/ScreenPresenter.h"
#include "platform/Window.h"
#include "profile/UserProfile.h"
#include "resources/ResourceManager.h"
#include "support/BoardText.h"
#include "support/MusicRecorder.h"
#include "support/SoundRecorder.h"
#include "support/TempFolder.h"
#include "support/TestResources.h"
#include "town/Town.h"
#include "widgets/Dialog.h"
#include "widgets/FullscreenFadder.h"
#include "widgets/WidgetManager.h"
#include "windows/BaseWindow.h"
#include "windows/InformWindow.h"

#include <SDL.h>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cxxabi.h>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <sstream>
#include <thread>
#include <typeinfo>

namespace {

// Moves 10 ms at each sleep of the main loop; really sleeps too until the game has loaded, so that the
// loading thread gets the processor.
class HarnessClock : public Platform::Clock
{
public:
    uint32_t Milliseconds() override { return uint32_t(now.load() / 1000000); }
    uint64_t Nanoseconds() override { return now.load(); }
    void Sleep(uint32_t milliseconds) override
    {
        now += uint64_t(milliseconds) * 1000000;
        if (!loaded) {
            std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
        }
    }

    std::atomic<bool> loaded{false};

private:
    std::atomic<uint64_t> now{uint64_t(1000) * 1000000000};
};

struct ErrorsToStderr : Platform::MessageBoxSink
{
    int Show(Platform::WindowHandle, const std::string& text, const std::string& caption, uint32_t) override
    {
        std::fprintf(stderr, "message box: %s: %s\n", caption.c_str(), text.c_str());
        return Platform::IDOK;
    }
};

struct Options
{
    std::string state = "Gallery";
    std::string data = QUENDARA_BUILD_FOLDER;
    std::string out = ".";
    std::string script;
    unsigned seed = 42;
    bool effects = false;
    bool follow = false;
    std::string profile;
    std::string record;
    std::string play;
};

// "key=value" words: level, gold, food, supplies, buildings (how many, from the first), hints (LOW,HIGH).
bool ApplyProfile(const std::string& words)
{
    std::istringstream text(words);
    for (std::string word; text >> word;) {
        const std::size_t equals = word.find('=');
        const std::string key = word.substr(0, equals);
        const std::string value = equals == std::string::npos ? "" : word.substr(equals + 1);
        const long number = std::strtol(value.c_str(), nullptr, 10);
        if (key == "level") {
            while (UserProfile::GetLevel() < number) {
                UserProfile::AdvanceLevel();
            }
        } else if (key == "gold") {
            UserProfile::AddGold(int(number));
        } else if (key == "food") {
            UserProfile::AddFood(int(number));
        } else if (key == "supplies") {
            UserProfile::AddSupplies(int(number));
        } else if (key == "buildings") {
            for (int id = 0; id < number; ++id) {
                UserProfile::SetBuildingBuilt(id);
            }
        } else if (key == "hints" && value.find(',') != std::string::npos) {
            UserProfile::SetHintMaskLow(uint32_t(std::strtoul(value.c_str(), nullptr, 16)));
            UserProfile::SetHintMaskHigh(uint32_t(std::strtoul(value.c_str() + value.find(',') + 1, nullptr, 16)));
        } else {
            std::fprintf(stderr, "quendara_harness: no profile word \"%s\"\n", word.c_str());
            return false;
        }
    }
    Town::Instance()->RefreshBuilt();
    return true;
}

std::string TypeName(const void* object, const std::type_info& type)
{
    if (!object) {
        return "-";
    }
    int status = 0;
    char* name = abi::__cxa_demangle(type.name(), nullptr, nullptr, &status);
    std::string readable = status == 0 && name ? name : type.name();
    std::free(name);
    return readable;
}

class HarnessApp : public GameApp, public ScriptTarget
{
public:
    // The recorder outlives the application, whose sound manager and resources tell it what they hold.
    HarnessApp(const Options& options, HarnessClock& clock, SoundRecorder& sounds, std::vector<Command> commands)
        : options(options), clock(clock), sounds(sounds), runner(*this, std::move(commands), options.out)
    {
        windowed = true;
        singleInstance = false;
        InstallTestResources(*this, &sounds);
        runner.print = [](const std::string& line) {
            std::printf("%s\n", line.c_str());
            std::fflush(stdout);
        };
        if (options.follow) {
            runner.more = [](std::string& line) { return bool(std::getline(std::cin, line)); };
        }
    }

    // After the initialisation: the game's own sound system is made by it, and the recorders take its
    // place before the loading thread fills it; the display has told its refresh rate, but the harness
    // paces 100 frames a second, one update each, which the clock's 10 ms sleeps keep exact.
    void PrepareForScript()
    {
        refreshRate = 100;
        InstallSoundRecorder(*this, sounds);
        auto recorder = std::make_unique<MusicRecorder>();
        music = recorder.get();
        musicInterface = std::move(recorder);
    }

    bool Failed() const { return runner.Failed() || !started; }

    bool KeepCurrentDirectory(const std::string&) override { return true; }
    // The game's handler passes no demo option on, and reads its command line only once the framework
    // has started: the harness hands its own to the framework's handler where the framework would read
    // them, right after the settings.
    void ReadFromRegistry() override
    {
        GameApp::ReadFromRegistry();
        const std::string& demo = options.record.empty() ? options.play : options.record;
        if (!demo.empty()) {
            TolmAppBase::HandleCommandLineParam(options.record.empty() ? "-play" : "-record", "");
            TolmAppBase::HandleCommandLineParam("-demofile", demo);
        }
    }
    // A window without the focus would pause the game.
    void LostFocus() override {}

    void LoadingCompleted() override
    {
        GameApp::LoadingCompleted();
        if (shutdownRequested) {
            return;
        }
        if (titleScreen) {
            widgetManager->RemoveWidget(titleScreen);
            DeferWidgetDeletion(titleScreen);
            titleScreen = nullptr;
            resourceManager->UnloadGroup("Loading");
        }
        clock.loaded = true;
        ForceWindowEffects(options.effects);
        SeedRandom(options.seed);
        RegisterGallery(stateManager.get(), "Gallery");
        RegisterWindowsGallery(stateManager.get(), "Windows");
        if (!ApplyProfile(options.profile)) {
            Shutdown();
            return;
        }
        GameState* state = stateManager->Find(options.state);
        if (!state) {
            std::fprintf(stderr, "quendara_harness: no state is named \"%s\"\n", options.state.c_str());
            Shutdown();
            return;
        }
        stateManager->Switch(state);
        started = true;
    }

    void Update() override
    {
        KeepActive();
        GameApp::Update();
        NoteClosedWindows();
        if (started && !Fading()) {
            runner.OnUpdate();
        }
        ShowPendingWindow();
    }

    bool Redraw() override
    {
        bool drawn = GameApp::Redraw();
        runner.OnDraw();
        NoteHeldReplay();
        return drawn;
    }

    // ScriptTarget.
    void MouseMove(int x, int y) override
    {
        SDL_Event event{};
        event.type = SDL_MOUSEMOTION;
        event.motion.windowID = WindowId();
        event.motion.x = x;
        event.motion.y = y;
        event.motion.state = buttonsHeld;
        SDL_PushEvent(&event);
    }
    void MouseButton(int x, int y, int button, bool down) override
    {
        SDL_Event event{};
        event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
        event.button.windowID = WindowId();
        event.button.button = Uint8(button);
        event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
        event.button.clicks = 1;
        event.button.x = x;
        event.button.y = y;
        buttonsHeld = down ? buttonsHeld | SDL_BUTTON(button) : buttonsHeld & ~SDL_BUTTON(button);
        SDL_PushEvent(&event);
    }
    bool Key(const std::string& name, bool down) override
    {
        SDL_Keycode key = SDL_GetKeyFromName(name.c_str());
        if (key == SDLK_UNKNOWN) {
            return false;
        }
        SDL_Event event{};
        event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        event.key.windowID = WindowId();
        event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
        event.key.keysym.sym = key;
        event.key.keysym.scancode = SDL_GetScancodeFromKey(key);
        SDL_PushEvent(&event);
        return true;
    }
    void Type(const std::string& text) override
    {
        // One character an event, as a keyboard types them.
        for (char ch : text) {
            SDL_Event event{};
            event.type = SDL_TEXTINPUT;
            event.text.windowID = WindowId();
            event.text.text[0] = ch;
            SDL_PushEvent(&event);
        }
    }
    bool SaveScreen(const std::string& path) override
    {
        Tolm::Image* screen = widgetManager->screenImage;
        auto* memory = dynamic_cast<Tolm::MemoryImage*>(screen);
        const uint32_t* pixels = memory ? memory->GetBits() : nullptr;
        auto shot = pixels ? Tolm::ImageLib::CreateImage(memory->width, memory->height) : nullptr;
        if (!shot) {
            return false;
        }
        // The screen's alpha bits say nothing.
        std::transform(pixels, pixels + int64_t(memory->width) * memory->height, shot->bits.get(),
                       [](uint32_t pixel) { return pixel | 0xFF000000u; });
        return Tolm::ImageLib::WritePNG(path, *shot);
    }
    void Report(std::vector<std::string>& lines) override
    {
        lines.push_back("report update=" + std::to_string(updateCount));
        lines.push_back("state " + TopStateName());
        lines.push_back(std::string("screen ") + (isWindowedNow ? "window" : "full"));
        Platform::Window* window = Platform::Window::Primary();
        Platform::ScreenPresenter* presenter = window ? window->Presenter() : nullptr;
        lines.push_back(std::string("display ") + (Is3DMode() ? "3d" : "2d") + " present " +
                        (!presenter                ? "none"
                         : presenter->UsesOpenGL() ? "opengl"
                                                   : "software"));
        lines.insert(lines.end(), closedWindows.begin(), closedWindows.end());
        closedWindows.clear();
        for (Tolm::Dialog* dialog : dialogList) {
            lines.push_back(WindowLine("window", dialog) + " modal=" + (dialog->IsModal() ? "1" : "0") +
                            " visible=" + (dialog->visible ? "1" : "0"));
        }
        Tolm::Widget* focus = widgetManager->focusWidget;
        lines.push_back("focus " + (focus ? TypeName(focus, typeid(*focus)) : std::string("-")));
        Tolm::Widget* over = widgetManager->overWidget;
        lines.push_back("mouse " + std::to_string(widgetManager->lastMouseX) + " " +
                        std::to_string(widgetManager->lastMouseY) + " over " +
                        (over ? TypeName(over, typeid(*over)) : std::string("-")));
        if (const BonusPanel* panel = BonusPanel::RegisteredInstance()) {
            std::array<float, 5> charges{};
            panel->GetCharges(&charges[0], &charges[1], &charges[2], &charges[3], &charges[4]);
            std::ostringstream line;
            line << "charges";
            for (float charge : charges) {
                line << ' ' << charge;
            }
            lines.push_back(line.str() + " armed " + std::to_string(panel->armed));
        }
        lines.push_back("sounds" + Joined(sounds.Take(), " "));
        lines.push_back("music" + Joined(music ? music->Take() : std::vector<std::string>(), "; "));
        lines.push_back("level " + std::to_string(UserProfile::GetLevel()));
        lines.push_back(Tolm::FormatString("totals %d %d %d %d", UserProfile::GetGold(), UserProfile::GetFood(),
                                           UserProfile::GetSupplies(), UserProfile::GetScore()));
        if (const FieldLive* field = FieldLive::RegisteredInstance()) {
            std::istringstream rows(BoardRows(*field));
            for (std::string row; std::getline(rows, row);) {
                lines.push_back("row " + row);
            }
        }
        if (recordingDemo) {
            lines.push_back("demo stream " + std::to_string(demoBuffer.GetDataLen()) + " bytes");
        }
    }
    bool Holds(const std::vector<std::string>& condition) override
    {
        const std::string& kind = condition[0];
        std::string argument = condition.size() > 1 ? condition[1] : "";
        if (kind == "nowindow") {
            return dialogList.empty();
        }
        if (kind == "state") {
            return TopStateName() == argument;
        }
        Tolm::Dialog* dialog = GetDialog(std::atoi(argument.c_str()));
        return kind == "window" ? dialog != nullptr : kind == "visible" && dialog && dialog->visible;
    }
    void ForceEffects(bool on) override { ForceWindowEffects(on); }
    bool UseCursor(const std::string& name) override
    {
        if (name == "pointer") {
            CustomCursor::Instance()->SetCursor(CursorPointer::Instance());
            return true;
        }
        std::unique_ptr<BaseCursor> cursor;
        if (name == "bomb") {
            cursor = std::make_unique<CursorBomb>();
        } else if (name == "hamer") {
            cursor = std::make_unique<CursorHamer>();
        } else if (name == "destroy") {
            cursor = std::make_unique<CursorDestroy>();
        } else {
            return false;
        }
        CustomCursor::Instance()->SetCursor(cursor.get());
        bonusCursor = std::move(cursor);
        return true;
    }
    bool SetBonusCharges(const std::array<float, 5>& charges) override
    {
        BonusPanel* panel = BonusPanel::RegisteredInstance();
        if (!panel) {
            return false;
        }
        panel->SetCharges(charges[0], charges[1], charges[2], charges[3], charges[4]);
        panel->SetGatesOpen(true);
        return true;
    }
    void StartFadeIn() override { widgetManager->AddWidget(new FullscreenFadder(true)); }
    bool ShowWindow(const std::string& name) override
    {
        static const char* const kNames[] = {"confirm", "continue", "inform", "options", "pause", "people"};
        if (std::find(std::begin(kNames), std::end(kNames), name) == std::end(kNames)) {
            return false;
        }
        pendingWindow = name;
        return true;
    }
    void Quit() override
    {
        if (playingDemo) {
            return;
        }
        if (!recordingDemo) {
            Shutdown();
            return;
        }
        SDL_Event event{};
        event.type = SDL_WINDOWEVENT;
        event.window.event = SDL_WINDOWEVENT_CLOSE;
        event.window.windowID = WindowId();
        SDL_PushEvent(&event);
    }
    // A write through a null pointer the compiler cannot see, as a broken program makes one.
    void Crash() override
    {
        volatile int* volatile nowhere = nullptr;
        *nowhere = 1;
    }
    void CrashBesideABusyLoop() override
    {
        Platform::StartThread([this] { Crash(); }).detach();
        for (;;) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

private:
    // Draws while the logic stands still, not counting a wait for the real loading thread to catch up
    // with the demo's.
    void NoteHeldReplay()
    {
        if (!playingDemo || heldReported) {
            return;
        }
        bool waitingForLoading = demoLoadingDoneSeen && !loadingThreadDone;
        if (updateCount != lastDrawnUpdate || waitingForLoading) {
            lastDrawnUpdate = updateCount;
            drawsWithoutUpdate = 0;
            return;
        }
        if (++drawsWithoutUpdate == kHeldDraws) {
            heldReported = true;
            std::printf("replay held at update %d\n", updateCount);
            std::fflush(stdout);
        }
    }
    // Outside the script's own step, so that the script goes on from inside the window's wait.
    void ShowPendingWindow()
    {
        std::string name;
        std::swap(name, pendingWindow);
        if (name == "inform") {
            ShowInformMessage(Tolm::GetLocalizedText("create_profile"));
        } else if (BaseWindow* window = name.empty() ? nullptr : MakeWindowByName(name)) {
            ShowWindowModal(window, 1, 2);
        }
    }
    static std::string WindowLine(const char* what, Tolm::Dialog* dialog)
    {
        std::string result = dialog->result == Tolm::Dialog::kNoResult ? "none" : std::to_string(dialog->result);
        return std::string(what) + " " + std::to_string(dialog->id) + " " + TypeName(dialog, typeid(*dialog)) +
               " result=" + result;
    }
    // A window leaves the dialog table when it is killed, its result with it: the last line of each while
    // it was shown is kept for the next report.
    void NoteClosedWindows()
    {
        std::map<Tolm::Dialog*, std::string> shown;
        for (Tolm::Dialog* dialog : dialogList) {
            shown[dialog] = WindowLine("closed", dialog);
        }
        for (const auto& [dialog, line] : lastShown) {
            if (!shown.count(dialog)) {
                closedWindows.push_back(line);
            }
        }
        lastShown = std::move(shown);
    }
    void KeepActive()
    {
        if (!active) {
            hasFocus = true;
            minimized = false;
            SetActiveState();
        }
    }
    // The screen's fade in is on; it takes every click.
    bool Fading() const
    {
        const auto& children = widgetManager->GetChildren();
        return std::any_of(children.begin(), children.end(),
                           [](Tolm::Widget* widget) { return dynamic_cast<FullscreenFadder*>(widget) != nullptr; });
    }
    uint32_t WindowId() const { return mainWindow ? SDL_GetWindowID(mainWindow->SdlWindow()) : 0; }
    std::string TopStateName() const
    {
        if (stateManager->stack.empty()) {
            return "-";
        }
        for (const auto& [name, state] : stateManager->registry) {
            if (state == stateManager->stack.back()) {
                return name;
            }
        }
        return "-";
    }
    static std::string Joined(const std::vector<std::string>& items, const char* separator)
    {
        std::string text;
        for (size_t i = 0; i < items.size(); ++i) {
            text += (i == 0 ? " " : separator) + items[i];
        }
        return text;
    }

    const Options& options;
    HarnessClock& clock;
    SoundRecorder& sounds;
    ScriptRunner runner;
    MusicRecorder* music = nullptr;
    uint32_t buttonsHeld = 0;
    bool started = false;
    std::string pendingWindow;
    // The bonus cursor in use, as the bonus panel would own it.
    std::unique_ptr<BaseCursor> bonusCursor;
    std::map<Tolm::Dialog*, std::string> lastShown;
    std::vector<std::string> closedWindows;
    static constexpr int kHeldDraws = 100;
    int lastDrawnUpdate = -1;
    int drawsWithoutUpdate = 0;
    bool heldReported = false;
};

bool ReadOptions(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i) {
        std::string option = argv[i];
        if (option == "--effects") {
            options.effects = true;
            continue;
        }
        if (option == "--follow") {
            options.follow = true;
            continue;
        }
        if (i + 1 >= argc) {
            return false;
        }
        std::string value = argv[++i];
        if (option == "--state") {
            options.state = value;
        } else if (option == "--data") {
            options.data = value;
        } else if (option == "--out") {
            options.out = value;
        } else if (option == "--seed") {
            options.seed = unsigned(std::strtoul(value.c_str(), nullptr, 10));
        } else if (option == "--profile") {
            options.profile = value;
        } else if (option == "--record") {
            options.record = value;
        } else if (option == "--play") {
            options.play = value;
        } else if (option == "--run") {
            options.script = value;
        } else if (option == "--script") {
            std::ifstream file(value);
            std::stringstream text;
            text << file.rdbuf();
            if (!file) {
                std::fprintf(stderr, "quendara_harness: cannot read %s\n", value.c_str());
                return false;
            }
            options.script = text.str();
        } else {
            return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (CrashCatcher::RunCrashWindowProcess(argc, argv)) {
        return 0;
    }
    Options options;
    if (!ReadOptions(argc, argv, options) || (!options.record.empty() && !options.play.empty())) {
        std::fprintf(stderr, "usage: quendara_harness [--state NAME] [--data FOLDER] [--out FOLDER] [--seed N] "
                             "[--effects] [--profile WORDS] [--record DEMO | --play DEMO] (--script FILE | --run "
                             "\"COMMANDS\") [--follow]\n");
        return 2;
    }
    std::vector<Command> commands;
    std::string error;
    if (!ParseScript(options.script, commands, error)) {
        std::fprintf(stderr, "quendara_harness: %s\n", error.c_str());
        return 2;
    }
    std::error_code ignored;
    options.out = std::filesystem::absolute(options.out, ignored).string();
    for (std::string* demo : {&options.record, &options.play}) {
        if (!demo->empty()) {
            *demo = std::filesystem::absolute(*demo, ignored).string();
        }
    }
    TempFolder home;
    setenv("XDG_CONFIG_HOME", (home.Path() + "config").c_str(), 1);
    setenv("XDG_DATA_HOME", (home.Path() + "data").c_str(), 1);
    if (!Platform::SetCurrentFolder(options.data)) {
        std::fprintf(stderr, "quendara_harness: no data folder %s\n", options.data.c_str());
        return 2;
    }
    HarnessClock clock;
    Platform::SetClock(&clock);
    ErrorsToStderr messageBoxes;
    Platform::SetMessageBoxSink(&messageBoxes);
    SoundRecorder sounds;
    auto* app = new HarnessApp(options, clock, sounds, std::move(commands));
    app->Init();
    app->PrepareForScript();
    app->Start();
    bool failed = app->Failed();
    FreeTestPortrait();
    delete app;
    Platform::SetMessageBoxSink(nullptr);
    Platform::SetClock(nullptr);
    return failed ? 1 : 0;
}
