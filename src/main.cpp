// The program entry: one application object, initialised, run and deleted.
#include "app/GameApp.h"
#include "platform/VideoSystem.h"

int main()
{
    auto* app = new GameApp();
    app->Init();
    app->Start();
    delete app;
    Platform::QuitVideo();
    return 0;
}
