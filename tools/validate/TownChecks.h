// What the town file must hold for the town and the levels: every building and person once with every
// element the readers need, pictures that load, costs that rise group by group from a first group paid in
// gold, bonus bricks each unlocked once, a goal for every person, short dust lines, and the lamps, chimneys
// and spout the code places drawn where it places them.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace Tolm {
class MemoryImage;
}

// Reads "properties\town.xml" through the file layer; picture gives the loaded picture of an id, or null.
// Appends a line for every problem.
void CheckTownFile(const std::function<Tolm::MemoryImage*(const std::string&)>& picture,
                   std::vector<std::string>& problems);
