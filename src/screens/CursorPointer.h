// Stand-in for the plain pointer cursor until the game screens exist: the singleton the application
// deletes at exit.
#pragma once

#include "core/Singleton.h"

class CursorPointer : public Singleton<CursorPointer>
{};
