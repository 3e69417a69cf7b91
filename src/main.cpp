// The program entry: one application object, initialised, run and deleted.
#include "app/GameApp.h"

int main()
{
    auto* app = new GameApp();
    app->Init();
    app->Start();
    delete app;
    return 0;
}
