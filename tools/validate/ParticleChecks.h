// What the game's particle effects must be for the code that fires them: each file loads, names a
// picture of the data set, and lives as its users need (for ever, for a while, or as one burst).
#pragma once

#include <functional>
#include <string>
#include <vector>

// Appends a line for every problem; isImage tells whether an id names a loaded picture.
void CheckParticleEffects(const std::function<bool(const std::string&)>& isImage, std::vector<std::string>& problems);
