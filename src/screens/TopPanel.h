// Stand-in for the top panel until the game screens exist: the singleton the application deletes at exit.
#pragma once

#include "core/Singleton.h"

class TopPanel : public Singleton<TopPanel>
{};
