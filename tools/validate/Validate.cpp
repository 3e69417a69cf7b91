// validate: checks the built data set against what the code asks of it.
//
//   validate SOURCE_FOLDER PROGRAM_FOLDER
//
// The program folder is where the game runs from: "config.xml" beside the program and everything else in
// "main.pak". The check reads the archive alone (from an empty working folder, so that no loose file
// stands in for a missing entry), loads the properties and manifests as start-up does, loads every
// group, and then checks:
// - every resource id that a string in the sources names ("IMAGE_...", "FONT_...", "SOUND_..." and the
//   other kind prefixes) is declared with that kind and loads (sounds are decoded whole);
// - the title screen's pictures lie in the groups loaded before the title screen shows;
// - no picture file (and variant) is shared between those groups and the loading thread's groups, whose
//   loads change a shared picture while the main thread draws it;
// - every text id the sources look up has a text, each tutorial hint fits its bubble above the
//   bubble's button, and both welcome texts hold "%USER%" for the player's name;
// - every name the name field takes fits on its row of the players window and in the welcome line
//   (NameChecks.h);
// - the pictures that must match do: a button's faces and mask share one size, so do the fluid stream's
//   two strips and the progress bar's back and front, and the round buttons' gate plays exactly as many
//   frames as its grid has cells (it counts the frame past the last as open);
// - each of the game's particle effects loads, names a picture and lives as long as its users need;
// - the town file holds what the town and the levels need of it (TownChecks.h);
// - every level file lays out at least one lock: a level is won by opening locks, so one without any
//   would have nothing to win;
// - the four music tracks "properties\music.xml" names load into the music interface, and each decodes
//   whole to one or two minutes of stereo and loops without a seam.
#include "NameChecks.h"
#include "ParticleChecks.h"
#include "ResourceScan.h"
#include "TownChecks.h"
#include "app/CustomTolmAppBase.h"
#include "bricks/BoardTypes.h"
#include "core/PakFile.h"
#include "core/PakInterface.h"
#include "core/StringUtils.h"
#include "graphics/Graphics.h"
#include "platform/Clock.h"
#include "platform/DirectSound.h"
#include "platform/FileSystem.h"
#include "platform/Library.h"
#include "platform/MessageBox.h"
#include "platform/StreamDecoders.h"
#include "resources/ResourceManager.h"
#include "sound/BassLibrary.h"
#include "sound/BassMusicInterface.h"
#include "sound/DSoundManager.h"
#include "sound/MusicManager.h"
#include "windows/FieldHints.h"
#include "windows/HintWindow.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace {

using Tolm::ResourceManager;

// In the order start-up reads them.
const char* const kManifests[] = {
    "properties\\resources.xml",      "properties\\loading.xml",     "properties\\field.xml",
    "properties\\fonts.xml",          "properties\\blocks.xml",      "properties\\buildings.xml",
    "properties\\town_animation.xml", "properties\\bonus_panel.xml", "properties\\sounds.xml",
};
// Loaded on the main thread before the title screen shows.
const char* const kMainThreadGroups[] = {"General", "Loading"};
// Loaded by the loading thread, in its order.
const char* const kLoadingThreadGroups[] = {"Common", "Fonts",  "Buildings",  "TownAnimation",
                                            "Field",  "Blocks", "BonusPanel", "Sounds"};
// Pictures drawn over one another as one button, or read through one mesh: each set shares one size.
const std::vector<std::vector<const char*>> kSameSizeSets = {
    {"UI_WINDOW_BUTTON", "UI_WINDOW_BUTTON_DOWN", "UI_WINDOW_BUTTON_MASK"},
    {"UI_WINDOW_SMALL_BUTTON", "UI_WINDOW_SMALL_BUTTON_DOWN", "UI_WINDOW_SMALL_BUTTON_MASK"},
    {"UI_CHECKBOX", "UI_CHECKBOX_CHECKED"},
    // A slot row is darkened through its mask.
    {"UI_PROFILE_SLOT", "UI_PROFILE_SLOT_MASK"},
    // The main menu's gem buttons take their clicks through their masks' alpha.
    {"UI_MENU_BUTTON_RED", "UI_MENU_BUTTON_RED_DOWN", "UI_MENU_BUTTON_RED_MASK"},
    {"UI_MENU_BUTTON_GREEN", "UI_MENU_BUTTON_GREEN_DOWN", "UI_MENU_BUTTON_GREEN_MASK"},
    {"UI_MENU_BUTTON_BLUE", "UI_MENU_BUTTON_BLUE_DOWN", "UI_MENU_BUTTON_BLUE_MASK"},
    {"UI_MENU_CHANGE_PROFILE", "UI_MENU_CHANGE_PROFILE_MASK"},
    // The fluid stream lays its mesh out by whichever of the two it holds.
    {"GFX_FLUID1", "GFX_FLUID2"},
    // The progress bar's back and front, with the fill's slot between them.
    {"PANEL_TIMER_BACK", "PANEL_TIMER_FRONT"},
    // A round button is as large as its ring, and all six of its pictures are drawn at its corner.
    {"FIELD_BUTTON_MENU_BORDER", "FIELD_BUTTON_MENU_BUTTON", "FIELD_BUTTON_MENU_BUTTON_DOWN",
     "FIELD_BUTTON_MENU_BUTTON_MASK", "FIELD_BUTTON_MENU_SIGN", "FIELD_BUTTON_MENU_SIGN_GLOW"},
    {"FIELD_BUTTON_EYE_BORDER", "FIELD_BUTTON_EYE_BUTTON", "FIELD_BUTTON_EYE_BUTTON_DOWN",
     "FIELD_BUTTON_EYE_BUTTON_MASK", "FIELD_BUTTON_EYE_SIGN", "FIELD_BUTTON_EYE_SIGN_GLOW"},
};
// What the title screen draws before loading is done.
const char* const kTitleImages[] = {"IMAGE_SPLASH_BRAND1", "IMAGE_SPLASH_BRAND2", "IMAGE_SPLASH_TARVEL",
                                    "IMAGE_LOADING_BACK", "IMAGE_LOADING_PROGRESS"};

class Problems
{
public:
    void Add(const std::string& text)
    {
        std::fprintf(stderr, "validate: %s\n", text.c_str());
        ++count;
    }
    int Count() const { return count; }

private:
    int count = 0;
};

// The sound manager decodes every sound whole, as the game's would, into a device that plays nowhere.
int32_t CreateSilentDevice(std::unique_ptr<Platform::DirectSoundDevice>* device)
{
    *device = Platform::DirectSoundDevice::CreateHeadless(44100);
    return Platform::DS_OK;
}

// The manager with its records open to inspection.
class InspectedManager : public ResourceManager
{
public:
    using ResourceManager::ResourceManager;

    const BaseRes* Find(int kind, const std::string& id) const
    {
        const ResMap& map = kind == KindImage ? imageMap : kind == KindSound ? soundMap : fontMap;
        auto found = map.find(id);
        return found == map.end() ? nullptr : found->second.get();
    }
    const ResMap& Images() const { return imageMap; }
};

const char* KindName(int kind)
{
    return kind == ResourceManager::KindImage ? "image" : kind == ResourceManager::KindSound ? "sound" : "font";
}

void LoadProperties(CustomTolmAppBase& app, Problems& problems)
{
    const std::string translation = Tolm::FormatString("properties\\trans_%02d.xml", 0);
    Tolm::PakFileHandle* numbered = PakFOpen(translation.c_str(), "rb");
    if (numbered) {
        PakFClose(numbered);
    }
    for (const std::string& file : {numbered ? translation : std::string("properties\\trans.xml"),
                                    app.GetStringProperty("language_file", "properties\\language.xml"),
                                    std::string("properties\\game_sets.xml")}) {
        if (!app.LoadProperties(file, true, false)) {
            problems.Add("properties file " + file + " did not load");
        }
    }
}

void LoadResources(InspectedManager& manager, Problems& problems)
{
    for (const char* manifest : kManifests) {
        if (!manager.ParseResourcesFile(manifest)) {
            problems.Add(manager.GetErrorText());
        }
        // The next manifest's errors are its own.
        manager.BeginGroupLoad("");
    }
    for (const auto& groups :
         {std::vector<const char*>(std::begin(kMainThreadGroups), std::end(kMainThreadGroups)),
          std::vector<const char*>(std::begin(kLoadingThreadGroups), std::end(kLoadingThreadGroups))}) {
        for (const char* group : groups) {
            if (!manager.LoadGroup(group)) {
                problems.Add("group " + std::string(group) + ": " + manager.GetErrorText());
            }
        }
    }
}

bool IsMainThreadGroup(const std::string& group)
{
    for (const char* name : kMainThreadGroups) {
        if (group == name) {
            return true;
        }
    }
    return false;
}

void CheckCodeIds(const InspectedManager& manager, const std::vector<CodeReference>& references, Problems& problems)
{
    for (const CodeReference& reference : references) {
        if (reference.kind == kTextId) {
            continue;
        }
        const std::string where = reference.id + " (" + reference.location + ")";
        const ResourceManager::BaseRes* record = manager.Find(reference.kind, reference.id);
        if (!record) {
            problems.Add(where + ": no " + KindName(reference.kind) + " of that id in the manifests");
        } else if (!record->fromProgram && !record->IsLoaded()) {
            problems.Add(where + ": declared but not loaded by any group");
        }
    }
    for (const char* id : kTitleImages) {
        const ResourceManager::BaseRes* record = manager.Find(ResourceManager::KindImage, id);
        if (record && !IsMainThreadGroup(record->group)) {
            problems.Add(std::string(id) + ": the title screen draws it before loading is done, but it lies in " +
                         record->group);
        }
    }
}

void CheckSharedPictures(const InspectedManager& manager, Problems& problems)
{
    std::map<std::string, const ResourceManager::ImageRes*> mainThread;
    for (const auto& [id, record] : manager.Images()) {
        auto* image = static_cast<const ResourceManager::ImageRes*>(record.get());
        if (IsMainThreadGroup(image->group) && !image->fromProgram) {
            mainThread.emplace(Tolm::StringToUpper(image->path) + "|" + Tolm::StringToUpper(image->variant), image);
        }
    }
    for (const auto& [id, record] : manager.Images()) {
        auto* image = static_cast<const ResourceManager::ImageRes*>(record.get());
        auto found = mainThread.find(Tolm::StringToUpper(image->path) + "|" + Tolm::StringToUpper(image->variant));
        if (!IsMainThreadGroup(image->group) && found != mainThread.end()) {
            problems.Add(id + " (group " + image->group + ") shares its picture " + image->path + " with " +
                         found->second->id + " (group " + found->second->group + ")");
        }
    }
}

// The loaded picture of the id, or null.
const Tolm::MemoryImage* FindImage(const InspectedManager& manager, const char* id)
{
    auto* record = static_cast<const ResourceManager::ImageRes*>(manager.Find(ResourceManager::KindImage, id));
    return record ? record->image.GetImage() : nullptr;
}

void CheckPictureSets(const InspectedManager& manager, Problems& problems)
{
    auto image = [&](const char* id) { return FindImage(manager, id); };
    for (const std::vector<const char*>& set : kSameSizeSets) {
        const Tolm::MemoryImage* first = image(set.front());
        for (const char* id : set) {
            const Tolm::MemoryImage* other = image(id);
            if (first && other && (other->width != first->width || other->height != first->height)) {
                problems.Add(Tolm::FormatString("%s is %d x %d, but %s is %d x %d", id, other->width, other->height,
                                                set.front(), first->width, first->height));
            }
        }
    }
    const Tolm::MemoryImage* gate = image("UI_BUTTON_GATE");
    if (!gate) {
        return;
    }
    int cells = gate->numCols * gate->numRows;
    if (!gate->animation || gate->animation->numFrames != cells) {
        problems.Add(Tolm::FormatString("UI_BUTTON_GATE plays %d frames on a grid of %d cells",
                                        gate->animation ? gate->animation->numFrames : 0, cells));
    }
}

void CheckTextIds(const CustomTolmAppBase& app, const std::vector<CodeReference>& references, Problems& problems)
{
    for (const CodeReference& reference : references) {
        if (reference.kind == kTextId && !app.stringProperties.count(reference.id)) {
            problems.Add(reference.id + " (" + reference.location + "): no text in the properties files");
        }
    }
}

// The welcome line puts the player's name where the text holds "%USER%".
void CheckWelcomeTexts(Problems& problems)
{
    for (const char* id : {"welcome_back", "welcome_back_short"}) {
        if (Tolm::GetLocalizedText(id).find("%USER%") == std::string::npos) {
            problems.Add(std::string(id) + ": the text has no \"%USER%\" for the player's name");
        }
    }
}

// Each hint text wraps in the bubble's text box and ends above the button at the bubble's foot.
void CheckHintTexts(const InspectedManager& manager, Problems& problems)
{
    auto image = [&](const char* id) { return FindImage(manager, id); };
    auto* fontRecord =
        static_cast<const ResourceManager::FontRes*>(manager.Find(ResourceManager::KindFont, "FONT_HINT_WINDOW_TEXT"));
    const Tolm::MemoryImage* bubble = image("HINT_WINDOW_FIELD");
    const Tolm::MemoryImage* button = image("UI_WINDOW_BUTTON");
    if (!fontRecord || !fontRecord->font || !bubble || !button) {
        return;
    }
    const Tolm::Insets insets = HintWindow::kTextInsets;
    const int textWidth = bubble->width - insets.left - insets.right;
    const int room = bubble->height - button->height - HintWindow::kButtonBottomMargin - insets.top;
    Tolm::Graphics g;
    g.SetFont(fontRecord->font.get());
    for (int type = 0; type < kHintTypeCount; ++type) {
        const char* id = HintTextId(type);
        if (!id) {
            continue;
        }
        const std::string text = Tolm::GetLocalizedText(id);
        if (text.empty()) {
            problems.Add(std::string(id) + ": no text in the properties files");
            continue;
        }
        int height = g.MeasureWrappedTextHeight(textWidth, text, HintWindow::kTextLineSpacing);
        if (height > room) {
            problems.Add(
                Tolm::FormatString("%s is %d pixels high in the hint bubble, which has room for %d", id, height, room));
        }
    }
}

void CheckParticles(const InspectedManager& manager, Problems& problems)
{
    std::vector<std::string> found;
    CheckParticleEffects(
        [&](const std::string& id) {
            const ResourceManager::BaseRes* record = manager.Find(ResourceManager::KindImage, id);
            return record && record->IsLoaded();
        },
        found);
    for (const std::string& problem : found) {
        problems.Add(problem);
    }
}

void CheckTown(const InspectedManager& manager, Problems& problems)
{
    std::vector<std::string> found;
    CheckTownFile(
        [&](const std::string& id) -> Tolm::MemoryImage* {
            const auto* record =
                static_cast<const ResourceManager::ImageRes*>(manager.Find(ResourceManager::KindImage, id));
            return record ? record->image.GetImage() : nullptr;
        },
        found);
    for (const std::string& problem : found) {
        problems.Add(problem);
    }
}

void CheckNames(const InspectedManager& manager, Problems& problems)
{
    std::vector<std::string> found;
    CheckNameRoom(
        [&](const std::string& id) -> Tolm::MemoryImage* {
            const auto* record =
                static_cast<const ResourceManager::ImageRes*>(manager.Find(ResourceManager::KindImage, id));
            return record ? record->image.GetImage() : nullptr;
        },
        [&](const std::string& id) -> Tolm::Font* {
            const auto* record =
                static_cast<const ResourceManager::FontRes*>(manager.Find(ResourceManager::KindFont, id));
            return record ? record->font.get() : nullptr;
        },
        found);
    for (const std::string& problem : found) {
        problems.Add(problem);
    }
}

// In a level file's rows of cells, '2' lays one lock and '3' two ('0' is a hole, '1' a plain cell).
void CheckLevelLocks(const CustomTolmAppBase& app, Problems& problems)
{
    const int total = app.GetIntProperty("set_total_levels");
    for (int index = 1; index <= total; ++index) {
        const std::string name = Tolm::FormatString("levels\\level%03d.level", index);
        Tolm::PakFileHandle* file = PakFOpen(name.c_str(), "r");
        if (!file) {
            problems.Add(name + ": missing from the archive");
            continue;
        }
        bool locked = false;
        char row[256];
        for (int y = 0; y < kFieldHeight && PakFGetS(row, int(sizeof row), file); ++y) {
            locked =
                locked || std::string_view(row).substr(0, kFieldWidth).find_first_of("23") != std::string_view::npos;
        }
        PakFClose(file);
        if (!locked) {
            problems.Add(name + ": no lock to open, so the level could never be won");
        }
    }
}

// The music interface the game makes, noting what the music manager loads.
class CheckedMusic : public Tolm::BassMusicInterface
{
public:
    CheckedMusic() : BassMusicInterface(Tolm::LoadBassLibrary(), 1) {}

    bool LoadMusic(int songId, const std::string& file) override
    {
        const bool loaded = BassMusicInterface::LoadMusic(songId, file);
        tracks[songId] = loaded ? file : std::string();
        return loaded;
    }

    std::map<int, std::string> tracks;
};

// The music manager's message about its file is a problem of the data set.
class ProblemBoxes : public Platform::MessageBoxSink
{
public:
    explicit ProblemBoxes(Problems& problems) : problems(problems) {}
    int Show(Platform::WindowHandle, const std::string& text, const std::string&, uint32_t) override
    {
        problems.Add(text);
        return Platform::IDOK;
    }

private:
    Problems& problems;
};

// A loop has a seam where the step from its last sample to its first is one that seldom happens
// within it: larger than all but a thousandth of the steps between neighbouring samples.
bool HasSeam(const std::vector<int16_t>& stereo)
{
    for (size_t side = 0; side < 2; ++side) {
        std::vector<int> steps;
        for (size_t i = side + 2; i < stereo.size(); i += 2) {
            steps.push_back(std::abs(stereo[i] - stereo[i - 2]));
        }
        const auto rare = steps.begin() + std::ptrdiff_t(steps.size() - steps.size() / 1000);
        std::nth_element(steps.begin(), rare, steps.end());
        if (std::abs(stereo[side] - stereo[stereo.size() - 2 + side]) > *rare) {
            return true;
        }
    }
    return false;
}

// Each track loads and decodes whole to between one and two minutes of 44.1 kHz stereo, and loops
// without a seam.
void CheckMusic(CustomTolmAppBase& app, Problems& problems)
{
    ProblemBoxes boxes(problems);
    Platform::SetMessageBoxSink(&boxes);
    auto music = std::make_unique<CheckedMusic>();
    CheckedMusic& checked = *music;
    app.musicInterface = std::move(music);
    MusicManager::Instance();
    for (int track = 0; track < 4; ++track) {
        const std::string file = checked.tracks[track];
        if (file.empty()) {
            problems.Add(Tolm::FormatString("music track %d is missing or does not load", track));
            continue;
        }
        std::vector<uint8_t> bytes;
        Tolm::PakFile input(file);
        bytes.resize(size_t(std::max<int64_t>(input.Size(), 0)));
        std::unique_ptr<Platform::PcmSource> source =
            input.Read(bytes.data(), uint32_t(bytes.size())) ? Platform::OpenStreamSource(bytes) : nullptr;
        std::vector<int16_t> pcm;
        if (!source || !Platform::DecodeToEnd(*source, 44100 * 150, pcm)) {
            problems.Add(file + ": does not decode");
            continue;
        }
        const double seconds = double(pcm.size()) / (2 * 44100.0);
        if (source->Channels() != 2 || source->Rate() != 44100 || seconds < 60 || seconds > 120) {
            problems.Add(Tolm::FormatString("%s: %d channels at %d Hz, %.1f s long", file.c_str(), source->Channels(),
                                            source->Rate(), seconds));
        } else if (HasSeam(pcm)) {
            problems.Add(file + ": its end does not flow into its start");
        }
    }
    delete MusicManager::RegisteredInstance();
    app.musicInterface.reset();
    Platform::SetMessageBoxSink(nullptr);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: validate SOURCE_FOLDER PROGRAM_FOLDER\n");
        return 2;
    }
    const std::string sources = argv[1];
    std::error_code error;
    // Absolute, since the working folder changes below.
    const std::string program = std::filesystem::absolute(argv[2], error).string();
    Problems problems;
    std::vector<CodeReference> references;
    if (!ScanSources(sources + "/src", references)) {
        problems.Add("cannot read the sources in " + sources + "/src");
    }

    // An empty working folder: only the archive can serve the data.
    const std::filesystem::path empty = std::filesystem::temp_directory_path(error) /
                                        ("quendara-validate-" + std::to_string(Platform::GetClock().Nanoseconds()));
    if (!std::filesystem::create_directories(empty, error) || !Platform::SetCurrentFolder(empty.string())) {
        std::fprintf(stderr, "validate: cannot make an empty working folder\n");
        return 1;
    }
    CustomTolmAppBase app;
    if (!app.LoadConfig(program + "/config.xml")) {
        problems.Add(program + "/config.xml is missing or not well-formed");
    }
    if (!GetSharedPakInterface()->AddPakFile(program + "/main.pak")) {
        problems.Add(program + "/main.pak is missing or not an archive");
    }
    Platform::InstallLibrary("dsound.dll",
                             {{"DirectSoundCreate", reinterpret_cast<Platform::LibraryProc>(&CreateSilentDevice)}});
    // Any window will do: the device plays nowhere.
    app.soundManager = std::make_unique<Tolm::DSoundManager>(1, false);
    InspectedManager manager(&app);

    LoadProperties(app, problems);
    LoadResources(manager, problems);
    CheckCodeIds(manager, references, problems);
    CheckSharedPictures(manager, problems);
    CheckPictureSets(manager, problems);
    CheckTextIds(app, references, problems);
    CheckHintTexts(manager, problems);
    CheckWelcomeTexts(problems);
    CheckNames(manager, problems);
    CheckParticles(manager, problems);
    CheckTown(manager, problems);
    CheckLevelLocks(app, problems);
    CheckMusic(app, problems);
    manager.UnloadGroup("");
    std::filesystem::remove_all(empty, error);

    if (problems.Count() > 0) {
        std::fprintf(stderr, "validate: %d problems\n", problems.Count());
        return 1;
    }
    std::printf("validate: %zu references to resources and texts, all present\n", references.size());
    return 0;
}
