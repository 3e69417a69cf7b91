// One frame of the live board's picture, as the game screen draws it into the 800 x 600 screen image,
// beside SDL2's SDL_BlitSurface drawing the same pictures at the same places in the same run: the cell
// tile of every playable cell and the first cel of every brick (with its alpha modulated where ours is
// faded). Three boards: at rest, in a full fade-in (every cell and brick half faded) and in a full refill
// (every brick half faded and half a cell above its slot). Ours also draws the frame round the board,
// the locks and the effect lists, which SDL's side leaves out; read the figures as ratios.
#include "app/TolmAppBase.h"
#include "board/BoardFactory.h"
#include "board/BrickLiveGfx.h"
#include "board/CellBorders.h"
#include "board/CellGfx.h"
#include "board/FieldActions.h"
#include "bricks/BrickHelper.h"
#include "core/PakInterface.h"
#include "core/Random.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "resources/ResourceLookups.h"
#include "resources/ResourceManager.h"
#include "support/References.h"

#include <SDL.h>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

class BenchBoard : public FieldActions
{};

enum class Scene
{
    Rest,
    FadeIn,
    Refill
};

// The game's properties and the board's pictures from the built data set, read once.
Tolm::TolmAppBase& Application()
{
    static Tolm::TolmAppBase* app = [] {
        auto* made = new Tolm::TolmAppBase();
        made->width = 800;
        made->height = 600;
        GetSharedPakInterface()->AddPakFile(std::string(QUENDARA_BUILD_FOLDER) + "/main.pak");
        made->LoadProperties("properties\\game_sets.xml", true, false);
        for (const char* manifest : {"properties\\field.xml", "properties\\blocks.xml"}) {
            made->resourceManager->ParseResourcesFile(manifest);
        }
        made->resourceManager->LoadGroup("Field");
        made->resourceManager->LoadGroup("Blocks");
        return made;
    }();
    return *app;
}

// A level's worth of board: a ring of holes round the edge, two locked rows, random bricks of six kinds.
std::unique_ptr<BenchBoard> MakeBoard(Scene scene)
{
    Application();
    SeedRandom(7);
    auto board = std::make_unique<BenchBoard>();
    const int kinds[] = {1, 3, 11, 13, 19, 21};
    for (int y = 0; y < kFieldHeight; ++y) {
        for (int x = 0; x < kFieldWidth; ++x) {
            const bool hole = (x == 0 || x == 15) && (y == 0 || y == 11);
            CellBase* cell = board->PutNewCell(x, y, hole ? kCellHole : kCellPlayable);
            if (!hole && (y == 5 || y == 6)) {
                cell->SetFlag(kCellLock1);
            }
            board->PutNewBrick(x, y, hole ? kBrickEmpty : kinds[RandomBelow(6)]);
            board->GetBrick(x, y)->SetCell(x, y);
        }
    }
    SetCellBorders(*board);
    for (int i = 0; i < kFieldSlots && scene != Scene::Rest; ++i) {
        auto* brick = dynamic_cast<BrickLiveGfx*>(board->GetBrick(i % kFieldWidth, i / kFieldWidth));
        if (brick) {
            brick->alpha = 0.5f;
            brick->fadeMode = BrickLiveGfx::kFadingIn;
            brick->offsetY = scene == Scene::Refill ? -18.0f : 0.0f;
        }
        auto* cell = dynamic_cast<CellGfx*>(board->GetCell(i % kFieldWidth, i / kFieldWidth));
        if (cell && scene == Scene::FadeIn) {
            cell->alpha = 0.5f;
            cell->fadeMode = CellGfx::kFadingIn;
        }
    }
    return board;
}

void Ours(benchmark::State& state, Scene scene)
{
    auto board = MakeBoard(scene);
    Tolm::MemoryImage screen;
    screen.Create(800, 600);
    for (auto _ : state) {
        Tolm::Graphics g(&screen);
        board->Draw(g);
        benchmark::DoNotOptimize(screen.GetBits());
    }
    state.SetLabel("the board's own draw");
}

void Sdl(benchmark::State& state, Scene scene)
{
    auto board = MakeBoard(scene);
    Tolm::MemoryImage screen;
    screen.Create(800, 600);
    SDL_Surface* dest = WrapSurface(screen);
    SDL_Surface* tile = WrapSurface(*GetImageById("FIELD_CELL_SIMPLE"));
    SDL_Surface* bricks[kBrickLiveBonus + 1] = {};
    for (int type = 1; type <= kBrickLiveBonus; ++type) {
        if (Tolm::MemoryImage* image = GetImageById(BrickImageId(type))) {
            bricks[type] = WrapSurface(*image);
            SDL_SetSurfaceBlendMode(bricks[type], SDL_BLENDMODE_BLEND);
        }
    }
    SDL_SetSurfaceBlendMode(tile, SDL_BLENDMODE_BLEND);
    const int cell = GetCellSize();
    const Uint8 alpha = scene == Scene::Rest ? 255 : 128;
    const int lift = scene == Scene::Refill ? -18 : 0;
    for (auto _ : state) {
        SDL_SetSurfaceAlphaMod(tile, scene == Scene::FadeIn ? 128 : 255);
        for (int i = 0; i < kFieldSlots; ++i) {
            const int x = i % kFieldWidth;
            const int y = i / kFieldWidth;
            SDL_Rect to{board->originX + x * cell, board->originY + y * cell, cell, cell};
            if (board->IsPlayable(x, y)) {
                SDL_BlitSurface(tile, nullptr, dest, &to);
            }
        }
        for (int i = 0; i < kFieldSlots; ++i) {
            const int x = i % kFieldWidth;
            const int y = i / kFieldWidth;
            SDL_Surface* brick = bricks[board->GetBrickType(x, y)];
            if (brick) {
                SDL_Rect from{0, 0, cell, cell};
                SDL_Rect to{board->originX + x * cell, board->originY + y * cell + lift, cell, cell};
                SDL_SetSurfaceAlphaMod(brick, alpha);
                SDL_BlitSurface(brick, &from, dest, &to);
            }
        }
        benchmark::DoNotOptimize(screen.GetBits());
    }
    state.SetLabel("SDL_BlitSurface, tiles and bricks");
    for (SDL_Surface* surface : bricks) {
        SDL_FreeSurface(surface);
    }
    SDL_FreeSurface(tile);
    SDL_FreeSurface(dest);
}

BENCHMARK_CAPTURE(Ours, AtRest, Scene::Rest)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Sdl, AtRest, Scene::Rest)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Ours, FullFadeIn, Scene::FadeIn)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Sdl, FullFadeIn, Scene::FadeIn)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Ours, FullRefill, Scene::Refill)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Sdl, FullRefill, Scene::Refill)->Unit(benchmark::kMicrosecond);

} // namespace
