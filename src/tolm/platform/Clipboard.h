// The desktop's clipboard, holding text. On a desktop SDL reaches the system clipboard; without one
// (SDL's video not started, or a driver without a clipboard) the text is kept in the process, so copy
// and paste still work within the program.
#pragma once

#include <string>

namespace Platform {

// UTF-8 texts. Set returns false when the clipboard refused the text.
bool SetClipboardText(const std::string& text);
// Empty when the clipboard holds no text.
std::string GetClipboardText();

} // namespace Platform
