// Stand-in for the town scene until the town exists: the singleton the application deletes at exit,
// and the refresh of its buildings from the profile, which has no buildings to refresh yet.
#pragma once

#include "core/Singleton.h"

class Town : public Singleton<Town>
{
public:
    void RefreshBuilt() {}
};
