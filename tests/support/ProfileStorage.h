// Where a test's profiles and settings live: the settings store and the user-data folder inside a folder
// of the test's own, under a test product's key, while it lasts; the folders in use before come back with
// its end, so a test that opens profiles leaves no file and no setting to the next.
#pragma once

#include "support/TempFolder.h"

#include <optional>
#include <string>

namespace Tolm {
class TolmAppBase;
}

class ProfileStorage
{
public:
    ProfileStorage(const TempFolder& folder, Tolm::TolmAppBase& app);
    ~ProfileStorage();
    ProfileStorage(const ProfileStorage&) = delete;
    ProfileStorage& operator=(const ProfileStorage&) = delete;

private:
    std::optional<std::string> previousConfigHome;
    std::string previousUserData;
};
