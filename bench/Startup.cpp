// The game's resource start-up against the decoding it contains: the built data set ("main.pak" of the
// build folder) is read as start-up reads it (every manifest parsed, every group loaded, the fonts
// built), and in the same iteration every picture that start-up decoded is decoded again by our loader
// through the pak layer and by libpng on its own from the loose copy of the data set. The counters give
// the start-up's time and the shares of it that decoding takes.
#include "app/TolmAppBase.h"
#include "core/PakInterface.h"
#include "graphics/FontData.h"
#include "graphics/ImageFont.h"
#include "graphics/ImageLib.h"
#include "graphics/MemoryImage.h"
#include "platform/FileSystem.h"
#include "resources/ResourceManager.h"
#include "sound/DSoundManager.h"
#include "support/References.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <png.h>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

const std::string kBuildFolder = QUENDARA_BUILD_FOLDER;
const char* const kManifests[] = {
    "properties\\resources.xml",      "properties\\loading.xml",     "properties\\field.xml",
    "properties\\fonts.xml",          "properties\\blocks.xml",      "properties\\buildings.xml",
    "properties\\town_animation.xml", "properties\\bonus_panel.xml", "properties\\sounds.xml",
};
const char* const kGroups[] = {"General",       "Loading", "Common", "Fonts",      "Buildings",
                               "TownAnimation", "Field",   "Blocks", "BonusPanel", "Sounds"};

// The manager with its records open, to list the pictures a load decoded.
class ListingManager : public Tolm::ResourceManager
{
public:
    using ResourceManager::ResourceManager;

    void AddPictureNames(std::set<std::string>& names) const
    {
        for (const auto& [id, record] : imageMap) {
            names.insert(record->path);
        }
        for (const auto& [id, record] : fontMap) {
            auto* font = dynamic_cast<Tolm::ImageFont*>(static_cast<const FontRes&>(*record).font.get());
            for (const Tolm::FontDataLayer& layer : font ? font->fontData->layers : std::deque<Tolm::FontDataLayer>()) {
                if (const Tolm::MemoryImage* image = layer.image.GetImage()) {
                    names.insert(image->name);
                }
            }
        }
    }
};

// The archive of the build, read from an empty folder so that only it serves the data, by an application
// with the silent sound system a game without a sound device has: the "Sounds" group loads, its sounds
// declared and none decoded.
struct Environment
{
    Environment()
    {
        folder = std::filesystem::temp_directory_path() / ("quendara-bench-" + std::to_string(std::random_device()()));
        std::filesystem::create_directories(folder);
        Platform::SetCurrentFolder(folder.string());
        loaded = GetSharedPakInterface()->AddPakFile(kBuildFolder + "/main.pak");
        app.soundManager = std::make_unique<Tolm::DSoundManager>(0, false);
    }
    ~Environment()
    {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }

    std::filesystem::path folder;
    bool loaded = false;
    Tolm::TolmAppBase app;
};

// Every manifest and every group, as the start-up and the loading thread load them; the names of the
// pictures decoded when asked for.
bool LoadEverything(Tolm::TolmAppBase& app, std::set<std::string>* names)
{
    bool loaded = true;
    {
        ListingManager manager(&app);
        for (const char* manifest : kManifests) {
            loaded = manager.ParseResourcesFile(manifest) && loaded;
        }
        for (const char* group : kGroups) {
            loaded = manager.LoadGroup(group) && loaded;
        }
        if (names) {
            manager.AddPictureNames(*names);
        }
    }
    app.CleanSharedImages();
    return loaded;
}

std::string LoosePath(std::string name)
{
    std::replace(name.begin(), name.end(), '\\', '/');
    return kBuildFolder + "/data/" + name;
}

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double>(to - from).count();
}

void Startup(benchmark::State& state)
{
    static Environment environment;
    std::set<std::string> pictures;
    if (!environment.loaded || !LoadEverything(environment.app, &pictures)) {
        state.SkipWithError("the data set did not load: build the data first");
        return;
    }
    double startupSeconds = 0;
    double decodeSeconds = 0;
    double libpngSeconds = 0;
    std::vector<uint32_t> pixels;
    for (auto _ : state) {
        Clock::time_point start = Clock::now();
        LoadEverything(environment.app, nullptr);
        Clock::time_point loaded = Clock::now();
        for (const std::string& name : pictures) {
            benchmark::DoNotOptimize(Tolm::ImageLib::LoadImage(name, true));
        }
        Clock::time_point decoded = Clock::now();
        for (const std::string& name : pictures) {
            RawPngDecode(LoosePath(name), pixels);
            benchmark::DoNotOptimize(pixels.data());
        }
        Clock::time_point raw = Clock::now();
        startupSeconds += Seconds(start, loaded);
        decodeSeconds += Seconds(loaded, decoded);
        libpngSeconds += Seconds(decoded, raw);
    }
    const double iterations = double(state.iterations());
    state.counters["pictures"] = double(pictures.size());
    state.counters["startup_ms"] = startupSeconds / iterations * 1000;
    state.counters["decode_ms"] = decodeSeconds / iterations * 1000;
    state.counters["libpng_ms"] = libpngSeconds / iterations * 1000;
    state.counters["decode_share"] = decodeSeconds / startupSeconds;
    state.counters["libpng_share"] = libpngSeconds / startupSeconds;
}

} // namespace

BENCHMARK(Startup)->Unit(benchmark::kMillisecond)->UseRealTime();
