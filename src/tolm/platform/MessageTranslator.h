// Turns the desktop's SDL events into the message records a Windows window procedure would receive,
// packed as Windows packs them:
// - keys: WM_KEYDOWN / WM_KEYUP with the virtual-key code; while Alt is held (without Ctrl, which makes
//   it AltGr) and for F10, WM_SYSKEYDOWN / WM_SYSKEYUP. Shift, Ctrl and Alt of either side are 16, 17
//   and 18. An auto-repeated key sets the previous-state bit.
// - characters: typed text becomes WM_CHAR with the Windows-1252 byte (WM_SYSCHAR while Alt is held);
//   Backspace, Tab, Enter and Escape, and Ctrl with a letter, give the control characters Windows gives.
// - mouse: client coordinates in the low and high words of lParam, the held buttons and Shift/Ctrl in
//   wParam; an even click count is a double click; the wheel puts 120 per notch in the high word.
// - window: focus gained and lost are WM_ACTIVATEAPP, a close request and the desktop's quit request
//   are WM_CLOSE, minimise and restore WM_SIZE, moves WM_MOVE, exposure WM_PAINT.
#pragma once

#include "platform/WindowMessages.h"

#include <vector>

union SDL_Event;

namespace Platform {

class MessageTranslator
{
public:
    // Appends the records of one event, in the order Windows would post them.
    void Translate(const SDL_Event& event, std::vector<Message>& out);

    // The button and modifier bits (MK_) as the events so far leave them.
    WParam KeyStateBits() const;

private:
    void TranslateKey(const SDL_Event& event, std::vector<Message>& out);
    void TranslateText(const SDL_Event& event, std::vector<Message>& out) const;
    void TranslateMotion(const SDL_Event& event, std::vector<Message>& out) const;
    void TranslateButton(const SDL_Event& event, std::vector<Message>& out);
    void TranslateWheel(const SDL_Event& event, std::vector<Message>& out) const;
    void TranslateWindowEvent(const SDL_Event& event, std::vector<Message>& out) const;

    bool SystemKeys() const { return altDown && !ctrlDown; }

    bool shiftDown = false;
    bool ctrlDown = false;
    bool altDown = false;
    WParam buttons = 0;
};

// The virtual-key code of an SDL key (layout-aware for letters and digits), or 0 when it has none.
int VirtualKeyOf(int sdlKeycode, int sdlScancode);

} // namespace Platform
