// The base of every visible element: screens, panels, buttons, edit fields, dialogs and the game's own
// widgets. It adds to the tree node what a widget shows and how it takes input: visibility, the
// disabled, hovered, pressed and focus states, a colour list, hit insets, Tab travel, the mouse and key
// operations that the widget manager calls, and text helpers.
//
// Mouse points given to the move, press and drag operations are relative to the widget's top-left
// corner. The signed click count of the three-argument forms is 1 or 2 for the left button (single or
// double click), -1 or -2 for the right, 3 for the middle; the button forms use button 0 left, 1 right,
// 2 middle.
#pragma once

#include "graphics/Color.h"
#include "widgets/WidgetContainer.h"

#include <string>
#include <vector>

namespace Tolm {

class Image;

class Widget : public WidgetContainer
{
public:
    Widget();
    // A widget still in a tree is taken out of it first, so that no parent or manager keeps it.
    ~Widget() override;

    virtual void OnOrderChanged() {}
    virtual void SetVisible(bool isVisible);
    virtual void SetColorsRGBA(const int values[][4], int count);
    virtual void SetColorsRGB(const int values[][3], int count);
    // A shorter list grows with opaque black up to the index.
    virtual void SetColor(int index, const Color& color);
    virtual Color GetColor(int index, const Color& fallback);
    // Opaque black past the end of the list.
    virtual const Color& GetColorRef(int index);
    virtual void SetDisabled(bool isDisabled);
    virtual void ShowHandCursor(bool on);
    virtual void ResizeRect(const Rect& rect);
    // A negative width or height keeps the current one.
    virtual void Resize(int newX, int newY, int newWidth, int newHeight);
    virtual void Move(int newX, int newY);
    virtual bool WantsFocus() { return wantsFocus; }
    virtual void DrawOverlay(Graphics* g, int overlayPriority);
    virtual void DrawOverlay(Graphics* /*g*/) {}
    virtual void GotFocus();
    virtual void LostFocus();
    virtual void KeyChar(char /*ch*/) {}
    // Tab moves the focus to the next widget of the Tab chain, Shift+Tab to the previous one.
    virtual void KeyDown(int keyCode);
    virtual void KeyUp(int /*keyCode*/) {}
    virtual void MouseEnter() {}
    virtual void MouseLeave() {}
    virtual void MouseMove(int /*x*/, int /*y*/) {}
    virtual void MouseDown(int /*x*/, int /*y*/, int /*button*/, int /*clickCount*/) {}
    virtual void MouseDown(int x, int y, int signedCount);
    virtual void MouseUp(int /*x*/, int /*y*/, int /*button*/, int /*clickCount*/) {}
    // The two-argument form first, then the button form.
    virtual void MouseUp(int x, int y, int signedCount);
    virtual void MouseUp(int /*x*/, int /*y*/) {}
    virtual void MouseDrag(int /*x*/, int /*y*/) {}
    virtual void MouseWheel(int /*delta*/) {}
    // A widget may refuse hits at some of its points.
    virtual bool AcceptsPoint(int /*x*/, int /*y*/) { return true; }

    // Text in the context's current font. The centred forms centre in the widget's width; they return
    // the rectangle the text covers, with y at the top of the text cell.
    virtual Rect DrawCenteredShadowedLine(Graphics* g, int lineY, const std::string& text, const Color& textColor,
                                          const Color& shadowColor, const Point& offset);
    virtual Rect DrawCenteredLine(Graphics* g, int lineY, const std::string& text);
    // Colour codes are read in the text for these two calls. Returns the width; with draw false it only
    // measures. A negative length runs to the end of the text.
    virtual int DrawTextLine(Graphics* g, const std::string& text, int lineX, int lineY, int lineWidth,
                             int justification, bool draw = true, int start = 0, int length = -1);
    // Returns the height used.
    virtual int DrawWrappedText(Graphics* g, const Rect& rect, const std::string& text, int lineSpacing,
                                int justification);
    virtual int MeasureWrappedText(Graphics* g, int wrapWidth, const std::string& text, int lineSpacing);
    // The decimal digits of a number; 1 for anything below 10.
    virtual int CountDigits(int number);
    // Draws a non-negative number from an image of the ten digits 0 to 9 side by side.
    virtual void DrawNumberStrip(Graphics* g, int number, int stripX, int stripY, Image* strip, int spacing);
    // Right and bottom edges are outside.
    virtual bool Contains(int pointX, int pointY);
    virtual Rect GetInsetRect();

    // Detaches the widget and its subtree from the manager: its hover, press, focus and modal references
    // are dropped, and the area it covered is redrawn.
    void DetachFromManager();
    // Has the widget's DrawOverlay(g, overlayPriority) run later in the same screen draw, above the widgets.
    void DeferOverlay(int overlayPriority);
    // The application's pointer shape (0 arrow, 1 hand, 2 open hand, 3 text); nothing outside a manager's
    // tree or without an application.
    void SetAppCursor(int number);

    bool visible = true;
    // The widget itself can be hit; its children are tested whatever this says.
    bool mouseVisible = true;
    bool disabled = false;
    bool hasFocus = false;
    // A mouse button that went down on the widget is still held.
    bool isDown = false;
    bool isOver = false;
    // Like hasAlpha, for the covering test of InvalidateChildWithBelow only.
    bool hasTransparencies = false;
    std::vector<Color> colors;
    // Shrink the hit rectangle, not the drawing.
    int insetLeft = 0;
    int insetTop = 0;
    int insetRight = 0;
    int insetBottom = 0;
    bool wantsHandCursor = false;
    // A mouse press gives the widget the keyboard focus.
    bool wantsFocus = false;
    Widget* tabPrev = nullptr;
    Widget* tabNext = nullptr;

private:
    // Invalidation of an area the widget has just come to cover.
    void InvalidateAnew();
};

} // namespace Tolm
