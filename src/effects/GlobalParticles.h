// Stand-in for the global particle layer until the effects exist: the singleton the loading thread
// creates and the application deletes.
#pragma once

#include "core/Singleton.h"

class GlobalParticles : public Singleton<GlobalParticles>
{};
