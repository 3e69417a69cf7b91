#include "gameeffects/GfxSwirlText.h"

#include "core/Matrix.h"
#include "core/Random.h"
#include "graphics/Graphics.h"

#include <cmath>

namespace {

constexpr float kFadeSpeed = 0.008f;
// Where the letters rest.
constexpr float kRest = 0.5f;
// How far from its place a letter starts, in pixels either way.
constexpr float kScatter = 100;
constexpr float kPi = 3.1415925f;

} // namespace

GfxSwirlText::GfxSwirlText(std::string line, Tolm::Font* textFont, int atX, int atY)
    : ImageText(std::move(line), textFont, atX, atY)
{
    const float targetY = float(y - height / 2);
    for (float targetX : SpreadLetterCentres(*this)) {
        paths.push_back({0, 0, targetX, targetY, 0});
    }
}

bool GfxSwirlText::Start()
{
    fade.target = 1;
    fade.speed = kFadeSpeed;
    for (LetterPath& path : paths) {
        path.startX = RandomFloat(path.targetX - kScatter, path.targetX + kScatter);
        path.startY = RandomFloat(path.targetY - kScatter, path.targetY + kScatter);
        const float size = RandomFloat(1, 5);
        path.spin = float(RandomSign()) * size;
    }
    return true;
}

// While there is hold left the fade stops exactly at the rest, however long the frame, so the letters
// always stand still in place for the whole hold.
void GfxSwirlText::Tick(float dt)
{
    if (hold > 0 && fade.current == kRest) {
        hold -= dt;
        return;
    }
    fade.Update(dt);
    if (hold > 0 && fade.current > kRest) {
        fade.current = kRest;
    }
}

int GfxSwirlText::Update()
{
    return fade.current == fade.target ? -1 : 0;
}

void GfxSwirlText::Draw(Tolm::Graphics& g)
{
    const float f = std::sin(fade.current * kPi);
    g.PushState();
    g.SetTintImages(true);
    g.SetAlphaMultiplier(f);
    g.SetColor(color);
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const LetterPath& path = paths[i];
        // Measured back from the target, so that at full size a letter stands exactly on it.
        const float x = path.targetX - (1 - f) * (path.targetX - path.startX);
        const float y = path.targetY - (1 - f) * (path.targetY - path.startY);
        Tolm::Transform transform;
        transform.Scale(f, f);
        transform.Rotate((1 - f) * path.spin);
        transform.Translate(x, y);
        DrawLetter(g, int(i), transform);
    }
    g.PopState();
}
