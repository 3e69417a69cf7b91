// Stand-in for the game's cursor widget until the game screens exist: the top-level widget the game
// adds at start-up and removes and deletes at exit.
#pragma once

#include "core/Singleton.h"
#include "widgets/Widget.h"

class CustomCursor : public Tolm::Widget, public Singleton<CustomCursor>
{};
