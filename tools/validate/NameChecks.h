// Every name the new-profile window's field takes fits where the game shows it: on its row of the
// players window, from the row's left end to short of the row's button, and in the main menu's welcome
// line, which must end before the change-player gem. The widest such name is found from the fonts'
// character widths: at most the field's character limit, kept the field's margin short of its width in
// the field's own font, typed (letters in upper case) or pasted (as they are).
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace Tolm {
class Font;
class MemoryImage;
} // namespace Tolm

// picture and font give the loaded picture or font of an id, or null. Appends a line for every problem.
void CheckNameRoom(const std::function<Tolm::MemoryImage*(const std::string&)>& picture,
                   const std::function<Tolm::Font*(const std::string&)>& font, std::vector<std::string>& problems);
