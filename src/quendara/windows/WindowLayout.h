// What the game's windows share in their making, drawing and handling: the frame settings every window
// starts with, window buttons and sliders under their localised captions, the body text wrapped into a
// rectangle in white, the effects volume slider and the Esc key.
#pragma once

#include "graphics/Rect.h"
#include "widgets/Dialog.h"

#include <memory>
#include <string>

class BaseSlider;
class BaseWindow;
class BaseWindowButton;

namespace Tolm {
class Graphics;
class SliderListener;
} // namespace Tolm

// The dialog id, the frame's insets, and the header in "FONT_WINDOW_TITLE" with the text of the key
// (no header for an empty key).
void SetWindowFrame(BaseWindow& window, int dialogId, const Tolm::Insets& insets, const std::string& headerKey);

// A window button with the text of the key as caption, its left edge at x, added to the window; the
// window's listener part hears it. The caller keeps it and takes it out of the window before deleting it.
std::unique_ptr<BaseWindowButton> AddWindowButton(BaseWindow& window, int id, const std::string& captionKey, int x,
                                                  int y);
// The same, centred across the window.
std::unique_ptr<BaseWindowButton> AddCentredButton(BaseWindow& window, int id, const std::string& captionKey, int y);

// A slider captioned with the text of the key at (x, y) in the window, at the value, added to the window.
std::unique_ptr<BaseSlider> AddWindowSlider(BaseWindow& window, Tolm::SliderListener* listener, int id,
                                            const std::string& labelKey, int x, int y, double value);

// The effects volume from its slider, with a sample of it once the thumb has come to rest (a press on
// the track, or the release after a drag).
void SetSfxVolumeFromSlider(const BaseSlider& slider, double value);

// The window's inner rectangle (its size less the frame's insets), moved in by (dx, dy) and made smaller
// by (dw, dh).
Tolm::Rect WindowBodyRect(const BaseWindow& window, int dx, int dy, int dw, int dh);

// White, word-wrapped, centred lines in the font; nothing without the font.
void DrawWindowText(Tolm::Graphics* g, const std::string& fontId, const Tolm::Rect& rect, const std::string& text,
                    int lineSpacing);

// The key handler of the windows whose only key is Esc, which answers 0: keys act only while the
// window shows, after the focus travel of Tab.
void EscapeAnswersZero(BaseWindow& window, int keyCode);
