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
#include <string>
#include <vector>

namespace Tolm {

class Font;
class Matrix3;
class Transform;

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

    // Image draws. Positions are local: the translation is added, and only DrawImage, DrawImagePart and the
    // frame and tiled-box draws that go through DrawImagePart apply the scale. Images are tinted by the
    // current colour when tintImages is set and drawn in the current draw mode. A null image draws nothing.
    void DrawImage(Image* image, int x, int y);
    void DrawImageF(Image* image, float x, float y);
    void DrawImagePart(Image* image, int x, int y, const Rect& sourceRect);
    void DrawImagePartF(Image* image, float x, float y, const Rect& sourceRect);
    // Mirrored, the left edge of the destination shows the right edge of the source rectangle.
    void DrawImagePartMirror(Image* image, int x, int y, const Rect& sourceRect, bool mirror);
    void DrawImageStretched(Image* image, const Rect& destRect, const Rect& sourceRect);
    void DrawImageStretchedPart(Image* image, const Rect& destRect, const Rect& sourceRect, bool mirror);
    // Turns the source rectangle (the whole image when none) by the angle in radians, counter-clockwise on
    // the screen, about a centre given relative to the rectangle's top-left.
    void DrawImageRotatedF(Image* image, float x, float y, double angle, float centerX, float centerY,
                           const Rect* sourceRect = nullptr);
    // About the rectangle's middle, its halves rounded down.
    void DrawImageRotated(Image* image, int x, int y, double angle, const Rect* sourceRect = nullptr);
    void DrawImageRotatedAt(Image* image, int x, int y, double angle, int centerX, int centerY, const Rect& sourceRect);
    // Nothing for a column or row outside the image's frame grid.
    void DrawImageGridFrame(Image* image, int x, int y, int column, int row);
    void StretchImageGridFrame(Image* image, const Rect& destRect, int column, int row);
    // Frame n lies in column n mod numCols of row n div numCols.
    void DrawImageFrame(Image* image, int x, int y, int frame);
    void StretchImageFrame(Image* image, const Rect& destRect, int frame);
    // The middle of the source rectangle goes through the matrix, then to (x, y).
    void DrawImageMatrix(Image* image, const Matrix3& matrix, const Rect& sourceRect, float x, float y);
    void DrawTexturedTriangles(Image* image, const TexVertex& a, const TexVertex& b, const TexVertex& c);
    // Three vertices per triangle.
    void DrawTexturedTriangles(Image* image, const TexVertex* vertices, int triangleCount);
    // The middle of the image or source rectangle lands on the transformed point (x, y). The F forms keep
    // the sub-pixel position; the others round to the nearest pixel.
    void DrawImageTransform(Image* image, const Transform& transform, float x, float y);
    void DrawImagePartTransform(Image* image, const Transform& transform, const Rect& sourceRect, float x, float y);
    void DrawImageTransformF(Image* image, const Transform& transform, float x, float y);
    void DrawImagePartTransformF(Image* image, const Transform& transform, const Rect& sourceRect, float x, float y);
    // A box of any size from a source rectangle cut into thirds: the corners once, the edges and the middle
    // repeated as often as the box needs.
    void DrawTiledBoxPart(const Rect& sourceRect, const Rect& destRect, Image* image);
    void DrawTiledBox(const Rect& destRect, Image* image);

    // Text in the current font and colour, with its baseline's left end at (x, y); nothing without a font.
    void DrawString(const std::string& text, int x, int y);
    // One line, justified in width (0 centred, 1 right, anything else left), with colour codes while
    // colorCodes is set. A negative length, or one past the end, runs to the end of the text; oldColour
    // -1 stands for the current colour, packed. Returns the line's width; with draw false it only
    // measures.
    int DrawTextLine(const std::string& text, int x, int y, int width, int justification, bool draw = true,
                     int start = 0, int length = -1, int oldColour = -1);
    // Word-wraps the text into the rectangle's width and draws it line by line from the rectangle's top,
    // lineSpacing apart (-1: the font's). Only the first count characters are drawn (all for count < 0),
    // while the layout covers the whole text. On entry *lastLineWidth is where the first line starts; on
    // return it holds the width of the last line drawn, and *maxWidth the widest line. Returns the height.
    int DrawWrappedText(const Rect& rect, const std::string& text, int lineSpacing = -1, int justification = -1,
                        int* maxWidth = nullptr, int count = -1, int* lastLineWidth = nullptr);
    // The height DrawWrappedText would return in that width, without drawing.
    int MeasureWrappedTextHeight(int width, const std::string& text, int lineSpacing = -1, int* maxWidth = nullptr);

    bool IsScaled() const { return scaleX != 1.0f || scaleY != 1.0f; }

private:
    // The colour image draws pass.
    const Color& ImageColor() const;
    void DrawImageTransformCore(Image* image, const Transform& transform, const Rect& sourceRect, float x, float y,
                                bool subPixel);
    // Whether the destination is the display's draw surface while the display draws in 3D.
    bool DrawsOn3DScreen() const;

    std::vector<GraphicsState> stateStack;
};

} // namespace Tolm
