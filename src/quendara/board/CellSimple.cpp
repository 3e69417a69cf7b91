#include "board/CellSimple.h"

#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "resources/ResourceLookups.h"

#include <cmath>

namespace {

// Two whole turns over the glow's phase from 0 to 1, as it has always been written.
constexpr float kGlowTurns = 12.566f;
constexpr float kGlowPeak = 60.0f;
constexpr int kHighlightAlpha = 80;

} // namespace

CellSimple::CellSimple()
    : CellGfx(kCellPlayable), plain(GetImageById(kPlainImageId)), locked(GetImageById(kLockedImageId)),
      locked2(GetImageById(kLocked2ImageId))
{}

Tolm::Image* CellSimple::TileImage() const
{
    if (HasFlag(kCellLock2)) {
        return locked2;
    }
    return HasFlag(kCellLock1) ? locked : plain;
}

void CellSimple::DrawBack(Tolm::Graphics& g)
{
    if (fadeMode != kFadeNone) {
        DrawFaded(g, [&] {
            CellGfx::DrawBack(g);
            g.DrawImage(TileImage(), 0, 0);
            DrawLine(g);
        });
        return;
    }
    CellGfx::DrawBack(g);
    g.DrawImage(TileImage(), 0, 0);
    DrawLine(g);
    const int width = plain ? plain->GetFrameWidth() : 0;
    const int height = plain ? plain->GetFrameHeight() : 0;
    if (glowOn) {
        DrawGlow(g, width, height);
    }
    if (HasFlag(kCellHighlight)) {
        DrawHighlight(g, width, height);
    }
}

// One pixel narrower and lower than the highlight, as the glow has always been drawn.
void CellSimple::DrawGlow(Tolm::Graphics& g, int width, int height) const
{
    g.PushState();
    g.SetDrawMode(1);
    g.SetTintImages(true);
    g.SetColor(Tolm::Color(255, 255, 255, int(kGlowPeak - std::cos(glow * kGlowTurns) * kGlowPeak)));
    g.FillRect(0, 0, width - 1, height - 1);
    g.PopState();
}

void CellSimple::DrawHighlight(Tolm::Graphics& g, int width, int height) const
{
    g.PushState();
    g.SetDrawMode(1);
    g.SetColor(Tolm::Color(255, 255, 255, kHighlightAlpha));
    g.FillRect(0, 0, width, height);
    g.PopState();
}
