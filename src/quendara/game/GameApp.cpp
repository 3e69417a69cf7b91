// The game's start-up on top of the framework's, and its share of the exit.
#include "game/GameApp.h"

#include "board/ArrowHelper.h"
#include "board/Level.h"
#include "bricks/BrickHelper.h"
#include "core/PakInterface.h"
#include "core/PathUtils.h"
#include "core/Random.h"
#include "core/StringUtils.h"
#include "effects/GlobalParticles.h"
#include "effects/ParticleConfigManager.h"
#include "game/TitleScreen.h"
#include "gamewidgets/CursorPointer.h"
#include "gamewidgets/CustomCursor.h"
#include "hud/TimerPanel.h"
#include "hud/TopPanel.h"
#include "platform/DebugOutput.h"
#include "platform/FileSystem.h"
#include "profile/UserProfile.h"
#include "resources/ResourceManager.h"
#include "screens/GameScreen.h"
#include "screens/MenuScreen.h"
#include "screens/TownScreen.h"
#include "screens/TownUpgradeScreen.h"
#include "sound/MusicManager.h"
#include "town/BuildingsFactory.h"
#include "town/Town.h"
#include "widgets/WidgetManager.h"
#include "windows/OptionsWindow.h"

#include <algorithm>
#include <cstdlib>

namespace {

// The groups the loading thread loads, in its order; "Sounds" follows them when sound is on.
const char* const kLoadingThreadGroups[] = {"Common", "Fonts",  "Buildings", "TownAnimation",
                                            "Field",  "Blocks", "BonusPanel"};

template <typename T>
void DeleteSingleton()
{
    delete T::RegisteredInstance();
}

} // namespace

GameApp::GameApp()
{
    productName = "Quendara";
    productVersion = "1.3";
    title = productName + " v." + productVersion;
    registryKey = "Tarvel Studio\\Quendara";
    companyName = "Tarvel Studio";
    // Full screen unless the registry says otherwise.
    windowed = false;
    width = 800;
    height = 600;
}

GameApp::~GameApp()
{
    if (titleScreen) {
        widgetManager->RemoveWidget(titleScreen);
        delete titleScreen;
        titleScreen = nullptr;
    }
    if (stateManager) {
        stateManager->RequestQuit();
        stateManager.reset();
    }
    DeleteSingleton<TopPanel>();
    DeleteSingleton<TimerPanel>();
    DeleteSingleton<Level>();
    DeleteSingleton<ArrowHelper>();
    DeleteSingleton<BrickHelper>();
    DeleteSingleton<Town>();
    DeleteSingleton<BuildingsFactory>();
    DeleteSingleton<UserProfile>();
    if (CustomCursor* cursor = CustomCursor::RegisteredInstance()) {
        widgetManager->RemoveWidget(cursor);
    }
    DeleteSingleton<CursorPointer>();
    DeleteSingleton<CustomCursor>();
    DeleteSingleton<GlobalParticles>();
    DeleteSingleton<ParticleConfigManager>();
    DeleteSingleton<MusicManager>();
    widgetManager->RemoveAllWidgets(true, false);
    resourceManager->UnloadGroup("");
}

void GameApp::Init()
{
    if (!KeepCurrentDirectory(programFolder)) {
        Platform::SetCurrentFolder(programFolder);
    }
    LoadConfig("config.xml");
    musicVolume = GetDoublePropertyOr("default_music_volume", musicVolume);
    // The framework starts with a silent sound system and leaves the command line alone.
    noSound = true;
    commandLineRead = true;
    CustomTolmAppBase::Init();
    GetSharedPakInterface()->AddPakFile("other.pak");
    customCursors = false;
    SetCursor(windowed ? 0 : 11);
    LoadGameProperties();
    ReadCommandLine();
    if (GetBoolProperty("sound", true)) {
        noSound = false;
        RecreateSoundSystem();
    }
    if (GetBoolProperty("force3d", false)) {
        SetAcceleration3D(true, true);
    }
    LoadFirstResources();
    widgetManager->AddWidget(CustomCursor::Instance());
    for (const std::string& manifest :
         {std::string("properties\\field.xml"), GetStringProperty("fonts_file", "properties\\fonts.xml"),
          std::string("properties\\blocks.xml"), std::string("properties\\buildings.xml"),
          std::string("properties\\town_animation.xml"), std::string("properties\\bonus_panel.xml"),
          std::string("properties\\sounds.xml")}) {
        ParseLaterManifest(manifest);
    }
    titleScreen = new TitleScreen(this);
    widgetManager->AddWidget(titleScreen);
    stateManager = std::make_unique<GameStateManager>();
    loadingTaskTotal = 0;
    for (const char* group : kLoadingThreadGroups) {
        loadingTaskTotal += resourceManager->GetResourceCount(group);
    }
    if (!noSound) {
        loadingTaskTotal += resourceManager->GetResourceCount("Sounds");
    }
}

void GameApp::HandleCommandLineParam(const std::string& name, const std::string& value)
{
    Platform::DebugOutput(
        Tolm::FormatString("theParamName = \"%s\", theParamValue = \"%s\"\r\n", name.c_str(), value.c_str()));
    if (name != "set_start_level") {
        return;
    }
    size_t found = value.find("level");
    if (found == std::string::npos) {
        return;
    }
    // Up to three digits follow "level"; a shorter value gives what it has.
    int level = std::atoi(value.substr(found + 5, 3).c_str());
    SetIntProperty("set_start_level", level);
    if (GetIntPropertyOr("set_total_levels", 0) < level) {
        SetIntProperty("set_total_levels", level);
    }
}

void GameApp::ReadFromRegistry()
{
    CustomTolmAppBase::ReadFromRegistry();
    mouseSensitivity = std::clamp(mouseSensitivity, MouseSensitivityOf(0.0), MouseSensitivityOf(1.0));
}

void GameApp::LoadFirstResources()
{
    if (!resourceManager->ParseResourcesFile("properties\\resources.xml")) {
        ShowResourceError(true);
    }
    if (!resourceManager->LoadGroup("General")) {
        shutdownRequested = true;
        ShowResourceError(true);
    }
    ParseLaterManifest("properties\\loading.xml");
    if (!resourceManager->LoadGroup("Loading")) {
        ReportResourceError();
    }
}

void GameApp::ParseLaterManifest(const std::string& file)
{
    if (!resourceManager->ParseResourcesFile(file)) {
        ReportResourceError();
    }
}

void GameApp::ReportResourceError()
{
    // An error stays until the next group load begins, so every manifest read after a failed one fails
    // with the same text: it is shown once.
    if (resourceManager->GetErrorText() != reportedResourceError) {
        reportedResourceError = resourceManager->GetErrorText();
        ShowResourceError(false);
    }
}

void GameApp::LoadGameProperties()
{
    int language = GetIntPropertyOr("language_id", -1);
    if (language < 0) {
        ReadRegistryInt("language_id", language);
    }
    if (language < 0) {
        language = 0;
    }
    std::string translation = Tolm::FormatString("properties\\trans_%02d.xml", language);
    if (!Tolm::PathExists(translation)) {
        translation = "properties\\trans.xml";
    }
    LoadProperties(translation, true, false);
    LoadProperties(GetStringProperty("language_file", "properties\\language.xml"), true, false);
    LoadProperties("properties\\game_sets.xml", true, false);
    std::string setsFile = GetStringPropertyOrEmpty("sets_file");
    if (!setsFile.empty() && Tolm::PathExists(setsFile)) {
        LoadProperties(setsFile, true, false);
    }
}

void GameApp::RunLoadingThread()
{
    for (const char* group : kLoadingThreadGroups) {
        if (!LoadResourceGroup(group)) {
            return;
        }
    }
    if (!noSound && !LoadResourceGroup("Sounds")) {
        return;
    }
    GlobalParticles::Instance();
}

bool GameApp::LoadResourceGroup(const std::string& group)
{
    resourceManager->BeginGroupLoad(group);
    while (resourceManager->LoadNextInGroup()) {
        ++loadingTaskDone;
        if (shutDown) {
            return false;
        }
    }
    if (!resourceManager->HadError()) {
        return true;
    }
    ShowResourceError(false);
    shutdownRequested = true;
    return false;
}

void GameApp::LoadingCompleted()
{
    if (shutdownRequested) {
        return;
    }
    // The screens are widgets, and the seed is drawn here on the main thread, at the update the
    // loading-done event marks, so that a replayed demo deals the same board.
    RegisterMenuScreen(stateManager.get(), "MenuScreen");
    RegisterGameScreen(stateManager.get(), "GameScreen");
    RegisterTownScreen(stateManager.get(), "TownScreen");
    RegisterTownUpgradeScreen(stateManager.get(), "TownUpgradeScreen");
    // The player's profile opens as the menu becomes reachable, so that the one left at the last exit
    // is open before anything reads it, and is saved again at this exit.
    UserProfile::Instance();
    // The town is read once the pictures its file names are loaded, and its buildings follow the profile.
    Town::Instance();
    SeedRandom(unsigned(updateCount) * 10);
    // The game draws its own pointer from here on; the system's stays hidden over the window.
    CustomCursor::Instance()->SetCursor(CursorPointer::Instance());
    SetCursor(11);
    if (titleScreen) {
        titleScreen->loadingDone = true;
    }
}

void GameApp::TitleDone()
{
    resourceManager->UnloadGroup("Loading");
    titleScreen = nullptr;
    stateManager->Switch(stateManager->Find("MenuScreen"));
}
