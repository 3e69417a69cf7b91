#include "graphics/Graphics.h"

#include "graphics/LineClip.h"
#include "graphics/TruncToInt.h"

#include <cmath>

namespace Tolm {

Graphics::Graphics(Image* destination)
{
    destImage = destination ? destination : &NullImage();
    ResetClip();
}

Graphics::Graphics(const Graphics& other) : GraphicsState(other) {}

Graphics::~Graphics() = default;

std::unique_ptr<Graphics> Graphics::Clone() const
{
    return std::make_unique<Graphics>(*this);
}

void Graphics::PushState()
{
    stateStack.push_back(*this);
}

void Graphics::PopState()
{
    if (stateStack.empty()) {
        return;
    }
    CopyFrom(stateStack.back());
    stateStack.pop_back();
}

void Graphics::SetColor(const Color& newColor)
{
    color = newColor;
    if (alphaMultiplier != 1.0f) {
        color.alpha = TruncToInt(float(color.alpha) * alphaMultiplier);
    }
}

void Graphics::SetAlphaMultiplier(float multiplier)
{
    if (alphaMultiplier != 1.0f) {
        color.alpha = TruncToInt(float(color.alpha) / alphaMultiplier);
    }
    alphaMultiplier = multiplier;
    if (multiplier != 1.0f) {
        color.alpha = TruncToInt(multiplier * float(color.alpha));
    }
}

void Graphics::Translate(int dx, int dy)
{
    transX += float(dx);
    transY += float(dy);
}

void Graphics::TranslateF(float dx, float dy)
{
    transX += dx;
    transY += dy;
}

void Graphics::SetScale(float sx, float sy, float originX, float originY)
{
    scaleX = sx;
    scaleY = sy;
    scaleOrigX = originX + transX;
    scaleOrigY = originY + transY;
}

void Graphics::ResetClip()
{
    clipRect = Rect(0, 0, destImage->GetWidth(), destImage->GetHeight());
}

void Graphics::IntersectClip(int x, int y, int w, int h)
{
    clipRect = clipRect.Intersection(Rect(TruncToInt(float(x) + transX), TruncToInt(float(y) + transY), w, h));
}

void Graphics::FillRect(int x, int y, int w, int h)
{
    if (color.alpha == 0) {
        return;
    }
    Rect area(TruncToInt(float(x) + transX), TruncToInt(float(y) + transY), w, h);
    if (IsScaled()) {
        float left = std::floor((float(x) + transX - scaleOrigX) * scaleX);
        float top = std::floor((float(y) + transY - scaleOrigY) * scaleY);
        float scaledWidth = std::floor(float(w) * scaleX);
        float scaledHeight = std::floor(float(h) * scaleY);
        area = Rect(TruncToInt(left + scaleOrigX), TruncToInt(top + scaleOrigY), TruncToInt(scaledWidth),
                    TruncToInt(scaledHeight));
    }
    destImage->FillRect(area.Intersection(clipRect), color, drawMode);
}

void Graphics::DrawRect(int x, int y, int w, int h)
{
    if (color.alpha == 0) {
        return;
    }
    int left = TruncToInt(float(x) + transX);
    int top = TruncToInt(float(y) + transY);
    Rect outline(left, top, w + 1, h + 1);
    if (outline.Intersection(clipRect) == outline) {
        destImage->DrawRect(Rect(left, top, w, h), color, drawMode);
        return;
    }
    FillRect(x, y, w + 1, 1);
    FillRect(x, y + h, w + 1, 1);
    FillRect(x, y + 1, 1, h - 1);
    FillRect(x + w, y + 1, 1, h - 1);
}

bool Graphics::ClipLine(double& x1, double& y1, double& x2, double& y2) const
{
    return ClipLineToRect(x1, y1, x2, y2, clipRect);
}

void Graphics::DrawLine(int x1, int y1, int x2, int y2)
{
    double fromX = double(x1) + transX;
    double fromY = double(y1) + transY;
    double toX = double(x2) + transX;
    double toY = double(y2) + transY;
    if (ClipLine(fromX, fromY, toX, toY)) {
        destImage->DrawLine(fromX, fromY, toX, toY, color, drawMode);
    }
}

} // namespace Tolm
