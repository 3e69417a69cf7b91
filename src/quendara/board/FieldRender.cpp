#include "board/FieldRender.h"

#include "bricks/BrickHelper.h"
#include "effects/GfxManager.h"
#include "effects/ParticleManager.h"
#include "graphics/Graphics.h"

FieldRender::FieldRender()
    : originX(GetBoardOriginX()), originY(GetBoardOriginY()), cellW(GetCellSize()), cellH(GetCellSize()),
      boardRect(originX, originY, kFieldWidth * cellW, kFieldHeight * cellH), lower(std::make_unique<GfxManager>()),
      upper(std::make_unique<GfxManager>()), particles(std::make_unique<ParticleManager>(0.0f))
{}

FieldRender::~FieldRender() = default;

void FieldRender::AddLowerEffect(gfxBase* effect)
{
    lower->AddEffect(effect, false);
}

void FieldRender::AddUpperEffect(gfxBase* effect)
{
    upper->AddEffect(effect, false);
}

void FieldRender::CellCentre(int x, int y, int& px, int& py) const
{
    px = originX + x * cellW + cellW / 2;
    py = originY + y * cellH + cellH / 2;
}

// Holes draw their front (the frame's inner corners) but never a back; bricks draw themselves where
// their own pixel position and offset put them.
void FieldRender::Draw(Tolm::Graphics& g)
{
    g.PushState();
    for (int i = 0; i < kFieldSlots; ++i) {
        const int x = i % kFieldWidth;
        const int y = i / kFieldWidth;
        CellBase* cell = GetCell(x, y);
        if (cell->GetKind() == kCellHole) {
            continue;
        }
        const int px = originX + x * cellW;
        const int py = originY + y * cellH;
        g.Translate(px, py);
        cell->DrawBack(g);
        g.Translate(-px, -py);
    }
    for (int i = 0; i < kFieldSlots; ++i) {
        const int x = i % kFieldWidth;
        const int y = i / kFieldWidth;
        const int px = originX + x * cellW;
        const int py = originY + y * cellH;
        g.Translate(px, py);
        GetCell(x, y)->DrawFront(g);
        g.Translate(-px, -py);
    }
    lower->DrawEffects(g);
    particles->DrawEmitters(g);
    for (int i = 0; i < kFieldSlots; ++i) {
        BrickBase* brick = GetBrick(i % kFieldWidth, i / kFieldWidth);
        if (brick->GetType() != kBrickEmpty) {
            brick->Draw(g);
        }
    }
    upper->DrawEffects(g);
    g.PopState();
}

void FieldRender::Update()
{
    lower->UpdateEffects();
    upper->UpdateEffects();
}

void FieldRender::Tick(float dt)
{
    lower->TickEffects(dt);
    upper->TickEffects(dt);
    particles->UpdateEmitters(dt);
}

bool FieldRender::IsBusy() const
{
    return !lower->IsEmpty() || !upper->IsEmpty();
}
