// The game's start-up on top of the framework's, and its share of the exit.
#include "app/GameApp.h"

#include "core/PakInterface.h"
#include "core/PathUtils.h"
#include "core/StringUtils.h"
#include "effects/GlobalParticles.h"
#include "platform/FileSystem.h"
#include "screens/CursorPointer.h"
#include "screens/CustomCursor.h"
#include "screens/TopPanel.h"
#include "town/Town.h"
#include "town/UserProfile.h"
#include "widgets/WidgetManager.h"

namespace {

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
    if (stateManager) {
        stateManager->RequestQuit();
        stateManager.reset();
    }
    DeleteSingleton<TopPanel>();
    DeleteSingleton<Town>();
    DeleteSingleton<UserProfile>();
    if (CustomCursor* cursor = CustomCursor::RegisteredInstance()) {
        widgetManager->RemoveWidget(cursor);
    }
    DeleteSingleton<CursorPointer>();
    DeleteSingleton<CustomCursor>();
    DeleteSingleton<GlobalParticles>();
    widgetManager->RemoveAllWidgets(true, false);
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
    }
    if (GetBoolProperty("force3d", false)) {
        SetAcceleration3D(true, true);
    }
    // The resource manifests with the groups "General" and "Loading" come before the cursor widget; the
    // other manifests, the title screen and the count of resources to load after it, then the state
    // machine.
    widgetManager->AddWidget(CustomCursor::Instance());
    stateManager = std::make_unique<GameStateManager>();
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
    GlobalParticles::Instance();
}

void GameApp::LoadingCompleted()
{
    if (!shutdownRequested) {
        SetCursor(11);
    }
}
