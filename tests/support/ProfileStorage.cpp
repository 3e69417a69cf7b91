#include "support/ProfileStorage.h"

#include "app/TolmAppBase.h"
#include "core/PathUtils.h"

#include <cstdlib>

ProfileStorage::ProfileStorage(const TempFolder& folder, Tolm::TolmAppBase& app)
    : previousUserData(Tolm::GetUserDataFolder())
{
    if (const char* home = std::getenv("XDG_CONFIG_HOME")) {
        previousConfigHome = home;
    }
    setenv("XDG_CONFIG_HOME", (folder.Path() + "config").c_str(), 1);
    app.registryKey = "Test Company\\TestProduct";
    Tolm::SetUserDataFolder(folder.Path() + "data/");
}

ProfileStorage::~ProfileStorage()
{
    Tolm::SetUserDataFolder(previousUserData);
    if (previousConfigHome) {
        setenv("XDG_CONFIG_HOME", previousConfigHome->c_str(), 1);
    } else {
        unsetenv("XDG_CONFIG_HOME");
    }
}
