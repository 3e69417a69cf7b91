// One whole frame of the game screen in play, drawn by the widget manager into the 800 x 600 screen image
// as the main loop draws it: the backdrop with its lamps, the live board, the screen's effects, the bonus
// panel with its gates, the top panel, the progress panel, the menu and town buttons in their rings, and
// the particle layer over everything. A real game screen on the built data set, fixed seed, sound off.
// The board is full (192 cells, two locked rows, six kinds of brick) and a chain of 32 bricks has been
// dragged and let go: the frame measured is the one where the chain's explosions, particles and streams
// to the progress bar make the most draws. Beside it, in the same run, SDL2 and pixman composite the same
// pictures onto the same screen (support/DrawLog.h), and memcpy copies the screen. The same frame is drawn
// into the 2D display's screen image too, in 32 bits and in 5-6-5, as the game draws it on a display
// without 3D (support/SurfaceScreen.h). Read the figures as ratios and against the 10 ms of one update.
#include "app/TolmAppBase.h"
#include "board/CellBorders.h"
#include "board/FieldLive.h"
#include "board/Solver.h"
#include "core/PakInterface.h"
#include "core/Random.h"
#include "effects/GlobalParticles.h"
#include "graphics/MemoryImage.h"
#include "profile/UserProfile.h"
#include "resources/ResourceManager.h"
#include "screens/GameScreen.h"
#include "support/DrawLog.h"
#include "support/References.h"
#include "support/ScratchFolder.h"
#include "support/SteppedApp.h"
#include "support/SurfaceScreen.h"
#include "support/WholeScreen.h"
#include "widgets/WidgetManager.h"

#include <benchmark/benchmark.h>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

namespace {

constexpr int ScreenWidth = 800;
constexpr int ScreenHeight = 600;
// The chain: rows 3 and 4, along the first and back along the second, all of one kind.
constexpr int ChainRow = 3;
constexpr int ChainKind = 1;
// Updates after the release searched for the frame with the most draws.
constexpr int ChainUpdates = 400;

ScratchFolder userData;

// The application, the game screen entered on a full board, and the chain's peak frame: made once.
class Game
{
public:
    Game()
    {
        app.noSound = true;
        loaded = GetSharedPakInterface()->AddPakFile(std::string(QUENDARA_BUILD_FOLDER) + "/main.pak");
        for (const char* properties : {"properties\\trans.xml", "properties\\game_sets.xml"}) {
            loaded = loaded && app.LoadProperties(properties, true, false);
        }
        for (const char* manifest : {"properties\\resources.xml", "properties\\fonts.xml", "properties\\field.xml",
                                     "properties\\blocks.xml", "properties\\bonus_panel.xml"}) {
            loaded = loaded && app.resourceManager->ParseResourcesFile(manifest);
        }
        for (const char* group : {"Common", "Fonts", "Field", "Blocks", "BonusPanel"}) {
            loaded = loaded && app.resourceManager->LoadGroup(group);
        }
        if (!loaded) {
            return;
        }
        UserProfile::Instance();
        // Every hint and the rules seen: no bubble or window opens over the board.
        UserProfile::SetHintMaskLow(0xFFFFFFFFu);
        UserProfile::SetHintMaskHigh(0x1Fu);
        app.exitNestedLoops = true;
        screen.Create(ScreenWidth, ScreenHeight);
        screen.ForceAlphaFlags(false, false);
        app.widgetManager->screenImage = &screen;
        FindPeak();
    }

    bool Ready(benchmark::State& state) const
    {
        if (!loaded) {
            state.SkipWithError("the data set was not found; build it first");
        }
        return loaded;
    }

    void Draw(Tolm::Image& into) { DrawWholeScreen(*app.widgetManager, into); }

    SteppedApp app;
    bool loaded = false;
    Tolm::MemoryImage screen;
    std::unique_ptr<GameScreen> gameScreen;
    // The peak frame's draws and how many updates after the release it came.
    std::vector<DrawLog::Sprite> peak;
    int peakUpdate = 0;
    int unplayed = 0;

    // A fresh game screen from the same seed: entered, the board appeared and the panels in, the full
    // board laid and the chain let go, then `updates` updates, each followed by `after`.
    void Play(int updates, const std::function<void(int)>& after)
    {
        if (gameScreen) {
            app.widgetManager->RemoveWidget(gameScreen.get());
            gameScreen.reset();
        }
        delete GlobalParticles::RegisteredInstance();
        SeedRandom(7);
        gameScreen = std::make_unique<GameScreen>();
        app.widgetManager->AddWidget(gameScreen.get());
        gameScreen->OnEnter();
        app.Frames(300);
        LayFullBoard(*FieldLive::Instance());
        PlayChain(*FieldLive::Instance());
        for (int update = 1; update <= updates; ++update) {
            app.Frame();
            after(update);
        }
    }

private:
    // Every cell playable, rows 8 and 9 locked; random bricks of six kinds and the chain's two rows of one.
    static void LayFullBoard(FieldLive& field)
    {
        const int kinds[] = {3, 11, 13, 19, 21, 5};
        field.totalLocks = 0;
        field.clearedLocks = 0;
        for (int y = 0; y < kFieldHeight; ++y) {
            for (int x = 0; x < kFieldWidth; ++x) {
                CellBase* cell = field.PutNewCell(x, y, kCellPlayable);
                if (y == 8 || y == 9) {
                    cell->SetFlag(kCellLock1);
                    ++field.totalLocks;
                }
                const bool chained = y == ChainRow || y == ChainRow + 1;
                field.PutNewBrick(x, y, chained ? ChainKind : kinds[RandomBelow(6)]);
                field.GetBrick(x, y)->SetCell(x, y);
            }
        }
        SetCellBorders(field);
        Solver::Instance()->Recount(field);
    }

    void PlayChain(FieldLive& field)
    {
        Tolm::WidgetManager& widgets = *app.widgetManager;
        const auto centreX = [&](int x) { return field.originX + x * field.cellW + field.cellW / 2; };
        const auto centreY = [&](int y) { return field.originY + y * field.cellH + field.cellH / 2; };
        widgets.MouseMove(centreX(0), centreY(ChainRow));
        widgets.MouseDown(centreX(0), centreY(ChainRow), 1);
        for (int x = 1; x < kFieldWidth; ++x) {
            widgets.MouseDrag(centreX(x), centreY(ChainRow));
        }
        for (int x = kFieldWidth - 1; x >= 0; --x) {
            widgets.MouseDrag(centreX(x), centreY(ChainRow + 1));
        }
        widgets.MouseUp(centreX(0), centreY(ChainRow + 1), 1);
    }

    // The updates are deterministic from the seed: a first play counts each frame's draws, a second stops
    // at the frame with the most.
    void FindPeak()
    {
        std::size_t most = 0;
        Play(ChainUpdates, [&](int update) {
            DrawLog log(ScreenWidth, ScreenHeight);
            Draw(log);
            if (log.sprites.size() > most) {
                most = log.sprites.size();
                peakUpdate = update;
            }
        });
        Play(peakUpdate, [](int) {});
        DrawLog log(ScreenWidth, ScreenHeight);
        Draw(log);
        peak = std::move(log.sprites);
        unplayed = log.unplayed;
    }
};

Game& GetGame()
{
    static Game* game = new Game();
    return *game;
}

void Counters(benchmark::State& state, const Game& game)
{
    state.counters["draws"] = double(game.peak.size());
    state.counters["update"] = game.peakUpdate;
}

void BM_Ours(benchmark::State& state)
{
    Game& game = GetGame();
    if (!game.Ready(state)) {
        return;
    }
    for (auto _ : state) {
        game.Draw(game.screen);
        benchmark::DoNotOptimize(game.screen.GetBits());
    }
    Counters(state, game);
    state.counters["unplayed"] = game.unplayed;
    state.SetLabel("the widget manager's whole draw");
}

void BM_OursOnSurface(benchmark::State& state, Platform::SurfaceLayout layout)
{
    Game& game = GetGame();
    if (!game.Ready(state)) {
        return;
    }
    SurfaceScreen surface(game.app, layout);
    if (!surface.Ready(state)) {
        return;
    }
    surface.Measure(state, [&game](Tolm::Image& into) { game.Draw(into); });
    Counters(state, game);
    state.SetLabel("the widget manager's whole draw into the display's screen image");
}

template <typename Replay>
void Reference(benchmark::State& state, const char* label)
{
    Game& game = GetGame();
    if (!game.Ready(state)) {
        return;
    }
    Replay replay(game.peak, game.screen);
    for (auto _ : state) {
        replay.Draw();
        benchmark::DoNotOptimize(game.screen.GetBits());
    }
    Counters(state, game);
    state.SetLabel(label);
}

// The update that leads into the measured frame: the board, its chain and effects, the panels, the
// particle layer. The game is played afresh up to the update before, untimed, each time.
void BM_Update(benchmark::State& state)
{
    Game& game = GetGame();
    if (!game.Ready(state)) {
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        game.Play(game.peakUpdate - 1, [](int) {});
        state.ResumeTiming();
        game.app.Frame();
    }
    Counters(state, game);
    state.SetLabel("the frame's update");
}

void BM_Sdl(benchmark::State& state)
{
    Reference<SdlReplay>(state, "SDL_BlitSurface, the same pictures");
}

void BM_Pixman(benchmark::State& state)
{
    Reference<PixmanReplay>(state, "pixman, the same pictures premultiplied");
}

void BM_Memcpy(benchmark::State& state)
{
    std::vector<uint32_t> from(std::size_t(ScreenWidth) * ScreenHeight, 0xFF102030);
    std::vector<uint32_t> to(from.size());
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), from.size() * sizeof(uint32_t));
        benchmark::ClobberMemory();
    }
    state.SetLabel("memcpy of the 800 x 600 screen");
}

} // namespace

BENCHMARK(BM_Memcpy)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Ours)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_OursOnSurface, x888, Platform::SurfaceLayout::Xrgb8888)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_OursOnSurface, 565, Platform::SurfaceLayout::Rgb565)->Unit(benchmark::kMicrosecond);
// Each iteration plays the level afresh before the timed update.
BENCHMARK(BM_Update)->Iterations(200)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Sdl)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Pixman)->Unit(benchmark::kMicrosecond);
