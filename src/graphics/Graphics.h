// The drawing context every draw goes through: a destination image, a translation, a scale about an
// origin, a clip rectangle, a colour with an alpha multiplier, a font, a draw mode and a few switches.
// It translates, scales and clips what it is given and hands it to the destination image; its state can
// be pushed and popped.
#pragma once

#include "graphics/Color.h"
#include "graphics/Image.h"
#include "graphics/Rect.h"
#include "graphics/TexVertex.h"

#include <memory>
#include <vector>

namespace Tolm {

class Font;

struct GraphicsState
{
    Image* destImage = nullptr;
    float transX = 0;
    float transY = 0;
    float scaleX = 1;
    float scaleY = 1;
    // The point, in destination coordinates, that the scale keeps in place.
    float scaleOrigX = 0;
    float scaleOrigY = 0;
    Rect clipRect;
    // Its alpha already includes the alpha multiplier.
    Color color = Color::ColorBlack;
    Font* font = nullptr;
    int drawMode = DrawModeNormal;
    // Image draws pass the current colour when set, else Color::White.
    bool tintImages = false;
    // Stretched draws use the nearest-pixel engine.
    bool fastStretch = false;
    // Text drawing interprets colour codes.
    bool colorCodes = true;
    bool bilinear = false;
    float alphaMultiplier = 1;

    void CopyFrom(const GraphicsState& other) { *this = other; }
};

class Graphics : public GraphicsState
{
public:
    // Without a destination the context draws on NullImage, so every draw does nothing.
    explicit Graphics(Image* destination = nullptr);
    Graphics(const Graphics& other);
    Graphics& operator=(const Graphics&) = delete;
    virtual ~Graphics();

    std::unique_ptr<Graphics> Clone() const;

    void PushState();
    void PopState();

    void SetFont(Font* newFont) { font = newFont; }
    Font* GetFont() const { return font; }
    void SetColor(const Color& newColor);
    const Color& GetColor() const { return color; }
    void SetAlphaMultiplier(float multiplier);
    void SetDrawMode(int mode) { drawMode = mode; }
    void SetTintImages(bool on) { tintImages = on; }
    void SetFastStretch(bool on) { fastStretch = on; }
    void SetBilinear(bool on) { bilinear = on; }

    void Translate(int dx, int dy);
    void TranslateF(float dx, float dy);
    // The origin is given in local coordinates and fixed in destination coordinates at the time of the call.
    void SetScale(float sx, float sy, float originX, float originY);
    void ResetClip();
    // Narrows the clip by a rectangle in local coordinates; the scale is not applied.
    void IntersectClip(int x, int y, int w, int h);

    void FillRect(int x, int y, int w, int h);
    // Outlines w + 1 by h + 1 pixels.
    void DrawRect(int x, int y, int w, int h);
    void DrawLine(int x1, int y1, int x2, int y2);
    // False when nothing remains; the points may come back in the other order than given.
    bool ClipLine(double& x1, double& y1, double& x2, double& y2) const;

    bool IsScaled() const { return scaleX != 1.0f || scaleY != 1.0f; }

private:
    std::vector<GraphicsState> stateStack;
};

} // namespace Tolm
