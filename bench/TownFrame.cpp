// The town scene with every building built and every person come, as the menu and the upgrade screens run
// it each frame: Town::Tick (clouds, the sea's 81 points, smoke and spray), Town::Step (the buildings, the
// people's loops, the flare chance) and Town::Draw into the 800 x 600 screen image. Beside them in the
// same run: SDL2's SDL_BlitSurface drawing the same pictures at the same places (the sea flat at alpha
// 100, no smoke, spray or flares), and a memcpy of the whole screen. The frame is 10 ms.
#include "app/TolmAppBase.h"
#include "core/PakInterface.h"
#include "core/Random.h"
#include "effects/ParticleConfigManager.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "resources/ResourceLookups.h"
#include "resources/ResourceManager.h"
#include "support/References.h"
#include "town/BaseTownBuilding.h"
#include "town/Town.h"
#include "town/TownMan.h"
#include "town/TownManFactory.h"
#include "town/UserProfile.h"

#include <SDL.h>
#include <benchmark/benchmark.h>
#include <cstring>
#include <vector>

namespace {

// The town's pictures and effects from the built data set, everything built, the smoke risen: made once.
Town& BuiltTown()
{
    static Town* town = [] {
        auto* app = new Tolm::TolmAppBase();
        app->width = 800;
        app->height = 600;
        GetSharedPakInterface()->AddPakFile(std::string(QUENDARA_BUILD_FOLDER) + "/main.pak");
        for (const char* manifest :
             {"properties\\resources.xml", "properties\\buildings.xml", "properties\\town_animation.xml"}) {
            app->resourceManager->ParseResourcesFile(manifest);
        }
        // "Common" holds the particles' sprites.
        for (const char* group : {"Common", "Buildings", "TownAnimation"}) {
            app->resourceManager->LoadGroup(group);
        }
        for (const char* effect : {"building_smoke", "fountain"}) {
            ParticleConfigManager::Instance()->LoadConfig(std::string("properties\\particles\\") + effect + ".xml",
                                                          effect);
        }
        for (int id = 0; id < 30; ++id) {
            UserProfile::SetBuildingBuilt(id);
        }
        for (int id = 0; id < TownManFactory::kPeople; ++id) {
            UserProfile::SetPersonArrived(id);
        }
        SeedRandom(7);
        Town* made = Town::Instance();
        // Ten seconds: the smoke and the spray at their full height.
        for (int update = 0; update < 1000; ++update) {
            made->Step();
            made->Tick(1);
        }
        return made;
    }();
    return *town;
}

void TownTick(benchmark::State& state)
{
    Town& town = BuiltTown();
    for (auto _ : state) {
        town.Tick(1);
    }
    state.SetLabel("clouds, sea, smoke and spray");
}

void TownStep(benchmark::State& state)
{
    Town& town = BuiltTown();
    for (auto _ : state) {
        town.Step();
    }
    state.SetLabel("buildings, people, flare chance");
}

void TownDraw(benchmark::State& state)
{
    Town& town = BuiltTown();
    Tolm::MemoryImage screen;
    screen.Create(800, 600);
    for (auto _ : state) {
        Tolm::Graphics g(&screen);
        town.Draw(g);
        benchmark::DoNotOptimize(screen.GetBits());
    }
    state.SetLabel("the whole scene");
}

struct Placed
{
    SDL_Surface* surface;
    SDL_Rect from;
    SDL_Rect to;
};

void Place(std::vector<Placed>& blits, Tolm::MemoryImage* image, int x, int y, Uint8 alpha = 255)
{
    if (!image) {
        return;
    }
    SDL_Surface* surface = WrapSurface(*image);
    SDL_SetSurfaceBlendMode(surface, SDL_BLENDMODE_BLEND);
    SDL_SetSurfaceAlphaMod(surface, alpha);
    const int w = image->GetFrameWidth();
    const int h = image->GetFrameHeight();
    blits.push_back({surface, {0, 0, w, h}, {x, y, w, h}});
}

void SdlBlits(benchmark::State& state)
{
    Town& town = BuiltTown();
    Tolm::MemoryImage screen;
    screen.Create(800, 600);
    SDL_Surface* dest = WrapSurface(screen);
    std::vector<Placed> blits;
    Place(blits, GetImageById("TOWN_SKY_BACK"), 0, 0);
    Place(blits, GetImageById("TOWN_CLOUDS"), 0, 0);
    Place(blits, GetImageById("TOWN_CLOUDS"), -800, 0);
    Place(blits, GetImageById("TOWN_BACKGROUND_FIELD"), 0, 0);
    Tolm::MemoryImage* waves = GetImageById("TOWN_BACKGROUND_WAVES");
    Place(blits, waves, 0, 600 - (waves ? waves->GetHeight() : 0), 100);
    for (BaseTownBuilding* building : town.GetBuildings()) {
        Place(blits, building->GetBuildingImage(), building->GetX(), building->GetY());
    }
    for (int id = 0; id < TownManFactory::kPeople; ++id) {
        const TownMan* person = TownManFactory::Instance()->GetById(id);
        Place(blits, person->GetImage(), person->GetX(), person->GetY());
    }
    for (auto _ : state) {
        for (Placed& blit : blits) {
            SDL_BlitSurface(blit.surface, &blit.from, dest, &blit.to);
        }
        benchmark::DoNotOptimize(screen.GetBits());
    }
    state.SetLabel("SDL_BlitSurface, the same pictures");
    for (Placed& blit : blits) {
        SDL_FreeSurface(blit.surface);
    }
    SDL_FreeSurface(dest);
}

void ScreenCopy(benchmark::State& state)
{
    std::vector<uint32_t> from(800 * 600, 0xFF336699);
    std::vector<uint32_t> to(800 * 600);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), from.size() * sizeof(uint32_t));
        benchmark::DoNotOptimize(to.data());
    }
    state.SetLabel("memcpy of the 800 x 600 screen");
}

BENCHMARK(TownTick)->Unit(benchmark::kMicrosecond);
BENCHMARK(TownStep)->Unit(benchmark::kMicrosecond);
BENCHMARK(TownDraw)->Unit(benchmark::kMicrosecond);
BENCHMARK(SdlBlits)->Unit(benchmark::kMicrosecond);
BENCHMARK(ScreenCopy)->Unit(benchmark::kMicrosecond);

} // namespace
