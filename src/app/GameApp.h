// The game's application: the product's identity and window size, its data files, and the work of
// its loading thread.
#pragma once

#include "app/CustomTolmAppBase.h"

class GameApp : public CustomTolmAppBase
{
public:
    GameApp();
    ~GameApp() override;

    void Init() override;
    void LoadingCompleted() override;
    void RunLoadingThread() override;

private:
    // The translation (by language number), the language and the game's settings files.
    void LoadGameProperties();
};
