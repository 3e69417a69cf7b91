// The busiest frame of play, in software on one thread, beside a memcpy of the 800 x 600 screen, and SDL2
// and pixman compositing the same pictures in the same run. Read the figures as ratios against the 10 ms
// of one update.
//
// A frame is what the game screen does once per update: core time on by 10 ms, the update passes, the
// ticks (dt 1.0) and the draw, onto the opaque screen, of the board (a picture of its tiles and bricks
// drawn once beforehand), the board's effects under and over the bricks, the screen's own effects and the
// global particle layer. Fixed seed, the game's own pictures, fonts and particle effects from the built
// data set. The scenes, measured on the frames of their peak, each rebuilt from the start between runs:
// - big chain: 30 bricks exploding with their "brick_explode" bursts, 3 lightning streams in flight, and
//   "STAGE COMPLETED" as its letters burst; with its streams: the same and the 30 streams of progress
//   the exploded bricks send to the bar.
// - lightning: 25 streams from the lightning's button, started within 1.2 s as the board starts them,
//   at the frames where most of them are in flight at once.
// The references draw, onto the same screen, the board picture and then every picture our frame drew at
// that point (particles, letters, brick cels, each stream's two strips and its droplet) as
// support/DrawLog.h plays a frame. SDL2 and pixman lay each stream's strip down whole and straight, which
// is not the same work; Mesa's llvmpipe (support/MesaReplay.h) draws the strips' own triangles into a
// screen of its own, as ours does. The frames are drawn into the 2D display's screen image as well, in 32
// bits and in 5-6-5, as the game draws on a display without 3D (support/SurfaceScreen.h).
#include "app/TolmAppBase.h"
#include "bricks/BrickBase.h"
#include "bricks/BrickHelper.h"
#include "bricks/GfxBrickEffects.h"
#include "core/CoreTimer.h"
#include "core/PakInterface.h"
#include "core/Random.h"
#include "effects/GfxManager.h"
#include "effects/GlobalParticles.h"
#include "gameeffects/GfxFluids.h"
#include "gameeffects/GfxParticledText.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "hud/GfxTimerFluids.h"
#include "hud/TimerPanel.h"
#include "resources/ResourceLookups.h"
#include "resources/ResourceManager.h"
#include "support/DrawLog.h"
#include "support/MesaReplay.h"
#include "support/SurfaceScreen.h"

#include <SDL.h>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstring>
#include <memory>
#include <vector>

using namespace Tolm;

namespace {

constexpr int ScreenWidth = 800;
constexpr int ScreenHeight = 600;
constexpr int Cell = 36;
constexpr int OriginX = 112;
constexpr int OriginY = 70;
constexpr float SourceX = 398;
constexpr float SourceY = 536;
// Frames measured per build of a scene.
constexpr int MeasuredFrames = 5;

class FrameTime : public CoreTimeSource
{
public:
    int GetUpdateCount() const override { return 0; }
    double GetCoreTime() const override { return coreTime; }
    double coreTime = 0;
};

float CentreX(int x)
{
    return float(OriginX + x * Cell + Cell / 2);
}

float CentreY(int y)
{
    return float(OriginY + y * Cell + Cell / 2);
}

// The data set, the board picture and the screen, made once.
struct Game
{
    Game()
    {
        app.width = ScreenWidth;
        app.height = ScreenHeight;
        loaded = GetSharedPakInterface()->AddPakFile(std::string(QUENDARA_BUILD_FOLDER) + "/main.pak");
        for (const char* manifest : {"properties\\resources.xml", "properties\\field.xml", "properties\\blocks.xml",
                                     "properties\\fonts.xml"}) {
            loaded = loaded && app.resourceManager->ParseResourcesFile(manifest);
        }
        for (const char* group : {"Common", "Field", "Blocks", "Fonts"}) {
            loaded = loaded && app.resourceManager->LoadGroup(group);
        }
        ShutdownCore();
        SetCoreTimeSource(&time);
        TickCore();
        screen.Create(ScreenWidth, ScreenHeight);
        screen.ForceAlphaFlags(false, false);
        board.Create(ScreenWidth, ScreenHeight);
        DrawBoard();
    }

    void DrawBoard()
    {
        Graphics g(&board);
        g.SetColor(Color(24, 22, 40));
        g.FillRect(0, 0, ScreenWidth, ScreenHeight);
        for (int y = 0; y < 12; ++y) {
            for (int x = 0; x < 16; ++x) {
                g.DrawImage(GetImageById("FIELD_CELL_SIMPLE"), OriginX + x * Cell, OriginY + y * Cell);
                Image* brick = nullptr;
                if (GetBrickImage(1 + (x * 7 + y * 3) % 8, brick)) {
                    g.DrawImageFrame(brick, OriginX + x * Cell, OriginY + y * Cell, 0);
                }
            }
        }
        board.ForceAlphaFlags(false, false);
    }

    bool Ready(benchmark::State& state) const
    {
        if (!loaded) {
            state.SkipWithError("the data set was not found; build it first");
        }
        return loaded;
    }

    TolmAppBase app;
    FrameTime time;
    bool loaded = false;
    MemoryImage board;
    MemoryImage screen;
};

Game& GetGame()
{
    static Game game;
    return game;
}

// The effect lists of the board and the screen with the particle layer, stepped and drawn as the game
// screen does in one frame.
class Scene
{
public:
    Scene()
    {
        delete GlobalParticles::RegisteredInstance();
        GlobalParticles::Instance();
        TimerPanel::Instance();
        SeedRandom(1);
    }
    ~Scene()
    {
        delete GlobalParticles::RegisteredInstance();
        delete TimerPanel::RegisteredInstance();
    }

    void Step()
    {
        Game& game = GetGame();
        game.time.coreTime += 1;
        TickCore();
        GlobalParticles* global = GlobalParticles::Instance();
        lower.UpdateEffects();
        upper.UpdateEffects();
        global->UpdateEffects();
        own.UpdateEffects();
        lower.TickEffects(1);
        upper.TickEffects(1);
        own.TickEffects(1);
        global->Tick(1);
    }
    void Draw(Graphics& g)
    {
        g.DrawImage(&GetGame().board, 0, 0);
        lower.DrawEffects(g);
        upper.DrawEffects(g);
        own.DrawEffects(g);
        GlobalParticles::Instance()->Draw(g);
    }
    void Frame(Graphics& g)
    {
        Step();
        Draw(g);
    }

    GfxManager lower;
    GfxManager upper;
    GfxManager own;
    // Lightning streams in flight over the measured frames.
    int streamsInFlight = 0;
};

// 30 cells of a long chain explode, three lightning streams set off, and "STAGE COMPLETED" has faded in
// and held: its letters burst four frames after the measured frames start.
std::unique_ptr<Scene> BigChain(bool withProgressStreams)
{
    auto scene = std::make_unique<Scene>();
    scene->own.AddEffect(new GfxParticledText("STAGE COMPLETED", GetFontById("FONT_BOARD_TEXT"), 400, 300), false);
    for (int k = 0; k < 245; ++k) {
        scene->Step();
    }
    for (int i = 0; i < 30; ++i) {
        const int x = 1 + i % 14;
        const int y = 3 + i / 14 * 2;
        SpawnGlobalParticles("brick_explode", int(CentreX(x)), int(CentreY(y)));
        scene->lower.AddEffect(new GfxBrickExplode(int(CentreX(x)), int(CentreY(y)), BrickBase(1 + i % 8)), false);
        if (withProgressStreams) {
            AddGlobalEffect(new GfxTimerFluids(int(CentreX(x)), int(CentreY(y)), 1), false);
        }
    }
    for (const auto& [x, y] : {std::pair{2, 1}, std::pair{8, 0}, std::pair{14, 2}}) {
        scene->upper.AddEffect(new GfxFluids(SourceX, SourceY, CentreX(x), CentreY(y), nullptr), false);
    }
    for (int k = 0; k < 4; ++k) {
        scene->Step();
    }
    return scene;
}

// Streams to 25 cells with their start delays, in the board's order of draws; ticked up to the first of
// the frames where the most are in flight.
std::unique_ptr<Scene> Lightning()
{
    auto scene = std::make_unique<Scene>();
    struct Span
    {
        int first;
        int last;
    };
    std::vector<Span> spans;
    for (int i = 0; i < 25; ++i) {
        const int x = int(RandomBelow(16));
        const int y = int(RandomBelow(12));
        auto* stream = new GfxFluids(SourceX, SourceY, CentreX(x), CentreY(y), nullptr);
        const float delay = RandomFloat(0, 1.2f);
        stream->AddStartDelay(delay);
        // Frames of its delay, then of the front's and the back's runs.
        const int start = int(delay * 100);
        spans.push_back({start, start + int(2 * stream->curve->ChordLength() / 15)});
        scene->upper.AddEffect(stream, false);
    }
    int peak = 0;
    int most = 0;
    for (int frame = 0; frame < 200; ++frame) {
        const auto flying = std::count_if(spans.begin(), spans.end(), [frame](const Span& s) {
            return s.first <= frame && frame + MeasuredFrames <= s.last;
        });
        if (int(flying) > most) {
            most = int(flying);
            peak = frame;
        }
    }
    for (int k = 0; k < peak; ++k) {
        scene->Step();
    }
    scene->streamsInFlight = most;
    return scene;
}

using SceneMaker = std::unique_ptr<Scene> (*)();

// The board picture and the empty lists: what every frame costs before its effects.
std::unique_ptr<Scene> BoardAlone()
{
    return std::make_unique<Scene>();
}

std::unique_ptr<Scene> BigChainAlone()
{
    return BigChain(false);
}

std::unique_ptr<Scene> BigChainWithStreams()
{
    return BigChain(true);
}

// The scene's frames, each drawn by `draw` (scene, target); the scene is built afresh, untimed, every
// MeasuredFrames frames.
template <typename Draw>
void Frames(benchmark::State& state, SceneMaker make, Draw draw)
{
    std::unique_ptr<Scene> scene;
    int frame = MeasuredFrames;
    for (auto _ : state) {
        if (frame == MeasuredFrames) {
            state.PauseTiming();
            scene.reset();
            scene = make();
            frame = 0;
            state.ResumeTiming();
        }
        draw(*scene);
        ++frame;
    }
    if (scene && scene->streamsInFlight > 0) {
        state.counters["streams"] = scene->streamsInFlight;
    }
}

void BM_Frame(benchmark::State& state, SceneMaker make)
{
    Game& game = GetGame();
    if (!game.Ready(state)) {
        return;
    }
    Graphics g(&game.screen);
    Frames(state, make, [&](Scene& scene) {
        scene.Frame(g);
        benchmark::DoNotOptimize(game.screen.bits.get());
    });
}

// The same frames into the display's screen image, after one untimed frame that makes the pictures'
// display-format words.
void BM_FrameOnSurface(benchmark::State& state, SceneMaker make, Platform::SurfaceLayout layout)
{
    Game& game = GetGame();
    if (!game.Ready(state)) {
        return;
    }
    SurfaceScreen surface(game.app, layout);
    if (!surface.Ready(state)) {
        return;
    }
    auto draw = [&](Scene& scene) {
        surface.Frame([&](Image& into) {
            Graphics g(&into);
            scene.Frame(g);
        });
        benchmark::DoNotOptimize(surface.Image().lockDesc.surface);
    };
    draw(*make());
    Frames(state, make, draw);
    state.SetLabel("into the display's screen image");
}

void BM_Memcpy(benchmark::State& state)
{
    std::vector<uint32_t> from(std::size_t(ScreenWidth) * ScreenHeight, 0xFF102030);
    std::vector<uint32_t> to(from.size());
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), from.size() * sizeof(uint32_t));
        benchmark::ClobberMemory();
    }
}

// A frame's draws as the log wrote them down.
struct Recording
{
    std::vector<DrawLog::Sprite> sprites;
    std::vector<DrawLog::Mesh> meshes;
};

// The frames' draws recorded once, then played by the reference each iteration; replayOf makes a
// reference's player of one recording.
template <typename ReplayOf>
void Reference(benchmark::State& state, SceneMaker make, ReplayOf replayOf)
{
    Game& game = GetGame();
    if (!game.Ready(state)) {
        return;
    }
    std::vector<Recording> frames;
    {
        std::unique_ptr<Scene> scene = make();
        for (int k = 0; k < MeasuredFrames; ++k) {
            DrawLog log(ScreenWidth, ScreenHeight);
            Graphics g(&log);
            scene->Frame(g);
            frames.push_back({std::move(log.sprites), std::move(log.meshes)});
        }
    }
    std::vector<decltype(replayOf(frames.front()))> replays;
    for (const Recording& recording : frames) {
        replays.push_back(replayOf(recording));
    }
    std::size_t sprites = 0;
    int frame = 0;
    for (auto _ : state) {
        replays[std::size_t(frame)]->Draw();
        sprites += frames[std::size_t(frame)].sprites.size();
        frame = (frame + 1) % MeasuredFrames;
        benchmark::DoNotOptimize(game.screen.bits.get());
    }
    state.counters["sprites"] = double(sprites) / double(std::max<int64_t>(state.iterations(), 1));
}

void BM_FrameSdl(benchmark::State& state, SceneMaker make)
{
    Reference(state, make, [](const Recording& recording) {
        return std::make_unique<SdlReplay>(recording.sprites, GetGame().screen);
    });
}

void BM_FramePixman(benchmark::State& state, SceneMaker make)
{
    Reference(state, make, [](const Recording& recording) {
        return std::make_unique<PixmanReplay>(recording.sprites, GetGame().screen);
    });
}

// llvmpipe draws the meshes' own triangles, the same work as ours, into a screen of its own.
void BM_FrameMesa(benchmark::State& state, SceneMaker make)
{
    MesaContext context(ScreenWidth, ScreenHeight, OSMESA_BGRA, GL_UNSIGNED_BYTE);
    if (!context.Ready()) {
        state.SkipWithError("no OSMesa context");
        return;
    }
    state.SetLabel(context.Name());
    Reference(state, make, [](const Recording& recording) {
        return std::make_unique<MesaReplay>(recording.sprites, recording.meshes);
    });
}

} // namespace

BENCHMARK(BM_Memcpy)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Frame, board_alone, BoardAlone)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_FrameOnSurface, board_alone_x888, BoardAlone, Platform::SurfaceLayout::Xrgb8888)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_FrameOnSurface, board_alone_565, BoardAlone, Platform::SurfaceLayout::Rgb565)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_FrameSdl, board_alone, BoardAlone)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_FramePixman, board_alone, BoardAlone)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Frame, big_chain, BigChainAlone)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_FrameOnSurface, big_chain_x888, BigChainAlone, Platform::SurfaceLayout::Xrgb8888)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_FrameOnSurface, big_chain_565, BigChainAlone, Platform::SurfaceLayout::Rgb565)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_FrameSdl, big_chain, BigChainAlone)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_FramePixman, big_chain, BigChainAlone)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Frame, big_chain_with_progress_streams, BigChainWithStreams)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_FrameOnSurface, big_chain_with_progress_streams_x888, BigChainWithStreams,
                  Platform::SurfaceLayout::Xrgb8888)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_FrameOnSurface, big_chain_with_progress_streams_565, BigChainWithStreams,
                  Platform::SurfaceLayout::Rgb565)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_FrameSdl, big_chain_with_progress_streams, BigChainWithStreams)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_FramePixman, big_chain_with_progress_streams, BigChainWithStreams)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Frame, lightning, Lightning)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_FrameOnSurface, lightning_x888, Lightning, Platform::SurfaceLayout::Xrgb8888)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_FrameOnSurface, lightning_565, Lightning, Platform::SurfaceLayout::Rgb565)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_FrameSdl, lightning, Lightning)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_FramePixman, lightning, Lightning)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_FrameMesa, lightning, Lightning)->Unit(benchmark::kMicrosecond);
