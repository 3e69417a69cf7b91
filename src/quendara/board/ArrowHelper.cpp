#include "board/ArrowHelper.h"

#include "bricks/BrickHelper.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "resources/ResourceLookups.h"

namespace {

// A quarter turn as the arrows have always been turned: not the double nearest to pi / 2.
constexpr double kQuarterTurn = 1.5707963;

// The arrow's top-left pixel for a step from cell (x, y), shifted half a cell (truncated) that way.
void ArrowOrigin(int x, int y, int shiftX, int shiftY, int& px, int& py)
{
    const ArrowHelper* helper = ArrowHelper::Instance();
    const int half = GetCellSize() / 2;
    CellToPixel(x, y, px, py);
    px += shiftX * half + helper->insetX;
    py += shiftY * half + helper->insetY;
}

} // namespace

ArrowHelper::ArrowHelper() : image(GetImageById(kImageId))
{
    if (image) {
        insetX = (GetCellSize() - image->GetFrameWidth()) / 2;
        insetY = (GetCellSize() - image->GetFrameHeight()) / 2;
    }
}

int ArrowHelper::GetFrameDelay()
{
    const Tolm::Image* image = Instance()->image;
    return image && image->animation ? image->animation->frameDelay : 0;
}

int ArrowHelper::GetFrameCount()
{
    const Tolm::Image* image = Instance()->image;
    return image ? image->numFrames : 0;
}

void ArrowHelper::DrawRight(Tolm::Graphics& g, int x, int y, int frame)
{
    Tolm::Image* image = Instance()->image;
    int px = 0;
    int py = 0;
    ArrowOrigin(x, y, 1, 0, px, py);
    g.DrawImagePart(image, px, py, image->GetFrameRect(frame));
}

void ArrowHelper::DrawLeft(Tolm::Graphics& g, int x, int y, int frame)
{
    Tolm::Image* image = Instance()->image;
    int px = 0;
    int py = 0;
    ArrowOrigin(x, y, -1, 0, px, py);
    g.DrawImagePartMirror(image, px, py, image->GetFrameRect(frame), true);
}

void ArrowHelper::DrawUp(Tolm::Graphics& g, int x, int y, int frame)
{
    Tolm::Image* image = Instance()->image;
    int px = 0;
    int py = 0;
    ArrowOrigin(x, y, 0, -1, px, py);
    const Tolm::Rect frameRect = image->GetFrameRect(frame);
    g.DrawImageRotated(image, px, py, kQuarterTurn, &frameRect);
}

void ArrowHelper::DrawDown(Tolm::Graphics& g, int x, int y, int frame)
{
    Tolm::Image* image = Instance()->image;
    int px = 0;
    int py = 0;
    ArrowOrigin(x, y, 0, 1, px, py);
    const Tolm::Rect frameRect = image->GetFrameRect(frame);
    g.DrawImageRotated(image, px, py, -kQuarterTurn, &frameRect);
}
