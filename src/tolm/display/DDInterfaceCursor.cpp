// The display's software cursor: what lies under it is saved in the old cursor area, the cursor is
// composed in the new cursor area (or drawn straight into the screen image in 2D), and a move between
// frames restores the old place and draws the new one without a full present.
#include "display/DDImage.h"
#include "display/DDInterface.h"
#include "graphics/Graphics.h"
#include "platform/Window.h"

namespace Tolm {

using namespace Platform;

namespace {

RECT ToRECT(const Rect& rect)
{
    return {rect.x, rect.y, rect.x + rect.width, rect.y + rect.height};
}

uint64_t PackPosition(int x, int y)
{
    return uint64_t(uint32_t(x)) << 32 | uint32_t(y);
}

} // namespace

bool DDInterface::SetCursorImage(MemoryImage* image)
{
    CriticalSectionGuard guard(displayLock);
    if (image == cursorImage) {
        return false;
    }
    cursorImage = image;
    return true;
}

void DDInterface::StoreCursorPosition(int x, int y)
{
    cursorPosition = PackPosition(x, y);
}

void DDInterface::GetCursorPosition(int& x, int& y) const
{
    uint64_t packed = cursorPosition.load();
    x = int32_t(uint32_t(packed >> 32));
    y = int32_t(uint32_t(packed));
}

void DDInterface::SetDrawnPosition()
{
    GetCursorPosition(drawnCursorX, drawnCursorY);
}

void DDInterface::SetCursorPosition(int x, int y)
{
    StoreCursorPosition(x, y);
    if (presenting) {
        return;
    }
    CriticalSectionGuard guard(displayLock);
    if (!initialised) {
        return;
    }
    if (cursorShown) {
        MoveCursor(primarySurface, true, x, y);
    } else {
        drawnCursorX = x;
        drawnCursorY = y;
        DrawCursor(primarySurface, true);
    }
}

Rect DDInterface::CursorArea(int x, int y) const
{
    return Rect(x - cursorAreaWidth / 2, y - cursorAreaHeight / 2, cursorAreaWidth, cursorAreaHeight);
}

RECT DDInterface::ScreenBounds() const
{
    DDSURFACEDESC2 desc;
    desc.flags = DDSD_HEIGHT | DDSD_WIDTH | DDSD_PIXELFORMAT;
    primarySurface->GetSurfaceDesc(&desc);
    return {0, 0, int32_t(desc.width), int32_t(desc.height)};
}

void DDInterface::CursorRects(int x, int y, const Rect& bounds, bool onScreen, RECT& onTarget, RECT& inArea) const
{
    Rect area = CursorArea(x, y);
    Rect visible = area.Intersection(bounds);
    inArea = ToRECT(Rect(visible.x - area.x, visible.y - area.y, visible.width, visible.height));
    onTarget = ToRECT(visible);
    if (onScreen) {
        POINT origin;
        ClientToScreen(window, &origin);
        OffsetRect(&onTarget, origin.x, origin.y);
    }
}

bool DDInterface::SaveUnderCursor(IDirectDrawSurface* area, IDirectDrawSurface* target, RECT onTarget, RECT inArea)
{
    if (!Failed(area->Blt(&inArea, target, &onTarget, DDBLT_WAIT, nullptr))) {
        return true;
    }
    RECT screen = ScreenBounds();
    RECT cut{std::max(onTarget.left, screen.left), std::max(onTarget.top, screen.top),
             std::min(onTarget.right, screen.right), std::min(onTarget.bottom, screen.bottom)};
    RECT cutArea{inArea.left + (cut.left - onTarget.left), inArea.top + (cut.top - onTarget.top),
                 inArea.right - (onTarget.right - cut.right), inArea.bottom - (onTarget.bottom - cut.bottom)};
    return !Failed(area->Blt(&cutArea, target, &cut, DDBLT_WAIT, nullptr));
}

void DDInterface::DrawCursorImage(DDImage& image, int x, int y)
{
    Graphics graphics(&image);
    graphics.DrawImage(cursorImage, x + (cursorAreaWidth - cursorImage->width) / 2,
                       y + (cursorAreaHeight - cursorImage->height) / 2);
}

void DDInterface::DrawCursor(IDirectDrawSurface* target, bool onScreen)
{
    if (!cursorImage || !primarySurface) {
        cursorShown = false;
        return;
    }
    RECT onTarget;
    RECT inArea;
    CursorRects(drawnCursorX, drawnCursorY, presentationRect, onScreen, onTarget, inArea);
    cursorShown = SaveUnderCursor(oldCursorArea, target, onTarget, inArea);
    if (target != drawSurface || is3D) {
        newCursorArea->Blt(&inArea, oldCursorArea, &inArea, DDBLT_WAIT, nullptr);
        DrawCursorImage(*newCursorAreaImage, 0, 0);
        target->Blt(&onTarget, newCursorArea, &inArea, DDBLT_WAIT, nullptr);
        return;
    }
    Rect area = CursorArea(drawnCursorX, drawnCursorY);
    DrawCursorImage(*screenImage, area.x, area.y);
}

void DDInterface::RestoreCursorArea(IDirectDrawSurface* target, bool onScreen)
{
    if (!cursorShown || !primarySurface) {
        return;
    }
    RECT onTarget;
    RECT inArea;
    CursorRects(drawnCursorX, drawnCursorY, Rect(0, 0, drawWidth, drawHeight), onScreen, onTarget, inArea);
    target->Blt(&onTarget, oldCursorArea, &inArea, DDBLT_WAIT, nullptr);
    cursorShown = false;
}

// Where the two areas overlap, the new background takes the clean pixels saved before, and the old area
// already shows the cursor at its new place, so restoring the old place never shows two cursors.
void DDInterface::MoveCursor(IDirectDrawSurface* target, bool onScreen, int x, int y)
{
    if (!cursorImage || !primarySurface) {
        cursorShown = false;
        return;
    }
    RECT oldOnTarget;
    RECT oldInArea;
    CursorRects(drawnCursorX, drawnCursorY, presentationRect, onScreen, oldOnTarget, oldInArea);
    RECT newOnTarget;
    RECT newInArea;
    CursorRects(x, y, presentationRect, onScreen, newOnTarget, newInArea);
    SaveUnderCursor(newCursorArea, target, newOnTarget, newInArea);
    int dx = x - drawnCursorX;
    int dy = y - drawnCursorY;
    Rect whole(0, 0, cursorAreaWidth, cursorAreaHeight);
    Rect overlap = Rect(dx, dy, cursorAreaWidth, cursorAreaHeight).Intersection(whole);
    if (overlap.width > 0 && overlap.height > 0) {
        RECT inNew = ToRECT(Rect(overlap.x - dx, overlap.y - dy, overlap.width, overlap.height));
        RECT inOld = ToRECT(overlap);
        newCursorArea->Blt(&inNew, oldCursorArea, &inOld, DDBLT_WAIT, nullptr);
        DrawCursorImage(*oldCursorAreaImage, dx, dy);
    }
    target->Blt(&oldOnTarget, oldCursorArea, &oldInArea, DDBLT_WAIT, nullptr);
    RECT all = ToRECT(whole);
    oldCursorArea->Blt(&all, newCursorArea, &all, DDBLT_WAIT, nullptr);
    DrawCursorImage(*newCursorAreaImage, 0, 0);
    target->Blt(&newOnTarget, newCursorArea, &newInArea, DDBLT_WAIT, nullptr);
    drawnCursorX = x;
    drawnCursorY = y;
}

} // namespace Tolm
