// The program entry: one application object, initialised, run and deleted.
#include "diagnostics/CrashCatcher.h"
#include "game/GameApp.h"
#include "platform/FileSystem.h"
#include "platform/Process.h"

int main(int argc, char** argv)
{
    // Every write checks its result: one past a file-size limit fails like a full disk, and the game goes
    // on with the old file.
    Platform::FailWritesPastFileSizeLimit();
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
