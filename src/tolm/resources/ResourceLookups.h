// How the game's screens, board and effects reach their resources: by resource id, through the running
// application's resource manager. Nothing is kept here.
#pragma once

#include <string>

namespace Tolm {
class Font;
class MemoryImage;
class Widget;
} // namespace Tolm

// The loaded image of the id, or null when no image has it or its group is not loaded. The image lives
// as long as its group stays loaded: never keep the pointer past that.
Tolm::MemoryImage* GetImageById(const std::string& id);
// The loaded font of the id, or null; the resource manager keeps it.
Tolm::Font* GetFontById(const std::string& id);
// Plays the sound of the id once; nothing without sound, or when the id is not loaded.
void PlaySoundById(const std::string& id);
// True while the window is one of the widget manager's own children.
bool IsWindowShown(Tolm::Widget* window);
