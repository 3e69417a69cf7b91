// System message boxes: SDL's message box on a desktop. Where nobody could answer (SDL's dummy or
// offscreen driver, or no desktop at all) the caption and text go to stderr and the box takes its
// default button, so the program never waits for nobody. Tests install a sink that records the boxes
// and answers them.
#pragma once

#include "platform/WindowMessages.h"

#include <string>

namespace Platform {

class MessageBoxSink
{
public:
    virtual ~MessageBoxSink() = default;
    // Texts in UTF-8; returns the answer (IDOK, IDYES, ...).
    virtual int Show(WindowHandle owner, const std::string& text, const std::string& caption, uint32_t flags) = 0;
};

// Not owned; null puts the system boxes back.
void SetMessageBoxSink(MessageBoxSink* sink);

// Flags as Windows takes them: the buttons (MB_OK ... MB_RETRYCANCEL), the icon and the default button.
// The texts are Windows-1252. Returns the pressed button's id; the box blocks until it is answered.
int ShowMessageBox(WindowHandle owner, const std::string& text, const std::string& caption, uint32_t flags);
int ShowMessageBoxWide(WindowHandle owner, const std::u16string& text, const std::u16string& caption, uint32_t flags);

// The id of the button a box with these flags takes when nobody answers.
int DefaultAnswer(uint32_t flags);

} // namespace Platform
