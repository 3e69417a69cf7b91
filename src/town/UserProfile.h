// Stand-in for the player's profile until the profiles exist: the singleton the application deletes
// at exit.
#pragma once

#include "core/Singleton.h"

class UserProfile : public Singleton<UserProfile>
{};
