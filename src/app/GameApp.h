// The game's application: the product's identity and window size, its data files, and the work of
// its loading thread.
#pragma once

#include "app/CustomTolmAppBase.h"
#include "app/GameStateManager.h"

#include <memory>

class GameApp : public CustomTolmAppBase
{
public:
    GameApp();
    ~GameApp() override;

    void Init() override;
    void LoadingCompleted() override;
    void RunLoadingThread() override;

    // The game's screen states; made at the end of the initialisation.
    std::unique_ptr<GameStateManager> stateManager;

private:
    // The translation (by language number), the language and the game's settings files.
    void LoadGameProperties();
};
