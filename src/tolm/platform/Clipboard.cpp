// The clipboard on SDL's, with a text of the process's own where SDL's video does not run.
#include "platform/Clipboard.h"

#include <SDL.h>

namespace Platform {

namespace {

std::string& ProcessClipboard()
{
    static std::string text;
    return text;
}

bool SdlClipboardAvailable()
{
    return SDL_WasInit(SDL_INIT_VIDEO) != 0;
}

} // namespace

bool SetClipboardText(const std::string& text)
{
    if (!SdlClipboardAvailable()) {
        ProcessClipboard() = text;
        return true;
    }
    return SDL_SetClipboardText(text.c_str()) == 0;
}

std::string GetClipboardText()
{
    if (!SdlClipboardAvailable()) {
        return ProcessClipboard();
    }
    char* text = SDL_GetClipboardText();
    if (!text) {
        return std::string();
    }
    std::string result(text);
    SDL_free(text);
    return result;
}

} // namespace Platform
