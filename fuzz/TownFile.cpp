// Town files on arbitrary contents: the town is built from the file as the game builds it, and every
// building and person is drawn, stepped, hit-tested, bought (its build and dust effects run to their end)
// and set unbuilt again, so that nothing a file can hold breaks them. Every id the file names has a
// picture made in memory, of a size, frame grid and alpha taken from the id, so that the drawing, hit
// test and animation paths run on real pixels as well as on missing pictures.
#include "ScratchFolder.h"
#include "app/TolmAppBase.h"
#include "core/StringUtils.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "platform/DebugOutput.h"
#include "platform/MessageBox.h"
#include "resources/ResourceManager.h"
#include "town/BuildingsFactory.h"
#include "town/Town.h"
#include "town/TownManFactory.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace {

struct Silent : Platform::MessageBoxSink, Platform::DebugOutputSink
{
    int Show(Platform::WindowHandle, const std::string&, const std::string&, uint32_t) override { return 1; }
    void Write(const std::string&) override {}
};

// Enough pictures for a town of thirty buildings and fifteen people, each with its preview and fall.
constexpr std::size_t kMostPictures = 128;
constexpr uint32_t kLargestCel = 48;
constexpr uint32_t kMostCels = 8;

uint32_t HashOf(const std::string& text)
{
    uint32_t hash = 2166136261u;
    for (unsigned char c : text) {
        hash = (hash ^ c) * 16777619u;
    }
    return hash;
}

// Alpha runs across every value, so that hit tests meet both sides of their threshold.
std::unique_ptr<Tolm::MemoryImage> StubPicture(const std::string& id)
{
    const uint32_t hash = HashOf(id);
    const int cols = int(1 + hash % kMostCels);
    const int width = cols * int(1 + (hash >> 4) % kLargestCel);
    const int height = int(1 + (hash >> 12) % (2 * kLargestCel));
    auto picture = std::make_unique<Tolm::MemoryImage>();
    picture->Create(width, height);
    picture->numCols = cols;
    picture->numFrames = cols;
    if (uint32_t* bits = picture->GetBits()) {
        for (int i = 0; i < width * height; ++i) {
            bits[i] = uint32_t(i * 7 + int(hash >> 24)) % 256u << 24 | 0x806040u;
        }
        picture->NoteBitsChanged();
    }
    return picture;
}

class StubPictures : public Tolm::ResourceManager
{
public:
    explicit StubPictures(Tolm::TolmAppBase* app) : ResourceManager(app) {}

    // A picture for the value of every id attribute in the text, up to kMostPictures of them.
    void DeclareNamedIn(const std::string& text)
    {
        for (std::size_t at = text.find("id="); at != std::string::npos; at = text.find("id=", at + 3)) {
            const std::size_t open = at + 3;
            if (open >= text.size() || (text[open] != '"' && text[open] != '\'')) {
                continue;
            }
            const std::size_t close = text.find(text[open], open + 1);
            if (close == std::string::npos) {
                return;
            }
            Declare(text.substr(open + 1, close - open - 1));
            if (imageMap.size() >= kMostPictures) {
                return;
            }
        }
    }
    void Clear() { imageMap.clear(); }

private:
    void Declare(const std::string& id)
    {
        if (imageMap.count(id) != 0) {
            return;
        }
        auto record = std::make_unique<ImageRes>();
        record->id = id;
        record->image.AssignPrivate(StubPicture(id).release());
        record->image.ownsPrivateImage = true;
        imageMap[id] = std::move(record);
    }
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
    for (int offset : {-1, 0, 7, 40}) {
        building.HitTest(building.GetX() + offset, building.GetY() + offset);
    }
    building.SetBuilt(false);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Tolm::TolmAppBase app;
    static Silent silent;
    static Tolm::MemoryImage screen;
    static StubPictures* pictures = nullptr;
    static const std::string townFile = ScratchFolder::FilePath("town.xml");
    if (screen.width == 0) {
        auto owned = std::make_unique<StubPictures>(&app);
        pictures = owned.get();
        app.resourceManager = std::move(owned);
        // The town reads which buildings stand from a profile: one of the fuzzer's own, never the player's.
        ScratchFolder::KeepSettingsInside();
        screen.Create(800, 600);
        Platform::SetMessageBoxSink(&silent);
        Platform::SetDebugOutputSink(&silent);
        app.SetStringProperty("town_file", Tolm::StringToWide(townFile));
    }
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    ScratchFolder::WriteFile(townFile, text);
    pictures->DeclareNamedIn(std::string(text));
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
    pictures->Clear();
    return 0;
}
