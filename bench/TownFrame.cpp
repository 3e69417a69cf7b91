// The town scene late in the game, 28 of the 30 buildings built and every person come, as the menu and
// the upgrade screens run it each frame: Town::Step (the buildings, the people's loops, the flare chance)
// with Town::Tick (clouds, the sea's 81 points, smoke and spray), and Town::Draw into the 800 x 600
// screen image. Then two whole frames drawn by the widget manager as the main loop draws them: the
// upgrade screen (the town, its upgrade panel offering the last group, three bought, one the player can
// pay for with its sparkle circling it and one not, the side tab and the top panel) and the main menu
// (the town, the game's title and its light, the menu panel with its buttons and the welcome line).
// Beside each draw, in the same run, SDL2 and pixman composite the same pictures onto the same screen
// (support/DrawLog.h), and memcpy copies the screen. Each draw also goes into the 2D display's screen
// image, in 32 bits and in 5-6-5, as the game draws on a display without 3D (support/SurfaceScreen.h).
// The frame is 10 ms.
#include "core/PakInterface.h"
#include "core/Random.h"
#include "effects/ParticleConfigManager.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "profile/UserProfile.h"
#include "resources/ResourceManager.h"
#include "screens/MenuScreen.h"
#include "screens/TownUpgradeScreen.h"
#include "support/DrawLog.h"
#include "support/ScratchFolder.h"
#include "support/SteppedApp.h"
#include "support/SurfaceScreen.h"
#include "support/WholeScreen.h"
#include "town/BaseTownBuilding.h"
#include "town/BuildingsFactory.h"
#include "town/Town.h"
#include "town/TownManFactory.h"

#include <benchmark/benchmark.h>
#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr int ScreenWidth = 800;
constexpr int ScreenHeight = 600;
constexpr int BuiltBuildings = 28;
// Updates run before the frames are drawn: the panels slide in, the sparkles circle and the title's light
// comes on.
constexpr int SettlingUpdates = 200;

ScratchFolder userData;

// The town's and the panels' pictures, fonts and effects from the built data set, the town built and
// its smoke risen, the upgrade screen's widgets in place: made once.
struct Scene
{
    Scene()
    {
        app.noSound = true;
        loaded = GetSharedPakInterface()->AddPakFile(std::string(QUENDARA_BUILD_FOLDER) + "/main.pak");
        for (const char* properties : {"properties\\trans.xml", "properties\\game_sets.xml"}) {
            loaded = loaded && app.LoadProperties(properties, true, false);
        }
        for (const char* manifest :
             {"properties\\resources.xml", "properties\\buildings.xml", "properties\\town_animation.xml",
              "properties\\fonts.xml", "properties\\bonus_panel.xml"}) {
            loaded = loaded && app.resourceManager->ParseResourcesFile(manifest);
        }
        // "Common" holds the particles' sprites, "BonusPanel" the top panel's.
        for (const char* group : {"Common", "Buildings", "TownAnimation", "Fonts", "BonusPanel"}) {
            loaded = loaded && app.resourceManager->LoadGroup(group);
        }
        if (!loaded) {
            return;
        }
        for (const char* effect : {"building_smoke", "fountain", "round"}) {
            ParticleConfigManager::Instance()->LoadConfig(std::string("properties\\particles\\") + effect + ".xml",
                                                          effect);
        }
        BuildTown();
        screen.Create(ScreenWidth, ScreenHeight);
        screen.ForceAlphaFlags(false, false);
        app.widgetManager->screenImage = &screen;
        OpenUpgradeScreen();
        menu = std::make_unique<MenuScreen>();
        app.widgetManager->AddWidget(menu.get());
        menu->OnEnter();
        app.Frames(SettlingUpdates);
    }

    // The screen the widget manager draws; the other stays out of the frame.
    void Show(Tolm::Widget& shown)
    {
        upgrade->SetVisible(&shown == upgrade.get());
        menu->SetVisible(&shown == menu.get());
    }

    bool Ready(benchmark::State& state) const
    {
        if (!loaded) {
            state.SkipWithError("the data set was not found; build it first");
        }
        return loaded;
    }

    SteppedApp app;
    bool loaded = false;
    Tolm::MemoryImage screen;
    std::unique_ptr<TownUpgradeScreen> upgrade;
    std::unique_ptr<MenuScreen> menu;

private:
    // A player's profile, whose name the menu welcomes, and ten seconds of the town: the smoke and the
    // spray at their full height.
    static void BuildTown()
    {
        UserProfile::Instance()->CreateProfile("Marigold");
        UserProfile::Instance()->SaveSlot(0);
        for (int id = 0; id < BuiltBuildings; ++id) {
            UserProfile::SetBuildingBuilt(id);
        }
        for (int id = 0; id < TownManFactory::kPeople; ++id) {
            UserProfile::SetPersonArrived(id);
        }
        SeedRandom(7);
        Town* town = Town::Instance();
        for (int update = 0; update < 1000; ++update) {
            town->Step();
            town->Tick(1);
        }
    }

    // The player can pay for the first building not built.
    void OpenUpgradeScreen()
    {
        const BaseTownBuilding* next = BuildingsFactory::Instance()->GetById(BuiltBuildings);
        UserProfile::AddGold(next->GetCostGold());
        UserProfile::AddFood(next->GetCostFood());
        UserProfile::AddSupplies(next->GetCostSupplies());
        upgrade = std::make_unique<TownUpgradeScreen>();
        app.widgetManager->AddWidget(upgrade.get());
        upgrade->OnEnter();
    }
};

Scene& GetScene()
{
    static Scene* scene = new Scene();
    return *scene;
}

using Drawing = void (*)(Tolm::Image& into);

void DrawTown(Tolm::Image& into)
{
    Tolm::Graphics g(&into);
    Town::Instance()->Draw(g);
}

void DrawUpgradeScreen(Tolm::Image& into)
{
    Scene& scene = GetScene();
    scene.Show(*scene.upgrade);
    DrawWholeScreen(*scene.app.widgetManager, into);
}

void DrawMenuScreen(Tolm::Image& into)
{
    Scene& scene = GetScene();
    scene.Show(*scene.menu);
    DrawWholeScreen(*scene.app.widgetManager, into);
}

// One frame's update of the town, both halves in their order, so that the scene the draws see stays as a
// running game keeps it (ticks alone would pile smoke up that the steps would have let go).
void TownUpdate(benchmark::State& state)
{
    if (!GetScene().Ready(state)) {
        return;
    }
    Town* town = Town::Instance();
    for (auto _ : state) {
        town->Step();
        town->Tick(1);
    }
    state.SetLabel("Town::Step and Town::Tick");
}

void DrawCounters(benchmark::State& state, Drawing draw)
{
    DrawLog log(ScreenWidth, ScreenHeight);
    draw(log);
    state.counters["draws"] = double(log.sprites.size());
    state.counters["unplayed"] = log.unplayed;
}

void Ours(benchmark::State& state, Drawing draw)
{
    Scene& scene = GetScene();
    if (!scene.Ready(state)) {
        return;
    }
    for (auto _ : state) {
        draw(scene.screen);
        benchmark::DoNotOptimize(scene.screen.GetBits());
    }
    DrawCounters(state, draw);
}

void OursOnSurface(benchmark::State& state, Drawing draw, Platform::SurfaceLayout layout)
{
    Scene& scene = GetScene();
    if (!scene.Ready(state)) {
        return;
    }
    SurfaceScreen surface(scene.app, layout);
    if (!surface.Ready(state)) {
        return;
    }
    surface.Measure(state, draw);
    DrawCounters(state, draw);
    state.SetLabel("into the display's screen image");
}

template <typename Replay>
void Reference(benchmark::State& state, Drawing draw)
{
    Scene& scene = GetScene();
    if (!scene.Ready(state)) {
        return;
    }
    DrawLog log(ScreenWidth, ScreenHeight);
    draw(log);
    Replay replay(log.sprites, scene.screen);
    for (auto _ : state) {
        replay.Draw();
        benchmark::DoNotOptimize(scene.screen.GetBits());
    }
    DrawCounters(state, draw);
}

void Sdl(benchmark::State& state, Drawing draw)
{
    Reference<SdlReplay>(state, draw);
    state.SetLabel("SDL_BlitSurface, the same pictures");
}

void Pixman(benchmark::State& state, Drawing draw)
{
    Reference<PixmanReplay>(state, draw);
    state.SetLabel("pixman, the same pictures premultiplied");
}

void ScreenCopy(benchmark::State& state)
{
    std::vector<uint32_t> from(std::size_t(ScreenWidth) * ScreenHeight, 0xFF336699);
    std::vector<uint32_t> to(from.size());
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), from.size() * sizeof(uint32_t));
        benchmark::DoNotOptimize(to.data());
    }
    state.SetLabel("memcpy of the 800 x 600 screen");
}

BENCHMARK(TownUpdate)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Ours, town, DrawTown)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(OursOnSurface, town_x888, DrawTown, Platform::SurfaceLayout::Xrgb8888)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(OursOnSurface, town_565, DrawTown, Platform::SurfaceLayout::Rgb565)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Sdl, town, DrawTown)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Pixman, town, DrawTown)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Ours, upgrade_screen, DrawUpgradeScreen)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(OursOnSurface, upgrade_screen_x888, DrawUpgradeScreen, Platform::SurfaceLayout::Xrgb8888)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(OursOnSurface, upgrade_screen_565, DrawUpgradeScreen, Platform::SurfaceLayout::Rgb565)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Sdl, upgrade_screen, DrawUpgradeScreen)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Pixman, upgrade_screen, DrawUpgradeScreen)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Ours, menu_screen, DrawMenuScreen)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(OursOnSurface, menu_screen_x888, DrawMenuScreen, Platform::SurfaceLayout::Xrgb8888)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(OursOnSurface, menu_screen_565, DrawMenuScreen, Platform::SurfaceLayout::Rgb565)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Sdl, menu_screen, DrawMenuScreen)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Pixman, menu_screen, DrawMenuScreen)->Unit(benchmark::kMicrosecond);
BENCHMARK(ScreenCopy)->Unit(benchmark::kMicrosecond);

} // namespace
