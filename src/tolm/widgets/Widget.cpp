#include "widgets/Widget.h"

#include "app/TolmAppBase.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "widgets/WidgetManager.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <memory>

namespace Tolm {

namespace {

constexpr int kTabKey = 9;
constexpr int kShiftKey = 16;

const Color kOpaqueBlack(0, 0, 0, 255);

} // namespace

Widget::Widget() = default;

Widget::~Widget()
{
    if (parent) {
        parent->RemoveWidget(this);
    }
}

void Widget::SetVisible(bool isVisible)
{
    if (visible == isVisible) {
        return;
    }
    visible = isVisible;
    if (visible) {
        InvalidateAnew();
    } else {
        InvalidateWithBelow();
    }
    if (manager) {
        manager->RefreshMouseOver();
    }
}

void Widget::InvalidateAnew()
{
    // A widget that is dirty already stops the invalidation at once, but the widgets that overlap its
    // new area have not been told yet.
    dirty = false;
    Invalidate();
}

void Widget::SetColorsRGBA(const int values[][4], int count)
{
    colors.clear();
    for (int i = 0; i < count; ++i) {
        SetColor(i, Color(values[i][0], values[i][1], values[i][2], values[i][3]));
    }
    Invalidate();
}

void Widget::SetColorsRGB(const int values[][3], int count)
{
    colors.clear();
    for (int i = 0; i < count; ++i) {
        SetColor(i, Color(values[i][0], values[i][1], values[i][2]));
    }
    Invalidate();
}

void Widget::SetColor(int index, const Color& color)
{
    if (index < 0) {
        return;
    }
    if (size_t(index) >= colors.size()) {
        colors.resize(size_t(index) + 1, kOpaqueBlack);
    }
    colors[size_t(index)] = color;
    Invalidate();
}

Color Widget::GetColor(int index, const Color& fallback)
{
    if (index < 0 || size_t(index) >= colors.size()) {
        return fallback;
    }
    return colors[size_t(index)];
}

const Color& Widget::GetColorRef(int index)
{
    if (index < 0 || size_t(index) >= colors.size()) {
        return kOpaqueBlack;
    }
    return colors[size_t(index)];
}

void Widget::SetDisabled(bool isDisabled)
{
    if (disabled == isDisabled) {
        return;
    }
    disabled = isDisabled;
    if (disabled && manager) {
        manager->ForgetWidget(this);
    }
    Invalidate();
    if (!disabled && manager && Contains(manager->lastMouseX, manager->lastMouseY)) {
        manager->MousePosition(manager->lastMouseX, manager->lastMouseY);
    }
}

void Widget::ShowHandCursor(bool on)
{
    SetAppCursor(on ? 1 : 0);
}

void Widget::SetAppCursor(int number)
{
    if (manager && manager->app) {
        manager->app->SetCursor(number);
    }
}

void Widget::ResizeRect(const Rect& rect)
{
    Resize(rect.x, rect.y, rect.width, rect.height);
}

void Widget::Resize(int newX, int newY, int newWidth, int newHeight)
{
    if (x == newX && y == newY && width == newWidth && height == newHeight) {
        return;
    }
    // The old area first, then the new one.
    InvalidateWithBelow();
    x = newX;
    y = newY;
    if (newWidth >= 0) {
        width = newWidth;
    }
    if (newHeight >= 0) {
        height = newHeight;
    }
    InvalidateAnew();
    if (manager) {
        manager->RefreshMouseOver();
    }
}

void Widget::Move(int newX, int newY)
{
    Resize(newX, newY, width, height);
}

void Widget::DrawOverlay(Graphics* g, int /*overlayPriority*/)
{
    DrawOverlay(g);
}

void Widget::GotFocus()
{
    hasFocus = true;
}

void Widget::LostFocus()
{
    hasFocus = false;
}

void Widget::KeyDown(int keyCode)
{
    if (keyCode != kTabKey || !manager) {
        return;
    }
    Widget* next = manager->keyDown[kShiftKey] ? tabPrev : tabNext;
    if (next) {
        manager->SetFocus(next);
    }
}

void Widget::MouseDown(int x, int y, int signedCount)
{
    if (signedCount == 3) {
        MouseDown(x, y, 2, 1);
    } else if (signedCount < 0) {
        MouseDown(x, y, 1, -signedCount);
    } else {
        MouseDown(x, y, 0, signedCount);
    }
}

void Widget::MouseUp(int x, int y, int signedCount)
{
    MouseUp(x, y);
    if (signedCount == 3) {
        MouseUp(x, y, 2, 1);
    } else if (signedCount < 0) {
        MouseUp(x, y, 1, -signedCount);
    } else {
        MouseUp(x, y, 0, signedCount);
    }
}

int Widget::CountDigits(int number)
{
    int digits = 1;
    // In 64 bits: the power past the largest int must not wrap.
    for (int64_t power = 10; power <= number; power *= 10) {
        ++digits;
    }
    return digits;
}

void Widget::DrawNumberStrip(Graphics* g, int number, int stripX, int stripY, Image* strip, int spacing)
{
    if (!strip) {
        return;
    }
    int cellWidth = strip->GetWidth() / 10;
    int digits = CountDigits(number);
    int64_t divisor = 1;
    for (int i = 0; i < digits; ++i) {
        divisor *= 10;
    }
    int advance = 0;
    for (int i = 0; i < digits; ++i) {
        divisor /= 10;
        int digit = int((number / divisor) % 10);
        std::unique_ptr<Graphics> cell = g->Clone();
        cell->IntersectClip(stripX + advance, stripY, cellWidth, strip->GetHeight());
        cell->DrawImage(strip, stripX + advance - digit * cellWidth, stripY);
        advance += cellWidth + spacing;
    }
}

bool Widget::Contains(int pointX, int pointY)
{
    return pointX >= x && pointX < x + width && pointY >= y && pointY < y + height;
}

Rect Widget::GetInsetRect()
{
    return Rect(x + insetLeft, y + insetTop, width - insetLeft - insetRight, height - insetTop - insetBottom);
}

void Widget::DetachFromManager()
{
    WidgetManager* oldManager = manager;
    if (!oldManager) {
        return;
    }
    for (Widget* child : widgets) {
        child->DetachFromManager();
    }
    oldManager->ForgetWidget(this);
    for (WidgetManager::ModalLevel& level : oldManager->modalStack) {
        if (level.previousBaseModal == this) {
            level.previousBaseModal = nullptr;
        }
        if (level.previousFocus == this) {
            level.previousFocus = nullptr;
        }
    }
    RemovedFromManager(oldManager);
    // The area it covered is redrawn while the parent is still known.
    InvalidateWithBelow();
    manager = nullptr;
}

void Widget::DeferOverlay(int overlayPriority)
{
    if (!manager) {
        return;
    }
    manager->deferredOverlays.push_back({this, overlayPriority});
    manager->lowestPendingOverlayPriority = std::min(manager->lowestPendingOverlayPriority, overlayPriority);
}

} // namespace Tolm
