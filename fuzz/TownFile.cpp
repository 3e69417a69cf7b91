// Town files on arbitrary contents: the town is built from the file as the game builds it, and every
// building and person is drawn, stepped, hit-tested, bought (its build and dust effects run to their end)
// and set unbuilt again, so that nothing a file can hold breaks them.
#include "app/TolmAppBase.h"
#include "core/StringUtils.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "platform/DebugOutput.h"
#include "platform/MessageBox.h"
#include "town/BuildingsFactory.h"
#include "town/Town.h"
#include "town/TownManFactory.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

// One file a process, so that runs side by side do not write each other's inputs.
const std::string& ScratchFile()
{
    static const std::string file =
        (std::filesystem::temp_directory_path() / ("quendara-fuzz-town-" + std::to_string(getpid()) + ".xml")).string();
    return file;
}

struct Silent : Platform::MessageBoxSink, Platform::DebugOutputSink
{
    int Show(Platform::WindowHandle, const std::string&, const std::string&, uint32_t) override { return 1; }
    void Write(const std::string&) override {}
};

void Exercise(BaseTownBuilding& building, Tolm::Graphics& g)
{
    building.SetBuilt(false);
    building.StartBuildEffect(nullptr, nullptr);
    building.StartPostBuildEffect();
    for (int step = 0; step < 400 && !building.IsEmpty(); ++step) {
        building.UpdateEffects();
        building.TickEffects(1);
    }
    building.Draw(g);
    building.SetBuilt(true);
    building.Tick(1);
    building.Step();
    building.Draw(g);
    building.HitTest(building.GetX(), building.GetY());
    building.SetBuilt(false);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Tolm::TolmAppBase app;
    static Silent silent;
    static Tolm::MemoryImage screen;
    if (screen.width == 0) {
        // The town reads which buildings stand from a profile: one of the fuzzer's own, never the player's.
        const std::string home =
            std::filesystem::temp_directory_path() / ("quendara-fuzz-town-home-" + std::to_string(getpid()));
        setenv("XDG_DATA_HOME", home.c_str(), 1);
        setenv("XDG_CONFIG_HOME", home.c_str(), 1);
        screen.Create(64, 64);
        Platform::SetMessageBoxSink(&silent);
        Platform::SetDebugOutputSink(&silent);
        app.SetStringProperty("town_file", Tolm::StringToWide(ScratchFile()));
    }
    if (std::FILE* file = std::fopen(ScratchFile().c_str(), "wb")) {
        std::fwrite(data, 1, size, file);
        std::fclose(file);
    }
    Town::Instance();
    Tolm::Graphics g(&screen);
    for (int id = 0; id < BuildingsFactory::kBuildings; ++id) {
        Exercise(*BuildingsFactory::Instance()->GetById(id), g);
    }
    for (int id = 0; id < TownManFactory::kPeople; ++id) {
        TownManFactory::Instance()->GetById(id)->Step();
        TownManFactory::Instance()->GetById(id)->Draw(g);
    }
    delete Town::RegisteredInstance();
    return 0;
}
