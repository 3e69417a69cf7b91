// What the tests of the screens and windows that open, make and show profiles share: a folder of the
// test's own holding the settings and the profile files, and a town without buildings. The profile, the
// town and the level made meanwhile are deleted with it, and the folders in use before come back.
#pragma once

#include "app/TolmAppBase.h"
#include "board/Level.h"
#include "core/StringUtils.h"
#include "profile/UserProfile.h"
#include "support/ProfileStorage.h"
#include "support/TempFolder.h"
#include "town/BuildingsFactory.h"
#include "town/Town.h"
#include "town/TownManFactory.h"

class ProfileFolder : public TempFolder
{
public:
    explicit ProfileFolder(Tolm::TolmAppBase& app) : storage(*this, app)
    {
        Write("town.xml", "<Town/>");
        app.SetStringProperty("town_file", Tolm::StringToWide(Path() + "town.xml"));
    }
    ~ProfileFolder()
    {
        delete Town::RegisteredInstance();
        delete BuildingsFactory::RegisteredInstance();
        delete TownManFactory::RegisteredInstance();
        delete UserProfile::RegisteredInstance();
        delete Level::RegisteredInstance();
    }

private:
    ProfileStorage storage;
};
