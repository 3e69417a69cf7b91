// The game's application: the product's identity and window size, its data files, and the work of
// its loading thread.
#pragma once

#include "app/CustomTolmAppBase.h"
#include "app/GameStateManager.h"

#include <memory>

class TitleScreen;

class GameApp : public CustomTolmAppBase
{
public:
    GameApp();
    ~GameApp() override;

    void Init() override;
    // Takes the start level ("set_start_level=level012") and only logs every other parameter: the
    // framework's options never reach the framework in the game.
    void HandleCommandLineParam(const std::string& name, const std::string& value) override;
    // The framework's settings, with the mouse sensitivity brought into the options slider's range: a
    // damaged or hand-edited value would leave the pointer unusable and be written back at exit.
    void ReadFromRegistry() override;
    void LoadingCompleted() override;
    void RunLoadingThread() override;
    // Loads the group one resource at a time, counting each in loadingTaskDone. On a failure the error
    // is shown and the application asked to shut down; false then, and when shutting down meanwhile.
    bool LoadResourceGroup(const std::string& group);
    // The title screen has gone: its pictures are freed and the main menu follows.
    void TitleDone();

    // Shown from the end of the initialisation until the main menu; it deletes itself.
    TitleScreen* titleScreen = nullptr;
    // The game's screen states; made at the end of the initialisation.
    std::unique_ptr<GameStateManager> stateManager;

private:
    // The translation (by language number), the language and the game's settings files.
    void LoadGameProperties();
    // The first manifest and group "General", without which the game cannot start, then the title
    // screen's group "Loading".
    void LoadFirstResources();
    // A manifest that stops half-way leaves the rest of its records undeclared: start-up goes on, but
    // the error is shown rather than dropped.
    void ParseLaterManifest(const std::string& file);
    void ReportResourceError();

    std::string reportedResourceError;
};
