// Stand-in for the town scene until the town exists: the singleton the application deletes at exit.
#pragma once

#include "core/Singleton.h"

class Town : public Singleton<Town>
{};
