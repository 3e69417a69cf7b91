// The display's Direct3D drawing: in 3D mode every draw onto the screen image becomes Direct3D primitives
// rendered into the display's draw surface. A scene opens at the first draw of a frame with the states
// set once; images become grids of textures; quads are drawn plain or through a matrix, triangle lists
// per texture piece, lines, rectangles and polygons untextured, polygons clipped in software. Every
// failing call is recorded (also in the registry), so that the next present drops 3D mode.
#pragma once

#include "graphics/Rect.h"
#include "platform/Direct3D.h"

#include <set>
#include <string>

namespace Tolm {

class Color;
class DDInterface;
class Matrix3;
class MemoryImage;
class VertexList;
struct TexVertex;

// What the 3D path keeps for the whole process.
struct D3DRuntimeState
{
    // The last failing Direct3D step: "<step>: <error name>"; empty when none.
    std::string errorText;
    // The last SetRenderTarget failed; the application reads and clears it.
    bool renderTargetFailed = false;
    // A Direct3D call failed at some time in this run: the application says so at exit.
    bool failedDuringRun = false;
    // The filtering set on the device: false point, true linear.
    bool linearFiltering = false;
};
D3DRuntimeState& D3DState();

// True for a failure, which is recorded as the 3D error text and as "Test3D\RuntimeError".
bool CheckD3DResult(Platform::HRESULT result, const char* step);
// The polygon cut to the clip rectangle and drawn as a fan, when more than two vertices remain.
void DrawClippedPolygon(const VertexList& polygon, const Rect& clipRect, Platform::IDirect3DDevice7* device);

class D3DInterface
{
public:
    D3DInterface();
    virtual ~D3DInterface();
    D3DInterface(const D3DInterface&) = delete;
    D3DInterface& operator=(const D3DInterface&) = delete;

    bool Init(DDInterface* display);
    // Ends an open scene and forgets the last 3D error.
    void Flush();
    void ReleaseAll();
    bool EnsureScene();
    void SetBlendMode(bool additive);
    void SetFiltering(bool linear);

    bool PrepareTextures(MemoryImage& image);
    void RemoveImageTextures(MemoryImage& image);
    bool ReadBackTextures(MemoryImage& image);

    void Blit(MemoryImage& image, float x, float y, const Rect& sourceRect, const Color& color, int additive,
              bool bilinear);
    void BlitClipped(MemoryImage& image, float x, float y, const Rect& sourceRect, const Rect& clipRect,
                     const Color& color, int additive);
    void BlitMirror(MemoryImage& image, float x, float y, const Rect& sourceRect, const Color& color, int additive,
                    bool bilinear);
    void StretchBlit(MemoryImage& image, const Rect& destRect, const Rect& sourceRect, const Rect& clipRect,
                     const Color& color, int additive, bool fast, bool mirror);
    void BlitRotated(MemoryImage& image, float x, float y, const Rect& clipRect, const Color& color, int additive,
                     double angle, float centerX, float centerY, const Rect& sourceRect);
    void BlitTransformed(MemoryImage& image, const Rect* clipRect, const Color& color, int additive,
                         const Rect& sourceRect, const Matrix3& matrix, bool bilinear, float x, float y, bool centred);
    void DrawTrianglesTextured(const TexVertex* vertices, int triangleCount, const Color& color, int additive,
                               MemoryImage& image, float x, float y, bool bilinear);
    void DrawLine(double x1, double y1, double x2, double y2, const Color& color, int additive);
    void FillRect(const Rect& rect, const Color& color, int additive);
    // Points as x, y pairs.
    void FillPolygon(const int* points, int count, const Rect* clipRect, const Color& color, int additive, int offsetX,
                     int offsetY);

    bool SceneOpen() const { return sceneOpen; }
    Platform::IDirect3DDevice7* Device() const { return device; }
    const std::set<MemoryImage*>& TexturedImages() const { return texturedImages; }

    Platform::WindowHandle window = 0;
    int width = 640;
    int height = 480;

private:
    bool InitDevice(DDInterface& display);
    void ReadLimits(const Platform::D3DDEVICEDESC7& caps);
    // The opening of every textured draw: false when nothing is to be drawn.
    bool BeginTexturedDraw(MemoryImage& image, int additive, bool bilinear);
    void DrawUntextured(uint32_t type, const Platform::D3DTLVERTEX* vertices, int count, const char* step);

    DDInterface* display = nullptr;
    Platform::IDirectDraw7* directDraw = nullptr;
    Platform::IDirectDrawSurface7* renderTarget = nullptr;
    Platform::IDirect3D7* direct3D = nullptr;
    Platform::IDirect3DDevice7* device = nullptr;
    Platform::D3DVIEWPORT7 viewport;
    bool sceneOpen = false;
    std::set<MemoryImage*> texturedImages;
};

} // namespace Tolm
