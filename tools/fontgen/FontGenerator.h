// Renders the glyph sheets of a font recipe and writes them with the font descriptor that lays them out:
// for each point size a main layer (the painted letters), an outline layer under it and a shadow layer
// under both, each used over its own range of point sizes.
#pragma once

#include "FontRecipe.h"

#include <string>

// Writes "<output>.txt" and its PNG sheets into the folder; false, after a message on stderr, when the
// family cannot be found or a file cannot be written.
bool GenerateFont(const FontRecipe& recipe, const std::string& folder);
