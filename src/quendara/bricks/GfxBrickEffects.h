// The two effects a brick leaves behind when it goes: a copy of its picture that swells and fades
// (expand), and one that shrinks away (explode). Both are centred on the brick's cell and step once per
// update in single precision, which makes each last 41 updates.
#pragma once

#include "effects/gfxBase.h"

class BrickBase;

namespace Tolm {
class Image;
}

class GfxBrickEffect : public gfxBase
{
public:
    // The picture of the brick's kind, centred on (x, y); a kind without one draws nothing.
    GfxBrickEffect(int centreX, int centreY, const BrickBase& brick);

protected:
    // Frame 0 of the picture, tinted white with the alpha and scaled about its centre.
    void DrawScaled(Tolm::Graphics& g, int alpha, float scale) const;

    Tolm::Image* image = nullptr;
    float x;
    float y;
    float value = 1;
};

class GfxBrickExpand : public GfxBrickEffect
{
public:
    using GfxBrickEffect::GfxBrickEffect;

    bool Start() override;
    int Update() override;
    void Draw(Tolm::Graphics& g) override;
};

class GfxBrickExplode : public GfxBrickEffect
{
public:
    using GfxBrickEffect::GfxBrickEffect;

    bool Start() override;
    int Update() override;
    void Draw(Tolm::Graphics& g) override;
};
