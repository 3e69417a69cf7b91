// The game's windows by name, for the harness's "show" command, filled as the game fills them; the
// people-bonus window announces a small test person with a portrait drawn here.
#pragma once

#include <string>

class BaseWindow;

// Null for a name the harness does not know.
BaseWindow* MakeWindowByName(const std::string& name);
// The test person's portrait; it lives until the program ends.
void FreeTestPortrait();
