// The program entry: one application object, initialised, run and deleted.
#include "app/GameApp.h"
#include "diagnostics/CrashCatcher.h"
#include "platform/Process.h"

int main(int argc, char** argv)
{
    if (CrashCatcher::RunCrashWindowProcess(argc, argv)) {
        return 0;
    }
    Platform::SetCommandLineArguments(argc, argv);
    auto* app = new GameApp();
    app->Init();
    app->Start();
    delete app;
    return 0;
}
