// Message boxes on SDL_ShowMessageBox, which needs no started video subsystem and owns its own
// event loop while it is shown.
#include "platform/MessageBox.h"

#include "platform/TextEncoding.h"
#include "platform/VideoSystem.h"
#include "platform/Window.h"

#include <SDL.h>
#include <cstdio>
#include <vector>

namespace Platform {

namespace {

MessageBoxSink* installedSink = nullptr;

struct ButtonSet
{
    std::vector<int> ids;
    // The answer of Escape and of closing the box.
    int escapeId;
};

ButtonSet ButtonsOf(uint32_t flags)
{
    switch (flags & 0x0F) {
    case MB_OKCANCEL:
        return {{IDOK, IDCANCEL}, IDCANCEL};
    case MB_ABORTRETRYIGNORE:
        return {{IDABORT, IDRETRY, IDIGNORE}, IDABORT};
    case MB_YESNOCANCEL:
        return {{IDYES, IDNO, IDCANCEL}, IDCANCEL};
    case MB_YESNO:
        return {{IDYES, IDNO}, IDNO};
    case MB_RETRYCANCEL:
        return {{IDRETRY, IDCANCEL}, IDCANCEL};
    default:
        return {{IDOK}, IDOK};
    }
}

const char* ButtonText(int id)
{
    switch (id) {
    case IDCANCEL:
        return "Cancel";
    case IDABORT:
        return "Abort";
    case IDRETRY:
        return "Retry";
    case IDIGNORE:
        return "Ignore";
    case IDYES:
        return "Yes";
    case IDNO:
        return "No";
    default:
        return "OK";
    }
}

size_t DefaultIndex(uint32_t flags, size_t buttonCount)
{
    size_t index = (flags & MB_DEFBUTTON3) ? 2 : (flags & MB_DEFBUTTON2) ? 1 : 0;
    return index < buttonCount ? index : 0;
}

Uint32 IconFlags(uint32_t flags)
{
    switch (flags & 0xF0) {
    case MB_ICONERROR:
        return SDL_MESSAGEBOX_ERROR;
    case MB_ICONWARNING:
        return SDL_MESSAGEBOX_WARNING;
    default:
        return SDL_MESSAGEBOX_INFORMATION;
    }
}

// False when no box could be shown.
bool ShowOnDesktop(WindowHandle owner, const std::string& text, const std::string& caption, uint32_t flags, int& answer)
{
    ButtonSet set = ButtonsOf(flags);
    size_t defaultIndex = DefaultIndex(flags, set.ids.size());
    std::vector<SDL_MessageBoxButtonData> buttons;
    for (size_t i = 0; i < set.ids.size(); ++i) {
        Uint32 buttonFlags = i == defaultIndex ? SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT : 0;
        buttonFlags |= set.ids[i] == set.escapeId ? SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT : 0;
        buttons.push_back({buttonFlags, set.ids[i], ButtonText(set.ids[i])});
    }
    Window* ownerWindow = Window::FromHandle(owner);
    SDL_MessageBoxData data{};
    data.flags = IconFlags(flags);
    data.window = ownerWindow ? ownerWindow->SdlWindow() : nullptr;
    data.title = caption.c_str();
    data.message = text.c_str();
    data.numbuttons = int(buttons.size());
    data.buttons = buttons.data();
    int pressed = -1;
    if (SDL_ShowMessageBox(&data, &pressed) != 0) {
        return false;
    }
    answer = pressed < 0 ? set.escapeId : pressed;
    return true;
}

int Show(WindowHandle owner, const std::string& text, const std::string& caption, uint32_t flags)
{
    if (installedSink) {
        return installedSink->Show(owner, text, caption, flags);
    }
    int answer = 0;
    if (!IsHeadless() && ShowOnDesktop(owner, text, caption, flags, answer)) {
        return answer;
    }
    answer = DefaultAnswer(flags);
    std::fprintf(stderr, "%s: %s [%s]\n", caption.c_str(), text.c_str(), ButtonText(answer));
    return answer;
}

} // namespace

void SetMessageBoxSink(MessageBoxSink* sink)
{
    installedSink = sink;
}

int DefaultAnswer(uint32_t flags)
{
    ButtonSet set = ButtonsOf(flags);
    return set.ids[DefaultIndex(flags, set.ids.size())];
}

int ShowMessageBox(WindowHandle owner, const std::string& text, const std::string& caption, uint32_t flags)
{
    return Show(owner, Cp1252ToUtf8(text), Cp1252ToUtf8(caption), flags);
}

int ShowMessageBoxWide(WindowHandle owner, const std::u16string& text, const std::u16string& caption, uint32_t flags)
{
    return Show(owner, Utf16ToUtf8(text), Utf16ToUtf8(caption), flags);
}

} // namespace Platform
