#include "gameeffects/GfxCellExplode.h"

#include "graphics/MemoryImage.h"
#include "resources/ResourceLookups.h"

namespace {

Tolm::Image* PlateImage(int kind)
{
    switch (kind) {
    case 0:
        return GetImageById("FIELD_CELL1_EXPLODE");
    case 1:
        return GetImageById("FIELD_CELL2_EXPLODE");
    default:
        return nullptr;
    }
}

} // namespace

GfxCellExplode::GfxCellExplode(int kind, int centreX, int centreY)
    : animator(std::make_unique<Tolm::Animator>()), x(centreX), y(centreY)
{
    Tolm::Image* image = PlateImage(kind);
    animator->SetImage(image);
    if (image) {
        animator->drawOffsetX = float(-(image->GetFrameWidth() / 2));
        animator->drawOffsetY = float(-(image->GetFrameHeight() / 2));
    }
}

// Ends in the update after the last frame came up, so the last frame shows for one update.
int GfxCellExplode::Update()
{
    if (animator->currentFrame == animator->frameCount - 1) {
        return -1;
    }
    animator->Update();
    return 0;
}

void GfxCellExplode::Draw(Tolm::Graphics& g)
{
    animator->Draw(g, x, y);
}
