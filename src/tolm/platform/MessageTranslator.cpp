// SDL2 events to window messages. Pushed events (the tests inject them with SDL_PushEvent) do not move
// SDL's own keyboard and mouse state, so the translator keeps the modifier and button state itself,
// from the events' own fields.
#include "platform/MessageTranslator.h"

#include "platform/TextEncoding.h"
#include "platform/VirtualKeys.h"
#include "platform/Window.h"

#include <SDL.h>
#include <algorithm>

namespace Platform {

namespace {

struct ScancodeKey
{
    SDL_Scancode scancode;
    int virtualKey;
};

constexpr ScancodeKey kScancodeKeys[] = {
    {SDL_SCANCODE_RETURN, VK_RETURN},
    {SDL_SCANCODE_ESCAPE, VK_ESCAPE},
    {SDL_SCANCODE_BACKSPACE, VK_BACK},
    {SDL_SCANCODE_TAB, VK_TAB},
    {SDL_SCANCODE_SPACE, VK_SPACE},
    {SDL_SCANCODE_MINUS, VK_OEM_MINUS},
    {SDL_SCANCODE_EQUALS, VK_OEM_PLUS},
    {SDL_SCANCODE_LEFTBRACKET, VK_OEM_4},
    {SDL_SCANCODE_RIGHTBRACKET, VK_OEM_6},
    {SDL_SCANCODE_BACKSLASH, VK_OEM_5},
    {SDL_SCANCODE_NONUSHASH, VK_OEM_5},
    {SDL_SCANCODE_SEMICOLON, VK_OEM_1},
    {SDL_SCANCODE_APOSTROPHE, VK_OEM_7},
    {SDL_SCANCODE_GRAVE, VK_OEM_3},
    {SDL_SCANCODE_COMMA, VK_OEM_COMMA},
    {SDL_SCANCODE_PERIOD, VK_OEM_PERIOD},
    {SDL_SCANCODE_SLASH, VK_OEM_2},
    {SDL_SCANCODE_NONUSBACKSLASH, VK_OEM_102},
    {SDL_SCANCODE_CAPSLOCK, VK_CAPITAL},
    {SDL_SCANCODE_PRINTSCREEN, VK_SNAPSHOT},
    {SDL_SCANCODE_SCROLLLOCK, VK_SCROLL},
    {SDL_SCANCODE_PAUSE, VK_PAUSE},
    {SDL_SCANCODE_INSERT, VK_INSERT},
    {SDL_SCANCODE_HOME, VK_HOME},
    {SDL_SCANCODE_PAGEUP, VK_PRIOR},
    {SDL_SCANCODE_DELETE, VK_DELETE},
    {SDL_SCANCODE_END, VK_END},
    {SDL_SCANCODE_PAGEDOWN, VK_NEXT},
    {SDL_SCANCODE_RIGHT, VK_RIGHT},
    {SDL_SCANCODE_LEFT, VK_LEFT},
    {SDL_SCANCODE_DOWN, VK_DOWN},
    {SDL_SCANCODE_UP, VK_UP},
    {SDL_SCANCODE_NUMLOCKCLEAR, VK_NUMLOCK},
    {SDL_SCANCODE_KP_DIVIDE, VK_DIVIDE},
    {SDL_SCANCODE_KP_MULTIPLY, VK_MULTIPLY},
    {SDL_SCANCODE_KP_MINUS, VK_SUBTRACT},
    {SDL_SCANCODE_KP_PLUS, VK_ADD},
    {SDL_SCANCODE_KP_ENTER, VK_RETURN},
    {SDL_SCANCODE_KP_PERIOD, VK_DECIMAL},
    {SDL_SCANCODE_KP_0, VK_NUMPAD0},
    {SDL_SCANCODE_APPLICATION, VK_APPS},
    {SDL_SCANCODE_LCTRL, VK_CONTROL},
    {SDL_SCANCODE_RCTRL, VK_CONTROL},
    {SDL_SCANCODE_LSHIFT, VK_SHIFT},
    {SDL_SCANCODE_RSHIFT, VK_SHIFT},
    {SDL_SCANCODE_LALT, VK_MENU},
    {SDL_SCANCODE_RALT, VK_MENU},
    {SDL_SCANCODE_LGUI, VK_LWIN},
    {SDL_SCANCODE_RGUI, VK_RWIN},
};

// Key-message lParam: repeat count 1, the context bit (Alt held), the previous-state bit and the
// transition bit. The scan-code field stays 0: nothing in the program reads it.
LParam KeyLParam(bool altHeld, bool wasDown, bool released)
{
    uint32_t bits = 1u | (altHeld ? 1u << 29 : 0u) | (wasDown ? 1u << 30 : 0u) | (released ? 1u << 31 : 0u);
    return LParam(bits);
}

// The character Windows adds to a key press that types no text itself, or -1.
int ControlCharacterOf(int virtualKey, bool ctrlDown, bool altDown)
{
    switch (virtualKey) {
    case VK_BACK:
        return ctrlDown ? 0x7F : 0x08;
    case VK_TAB:
        return 0x09;
    case VK_RETURN:
        return ctrlDown ? 0x0A : 0x0D;
    case VK_ESCAPE:
        return 0x1B;
    default:
        break;
    }
    if (ctrlDown && !altDown && virtualKey >= 'A' && virtualKey <= 'Z') {
        return virtualKey - 'A' + 1;
    }
    return -1;
}

// The window an event names; events without a known window go to the primary one.
WindowHandle TargetOf(uint32_t sdlWindowId)
{
    if (Window* window = Window::FromSdlWindowId(sdlWindowId)) {
        return window->Handle();
    }
    Window* primary = Window::Primary();
    return primary ? primary->Handle() : 0;
}

int ClampToWord(int value)
{
    return std::clamp(value, -32768, 32767);
}

} // namespace

int VirtualKeyOf(int sdlKeycode, int sdlScancode)
{
    if (sdlKeycode >= 'a' && sdlKeycode <= 'z') {
        return sdlKeycode - 'a' + 'A';
    }
    if (sdlKeycode >= '0' && sdlKeycode <= '9') {
        return sdlKeycode;
    }
    if (sdlScancode >= SDL_SCANCODE_A && sdlScancode <= SDL_SCANCODE_Z) {
        return 'A' + (sdlScancode - SDL_SCANCODE_A);
    }
    if (sdlScancode >= SDL_SCANCODE_1 && sdlScancode <= SDL_SCANCODE_9) {
        return '1' + (sdlScancode - SDL_SCANCODE_1);
    }
    if (sdlScancode == SDL_SCANCODE_0) {
        return '0';
    }
    if (sdlScancode >= SDL_SCANCODE_F1 && sdlScancode <= SDL_SCANCODE_F12) {
        return VK_F1 + (sdlScancode - SDL_SCANCODE_F1);
    }
    if (sdlScancode >= SDL_SCANCODE_F13 && sdlScancode <= SDL_SCANCODE_F24) {
        return VK_F13 + (sdlScancode - SDL_SCANCODE_F13);
    }
    if (sdlScancode >= SDL_SCANCODE_KP_1 && sdlScancode <= SDL_SCANCODE_KP_9) {
        return VK_NUMPAD0 + 1 + (sdlScancode - SDL_SCANCODE_KP_1);
    }
    for (const ScancodeKey& key : kScancodeKeys) {
        if (key.scancode == sdlScancode) {
            return key.virtualKey;
        }
    }
    return 0;
}

WParam MessageTranslator::KeyStateBits() const
{
    return buttons | (shiftDown ? MK_SHIFT : 0) | (ctrlDown ? MK_CONTROL : 0);
}

void MessageTranslator::Translate(const SDL_Event& event, std::vector<Message>& out)
{
    switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        TranslateKey(event, out);
        break;
    case SDL_TEXTINPUT:
        TranslateText(event, out);
        break;
    case SDL_MOUSEMOTION:
        TranslateMotion(event, out);
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        TranslateButton(event, out);
        break;
    case SDL_MOUSEWHEEL:
        TranslateWheel(event, out);
        break;
    case SDL_WINDOWEVENT:
        TranslateWindowEvent(event, out);
        break;
    case SDL_QUIT:
        if (Window* primary = Window::Primary()) {
            out.push_back({primary->Handle(), WM_CLOSE, 0, 0});
        }
        break;
    case SDL_DISPLAYEVENT:
        if (Window* primary = Window::Primary()) {
            out.push_back({primary->Handle(), WM_DISPLAYCHANGE, 0, 0});
        }
        break;
    default:
        break;
    }
}

void MessageTranslator::TranslateKey(const SDL_Event& event, std::vector<Message>& out)
{
    const SDL_KeyboardEvent& key = event.key;
    bool pressed = event.type == SDL_KEYDOWN;
    int virtualKey = VirtualKeyOf(key.keysym.sym, key.keysym.scancode);
    // The modifier keys themselves count as held while down, whichever way the event's own mask says.
    shiftDown = (key.keysym.mod & KMOD_SHIFT) != 0;
    ctrlDown = (key.keysym.mod & KMOD_CTRL) != 0;
    altDown = (key.keysym.mod & KMOD_ALT) != 0;
    bool altKeyItself = virtualKey == VK_MENU;
    if (virtualKey == VK_SHIFT) {
        shiftDown = pressed;
    } else if (virtualKey == VK_CONTROL) {
        ctrlDown = pressed;
    } else if (altKeyItself) {
        altDown = pressed;
    }
    if (virtualKey == 0) {
        return;
    }
    bool system = (altDown || altKeyItself) && !ctrlDown;
    system = system || virtualKey == VK_F10;
    WindowHandle window = TargetOf(key.windowID);
    uint32_t message = pressed ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
    LParam lParam = KeyLParam(altDown, !pressed || key.repeat != 0, !pressed);
    out.push_back({window, message, WParam(virtualKey), lParam});
    if (!pressed) {
        return;
    }
    if (int character = ControlCharacterOf(virtualKey, ctrlDown, altDown); character >= 0) {
        out.push_back({window, SystemKeys() ? WM_SYSCHAR : WM_CHAR, WParam(character), lParam});
    }
}

void MessageTranslator::TranslateText(const SDL_Event& event, std::vector<Message>& out) const
{
    WindowHandle window = TargetOf(event.text.windowID);
    std::string bytes = Utf8ToCp1252(event.text.text);
    for (char byte : bytes) {
        // Control characters come from the key presses above; text never carries them.
        if ((unsigned char)byte < 0x20 || byte == 0x7F) {
            continue;
        }
        out.push_back({window, SystemKeys() ? WM_SYSCHAR : WM_CHAR, WParam((unsigned char)byte),
                       KeyLParam(altDown, false, false)});
    }
}

void MessageTranslator::TranslateMotion(const SDL_Event& event, std::vector<Message>& out) const
{
    const SDL_MouseMotionEvent& motion = event.motion;
    if (motion.which == SDL_TOUCH_MOUSEID) {
        return;
    }
    WindowHandle target = TargetOf(motion.windowID);
    int x = motion.x;
    int y = motion.y;
    // The desktop sends moves only for the window under the pointer, or the one holding the capture
    // (whose client rectangle then tells whether the pointer is still inside).
    if (Window* window = Window::FromHandle(target)) {
        window->WindowToClient(x, y);
        window->NoteCursorInside(true);
    }
    SetLastCursorPosition(x, y);
    out.push_back({target, WM_MOUSEMOVE, KeyStateBits(), MakeLParam(ClampToWord(x), ClampToWord(y))});
}

void MessageTranslator::TranslateButton(const SDL_Event& event, std::vector<Message>& out)
{
    const SDL_MouseButtonEvent& button = event.button;
    struct ButtonMessages
    {
        WParam bit;
        uint32_t down;
        uint32_t up;
        uint32_t doubleClick;
    };
    ButtonMessages messages{};
    switch (button.button) {
    case SDL_BUTTON_LEFT:
        messages = {MK_LBUTTON, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK};
        break;
    case SDL_BUTTON_RIGHT:
        messages = {MK_RBUTTON, WM_RBUTTONDOWN, WM_RBUTTONUP, WM_RBUTTONDBLCLK};
        break;
    case SDL_BUTTON_MIDDLE:
        messages = {MK_MBUTTON, WM_MBUTTONDOWN, WM_MBUTTONUP, WM_MBUTTONDBLCLK};
        break;
    default:
        return;
    }
    if (button.which == SDL_TOUCH_MOUSEID) {
        return;
    }
    WindowHandle target = TargetOf(button.windowID);
    int x = button.x;
    int y = button.y;
    if (Window* window = Window::FromHandle(target)) {
        window->WindowToClient(x, y);
    }
    SetLastCursorPosition(x, y);
    uint32_t message = messages.up;
    if (event.type == SDL_MOUSEBUTTONDOWN) {
        buttons |= messages.bit;
        // The second click of a pair (and the fourth, ...) is the double click; the third starts anew.
        bool doubleClick = button.clicks >= 2 && button.clicks % 2 == 0;
        message = doubleClick ? messages.doubleClick : messages.down;
    } else {
        buttons &= ~messages.bit;
    }
    out.push_back({target, message, KeyStateBits(), MakeLParam(ClampToWord(x), ClampToWord(y))});
}

void MessageTranslator::TranslateWheel(const SDL_Event& event, std::vector<Message>& out) const
{
    const SDL_MouseWheelEvent& wheel = event.wheel;
    int notches = wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -wheel.y : wheel.y;
    if (notches == 0 || wheel.which == SDL_TOUCH_MOUSEID) {
        return;
    }
    WindowHandle target = TargetOf(wheel.windowID);
    // Windows reports the wheel's pointer position in desktop coordinates.
    int x = 0;
    int y = 0;
    GetLastCursorPosition(x, y);
    if (Window* window = Window::FromHandle(target)) {
        int left = 0;
        int top = 0;
        window->GetPosition(left, top);
        x += left;
        y += top;
    }
    WParam wParam = MakeWParam(int(KeyStateBits()), ClampToWord(notches * WHEEL_DELTA));
    out.push_back({target, WM_MOUSEWHEEL, wParam, MakeLParam(ClampToWord(x), ClampToWord(y))});
}

void MessageTranslator::TranslateWindowEvent(const SDL_Event& event, std::vector<Message>& out) const
{
    const SDL_WindowEvent& windowEvent = event.window;
    WindowHandle target = TargetOf(windowEvent.windowID);
    Window* window = Window::FromHandle(target);
    switch (windowEvent.event) {
    case SDL_WINDOWEVENT_EXPOSED:
        out.push_back({target, WM_PAINT, 0, 0});
        break;
    case SDL_WINDOWEVENT_MOVED:
        out.push_back({target, WM_MOVE, 0, MakeLParam(windowEvent.data1, windowEvent.data2)});
        break;
    case SDL_WINDOWEVENT_MINIMIZED:
        out.push_back({target, WM_SIZE, SIZE_MINIMIZED, 0});
        break;
    case SDL_WINDOWEVENT_MAXIMIZED:
    case SDL_WINDOWEVENT_RESTORED: {
        int width = 0;
        int height = 0;
        if (window && window->SdlWindow()) {
            SDL_GetWindowSize(window->SdlWindow(), &width, &height);
        }
        WParam kind = windowEvent.event == SDL_WINDOWEVENT_MAXIMIZED ? SIZE_MAXIMIZED : SIZE_RESTORED;
        out.push_back({target, WM_SIZE, kind, MakeLParam(width, height)});
        break;
    }
    case SDL_WINDOWEVENT_ENTER:
    case SDL_WINDOWEVENT_LEAVE:
        if (window) {
            window->NoteCursorInside(windowEvent.event == SDL_WINDOWEVENT_ENTER);
        }
        break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        out.push_back({target, WM_ACTIVATEAPP, 1, 0});
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        if (window) {
            window->NoteFocusLost();
        }
        out.push_back({target, WM_ACTIVATEAPP, 0, 0});
        break;
    case SDL_WINDOWEVENT_CLOSE:
        out.push_back({target, WM_CLOSE, 0, 0});
        break;
    default:
        break;
    }
}

} // namespace Platform
