// The program entry: one application object, initialised, run and deleted.
#include "app/GameApp.h"
#include "platform/Process.h"

int main(int argc, char** argv)
{
    Platform::SetCommandLineArguments(argc, argv);
    auto* app = new GameApp();
    app->Init();
    app->Start();
    delete app;
    return 0;
}
