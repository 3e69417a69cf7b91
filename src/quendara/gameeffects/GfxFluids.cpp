#include "gameeffects/GfxFluids.h"

#include "core/Random.h"
#include "core/TweenModules.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "resources/ResourceLookups.h"

#include <cmath>

namespace {

constexpr int kColumns = 8;
constexpr int kRows = 3;
// The front and the back each run at this many pixels of chord per second.
constexpr float kSecondsPerPixel = 0.00066666666f;
// The front and back closer than this on the curve: the stream has run out.
constexpr float kDrained = 0.01f;
// Below this length on the curve the whole stream fades with its length.
constexpr float kShortSpan = 0.2f;

struct ColumnShape
{
    // Of the ribbon's full width.
    float width;
    float alpha;
};

// The ribbon tapers and fades towards both of its ends.
ColumnShape ShapeOfColumn(int column)
{
    if (column == 0 || column == kColumns - 1) {
        return {0.2f, 0.0f};
    }
    if (column == 1 || column == kColumns - 2) {
        return {0.6f, 0.5f};
    }
    return {1.0f, 1.0f};
}

Tolm::Vector2 UnitDirection(const Tolm::Vector2& from, const Tolm::Vector2& to)
{
    const float dx = to.x - from.x;
    const float dy = to.y - from.y;
    float length = std::sqrt(dx * dx + dy * dy);
    if (length <= 0) {
        length = 0.001f;
    }
    return {dx / length, dy / length};
}

} // namespace

std::unique_ptr<BezierCurve> MakeBentCurve(float x1, float y1, float x2, float y2, float bend)
{
    const float controlX = (x1 + x2) / 2 + bend * (-(y2 - y1) / 2);
    const float controlY = (y1 + y2) / 2 + bend * ((x2 - x1) / 2);
    return std::make_unique<BezierCurve>(x1, y1, controlX - x1, controlY - y1, x2, y2, controlX - x2, controlY - y2);
}

GfxFluids::GfxFluids(float x1, float y1, float x2, float y2, baseCallback* callback)
    : curve(MakeBentCurve(x1, y1, x2, y2, RandomFloat(-1, 1))), mesh(kColumns, kRows), onArrive(callback)
{
    mesh.ResetVertices(Tolm::Color::White);
    mesh.SetImage(GetImageById("GFX_FLUID1"));
    mesh.FitToImage();
    LayOut();
}

void GfxFluids::AddStartDelay(float seconds)
{
    if (!FirstModule()) {
        AddModule(new mutSequenceDelay(seconds, true), false);
    }
}

bool GfxFluids::Start()
{
    const float seconds = curve->ChordLength() * kSecondsPerPixel;
    AddModule(new mutValueTo<float>(&head, 1.0f, seconds), false);
    // Holds the back until the front's module has finished and left the list.
    AddModule(new mutSequenceDelay(0, true), false);
    AddModule(new mutValueTo<float>(&tail, 1.0f, seconds), false);
    return true;
}

void GfxFluids::Tick(float /*dt*/)
{
    UpdateModules();
}

// The modules land exactly on 1, which the arrival and the end test for.
int GfxFluids::Update()
{
    LayOut();
    if (head == 1 && onArrive) {
        std::unique_ptr<baseCallback> arrived = std::move(onArrive);
        arrived->Invoke();
    }
    return head == 1 && head - tail < kDrained ? -1 : 0;
}

void GfxFluids::SetTextureWindow(float width, float height)
{
    if (tail == 0) {
        mesh.SetRect(width * (1 - head), 0, width * head, height);
    } else {
        mesh.SetRect(0, 0, width * (1 - tail), height);
    }
}

// Each column's direction comes from the points of the two columns before it, the first two looking
// ahead from the back instead.
void GfxFluids::LayOut()
{
    Tolm::Image* image = mesh.image;
    const float span = head - tail;
    SetTextureWindow(image ? float(image->GetWidth()) : 0, image ? float(image->GetHeight()) : 0);
    const float ribbonWidth = image ? float(image->GetFrameHeight()) : 0;
    Tolm::Vector2 point = curve->PointAt(tail);
    Tolm::Vector2 previous = point;
    for (int i = 0; i < kColumns; ++i) {
        ColumnShape shape = ShapeOfColumn(i);
        if (span < kShortSpan) {
            shape.alpha = span * 5 * shape.alpha;
        }
        const Tolm::Vector2 direction = point.x == previous.x || point.y == previous.y
                                            ? UnitDirection(point, curve->PointAt(tail + span / float(kColumns - 1)))
                                            : UnitDirection(previous, point);
        const float sideX = -direction.y * ribbonWidth * shape.width / 2;
        const float sideY = direction.x * ribbonWidth * shape.width / 2;
        previous = point;
        point = curve->PointAt(tail + float(i) / float(kColumns - 1) * span);
        mesh.SetVertexPosition(i, 0, point.x + sideX, point.y + sideY, DistortionMesh::kAbsolute);
        mesh.SetVertexPosition(i, 1, point.x, point.y, DistortionMesh::kAbsolute);
        mesh.SetVertexPosition(i, 2, point.x - sideX, point.y - sideY, DistortionMesh::kAbsolute);
        mesh.SetVertexColor(i, 0, Tolm::Color(255, 255, 255, 0));
        mesh.SetVertexColor(i, 1, Tolm::Color(255, 255, 255, int(shape.alpha * 255)));
        mesh.SetVertexColor(i, 2, Tolm::Color(255, 255, 255, 0));
    }
}

// Two added passes, the second of the other picture at half the alpha, under the droplet of the front.
void GfxFluids::Draw(Tolm::Graphics& g)
{
    if (head == 0) {
        return;
    }
    g.PushState();
    g.SetDrawMode(Tolm::DrawModeAdditive);
    mesh.SetImage(GetImageById("GFX_FLUID1"));
    mesh.Draw(g);
    g.SetDrawMode(Tolm::DrawModeAdditive);
    mesh.ScaleAlpha(0.5f);
    mesh.SetImage(GetImageById("GFX_FLUID2"));
    mesh.Draw(g);
    g.SetDrawMode(Tolm::DrawModeNormal);
    if (Tolm::Image* dot = GetImageById("GFX_FLUID_DOT")) {
        const Tolm::Vector2 front = curve->PointAt(head);
        g.DrawImage(dot, int(front.x) - dot->GetWidth() / 2, int(front.y) - dot->GetHeight() / 2);
    }
    g.PopState();
}
